#pragma once
// The monitors' own brightness (their backlight, over the control channel of the video cable):
// the colour panel's backlight row, what is stored of it, and the order the brightness keys move
// the backlight and the ramp in. The exchanges themselves are the backend's.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "controls/SafeSwitch.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/Event.h"

namespace colour {

// A monitor that answers: the value it holds and its maximum, on its own scale.
struct MonitorState {
  std::string id;   // its name, numbered when two are alike: from one run to the next, unlike
  int display = 0;  // its number as Windows' display settings show it (which changes)
  int value = 0;
  int maximum = 100;
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

// Several means as one: a listing answers once every means has answered since it was asked, with
// all their monitors; a value goes to the means that listed its monitor.
class AllMonitors final : public MonitorControl {
 public:
  explicit AllMonitors(const std::vector<MonitorControl*>& means);
  AllMonitors(const AllMonitors&) = delete;
  AllMonitors& operator=(const AllMonitors&) = delete;
  void list(int delayMs) override;
  void send(const std::string& id, int value) override;

 private:
  struct Means {
    MonitorControl* control;
    std::vector<MonitorState> monitors;
    bool answered = false;
  };
  std::vector<Means> means_;
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

// One brightness, two means: the backlight dims first and the ramp below its 0; brighter undoes
// it in the reverse order. Each display's level (percent) after a key: every display that
// answers steps, and the ramp moves only where none can (or none answers); the new gamma is
// returned.
int stepDisplays(std::vector<int>& levels, int gamma, bool darker);

inline constexpr const char* kNoDdcStatus =
    "No display answers DDC/CI: brightness dims through the ramp";

// A display's own row: its name, its slider and its percent.
struct DisplayRow {
  ui::Label* name;
  ui::Slider* slider;
  ui::Label* percent;
};

struct BacklightControls {
  ui::Label& caption;  // "Backlight": the row of every display's level, linked
  ui::Slider& slider;  // 0 to 100
  ui::Label& percent;  // "40 %"
  ui::Label& status;   // why the row is greyed, or which monitor did not take the level
  ui::Timer& wait;     // how long a key waits for the monitors' first answer
  // "Same level on every display", shown with two displays or more; off shows their own rows.
  ui::Label& sameCaption;
  controls::SafeSwitch& same;
  std::vector<DisplayRow> rows;
};

class Backlight {
 public:
  Backlight(const BacklightControls& controls, MonitorControl& monitors, settings::Ini& ini);

  // The slider's change and the monitors' answers.
  void connect();
  // Load step: the stored level; with one, or an own value still to give back, the monitors are
  // asked at once.
  void load();
  // The backlight is wanted (the colour panel opened, a key, a command): the monitors are asked,
  // once.
  void askMonitors();
  // Whether the monitors have answered the first asking, and whether any of them takes a level.
  bool monitorsListed() const { return listedOnce_; }
  bool available() const { return !monitors_.empty(); }
  // Runs work once the monitors have first answered, or after a short wait when they are slow.
  void afterListing(std::function<void()> work);
  // Every display at one level (linked again), through the slider's setter, so everything the
  // slider does happens.
  void setLevel(int percent) { c_.slider.setValue(percent); }
  // One display, by its number or its name, at its own level; false when none such answers.
  bool setLevel(int percent, const std::string& display);
  int level() const { return c_.slider.value(); }
  // Each answering display's name and level.
  std::vector<std::pair<std::string, int>> levels() const;
  // The brightness keys: every display that answers steps; the ramp's new gamma is returned.
  int step(bool darker, int gamma);
  // Eye care on sends the levels; off gives each monitor back the value it had before.
  void eyeCare(bool on);
  // Displays changed, the system resumed or was unlocked: asked again after a settling delay.
  void displayChanged();
  // The colour panel opened, and its Back: the levels as they were when it opened.
  void panelOpened();
  void panelBack();
  // The levels as the panel's OK stores them; nothing when no level was ever set.
  std::vector<ui::ProfileEntry> storedEntries() const;
  // "Backlight 40 %" (a level a display) while a level is in force; empty otherwise.
  std::string tipLine() const;
  ui::Event<> TipChanged;
  ui::Event<> RowsChanged;  // rows shown or hidden: the panel is laid out again

 private:
  struct Levels {
    std::optional<int> linked;      // absent: the monitors are never touched
    std::map<std::string, int> of;  // a display's own level, when not linked
  };
  void listed(const std::vector<MonitorState>& monitors);
  void sent(const std::string& id, int value, Outcome outcome);
  void slider_Change();
  void same_Click(bool on);
  void showRows();
  void settle();
  void apply();
  int levelOf(const MonitorState& monitor) const;
  void sendLevel(const MonitorState& monitor);
  std::optional<int> own(const MonitorState& monitor);
  void keepOwn(const std::string& id, std::optional<int> value);
  void showState();

  BacklightControls c_;
  MonitorControl& monitorControl_;
  settings::Ini& ini_;
  std::vector<MonitorState> monitors_;
  Levels levels_;
  std::optional<Levels> beforePanel_;
  std::vector<std::function<void()>> waiting_;  // keys pressed before the monitors answered
  std::string fault_;  // a monitor that did not take the level, for the status line
  bool asked_ = false;
  bool listedOnce_ = false;
  bool settled_ = false;
  bool eyeOn_ = false;
  bool loading_ = false;
};

}  // namespace colour
