#include "settings/Values.h"

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

// Counted in 400-year eras of 146097 days from 0000-03-01, so leap days fall at each year's end.
long long daysFromCivil(int year, int month, int day) {
  if (month <= 2) year -= 1;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yoe = year - era * 400;
  const long long mp = (month + 9) % 12;
  const long long doy = (153 * mp + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(long long days) {
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  long long month = mp - 9;
  if (mp < 10) month = mp + 3;
  long long year = yoe + era * 400;
  if (month <= 2) year += 1;
  return {static_cast<int>(year), static_cast<int>(month),
          static_cast<int>(doy - (153 * mp + 2) / 5 + 1)};
}

}  // namespace settings
