#include "win32/View.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/Backend.h"
#include "win32/Dpi.h"
#include "win32/FormWindow.h"
#include "win32/Report.h"
#include "win32/SystemLibrary.h"
#include "win32/Text.h"

namespace win32 {

// The views of the program's own windowed kinds, each in a file of its own.
std::unique_ptr<View> makePanelView(FormWindow& form, ui::Control& control);
std::unique_ptr<View> makeSwitchView(FormWindow& form, ui::Control& control);
std::unique_ptr<View> makeProgButtonView(FormWindow& form, ui::Control& control);

namespace {

// Labels, images, lines and shapes: painted by their container, so a change repaints the area.
class WindowlessView : public View {
 public:
  using View::View;

 protected:
  void apply(ui::Property property) override {
    HWND container = containerHwnd();
    if (!container) return;
    RECT r = pixelRect();
    // Lines may run along an edge of their extent: widen the area a little.
    InflateRect(&r, 2, 2);
    if (control_.kind() == ui::Kind::Line)
      r = {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
           std::max(r.top, r.bottom)};
    InvalidateRect(container, &r, FALSE);
    // Moved: the new area too.
    if (property == ui::Property::Place) InvalidateRect(container, nullptr, FALSE);
  }
};

// A timer ticks on its form's window while it runs.
class TimerView : public View {
 public:
  using View::View;
  void create() override { apply(ui::Property::Enabled); }
  void release() override {
    if (attached_ && id_) form_.removeTimer(std::exchange(id_, 0));
    View::release();
  }

 protected:
  void apply(ui::Property) override {
    auto& timer = static_cast<ui::Timer&>(control_);
    if (id_) form_.removeTimer(std::exchange(id_, 0));
    if (timer.running()) id_ = form_.addTimer(&timer);
  }

 private:
  UINT_PTR id_ = 0;
};

// A text box: the system's edit control; what the user types reaches the model as typed text.
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

// A command button: the system's push button; a press is the control's Click.
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

// A slider: the system's trackbar; the user's moves reach the model's value.
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

std::unique_ptr<View> makeView(FormWindow& form, ui::Control& control) {
  switch (control.kind()) {
    case ui::Kind::TextBox:
      return std::make_unique<TextBoxView>(form, control);
    case ui::Kind::CommandButton:
      return std::make_unique<CommandButtonView>(form, control);
    case ui::Kind::Slider:
      return std::make_unique<SliderView>(form, control);
    case ui::Kind::PictureBox:
      return makePanelView(form, control);
    case ui::Kind::Switch:
      return makeSwitchView(form, control);
    case ui::Kind::ProgButton:
      return makeProgButtonView(form, control);
    case ui::Kind::Timer:
      return std::make_unique<TimerView>(form, control);
    default:
      return std::make_unique<WindowlessView>(form, control);
  }
}

View::View(FormWindow& form, ui::Control& control) : form_(form), control_(control) {
  control.attachView(this);
}

void View::update(ui::Property property) {
  if (!attached_) return;
  apply(property);
  notifyAccessChange(form_.backend().access(), control_, property);
}

void View::release() {
  if (!attached_) return;
  attached_ = false;
  if (control_.view() == this) control_.attachView(nullptr);
}

HWND View::containerHwnd() const {
  if (ui::Control* container = control_.container()) {
    if (auto* view = static_cast<View*>(container->view())) return view->hwnd();
  }
  return form_.hwnd();
}

int View::dpi() const {
  return form_.windowDpi();
}

RECT View::pixelRect() const {
  return toPixels(control_.place(), dpi());
}

WindowedView::WindowedView(FormWindow& form, ui::Control& control)
    : View(form, control), Window(form.backend()) {}

void WindowedView::create() {
  // Made when the control can first be seen: most of a program hidden in the tray never is.
  // Edit boxes, buttons and sliders also wait for their form (the first loads the common
  // controls); a panel comes with its form, which may copy its picture before showing.
  ui::Kind k = control_.kind();
  bool system = k == ui::Kind::TextBox || k == ui::Kind::CommandButton || k == ui::Kind::Slider;
  if (!control_.visibleInContainers() || !control_.insideContainer() ||
      (system && !control_.shown()))
    return;
  if (!makeWindow(pixelRect(), containerHwnd())) {
    refused_ = true;
    return;
  }
  // Design order is stacking order: in front of the windows before it, behind those after it.
  SetWindowPos(hwnd_, form_.windowAbove(*this), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  apply(ui::Property::Font);
  apply(ui::Property::Range);
  apply(ui::Property::Value);
  apply(ui::Property::Enabled);
}

void WindowedView::release() {
  View::release();
  detach();
}

void WindowedView::dpiChanged() {
  if (!hwnd_) return;
  update(ui::Property::Place);
  update(ui::Property::Font);
  update(ui::Property::Value);
}

HWND WindowedView::makeSystemControl(DWORD exStyle, const wchar_t* className, DWORD style, RECT r,
                                     HWND parent) {
  DWORD visible = control_.visible() ? WS_VISIBLE : 0;
  commonControls();
  HWND hwnd =
      CreateWindowExW(exStyle, className, widen(control_.text()).c_str(),
                      WS_CHILD | WS_CLIPSIBLINGS | style | visible, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, parent, nullptr, backend_.instance(), nullptr);
  if (!hwnd) {
    reportFailure(L"CreateWindowExW", className);
    return nullptr;
  }
  attach(hwnd);
  exposeSystemControl(backend_.access(), hwnd);
  return hwnd;
}

HWND WindowedView::shown(HWND hwnd) {
  if (hwnd && control_.visible()) ShowWindow(hwnd, SW_SHOWNA);
  return hwnd;
}

void WindowedView::apply(ui::Property property) {
  if (!hwnd_) {  // shown or moved into its container, a waiting control may now be seen
    if (property == ui::Property::Visible || property == ui::Property::Place) form_.shownChanged();
    return;
  }
  settingFromModel_ = true;
  switch (property) {
    case ui::Property::Place: {
      RECT r = pixelRect();
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case ui::Property::Visible:
      ShowWindow(hwnd_, control_.visible() ? SW_SHOWNA : SW_HIDE);
      form_.shownChanged();
      break;
    case ui::Property::Enabled:
      EnableWindow(hwnd_, control_.enabled());
      break;
    case ui::Property::Font:
    case ui::Property::Range:
      applyOwn(property);
      break;
    default:
      applyOwn(property);
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
  }
  settingFromModel_ = false;
}

void WindowedView::applyCaption(ui::Property property) {
  if (property == ui::Property::Text) {
    // Text typed into a box comes back here as the model's new text: writing it again would
    // put the caret at the start, so the window is written only when it differs.
    if (windowText(hwnd_) != widen(control_.text()))
      SetWindowTextW(hwnd_, widen(control_.text()).c_str());
  } else if (property == ui::Property::Font) {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.font(control_.font(), dpi())),
                 TRUE);
  }
}

HBRUSH WindowedView::colours(HDC dc, ui::Colour) {
  SetTextColor(dc, colourRef(control_.foreColour()));
  SetBkColor(dc, colourRef(control_.backColour()));
  return backend_.brush(control_.backColour());
}

}  // namespace win32
