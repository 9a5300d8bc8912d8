#include "rest/Breaks.h"

#include <algorithm>

namespace rest {

std::optional<std::int64_t> ShortBreaks::msToNext(const BreakSettings& settings,
                                                  std::int64_t monotonicMs) const {
  if (!settings.on) return std::nullopt;
  const std::int64_t last = lastMs_.value_or(monotonicMs);
  return std::max<std::int64_t>(0, last + settings.everyMinutes * 60000LL - monotonicMs);
}

bool ShortBreaks::onTick(const BreakSettings& settings, const Elapsed& elapsed, Stage stage,
                         long long secondsToRest) {
  if (!lastMs_) lastMs_ = elapsed.monotonicMs;
  if (!settings.on) return false;
  const std::int64_t now = elapsed.monotonicMs;
  // Away from the keyboard and mouse for a short break's length: the eyes rested already. Work in
  // front of a full-screen program or in a call is no time away.
  if (elapsed.idleMs >= settings.seconds * 1000LL && elapsed.busy == ui::Busy::No) {
    lastMs_ = now;
    return false;
  }
  if (*msToNext(settings, now) > 0) return false;
  lastMs_ = now;
  // Only in plain working time: never in a rest, a pause, a prompt or while something holds one,
  // nor within two minutes of a rest (so never in the warning minute).
  return stage == Stage::Working && elapsed.busy == ui::Busy::No &&
         secondsToRest > kBreakRestMargin;
}

}  // namespace rest
