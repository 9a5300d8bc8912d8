// A slider: the system's trackbar; the user's moves reach the model's value.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "win32/Backend.h"
#include "win32/View.h"

namespace win32 {

namespace {

class SliderView : public WindowedView {
 public:
  using WindowedView::WindowedView;

  void scroll() override {
    if (settingFromModel_ || !attached_) return;
    slider().setValue(static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0)));
  }
  // A trackbar paints on its container's colour.
  HBRUSH colours(HDC dc, ui::Colour containerBack) override {
    SetBkColor(dc, colourRef(containerBack));
    return backend_.brush(containerBack);
  }

 protected:
  HWND makeWindow(RECT place, HWND parent) override {
    // A plain rectangular thumb: the pointed one needs room for ticks below it, which the
    // design's 255-twip sliders do not have.
    return makeSystemControl(0, TRACKBAR_CLASSW, TBS_HORZ | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP,
                             place, parent);
  }
  void applyOwn(ui::Property property) override {
    ui::Slider& s = slider();
    if (property == ui::Property::Range) {
      // Each end on its own: TBM_SETRANGE packs both into unsigned 16-bit halves, where a
      // negative minimum does not fit. A new range moves where an unchanged value sits, and
      // some trackbars place the thumb again only when the position changes: it is moved
      // away, quietly, and back.
      SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, s.min());
      SendMessageW(hwnd_, TBM_SETRANGEMAX, FALSE, s.max());
      SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, std::max(1, (s.max() - s.min()) / 10));
      SendMessageW(hwnd_, TBM_SETPOS, FALSE, s.value() == s.max() ? s.min() : s.max());
      SendMessageW(hwnd_, TBM_SETPOS, TRUE, s.value());
    } else if (property == ui::Property::Value) {
      SendMessageW(hwnd_, TBM_SETPOS, TRUE, s.value());
    }
  }

 private:
  ui::Slider& slider() { return static_cast<ui::Slider&>(control_); }
};

}  // namespace

std::unique_ptr<View> makeSliderView(FormWindow& form, ui::Control& control) {
  return std::make_unique<SliderView>(form, control);
}

}  // namespace win32
