#pragma once
// The view of one control. Windowless controls repaint their container, timers run on their
// form's window, and each windowed kind has a small view of its own (its create, apply and
// command), made by makeView().
#include <windows.h>

#include <memory>

#include "ui/Control.h"
#include "win32/Window.h"

namespace win32 {

class Container;
class FormWindow;

class View : public ui::ControlView {
 public:
  View(FormWindow& form, ui::Control& control);
  ~View() override { release(); }
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Makes the control's window, if it has one; containers are created before their children.
  virtual void create() {}
  void update(ui::Property property) override;
  void controlGone() override { release(); }
  // Unlinks the view from its control and its window from the view: nothing reaches the
  // control through this view afterwards. The window itself goes with its form's window.
  virtual void release();
  virtual HWND hwnd() const { return nullptr; }
  bool attached() const { return attached_; }
  ui::Control& control() { return control_; }
  FormWindow& formWindow() { return form_; }
  // The picture box's painter, for copying what it shows.
  virtual Container* container() { return nullptr; }
  // What can be seen may have changed (a form or a container shown or hidden).
  virtual void shownChanged() {}
  virtual void dpiChanged() {}

 protected:
  virtual void apply(ui::Property property) = 0;
  // The window the control lies on: its picture box's or its form's.
  HWND containerHwnd() const;
  int dpi() const;
  // The control's rectangle in its container's client pixels.
  RECT pixelRect() const;

  FormWindow& form_;
  ui::Control& control_;
  bool attached_ = true;
};

// A control with a window of its own, attached to this view.
class WindowedView : public View, public Window {
 public:
  WindowedView(FormWindow& form, ui::Control& control);
  void create() final;
  void release() override;
  HWND hwnd() const override { return Window::hwnd(); }
  void dpiChanged() override;
  // The control may have come into sight: its window is made then.
  void shownChanged() override {
    if (!hwnd_ && attached_ && !refused_) create();
  }

 protected:
  // The window, made visible or not as the control is; null when it failed.
  virtual HWND makeWindow(RECT place, HWND parent) = 0;
  // Everything but place, visibility and enabling, which every window takes alike.
  virtual void applyOwn(ui::Property) {}
  void apply(ui::Property property) final;
  // A system control of the given class, attached to this view.
  HWND makeSystemControl(DWORD exStyle, const wchar_t* className, DWORD style, RECT place,
                         HWND parent);
  // Shows one of the program's own windows made hidden.
  HWND shown(HWND hwnd);
  // Set while the model's value is written into the window: the system's echo is not input.
  bool settingFromModel_ = false;
  // Text and font of a captioned system control (edit box, push button).
  void applyCaption(ui::Property property);
  HBRUSH colours(HDC dc, ui::Colour containerBack) override;

 private:
  bool refused_ = false;  // the system made no window: asked once, reported once
};

// The one place where a control's kind picks its view.
std::unique_ptr<View> makeView(FormWindow& form, ui::Control& control);

}  // namespace win32
