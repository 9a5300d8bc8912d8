// GCC 12 at -O3 warns wrongly of an uninitialised string in the copy of ui::Control::setText this
// file emits (a known false positive of that version); the pragma must come before the headers.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "rest/Rest.h"

#include <algorithm>
#include <utility>

#include "rest/Monitors.h"
#include "rest/PromptWindow.h"
#include "rest/RestScreen.h"
#include "rest/ShortBreakWindow.h"
#include "settings/Keys.h"
#include "settings/Values.h"

namespace rest {

namespace {

constexpr ui::Colour kRestOffColour = 0;
const std::string kOn = "1";
const std::string kOff = "0";
constexpr int kAwayPollMs = 3000;  // while away long enough for a rest: notice the return soon
namespace keys = settings::keys;

}  // namespace

Rest::Rest(RestControls controls, ui::Clock& clock, ui::Screen& screen, ui::FormHost* host,
           settings::Ini& ini, ui::Shell& shell)
    : c_(controls), clock_(clock), display_(screen), host_(host), ini_(ini), shell_(shell) {}

Rest::~Rest() = default;

void Rest::connect() {
  c_.Timer1.Tick = [this] { Timer1_Timer(); };
  c_.SafeSwitch2.Click = [this](bool value) { SafeSwitch2_Click(value); };
  c_.setok1.Click = [this] { setok_Click(c_.setok1.index()); };
  c_.setno1.Click = [this] { setno_Click(c_.setno1.index()); };
  c_.form2tip.Click = [this] { form2tip_Click(); };
  c_.okdsxxadd.Click = [this] { okdsxxadd_Click(); };
}

void Rest::loadSettings() {
  laterMinutes_ = ini_.whole(keys::kRestSection, keys::kLater, 1, 60, kDefaultLater);
  latersLimit_ = ini_.whole(keys::kRestSection, keys::kLaters, 0, 10, kDefaultLaters);
  // A pause ends within a day; one stored further ahead is damaged (it would keep reminders off
  // for years) and is ignored, as is its line in the log.
  pausedUntil_ = parseMoment(ini_.readini(keys::kRestSection, keys::kPausedUntil));
  if (pausedUntil_ && *pausedUntil_ > latestStoredEnd(clock_.now())) {
    shell_.log("config.ini: [dsxx] paused_until=" + formatMoment(*pausedUntil_) +
               " is more than a day ahead; ignored");
    pausedUntil_.reset();
  }
  goTo(pausedUntil_ ? Step::Pause : Step::Resume);
  c_.sound.setValue(ini_.flag(keys::kRestSection, keys::kSound, true));
  c_.warn.setValue(ini_.flag(keys::kRestSection, keys::kWarn, true));
  breaks_ = {ini_.flag(keys::kBreakSection, keys::kBreakOn, true),
             ini_.whole(keys::kBreakSection, keys::kBreakEvery, 1, 120, kDefaultBreakEvery),
             ini_.whole(keys::kBreakSection, keys::kBreakSeconds, 10, 120, kDefaultBreakSeconds)};
  c_.breaks.setValue(breaks_.on);
  c_.calls.setValue(ini_.flag(keys::kBusySection, keys::kCalls, true));
  // An absent key reads as its own name; a damaged list holds nothing.
  std::string apps = ini_.readini(keys::kBusySection, keys::kApps);
  if (apps == keys::kApps) apps.clear();
  if (const AppList list = parseAppList(apps); !list.error.empty()) {
    ini_.ignored.add(keys::kBusySection, keys::kApps, apps, "");
    apps.clear();
  }
  c_.apps.setText(apps);
  applyHolds();
  restoreLater();
  showNextTime();
  TipChanged();
  settle();
}

void Rest::restoreLater() {
  const std::optional<long long> until =
      parseMoment(ini_.readini(keys::kRestSection, keys::kLaterUntil));
  const int used = ini_.whole(keys::kRestSection, keys::kLatersUsed, 0, 10, 0);
  if (!until) return;
  const ui::LocalTime now = clock_.now();
  const long long minute = absoluteMinute(now);
  if (*until > latestStoredEnd(now)) {
    shell_.log("config.ini: [dsxx] later_until=" + formatMoment(*until) +
               " is more than a day ahead; ignored");
  } else if (*until > minute) {
    // Still to come: the prompt returns at its time, and the count goes on from where it was.
    schedule_.resumeLater(now, pausedUntil_ ? std::nullopt : until, used);
    laterUntil_ = until;
    if (!pausedUntil_) c_.Text1.setText(settings::clockText(*until));
    goTo(Step::PutOff);
  } else if (minute - *until < length_) {
    // Came back less than a rest's length ago: a restart is no rest, the count goes on.
    schedule_.resumeLater(now, std::nullopt, used);
    laterUntil_ = until;
  }
}

void Rest::storeLater() {
  if (schedule_.laters() == 0) laterUntil_.reset();
  const int used = schedule_.laters();
  if (stored_ == std::pair(laterUntil_, used)) return;  // nothing new to save
  stored_ = {laterUntil_, used};
  ini_.writeini({{keys::kRestSection, keys::kLaterUntil,
                  laterUntil_ ? std::optional(formatMoment(*laterUntil_)) : std::nullopt},
                 {keys::kRestSection, keys::kLatersUsed,
                  used > 0 ? std::optional(std::to_string(used)) : std::nullopt}});
}

void Rest::dsxxadd() {
  // A setting that is not a whole number in range is never applied: it goes back to the value in
  // force, as the panel closes here in any case.
  interval_ = typedInterval().value_or(interval_);
  length_ = typedLength().value_or(length_);
  c_.Text2.setText(std::to_string(interval_));
  c_.Text3.setText(std::to_string(length_));

  c_.dhhour[0]->setText(c_.Text2.text());
  c_.dhhour[1]->setText(c_.Text3.text());
  c_.ppset.setVisible(false);

  c_.Text1.setText(
      settings::clockText(schedule_.newPeriod(clock_.now(), {clock_.monotonicMs()}, interval_)));
  goTo(Step::NewPeriod);
  // A rest, time away or a fresh start: the eyes' clock starts again too.
  shortBreaks_.restart(clock_.monotonicMs());
  showNextTime();
  TipChanged();
  settle();
}

void Rest::showNextTime() {
  if (stage_ == Stage::Paused && pausedUntil_)
    c_.Label5.setText(settings::clockText(*pausedUntil_));
  else
    c_.Label5.setText(c_.Text1.text());
}

void Rest::SafeSwitch2_Click(bool value) {
  if (value) {
    dsxxadd();
    restOn_ = kOn;
    c_.Label2_1.setForeColour(ui::kFeatureOnColour);
    c_.edit1.setVisible(true);
  } else {
    restOn_ = kOff;
    c_.Label2_1.setForeColour(kRestOffColour);
    c_.edit1.setVisible(false);
  }
  TipChanged();
  settle();
}

void Rest::setok_Click(int /*index*/) {
  std::string text;
  const auto rule = [&text](const char* setting, int min, int max) {
    if (!text.empty()) text += "\n";
    text += std::string(setting) + " must be a whole number of minutes from " +
            std::to_string(min) + " to " + std::to_string(max) + ".";
  };
  if (!typedInterval())
    rule("The rest interval (\"every ... minutes\")", kMinInterval, kMaxInterval);
  if (!typedLength()) rule("The rest length (\"Rest ... minutes\")", kMinLength, kMaxLength);
  if (const AppList apps = parseAppList(c_.apps.text()); !apps.error.empty())
    text += (text.empty() ? "" : "\n") + apps.error;
  if (!text.empty()) return shell_.messageBox(text, ui::kProgramTitle, ui::MessageIcon::Warning);
  dsxxadd();
  // One save for the panel: the file is swapped once.
  breaks_.on = c_.breaks.Value();
  applyHolds();
  ini_.writeini({{keys::kRestSection, keys::kInterval, c_.Text2.text()},
                 {keys::kRestSection, keys::kLength, c_.Text3.text()},
                 {keys::kRestSection, keys::kSound, c_.sound.Value() ? kOn : kOff},
                 {keys::kRestSection, keys::kWarn, c_.warn.Value() ? kOn : kOff},
                 {keys::kBreakSection, keys::kBreakOn, breaks_.on ? kOn : kOff},
                 {keys::kBusySection, keys::kCalls, c_.calls.Value() ? kOn : kOff},
                 {keys::kBusySection, keys::kApps, c_.apps.text()}});
}

void Rest::applyHolds() {
  holdCalls_ = c_.calls.Value();
  holdApps_ = parseAppList(c_.apps.text()).names;
  clock_.holdFor(holdCalls_, holdApps_);
}

void Rest::setno_Click(int /*index*/) {
  c_.ppset.setVisible(false);
  // Valid typed values stay and take effect at the next new working period; invalid ones would
  // only be thrown away then, so they go back to the values in force now.
  if (!typedInterval()) c_.Text2.setText(std::to_string(interval_));
  if (!typedLength()) c_.Text3.setText(std::to_string(length_));
}

void Rest::okdsxxadd_Click() {
  dsxxadd();
}

std::optional<int> Rest::typedInterval() const {
  return settings::wholeNumber(c_.Text2.text(), kMinInterval, kMaxInterval);
}

std::optional<int> Rest::typedLength() const {
  return settings::wholeNumber(c_.Text3.text(), kMinLength, kMaxLength);
}

void Rest::form2tip_Click() {
  schedule_.startCountdown(typedLength().value_or(length_), clock_.monotonicMs());
  settle();
}

Elapsed Rest::elapsed() {
  return {clock_.monotonicMs(), clock_.idleMs(), clock_.userBusy(), c_.Timer1.interval()};
}

void Rest::sessionLocked(bool locked) {
  schedule_.sessionLocked(locked, clock_.monotonicMs());
}

void Rest::restNow() {
  form2tip_Click();
  goTo(Step::TakeRest);
  closePrompt();
  storeLater();
  showRestScreen();
  if (c_.sound.Value()) shell_.playSound(ui::SystemSound::RestStart);
  TipChanged();
}

void Rest::later() {
  if (!canPutOff()) return;
  closePrompt();
  laterUntil_ = schedule_.later(clock_.now(), laterMinutes_);
  c_.Text1.setText(settings::clockText(*laterUntil_));
  goTo(Step::PutOff);
  showNextTime();
  storeLater();
  TipChanged();
  settle();
}

void Rest::decline() {
  closePrompt();
  goTo(Step::Skip);
  dsxxadd();
}

void Rest::pause(PauseFor how) {
  if (prompt_) decline();
  setPause(pauseEnd(clock_.now(), how));
}

void Rest::pause(int minutes) {
  if (prompt_) decline();
  setPause(absoluteMinute(clock_.now()) + minutes);
}

void Rest::resume() {
  setPause(std::nullopt);
  dsxxadd();
}

void Rest::setPause(std::optional<long long> until) {
  pausedUntil_ = until;
  ini_.writeini(keys::kRestSection, keys::kPausedUntil,
                until ? std::optional(formatMoment(*until)) : std::nullopt);
  goTo(until ? Step::Pause : Step::Resume);
  TipChanged();
  settle();
}

bool Rest::goTo(Step step, ui::Busy hold) {
  const Stage next = nextStage(stage_, step);
  if (next == Stage::Prompt && stage_ != Stage::Prompt) promptLevel_ = dimming_;
  const bool changed = next != stage_ || (next == Stage::Held && hold != hold_);
  stage_ = next;
  hold_ = next == Stage::Held ? hold : ui::Busy::No;
  if (changed) showNextTime();
  return changed;
}

Standing Rest::standing() const {
  const long long left = stage_ == Stage::ShortBreak
                             ? std::max<long long>(0, (breakEndMs_ - clock_.monotonicMs()) / 1000)
                             : schedule_.countdown().totalSeconds();
  return {restOn_ == kOn, stage_, hold_, pausedUntil_, schedule_.next(), left, promptLevel_};
}

void Rest::Timer1_Timer() {
  retired_.clear();  // forms closed without a host to drop them; no handler of theirs is running
  const int laters = schedule_.laters();
  const Elapsed now = elapsed();
  apply(schedule_.onTick(
      clock_.now(), now,
      {restOn_ == kOn, Pdtipshow() != 0, typedLength().value_or(length_), pausedUntil_}));
  // Leaving either is told by what follows (the prompt, a new working period).
  const bool held = schedule_.held() != ui::Busy::No && goTo(Step::Hold, schedule_.held());
  if ((schedule_.restedAway() && goTo(Step::AwayARest)) || held) TipChanged();
  if (schedule_.laters() != laters) storeLater();  // time away ended the row
  shortBreakTick(now);
  settle();
}

void Rest::shortBreakTick(const Elapsed& elapsed) {
  if (breakWindow_) {
    const long long left = (breakEndMs_ - elapsed.monotonicMs + 999) / 1000;
    if (left <= 0) return endShortBreak();
    breakWindow_->showSeconds(left);
    return;
  }
  // Reminders off: no short breaks either.
  const BreakSettings settings{breaks_.on && restOn_ == kOn, breaks_.everyMinutes, breaks_.seconds};
  if (shortBreaks_.onTick(settings, elapsed, stage_, schedule_.secondsToDue(clock_.now())) !=
          BreakDue::Show ||
      !goTo(Step::LookAway))
    return;
  breakEndMs_ = elapsed.monotonicMs + breaks_.seconds * 1000LL;
  breakWindow_ =
      std::make_unique<ShortBreakWindow>(promptMonitor(display_), PromptWindow::kHeight, host_);
  breakWindow_->Dismissed = [this] { endShortBreak(); };
  breakWindow_->showSeconds(breaks_.seconds);
  breakWindow_->show();
  TipChanged();
}

void Rest::endShortBreak() {
  if (breakWindow_) {
    breakWindow_->close();
    retire(breakWindow_);
  }
  goTo(Step::RestOver);
  shortBreaks_.restart(clock_.monotonicMs());
  TipChanged();
  settle();
}

void Rest::settle() {
  const ui::LocalTime now = clock_.now();
  const long long due = schedule_.secondsToDue(now);
  // An unseen countdown (its screen closed early) is no working time to warn in.
  const bool soon = restOn_ == kOn && !schedule_.counting() && due <= 60;
  goTo(soon ? Step::Soon : Step::NotSoon);
  const bool warn = c_.warn.Value() && !schedule_.counting();
  const int dimming = warningLevel(standing(), due, warn);
  if (dimming != dimming_) {
    dimming_ = dimming;
    Dimming(dimming);
  }

  long long ms = (60 - now.second) * 1000LL;
  // The next short break is one more due moment for the same timer; nothing wakes between.
  if (const auto toBreak = shortBreaks_.msToNext(breaks_, clock_.monotonicMs());
      toBreak && restOn_ == kOn)
    ms = std::min(ms, std::max<long long>(*toBreak, 1000LL));
  const bool warning = stage_ == Stage::Warning;
  if (schedule_.counting() || prompt_ || breakWindow_ || stage_ == Stage::Held ||
      (warning && (c_.warn.Value() || due <= 0)))
    ms = 1000;
  else if (stage_ == Stage::Away)
    ms = kAwayPollMs;
  else if (const long long toAway = typedLength().value_or(length_) * 60000LL - clock_.idleMs();
           toAway > 0)
    ms = std::min(ms, std::max(toAway, 1000LL));
  c_.Timer1.setInterval(static_cast<int>(ms));
}

void Rest::apply(const TickOutcome& outcome) {
  if (outcome.due == Due::Prompt) showPrompt();
  if (outcome.due == Due::NewPeriod) {
    if (pausedUntil_) setPause(std::nullopt);
    // Back from time away as long as a rest: an unanswered prompt is no longer a question.
    closePrompt();
    goTo(Step::Skip);
    dsxxadd();
  }
  if (!outcome.counted) return;
  showCountdown(outcome.countdown);
  if (outcome.countdown.ended()) endRest();
}

void Rest::showCountdown(const Countdown& countdown) {
  for (const auto& screen : screens_) {
    screen->refreshSnapshot();
    // The last caption stays up as the rest ends.
    if (!countdown.ended()) screen->showCountdown(countdown.caption());
  }
}

void Rest::showPrompt() {
  if (breakWindow_) endShortBreak();  // the rest itself comes first
  if (!prompt_) {
    prompt_ = std::make_unique<PromptWindow>(*this, display_, host_);
    PromptWindow* opened = prompt_.get();
    prompt_->Unload = [this, opened] {
      if (prompt_.get() == opened) retire(prompt_);
    };
  }
  prompt_->show();
  // The typed text as it stands; text that is no length is not quoted, the length in force is.
  const std::string length = typedLength() ? c_.Text3.text() : std::to_string(length_);
  if (prompt_) prompt_->Label1.setText("Let's take a " + length + " minute rest");
  goTo(Step::Due);
  TipChanged();
}

void Rest::closePrompt() {
  if (prompt_) prompt_->close();
}

std::vector<RestScreen*> Rest::restScreens() const {
  std::vector<RestScreen*> open;
  for (const auto& screen : screens_) open.push_back(screen.get());
  return open;
}

void Rest::showRestScreen() {
  closeRestScreens();  // a rest restarted while its screens are open gets fresh ones
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

void Rest::closeRestScreens() {
  // Each close takes its screen out of the list.
  for (RestScreen* screen : restScreens()) screen->close();
}

void Rest::monitorsChanged() {
  if (screens_.empty()) return;  // no rest on screen
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

void Rest::endRest() {
  if (c_.sound.Value()) shell_.playSound(ui::SystemSound::RestEnd);
  dsxxadd();
  closePrompt();
  goTo(Step::Skip);  // a prompt that came while the rest went on unseen
  if (!screens_.empty()) {
    screens_.front()->imgclose_Click();
  } else {
    // The screen was closed early: its close steps run all the same, without a window.
    okdsxxadd_Click();
    goTo(Step::RestOver);
  }
  if (pausedUntil_) goTo(Step::Pause);  // a rest taken in a pause: the pause goes on
}

void Rest::restScreenClosed() {
  goTo(Step::RestOver);
  if (pausedUntil_) goTo(Step::Pause);
  okdsxxadd_Click();
  closeRestScreens();
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
