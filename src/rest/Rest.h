#pragma once
// The rest reminder of the main window: the one-second rest clock, the next-rest time and the rest
// settings, and the two windows it opens (the prompt Form2 and the rest screen Form3).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/SafeSwitch.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace rest {

class PromptWindow;
class RestScreen;

constexpr int kDefaultInterval = 45;  // minutes of work between rests
constexpr int kDefaultLength = 5;     // minutes of rest
constexpr int kMinInterval = 0;
constexpr int kMaxInterval = 1440;
constexpr int kMinLength = 1;
constexpr int kMaxLength = 1440;

// A whole number of minutes within [min, max]: decimal digits only, surrounding blanks allowed.
std::optional<int> wholeMinutes(std::string_view text, int min, int max);
// Stored settings as the load step takes them: the number, or the default when the stored text is
// not a whole number of minutes in range.
std::string intervalOrDefault(const std::string& stored);
std::string lengthOrDefault(const std::string& stored);

// Times of day as minutes since midnight (0-1439) and as "hh:mm" text.
std::string formatTimeOfDay(int minuteOfDay);
std::optional<int> parseTimeOfDay(std::string_view text);

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

  // Applies the settings texts and sets the next rest time to the current minute plus M.
  void dsxxadd();
  void SafeSwitch2_Click(bool value);
  void setok_Click(int index);
  void setno_Click(int index);
  void okdsxxadd_Click();
  // Starts a countdown of N minutes (restarts one that runs).
  void form2tip_Click();
  // The one-second tick.
  void Timer1_Timer();

  const std::string& restOn() const { return restOn_; }
  void setRestOn(std::string value) { restOn_ = std::move(value); }

  // 1 from the prompt until the rest is declined, ends or its screen is closed.
  std::int16_t Pdtipshow = 0;

  std::int16_t restCounting() const { return restCounting_; }
  std::int16_t restHours() const { return restHours_; }
  std::int16_t restMinutes() const { return restMinutes_; }
  std::int16_t restSeconds() const { return restSeconds_; }

  // The open windows; null when closed.
  PromptWindow* prompt() const { return prompt_.get(); }
  RestScreen* restScreen() const { return screen_.get(); }

  // Opens the rest screen (the prompt's rest-now action).
  void showRestScreen();

  // The values in force: the last accepted interval and length.
  int interval() const { return interval_; }
  int length() const { return length_; }

 private:
  void showPrompt();
  void closePrompt();
  void endRest();
  // The typed length when it is valid, else the one in force.
  int typedLengthOrCurrent() const;
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
  std::int16_t restCounting_ = 0;
  std::int16_t restHours_ = 0;
  std::int16_t restMinutes_ = 0;
  std::int16_t restSeconds_ = 0;
  int interval_ = kDefaultInterval;
  int length_ = kDefaultLength;

  // Skipped-minute tracking: absolute minutes of local time, and the monotonic counter.
  std::optional<long long> checkedThrough_;  // last minute the due check has covered
  std::optional<std::int64_t> lastSeenMs_;   // last tick or new working period

  std::unique_ptr<PromptWindow> prompt_;
  std::unique_ptr<RestScreen> screen_;
  std::vector<std::shared_ptr<ui::Form>> retired_;  // closed forms awaiting a host to drop them
};

}  // namespace rest
