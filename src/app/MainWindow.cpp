#include "app/MainWindow.h"

#include "app/Move.h"
#include "colour/EyeCare.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "settings/Keys.h"

namespace app {

namespace {

namespace keys = settings::keys;

constexpr ui::Colour kTitleStripColour = ui::hex(0x6ABDD9);
constexpr ui::Colour kWindowColour = ui::hex(0xF3F8FB);
constexpr ui::Colour kWhite = ui::hex(0xFFFFFF);
constexpr ui::Colour kBlack = ui::hex(0x000000);
constexpr ui::Colour kCaptionGrey = ui::hex(0x404040);
constexpr ui::Colour kRuleGrey = ui::hex(0xC0C0C0);
constexpr ui::Colour kStatusRed = ui::hex(0xC00000);

constexpr const char* kRestSentence = "Rest       minutes every        minutes";

ui::Font defaultFont() {
  ui::Font font;
  font.systemDefault = true;
  return font;
}

void label(ui::Control& c, ui::Rect place, std::string text, ui::Font font) {
  c.setPlace(place);
  c.setText(std::move(text));
  c.setFont(std::move(font));
}

}  // namespace

MainWindow::MainWindow(const MainWindowServices& services)
    : ui::Form("Form1", services.host),
      shell_(services.shell),
      ini_(services.ini),
      icon_(services.icon) {
  design();
  eyeCare_ =
      std::make_unique<colour::EyeCare>(colour::EyeCareControls{.SafeSwitch1 = SafeSwitch1,
                                                                .sliders = colourSliders(),
                                                                .edit0 = edit[0],
                                                                .Label2_0 = Label2[0],
                                                                .ppset = ppset,
                                                                .Image7 = Image7,
                                                                .colourStatus = colourStatus},
                                        services.gamma, services.ini, services.shell);
  rest_ = std::make_unique<rest::Rest>(rest::RestControls{.Text1 = Text1,
                                                          .Text2 = Text2,
                                                          .Text3 = Text3,
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
                                                          .okdsxxadd = okdsxxadd},
                                       services.clock, services.screen, services.host, services.ini,
                                       services.shell);
  connect();
  keyboardAccess();
}

MainWindow::~MainWindow() = default;

void MainWindow::keyboardAccess() {
  struct Named {
    ui::Control* control;
    const char* name;
  };
  for (const Named& n :
       {Named{&SafeSwitch1, "Eye care"}, Named{&SafeSwitch2, "Rest reminders"},
        Named{&edit[0], "Colour settings"}, Named{&edit[1], "Rest settings"},
        Named{&Image1, "Hide to the tray"}, Named{&image2, "Close"}, Named{&Slider1, "Brightness"},
        Named{&Slider2, "Contrast"}, Named{&Slider3[0], "Red"}, Named{&Slider3[1], "Green"},
        Named{&Slider3[2], "Blue"}, Named{&Image8, "Back"}, Named{&Image7, "OK"},
        Named{&Text3, "Rest length in minutes"}, Named{&Text2, "Minutes between rests"},
        Named{&setno[1], "Back"}, Named{&setok[1], "OK"}}) {
    n.control->setAccessName(n.name);
    n.control->setTabStop(true);
  }
  // Reading order: the window's row of controls, then each panel's own.
  setTabOrder({&SafeSwitch1, &SafeSwitch2, &edit[0], &edit[1], &Image1, &image2, &Slider1, &Slider2,
               &Slider3[0], &Slider3[1], &Slider3[2], &Image8, &Image7, &Text3, &Text2, &setno[1],
               &setok[1]});
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

  // Windowless controls of the window first: they lie behind its windowed ones.
  Shape1.setPlace({19440, 600, 2535, 1215});
  Shape1.setForeColour(kTitleStripColour);
  Shape1.setTransparent(true);  // a frame: only its outline is drawn
  add(Shape1);

  label(Label2[0], {2040, 840, 1815, 375}, "Eyes Better", ui::designFont(15, true));
  Label2[0].setForeColour(kBlack);
  Label2[0].setTransparent(true);
  add(Label2[0]);

  edit[0].setPlace({3840, 960, 300, 300});
  edit[0].setPicture(ui::Picture::Pencil);
  edit[0].setVisible(false);
  add(edit[0]);

  label(Label3[0], {1800, 1320, 2415, 495}, "Relieve eye fatigue caused by your computer screen",
        ui::designFont(9, false));
  Label3[0].setForeColour(kCaptionGrey);
  Label3[0].setTransparent(true);
  Label3[0].setWordWrap(true);
  add(Label3[0]);

  Image3.setPlace({1920, 1920, 1920, 1920});
  Image3.setPicture(ui::Picture::EyeMonitor);
  add(Image3);

  label(Label2[1], {5160, 840, 2055, 375}, "Health Better", ui::designFont(15, true));
  Label2[1].setForeColour(kBlack);
  Label2[1].setTransparent(true);
  add(Label2[1]);

  edit[1].setStretch(true);
  edit[1].setPlace({7320, 960, 300, 300});
  edit[1].setVisible(false);
  add(edit[1]);

  label(Label3[1], {5160, 1320, 3465, 495}, kRestSentence, ui::designFont(9, false));
  Label3[1].setForeColour(kCaptionGrey);
  Label3[1].setTransparent(true);
  add(Label3[1]);

  // The gaps of the row sentence: length first, then interval.
  for (auto [i, left] : {std::pair{1, 5505}, std::pair{0, 7140}}) {
    label(dhhour[static_cast<std::size_t>(i)], {left, 1320, 495, 255}, "240",
          ui::designFont(9, true));
    dhhour[static_cast<std::size_t>(i)].setAlign(ui::Align::Centre);
    dhhour[static_cast<std::size_t>(i)].setTransparent(true);
    add(dhhour[static_cast<std::size_t>(i)]);
  }

  Timer1.setInterval(1000);
  add(Timer1);

  // Title strip.
  pmenu.setPlace({0, 0, 9615, 375});
  pmenu.setBackColour(kTitleStripColour);
  add(pmenu);
  // Drawn with the horizontal face: the design's "@" face would turn the caption on its side.
  ui::Font titleFont = ui::designFont(9, true);
  titleFont.charset = 0;
  label(title, {120, 26, 2655, 255}, "Tavik Lumora", titleFont);
  title.setForeColour(kWhite);
  title.setTransparent(true);
  add(title, &pmenu);
  Image1.setStretch(true);
  Image1.setPlace({8010, -15, 675, 255});
  Image1.setPicture(ui::Picture::Hide);
  add(Image1, &pmenu);
  image2.setPlace({8800, 0, 720, 285});
  image2.setPicture(ui::Picture::Close);
  add(image2, &pmenu);

  // Next-rest panel.
  Picture1.setPlace({5295, 1965, 1920, 1920});
  Picture1.setPicture(ui::Picture::Monitor);
  add(Picture1);
  label(Label4, {135, 255, 1620, 255}, "NEXT TIME", ui::designFont(9, true));
  label(Label5, {180, 630, 1590, 375}, "12:30", ui::designFont(14.25, true));
  for (ui::Label* l : {&Label4, &Label5}) {
    l->setForeColour(kWhite);
    l->setAlign(ui::Align::Centre);
    l->setTransparent(true);
    add(*l, &Picture1);
  }

  // Switches: the eye-care switch is stored off, the rest switch keeps the control's default.
  SafeSwitch1.setPlace({2160, 4080, 1170, 345});
  SafeSwitch1.loadStored(false, std::nullopt, 0);
  add(SafeSwitch1);
  SafeSwitch2.setPlace({5400, 4080, 1170, 345});
  SafeSwitch2.loadStored(std::nullopt, std::nullopt, 0);
  add(SafeSwitch2);

  // Controls that are never seen.
  Text1.setPlace({9555, 1020, 735, 390});
  Text1.setText("12:30");
  Text1.setBackColour(ui::kSystemWindow);
  Text1.setVisible(false);
  add(Text1);
  zhuan.setPlace({11760, 8400, 1335, 375});
  zhuan.setText("zhuan");
  zhuan.setBackColour(ui::kSystemWindow);
  add(zhuan);
  form2tip.setPlace({13080, 840, 1695, 495});
  form2tip.setText("from2tip");
  add(form2tip);
  okdsxxadd.setPlace({13440, 1680, 1575, 855});
  okdsxxadd.setText("okdsxxadd");
  add(okdsxxadd);

  // The settings pop-up comes last so that it lies in front of everything, switches included.
  ppset.setPlace({105, 885, 9300, 3615});
  ppset.setBackColour(kWindowColour);
  ppset.setVisible(false);
  add(ppset);
  Line1[0].setEnds({210, 0}, {9300, 0});
  Line1[1].setEnds({285, 2760}, {9360, 2760});
  for (ui::Line& line : Line1) {
    line.setForeColour(kRuleGrey);
    add(line, &ppset);
  }
  eyeset.setPlace({345, 75, 8520, 2415});
  eyeset.setBackColour(kWindowColour);
  add(eyeset, &ppset);
  xxset.setPlace({120, 345, 8895, 2190});
  xxset.setBackColour(kWindowColour);
  add(xxset, &ppset);

  // Colour sub-panel: headings, value captions, Back/OK, the status line, then the windowed ones.
  struct Caption {
    std::size_t index;
    ui::Rect place;
    const char* text;
  };
  for (const Caption& h :
       {Caption{0, {435, 225, 3735, 255}, "brightness "},
        Caption{2, {435, 945, 3735, 255}, "contrast"}, Caption{4, {4515, 225, 4095, 255}, "RGB"}}) {
    label(colo[h.index], h.place, h.text, ui::designFont(9, true));
    colo[h.index].setForeColour(kWhite);
    colo[h.index].setBackColour(kTitleStripColour);
  }
  for (const Caption& v :
       {Caption{1, {435, 585, 495, 255}, "1"}, Caption{3, {435, 1305, 495, 255}, "2"},
        Caption{5, {4515, 585, 495, 255}, "Red"}, Caption{6, {4515, 945, 495, 255}, "Green"},
        Caption{7, {4515, 1305, 495, 255}, "Blue"}}) {
    label(colo[v.index], v.place, v.text, defaultFont());
    colo[v.index].setBackColour(kWindowColour);
  }
  for (ui::Label& c : colo) add(c, &eyeset);
  Image8.setPlace({3120, 1740, 735, 495});
  add(Image8, &eyeset);
  Image7.setPlace({4200, 1740, 735, 495});
  add(Image7, &eyeset);
  // Three lines high: the refusal message wraps to three lines at this width.
  label(colourStatus, {435, 1650, 2565, 735}, "", defaultFont());
  colourStatus.setForeColour(kStatusRed);
  colourStatus.setBackColour(kWindowColour);
  colourStatus.setWordWrap(true);
  add(colourStatus, &eyeset);

  Slider1.setPlace({1395, 585, 2535, 255});
  add(Slider1, &eyeset);
  Slider2.setPlace({1395, 1305, 2415, 255});
  add(Slider2, &eyeset);
  Slider3[0].setPlace({5115, 600, 3495, 255});
  Slider3[1].setPlace({5115, 945, 3495, 255});
  Slider3[2].setPlace({5115, 1305, 3495, 255});
  for (ui::Slider& s : Slider3) add(s, &eyeset);
  Command3.setPlace({-2280, 1440, 3015, 375});
  Command3.setText("恢复");
  Command3.setVisible(false);
  add(Command3, &eyeset);

  // Rest sub-panel.
  label(Label1, {0, 345, 8895, 735}, kRestSentence, ui::designFont(12, false));
  Label1.setAlign(ui::Align::Centre);
  Label1.setBackColour(kWindowColour);
  add(Label1, &xxset);
  setno[1].setPlace({3555, 1395, 720, 720});
  setno[1].setPicture(ui::Picture::Back);
  setno[1].setToolTip("Back");
  add(setno[1], &xxset);
  setok[1].setPlace({4650, 1380, 720, 720});
  setok[1].setPicture(ui::Picture::Ok);
  setok[1].setToolTip("OK");
  add(setok[1], &xxset);
  Text3.setPlace({2895, 390, 495, 270});
  Text2.setPlace({5010, 375, 525, 270});
  for (ui::TextBox* t : {&Text3, &Text2}) {
    t->setText("1");
    t->setAlign(ui::Align::Centre);
    t->setFont(defaultFont());
    t->setBackColour(ui::kSystemWindow);
    add(*t, &xxset);
  }
}

std::array<colour::SliderControl, colour::kSliderCount> MainWindow::colourSliders() {
  std::array<colour::SliderControl, colour::kSliderCount> sliders;
  for (std::size_t n = 0; n < colour::kSliderCount; ++n) {
    const colour::SliderSpec& spec = colour::kSliders[n];
    sliders[n].slider = dynamic_cast<ui::Slider*>(find(spec.control, spec.index));
    if (spec.caption >= 0) sliders[n].caption = &colo[static_cast<std::size_t>(spec.caption)];
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
  eyeCare_->connect();
  rest_->connect();
  rest_->TipChanged = [this] { icon_.setTip(rest_->tip()); };
}

void MainWindow::Form_Load() {
  rest_->Pdtipshow = 0;
  setWidth(pmenu.place().width);
  Shape1.setPlace({2, 2, place().width - 2, place().height - 2});

  // Stored rest times that are not whole minutes in range give the defaults.
  Text2.setText(rest::intervalOrDefault(ini_.readini(keys::kRestSection, keys::kInterval)));
  Text3.setText(rest::lengthOrDefault(ini_.readini(keys::kRestSection, keys::kLength)));
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
    ppset.setVisible(true);
    eyeset.setVisible(true);
  } else if (index == 1) {
    ppset.setVisible(true);
    xxset.setVisible(true);
  }
}

void MainWindow::Image8_Click() {
  ppset.setVisible(false);
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
}

void MainWindow::saveSettings() {
  settings::SavedSettings s;
  s.mei = Text2.text();
  s.xiuxi = Text3.text();
  s.restOn = rest_->restOn();
  s.colour = eyeCare_->storedValues();
  s.eyeOn = eyeCare_->eyeOn();
  settings::saveAll(ini_, s);
}

}  // namespace app
