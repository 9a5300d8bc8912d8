#include "rest/PromptWindow.h"

#include "rest/Rest.h"

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

  Label3.setPlace({0, 0, 4935, 255});
  Label3.setText("Tavik Lumora");
  Label3.setFont(ui::designFont(9, true));
  Label3.setBackColour(ui::hex(0xE0E0E0));
  add(Label3);

  Label1.setPlace({240, 360, 4575, 375});
  Label1.setText("立即休息3分钟");
  Label1.setForeColour(ui::hex(0x008000));
  Label1.setFont(ui::designFont(15, true));
  Label1.setAlign(ui::Align::Centre);
  Label1.setTransparent(true);
  add(Label1);

  Line1.setEnds({360, 840}, {4920, 840});
  Line1.setForeColour(ui::hex(0xC0C0C0));
  add(Line1);

  Label2.setPlace({1320, 960, 2175, 255});
  Label2.setText("Do Not");
  Label2.setForeColour(ui::hex(0xFF8000));
  Label2.setFont(ui::designFont(12, true));
  Label2.setAlign(ui::Align::Centre);
  Label2.setTransparent(true);
  add(Label2);

  tip.setPlace({1920, 2400, 1935, 495});
  tip.setText("Text1");
  tip.setFont(ui::designFont(14.25, true));
  tip.setVisible(false);
  add(tip);

  tippro.setPlace({960, 2880, 4455, 615});
  tippro.setVisible(false);
  add(tippro);

  Load = [this] { Form_Load(); };
  Label1.Click = [this] { Label1_Click(); };
  Label2.Click = [this] { Label2_Click(); };
  CloseRequest = [this] { Label2_Click(); };
}

void PromptWindow::Form_Load() {
  // Right edge on the screen's right edge, bottom edge on the work area's bottom (just above a
  // bottom taskbar).
  const ui::Size screenSize = screen_.size();
  const ui::Rect work = screen_.workArea();
  setPlace({screenSize.width - place().width, work.bottom() - place().height, place().width,
            place().height});
  setAlpha(kAlpha);
  setTopmost(true);
}

void PromptWindow::Label1_Click() {
  main_.form2tip_Click();
  main_.Pdtipshow = 1;
  close();
  main_.showRestScreen();
}

void PromptWindow::Label2_Click() {
  main_.dsxxadd();
  main_.Pdtipshow = 0;
  close();
}

}  // namespace rest
