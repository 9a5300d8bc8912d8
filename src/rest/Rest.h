#pragma once
// The rest reminder of the main window: the rest clock, the next-rest time and the rest settings,
// and the windows each stage shows (the prompt Form2, the rest screens Form3, the short break).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controls/SafeSwitch.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "rest/Breaks.h"
#include "rest/Hours.h"
#include "rest/RestSchedule.h"
#include "ui/System.h"

namespace rest {

class PromptWindow;
class RestScreen;
class ShortBreakWindow;

// The main window's controls that the rest reminder reads and writes.
struct RestControls {
  ui::TextBox& Text1;                // next rest time, "hh:mm"
  ui::TextBox& Text2;                // interval M, as typed
  ui::TextBox& Text3;                // length N, as typed
  ui::Label& Label4;                 // "NEXT TIME", or what holds the next rest back
  ui::Label& Label5;                 // next rest time under it
  std::array<ui::Label*, 2> dhhour;  // (0) shows M, (1) shows N
  controls::SafeSwitch& SafeSwitch2;
  ui::Label& Label2_1;  // "Health Better"
  ui::Image& edit1;
  ui::PictureBox& ppset;
  ui::Timer& Timer1;
  ui::Image& setok1;
  ui::Image& setno1;
  ui::CommandButton& form2tip;
  ui::CommandButton& okdsxxadd;
  controls::SafeSwitch& sound;   // in the rest panel: a sound as a rest starts and ends
  controls::SafeSwitch& warn;    // in the rest panel: the screen dims a little before a prompt
  controls::SafeSwitch& breaks;  // in the rest panel: short breaks for the eyes
  controls::SafeSwitch& calls;   // in the rest panel: a call holds the prompt
  ui::TextBox& apps;             // in the rest panel: programs that hold the prompt in front
  ui::TextBox& breakEvery;       // in the rest panel: minutes between short breaks
  ui::TextBox& breakSeconds;     // in the rest panel: seconds a short break lasts
  HoursRow& hours;               // in the rest panel: working hours
};

class Rest {
 public:
  Rest(RestControls controls, ui::Clock& clock, ui::Screen& screen, ui::FormHost* host,
       settings::Ini& ini, ui::Shell& shell);
  ~Rest();
  Rest(const Rest&) = delete;
  Rest& operator=(const Rest&) = delete;

  // Assigns the handlers of Timer1, SafeSwitch2, setok(1), setno(1), form2tip and okdsxxadd.
  void connect();

  // Reads the rest settings the load step does not: putting off, a pause, the sound.
  void loadSettings();
  // Applies the settings texts and starts a new working period: the next rest time is the current
  // minute plus M.
  void dsxxadd();
  void SafeSwitch2_Click(bool value);
  void setok_Click(int index);
  void setno_Click(int index);
  void okdsxxadd_Click();
  // A rest now (restarts one that runs).
  void form2tip_Click() { restNow(); }
  // The rest clock's tick, planned for when something is due.
  void Timer1_Timer();
  void sessionLocked(bool locked);

  // The prompt's answers, also offered by the tray menu: rest now (in any stage), put the prompt
  // off, skip it.
  void restNow();
  void later();
  void decline();
  bool canPutOff() const { return schedule_.laters() < latersLimit_; }
  int latersLimit() const { return latersLimit_; }
  // Holds every prompt until the end of the pause, kept across restarts; resume ends it now.
  void pause(PauseFor how);
  void pause(int minutes);  // the command line's "/pause MINUTES"
  void resume();
  bool paused() const { return pausedUntil_.has_value(); }
  std::optional<long long> pausedUntil() const { return pausedUntil_; }  // local minute

  // The notification icon's tip: what the stage means for the next rest. TipChanged is raised
  // whenever it may have changed.
  std::string tip() const { return tipText(standing(), clock_.now()); }
  ui::Event<> TipChanged;
  // /status's next rest: "off", empty while paused, else "hh:mm".
  std::string nextRest() const;
  // The gentle warning: the screen's brightness in percent, eased down to 90 over the minute
  // before a prompt and back to 100 once the prompt is answered or reminders stop.
  ui::Event<int> Dimming;

  const std::string& restOn() const { return restOn_; }
  void setRestOn(std::string value) { restOn_ = std::move(value); }

  // 1 while the prompt is up or a rest runs.
  std::int16_t Pdtipshow() const {
    return stage_ == Stage::Prompt || stage_ == Stage::Resting ? 1 : 0;
  }
  Stage stage() const { return stage_; }

  std::int16_t restCounting() const { return schedule_.counting() ? 1 : 0; }
  std::int16_t restMinutes() const { return schedule_.countdown().minutes; }
  std::int16_t restSeconds() const { return schedule_.countdown().seconds; }

