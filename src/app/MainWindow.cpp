#include "app/MainWindow.h"

#include "app/Move.h"
#include "colour/EyeCare.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "settings/Keys.h"

namespace app {

namespace {

namespace keys = settings::keys;

}  // namespace

MainWindow::MainWindow(const MainWindowServices& services)
    : ui::Form("Form1", services.host),
      shell_(services.shell),
      ini_(services.ini),
      icon_(services.icon) {
  design();
  eyeCare_ = std::make_unique<colour::EyeCare>(colour::EyeCareControls{.sliders = colourSliders(),
                                                                       .edit0 = edit[0],
                                                                       .Label2_0 = Label2[0],
                                                                       .ppset = ppset,
                                                                       .colourStatus = colourStatus,
                                                                       .nightTimer = nightTimer,
                                                                       .night = night},
                                               services.gamma, services.ini, services.shell,
                                               services.clock);
  rest_ = std::make_unique<rest::Rest>(rest::RestControls{.Text1 = Text1,
                                                          .Text2 = Text2,
                                                          .Text3 = Text3,
                                                          .Label4 = Label4,
                                                          .Label5 = Label5,
                                                          .dhhour = {&dhhour[0], &dhhour[1]},
                                                          .SafeSwitch2 = SafeSwitch2,
                                                          .Label2_1 = Label2[1],
                                                          .edit1 = edit[1],
                                                          .ppset = ppset,
                                                          .Timer1 = Timer1,
                                                          .setok1 = setok[1],
                                                          .setno1 = setno[1],
                                                          .form2tip = form2tip,
                                                          .okdsxxadd = okdsxxadd,
                                                          .sound = soundSwitch,
                                                          .warn = warnSwitch,
                                                          .breaks = breaksSwitch,
                                                          .calls = callsSwitch,
                                                          .apps = appsBox,
                                                          .breakEvery = breakEveryBox,
                                                          .breakSeconds = breakSecondsBox,
                                                          .hours = hours},
                                       services.clock, services.screen, services.host, services.ini,
                                       services.shell);
  backlight_ = std::make_unique<colour::Backlight>(
      colour::BacklightControls{backlightCaption,
                                backlightSlider,
                                backlightPercent,
                                backlightStatus,
                                backlightWait,
                                sameCaption,
                                sameSwitch,
                                {{&displayName[0], &displaySlider[0], &displayPercent[0]},
                                 {&displayName[1], &displaySlider[1], &displayPercent[1]},
                                 {&displayName[2], &displaySlider[2], &displayPercent[2]}}},
      services.monitors, services.ini);
  // The warning dims through eye care's ramp only while eye care is on.
  rest_->Dimming = [this, &gamma = services.gamma](int percent) {
    gamma.setDimming(eyeCare_->eyeOn() == "1" ? percent : 100);
  };
  connect();
  keyboardAccess();
}

MainWindow::~MainWindow() = default;

std::array<colour::SliderControl, colour::kSliderCount> MainWindow::colourSliders() {
  std::array<colour::SliderControl, colour::kSliderCount> sliders;
  for (std::size_t n = 0; n < colour::kSliderCount; ++n) {
    const colour::SliderRow& row = colour::kSliders[n];
    sliders[n].slider = dynamic_cast<ui::Slider*>(find(row.control, row.index));
    if (row.caption >= 0) sliders[n].caption = &colo[static_cast<std::size_t>(row.caption)];
  }
  return sliders;
}

void MainWindow::connect() {
  Load = [this] { Form_Load(); };
  Resize = [this] { Form_Resize(); };
  for (ui::Image& e : edit) e.Click = [this, &e] { edit_Click(e.index()); };
  Image8.Click = [this] { Image8_Click(); };
  Image1.Click = [this] { Image1_Click(); };
  CloseRequest = [this] { Image1_Click(); };
  image2.Click = [this] { image2_Click(); };
  pmenu.MouseMove = [this](const ui::MouseArgs& m) { pmenu_MouseMove(m); };
  title.MouseMove = [this](const ui::MouseArgs& m) { title_MouseMove(m); };
  Command3.Click = [this] { eyeCare_->Command3_Click(); };
  // Whatever closes the pop-up (Back, OK, a switch turned off) gives the window its own height.
  ppset.VisibleChange = [this] { fitPanel(); };
  eyeCare_->connect();
  // Eye care governs the backlight as it governs the ramp; the panel's OK stores its level too.
  SafeSwitch1.Click = [this](bool value) {
    eyeCare_->SafeSwitch1_Click(value);
    backlight_->eyeCare(value);
  };
  Image7.Click = [this] { eyeCare_->Image7_Click(backlight_->storedEntries()); };
  backlight_->TipChanged = [this] { updateTip(); };
  backlight_->RowsChanged = [this] {
    layOutRows();
    fitPanel();
  };
  backlight_->connect();
  rest_->connect();
  rest_->TipChanged = [this] { updateTip(); };
  eyeCare_->TipChanged = [this] { updateTip(); };
}

void MainWindow::Form_Load() {
  setWidth(pmenu.place().width);
  Shape1.setPlace({2, 2, place().width - 2, place().height - 2});

  // Stored rest times that are not whole minutes in range give the defaults.
  Text2.setText(std::to_string(ini_.whole(keys::kRestSection, keys::kInterval, rest::kMinInterval,
                                          rest::kMaxInterval, rest::kDefaultInterval)));
  Text3.setText(std::to_string(ini_.whole(keys::kRestSection, keys::kLength, rest::kMinLength,
                                          rest::kMaxLength, rest::kDefaultLength)));
  zhuan.setText(ini_.readini(keys::kRestSection, keys::kOn));
  rest_->setRestOn(zhuan.text());

  // Any stored text but "0" means reminders on; the switch's Click runs the rest handling.
  if (rest_->restOn() != "0") {
    edit[1].setVisible(true);
    SafeSwitch2.setValue(true);
  } else {
    SafeSwitch2.setValue(false);
  }
  rest_->dsxxadd();

  // The ramp is captured before eye care may restore and adjust it.
  zhuan.setText(ini_.readini(keys::kEyeSection, keys::kOn));
  eyeCare_->colorload();
  if (zhuan.text() == "1") {
    edit[0].setVisible(true);
    Label2[0].setForeColour(ui::kFeatureOnColour);
    SafeSwitch1.setValue(true);
    ppset.setVisible(false);
  }

  Image7.setPicture(setok[1].picture());
  Image8.setPicture(setno[1].picture());
  edit[1].setPicture(edit[0].picture());
  rest_->setHours(rest::readWorkingHours(ini_));
  rest_->loadSettings();
  backlight_->load();
}

void MainWindow::Form_Resize() {
  Label4.setLeft(8);
  Label5.setLeft(8);
  Label4.setWidth(Picture1.place().width);
  Label5.setWidth(Picture1.place().width);
}

void MainWindow::edit_Click(int index) {
  eyeset.setVisible(false);
  xxset.setVisible(false);
  eyeset.setTop(120);
  xxset.setTop(120);
  eyeset.setLeft(120);
  xxset.setLeft(120);
  if (index == 0) {
    eyeCare_->nightLight().fillRows();
    backlight_->panelOpened();
    ppset.setVisible(true);
    eyeset.setVisible(true);
  } else if (index == 1) {
    ppset.setVisible(true);
    xxset.setVisible(true);
  }
  fitPanel();
}

void MainWindow::Image8_Click() {
  ppset.setVisible(false);
  eyeCare_->nightLight().endPreview();
  backlight_->panelBack();
}

void MainWindow::Image1_Click() {
  hide();
}

void MainWindow::image2_Click() {
  saveSettings();
  icon_.remove();
  shell_.quit();
}

void MainWindow::pmenu_MouseMove(const ui::MouseArgs& mouse) {
  StartWindowDrag(*this, mouse);
}

void MainWindow::title_MouseMove(const ui::MouseArgs& mouse) {
  StartWindowDrag(*this, mouse);
}

void MainWindow::sessionEnding() {
  // Before the load step the controls hold design texts, not settings.
  if (!loaded()) return;
  saveSettings();
}

void MainWindow::displayReset() {
  eyeCare_->displayReset();
  backlight_->displayChanged();
  rest_->monitorsChanged();
}

void MainWindow::updateTip() {
  constexpr std::size_t kTipChars = 63;  // the notification record's tip holds no more
  std::string tip = rest_->tip();
  // Keys another program holds come before the night light's line, which the panel also shows.
  std::string more = tipNote;
  if (const std::string b = backlight_->tipLine(); !b.empty())
    more += (more.empty() ? "" : "\n") + b;
  if (const std::string eye = eyeCare_->tipLines(); !eye.empty())
    more += (more.empty() ? "" : "\n") + eye;
  while (!more.empty()) {
    const std::size_t end = more.find('\n');
    const std::string line = more.substr(0, end);
    if (tip.size() + 1 + line.size() > kTipChars) break;
    tip += "\n" + line;
    more = end == std::string::npos ? "" : more.substr(end + 1);
  }
  icon_.setTip(tip);
}

void MainWindow::saveSettings() {
  settings::SavedSettings s;
  s.mei = Text2.text();
  s.xiuxi = Text3.text();
  s.restOn = rest_->restOn();
  s.colour = eyeCare_->storedValues();
  s.eyeOn = eyeCare_->eyeOn();
  s.more = backlight_->storedEntries();
  settings::saveAll(ini_, s);
}

}  // namespace app
