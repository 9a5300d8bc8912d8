#pragma once
// The window of a form: it holds the views of the form's controls, paints the windowless ones
// through its container, runs the form's timers and keeps its size in pixels at its DPI.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ui/Form.h"
#include "win32/Container.h"
#include "win32/Window.h"

namespace win32 {

class View;

class FormWindow : public Window, public ui::FormView {
 public:
  FormWindow(Backend& backend, ui::Form& form);
  ~FormWindow() override;

  void update(ui::FormProperty property) override;
  void startDrag() override;
  void destroy() override;

  Backend& backend() { return backend_; }
  ui::Form& form() { return model_; }
  int windowDpi() const { return dpi_; }
  // The buttons of the mouse message being handled (MK_*), 0 outside one: the logical buttons,
  // as the user's button swap maps them.
  WPARAM mouseKeys = 0;
  // Where the left button went down on the form or one of its picture boxes (screen pixels),
  // until it comes up again: a drag starts from there.
  std::optional<POINT> pressedAt;
  UINT_PTR addTimer(ui::Timer* timer);
  void removeTimer(UINT_PTR id);
  // Tells every control's view that what can be seen may have changed.
  void shownChanged();
  // The window of the next control in design order in the same container, else HWND_TOP.
  HWND windowAbove(View& view);
  // A key the form handles itself; true when it used it.
  bool keyDown(ui::Key key, const MSG& message);

 protected:
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override;

 private:
  void place(bool centre);
  void applyStyles();
  void release();
  void dpiChanged(int dpi, const RECT& suggested);
  // The model's focus reaches the window: a windowed control takes the system's focus, a
  // windowless one leaves it on the form, whose container draws its mark.
  void applyFocus();
  void invalidateFocusMark(const ui::Control* control);
  // A control the user gave the focus some other way (a click into a box) becomes the model's.
  void followSystemFocus();

  ui::Form& model_;
  Container container_;
  bool attached_ = true;
  int dpi_ = 96;
  bool placedOnce_ = false;
  std::vector<std::unique_ptr<View>> views_;
  std::map<UINT_PTR, ui::Timer*> timers_;
  UINT_PTR nextTimer_ = 100;
  const ui::Control* marked_ = nullptr;  // the control whose focus mark may be drawn
  bool following_ = false;
};

}  // namespace win32
