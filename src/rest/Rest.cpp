#include "rest/Rest.h"

#include <algorithm>
#include <utility>

#include "rest/Monitors.h"
#include "rest/PromptWindow.h"
#include "rest/RestScreen.h"
#include "settings/Keys.h"

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
  auto stored = [this](const char* key) { return ini_.readini(keys::kRestSection, key); };
  laterMinutes_ = wholeMinutes(stored(keys::kLater), 1, 60).value_or(kDefaultLater);
  latersLimit_ = wholeMinutes(stored(keys::kLaters), 0, 10).value_or(kDefaultLaters);
  pausedUntil_ = parseMoment(stored(keys::kPausedUntil));
  c_.sound.setValue(wholeMinutes(stored(keys::kSound), 0, 1).value_or(1) == 1);
  c_.warn.setValue(wholeMinutes(stored(keys::kWarn), 0, 1).value_or(1) == 1);
  TipChanged();
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
      formatTimeOfDay(schedule_.newPeriod(clock_.now(), {clock_.monotonicMs()}, interval_)));
  c_.Label5.setText(c_.Text1.text());
  TipChanged();
  settle();
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
  if (!text.empty()) return shell_.messageBox(text, ui::kProgramTitle, ui::MessageIcon::Warning);
  dsxxadd();
  ini_.writeini("dsxx", "mei", c_.Text2.text());
  ini_.writeini("dsxx", "xiuxi", c_.Text3.text());
  ini_.writeini(keys::kRestSection, keys::kSound, c_.sound.Value() ? kOn : kOff);
  ini_.writeini(keys::kRestSection, keys::kWarn, c_.warn.Value() ? kOn : kOff);
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
  return wholeMinutes(c_.Text2.text(), kMinInterval, kMaxInterval);
}

std::optional<int> Rest::typedLength() const {
  return wholeMinutes(c_.Text3.text(), kMinLength, kMaxLength);
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
  Pdtipshow = 1;
  closePrompt();
  showRestScreen();
  if (c_.sound.Value()) shell_.playSound(ui::SystemSound::RestStart);
  TipChanged();
}

void Rest::later() {
  if (!canPutOff()) return;
  closePrompt();
  Pdtipshow = 0;
  c_.Text1.setText(formatTimeOfDay(schedule_.later(clock_.now(), laterMinutes_)));
  c_.Label5.setText(c_.Text1.text());
  TipChanged();
  settle();
}

void Rest::decline() {
  closePrompt();
  Pdtipshow = 0;
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
  TipChanged();
  settle();
}

// Never a time already past: whatever holds the next rest back is named instead.
std::string Rest::tip() const {
  if (restOn_ != kOn) return "Rest reminders are off";
  if (pausedUntil_) return "Reminders paused until " + formatTimeOfDay(*pausedUntil_);
  if (prompt_) return "Rest now";
  if (schedule_.counting() && Pdtipshow) {
    const ui::LocalTime t = clock_.now();
    const long long end =
        t.hour * 3600LL + t.minute * 60 + t.second + schedule_.countdown().totalSeconds();
    return "Resting until " + formatTimeOfDay(end / 60);
  }
  if (schedule_.held()) return "Rest due when the full-screen program ends";
  if (schedule_.restedAway()) return "Away: counted as a rest";
  return "Next rest at " + c_.Text1.text();
}

void Rest::Timer1_Timer() {
  retired_.clear();  // forms closed without a host to drop them; no handler of theirs is running
  const auto waiting = [this] { return std::pair(schedule_.held(), schedule_.restedAway()); };
  const auto waited = waiting();
  apply(schedule_.onTick(
      clock_.now(), elapsed(),
      {restOn_ == kOn, Pdtipshow != 0, typedLength().value_or(length_), pausedUntil_}));
  if (waiting() != waited) TipChanged();
  settle();
}

void Rest::settle() {
  const ui::LocalTime now = clock_.now();
  const long long due = schedule_.secondsToDue(now);
  const bool live = restOn_ == kOn && !pausedUntil_ && !schedule_.counting();
  const bool soon = live && !Pdtipshow && !schedule_.held() && !schedule_.restedAway() && due <= 60;
  const bool warn = live && c_.warn.Value();
  // Eased in steps of 1 % over the minute, 90 % at its end; a prompt holds what was reached.
  int dimming = 100;
  if (warn && prompt_) dimming = dimming_;
  if (warn && soon && due > 0) dimming = 100 - static_cast<int>((61 - due) * 10 / 60);
  if (dimming != dimming_) Dimming(dimming_ = dimming);

  long long ms = (60 - now.second) * 1000LL;
  if (schedule_.counting() || prompt_ || schedule_.held() || (soon && (warn || due <= 0)))
    ms = 1000;
  else if (schedule_.restedAway())
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
    Pdtipshow = 0;
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
  Pdtipshow = 1;
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
  if (!screens_.empty()) {
    screens_.front()->imgclose_Click();
  } else {
    // The screen was closed early: its close steps run all the same, without a window.
    okdsxxadd_Click();
    Pdtipshow = 0;
  }
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
