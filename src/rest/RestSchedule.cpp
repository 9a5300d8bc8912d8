#include "rest/RestSchedule.h"

#include <algorithm>
#include <cstdio>

#include "settings/Values.h"

namespace rest {

namespace {

constexpr int kMinutesPerDay = 1440;

int minuteOfDay(long long absolute) {
  return static_cast<int>((absolute % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay);
}

}  // namespace

long long absoluteMinute(const ui::LocalTime& t) {
  return settings::daysFromCivil(t.year, t.month, t.day) * kMinutesPerDay + t.hour * 60LL +
         t.minute;
}

std::string formatMoment(long long absolute) {
  const settings::CivilDate d =
      settings::civilFromDays((absolute - minuteOfDay(absolute)) / kMinutesPerDay);
  char date[64];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d ", d.year, d.month, d.day);
  return date + settings::clockText(absolute);
}

std::optional<long long> parseMoment(std::string_view text) {
  text = settings::trimBlanks(text);
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
      text.substr(0, 10).find_first_not_of("0123456789-") != std::string_view::npos)
    return std::nullopt;
  const auto year = settings::wholeNumber(text.substr(0, 4), 0, 9999);
  const auto month = settings::wholeNumber(text.substr(5, 2), 1, 12);
  const auto day = settings::wholeNumber(text.substr(8, 2), 1, 31);
  const auto minute = settings::parseClockTime(text.substr(11));
  if (!year || !month || !day || !minute) return std::nullopt;
  // Only a date of the calendar: a day past its month's end (or day 0) does not come back.
  const long long days = settings::daysFromCivil(*year, *month, *day);
  const settings::CivilDate back = settings::civilFromDays(days);
  if (*year < 1970 || back.year != *year || back.month != *month || back.day != *day)
    return std::nullopt;
  return days * kMinutesPerDay + *minute;
}

long long pauseEnd(const ui::LocalTime& now, PauseFor how) {
  const long long minute = absoluteMinute(now);
  switch (how) {
    case PauseFor::HalfHour:
      return minute + 30;
    case PauseFor::Hour:
      return minute + 60;
    case PauseFor::Tomorrow:
      break;
  }
  return minute - minuteOfDay(minute) + kMinutesPerDay;
}

Countdown Countdown::ofSeconds(long long total) {
  if (total <= 0) return {};
  // The seconds field stands for the minute begun: 60 where a clock would show 0.
  return {static_cast<std::int16_t>((total - 1) / 3600),
          static_cast<std::int16_t>((total - 1) % 3600 / 60),
          static_cast<std::int16_t>((total - 1) % 60 + 1)};
}

std::string Countdown::caption() const {
  return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(seconds);
}

int RestSchedule::newPeriod(const ui::LocalTime& now, const Elapsed& elapsed, int intervalMinutes) {
  const long long nowMinute = absoluteMinute(now);
  next_ = minuteOfDay(nowMinute + intervalMinutes);
  // With M = 0 the current minute is due at once; with M = 1440 the same minute is due again
  // tomorrow, so the current minute counts as checked.
  checkedThrough_ = nowMinute - (intervalMinutes == 0 ? 1 : 0);
  lastSeenMs_ = elapsed.monotonicMs;
  // A working period starts with the person here: time away counts from now at the earliest.
  presentMs_ = elapsed.monotonicMs;
  restedAway_ = false;
  return *next_;
}

void RestSchedule::startCountdown(int n, std::int64_t monotonicMs) {
  countdown_ = Countdown::ofSeconds(n * 60LL);
  lastSeenMs_ = monotonicMs;  // the clock may have slept for most of a minute since its last tick
  counting_ = true;
  laters_ = 0;
}

long long RestSchedule::later(const ui::LocalTime& now, int minutes) {
  const long long nowMinute = absoluteMinute(now);
  // A minute begun counts as gone: the prompt never comes back sooner than asked.
  const long long back = nowMinute + minutes + (now.second > 0 ? 1 : 0);
  resumeLater(now, back, laters_ + 1);
  return back;
}

void RestSchedule::resumeLater(const ui::LocalTime& now, std::optional<long long> until,
                               int laters) {
  laters_ = laters;
  if (!until) return;
  next_ = minuteOfDay(*until);
  checkedThrough_ = absoluteMinute(now);
}

void RestSchedule::sessionLocked(bool locked, std::int64_t monotonicMs) {
  if (locked) {
    if (!lockedSinceMs_) lockedSinceMs_ = monotonicMs;
  } else {
    lockedSinceMs_.reset();
    presentMs_ = monotonicMs;  // whoever unlocks is back, whatever the input count says
  }
}

TickOutcome RestSchedule::onTick(const ui::LocalTime& now, const Elapsed& elapsed, Stage stage,
                                 int lengthMinutes) {
  const long long nowMinute = absoluteMinute(now);
  const long long firstUnchecked = checkedThrough_ ? *checkedThrough_ + 1 : nowMinute;
  const std::int64_t gapMs = lastSeenMs_ ? elapsed.monotonicMs - *lastSeenMs_ : 0;
  checkedThrough_ = nowMinute;
  lastSeenMs_ = elapsed.monotonicMs;
  // Full-screen work is no rest, however long it goes without input.
  if (elapsed.busy != ui::Busy::No) presentMs_ = elapsed.monotonicMs;

  TickOutcome out;
  switch (stage) {
    case Stage::Resting: {
      // The rest is taken on the screen: time away is the rest itself. The countdown keeps to the
      // counter: a late tick counts its seconds, and a machine that slept through the rest wakes
      // to its end.
      presentMs_ = elapsed.monotonicMs;
      restedAway_ = false;
      const long long seconds = std::max<long long>(1, (gapMs + 500) / 1000);
      countdown_ = Countdown::ofSeconds(countdown_.totalSeconds() - seconds);
      counting_ = !countdown_.ended();
      out.countdown = countdown_;
      if (!counting_) out.event = Event::RestOver;
      return out;
    }
    case Stage::Paused:  // nothing comes due, and its time is no work
    case Stage::Off:
    case Stage::OutsideHours:
      return out;
    default:
      break;
  }
  if (backFromRestAway(elapsed, gapMs - std::max<std::int64_t>(0, elapsed.plannedMs - 1000),
                       lengthMinutes * 60000LL)) {
    laters_ = 0;
    out.event = Event::NewPeriod;
  } else if (restedAway_) {
    out.event = Event::AwayARest;  // away long enough: the return decides
  } else if (stage == Stage::Prompt || stage == Stage::Held || dueNow(nowMinute, firstUnchecked)) {
    // A prompt due or up waits while the person is busy, for whatever reason holds now.
    if (elapsed.busy != ui::Busy::No)
      out.event = Event::HoldBegan;
    else if (stage == Stage::Held)
      out.event = Event::HoldEnded;
    else if (stage != Stage::Prompt)
      out.event = Event::Due;
  }
  return out;
}

// True on the tick the person comes back from an absence of at least a rest's length: asleep
// (the counter ran on between two ticks beyond the wait planned for the tick), without input, or
// with the session locked.
bool RestSchedule::backFromRestAway(const Elapsed& elapsed, std::int64_t gapMs,
                                    std::int64_t restMs) {
  const std::int64_t mono = elapsed.monotonicMs;
  std::int64_t away = presentMs_ ? std::min(elapsed.idleMs, mono - *presentMs_) : elapsed.idleMs;
  if (lockedSinceMs_) away = std::max(away, mono - *lockedSinceMs_);
  if (gapMs >= restMs || (restedAway_ && away < restMs)) {
    restedAway_ = false;
    presentMs_ = mono;
    return true;
  }
  if (away >= restMs) restedAway_ = true;
  return false;
}

long long RestSchedule::secondsToDue(const ui::LocalTime& now) const {
  if (!next_) return 2LL * kMinutesPerDay * 60;
  const long long nowMinute = absoluteMinute(now);
  const long long first = checkedThrough_ ? *checkedThrough_ + 1 : nowMinute;
  return (first + minuteOfDay(*next_ - first) - nowMinute) * 60 - now.second;
}

bool RestSchedule::dueNow(long long nowMinute, long long firstUnchecked) const {
  if (!next_) return false;
  // The next rest time is a time of day; its first occurrence after the last minute checked is
  // due when it is the current minute, and also when the wall clock jumped over it (sleep shorter
  // than a rest, a clock set forward: no rest was taken). Minutes are counted on the local
  // calendar, so midnight is nothing special; a clock set back holds no occurrence (the time comes
  // round again normally).
  return firstUnchecked + minuteOfDay(*next_ - firstUnchecked) <= nowMinute;
}

}  // namespace rest

