#pragma once
// Reading values that people type or edit by hand.
#include <optional>
#include <string_view>

namespace settings {

constexpr bool isBlank(char ch) {
  return ch == ' ' || ch == '\t';
}

// The text without the spaces and tabs around it.
constexpr std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A system-wide shortcut: the system's own modifier flags and virtual-key code; vk 0 is none.
struct HotKey {
  unsigned modifiers = 0, vk = 0;
};

// "Ctrl+Alt+PageDown" in any case and spacing; empty is no shortcut. Nothing when the text does
// not parse, or when a key other than F1-F24 has no modifier (every program would lose it).
std::optional<HotKey> parseHotKey(std::string_view text);

}  // namespace settings
