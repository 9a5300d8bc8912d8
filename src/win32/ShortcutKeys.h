#pragma once
// A portable shortcut in the system's terms, for RegisterHotKey.
#include <windows.h>

#include "app/Shortcut.h"

namespace win32 {

// The MOD_ flags of a shortcut's modifiers.
UINT hotKeyModifiers(const app::Shortcut& shortcut);
// The virtual-key code of a shortcut's key; 0 for none.
UINT virtualKey(const app::Shortcut& shortcut);

}  // namespace win32
