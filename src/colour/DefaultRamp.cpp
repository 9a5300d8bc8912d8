#include "colour/DefaultRamp.h"

#include "colour/GammaEngine.h"

namespace colour {

namespace {

bool isBlank(char ch) {
  return ch == ' ' || ch == '\t';
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A whole decimal number with an optional sign; saturates far outside the 16-bit range.
std::optional<long> parseWhole(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  long value = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return std::nullopt;
    if (value < 1000000) value = value * 10 + (ch - '0');
  }
  return negative ? -value : value;
}

std::string quoted(std::string_view s) {
  constexpr std::size_t kShown = 20;
  std::string shown(s.substr(0, kShown));
  if (s.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

}  // namespace

DefaultRampResult parseDefaultRamp(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // saved with a UTF-8 mark

  ui::Ramp ramp{};
  int count = 0;
  int line = 1;
  std::size_t pos = 0;
  while (count < kEntries * kChannels && pos <= text.size()) {
    std::size_t end = text.find_first_of(",\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view field = trimBlanks(text.substr(pos, end - pos));
    if (!field.empty()) {
      const std::string where = "line " + std::to_string(line) + ": ";
      auto number = parseWhole(field);
      if (!number) return {std::nullopt, where + quoted(field) + " is not a whole number"};
      if (*number < -32768 || *number > 32767)
        return {std::nullopt, where + quoted(field) + " is outside the range -32768 to 32767"};
      // Entry by entry in the file, channel by channel in the ramp.
      const int entry = count / kChannels;
      const int channel = count % kChannels;
      ramp[at(channel, entry)] =
          static_cast<std::uint16_t>(*number < 0 ? *number + 65536 : *number);
      ++count;
    }
    if (end < text.size() && (text[end] == '\n' || (text[end] == '\r' && (end + 1 == text.size() ||
                                                                          text[end + 1] != '\n'))))
      ++line;
    pos = end + 1;
  }
  if (count < kEntries * kChannels)
    return {std::nullopt, "it holds only " + std::to_string(count) + " of the " +
                              std::to_string(kEntries * kChannels) + " numbers"};
  return {ramp, {}};
}

}  // namespace colour
