#include "colour/Backlight.h"

#include <algorithm>

#include "settings/Keys.h"
#include "settings/Values.h"

namespace colour {

namespace {

namespace keys = settings::keys;
constexpr const char* kSection = keys::kBacklightSection;
constexpr const char* kLevel = keys::kBacklightLevel;
constexpr const char* kLinked = keys::kBacklightLinked;
constexpr const char* kOwed = keys::kBacklightOwed;
// Monitors answer late after waking or being plugged in.
constexpr int kSettleMs = 1500;
// How long the first key waits for the monitors' answer before it moves the ramp alone.
constexpr int kKeyWaitMs = 1500;

// A monitor's key: characters that end a key or a section in the file, or the list, go.
std::string keyOf(const char* prefix, const std::string& id) {
  std::string key = std::string(prefix) + " " + id;
  std::replace_if(
      key.begin(), key.end(),
      [](char ch) { return ch == '=' || ch == '[' || ch == ']' || ch == ';' || ch == '|'; }, '_');
  return key;
}

// A stored number from 0 to max, or nothing.
std::optional<int> storedNumber(const std::string& text, int max) {
  const int value = settings::storedSliderValue(text, -1, max, -1);
  if (value < 0) return std::nullopt;
  return value;
}

// The brightness slider's gamma, -50 to 50, and a display's backlight in percent.
struct Brightness {
  int backlight = 0;
  int gamma = 0;
};

Brightness brightnessStep(Brightness now, bool darker, bool backlightAnswers) {
  // One scale from the darkest to the brightest: ramp below 0, the backlight, ramp above 0.
  constexpr int kBacklightStep = 10;
  constexpr int kGammaStep = 5;
  constexpr int kGammaMin = -50;
  constexpr int kGammaMax = 50;
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

}  // namespace

AllMonitors::AllMonitors(const std::vector<MonitorControl*>& means) {
  for (MonitorControl* control : means) means_.push_back({control, {}});
  for (Means& m : means_) {
    m.control->Listed = [this, &m](const std::vector<MonitorState>& monitors) {
      m.monitors = monitors;
      m.answered = true;
      std::vector<MonitorState> all;
      for (const Means& each : means_) {
        if (!each.answered) return;
        all.insert(all.end(), each.monitors.begin(), each.monitors.end());
      }
      Listed(all);
    };
    m.control->Sent = [this](const std::string& id, int value, Outcome outcome) {
      Sent(id, value, outcome);
    };
  }
}

void AllMonitors::list(int delayMs) {
  for (Means& m : means_) {
    m.answered = false;
    m.control->list(delayMs);
  }
}

void AllMonitors::send(const std::string& id, int value) {
  for (Means& m : means_)
    if (std::any_of(m.monitors.begin(), m.monitors.end(),
                    [&id](const MonitorState& s) { return s.id == id; }))
      m.control->send(id, value);
}

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

int stepDisplays(std::vector<int>& levels, int gamma, bool darker) {
  bool moved = false;
  int next = brightnessStep({0, gamma}, darker, !levels.empty()).gamma;
  for (int& level : levels) {
    const Brightness b = brightnessStep({level, gamma}, darker, true);
    moved = moved || b.backlight != level;
    level = b.backlight;
    next = b.gamma;
  }
  // A display still able to move holds the ramp where it is.
  return moved ? gamma : next;
}

Backlight::Backlight(const BacklightControls& controls, MonitorControl& monitors,
                     settings::Ini& ini)
    : c_(controls), monitorControl_(monitors), ini_(ini) {}

void Backlight::connect() {
  c_.slider.Change = [this] { slider_Change(); };
  c_.same.Click = [this](bool on) { same_Click(on); };
  for (std::size_t i = 0; i < c_.rows.size(); ++i) {
    c_.rows[i].slider->Change = [this, i] {
      if (!loading_ && i < monitors_.size()) setLevel(c_.rows[i].slider->value(), monitors_[i].id);
    };
    c_.rows[i].slider->setRange(0, 100);
  }
  c_.wait.Tick = [this] { settle(); };
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
  // Through the store's reader: a level out of range is named at start.
  const int level = ini_.number(kSection, kLevel, -1, 100, -1);
  if (level >= 0) levels_.linked = level;
  if (levels_.linked) c_.slider.setValue(*levels_.linked);
  loading_ = false;
  showState();
  // A monitor's own value not yet given back (a crash, a failed give-back) is owed at start.
  if (levels_.linked || ini_.readini(kSection, kOwed) != kOwed) askMonitors();
}

void Backlight::askMonitors() {
  if (asked_) return;
  asked_ = true;
  monitorControl_.list(0);
}

void Backlight::afterListing(std::function<void()> work) {
  askMonitors();
  waiting_.push_back(std::move(work));
  if (settled_) {
    settle();
    return;
  }
  c_.wait.setInterval(kKeyWaitMs);
  c_.wait.setEnabled(true);
}

void Backlight::settle() {
  settled_ = true;  // answered, or waited for long enough: keys no longer wait
  c_.wait.setEnabled(false);
  for (const std::function<void()>& work : std::exchange(waiting_, {})) work();
}

void Backlight::displayChanged() {
  if (asked_) monitorControl_.list(kSettleMs);
}

void Backlight::eyeCare(bool on) {
  eyeOn_ = on;
  if (levels_.linked) askMonitors();
  apply();
  TipChanged();
}

void Backlight::panelOpened() {
  // Asked again: the panel shows what a laptop's own keys have set meanwhile.
  if (asked_) monitorControl_.list(0);
  askMonitors();
  beforePanel_ = levels_;
}

void Backlight::panelBack() {
  if (!beforePanel_) return;
  levels_ = *beforePanel_;
  loading_ = true;
  c_.slider.setValue(levels_.linked.value_or(c_.slider.value()));
  loading_ = false;
  apply();
  showState();
  showRows();
  TipChanged();
}

void Backlight::listed(const std::vector<MonitorState>& monitors) {
  listedOnce_ = true;
  monitors_ = monitors;
  fault_.clear();
  if (ini_.readini(kSection, kLinked) == "0" && levels_.of.empty())
    for (const MonitorState& m : monitors_)
      if (const std::optional<int> l =
              storedNumber(ini_.readini(kSection, keyOf(kLevel, m.id)), 100))
        levels_.of[m.id] = *l;
  if (!levels_.linked && !monitors_.empty()) {  // the slider shows what the first monitor holds
    loading_ = true;
    c_.slider.setValue(toPercent(monitors_[0].value, monitors_[0].maximum));
    loading_ = false;
  }
  apply();
  showState();
  showRows();
  TipChanged();
  settle();
}

void Backlight::apply() {
  for (const MonitorState& m : monitors_) {
    if (eyeOn_ && levels_.linked) {
      sendLevel(m);
    } else if (const std::optional<int> was = own(m)) {
      monitorControl_.send(m.id, *was);
    }
  }
}

int Backlight::levelOf(const MonitorState& m) const {
  const auto it = levels_.of.find(m.id);
  if (it != levels_.of.end()) return it->second;
  return levels_.linked.value_or(level());
}

void Backlight::sendLevel(const MonitorState& m) {
  // Stored before the first change, so that its own value comes back after a crash too.
  if (!own(m)) keepOwn(m.id, m.value);
  monitorControl_.send(m.id, toMonitor(levelOf(m), m.maximum));
}

void Backlight::slider_Change() {
  showState();
  if (loading_) return;
  const bool wasSeparate = !levels_.of.empty();
  levels_ = {c_.slider.value(), {}};
  if (wasSeparate) showRows();
  if (eyeOn_) apply();
  TipChanged();
}

bool Backlight::setLevel(int percent, const std::string& display) {
  const auto m = std::find_if(monitors_.begin(), monitors_.end(), [&](const MonitorState& s) {
    return s.id == display || std::to_string(s.display) == display;
  });
  if (m == monitors_.end()) return false;
  if (!levels_.linked) levels_.linked = level();
  for (const MonitorState& other : monitors_) levels_.of.try_emplace(other.id, levelOf(other));
  levels_.of[m->id] = percent;
  if (eyeOn_) sendLevel(*m);
  showRows();
  TipChanged();
  return true;
}

void Backlight::same_Click(bool on) {
  if (loading_) return;
  levels_.linked = level();
  levels_.of.clear();
  for (const MonitorState& m : monitors_)
    if (!on) levels_.of[m.id] = level();
  if (eyeOn_) apply();
  showRows();
  TipChanged();
}

void Backlight::showRows() {
  const bool several = monitors_.size() > 1;
  const bool separate = several && !levels_.of.empty();
  loading_ = true;
  c_.sameCaption.setVisible(several);
  c_.same.setVisible(several);
  if (c_.same.Value() == separate) c_.same.setValue(!separate);
  c_.caption.setVisible(!separate);
  c_.slider.setVisible(!separate);
  c_.percent.setVisible(!separate);
  for (std::size_t i = 0; i < c_.rows.size(); ++i) {
    const DisplayRow& row = c_.rows[i];
    const bool shown = separate && i < monitors_.size();
    row.name->setVisible(shown);
    row.slider->setVisible(shown);
    row.percent->setVisible(shown);
    if (!shown) continue;
    const int percent = levelOf(monitors_[i]);
    row.name->setText(monitors_[i].id);
    row.slider->setAccessName(monitors_[i].id);
    row.slider->setValue(percent);
    row.percent->setText(std::to_string(percent) + " %");
  }
  loading_ = false;
  RowsChanged();
}

std::vector<std::pair<std::string, int>> Backlight::levels() const {
  std::vector<std::pair<std::string, int>> result;
  for (const MonitorState& m : monitors_) result.emplace_back(m.id, levelOf(m));
  return result;
}

int Backlight::step(bool darker, int gamma) {
  std::vector<int> each;
  for (const MonitorState& m : monitors_) each.push_back(levelOf(m));
  const int next = stepDisplays(each, gamma, darker);
  if (levels_.of.empty() && !each.empty()) {
    setLevel(each[0]);
  } else {
    for (std::size_t i = 0; i < each.size(); ++i) setLevel(each[i], monitors_[i].id);
  }
  return next;
}

void Backlight::sent(const std::string& id, int value, Outcome outcome) {
  auto m = std::find_if(monitors_.begin(), monitors_.end(),
                        [&id](const MonitorState& s) { return s.id == id; });
  if (m == monitors_.end()) return;  // gone meanwhile
  if (outcome == Outcome::Done) {
    m->value = value;
    // Forgotten only once the monitor holds its own value again, read back: a level still in
    // flight when eye care went off ends here too and must not take its own value with it.
    if (!(eyeOn_ && levels_.linked) && own(*m) == value) keepOwn(id, std::nullopt);
    return;
  }
  fault_ = outcome == Outcome::Ignored ? id + " reports success but keeps its own brightness."
                                       : id + " did not answer the brightness change.";
  showState();
}

std::vector<ui::ProfileEntry> Backlight::storedEntries() const {
  std::vector<ui::ProfileEntry> entries;
  if (!levels_.linked) return entries;
  entries.push_back({kSection, kLevel, std::to_string(*levels_.linked)});
  if (levels_.of.empty()) {
    entries.push_back({kSection, kLinked, std::nullopt});
    return entries;
  }
  entries.push_back({kSection, kLinked, "0"});
  for (const MonitorState& m : monitors_)
    entries.push_back({kSection, keyOf(kLevel, m.id), std::to_string(levelOf(m))});
  return entries;
}

std::string Backlight::tipLine() const {
  if (!eyeOn_ || !levels_.linked || !available()) return "";
  std::string line = "Backlight";
  for (const auto& [id, level] : levels()) {
    line += line.size() == 9 ? " " : ", ";
    line += std::to_string(level);
    line += " %";
    if (levels_.of.empty()) break;  // linked: one level for all
  }
  return line;
}

std::optional<int> Backlight::own(const MonitorState& m) {
  // Not held to the maximum: a monitor that reported 150 of 100 gets its own 150 back.
  return storedNumber(ini_.readini(kSection, keyOf(keys::kBacklightWas, m.id)), 65535);
}

void Backlight::keepOwn(const std::string& id, std::optional<int> value) {
  const std::string key = keyOf(keys::kBacklightWas, id);
  const std::string owed = ini_.readini(kSection, kOwed);
  std::set<std::string> keys;
  for (std::size_t start = 0; owed != kOwed && start < owed.size();) {
    const std::size_t end = std::min(owed.find('|', start), owed.size());
    keys.insert(owed.substr(start, end - start));
    start = end + 1;
  }
  keys.erase(key);
  std::optional<std::string> text;
  if (value) {
    text = std::to_string(*value);
    keys.insert(key);
  }
  std::string list;
  for (const std::string& k : keys) list += (list.empty() ? k : "|" + k);
  ini_.writeini({{kSection, key, text},
                 {kSection, kOwed, list.empty() ? std::nullopt : std::optional(list)}});
}

void Backlight::showState() {
  // No monitor yet: the row shows no number rather than a "0 %" that no monitor holds.
  c_.percent.setText(available() ? std::to_string(c_.slider.value()) + " %" : "");
  c_.slider.setEnabled(available());
  const bool none = listedOnce_ && !available();
  if (!fault_.empty())
    c_.status.setText(fault_);
  else
    c_.status.setText(none ? kNoDdcStatus : "");
  c_.slider.setAccessName(none ? std::string("Backlight: ") + kNoDdcStatus : "Backlight");
}

}  // namespace colour
