#include "rest/Hours.h"

#include <algorithm>
#include <limits>

#include "rest/RestSchedule.h"
#include "settings/Keys.h"
#include "settings/Values.h"
#include "ui/Text.h"

namespace rest {

namespace {

namespace keys = settings::keys;
constexpr int kMinutesPerDay = 1440;

long long floorDiv(long long a, long long b) {
  return a / b - (a % b < 0 ? 1 : 0);
}

// Monday first; 1970-01-01, day 0, was a Thursday.
int weekday(long long day) {
  return static_cast<int>((day % 7 + 7 + 3) % 7);
}

}  // namespace

std::optional<Weekdays> parseDays(std::string_view text) {
  Weekdays days{};
  std::size_t start = 0;
  for (std::size_t comma = 0; comma != std::string_view::npos; start = comma + 1) {
    comma = text.find(',', start);
    const std::string_view name = settings::trimBlanks(text.substr(start, comma - start));
    const auto* day = std::ranges::find_if(
        kDayNames, [name](const char* d) { return ui::sameIgnoringCase(name, d); });
    if (day == std::end(kDayNames)) return std::nullopt;
    days[static_cast<std::size_t>(day - kDayNames)] = true;
  }
  return days;
}

std::string daysText(const Weekdays& days) {
  std::string text;
  for (std::size_t d = 0; d < days.size(); ++d) {
    if (!days[d]) continue;
    if (!text.empty()) text += ',';
    text += ui::asciiLower(kDayNames[d]);
  }
  return text;
}

WorkingHours readWorkingHours(settings::Ini& ini, settings::IgnoredValues& ignored) {
  WorkingHours h;
  const auto read = [&ini](const char* key) { return ini.readini(keys::kHoursSection, key); };
  // A key that is not there reads as its own name, and is no fault.
  const auto usable = [&ignored](const char* key, const std::string& value, bool fine) {
    if (!fine && value != key) ignored.add(keys::kHoursSection, key, value);
    return fine;
  };
  const std::string on(settings::trimBlanks(read(keys::kHoursOn)));
  if (usable(keys::kHoursOn, on, on == "0" || on == "1")) h.on = on == "1";
  const std::string days = read(keys::kHoursDays);
  if (const auto d = parseDays(days); usable(keys::kHoursDays, days, d.has_value())) h.days = *d;
  const std::string from = read(keys::kHoursFrom);
  const std::string to = read(keys::kHoursTo);
  if (const auto t = settings::parseClockTime(from); usable(keys::kHoursFrom, from, t.has_value()))
    h.from = *t;
  if (const auto t = settings::parseClockTime(to); usable(keys::kHoursTo, to, t.has_value()))
    h.to = *t;
  return h;
}

std::vector<ui::ProfileEntry> storedEntries(const WorkingHours& h) {
  return {{keys::kHoursSection, keys::kHoursOn, h.on ? "1" : "0"},
          {keys::kHoursSection, keys::kHoursDays, daysText(h.days)},
          {keys::kHoursSection, keys::kHoursFrom, settings::clockText(h.from)},
          {keys::kHoursSection, keys::kHoursTo, settings::clockText(h.to)}};
}

std::optional<Stretch> stretchAt(const WorkingHours& h, long long minute) {
  if (!h.on)
    return Stretch{std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
  int length = ((h.to - h.from) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
  if (length == 0) length = kMinutesPerDay;
  std::optional<Stretch> found;
  // Yesterday's hours may run on past midnight; a week on, every chosen day has come round.
  const long long today = floorDiv(minute, kMinutesPerDay);
  for (long long day = today - 1; day <= today + 8; ++day) {
    const long long begin = day * kMinutesPerDay + h.from;
    if (!h.days[static_cast<std::size_t>(weekday(day))] || begin + length <= minute) continue;
    if (found && begin > found->end) break;
    if (found)
      found->end = begin + length;  // whole days in a row are one stretch
    else
      found = Stretch{begin, begin + length};
  }
  return found;
}

bool insideHours(const WorkingHours& h, const ui::LocalTime& now) {
  const long long minute = absoluteMinute(now);
  const std::optional<Stretch> s = stretchAt(h, minute);
  return s && s->begin <= minute;
}

std::string startText(long long begin, const ui::LocalTime& now) {
  std::string text = "Reminders start at " + settings::clockText(begin);
  const long long day = floorDiv(begin, kMinutesPerDay);
  if (day != floorDiv(absoluteMinute(now), kMinutesPerDay))
    text.append(" ").append(kDayNames[weekday(day)]);
  return text;
}

std::string hoursStatus(const WorkingHours& h) {
  if (!h.on) return "always";
  return settings::clockText(h.from) + "-" + settings::clockText(h.to) + " " + daysText(h.days);
}

}  // namespace rest
