// The gradient button / progress bar.
#include "controls/ProgButton.h"
#include "win32/Backend.h"
#include "win32/FormWindow.h"
#include "win32/Handles.h"
#include "win32/ProgButtonPaint.h"
#include "win32/View.h"

namespace win32 {

namespace {

class ProgButtonView : public WindowedView {
 public:
  ProgButtonView(FormWindow& form, ui::Control& control)
      : WindowedView(form, control), model_(static_cast<controls::ProgButton&>(control)) {}

 protected:
  HWND makeWindow(RECT place, HWND parent) override {
    return shown(createWindow(0, kProgButtonClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP,
                              place, parent));
  }
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PaintDc dc(hwnd_);
        paintProgButton(dc.get(), hwnd_, model_, backend_.font(model_.font(), form_.windowDpi()));
        return 0;
      }
      case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    }
    if (LRESULT result = 0; handleProgButtonInput(hwnd_, model_, message, wp, lp, result))
      return result;
    return Window::handle(message, wp, lp);
  }

 private:
  controls::ProgButton& model_;
};

}  // namespace

std::unique_ptr<View> makeProgButtonView(FormWindow& form, ui::Control& control) {
  return std::make_unique<ProgButtonView>(form, control);
}

}  // namespace win32
