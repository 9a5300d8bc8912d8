// A command button: the system's push button; a press is the control's Click.
#include "win32/View.h"

namespace win32 {

namespace {

class CommandButtonView : public WindowedView {
 public:
  using WindowedView::WindowedView;

  void command(WORD code) override {
    if (!settingFromModel_ && attached_ && code == BN_CLICKED) control_.Click();
  }

 protected:
  HWND makeWindow(RECT place, HWND parent) override {
    return makeSystemControl(0, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, place, parent);
  }
  void applyOwn(ui::Property property) override { applyCaption(property); }
};

}  // namespace

std::unique_ptr<View> makeCommandButtonView(FormWindow& form, ui::Control& control) {
  return std::make_unique<CommandButtonView>(form, control);
}

}  // namespace win32
