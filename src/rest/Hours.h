#pragma once
// Working hours: the days and times of day reminders run in, a pure schedule in local wall-clock
// minutes as the rest clock's is, and the rest panel's row for them.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "controls/SafeSwitch.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/RowLayout.h"

namespace rest {

struct WorkingHours {
  bool on = false;                                                       // off: at any time
  std::array<bool, 7> days{true, true, true, true, true, false, false};  // Monday first
  // Minutes of the day. A `to` before `from` runs over midnight into the next day, which counts
  // as the day it began; a `to` equal to `from` is a whole day.
  int from = 9 * 60;
  int to = 18 * 60;
  friend bool operator==(const WorkingHours&, const WorkingHours&) = default;
};

// The [hours] section; a value that cannot be read keeps its default and is named in the store's
// ignored values.
WorkingHours readWorkingHours(settings::Ini& ini);
// The entries and the working hours' values after them, to store in one save.
std::vector<ui::ProfileEntry> withHours(std::vector<ui::ProfileEntry> entries,
                                        const WorkingHours& hours);
// Nothing inside working hours (always while they are off), else the local minute since 1970
// they next begin. By the wall clock: a start skipped in spring is in force from the minute after
// the skip, and the hour repeated in autumn is inside or outside each time as its times are.
std::optional<long long> closedUntil(const WorkingHours& hours, const ui::LocalTime& now);
// "09:00-18:00 mon,tue,wed,thu,fri", or "always" while working hours are off.
std::string hoursStatus(const WorkingHours& hours);

// A day that a click turns on and off: a check button read by the day's full name.
class DayToggle : public ui::Control {
 public:
  explicit DayToggle(int day);
  void setOn(bool on);
  ui::Role role() const override { return ui::Role::CheckButton; }
  bool checked() const override { return on_; }

 private:
  bool on_ = false;
};

// The rest panel's row: the switch and From/To boxes (in the panel's design table), the days
// below them.
struct HoursRow {
  ui::Label caption{"hoursCaption"}, fromText{"hoursFromText"}, toText{"hoursToText"};
  controls::SafeSwitch on{"hoursOn"};
  ui::TextBox from{"hoursFrom"}, to{"hoursTo"};
  std::array<DayToggle, 7> days{DayToggle{0}, DayToggle{1}, DayToggle{2}, DayToggle{3},
                                DayToggle{4}, DayToggle{5}, DayToggle{6}};

  ui::Row daysRow(int labelWidth);
  void show(const WorkingHours& hours);
  // As typed; nothing, and the fault for the message, when a time or the days are not right.
  std::optional<WorkingHours> typed(std::string& fault) const;
};

}  // namespace rest
