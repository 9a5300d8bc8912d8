#include "rest/Hours.h"

#include <algorithm>

#include "rest/RestSchedule.h"
#include "settings/Keys.h"
#include "settings/Values.h"
#include "ui/Text.h"

namespace rest {

namespace {

namespace keys = settings::keys;
constexpr int kMinutesPerDay = 1440;
constexpr const char* kDays[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                  "Friday", "Saturday", "Sunday"};

// Monday first; 1970-01-01, day 0, was a Thursday.
std::size_t weekday(long long day) {
  return static_cast<std::size_t>((day % 7 + 10) % 7);
}

std::string daysText(const std::array<bool, 7>& days) {
  std::string text;
  for (std::size_t d = 0; d < days.size(); ++d)
    if (days[d]) text.append(text.empty() ? "" : ",").append(ui::asciiLower({kDays[d], 3}));
  return text;
}

// Day names separated by commas, blanks around each; no day at all is no value.
std::optional<std::array<bool, 7>> parseDays(std::string_view text) {
  std::array<bool, 7> days{};
  for (std::size_t start = 0, comma = 0; comma != std::string_view::npos; start = comma + 1) {
    comma = text.find(',', start);
    const std::string_view name = settings::trimBlanks(text.substr(start, comma - start));
    const auto* day = std::ranges::find_if(
        kDays, [name](std::string_view d) { return ui::sameIgnoringCase(name, d.substr(0, 3)); });
    if (day == std::end(kDays)) return std::nullopt;
    days[static_cast<std::size_t>(day - kDays)] = true;
  }
  return days;
}

std::optional<bool> parseFlag(std::string_view text) {
  const bool on = settings::storedFlag(text, true);
  return on == settings::storedFlag(text, false) ? std::optional(on) : std::nullopt;
}

}  // namespace

WorkingHours readWorkingHours(settings::Ini& ini) {
  WorkingHours h;
  // used: the default the field keeps.
  const auto read = [&](const char* key, auto parse, auto& field, const std::string& used) {
    const std::string value = ini.readini(keys::kHoursSection, key);
    if (const auto parsed = parse(value))
      field = *parsed;
    else if (value != key)  // a key that is not there reads as its own name, and is no fault
      ini.ignored.add(keys::kHoursSection, key, value, used);
  };
  read(keys::kHoursOn, parseFlag, h.on, h.on ? "1" : "0");
  read(keys::kHoursDays, parseDays, h.days, daysText(h.days));
  read(keys::kHoursFrom, settings::parseClockTime, h.from, settings::clockText(h.from));
  read(keys::kHoursTo, settings::parseClockTime, h.to, settings::clockText(h.to));
  return h;
}

std::vector<ui::ProfileEntry> withHours(std::vector<ui::ProfileEntry> entries,
                                        const WorkingHours& h) {
  entries.insert(entries.end(),
                 {{keys::kHoursSection, keys::kHoursOn, h.on ? "1" : "0"},
                  {keys::kHoursSection, keys::kHoursDays, daysText(h.days)},
                  {keys::kHoursSection, keys::kHoursFrom, settings::clockText(h.from)},
                  {keys::kHoursSection, keys::kHoursTo, settings::clockText(h.to)}});
  return entries;
}

std::optional<long long> closedUntil(const WorkingHours& h, const ui::LocalTime& now) {
  const long long minute = absoluteMinute(now);
  const long long today = minute / kMinutesPerDay;  // from 1970 on: never negative
  const int length = (h.to - h.from + kMinutesPerDay - 1) % kMinutesPerDay + 1;
  // Yesterday's hours may run on past midnight; within a week every chosen day comes round.
  for (long long day = today - 1; h.on && day <= today + 7; ++day) {
    const long long begin = day * kMinutesPerDay + h.from;
    if (h.days[weekday(day)] && minute < begin + length)
      return begin <= minute ? std::nullopt : std::optional(begin);
  }
  return std::nullopt;
}

std::string hoursStatus(const WorkingHours& h) {
  if (!h.on) return "always";
  return settings::clockText(h.from) + "-" + settings::clockText(h.to) + " " + daysText(h.days);
}

DayToggle::DayToggle(int day) : ui::Control(ui::Kind::Label, "hoursDay", day) {
  setText(std::string(kDays[day], 3));
  setAccessName(kDays[day]);
  setAlign(ui::Align::Centre);
  setOn(false);
  Click = [this] { setOn(!on_); };
}

void DayToggle::setOn(bool on) {
  constexpr ui::Colour kWhite = ui::hex(0xFFFFFF);
  setBackColour(on ? ui::kFeatureOnColour : kWhite);
  setForeColour(on ? kWhite : ui::hex(0x404040));
  if (on != on_) changed(ui::Property::Value);
  on_ = on;
}

ui::Row HoursRow::daysRow(int labelWidth) {
  ui::Row row;
  for (DayToggle& day : days)
    row.cells.push_back({&day, 510, 255, row.cells.empty() ? labelWidth : 60});
  return row;
}

void HoursRow::show(const WorkingHours& hours) {
  on.setValue(hours.on);
  for (std::size_t d = 0; d < days.size(); ++d) days[d].setOn(hours.days[d]);
  from.setText(settings::clockText(hours.from));
  to.setText(settings::clockText(hours.to));
}

std::optional<WorkingHours> HoursRow::typed(std::string& fault) const {
  WorkingHours h{on.Value()};
  std::ranges::transform(days, h.days.begin(), &DayToggle::checked);
  const std::optional<int> start = settings::parseClockTime(from.text());
  const std::optional<int> end = settings::parseClockTime(to.text());
  if (!start)
    fault = "Working hours \"From\" needs a time of day such as 09:00.";
  else if (!end)
    fault = "Working hours \"To\" needs a time of day such as 18:00.";
  else if (h.on && h.days == std::array<bool, 7>{})
    fault = "Working hours need at least one day.";
  if (!fault.empty()) return std::nullopt;
  h.from = *start;
  h.to = *end;
  return h;
}

}  // namespace rest
