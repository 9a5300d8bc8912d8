#pragma once
// The rest reminder of the main window: the one-second rest clock, the next-rest time and the rest
// settings, and the two windows it opens (the prompt Form2 and the rest screen Form3).
#include <array>
#include <cstdint>
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
  ui::Label& Label5;                 // next rest time under "NEXT TIME"
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
  // Applies the settings texts and sets the next rest time to the current minute plus M.
  void dsxxadd();
  void SafeSwitch2_Click(bool value);
  void setok_Click(int index);
  void setno_Click(int index);
  void okdsxxadd_Click();
  // Starts a countdown of N minutes (restarts one that runs).
  void form2tip_Click();
  // The one-second tick: the schedule decides, this applies.
  void Timer1_Timer();
  void sessionLocked(bool locked);

  // The prompt's answers, also offered by the tray menu: rest now, put the prompt off, skip it.
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

  // The notification icon's tip: the next rest, or that reminders are off. TipChanged is raised
  // whenever it may have changed.
  std::string tip() const { return tipText(standing(), clock_.now()); }
  ui::Event<> TipChanged;
  // The gentle warning: the screen's brightness in percent, eased down to 90 over the minute
  // before a prompt and back to 100 once the prompt is answered or reminders stop.
  ui::Event<int> Dimming;

  const std::string& restOn() const { return restOn_; }
  void setRestOn(std::string value) { restOn_ = std::move(value); }

  // 1 from the prompt until the rest is declined, ends or its screen is closed.
  std::int16_t Pdtipshow() const {
    return stage_ == Stage::Prompt || stage_ == Stage::Resting ? 1 : 0;
  }
  Stage stage() const { return stage_; }
  ui::Busy hold() const { return hold_; }

  std::int16_t restCounting() const { return schedule_.counting() ? 1 : 0; }
  std::int16_t restMinutes() const { return schedule_.countdown().minutes; }
  std::int16_t restSeconds() const { return schedule_.countdown().seconds; }

  // The open windows; null when closed. A rest shows one rest screen on every monitor, the
  // primary monitor's first.
  PromptWindow* prompt() const { return prompt_.get(); }
  RestScreen* restScreen() const { return screens_.empty() ? nullptr : screens_.front().get(); }
  std::vector<RestScreen*> restScreens() const;
  ShortBreakWindow* shortBreak() const { return breakWindow_.get(); }

  // Opens the rest screen on every monitor (the prompt's rest-now action).
  void showRestScreen();
  void closeRestScreens();
  // The rest screen's close steps: a new working period, and every rest screen goes.
  void restScreenClosed();
  // The desktop's work area changed (a taskbar moved, appeared or resized): the prompt keeps to it.
  void workAreaChanged();
  // The desktop's monitors may have changed: during a rest, a monitor that came gets a rest
  // screen and one that went loses its own; the rest goes on.
  void monitorsChanged();

  // The values in force: the last accepted interval and length.
  int interval() const { return interval_; }
  int length() const { return length_; }

 private:
  void apply(const TickOutcome& outcome);
  // The one place the stage changes: the step's transition, then what the new stage shows.
  // True when the stage changed.
  bool goTo(Step step, ui::Busy hold = ui::Busy::No);
  Standing standing() const;
  // "NEXT TIME": the next rest, or while paused when reminders resume.
  void showNextTime();
  // A prompt put off, and how often in a row, kept across restarts as a pause is.
  void storeLater();
  void restoreLater();
  // After anything that moves the next rest: the warning's level, and when the clock next needs
  // to look (a second while something runs, else the next minute or the moment idle becomes a
  // rest).
  void settle();
  void showCountdown(const Countdown& countdown);
  void showPrompt();
  void closePrompt();
  void openRestScreen(const ui::Monitor& monitor);
  void endRest();
  void setPause(std::optional<long long> until);
  // A short break: starts when due at a tick, counts down on the rest clock's tick, ends itself.
  void shortBreakTick(const Elapsed& elapsed);
  void endShortBreak();
  // The hold settings as the panel shows them, handed to the clock that reports what holds.
  void applyHolds();
  Elapsed elapsed();
  // The typed interval and length, when they are whole numbers in range.
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
  int promptLevel_ = 100;  // the warning's level as the prompt came
  // The minute the last prompt put off comes back, while the row of them goes on, and what of it
  // config.ini holds.
  std::optional<long long> laterUntil_;
  std::pair<std::optional<long long>, int> stored_;
  int dimming_ = 100;
  RestSchedule schedule_;
  BreakSettings breaks_;
  ShortBreaks shortBreaks_;
  std::int64_t breakEndMs_ = 0;  // on the monotonic counter, while a short break is shown
  bool holdCalls_ = true;
  std::vector<std::string> holdApps_;

  std::unique_ptr<PromptWindow> prompt_;
  std::vector<std::unique_ptr<RestScreen>> screens_;
  std::unique_ptr<ShortBreakWindow> breakWindow_;
  std::vector<std::shared_ptr<ui::Form>> retired_;  // closed forms awaiting a host to drop them
};

}  // namespace rest
