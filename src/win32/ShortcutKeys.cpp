#include "win32/ShortcutKeys.h"

#include <utility>

namespace win32 {

UINT hotKeyModifiers(const app::Shortcut& shortcut) {
  constexpr std::pair<app::Modifier, UINT> kFlags[] = {{app::kCtrl, MOD_CONTROL},
                                                       {app::kAlt, MOD_ALT},
                                                       {app::kShift, MOD_SHIFT},
                                                       {app::kWin, MOD_WIN}};
  UINT flags = 0;
  for (const auto& [modifier, flag] : kFlags)
    if (shortcut.modifiers & modifier) flags |= flag;
  return flags;
}

UINT virtualKey(const app::Shortcut& shortcut) {
  using app::KeyKind;
  constexpr std::pair<KeyKind, UINT> kCodes[] = {
      {KeyKind::PageUp, VK_PRIOR}, {KeyKind::PageDown, VK_NEXT}, {KeyKind::End, VK_END},
      {KeyKind::Home, VK_HOME},    {KeyKind::Left, VK_LEFT},     {KeyKind::Up, VK_UP},
      {KeyKind::Right, VK_RIGHT},  {KeyKind::Down, VK_DOWN},     {KeyKind::Insert, VK_INSERT},
      {KeyKind::Delete, VK_DELETE}};
  const UINT number = static_cast<UINT>(shortcut.number);
  switch (shortcut.key) {
    case KeyKind::None:
      return 0;
    case KeyKind::Letter:  // the codes of A-Z and 0-9 are their upper-case characters
      return 'A' + number;
    case KeyKind::Digit:
      return '0' + number;
    case KeyKind::Function:
      return VK_F1 + number - 1;
    default:
      break;
  }
  for (const auto& [kind, code] : kCodes)
    if (kind == shortcut.key) return code;
  return 0;
}

}  // namespace win32
