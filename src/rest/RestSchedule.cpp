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
  held_ = ui::Busy::No;
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
  held_ = ui::Busy::No;
}

void RestSchedule::sessionLocked(bool locked, std::int64_t monotonicMs) {
  if (locked) {
    if (!lockedSinceMs_) lockedSinceMs_ = monotonicMs;
  } else {
    lockedSinceMs_.reset();
    presentMs_ = monotonicMs;  // whoever unlocks is back, whatever the input count says
  }
}

TickOutcome RestSchedule::onTick(const ui::LocalTime& now, const Elapsed& elapsed,
                                 const Reminder& reminder) {
  const long long nowMinute = absoluteMinute(now);
  const long long firstUnchecked = checkedThrough_ ? *checkedThrough_ + 1 : nowMinute;
  const std::int64_t gapMs = lastSeenMs_ ? elapsed.monotonicMs - *lastSeenMs_ : 0;
  checkedThrough_ = nowMinute;
  lastSeenMs_ = elapsed.monotonicMs;
  // Full-screen work is no rest, however long it goes without input.
  if (elapsed.busy != ui::Busy::No) presentMs_ = elapsed.monotonicMs;

  TickOutcome out;
  if (!reminder.on) return out;  // a countdown that runs does not advance either

  if (counting_) {
    // The rest is taken on the screen: time away is the rest itself. The countdown keeps to the
    // counter: a late tick counts its seconds, and a machine that slept through the rest wakes to
    // its end.
    presentMs_ = elapsed.monotonicMs;
    restedAway_ = false;
    const long long seconds = std::max<long long>(1, (gapMs + 500) / 1000);
    countdown_ = Countdown::ofSeconds(countdown_.totalSeconds() - seconds);
    counting_ = !countdown_.ended();
    out.counted = true;
    out.countdown = countdown_;
    if (!counting_) return out;  // the end of the rest starts the next period
  } else if (reminder.pausedUntil) {
    // Nothing comes due in a pause, and its time is no work: its end starts a working period.
    held_ = ui::Busy::No;
    if (nowMinute >= *reminder.pausedUntil) out.due = Due::NewPeriod;
    return out;
  } else if (backFromRestAway(elapsed, gapMs - std::max<std::int64_t>(0, elapsed.plannedMs - 1000),
                              reminder.lengthMinutes * 60000LL)) {
    held_ = ui::Busy::No;
    laters_ = 0;
    out.due = Due::NewPeriod;
    return out;
  }

  if (reminder.prompted || restedAway_) return out;  // away long enough: the return decides
  // A prompt that waits goes on waiting while the person is busy, for whatever reason holds now.
  const bool due = dueNow(nowMinute, firstUnchecked) || held_ != ui::Busy::No;
  held_ = due ? elapsed.busy : ui::Busy::No;
  if (due && held_ == ui::Busy::No) out.due = Due::Prompt;
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

Stage nextStage(Stage from, Step step) {
  // A rest under way (a rest or a short break) ends only by its own end; nothing else changes it
  // but a new rest.
  const bool resting = from == Stage::Resting || from == Stage::ShortBreak;
  // Where the clock runs towards the next prompt.
  const bool working = from == Stage::Working || from == Stage::Warning || from == Stage::Later ||
                       from == Stage::Held || from == Stage::Away;
  switch (step) {
    case Step::NewPeriod:
      return working ? Stage::Working : from;
    case Step::Soon:
      return from == Stage::Working || from == Stage::Later ? Stage::Warning : from;
    case Step::NotSoon:
      return from == Stage::Warning ? Stage::Working : from;
    case Step::Due:
      return working || from == Stage::Prompt ? Stage::Prompt : from;
    case Step::Hold:
      return working && from != Stage::Away ? Stage::Held : from;
    case Step::PutOff:
      return working || from == Stage::Prompt ? Stage::Later : from;
    case Step::Skip:
      return working || from == Stage::Prompt ? Stage::Working : from;
    case Step::TakeRest:
      return Stage::Resting;
    case Step::RestOver:
      return resting ? Stage::Working : from;
    case Step::AwayARest:
      return working ? Stage::Away : from;
    case Step::Pause:
      return resting ? from : Stage::Paused;
    case Step::Resume:
      return from == Stage::Paused ? Stage::Working : from;
    case Step::LookAway:
      return from == Stage::Working ? Stage::ShortBreak : from;
  }
  return from;
}

std::string tipText(const Standing& s, const ui::LocalTime& now) {
  if (!s.on) return "Rest reminders are off";
  switch (s.stage) {
    case Stage::Paused:
      return "Reminders paused until " + settings::clockText(s.pausedUntil.value_or(0));
    case Stage::Prompt:
      return "Rest now";
    case Stage::Resting:
    case Stage::ShortBreak: {
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
          return "Rest due after the call";
        case ui::Busy::Listed:
          return "Rest due when the listed program is no longer in front";
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
  if (!s.on || !warnOn) return 100;
  if (s.stage == Stage::Prompt) return s.promptLevel;
  if (s.stage != Stage::Warning || secondsToDue <= 0 || secondsToDue > 60) return 100;
  return 100 - static_cast<int>((61 - secondsToDue) * 10 / 60);
}

long long latestStoredEnd(const ui::LocalTime& now) {
  constexpr int kSlackMinutes = 5;  // a clock corrected by a few minutes damages nothing
  return absoluteMinute(now) + kMinutesPerDay + kSlackMinutes;
}

}  // namespace rest
