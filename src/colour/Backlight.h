#pragma once
// The monitors' own brightness (their backlight, over the control channel of the video cable):
// the colour panel's backlight row, what is stored of it, and the order the brightness keys move
// the backlight and the ramp in. The exchanges themselves are the backend's.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/Event.h"

namespace colour {

// A monitor that answers: the value it holds and its maximum, on its own scale.
struct MonitorState {
  std::string id;  // its display and description: what identifies it from one run to the next
  int value = 0, maximum = 100;
};

// How an exchange ended. Ignored: the monitor reported success and kept its old value.
enum class Outcome { Done, Failed, Ignored };

// Monitors whose brightness can be set. Exchanges are slow and may fail, so both calls return at
// once and their answers come later on the user-interface thread. Another means (a laptop's
// panel) is another implementation.
class MonitorControl {
 public:
  virtual ~MonitorControl() = default;
  // Asks which monitors answer, after delayMs (monitors answer late after waking); Listed follows.
  virtual void list(int delayMs) = 0;
  // Wants a monitor at a value of its own scale. While an exchange with it is in flight, only the
  // latest value wanted is sent after it. Sent follows each exchange.
  virtual void send(const std::string& id, int value) = 0;

  ui::Event<const std::vector<MonitorState>&> Listed;
  ui::Event<const std::string&, int, Outcome> Sent;  // the monitor, the value sent, how it ended
};

// Monitors that never answer: where no means exists.
class NoMonitors final : public MonitorControl {
 public:
  void list(int) override { Listed({}); }
  void send(const std::string&, int) override {}
};

// Which exchange comes next: one in flight per monitor, the latest wanted value winning (a slider
// drag sends only what is current when an exchange ends). The backend keeps it under its lock.
class LatestWins {
 public:
  void want(const std::string& id, int value) { wanted_[id] = value; }
  // The next monitor and value to send, marked in flight; nothing when none is waiting.
  std::optional<std::pair<std::string, int>> next();
  void done(const std::string& id) { busy_.erase(id); }

 private:
  std::map<std::string, int> wanted_;
  std::set<std::string> busy_;
};

// Percent of the slider to a monitor's own scale and back, rounded.
int toMonitor(int percent, int maximum);
int toPercent(int value, int maximum);

// One brightness, two means: the backlight dims first and the ramp below its 0; brighter
// undoes it in the reverse order. Without an answering monitor only the ramp moves.
struct Brightness {
  int backlight = 0;  // percent
  int gamma = 0;      // the brightness slider, -50 to 50
};
Brightness brightnessStep(Brightness now, bool darker, bool backlightAnswers);

inline constexpr const char* kNoDdcStatus =
    "No display answers DDC/CI: brightness dims through the ramp";

struct BacklightControls {
  ui::Slider& slider;  // 0 to 100
  ui::Label& percent;  // "40 %"
  ui::Label& status;   // why the row is greyed, or which monitor did not take the level
};

class Backlight {
 public:
  Backlight(const BacklightControls& controls, MonitorControl& monitors, settings::Ini& ini);

  // The slider's change and the monitors' answers.
  void connect();
  // Load step: the stored level; with one, the monitors are asked at once.
  void load();
  // The backlight is wanted (the colour panel opened, a key, a command): the monitors are asked,
  // once.
  void use();
  // Whether the monitors have answered the first asking, and whether any of them takes a level.
  bool known() const { return listedOnce_; }
  bool available() const { return !monitors_.empty(); }
  // Through the slider's setter, so everything the slider does happens.
  void setLevel(int percent) { c_.slider.setValue(percent); }
  int level() const { return c_.slider.value(); }
  // Eye care on sends the level; off gives each monitor back the value it had before.
  void eyeCare(bool on);
  // Displays changed, the system resumed or was unlocked: asked again after a settling delay.
  void displayChanged();
  // The level as the panel's OK stores it; nothing when no level was ever set.
  std::optional<ui::ProfileEntry> storedEntry() const;
  // "Backlight 40 %" while a level is in force; empty otherwise.
  std::string tipLine() const;
  ui::Event<> TipChanged;

 private:
  void listed(const std::vector<MonitorState>& monitors);
  void sent(const std::string& id, int value, Outcome outcome);
  void slider_Change();
  void apply();
  void sendLevel(MonitorState& monitor);
  std::string originalKey(const std::string& id) const;
  std::optional<int> original(const MonitorState& monitor);
  void showState();

  BacklightControls c_;
  MonitorControl& monitorControl_;
  settings::Ini& ini_;
  std::vector<MonitorState> monitors_;
  std::optional<int> level_;  // absent: the monitors are never touched
  std::set<std::string> restoring_;
  std::string fault_;  // a monitor that did not take the level, for the status line
  bool asked_ = false, listedOnce_ = false, eyeOn_ = false, loading_ = false;
};

}  // namespace colour
