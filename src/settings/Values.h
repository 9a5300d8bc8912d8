#pragma once
// Reading values that people type or edit by hand.
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

}  // namespace settings