namespace rest {

Stage nextStage(Stage from, Event event, const Quiet& quiet) {
  if (event == Event::RestNow) return Stage::Resting;
  // A rest under way ends only by its own end.
  if (from == Stage::Resting && event != Event::RestOver) return from;
  if (quiet.off) return Stage::Off;
  if (quiet.paused) return Stage::Paused;
  if (quiet.outsideHours) return Stage::OutsideHours;
  // Where the clock runs towards the next prompt.
  const bool working = from == Stage::Working || from == Stage::Warning || from == Stage::Later ||
                       from == Stage::Held || from == Stage::Away;
  switch (event) {
    case Event::Soon:
      return from == Stage::Working || from == Stage::Later ? Stage::Warning : from;
    case Event::NotSoon:
      return from == Stage::Warning ? Stage::Working : from;
    case Event::Due:
    case Event::HoldEnded:
      return working || from == Stage::ShortBreak ? Stage::Prompt : from;
    case Event::HoldBegan:
      return from != Stage::Away ? Stage::Held : from;
    case Event::AwayARest:
      return working ? Stage::Away : from;
    case Event::Later:
      return working || from == Stage::Prompt ? Stage::Later : from;
    case Event::BreakDue:
      return from == Stage::Working ? Stage::ShortBreak : from;
    case Event::BreakEnded:
      return from == Stage::ShortBreak ? Stage::Working : from;
    case Event::Tick:
    case Event::Resume:
    case Event::RemindersOn:
    case Event::HoursBegan:
    case Event::DisplayChange:
    case Event::Lock:
    case Event::Unlock:
      // Nothing moves, but a stage kept quiet by what has since ended starts working again.
      return from == Stage::Off || from == Stage::Paused || from == Stage::OutsideHours
                 ? Stage::Working
                 : from;
    default:
      // DoNot, NewPeriod, RestOver; Pause, RemindersOff and HoursEnded are quiet stages above.
      return Stage::Working;
  }
}

bool startsPeriod(Stage from, Event event, Stage to) {
  if (to == Stage::Resting || to == Stage::Off || to == Stage::Paused || to == Stage::OutsideHours)
    return false;
  switch (event) {
    case Event::NewPeriod:
    case Event::DoNot:
    case Event::RestOver:
      return true;
    default:
      // Back from a pause or from outside working hours: the clock starts afresh.
      return to != from && (from == Stage::Paused || from == Stage::OutsideHours);
  }
}

std::string untilText(long long absolute, const ui::LocalTime& now) {
  static constexpr const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  const long long today = absoluteMinute(now) / kMinutesPerDay;
  const long long day = absolute / kMinutesPerDay;
  if (day == today + 1 && minuteOfDay(absolute) == 0) return "tomorrow";
  if (day == today) return settings::clockText(absolute);
  return settings::clockText(absolute) + " " + kDays[day % 7];  // 1970-01-01 was a Thursday
}

std::string tipText(const Standing& s, const ui::LocalTime& now) {
  switch (s.stage) {
    case Stage::Off:
      return "Rest reminders are off";
    case Stage::Paused:
      return "Reminders paused until " + untilText(s.until.value_or(0), now);
    case Stage::OutsideHours: {
      const std::string at = untilText(s.until.value_or(0), now);  // "tomorrow" takes no "at"
      return "Reminders start " + (at == "tomorrow" ? at : "at " + at);
    }
    case Stage::Prompt:
      return "Rest now";
    case Stage::ShortBreak:
      return "Short break";
    case Stage::Resting: {
      const long long end = now.hour * 3600LL + now.minute * 60 + now.second + s.restLeftSeconds;
      return "Resting until " + settings::clockText(end / 60);
    }
    case Stage::Held:
      switch (s.hold) {
        case ui::Busy::Presentation:
          return "Rest due when the presentation ends";
        case ui::Busy::QuietTime:
          return "Rest due when quiet time ends";
        case ui::Busy::Call:
          return "Rest due after the call" + (s.holder.empty() ? "" : " (" + s.holder + ")");
        case ui::Busy::Listed:
          return "Rest due when " + (s.holder.empty() ? "the listed program" : s.holder) +
                 " is no longer in front";
        default:
          return "Rest due when the full-screen program ends";
      }
    case Stage::Away:
      return "Away: counted as a rest";
    default:
      break;
  }
  return s.next ? "Next rest at " + settings::clockText(*s.next) : "Rest reminders are off";
}

int warningLevel(const Standing& s, long long secondsToDue, bool warnOn) {
  if (!warnOn) return 100;
  if (s.stage == Stage::Prompt) return s.promptLevel;
  if (s.stage != Stage::Warning || secondsToDue <= 0 || secondsToDue > 60) return 100;
  return 100 - static_cast<int>((61 - secondsToDue) * 10 / 60);
}

long long latestStoredEnd(const ui::LocalTime& now) {
  constexpr int kSlackMinutes = 5;  // a clock corrected by a few minutes damages nothing
  return absoluteMinute(now) + kMinutesPerDay + kSlackMinutes;
}

}  // namespace rest
