#pragma once
// The rest clock without any window: which minute a rest is due in, time away, and the countdown.
// Rest feeds it a tick and applies what it returns.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/System.h"

namespace rest {

constexpr int kDefaultInterval = 45;  // minutes of work between rests
constexpr int kDefaultLength = 5;     // minutes of rest
constexpr int kMinInterval = 0;
constexpr int kMaxInterval = 1440;
constexpr int kMinLength = 1;
constexpr int kMaxLength = 1440;
constexpr int kDefaultLater = 5;   // minutes a prompt put off stays away
constexpr int kDefaultLaters = 3;  // prompts put off in a row at most

// A whole number of minutes within [min, max]: decimal digits after an optional minus sign,
// surrounding blanks allowed (the system's profile functions drop them too).
std::optional<int> wholeMinutes(std::string_view text, int min, int max);
// Stored settings as the load step takes them: the number, or the default when the stored text is
// not a whole number of minutes in range.
std::string intervalOrDefault(const std::string& stored);
std::string lengthOrDefault(const std::string& stored);

// Local minutes since 1970 (seconds dropped), and as "YYYY-MM-DD HH:MM" text.
long long absoluteMinute(const ui::LocalTime& t);
std::string formatMoment(long long absolute);
std::optional<long long> parseMoment(std::string_view text);

enum class PauseFor { HalfHour, Hour, Tomorrow };
// The first minute after a pause asked for at now: tomorrow starts at the coming midnight.
long long pauseEnd(const ui::LocalTime& now, PauseFor how);

// Time left of a rest. The seconds run 60..1, never 0, until the very end.
struct Countdown {
  std::int16_t hours = 0;
  std::int16_t minutes = 0;
  std::int16_t seconds = 0;
  static Countdown ofSeconds(long long total);
  bool ended() const { return hours == 0 && minutes == 0 && seconds == 0; }
  long long totalSeconds() const { return hours * 3600LL + minutes * 60LL + seconds; }
  // "h:m:s", each without leading zeros.
  std::string caption() const;
};

// What the system reports at a tick.
struct Elapsed {
  std::int64_t monotonicMs = 0;  // the counter that runs on through sleep
  std::int64_t idleMs = 0;       // since the last keyboard or mouse input
  bool busy = false;             // full-screen work, a presentation, quiet time
  std::int64_t plannedMs = 0;    // how long after the last tick this one was planned
};

// The reminder's state that lives in the main window.
struct Reminder {
  bool on = false;        // reminders switched on
  bool prompted = false;  // Pdtipshow: a prompt is up or a rest runs
  int lengthMinutes = kDefaultLength;
  std::optional<long long> pausedUntil;  // the absolute minute a pause ends, while paused
};

enum class Due {
  Nothing,
  Prompt,     // show the prompt
  NewPeriod,  // rested already, or a pause ended: close any prompt, start a new working period
};

struct TickOutcome {
  Due due = Due::Nothing;
  bool counted = false;  // the countdown moved this tick; countdown holds its new value
  Countdown countdown;
};

class RestSchedule {
 public:
  // A new working period from the current minute: returns the next rest's minute of the day.
  int newPeriod(const ui::LocalTime& now, const Elapsed& elapsed, int intervalMinutes);
  // Starts (or restarts) a countdown of the given length; its first second counts from now.
  void startCountdown(int lengthMinutes, std::int64_t monotonicMs);
  // Puts the prompt off for at least the given minutes, counting neither as work nor as rest:
  // returns the minute of the day it comes back.
  int later(const ui::LocalTime& now, int minutes);
  // Prompts put off since the last rest (taken, or time away that counted as one).
  int laters() const { return laters_; }
  // A due prompt waits for full-screen work to end; an absence has lasted a rest's length.
  bool held() const { return held_; }
  bool restedAway() const { return restedAway_; }

  TickOutcome onTick(const ui::LocalTime& now, const Elapsed& elapsed, const Reminder& reminder);
  // The session was locked or unlocked: a locked session is time away.
  void sessionLocked(bool locked, std::int64_t monotonicMs);

  // Seconds from now to the start of the minute the next rest is due in; 0 or less once it is
  // due, and a day and more with nothing scheduled.
  long long secondsToDue(const ui::LocalTime& now) const;

  bool counting() const { return counting_; }
  const Countdown& countdown() const { return countdown_; }

 private:
  bool dueNow(long long nowMinute, long long firstUnchecked) const;
  bool backFromRestAway(const Elapsed& elapsed, std::int64_t gapMs, std::int64_t restMs);

  std::optional<int> next_;                  // minute of the day of the next rest
  std::optional<long long> checkedThrough_;  // last local minute the due check has covered
  std::optional<std::int64_t> lastSeenMs_;   // last tick or new working period
  // Time away: when the person was last known to be here (back from an absence, busy at a
  // full-screen task), since when the session is locked, and whether the absence under way has
  // lasted a rest's length already.
  std::optional<std::int64_t> presentMs_;
  std::optional<std::int64_t> lockedSinceMs_;
  bool restedAway_ = false;
  bool held_ = false;  // a prompt came due while the person was busy; it waits
  int laters_ = 0;
  bool counting_ = false;
  Countdown countdown_;
};

}  // namespace rest