  // The open windows, each opened as its stage begins and closed as it ends; null when closed. A
  // rest shows one rest screen on every monitor, the primary monitor's first.
  PromptWindow* prompt() const { return prompt_.get(); }
  RestScreen* restScreen() const { return screens_.empty() ? nullptr : screens_.front().get(); }
  std::vector<RestScreen*> restScreens() const;
  ShortBreakWindow* shortBreak() const { return breakWindow_.get(); }

  // The rest screen's close steps: the rest is over.
  void restScreenClosed() { on(Event::RestOver); }
  // The desktop's work area changed (a taskbar moved, appeared or resized): the prompt keeps to it.
  void workAreaChanged();
  // The desktop's monitors may have changed: during a rest, a monitor that came gets a rest
  // screen and one that went loses its own; the rest goes on.
  void monitorsChanged();

  // Working hours, set by the program: nothing while the moment is inside them, else the local
  // minute (since 1970) they next begin. Unset, it is always working time. The engine asks at each
  // tick; hoursChanged() makes it ask at once (the schedule was changed).
  std::function<std::optional<long long>(const ui::LocalTime&)> outsideHoursUntil;
  void hoursChanged();

  // Working hours in force, shown in the rest panel; the seam asks them.
  void setHours(const WorkingHours& hours);
  const WorkingHours& hours() const { return hours_; }

 private:
  // The one way the stage moves: what leaving the old stage and entering the new one need, a new
  // working period where the event starts one, then the timer and the dimming.
  void on(Event event, ui::Busy hold = ui::Busy::No);
  void move(Event event, ui::Busy hold = ui::Busy::No);  // as on(), without settling
  void leave(Stage stage);
  void enter(Stage stage);
  Quiet quiet() const;
  // The interval and length as typed, and the next rest time from the current minute.
  void startPeriod();
  // Working hours began or ended since the last look.
  void followHours(const ui::LocalTime& now);
  Standing standing() const;
  // "NEXT TIME": the next rest, or what holds it back and until when.
  void showNextTime();
  // A prompt put off, and how often in a row, kept across restarts as a pause is.
  void storeLater();
  void restoreLater();
  // After anything that moves the stage or the next rest: the warning minute, the dimming, and
  // when the clock next needs to look (a second while something counts or waits, else the next
  // minute, a short break's moment or the moment idle becomes a rest).
  void settle();
  void openPrompt();
  void openRestScreens();
  void openRestScreen(const ui::Monitor& monitor);
  void openShortBreak();
  void shortBreakTick(const Elapsed& elapsed);
  void setPause(std::optional<long long> until);
  // The hold settings as the panel shows them, handed to the clock that reports what holds.
  void applyHolds();
  Elapsed elapsed();
  // The typed values, when they are whole numbers in range.
  std::optional<int> typedInterval() const;
  std::optional<int> typedLength() const;
  // A closed form is dropped after the handler that closed it has returned.
  template <class F>
  void retire(std::unique_ptr<F>& form);

  RestControls c_;
  ui::Clock& clock_;
  ui::Screen& display_;
  ui::FormHost* host_;
  settings::Ini& ini_;
  ui::Shell& shell_;

  std::string restOn_ = "0";
  int interval_ = kDefaultInterval;
  int length_ = kDefaultLength;
  int laterMinutes_ = kDefaultLater;
  int latersLimit_ = kDefaultLaters;
  std::optional<long long> pausedUntil_;
  Stage stage_ = Stage::Working;
  ui::Busy hold_ = ui::Busy::No;
  std::string holder_;                  // the program that holds the prompt, when known
  std::optional<long long> hoursFrom_;  // while outside working hours: when they begin
  int promptLevel_ = 100;               // the warning's level as the prompt came
  // The minute the last prompt put off comes back, while the row of them goes on, and what of it
  // config.ini holds.
  std::optional<long long> laterUntil_;
  std::pair<std::optional<long long>, int> stored_;
  int dimming_ = 100;
  RestSchedule schedule_;
  BreakSettings breaks_;
  WorkingHours hours_;
  ShortBreaks shortBreaks_;
  std::int64_t breakEndMs_ = 0;  // on the monotonic counter, while a short break is shown

  std::unique_ptr<PromptWindow> prompt_;
  std::vector<std::unique_ptr<RestScreen>> screens_;
  std::unique_ptr<ShortBreakWindow> breakWindow_;
  std::vector<std::shared_ptr<ui::Form>> retired_;  // closed forms awaiting a host to drop them
};

}  // namespace rest
