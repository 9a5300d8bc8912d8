#pragma once
// Working hours: the days and the times of day reminders run in. Pure functions of the settings
// and the local time, as the rest schedule is; the rest engine asks them whether a moment is
// inside the hours and when the hours next begin and end.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Ignored.h"
#include "settings/Ini.h"
#include "ui/System.h"

namespace rest {

using Weekdays = std::array<bool, 7>;  // Monday first
inline constexpr const char* kDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

struct WorkingHours {
  bool on = false;  // off: reminders at any time
  Weekdays days{true, true, true, true, true, false, false};
  // Minutes of the day. A `to` before `from` runs over midnight into the next day, which counts
  // as the day it began; a `to` equal to `from` is the whole day from `from`.
  int from = 9 * 60;
  int to = 18 * 60;
  friend bool operator==(const WorkingHours&, const WorkingHours&) = default;
};

// "mon,tue" (any case, blanks around each name) as the days; nothing for anything that is not a
// day's three-letter English name, and for no day at all.
std::optional<Weekdays> parseDays(std::string_view text);
// "mon,tue,wed,thu,fri": the days as stored, Monday first.
std::string daysText(const Weekdays& days);
// The [hours] section; a value that cannot be read keeps its default and is named in ignored.
WorkingHours readWorkingHours(settings::Ini& ini, settings::IgnoredValues& ignored);
std::vector<ui::ProfileEntry> storedEntries(const WorkingHours& hours);

// Working hours in force from begin up to end, in local minutes since 1970. Local wall-clock
// minutes: a start the clock skips in spring is in force from the first minute after the skip,
// and the hour the clock repeats in autumn is inside or outside each time as its times are.
struct Stretch {
  long long begin = 0;
  long long end = 0;
};
// The stretch in force at the minute or the next one to begin (whole days that follow it
// joined); without limits while working hours are off, nothing with no day chosen.
std::optional<Stretch> stretchAt(const WorkingHours& hours, long long minute);
bool insideHours(const WorkingHours& hours, const ui::LocalTime& now);
// "Reminders start at 09:00 Mon", the day only when it is not today.
std::string startText(long long begin, const ui::LocalTime& now);
// "09:00-18:00 mon,tue,wed,thu,fri", or "always" while working hours are off.
std::string hoursStatus(const WorkingHours& hours);

}  // namespace rest
