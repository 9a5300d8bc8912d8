#include "rest/RestScreen.h"

#include "rest/Rest.h"
#include "ui/Design.h"

namespace rest {

namespace {

constexpr ui::Colour kBlack = ui::hex(0x000000);
constexpr ui::Colour kWhite = ui::hex(0xFFFFFF);

}  // namespace

RestScreen::RestScreen(Rest& main, const ui::Monitor& monitor, ui::FormHost* host)
    : ui::Form("Form3", host), main_(main), monitor_(monitor) {
  setCaption("Form3");
  setBorder(ui::Border::None);
  setBackColour(kBlack);
  setShowInTaskbar(false);
  // The window is made on its monitor, at that monitor's DPI.
  setDpi(monitor.dpi);
  setPlace(monitor.area);

  // clang-format off
  ui::build(*this, {
    {.control = Text1, .place = {1800, 1560, 10935, 855}, .text = "Time：",
     .font = ui::designFont(21.75, true), .fore = kWhite, .back = kBlack, .flags = ui::kCentred},
    {.control = Picture1, .place = {840, 2880, 13215, 2055}, .back = kBlack},
    {.control = Label1, .in = &Picture1, .place = {0, 0, 13215, 2295}, .text = "Start",
     .font = ui::designFont(72, true), .fore = kWhite, .back = kBlack, .flags = ui::kCentred},
    {.control = imgclose, .place = {6840, 5280, 900, 900}, .picture = ui::Picture::RestClose},
    {.control = Picture2, .place = {5880, 7680, 2775, 615}, .back = kBlack},
  });
  // clang-format on
  Label1.setAccessName("Start");
  imgclose.setAccessName("Close");
  imgclose.setTabStop(true);

  Load = [this] { Form_Load(); };
  imgclose.Click = [this] { imgclose_Click(); };
  CloseRequest = [this] { imgclose_Click(); };
  setTabOrder({&imgclose});
  setKeys(nullptr, &imgclose);
}

void RestScreen::showCountdown(const std::string& caption) {
  Label1.setText(caption);
  // A screen reader reads the countdown every ten seconds, not every second.
  if (ticksSinceAnnounced_++ % kAnnounceEvery == 0) Label1.setAccessName(caption);
}

void RestScreen::Form_Load() {
  // The whole monitor, taskbar included; not topmost, so other windows can still be brought over
  // it.
  setPlace(monitor_.area);
  setAlpha(kAlpha);

  // The countdown fills its panel and is centred in it.
  Label1.setPlace({0, 0, Picture1.place().width, Picture1.place().height});

  for (ui::Control* c : {static_cast<ui::Control*>(&imgclose), static_cast<ui::Control*>(&Text1),
                         static_cast<ui::Control*>(&Picture1)})
    c->setLeft(monitor_.area.width / 2 - c->place().width / 2);
}

void RestScreen::imgclose_Click() {
  main_.restScreenClosed();
}

void RestScreen::refreshSnapshot() {
  if (host()) host()->copyImage(Picture1, Picture2);
}

}  // namespace rest
