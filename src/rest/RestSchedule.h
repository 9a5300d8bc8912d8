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
  ui::Busy busy = ui::Busy::No;  // full-screen work, a presentation, quiet time
  std::int64_t plannedMs = 0;    // how long after the last tick this one was planned
};

// Where the rest stands. Each stage owns what it shows: entering it opens its window, dimming and
// timer, leaving it closes them.
enum class Stage {
  Working,       // a working period runs
  Warning,       // a minute or less before the prompt: the screen dims
  Prompt,        // the prompt is up
  Later,         // the prompt was put off and comes back at its time
  Resting,       // a rest counts down on the rest screens
  Held,          // the prompt is due (or was up) while the person is busy; the hold has its reason
  Paused,        // no prompt until the pause ends; nothing shows
  Away,          // away for a rest's length already: the return starts a new working period
  ShortBreak,    // a short break's window is up
  Off,           // reminders switched off; nothing shows
  OutsideHours,  // outside working hours; nothing shows
};

// What happens to the rest: the clock's findings at a tick and what the person does.
enum class Event {
  Tick,       // nothing new
  Soon,       // a minute or less to the prompt
  NotSoon,    // the prompt is further off again
  Due,        // the prompt comes
  HoldBegan,  // the prompt is due or up while the person is busy
  HoldEnded,  // no longer busy: the held prompt comes
  AwayARest,  // no input (or locked) for a rest's length
  NewPeriod,  // a working period starts: back from time away, the clock jumped a rest's length, OK
  RestNow,    // "Rest now", the tray's action, /rest: in any stage
  Later,
  DoNot,     // "Do Not", "Skip this rest"
  RestOver,  // the rest counted down, or its screen was closed
  BreakDue,
  BreakEnded,
  Pause,
  Resume,  // the pause ended or was ended
  RemindersOn,
  RemindersOff,
  HoursBegan,
  HoursEnded,
  DisplayChange,
  Lock,
  Unlock,
};

// The settings and schedules that keep reminders quiet.
struct Quiet {
  bool off = false;     // reminders switched off
  bool paused = false;  // a pause is in force
  bool outsideHours = false;
};

// Every transition of the rest's stages. A rest asked for always comes and runs to its end;
// otherwise reminders off, a pause and time outside working hours each hold their own stage.
Stage nextStage(Stage from, Event event, const Quiet& quiet);
// The events that start a new working period as they move the stage.
bool startsPeriod(Stage from, Event event, Stage to);

// Where the rest stands, as the tip and the warning read it.
struct Standing {
  Stage stage = Stage::Working;
  ui::Busy hold = ui::Busy::No;    // what holds the prompt, while Held
  std::string holder;              // the program that holds it, when known
  std::optional<long long> until;  // the pause's end, or when working hours begin
  std::optional<int> next;         // the minute of the day of the next rest
  long long restLeftSeconds = 0;   // of the rest under way, while Resting
  int promptLevel = 100;           // the warning's level as the prompt came
};

// The notification icon's tip. Never a time already past: whatever holds the next rest back is
// named instead.
std::string tipText(const Standing& standing, const ui::LocalTime& now);
// A moment to come as a person reads it: "10:06", "tomorrow" for the coming midnight, with the
// day's name when it is not today ("09:00 Mon").
std::string untilText(long long absolute, const ui::LocalTime& now);
// The gentle warning's brightness in percent: eased down in steps of 1 % over the minute before a
// prompt to 90 at its end, held while the prompt is up, 100 otherwise.
int warningLevel(const Standing& standing, long long secondsToDue, bool warnOn);
// The latest a stored pause or put-off prompt may end: a day and a few minutes from now. Anything
// later is a damaged value.
long long latestStoredEnd(const ui::LocalTime& now);

struct TickOutcome {
  Event event = Event::Tick;
  Countdown countdown;  // while Resting: its new value
};

class RestSchedule {
 public:
  // A new working period from the current minute: returns the next rest's minute of the day.
  int newPeriod(const ui::LocalTime& now, const Elapsed& elapsed, int intervalMinutes);
  // Starts (or restarts) a countdown of the given length; its first second counts from now.
  void startCountdown(int lengthMinutes, std::int64_t monotonicMs);
  // Puts the prompt off for at least the given minutes, counting neither as work nor as rest:
  // returns the local minute (since 1970) it comes back.
  long long later(const ui::LocalTime& now, int minutes);
  // As before a restart: the prompts put off in a row, and one put off that is still to come back
  // at the given local minute.
  void resumeLater(const ui::LocalTime& now, std::optional<long long> until, int laters);
  // Prompts put off since the last rest (taken, or time away that counted as one).
  int laters() const { return laters_; }
  // What a tick finds in the given stage: the countdown moved, time away, the prompt due or held.
  TickOutcome onTick(const ui::LocalTime& now, const Elapsed& elapsed, Stage stage,
                     int lengthMinutes);
  // The session was locked or unlocked: a locked session is time away.
  void sessionLocked(bool locked, std::int64_t monotonicMs);

  // Seconds from now to the start of the minute the next rest is due in; 0 or less once it is
  // due, and a day and more with nothing scheduled.
  long long secondsToDue(const ui::LocalTime& now) const;

  void stopCountdown() { counting_ = false; }
  bool counting() const { return counting_; }
  std::optional<int> next() const { return next_; }
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
  int laters_ = 0;
  bool counting_ = false;
  Countdown countdown_;
};

}  // namespace rest
