#include "rest/PromptWindow.h"

#include "rest/Monitors.h"
#include "rest/Rest.h"
#include "ui/Design.h"

namespace rest {

PromptWindow::PromptWindow(Rest& main, ui::Screen& screen, ui::FormHost* host)
    : ui::Form("Form2", host), main_(main), screen_(screen) {
  setCaption("Form2");
  setBorder(ui::Border::None);
  setBackColour(ui::kSystemButtonFace);
  setShowInTaskbar(false);
  // Whoever is typing keeps the keyboard: the prompt appears without taking the focus.
  setNoActivate(true);
  setPlace({0, 0, kWidth, kHeight});
  // On the primary monitor, in twips at that monitor's DPI, which need not be the system's (a
  // laptop docked after sign-in): the window is made there and takes that DPI.
  setDpi(primary().dpi);

  // clang-format off
  ui::build(*this, {
    {.control = Label3, .place = {0, 0, 4935, 255}, .text = "Tavik Lumora",
     .font = ui::designFont(9, true), .back = ui::hex(0xE0E0E0)},
    {.control = Label1, .place = {240, 360, 4575, 375}, .text = "立即休息3分钟",
     .font = ui::designFont(15, true), .fore = ui::hex(0x008000),
     .flags = ui::kCentred | ui::kTransparent},
    {.control = Line1, .place = {360, 840, 4560, 0}, .fore = ui::hex(0xC0C0C0)},
    {.control = Label2, .place = {1320, 960, 2175, 255}, .text = "Do Not",
     .font = ui::designFont(12, true), .fore = ui::hex(0xFF8000),
     .flags = ui::kCentred | ui::kTransparent},
    {.control = Later, .place = {3600, 960, 1200, 255}, .text = "Later",
     .font = ui::designFont(12, true), .fore = ui::hex(0xFF8000),
     .flags = ui::kCentred | ui::kTransparent},
    {.control = tip, .place = {1920, 2400, 1935, 495}, .text = "Text1",
     .font = ui::designFont(14.25, true), .flags = ui::kHidden},
    {.control = tippro, .place = {960, 2880, 4455, 615}, .flags = ui::kHidden},
    {.control = laterNote, .place = {1620, 15, 3300, 225}, .font = ui::designFont(8, false),
     .fore = ui::hex(0x606060), .flags = ui::kHidden | ui::kTransparent},
  });
  // clang-format on

  Load = [this] { Form_Load(); };
  Label1.Click = [this] { Label1_Click(); };
  Label2.Click = [this] { Label2_Click(); };
  Later.Click = [this] { Later_Click(); };
  CloseRequest = [this] { Label2_Click(); };
  // Buttons to the keyboard and assistive technology; the prompt still never takes the focus.
  for (ui::Control* c : {&Label1, &Later, &Label2}) c->setTabStop(true);
  setTabOrder({&Label1, &Later, &Label2});
  if (!main.canPutOff()) {
    Later.setEnabled(false);
    Later.setForeColour(ui::hex(0xA0A0A0));
    Later.setToolTip(main.latersLimit() == 0 ? "Putting a rest off is turned off"
                                             : "Already put off as often as allowed in a row");
    // The reason in the title strip too: a tip on a grey word is found by few.
    laterNote.setText(Later.toolTip());
    laterNote.setVisible(true);
  }
}

ui::Monitor PromptWindow::primary() const {
  return promptMonitor(screen_);
}

void PromptWindow::Form_Load() {
  placeInCorner();
  setAlpha(kAlpha);
  setTopmost(true);
}

void PromptWindow::placeInCorner() {
  // Read as it shows and again when the work area changes: a taskbar that appears, moves or
  // grows after start-up must not cover it (nor the notification icon's own "Later").
  const ui::Monitor monitor = primary();
  setPlace({monitor.area.right() - place().width, monitor.work.bottom() - place().height,
            place().width, place().height});
}

void PromptWindow::Label1_Click() {
  main_.restNow();
}

void PromptWindow::Label2_Click() {
  main_.decline();
}

void PromptWindow::Later_Click() {
  main_.later();
}

}  // namespace rest
