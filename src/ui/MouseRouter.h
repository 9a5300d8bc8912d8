#pragma once
// Mouse input inside a container: each message goes to the windowless control under the pointer
// (or the container itself), a press keeps its control until the release, and a left release
// over the control that took the press is its click. A backend only feeds messages in and takes
// and lets go of the pointer when told.
#include <functional>
#include <vector>

#include "ui/Types.h"

namespace ui {

class Control;
class Form;

enum class MouseAct { Move, Down, Up, DoubleClick };

class MouseRouter {
 public:
  // Asked to take (true) or let go of (false) the pointer for the container's window.
  std::function<void(bool take)> capture;

  // `self` is the container's control, null when the container is the form itself; `at` is in
  // the container's twips; `button` is the button pressed or released, or those held for moves.
  void route(MouseAct act, int button, int shift, Point at, const std::vector<Control*>& children,
             Control* self, Form& form);
  // The pointer was taken away (another window, a menu, the system's move loop).
  void lost() {
    pressed_ = nullptr;
    pressing_ = false;
  }

 private:
  Control* pressed_ = nullptr;  // null while pressing_: the form itself
  bool pressing_ = false;
};

}  // namespace ui
