#pragma once
// What a form and a picture box share: painting their windowless controls, routing the mouse to
// them, and handing system controls' notifications on to the child's object.
#include <windows.h>

#include <optional>
#include <vector>

#include "ui/Control.h"
#include "ui/MouseRouter.h"
#include "win32/Handles.h"

namespace win32 {

class Backend;
class FormWindow;
class Window;

class Container {
 public:
  // `control` is the picture box, null for the form itself.
  Container(Window& window, FormWindow& form, ui::Control* control);

  // The result when the message is the container's business.
  std::optional<LRESULT> handle(UINT message, WPARAM wp, LPARAM lp);
  void paintTo(HDC dc, const RECT& client);
  HWND hwnd() const;
  // The controls whose keyboard focus mark their container draws; the others show it themselves.
  static bool marksFocus(const ui::Control& control) {
    return control.kind() == ui::Kind::Image || control.kind() == ui::Kind::Switch;
  }

  // What was drawn into the container from outside; it stays until replaced.
  UniqueBitmap persistent;

 private:
  const std::vector<ui::Control*>& children() const;
  ui::Colour background() const;
  Backend& backend() const;
  void paint();
  void paintControl(HDC dc, const ui::Control& c, int dpi);
  void routeMouse(UINT message, WPARAM wp, LPARAM lp);

  Window& window_;
  FormWindow& form_;
  ui::Control* control_;
  ui::MouseRouter mouse_;
};

}  // namespace win32
