#include "rest/ShortBreakWindow.h"

#include <string>

#include "ui/Design.h"

namespace rest {

ShortBreakWindow::ShortBreakWindow(const ui::Monitor& monitor, int promptHeight, ui::FormHost* host)
    : ui::Form("Form4", host) {
  setCaption("Short break");
  setBorder(ui::Border::None);
  setBackColour(ui::kSystemButtonFace);
  setShowInTaskbar(false);
  // As the prompt: whoever is typing goes on typing where they were.
  setNoActivate(true);
  setDpi(monitor.dpi);
  // Right edge on the monitor's, just above where the prompt sits.
  setPlace({monitor.area.right() - kWidth, monitor.work.bottom() - promptHeight - kHeight, kWidth,
            kHeight});

  // clang-format off
  ui::build(*this, {
    {.control = Label1, .place = {120, 105, 4740, 345}, .text = "Look at something far away",
     .font = ui::designFont(12, true), .fore = ui::hex(0x008000),
     .flags = ui::kCentred | ui::kTransparent},
    {.control = Label2, .place = {120, 465, 4740, 300}, .font = ui::designFont(10, true),
     .fore = ui::hex(0x606060), .flags = ui::kCentred | ui::kTransparent},
  });
  // clang-format on
  const auto dismiss = [this] {
    if (Dismissed) Dismissed();
  };
  Label1.Click = dismiss;
  Label2.Click = dismiss;
  CloseRequest = dismiss;
  // Read out as one line. It never takes the focus, so no key ends it: a click does.
  Label1.setAccessName("Short break: look at something far away");
  Load = [this] {
    setAlpha(kAlpha);
    setTopmost(true);
  };
}

void ShortBreakWindow::showSeconds(long long seconds) {
  Label2.setText(std::to_string(seconds) + (seconds == 1 ? " second" : " seconds"));
  Label2.setAccessName(Label2.text() + " left");
}

}  // namespace rest
