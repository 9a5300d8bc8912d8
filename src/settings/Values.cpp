#include "settings/Values.h"

#include <algorithm>
#include <charconv>
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
