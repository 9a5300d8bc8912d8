#pragma once
// The eye-care row and the colour panel of the main window: the switch, the five colour sliders,
// the restore of the default ramp and the panel's OK.
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "colour/GammaEngine.h"
#include "colour/Night.h"
#include "colour/Sliders.h"
#include "controls/SafeSwitch.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/System.h"

namespace colour {

// A colour slider and the label that shows its value, when it has one.
struct SliderControl {
  ui::Slider* slider = nullptr;
  ui::Label* caption = nullptr;
};

struct NightControls {                                  // the colour panel's night light rows
  controls::SafeSwitch on{"nightOn"}, sun{"nightSun"};  // sun: from sunset to sunrise
  ui::TextBox from{"nightFrom"}, to{"nightTo"}, lat{"nightLat"}, lon{"nightLon"};
  ui::Slider warmth{"nightWarmth"};  // the night's kelvin in hundreds
  ui::Label warmthCaption{"nightWarmthCaption"};
  ui::CommandButton allowStronger{"allowStronger"};
};

// The main window's controls that eye care drives.
struct EyeCareControls {
  controls::SafeSwitch& SafeSwitch1;
  std::array<SliderControl, kSliderCount> sliders;  // in the order of kSliders
  ui::Image& edit0;                                 // edit icon of the eye-care row
  ui::Label& Label2_0;                              // "Eyes Better"
  ui::PictureBox& ppset;                            // the settings panel
  ui::Image& Image7;                                // OK of the colour panel
  ui::Label& colourStatus;  // a line for a ramp the display refused; empty when well
  ui::Timer& nightTimer;    // night light's next change
  NightControls& night;
};

inline constexpr ui::Colour kEyeOffColour = ui::rgb(0, 0, 0);

inline constexpr const char* kMissingDefaultRampText =
    "Not found the default data file, can only be restored to the state before the adjustment!";
// The title the missing file's box is described with; the program's other boxes use kProgramTitle.
inline constexpr const char* kTipsTitle = "tips";
inline constexpr const char* kRefusedStatus =
    "The display did not accept this colour setting and keeps its previous colours.";
inline constexpr const char* kCaptureFailedStatus =
    "The display's colours could not be read; adjustments start from the standard ramp.";
inline constexpr const char* kLimitedStatus =
    "Windows limits how far the screen can change: this is the strongest setting it allows.";
inline constexpr const char* kUnreadableStatus =
    "This setting would make the screen too dark to read, so it was not applied.";
inline constexpr const char* kSunFallbackStatus =
    "Sunset and sunrise need a latitude and longitude: night light follows the times.";
inline constexpr const char* kAllowStrongerQuestion =
    "Let Windows accept stronger colour settings for every display? This needs administrator "
    "rights and takes effect after you sign in to Windows again.";
// The switch of the elevated copy that lifts Windows' limit and ends.
inline constexpr const char* kAllowStrongerSwitch = "/allow-stronger-gamma";

// A stored colour value as its slider takes it: a decimal number (a fraction allowed) rounded,
// halves to even, and clamped into [min, max]; anything else gives neutral.
int storedSliderValue(const std::string& text, int min, int max, int neutral);

class EyeCare {
 public:
  EyeCare(const EyeCareControls& controls, GammaEngine& engine, settings::Ini& ini,
          ui::Shell& shell, ui::Clock& clock);

  // Assigns the change handlers of the sliders and the clicks of Image7 and SafeSwitch1.
  void connect();

  // Load step: captures the display's ramp and sets the sliders and their captions to neutral.
  void colorload();
  void SafeSwitch1_Click(bool value);
  // OK of the colour panel: stores the night rows and the five slider values, then hides ppset.
  void Image7_Click();
  // The colour panel opens: its night light rows show what is stored.
  void fillNightRows();
  // Each slider's key and value, in the order they are stored.
  std::vector<std::pair<std::string, int>> storedValues() const;
  // Restore: sliders to neutral, baseRamp from monitor.txt when it is sound, then baseRamp sent.
  void Command3_Click();
  // Change of the slider in row n of kSliders: its caption, then the work ramp from all of them.
  void Slider_Change(std::size_t n);

  // "1" after eye care was switched on, "0" after it was switched off; nothing before.
  const std::optional<std::string>& eyeOn() const { return eyeOn_; }
  // The system reset the display's ramp (mode change, resume, unlock, clock change): re-applies
  // ours, with the warmth for the moment.
  void displayReset();

  // The warmth for now, sent when eye care is on; the timer set for the next change.
  void nightTick();
  // Night light on or off, stored; what the tray's "Night light" runs.
  void toggleNightLight();
  bool nightLightOn() const { return night_.on; }
  int warmth() const { return nightState_.kelvin; }  // in force now, in kelvin
  // What night light and Windows' limit are doing, for the icon's tip; empty when nothing.
  std::string tipLines() const;
  ui::Event<> TipChanged;

 private:
  void show(SendResult result);
  std::string refusedStatus() const;
  ui::Slider& slider(std::size_t n) const { return *c_.sliders[n].slider; }
  Amounts amounts() const;
  void loadDefaultRamp();
  bool storeNightRows();
  void allowStronger_Click();

  EyeCareControls c_;
  GammaEngine& engine_;
  settings::Ini& ini_;
  ui::Shell& shell_;
  ui::Clock& clock_;
  NightSettings night_;
  NightState nightState_;
  std::optional<std::string> eyeOn_;
  bool loading_ = false;  // colorload moves the sliders without sending a ramp per move
};

}  // namespace colour
