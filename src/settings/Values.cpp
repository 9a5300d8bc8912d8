#include "settings/Values.h"

#include <cctype>
#include <span>
#include <string>
#include <utility>

namespace settings {

namespace {

// MOD_CONTROL, MOD_ALT, MOD_SHIFT and MOD_WIN; VK_PRIOR to VK_DOWN, VK_INSERT and VK_DELETE.
using Named = std::pair<std::string_view, unsigned>;
constexpr Named kModifiers[] = {{"ctrl", 0x2}, {"alt", 0x1}, {"shift", 0x4}, {"win", 0x8}};
constexpr Named kKeys[] = {{"pageup", 0x21}, {"pagedown", 0x22}, {"end", 0x23},   {"home", 0x24},
                           {"left", 0x25},   {"up", 0x26},       {"right", 0x27}, {"down", 0x28},
                           {"insert", 0x2D}, {"delete", 0x2E}};
constexpr unsigned kF1 = 0x70, kFunctionKeys = 24;  // VK_F1 to VK_F24

unsigned lookup(std::span<const Named> table, std::string_view name) {
  for (const auto& [known, code] : table)
    if (known == name) return code;
  return 0;
}

// Letters and digits are their own codes.
unsigned keyCode(std::string_view name) {
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<unsigned>(std::toupper(static_cast<unsigned char>(name[0])));
  for (unsigned n = 1; n <= kFunctionKeys; ++n)
    if (name.starts_with('f') && name.substr(1) == std::to_string(n)) return kF1 + n - 1;
  return lookup(kKeys, name);
}

}  // namespace

std::optional<HotKey> parseHotKey(std::string_view text) {
  std::string s;  // "Page Down" is "pagedown"
  for (char ch : text)
    if (!std::isspace(static_cast<unsigned char>(ch)))
      s += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  HotKey key;
  if (s.empty()) return key;
  std::string_view rest = s;
  for (std::size_t plus; (plus = rest.find('+')) != rest.npos; rest.remove_prefix(plus + 1)) {
    const unsigned modifier = lookup(kModifiers, rest.substr(0, plus));
    if (!modifier) return std::nullopt;
    key.modifiers |= modifier;
  }
  key.vk = keyCode(rest);
  if (!key.vk || (!key.modifiers && (key.vk < kF1 || key.vk >= kF1 + kFunctionKeys)))
    return std::nullopt;
  return key;
}

}  // namespace settings
