#pragma once
// The main window Form1: its design, load and resize steps, the settings pop-up and navigation,
// hiding to the tray and the save-all close.
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "colour/Backlight.h"
#include "colour/EyeCare.h"
#include "controls/SafeSwitch.h"
#include "rest/Hours.h"
#include "settings/Ini.h"
#include "tray/Notify.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace rest {
class Rest;
}  // namespace rest

namespace app {

// What the main window reaches outside itself.
struct MainWindowServices {
  ui::FormHost* host = nullptr;
  ui::Clock& clock;
  ui::Screen& screen;
  ui::Shell& shell;
  settings::Ini& ini;
  colour::GammaEngine& gamma;
  tray::Icon& icon;
  colour::MonitorControl& monitors;
};

class MainWindow : public ui::Form {
 public:
  explicit MainWindow(const MainWindowServices& services);
  ~MainWindow() override;

  // Title strip.
  ui::PictureBox pmenu{"pmenu"};
  ui::Label title{"title"};
  ui::Image Image1{"Image1"};
  ui::Image image2{"image2"};

  // Eye-care row.
  std::array<ui::Label, 2> Label2{ui::Label{"Label2", 0}, ui::Label{"Label2", 1}};
  std::array<ui::Image, 2> edit{ui::Image{"edit", 0}, ui::Image{"edit", 1}};
  std::array<ui::Label, 2> Label3{ui::Label{"Label3", 0}, ui::Label{"Label3", 1}};
  ui::Image Image3{"Image3"};
  controls::SafeSwitch SafeSwitch1{"SafeSwitch1"};

  // Rest row.
  std::array<ui::Label, 2> dhhour{ui::Label{"dhhour", 0}, ui::Label{"dhhour", 1}};
  ui::PictureBox Picture1{"Picture1"};
  ui::Label Label4{"Label4"};
  ui::Label Label5{"Label5"};
  controls::SafeSwitch SafeSwitch2{"SafeSwitch2"};

  // Frame.
  ui::Shape Shape1{"Shape1"};

  // Settings pop-up.
  ui::PictureBox ppset{"ppset"};
  std::array<ui::Line, 2> Line1{ui::Line{"Line1", 0}, ui::Line{"Line1", 1}};
  ui::PictureBox eyeset{"eyeset"};
  ui::PictureBox xxset{"xxset"};

  // Colour sub-panel.
  std::array<ui::Label, 8> colo{ui::Label{"colo", 0}, ui::Label{"colo", 1}, ui::Label{"colo", 2},
                                ui::Label{"colo", 3}, ui::Label{"colo", 4}, ui::Label{"colo", 5},
                                ui::Label{"colo", 6}, ui::Label{"colo", 7}};
  ui::Slider Slider1{"Slider1"};
  ui::Slider Slider2{"Slider2"};
  std::array<ui::Slider, 3> Slider3{ui::Slider{"Slider3", 0}, ui::Slider{"Slider3", 1},
                                    ui::Slider{"Slider3", 2}};
  ui::Image Image8{"Image8"};
  ui::Image Image7{"Image7"};
  ui::CommandButton Command3{"Command3"};
  ui::Label colourStatus{"colourStatus"};
  // The backlight row: caption, slider, its percent, and why it is greyed or what went wrong.
  ui::Label backlightCaption{"backlightCaption"};
  ui::Slider backlightSlider{"backlightSlider"};
  ui::Label backlightPercent{"backlightPercent"};
  ui::Label backlightStatus{"backlightStatus"};
  // With two displays or more: the switch that links them, and each display's own row.
  ui::Label sameCaption{"sameCaption"};
  controls::SafeSwitch sameSwitch{"sameSwitch"};
  std::array<ui::Label, 3> displayName{ui::Label{"displayName", 0}, ui::Label{"displayName", 1},
                                       ui::Label{"displayName", 2}};
  std::array<ui::Slider, 3> displaySlider{ui::Slider{"displaySlider", 0},
                                          ui::Slider{"displaySlider", 1},
                                          ui::Slider{"displaySlider", 2}};
  std::array<ui::Label, 3> displayPercent{ui::Label{"displayPercent", 0},
                                          ui::Label{"displayPercent", 1},
                                          ui::Label{"displayPercent", 2}};
  // Night light rows: the captions "Night light", "From", "To", "Sunset to sunrise", "Lat", "Lon",
  // the warmth row's label and the label of the row that lifts Windows' limit.
  std::array<ui::Label, 8> nightText{ui::Label{"nightText", 0}, ui::Label{"nightText", 1},
                                     ui::Label{"nightText", 2}, ui::Label{"nightText", 3},
                                     ui::Label{"nightText", 4}, ui::Label{"nightText", 5},
                                     ui::Label{"nightText", 6}, ui::Label{"nightText", 7}};
  colour::NightControls night;

