#pragma once
// Night light's controller: the [night] settings, the timer to the warmth's next change, the
// colour panel's night rows, the tray's toggle, the tip's line and "Allow stronger settings".
// What the warmth is at a moment comes from colour/Night.*, a pure function of the clock.
#include <optional>
#include <string>
#include <vector>

#include "colour/GammaEngine.h"
#include "colour/Night.h"
#include "controls/SafeSwitch.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/Event.h"
#include "ui/System.h"

namespace colour {

struct NightControls {                                  // the colour panel's night light rows
  controls::SafeSwitch on{"nightOn"}, sun{"nightSun"};  // sun: from sunset to sunrise
  ui::TextBox from{"nightFrom"}, to{"nightTo"}, lat{"nightLat"}, lon{"nightLon"};
  ui::Slider warmth{"nightWarmth"};  // the night's kelvin in hundreds
  ui::Label warmthCaption{"nightWarmthCaption"};
  ui::CommandButton allowStronger{"allowStronger"};
};

inline constexpr const char* kSunFallbackStatus =
    "Sunset and sunrise need a latitude and longitude: night light follows the times.";
inline constexpr const char* kAllowStrongerQuestion =
    "Let Windows accept stronger colour settings for every display? This needs administrator "
    "rights and takes effect after you sign in to Windows again.";
// The switch of the elevated copy that lifts Windows' limit and ends.
inline constexpr const char* kAllowStrongerSwitch = "/allow-stronger-gamma";

class NightLight {
 public:
  NightLight(NightControls& controls, ui::Timer& timer, GammaEngine& engine, settings::Ini& ini,
             ui::Shell& shell, ui::Clock& clock);

  // Assigns the timer's tick, the warmth slider's change and Allow stronger's click.
  void connect();
  // Load step: the [night] section (what cannot be used named in ignored), the warmth slider's
  // range, Allow stronger while it is needed.
  void load();
  // The colour panel opens: its night light rows show what is stored.
  void fillRows();
  // OK of the colour panel: the rows as typed, as entries to store in the panel's one save (none
  // when they are as stored); nothing, and a message naming the field, when one is not right.
  std::optional<std::vector<ui::ProfileEntry>> typedRows();
  // Back of the colour panel: a warmth the slider showed gives way to the schedule's again.
  void endPreview();

  // Eye care switched: the warmth follows it (sent only while eye care is on).
  void setEyeCare(bool on);
  // The warmth for now, sent when eye care is on; the timer set for the next change.
  void tick();
  // Night light on or off, stored; what the tray's "Night light" and its shortcut run.
  void toggle();
  bool on() const { return night_.on; }
  // On, with eye care on: the only time it changes the screen.
  bool working() const { return eyeOn_ && night_.on; }
  // The tip's line for night light; empty when it has nothing to say. With eye care off, what the
  // last toggle did, until eye care switches.
  std::string tipLine() const;
  bool sunFallback() const { return state_.sunFallback; }
  int kelvin() const { return state_.kelvin; }  // in force now

  ui::Event<SendResult> Sent;  // a ramp went to the displays, with what they did
  ui::Event<> TipChanged;

 private:
  void allowStronger_Click();

  NightControls& c_;
  ui::Timer& timer_;
  GammaEngine& engine_;
  settings::Ini& ini_;
  ui::Shell& shell_;
  ui::Clock& clock_;
  NightSettings night_;
  NightState state_;
  bool eyeOn_ = false;
  int heldBelow_ = 0;             // kelvin under which Windows' default limit pulls the warmth in
  bool toggledWhileOff_ = false;  // the tip says what a toggle did while eye care is off
  bool filling_ = false;          // the rows are set from the settings, not by the user
  std::optional<int> preview_;    // the slider's warmth, shown while the colour panel is open
};

}  // namespace colour
