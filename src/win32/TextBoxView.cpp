// A text box: the system's edit control; what the user types reaches the model as typed text.
#include "win32/Text.h"
#include "win32/View.h"

namespace win32 {

namespace {

class TextBoxView : public WindowedView {
 public:
  using WindowedView::WindowedView;

  void command(WORD code) override {
    if (settingFromModel_ || !attached_ || code != EN_CHANGE) return;
    static_cast<ui::TextBox&>(control_).userTyped(narrow(windowText(hwnd_)));
  }

 protected:
  HWND makeWindow(RECT place, HWND parent) override {
    DWORD align = control_.align() == ui::Align::Centre ? ES_CENTER : ES_LEFT;
    return makeSystemControl(WS_EX_CLIENTEDGE, L"EDIT", align | ES_AUTOHSCROLL | WS_TABSTOP, place,
                             parent);
  }
  void applyOwn(ui::Property property) override { applyCaption(property); }
};

}  // namespace

std::unique_ptr<View> makeTextBoxView(FormWindow& form, ui::Control& control) {
  return std::make_unique<TextBoxView>(form, control);
}

}  // namespace win32
