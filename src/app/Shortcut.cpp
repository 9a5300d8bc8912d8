#include "app/Shortcut.h"

#include <cctype>
#include <utility>

#include "ui/Text.h"

namespace app {

namespace {

constexpr std::pair<std::string_view, Modifier> kModifiers[] = {
    {"Ctrl", kCtrl}, {"Alt", kAlt}, {"Shift", kShift}, {"Win", kWin}};
constexpr std::pair<std::string_view, KeyKind> kKeys[] = {
    {"PageUp", KeyKind::PageUp}, {"PageDown", KeyKind::PageDown}, {"End", KeyKind::End},
    {"Home", KeyKind::Home},     {"Left", KeyKind::Left},         {"Up", KeyKind::Up},
    {"Right", KeyKind::Right},   {"Down", KeyKind::Down},         {"Insert", KeyKind::Insert},
    {"Delete", KeyKind::Delete}};
constexpr int kFunctionKeys = 24;

// The key of a name in lower case; KeyKind::None for none.
Shortcut key(std::string_view name) {
  Shortcut k;
  if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') k = {0, KeyKind::Letter, name[0] - 'a'};
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') k = {0, KeyKind::Digit, name[0] - '0'};
  for (int n = 1; n <= kFunctionKeys; ++n)
    if (name.starts_with('f') && name.substr(1) == std::to_string(n)) k = {0, KeyKind::Function, n};
  for (const auto& [known, kind] : kKeys)
    if (ui::asciiLower(known) == name) k = {0, kind, 0};
  return k;
}

}  // namespace

std::optional<Shortcut> parseShortcut(std::string_view text) {
  std::string s;  // "Page Down" is "pagedown"
  for (char ch : text)
    if (!std::isspace(static_cast<unsigned char>(ch))) s += ui::asciiLower(ch);
  if (s.empty()) return Shortcut{};
  unsigned modifiers = 0;
  std::string_view rest = s;
  for (std::size_t plus = rest.find('+'); plus != rest.npos; plus = rest.find('+')) {
    const std::string_view name = rest.substr(0, plus);
    unsigned modifier = 0;
    for (const auto& [known, flag] : kModifiers)
      if (ui::asciiLower(known) == name) modifier = flag;
    if (!modifier) return std::nullopt;
    modifiers |= modifier;
    rest.remove_prefix(plus + 1);
  }
  Shortcut shortcut = key(rest);
  shortcut.modifiers = modifiers;
  const bool functionKey = shortcut.key == KeyKind::Function;
  if (shortcut.key == KeyKind::None || (!modifiers && !functionKey)) return std::nullopt;
  return shortcut;
}

}  // namespace app
