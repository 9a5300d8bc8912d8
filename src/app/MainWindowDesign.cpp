// The main window's design: its controls and where they sit, the rows of the settings panels, and
// the names and order in which the keyboard and assistive technology meet them.
#include <algorithm>

#include "app/MainWindow.h"
#include "ui/Design.h"
#include "ui/RowLayout.h"

namespace app {

namespace {

constexpr ui::Colour kTitleStripColour = ui::hex(0x6ABDD9);
constexpr ui::Colour kWindowColour = ui::hex(0xF3F8FB);
constexpr ui::Colour kWhite = ui::hex(0xFFFFFF);
constexpr ui::Colour kBlack = ui::hex(0x000000);
constexpr ui::Colour kCaptionGrey = ui::hex(0x404040);
constexpr ui::Colour kRuleGrey = ui::hex(0xC0C0C0);
constexpr ui::Colour kStatusRed = ui::hex(0xC00000);

constexpr const char* kRestSentence = "Rest       minutes every        minutes";

// Row labels, also the names assistive technology reads for the rows' controls.
constexpr const char* kNightLightLabel = "Night light";
constexpr const char* kWarmthLabel = "Warmth at night";
constexpr const char* kSunLabel = "Sunset to sunrise";
constexpr const char* kLimitLabel = "All displays";
constexpr const char* kSoundLabel = "Sound as a rest starts and ends";
constexpr const char* kWarnLabel = "Dim the screen before a rest";
constexpr const char* kBreakEveryLabel = "Minutes between short breaks";
constexpr const char* kBreakSecondsLabel = "Seconds a short break lasts";

}  // namespace

void MainWindow::keyboardAccess() {
  struct Named {
    ui::Control* control;
    const char* name;
  };
  // clang-format off
  for (const Named& n :
       {Named{&SafeSwitch1, "Eye care"}, Named{&SafeSwitch2, "Rest reminders"},
        Named{&edit[0], "Colour settings"}, Named{&edit[1], "Rest settings"},
        Named{&Image1, "Hide to the tray"}, Named{&image2, "Close"}, Named{&Slider1, "Brightness"},
        Named{&Slider2, "Contrast"}, Named{&Slider3[0], "Red"}, Named{&Slider3[1], "Green"},
        Named{&Slider3[2], "Blue"}, Named{&backlightSlider, "Backlight"},
        Named{&sameSwitch, "Same level on every display"}, Named{&displaySlider[0], "Display 1"},
        Named{&displaySlider[1], "Display 2"}, Named{&displaySlider[2], "Display 3"},
        Named{&night.on, kNightLightLabel},
        Named{&night.from, "Night light from"}, Named{&night.to, "Night light to"},
        Named{&night.warmth, kWarmthLabel}, Named{&night.sun, kSunLabel},
        Named{&night.lat, "Latitude"}, Named{&night.lon, "Longitude"},
        Named{&night.allowStronger, "Allow stronger settings"}, Named{&Image8, "Back"},
        Named{&Image7, "OK"}, Named{&Text3, "Rest length in minutes"},
        Named{&Text2, "Minutes between rests"}, Named{&setno[1], "Back"}, Named{&setok[1], "OK"},
        Named{&soundSwitch, kSoundLabel}, Named{&warnSwitch, kWarnLabel},
        Named{&breaksSwitch, "Short breaks"}, Named{&breakEveryBox, kBreakEveryLabel},
        Named{&breakSecondsBox, kBreakSecondsLabel}, Named{&callsSwitch, "Hold during calls"},
        Named{&appsBox, "Programs that hold a rest while in front, separated by semicolons"},
        Named{&hours.on, "Working hours"}, Named{&hours.from, "Working hours from"},
        Named{&hours.to, "Working hours to"}}) {
    n.control->setAccessName(n.name);
    n.control->setTabStop(true);
  }
  // Reading order: the window's row of controls, then each panel's own.
  setTabOrder({&SafeSwitch1, &SafeSwitch2, &edit[0], &edit[1], &Image1, &image2, &Slider1, &Slider2,
               &Slider3[0], &Slider3[1], &Slider3[2], &sameSwitch, &backlightSlider, &displaySlider[0], &displaySlider[1],
               &displaySlider[2], &night.on, &night.from, &night.to,
               &night.warmth, &night.sun, &night.lat, &night.lon, &night.allowStronger, &Image8,
               &Image7, &Text3, &Text2, &soundSwitch, &warnSwitch, &breaksSwitch, &breakEveryBox,
               &breakSecondsBox, &callsSwitch, &appsBox, &hours.on, &hours.from, &hours.to,
               &hours.days[0], &hours.days[1], &hours.days[2], &hours.days[3], &hours.days[4],
               &hours.days[5], &hours.days[6], &setno[1], &setok[1]});
  // clang-format on
  eyeset.setKeyPanel(&Image7, &Image8);
  xxset.setKeyPanel(&setok[1], &setno[1]);
  setKeys(nullptr, &Image1);
}

void MainWindow::design() {
  setCaption("Form1");
  setBorder(ui::Border::None);
  setBackColour(kWindowColour);
  setPlace({0, 0, 14970, 4725});
  setCentred(true);
  setShowInTaskbar(false);
  Timer1.setInterval(1000);
  // The eye-care switch is stored off, the rest switch keeps the control's default.
  SafeSwitch1.loadStored(false, std::nullopt, 0);
  SafeSwitch2.loadStored(std::nullopt, std::nullopt, 0);

  using ui::kCentred, ui::kHidden, ui::kStretch, ui::kTransparent;
  const ui::Font title9 = ui::designFont(9, true), plain9 = ui::designFont(9, false);
  // Drawn with the horizontal face: the design's "@" face would turn the caption on its side.
  ui::Font titleFont = title9;
  titleFont.charset = 0;
  const ui::Font system = ui::systemFont();
  // The days first: windowless, they lie behind the panel's windowed controls.
  for (rest::DayToggle& day : hours.days) {
    day.setFont(plain9);
    day.setTabStop(true);
    add(day, &xxset);
  }
  // clang-format off
  ui::build(*this, {
    // Windowless controls of the window first: they lie behind its windowed ones. Shape1 is a
    // frame: only its outline is drawn.
    {.control = Shape1, .place = {19440, 600, 2535, 1215}, .fore = kTitleStripColour,
     .flags = kTransparent},
    {.control = Label2[0], .place = {2040, 840, 1815, 375}, .text = "Eyes Better",
     .font = ui::designFont(15, true), .fore = kBlack, .flags = kTransparent},
    {.control = edit[0], .place = {3840, 960, 300, 300}, .picture = ui::Picture::Pencil,
     .flags = kHidden},
    {.control = Label3[0], .place = {1800, 1320, 2415, 495},
     .text = "Relieve eye fatigue caused by your computer screen", .font = plain9,
     .fore = kCaptionGrey, .flags = kTransparent},
    {.control = Image3, .place = {1920, 1920, 1920, 1920}, .picture = ui::Picture::EyeMonitor},
    {.control = Label2[1], .place = {5160, 840, 2055, 375}, .text = "Health Better",
     .font = ui::designFont(15, true), .fore = kBlack, .flags = kTransparent},
    {.control = edit[1], .place = {7320, 960, 300, 300}, .flags = kStretch | kHidden},
    {.control = Label3[1], .place = {5160, 1320, 3465, 495}, .text = kRestSentence, .font = plain9,
     .fore = kCaptionGrey, .flags = kTransparent},
    // The gaps of the row sentence: length first, then interval.
    {.control = dhhour[1], .place = {5505, 1320, 495, 255}, .text = "240", .font = title9,
     .flags = kCentred | kTransparent},
    {.control = dhhour[0], .place = {7140, 1320, 495, 255}, .text = "240", .font = title9,
     .flags = kCentred | kTransparent},
    {.control = Timer1},
    {.control = nightTimer},
    {.control = backlightWait},
    // Title strip.
    {.control = pmenu, .place = {0, 0, 9615, 375}, .back = kTitleStripColour},
    {.control = title, .in = &pmenu, .place = {120, 26, 2655, 255}, .text = "Tavik Lumora",
     .font = titleFont, .fore = kWhite, .flags = kTransparent},
    {.control = Image1, .in = &pmenu, .place = {8010, -15, 675, 255}, .picture = ui::Picture::Hide,
     .flags = kStretch},
    {.control = image2, .in = &pmenu, .place = {8800, 0, 720, 285}, .picture = ui::Picture::Close},
    // Next-rest panel.
    {.control = Picture1, .place = {5295, 1965, 1920, 1920}, .picture = ui::Picture::Monitor},
    {.control = Label4, .in = &Picture1, .place = {135, 255, 1620, 255}, .text = "NEXT TIME",
     .font = title9, .fore = kWhite, .flags = kCentred | kTransparent},
    {.control = Label5, .in = &Picture1, .place = {180, 630, 1590, 375}, .text = "12:30",
     .font = ui::designFont(14.25, true), .fore = kWhite, .flags = kCentred | kTransparent},
    {.control = SafeSwitch1, .place = {2160, 4080, 1170, 345}},
    {.control = SafeSwitch2, .place = {5400, 4080, 1170, 345}},
    // Controls that are never seen.
    {.control = Text1, .place = {9555, 1020, 735, 390}, .text = "12:30", .back = ui::kSystemWindow,
     .flags = kHidden},
    {.control = zhuan, .place = {11760, 8400, 1335, 375}, .text = "zhuan",
     .back = ui::kSystemWindow},
    {.control = form2tip, .place = {13080, 840, 1695, 495}, .text = "from2tip"},
    {.control = okdsxxadd, .place = {13440, 1680, 1575, 855}, .text = "okdsxxadd"},
    // The settings pop-up comes last so that it lies in front of everything, switches included.
    {.control = ppset, .place = {105, 885, 9300, 3615}, .back = kWindowColour, .flags = kHidden},
    {.control = Line1[0], .in = &ppset, .place = {210, 0, 9090, 0}, .fore = kRuleGrey},
    {.control = Line1[1], .in = &ppset, .place = {285, 2760, 9075, 0}, .fore = kRuleGrey},
    {.control = eyeset, .in = &ppset, .place = {345, 75, 8520, 3375}, .back = kWindowColour},
    {.control = xxset, .in = &ppset, .place = {120, 345, 8895, 3150}, .back = kWindowColour},
    // Colour sub-panel: headings, value captions, Back/OK, the status line, then the windowed ones.
    {.control = colo[0], .in = &eyeset, .place = {435, 225, 3735, 255}, .text = "brightness ",
     .font = title9, .fore = kWhite, .back = kTitleStripColour},
    {.control = colo[1], .in = &eyeset, .place = {435, 585, 495, 255}, .text = "1", .font = system,
     .back = kWindowColour},
    {.control = colo[2], .in = &eyeset, .place = {435, 945, 3735, 255}, .text = "contrast",
     .font = title9, .fore = kWhite, .back = kTitleStripColour},
    {.control = colo[3], .in = &eyeset, .place = {435, 1305, 495, 255}, .text = "2", .font = system,
     .back = kWindowColour},
    {.control = colo[4], .in = &eyeset, .place = {4515, 225, 4095, 255}, .text = "RGB",
     .font = title9, .fore = kWhite, .back = kTitleStripColour},
    {.control = colo[5], .in = &eyeset, .place = {4515, 585, 495, 255}, .text = "Red",
     .font = system, .back = kWindowColour},
    {.control = colo[6], .in = &eyeset, .place = {4515, 945, 495, 255}, .text = "Green",
     .font = system, .back = kWindowColour},
    {.control = colo[7], .in = &eyeset, .place = {4515, 1305, 495, 255}, .text = "Blue",
     .font = system, .back = kWindowColour},
    // Back and OK, the status line and the night rows are placed by layOutRows.
    {.control = Image8, .in = &eyeset},
    {.control = Image7, .in = &eyeset},
    {.control = colourStatus, .in = &eyeset, .text = "", .font = system, .fore = kStatusRed,
     .back = kWindowColour},
    {.control = nightText[0], .in = &eyeset, .text = kNightLightLabel, .font = system,
     .back = kWindowColour},
    {.control = nightText[1], .in = &eyeset, .text = "From", .font = system, .back = kWindowColour,
     .flags = kCentred},
    {.control = nightText[2], .in = &eyeset, .text = "To", .font = system, .back = kWindowColour,
     .flags = kCentred},
    {.control = nightText[3], .in = &eyeset, .text = kSunLabel, .font = system,
     .back = kWindowColour},
    {.control = nightText[4], .in = &eyeset, .text = "Lat", .font = system, .back = kWindowColour,
     .flags = kCentred},
    {.control = nightText[5], .in = &eyeset, .text = "Lon", .font = system, .back = kWindowColour,
     .flags = kCentred},
    {.control = nightText[6], .in = &eyeset, .text = kWarmthLabel, .font = system,
     .back = kWindowColour},
    {.control = nightText[7], .in = &eyeset, .text = kLimitLabel, .font = system,
     .back = kWindowColour},
    {.control = night.warmthCaption, .in = &eyeset, .text = "", .font = system,
     .back = kWindowColour},
    {.control = backlightCaption, .in = &eyeset, .text = "Backlight", .font = system,
     .back = kWindowColour},
    {.control = backlightPercent, .in = &eyeset, .text = "", .font = system,
     .back = kWindowColour},
    {.control = backlightStatus, .in = &eyeset, .text = "", .font = system, .fore = kStatusRed,
     .back = kWindowColour},
    {.control = sameCaption, .in = &eyeset, .text = "Same level on every display", .font = system,
     .back = kWindowColour, .flags = kHidden},
    {.control = displayName[0], .in = &eyeset, .font = system, .back = kWindowColour, .flags = kHidden},
    {.control = displayName[1], .in = &eyeset, .font = system, .back = kWindowColour, .flags = kHidden},
    {.control = displayName[2], .in = &eyeset, .font = system, .back = kWindowColour, .flags = kHidden},
    {.control = displayPercent[0], .in = &eyeset, .font = system, .back = kWindowColour, .flags = kHidden},
    {.control = displayPercent[1], .in = &eyeset, .font = system, .back = kWindowColour, .flags = kHidden},
    {.control = displayPercent[2], .in = &eyeset, .font = system, .back = kWindowColour, .flags = kHidden},
    {.control = Slider1, .in = &eyeset, .place = {1395, 585, 2535, 255}},
    {.control = Slider2, .in = &eyeset, .place = {1395, 1305, 2415, 255}},
    {.control = Slider3[0], .in = &eyeset, .place = {5115, 600, 3495, 255}},
    {.control = Slider3[1], .in = &eyeset, .place = {5115, 945, 3495, 255}},
    {.control = Slider3[2], .in = &eyeset, .place = {5115, 1305, 3495, 255}},
    {.control = night.on, .in = &eyeset},
    {.control = night.sun, .in = &eyeset},
    {.control = night.from, .in = &eyeset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = night.to, .in = &eyeset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = night.lat, .in = &eyeset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = night.lon, .in = &eyeset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = night.warmth, .in = &eyeset},
    {.control = night.allowStronger, .in = &eyeset, .text = "Allow stronger settings",
     .font = system},
    {.control = backlightSlider, .in = &eyeset},
    {.control = sameSwitch, .in = &eyeset, .flags = kHidden},
    {.control = displaySlider[0], .in = &eyeset, .flags = kHidden},
    {.control = displaySlider[1], .in = &eyeset, .flags = kHidden},
    {.control = displaySlider[2], .in = &eyeset, .flags = kHidden},
    {.control = Command3, .in = &eyeset, .place = {-2280, 1440, 3015, 375}, .text = "恢复",
     .flags = kHidden},
    // Rest sub-panel.
    {.control = Label1, .in = &xxset, .place = {0, 345, 8895, 735}, .text = kRestSentence,
     .font = ui::designFont(12, false), .back = kWindowColour, .flags = kCentred},
    {.control = soundCaption, .in = &xxset, .text = kSoundLabel, .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = warnCaption, .in = &xxset, .text = kWarnLabel, .font = plain9, .fore = kCaptionGrey,
     .back = kWindowColour},
    {.control = breaksCaption, .in = &xxset, .text = "Short breaks", .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = breakEveryCaption, .in = &xxset, .text = kBreakEveryLabel, .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = breakSecondsCaption, .in = &xxset, .text = kBreakSecondsLabel, .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = callsCaption, .in = &xxset, .text = "Hold during calls", .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = appsCaption, .in = &xxset, .text = "Hold for programs", .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = hours.caption, .in = &xxset, .text = "Working hours", .font = plain9,
     .fore = kCaptionGrey, .back = kWindowColour},
    {.control = hours.fromText, .in = &xxset, .text = "From", .font = plain9, .fore = kCaptionGrey,
     .back = kWindowColour, .flags = kCentred},
    {.control = hours.toText, .in = &xxset, .text = "To", .font = plain9, .fore = kCaptionGrey,
     .back = kWindowColour, .flags = kCentred},
    {.control = setno[1], .in = &xxset, .picture = ui::Picture::Back, .tip = "Back"},
    {.control = setok[1], .in = &xxset, .picture = ui::Picture::Ok, .tip = "OK"},
    {.control = Text3, .in = &xxset, .place = {2895, 390, 495, 270}, .text = "1", .font = system,
     .back = ui::kSystemWindow, .flags = kCentred},
    {.control = Text2, .in = &xxset, .place = {5010, 375, 525, 270}, .text = "1", .font = system,
     .back = ui::kSystemWindow, .flags = kCentred},
    {.control = soundSwitch, .in = &xxset},
    {.control = warnSwitch, .in = &xxset},
    {.control = breaksSwitch, .in = &xxset},
    {.control = callsSwitch, .in = &xxset},
    {.control = breakEveryBox, .in = &xxset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = breakSecondsBox, .in = &xxset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = appsBox, .in = &xxset, .font = system, .back = ui::kSystemWindow},
    {.control = hours.on, .in = &xxset},
    {.control = hours.from, .in = &xxset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
    {.control = hours.to, .in = &xxset, .font = system, .back = ui::kSystemWindow,
     .flags = kCentred},
  });
  // clang-format on
  layOutRows();
}

void MainWindow::layOutRows() {
  constexpr int kSwitchWidth = 1170, kSwitchHeight = 345, kBoxWidth = 615, kBoxHeight = 270;
  constexpr int kLabelHeight = 255, kPicture = 720;
  // The night rows' switches sit beside labels that name them.
  for (controls::SafeSwitch* s : {&night.on, &night.sun, &sameSwitch, &soundSwitch, &warnSwitch,
                                  &breaksSwitch, &callsSwitch, &hours.on})
    s->setPlainLettering(true);
  using Cell = ui::RowCell;
  // Colour panel: below the sliders, a row per setting, the status line across the panel, then
  // Back and OK at their designed columns.
  // Rows close together and a one-line status: with the backlight's rows the grown window still
  // fits an 800-pixel screen at 168 DPI.
  const ui::RowLayout colourRows{
      .left = 435, .top = 1740, .right = 8520, .labelWidth = 1665, .rowGap = 60};
  // clang-format off
  const int colourBottom = colourRows.place({
    {&nightText[0], {Cell{&night.on, kSwitchWidth, kSwitchHeight, 0},
                     Cell{&nightText[1], 480, kLabelHeight, 150},
                     Cell{&night.from, kBoxWidth, kBoxHeight, 30},
                     Cell{&nightText[2], 330, kLabelHeight, 30},
                     Cell{&night.to, kBoxWidth, kBoxHeight, 30}}},
    {&nightText[6], {Cell{&night.warmth, 3495, kLabelHeight, 0},
                     Cell{&night.warmthCaption, 0, kLabelHeight}}},
    {&nightText[3], {Cell{&night.sun, kSwitchWidth, kSwitchHeight, 0},
                     Cell{&nightText[4], 480, kLabelHeight, 150},
                     Cell{&night.lat, kBoxWidth, kBoxHeight, 30},
                     Cell{&nightText[5], 330, kLabelHeight, 30},
                     Cell{&night.lon, kBoxWidth, kBoxHeight, 30}}},
    {nullptr, {Cell{&sameSwitch, kSwitchWidth, kSwitchHeight, 1665},
               Cell{&sameCaption, 0, kLabelHeight, 150}}},
    {&backlightCaption, {Cell{&backlightSlider, 3495, kLabelHeight, 0},
                         Cell{&backlightPercent, 855, kLabelHeight}}},
    {&displayName[0], {Cell{&displaySlider[0], 3495, kLabelHeight, 0},
                       Cell{&displayPercent[0], 855, kLabelHeight}}},
    {&displayName[1], {Cell{&displaySlider[1], 3495, kLabelHeight, 0},
                       Cell{&displayPercent[1], 855, kLabelHeight}}},
    {&displayName[2], {Cell{&displaySlider[2], 3495, kLabelHeight, 0},
                       Cell{&displayPercent[2], 855, kLabelHeight}}},
    {nullptr, {Cell{&backlightStatus, 0, kLabelHeight, 0}}},
    {&nightText[7], {Cell{&night.allowStronger, 3120, 375, 0}}},
    {nullptr, {Cell{&colourStatus, 0, kLabelHeight, 0}}},
    {nullptr, {Cell{&Image8, kPicture, kPicture, 3120 - 435},
               Cell{&Image7, kPicture, kPicture, 4200 - 3120 - kPicture}}},
  });
  // Rest panel: below its sentence, a row per setting, then Back and OK at their designed columns.
  // As in the colour panel, rows close together, and the short break's two numbers share a row:
  // the grown window fits an 800-pixel screen at 168 DPI.
  const ui::RowLayout restRows{
      .left = 1500, .top = 1140, .right = 8895, .labelWidth = 3000, .rowGap = 60};
  const int restBottom = restRows.place({
    {&soundCaption, {Cell{&soundSwitch, kSwitchWidth, kSwitchHeight, 0}}},
    {&warnCaption, {Cell{&warnSwitch, kSwitchWidth, kSwitchHeight, 0}}},
    {&breaksCaption, {Cell{&breaksSwitch, kSwitchWidth, kSwitchHeight, 0}}},
    {&breakEveryCaption, {Cell{&breakEveryBox, kBoxWidth, kBoxHeight, 0},
                          Cell{&breakSecondsCaption, 2400, kLabelHeight, 240},
                          Cell{&breakSecondsBox, kBoxWidth, kBoxHeight}}},
    {&callsCaption, {Cell{&callsSwitch, kSwitchWidth, kSwitchHeight, 0}}},
    {&appsCaption, {Cell{&appsBox, 0, kBoxHeight, 0}}},
    {&hours.caption, {Cell{&hours.on, kSwitchWidth, kSwitchHeight, 0},
                      Cell{&hours.fromText, 480, kLabelHeight, 150},
                      Cell{&hours.from, kBoxWidth, kBoxHeight, 30},
                      Cell{&hours.toText, 330, kLabelHeight, 30},
                      Cell{&hours.to, kBoxWidth, kBoxHeight, 30}}},
    hours.daysRow(restRows.labelWidth),
    {nullptr, {Cell{&setno[1], kPicture, kPicture, 3555 - 1500},
               Cell{&setok[1], kPicture, kPicture, 4650 - 3555 - kPicture}}},
  });
  // clang-format on
  const ui::Rect colour = eyeset.place();
  const ui::Rect rest = xxset.place();
  eyeset.setPlace({colour.left, colour.top, colour.width, colourBottom + 120});
  xxset.setPlace({rest.left, rest.top, rest.width, restBottom + 120});
}

void MainWindow::fitPanel() {
  // Designed: the pop-up's lower rule, its height and the window's height.
  constexpr int kRuleTop = 2760, kPanelHeight = 3615, kWindowHeight = 4725;
  int bottom = 0;  // of the open sub-panel, in the pop-up
  for (const ui::PictureBox* sub : {&eyeset, &xxset})
    if (ppset.visible() && sub->visible()) bottom = sub->place().bottom();
  const int rule = std::max(kRuleTop, bottom + 120);
  Line1[1].setPlace({285, rule, 9075, 0});
  const ui::Rect panel = ppset.place();
  ppset.setPlace({panel.left, panel.top, panel.width, std::max(kPanelHeight, rule + 240)});
  const int below = kWindowHeight - panel.top - kPanelHeight;
  setSize({place().width, std::max(kWindowHeight, panel.top + ppset.place().height + below)});
  Shape1.setPlace({2, 2, place().width - 2, place().height - 2});
}

}  // namespace app
