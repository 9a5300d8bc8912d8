#pragma once
// The eye-care row and the colour panel of the main window: the switch, the five colour sliders,
// the restore of the default ramp and the panel's OK. The panel's night rows belong to NightLight.
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "colour/GammaEngine.h"
#include "colour/NightLight.h"
#include "colour/Sliders.h"
#include "settings/Ini.h"
#include "ui/Control.h"
#include "ui/System.h"

namespace colour {

// A colour slider and the label that shows its value, when it has one.
struct SliderControl {
  ui::Slider* slider = nullptr;
  ui::Label* caption = nullptr;
};

// The main window's controls that eye care drives.
struct EyeCareControls {
  std::array<SliderControl, kSliderCount> sliders;  // in the order of kSliders
  ui::Image& edit0;                                 // edit icon of the eye-care row
  ui::Label& Label2_0;                              // "Eyes Better"
  ui::PictureBox& ppset;                            // the settings panel
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

class EyeCare {
 public:
  EyeCare(const EyeCareControls& controls, GammaEngine& engine, settings::Ini& ini,
          ui::Shell& shell, ui::Clock& clock);

  // Assigns the change handlers of the sliders. The switch's and OK's clicks are the main
  // window's: they reach SafeSwitch1_Click and Image7_Click with what the backlight adds.
  void connect();

  // Load step: captures the display's ramp and sets the sliders and their captions to neutral.
  // Stored night values that cannot be used are named in ignored.
  void colorload();
  void SafeSwitch1_Click(bool value);
  // OK of the colour panel: stores the night rows and the five slider values in one save, then
  // hides ppset.
  // more: what other rows of the panel store, in the same save.
  void Image7_Click(std::vector<ui::ProfileEntry> more = {});
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

  NightLight& nightLight() { return night_; }
  // What night light and Windows' limit are doing, for the icon's tip; empty when nothing.
  std::string tipLines() const;
  ui::Event<> TipChanged;

 private:
  void show(SendResult result);
  std::string refusedStatus() const;
  ui::Slider& slider(std::size_t n) const { return *c_.sliders[n].slider; }
  Amounts amounts() const;
  void loadDefaultRamp();

  EyeCareControls c_;
  GammaEngine& engine_;
  settings::Ini& ini_;
  ui::Shell& shell_;
  NightLight night_;
  std::optional<std::string> eyeOn_;
  std::string shownTip_;  // the tip lines last announced by show()
  bool loading_ = false;  // colorload moves the sliders without sending a ramp per move
};

}  // namespace colour
