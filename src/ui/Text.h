#pragma once
// Case folding for the program's own names (commands, keys, section and program names): ASCII
// only, so the result is the same whatever the locale.
#include <algorithm>
#include <string>
#include <string_view>

namespace ui {

inline char asciiLower(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

inline std::string asciiLower(std::string_view text) {
  std::string s(text);
  std::ranges::transform(s, s.begin(), [](char c) { return asciiLower(c); });
  return s;
}

inline bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

}  // namespace ui
