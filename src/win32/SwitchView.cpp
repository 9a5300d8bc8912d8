// The on/off switch: draws its frame, keeps its window region to the outline and polls the
// pointer only while it can be seen and the pointer is over it (a hidden program does not wake).
#include <tuple>

#include "controls/SafeSwitch.h"
#include "win32/FormWindow.h"
#include "win32/Handles.h"
#include "win32/Report.h"
#include "win32/Mouse.h"
#include "win32/SwitchPaint.h"
#include "win32/View.h"

namespace win32 {

namespace {

constexpr UINT_PTR kPollTimer = 1;

class SwitchView : public WindowedView {
 public:
  SwitchView(FormWindow& form, ui::Control& control)
      : WindowedView(form, control), model_(static_cast<controls::SafeSwitch&>(control)) {}

  void shownChanged() override {
    WindowedView::shownChanged();
    setPolling(shownNow() && (model_.hovering() || pointerInside()));
  }
  void release() override {
    setPolling(false);
    WindowedView::release();
  }

 protected:
  HWND makeWindow(RECT place, HWND parent) override {
    HWND hwnd = createWindow(0, kSwitchClass, L"", WS_CHILD | WS_CLIPSIBLINGS, place, parent);
    if (hwnd) applyOutline();
    return shown(hwnd);
  }
  void applyOwn(ui::Property property) override {
    if (property == ui::Property::Value) applyOutline();
  }
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PaintDc dc(hwnd_);
        paintSwitch(dc.get(), model_, form_.windowDpi());
        return 0;
      }
      case WM_TIMER:
        if (wp != kPollTimer) break;
        poll();
        return 0;
      case WM_MOUSEMOVE:
        // The pointer came over the switch: poll until it has gone again.
        if (!polling_ && shownNow()) {
          setPolling(true);
          poll();
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        SetCapture(hwnd_);
        setPolling(shownNow());  // a press also shows the pointer is over the switch
        model_.buttonDown(buttonOf(message));
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (GetCapture() == hwnd_) ReleaseCapture();
        model_.buttonUp(buttonOf(message));
        return 0;
      case WM_LBUTTONDBLCLK:
        // A quick second click is a click of its own.
        model_.buttonDown(ui::kLeftButton);
        return 0;
    }
    return Window::handle(message, wp, lp);
  }

 private:
  void setPolling(bool on) {
    if (on == polling_) return;
    polling_ = on;
    if (on && !SetTimer(hwnd_, kPollTimer, controls::SafeSwitch::kPollMilliseconds, nullptr))
      reportFailure(L"SetTimer", L"the switch's poll");
    else if (!on && hwnd_)
      KillTimer(hwnd_, kPollTimer);
  }
  bool shownNow() const { return hwnd_ && attached_ && IsWindowVisible(hwnd_); }
  bool pointerInside() const {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd_, &p);
    RECT r;
    GetClientRect(hwnd_, &r);
    return p.x >= 0 && p.x <= r.right && p.y >= 0 && p.y <= r.bottom;
  }
  void poll() {
    const bool inside = pointerInside();
    model_.poll(inside);
    if (!inside) setPolling(false);
  }
  void applyOutline() {
    const int dpi = form_.windowDpi();
    const std::tuple outline{model_.Value(), model_.skinSet(), dpi};
    if (outline == outline_) return;
    outline_ = outline;
    UniqueRegion region(switchRegion(model_, dpi));
    // The system owns the region once it is set.
    if (SetWindowRgn(hwnd_, region.get(), TRUE)) region.release();
  }

  controls::SafeSwitch& model_;
  bool polling_ = false;
  std::tuple<bool, int, int> outline_{false, -1, 0};  // value, skin set and DPI it was made for
};

}  // namespace

std::unique_ptr<View> makeSwitchView(FormWindow& form, ui::Control& control) {
  return std::make_unique<SwitchView>(form, control);
}

}  // namespace win32