  // Rest sub-panel; of the setok/setno arrays only index 1 is placed on the window.
  ui::Label Label1{"Label1"};
  ui::TextBox Text3{"Text3"};
  ui::TextBox Text2{"Text2"};
  std::array<ui::Image, 2> setno{ui::Image{"setno", 0}, ui::Image{"setno", 1}};
  std::array<ui::Image, 2> setok{ui::Image{"setok", 0}, ui::Image{"setok", 1}};
  ui::Label soundCaption{"soundCaption"};
  controls::SafeSwitch soundSwitch{"soundSwitch"};
  ui::Label warnCaption{"warnCaption"};
  controls::SafeSwitch warnSwitch{"warnSwitch"};
  ui::Label breaksCaption{"breaksCaption"};
  controls::SafeSwitch breaksSwitch{"breaksSwitch"};
  ui::Label breakEveryCaption{"breakEveryCaption"};
  ui::TextBox breakEveryBox{"breakEveryBox"};
  ui::Label breakSecondsCaption{"breakSecondsCaption"};
  ui::TextBox breakSecondsBox{"breakSecondsBox"};
  ui::Label callsCaption{"callsCaption"};
  controls::SafeSwitch callsSwitch{"callsSwitch"};
  ui::Label appsCaption{"appsCaption"};
  ui::TextBox appsBox{"appsBox"};
  rest::HoursRow hours;

  // Never seen: used by code.
  ui::Timer Timer1{"Timer1"};
  ui::Timer nightTimer{"nightTimer"};
  ui::Timer backlightWait{"backlightWait"};
  ui::TextBox Text1{"Text1"};
  ui::TextBox zhuan{"zhuan"};
  ui::CommandButton form2tip{"form2tip"};
  ui::CommandButton okdsxxadd{"okdsxxadd"};

  void Form_Load();
  void Form_Resize();

  void edit_Click(int index);
  void Image8_Click();
  void Image1_Click();
  // Saves everything, removes the icon and ends the program.
  void image2_Click();
  void pmenu_MouseMove(const ui::MouseArgs& mouse);
  void title_MouseMove(const ui::MouseArgs& mouse);

  // Windows is ending the session: everything is saved, as the close image does, without ending.
  void sessionEnding();
  // The system reset the display's ramp, and displays may have come or gone.
  void displayReset();
  // A line after the others in the icon's tip (keys another program holds); empty for none.
  std::string tipNote;
  // The rest's line, then eye care's and the note, as many whole lines as the icon's tip holds.
  void updateTip();

  colour::EyeCare& eyeCare() { return *eyeCare_; }
  rest::Rest& rest() { return *rest_; }
  colour::Backlight& backlight() { return *backlight_; }

 private:
  void design();
  // The rows added to the sub-panels, each as one line of a row layout.
  void layOutRows();
  // The settings pop-up grows to hold the open sub-panel, and the window with it; closed, both
  // are as designed.
  void fitPanel();
  // The colour sliders of the design and their captions, in the order of the slider table.
  std::array<colour::SliderControl, colour::kSliderCount> colourSliders();
  void connect();
  // Names for assistive technology, Tab order and the keys of each panel.
  void keyboardAccess();
  void saveSettings();

  ui::Shell& shell_;
  settings::Ini& ini_;
  tray::Icon& icon_;
  std::unique_ptr<colour::EyeCare> eyeCare_;
  std::unique_ptr<rest::Rest> rest_;
  std::unique_ptr<colour::Backlight> backlight_;
};

}  // namespace app
