// A picture box: a child window that paints its own windowless children.
#include "win32/Container.h"
#include "win32/View.h"

namespace win32 {

namespace {

class PanelView : public WindowedView {
 public:
  PanelView(FormWindow& form, ui::Control& control)
      : WindowedView(form, control), container_(*this, form, &control) {}
  Container* container() override { return &container_; }

 protected:
  HWND makeWindow(RECT place, HWND parent) override {
    return shown(createWindow(0, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              place, parent));
  }
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override {
    if (auto result = container_.handle(message, wp, lp)) return *result;
    return Window::handle(message, wp, lp);
  }

 private:
  Container container_;
};

}  // namespace

std::unique_ptr<View> makePanelView(FormWindow& form, ui::Control& control) {
  return std::make_unique<PanelView>(form, control);
}

}  // namespace win32
