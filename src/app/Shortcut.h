#pragma once
// System-wide shortcuts as the program knows them: what each does, and its keys as portable
// values read from and written as texts such as "Ctrl+Alt+PageDown". The system's own codes are
// the Win32 backend's business.
#include <optional>
#include <string>
#include <string_view>

namespace app {

// What a shortcut does; also its id with the system.
enum Action : unsigned { kDarker, kBrighter, kEyeCare, kNightLight, kActionCount };

enum Modifier : unsigned { kCtrl = 1, kAlt = 2, kShift = 4, kWin = 8 };

enum class KeyKind {
  None,
  Letter,    // number 0-25: A-Z
  Digit,     // number 0-9
  Function,  // number 1-24: F1-F24
  PageUp,
  PageDown,
  End,
  Home,
  Left,
  Up,
  Right,
  Down,
  Insert,
  Delete
};

struct Shortcut {
  unsigned modifiers = 0;  // Modifier flags
  KeyKind key = KeyKind::None;
  int number = 0;
  friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

// "Ctrl+Alt+PageDown" in any case and spacing; empty is no shortcut (KeyKind::None). Nothing when
// the text does not parse, or when a key other than F1-F24 has no modifier (every program would
// lose it).
std::optional<Shortcut> parseShortcut(std::string_view text);

}  // namespace app
