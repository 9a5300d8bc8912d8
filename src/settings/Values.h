#pragma once
// Reading values that people type or edit by hand, one reader per kind of value, and the day
// count every date goes through.
#include <optional>
#include <string>
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

// A whole number within [min, max]: an optional minus and decimal digits, blanks around allowed
// (the system's profile functions drop them too); nothing for anything else. Minutes, counts,
// seconds and a command's value alike.
std::optional<int> wholeNumber(std::string_view text, int min, int max);
// A decimal number such as "12", "-0.5" or "12.": an optional sign, digits with at most one
// point, blanks around allowed; nothing for anything else (no exponent, hexadecimal or infinity).
std::optional<double> decimalNumber(std::string_view text);
// A stored slider, kelvin or level: any decimal number rounded half to even and clamped into
// [min, max]; neutral for anything else.
int storedSliderValue(std::string_view text, int min, int max, int neutral);

// A time of day, "H:MM" or "HH:MM" on the 24-hour clock (hours 0-23, minutes exactly two digits),
// blanks around allowed, as minutes since midnight; nothing for anything else.
std::optional<int> parseClockTime(std::string_view text);
// The minute of the day of any minute count (negative ones too) as "HH:MM".
std::string clockText(long long minute);

// A stored on/off flag: "1" or "0" with blanks around; anything else gives fallback.
bool storedFlag(std::string_view text, bool fallback);

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (years -32767 to 32767);
// linear in the day, so a day past the month's end counts on into the next month.
long long daysFromCivil(int year, int month, int day);
struct CivilDate {
  int year, month, day;
};
CivilDate civilFromDays(long long days);

}  // namespace settings
