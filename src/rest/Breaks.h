#pragma once
// Short breaks for the eyes between rests, and what holds a due prompt: pure timing and decisions,
// fed by Rest and by the Win32 side.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rest/RestSchedule.h"
#include "ui/System.h"

namespace rest {

constexpr int kDefaultBreakEvery = 20;       // minutes between short breaks
constexpr int kDefaultBreakSeconds = 20;     // seconds a short break lasts
constexpr long long kBreakRestMargin = 120;  // no short break this close to a rest, in seconds

struct BreakSettings {
  bool on = true;
  int everyMinutes = kDefaultBreakEvery;
  int seconds = kDefaultBreakSeconds;
};

enum class BreakDue {
  Nothing,  // not yet, or short breaks are off
  Show,     // a short break starts now
  Counted,  // due, but taken already (time away) or skipped: the clock starts again
};

// When the next short break comes. The long rest's time is never moved by it.
class ShortBreaks {
 public:
  // The clock starts again from now: a break ended, was skipped, or a rest was taken.
  void restart(std::int64_t monotonicMs) { lastMs_ = monotonicMs; }
  // Milliseconds from now to the next short break; nothing while they are off.
  std::optional<std::int64_t> msToNext(const BreakSettings& settings,
                                       std::int64_t monotonicMs) const;
  // At a tick: whether one starts. stage is the rest's (a short break comes only while working),
  // secondsToRest the time to the next rest's prompt.
  BreakDue onTick(const BreakSettings& settings, const Elapsed& elapsed, Stage stage,
                  long long secondsToRest);

 private:
  std::optional<std::int64_t> lastMs_;
};

// One program's use of the microphone or camera as the system records it.
struct DeviceUse {
  bool packaged = false;   // a store app (checked by the system, not by path)
  std::uint64_t stop = 1;  // LastUsedTimeStop: 0 while in use
  bool running = false;    // a desktop program: one runs at the recorded path
};
// A call: a device in use by a store app or by a desktop program that still runs (an entry left
// "in use" by a program that crashed holds nothing).
bool inCall(const std::vector<DeviceUse>& uses);
// The path a desktop program's entry is named after ('\' is written '#' in the key's name).
std::string consentPath(std::string keyName);

// The programs that hold a prompt while in front, from "a.exe;b.exe". A name that is not a plain
// file name gives nothing and the message that names it.
struct AppList {
  std::vector<std::string> names;
  std::string error;
};
AppList parseAppList(std::string_view text);
// Whether the program at this image path is one of the names (the file name, case aside).
bool listedProgram(const std::vector<std::string>& names, std::string_view imagePath);
// The reason a prompt waits, the system's own first (full screen, presentation, quiet time).
ui::Busy holdReason(ui::Busy system, bool call, bool listed);

}  // namespace rest
