// GCC 12 at -O3 warns wrongly of an uninitialised string in the copy of ui::Control::setText this
// file emits (a known false positive of that version); the pragma must come before the headers.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "rest/Rest.h"

#include <algorithm>

#include "rest/Monitors.h"
#include "rest/PromptWindow.h"
#include "rest/RestScreen.h"
#include "rest/ShortBreakWindow.h"
#include "settings/Keys.h"
#include "settings/Values.h"

namespace rest {

namespace {

constexpr int kAwayPollMs = 3000;  // while away long enough for a rest: notice the return soon

}  // namespace

Rest::Rest(RestControls controls, ui::Clock& clock, ui::Screen& screen, ui::FormHost* host,
           settings::Ini& ini, ui::Shell& shell)
    : c_(controls), clock_(clock), display_(screen), host_(host), ini_(ini), shell_(shell) {
  c_.hours.show(hours_);
  outsideHoursUntil = [this](const ui::LocalTime& now) { return closedUntil(hours_, now); };
}

Rest::~Rest() = default;

Quiet Rest::quiet() const {
  return {restOn_ != "1", pausedUntil_.has_value(), hoursFrom_.has_value()};
}

void Rest::on(Event event, ui::Busy hold) {
  move(event, hold);
  settle();
}

void Rest::move(Event event, ui::Busy hold) {
  const Stage from = stage_;
  const Stage to = nextStage(from, event, quiet());
  // A rest asked for during a rest starts afresh, with fresh screens.
  const bool moved =
      to != from || event == Event::RestNow || (event == Event::HoldBegan && hold != hold_);
  if (!moved) return;
  leave(from);
  stage_ = to;
  hold_ = to == Stage::Held ? hold : ui::Busy::No;
  holder_ = hold_ == ui::Busy::No ? std::string() : clock_.holder();
  if (startsPeriod(from, event, to)) startPeriod();
  enter(to);
  showNextTime();
  TipChanged();
}

void Rest::leave(Stage stage) {
  switch (stage) {
    case Stage::Prompt:
      if (prompt_) prompt_->close();
      break;
    case Stage::ShortBreak:
      if (breakWindow_) breakWindow_->close();
      shortBreaks_.restart(clock_.monotonicMs());
      break;
    case Stage::Resting:
      schedule_.stopCountdown();
      // Each close takes its screen out of the list.
      for (RestScreen* screen : restScreens()) screen->close();
      break;
    default:
      break;
  }
}

void Rest::enter(Stage stage) {
  switch (stage) {
    case Stage::Prompt:
      promptLevel_ = dimming_;
      openPrompt();
      break;
    case Stage::ShortBreak:
      openShortBreak();
      break;
    case Stage::Resting:
      schedule_.startCountdown(typedLength().value_or(length_), clock_.monotonicMs());
      storeLater();  // a rest ends the row of prompts put off
      openRestScreens();
      if (c_.sound.Value()) shell_.playSound(ui::SystemSound::RestStart);
      break;
    default:
      break;
  }
}

Standing Rest::standing() const {
  const long long left = stage_ == Stage::ShortBreak
                             ? std::max<long long>(0, (breakEndMs_ - clock_.monotonicMs()) / 1000)
                             : schedule_.countdown().totalSeconds();
  const std::optional<long long> until = stage_ == Stage::Paused ? pausedUntil_ : hoursFrom_;
  return {stage_, hold_, holder_, until, schedule_.next(), left, promptLevel_};
}

std::string Rest::nextRest() const {
  if (stage_ == Stage::Off) return "off";
  if (stage_ == Stage::Paused) return {};
  // Outside working hours: the first rest after they begin.
  if (stage_ == Stage::OutsideHours && hoursFrom_)
    return settings::clockText(*hoursFrom_ + interval_);
  return c_.Text1.text();
}

void Rest::restNow() {
  on(Event::RestNow);
}

void Rest::later() {
  if (!canPutOff() || stage_ != Stage::Prompt) return;
  laterUntil_ = schedule_.later(clock_.now(), laterMinutes_);
  c_.Text1.setText(settings::clockText(*laterUntil_));
  storeLater();
  on(Event::Later);
}

void Rest::decline() {
  on(Event::DoNot);
}

void Rest::pause(PauseFor how) {
  setPause(pauseEnd(clock_.now(), how));
  on(Event::Pause);
}

void Rest::pause(int minutes) {
  setPause(absoluteMinute(clock_.now()) + minutes);
  on(Event::Pause);
}

void Rest::resume() {
  if (!pausedUntil_) return;  // no pause to end: nothing moves
  setPause(std::nullopt);
  on(Event::Resume);
}

void Rest::setPause(std::optional<long long> until) {
  pausedUntil_ = until;
  ini_.writeini(settings::keys::kRestSection, settings::keys::kPausedUntil,
                until ? std::optional(formatMoment(*until)) : std::nullopt);
}

void Rest::sessionLocked(bool locked) {
  schedule_.sessionLocked(locked, clock_.monotonicMs());
  on(locked ? Event::Lock : Event::Unlock);
}

void Rest::hoursChanged() {
  followHours(clock_.now());
  settle();
}

void Rest::followHours(const ui::LocalTime& now) {
  const std::optional<long long> closed = outsideHoursUntil ? outsideHoursUntil(now) : std::nullopt;
  const bool changed = closed.has_value() != hoursFrom_.has_value();
  hoursFrom_ = closed;
  if (changed) move(closed ? Event::HoursEnded : Event::HoursBegan);
}

Elapsed Rest::elapsed() {
  return {clock_.monotonicMs(), clock_.idleMs(), clock_.userBusy(), c_.Timer1.interval()};
}

void Rest::Timer1_Timer() {
  retired_.clear();  // forms closed without a host to drop them; no handler of theirs is running
  const ui::LocalTime now = clock_.now();
  followHours(now);
  // The pause ends in its minute, even if a rest taken in it runs on.
  if (pausedUntil_ && absoluteMinute(now) >= *pausedUntil_) {
    setPause(std::nullopt);
    move(Event::Resume);
  }
  const int laters = schedule_.laters();
  const Elapsed e = elapsed();
  const TickOutcome tick = schedule_.onTick(now, e, stage_, typedLength().value_or(length_));
  if (stage_ == Stage::Resting) {
    for (const auto& screen : screens_) {
      screen->refreshSnapshot();
      // The last caption stays up as the rest ends.
      if (!tick.countdown.ended()) screen->showCountdown(tick.countdown.caption());
    }
    if (tick.countdown.ended() && c_.sound.Value()) shell_.playSound(ui::SystemSound::RestEnd);
  }
  if (tick.event == Event::NewPeriod)
    dsxxadd();
  else
    move(tick.event, e.busy);
  if (schedule_.laters() != laters) storeLater();  // time away ended the row
  shortBreakTick(e);
  settle();
}

void Rest::shortBreakTick(const Elapsed& elapsed) {
  if (stage_ == Stage::ShortBreak) {
    const long long left = (breakEndMs_ - elapsed.monotonicMs + 999) / 1000;
    if (left > 0) return breakWindow_->showSeconds(left);
    return move(Event::BreakEnded);
  }
  if (shortBreaks_.onTick(breaks_, elapsed, stage_, schedule_.secondsToDue(clock_.now())))
    move(Event::BreakDue);
}

void Rest::settle() {
  const ui::LocalTime now = clock_.now();
  const long long due = schedule_.secondsToDue(now);
  move(due <= 60 ? Event::Soon : Event::NotSoon);
  const int dimming = warningLevel(standing(), due, c_.warn.Value());
  if (dimming != dimming_) {
    dimming_ = dimming;
    Dimming(dimming);
  }

  long long ms = (60 - now.second) * 1000LL;
  const bool working =
      stage_ == Stage::Working || stage_ == Stage::Later || stage_ == Stage::Warning;
  // The next short break is one more due moment for the same timer; nothing wakes between.
  if (const auto toBreak = shortBreaks_.msToNext(breaks_, clock_.monotonicMs()); toBreak && working)
    ms = std::min(ms, std::max<long long>(*toBreak, 1000LL));
  const bool counting = stage_ == Stage::Resting || stage_ == Stage::ShortBreak;
  const bool waiting = stage_ == Stage::Prompt || stage_ == Stage::Held;
  if (counting || waiting || (stage_ == Stage::Warning && (c_.warn.Value() || due <= 0)))
    ms = 1000;
  else if (stage_ == Stage::Away)
    ms = kAwayPollMs;
  else if (const long long toAway = typedLength().value_or(length_) * 60000LL - clock_.idleMs();
           working && toAway > 0)
    ms = std::min(ms, std::max(toAway, 1000LL));
  c_.Timer1.setInterval(static_cast<int>(ms));
}

void Rest::openPrompt() {
  prompt_ = std::make_unique<PromptWindow>(*this, display_, host_);
  PromptWindow* opened = prompt_.get();
  prompt_->Unload = [this, opened] {
    if (prompt_.get() == opened) retire(prompt_);
  };
  prompt_->show();
  // The typed text as it stands; text that is no length is not quoted, the length in force is.
  const std::string length = typedLength() ? c_.Text3.text() : std::to_string(length_);
  if (prompt_) prompt_->Label1.setText("Let's take a " + length + " minute rest");
}

void Rest::openShortBreak() {
  breakEndMs_ = clock_.monotonicMs() + breaks_.seconds * 1000LL;
  breakWindow_ =
      std::make_unique<ShortBreakWindow>(promptMonitor(display_), PromptWindow::kHeight, host_);
  ShortBreakWindow* opened = breakWindow_.get();
  breakWindow_->Unload = [this, opened] {
    if (breakWindow_.get() == opened) retire(breakWindow_);
  };
  breakWindow_->Dismissed = [this] { on(Event::BreakEnded); };
  breakWindow_->showSeconds(breaks_.seconds);
  breakWindow_->show();
}

std::vector<RestScreen*> Rest::restScreens() const {
  std::vector<RestScreen*> open;
  for (const auto& screen : screens_) open.push_back(screen.get());
  return open;
}

void Rest::openRestScreens() {
  std::vector<ui::Monitor> monitors = display_.monitors();
  if (monitors.empty()) {
    const ui::Size size = display_.size();
    monitors.push_back({{0, 0, size.width, size.height}, 0, true, {}});
  }
  for (const ui::Monitor& monitor : monitors) openRestScreen(monitor);
}

void Rest::openRestScreen(const ui::Monitor& monitor) {
  auto screen = std::make_unique<RestScreen>(*this, monitor, host_);
  RestScreen* opened = screen.get();
  screens_.push_back(std::move(screen));
  opened->Unload = [this, opened] {
    auto it = std::ranges::find(screens_, opened, &std::unique_ptr<RestScreen>::get);
    if (it == screens_.end()) return;
    std::unique_ptr<RestScreen> closed = std::move(*it);
    screens_.erase(it);
    retire(closed);
  };
  opened->show();
}

void Rest::monitorsChanged() {
  if (stage_ == Stage::Resting && !screens_.empty()) {
    std::vector<ui::Monitor> covered;
    for (const auto& screen : screens_) covered.push_back(screen->monitor());
    const MonitorChange change = followMonitors(covered, display_.monitors());
    const std::vector<RestScreen*> before = restScreens();
    // A screen that comes mid-rest shows the countdown as the others do, not "Start".
    const std::string caption = before.front()->Label1.text();
    for (const ui::Monitor& monitor : change.open) {
      openRestScreen(monitor);
      screens_.back()->showCountdown(caption);
    }
    for (std::size_t i : change.close) before[i]->close();
  }
  on(Event::DisplayChange);
}

void Rest::workAreaChanged() {
  if (prompt_) prompt_->placeInCorner();
}

template <class F>
void Rest::retire(std::unique_ptr<F>& form) {
  std::shared_ptr<ui::Form> closed(std::move(form));
  if (host_)
    host_->post([closed]() mutable { closed.reset(); });
  else
    retired_.push_back(std::move(closed));
}

}  // namespace rest
