#include "settings/Values.h"

#include <chrono>

namespace settings {

std::optional<int> digitsValue(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int value = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  return value;
}

std::optional<int> parseClockTime(std::string_view text) {
  text = trimBlanks(text);
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon > 2 || text.size() != colon + 3) return std::nullopt;
  const std::optional<int> hour = digitsValue(text.substr(0, colon));
  const std::optional<int> minute = digitsValue(text.substr(colon + 1));
  if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
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
