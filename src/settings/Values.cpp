#include "settings/Values.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace settings {

namespace {

constexpr std::string_view kDigits = "0123456789";

}  // namespace

std::optional<int> wholeNumber(std::string_view text, int min, int max) {
  text = trimBlanks(text);
  int value = 0;
  // A plus sign, a second sign or a value past int's range is no number here.
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return std::nullopt;
  return value;
}

std::optional<double> decimalNumber(std::string_view text) {
  text = trimBlanks(text);
  std::string_view body = text;
  if (!body.empty() && (body.front() == '-' || body.front() == '+')) body.remove_prefix(1);
  const std::size_t dot = body.find('.');
  const std::string_view whole = body.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? "" : body.substr(dot + 1);
  if ((whole.empty() && fraction.empty()) || whole.find_first_not_of(kDigits) != whole.npos ||
      fraction.find_first_not_of(kDigits) != fraction.npos)
    return std::nullopt;
  return std::strtod(std::string(text).c_str(), nullptr);
}

int storedSliderValue(std::string_view text, int min, int max, int neutral) {
  const std::optional<double> value = decimalNumber(text);
  if (!value) return neutral;
  // Halves go to even, as the ramp's own arithmetic rounds.
  return static_cast<int>(std::clamp(std::nearbyint(*value), double(min), double(max)));
}

std::optional<int> parseClockTime(std::string_view text) {
  text = trimBlanks(text);
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon > 2 || text.size() != colon + 3) return std::nullopt;
  if (text.find_first_not_of("0123456789:") != std::string_view::npos) return std::nullopt;
  const std::optional<int> hour = wholeNumber(text.substr(0, colon), 0, 23);
  const std::optional<int> minute = wholeNumber(text.substr(colon + 1), 0, 59);
  if (!hour || !minute) return std::nullopt;
  return *hour * 60 + *minute;
}

std::string clockText(long long minute) {
  const long long ofDay = (minute % 1440 + 1440) % 1440;
  const auto twoDigits = [](long long n) {
    return std::string{char('0' + n / 10), char('0' + n % 10)};
  };
  return twoDigits(ofDay / 60) + ":" + twoDigits(ofDay % 60);
}

bool storedFlag(std::string_view text, bool fallback) {
  text = trimBlanks(text);
  if (text == "1") return true;
  if (text == "0") return false;
  return fallback;
}

long long daysFromCivil(int year, int month, int day) {
  const std::chrono::year_month_day date{std::chrono::year(year),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  return std::chrono::sys_days(date).time_since_epoch().count();
}

CivilDate civilFromDays(long long days) {
  const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(days))};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day()))};
}

}  // namespace settings
