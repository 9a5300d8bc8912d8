#include "colour/Backlight.h"

#include <algorithm>

#include "settings/Keys.h"
#include "settings/Values.h"

namespace colour {

namespace {

constexpr const char* kSection = settings::keys::kBacklightSection;
constexpr const char* kLevel = settings::keys::kBacklightLevel;
// Monitors answer late after waking or being plugged in.
constexpr int kSettleMs = 1500;

}  // namespace

std::optional<std::pair<std::string, int>> LatestWins::next() {
  for (auto it = wanted_.begin(); it != wanted_.end(); ++it) {
    if (busy_.contains(it->first)) continue;
    std::pair<std::string, int> job = *it;
    wanted_.erase(it);
    busy_.insert(job.first);
    return job;
  }
  return std::nullopt;
}

int toMonitor(int percent, int maximum) {
  return (std::clamp(percent, 0, 100) * std::max(maximum, 0) + 50) / 100;
}

int toPercent(int value, int maximum) {
  if (maximum <= 0) return 0;
  return (std::clamp(value, 0, maximum) * 100 + maximum / 2) / maximum;
}

Brightness brightnessStep(Brightness now, bool darker, bool backlightAnswers) {
  // One scale from the darkest to the brightest: ramp below 0, the backlight, ramp above 0.
  constexpr int kBacklightStep = 10, kGammaStep = 5, kGammaMin = -50, kGammaMax = 50;
  if (!backlightAnswers) {
    now.gamma = std::clamp(now.gamma + (darker ? -kGammaStep : kGammaStep), kGammaMin, kGammaMax);
    return now;
  }
  if (darker && now.gamma <= 0 && now.backlight > 0)
    now.backlight = std::max(0, now.backlight - kBacklightStep);
  else if (!darker && now.gamma >= 0 && now.backlight < 100)
    now.backlight = std::min(100, now.backlight + kBacklightStep);
  else if (darker)
    now.gamma = std::max(kGammaMin, now.gamma - kGammaStep);
  else  // the ramp goes back to 0 first, never past it while the backlight can rise
    now.gamma = std::min(now.gamma < 0 ? 0 : kGammaMax, now.gamma + kGammaStep);
  return now;
}

Backlight::Backlight(const BacklightControls& controls, MonitorControl& monitors,
                     settings::Ini& ini)
    : c_(controls), monitorControl_(monitors), ini_(ini) {}

void Backlight::connect() {
  c_.slider.Change = [this] { slider_Change(); };
  monitorControl_.Listed = [this](const std::vector<MonitorState>& m) { listed(m); };
  monitorControl_.Sent = [this](const std::string& id, int value, Outcome outcome) {
    sent(id, value, outcome);
  };
  loading_ = true;
  c_.slider.setRange(0, 100);
  loading_ = false;
  showState();
}

void Backlight::load() {
  loading_ = true;
  const int stored = ini_.number(kSection, kLevel, -1, 100, -1);
  if (stored >= 0) {
    level_ = stored;
    c_.slider.setValue(stored);
  }
  loading_ = false;
  showState();
  if (level_) use();
}

void Backlight::use() {
  if (asked_) return;
  asked_ = true;
  monitorControl_.list(0);
}

void Backlight::displayChanged() {
  if (asked_) monitorControl_.list(kSettleMs);
}

void Backlight::eyeCare(bool on) {
  eyeOn_ = on;
  if (on) restoring_.clear();
  if (level_) use();
  apply();
  TipChanged();
}

void Backlight::listed(const std::vector<MonitorState>& monitors) {
  listedOnce_ = true;
  monitors_ = monitors;
  fault_.clear();
  if (!level_ && !monitors_.empty()) {  // the slider shows what the first monitor holds
    loading_ = true;
    c_.slider.setValue(toPercent(monitors_[0].value, monitors_[0].maximum));
    loading_ = false;
  }
  apply();
  showState();
  TipChanged();
}

void Backlight::apply() {
  for (MonitorState& m : monitors_) {
    if (eyeOn_ && level_) {
      sendLevel(m);
    } else if (!eyeOn_) {
      if (const std::optional<int> was = original(m)) {
        restoring_.insert(m.id);
        monitorControl_.send(m.id, *was);
      }
    }
  }
}

void Backlight::sendLevel(MonitorState& m) {
  // Stored before the first change, so that its own value comes back after a crash too.
  if (!original(m)) ini_.writeini(kSection, originalKey(m.id), std::to_string(m.value));
  monitorControl_.send(m.id, toMonitor(*level_, m.maximum));
}

void Backlight::slider_Change() {
  c_.percent.setText(std::to_string(c_.slider.value()) + " %");
  if (loading_) return;
  level_ = c_.slider.value();
  if (eyeOn_)
    for (MonitorState& m : monitors_) sendLevel(m);
  TipChanged();
}

void Backlight::sent(const std::string& id, int value, Outcome outcome) {
  auto m = std::find_if(monitors_.begin(), monitors_.end(),
                        [&id](const MonitorState& s) { return s.id == id; });
  if (m == monitors_.end()) return;  // gone meanwhile
  if (outcome == Outcome::Done) {
    m->value = value;
    // Its own value is back: the next change stores it afresh.
    if (!eyeOn_ && restoring_.erase(id)) ini_.writeini(kSection, originalKey(id), std::nullopt);
    return;
  }
  fault_ = outcome == Outcome::Ignored ? id + " reports success but keeps its own brightness."
                                       : id + " did not answer the brightness change.";
  showState();
}

std::optional<ui::ProfileEntry> Backlight::storedEntry() const {
  if (!level_) return std::nullopt;
  return ui::ProfileEntry{kSection, kLevel, std::to_string(*level_)};
}

std::string Backlight::tipLine() const {
  if (!eyeOn_ || !level_ || !available()) return "";
  return "Backlight " + std::to_string(*level_) + " %";
}

std::string Backlight::originalKey(const std::string& id) const {
  std::string key = "was " + id;  // characters that end a key or a section in the file go
  std::replace_if(
      key.begin(), key.end(),
      [](char ch) { return ch == '=' || ch == '[' || ch == ']' || ch == ';'; }, '_');
  return key;
}

std::optional<int> Backlight::original(const MonitorState& m) {
  const int was =
      settings::storedSliderValue(ini_.readini(kSection, originalKey(m.id)), -1, m.maximum, -1);
  if (was < 0) return std::nullopt;
  return was;
}

void Backlight::showState() {
  c_.percent.setText(std::to_string(c_.slider.value()) + " %");
  c_.slider.setEnabled(available());
  const bool none = listedOnce_ && !available();
  if (!fault_.empty())
    c_.status.setText(fault_);
  else
    c_.status.setText(none ? kNoDdcStatus : "");
  c_.slider.setAccessName(none ? std::string("Backlight: ") + kNoDdcStatus : "Backlight");
}

}  // namespace colour
