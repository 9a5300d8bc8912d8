#pragma once
// Short breaks for the eyes between rests: pure timing, fed by Rest.
#include <cstdint>
#include <optional>

#include "rest/RestSchedule.h"
#include "ui/System.h"

namespace rest {

constexpr int kDefaultBreakEvery = 20;  // minutes between short breaks
constexpr int kMinBreakEvery = 1;
constexpr int kMaxBreakEvery = 120;
constexpr int kDefaultBreakSeconds = 20;  // seconds a short break lasts
constexpr int kMinBreakSeconds = 10;
constexpr int kMaxBreakSeconds = 120;
constexpr long long kBreakRestMargin = 120;  // no short break this close to a rest, in seconds

struct BreakSettings {
  bool on = true;
  int everyMinutes = kDefaultBreakEvery;
  int seconds = kDefaultBreakSeconds;
};

// When the next short break comes. The long rest's time is never moved by it.
class ShortBreaks {
 public:
  // The clock starts again from now: a break ended, was skipped, or a rest was taken.
  void restart(std::int64_t monotonicMs) { lastMs_ = monotonicMs; }
  // Milliseconds from now to the next short break; nothing while they are off.
  std::optional<std::int64_t> msToNext(const BreakSettings& settings,
                                       std::int64_t monotonicMs) const;
  // At a tick: whether one starts now. One due but taken already (time away) or not wanted now
  // (not plain working time, busy, a rest close) counts as had: the clock starts again. stage is
  // the rest's, secondsToRest the time to the next rest's prompt.
  bool onTick(const BreakSettings& settings, const Elapsed& elapsed, Stage stage,
              long long secondsToRest);

 private:
  std::optional<std::int64_t> lastMs_;
};

}  // namespace rest
