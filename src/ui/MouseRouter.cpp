#include "ui/MouseRouter.h"

#include <utility>

#include "ui/Control.h"
#include "ui/Form.h"

namespace ui {

void MouseRouter::route(MouseAct act, int button, int shift, Point at,
                        const std::vector<Control*>& children, Control* self, Form& form) {
  Control* hit = windowlessAt(children, at);
  Control* under = hit ? hit : self;
  // While a press lasts, moves and the release go to the control that took it, wherever the
  // pointer is: a press on an image slid onto the strip must not drag the window.
  Control* target = pressing_ && act != MouseAct::Down ? pressed_ : under;
  MouseArgs args{button, shift, at};
  if (target && target != self) args.at = {at.x - target->place().left, at.y - target->place().top};

  switch (act) {
    case MouseAct::Move:
      (target ? target->MouseMove : form.MouseMove)(args);
      break;
    case MouseAct::Down:
      pressed_ = target;
      pressing_ = true;
      if (capture) capture(true);
      if (target) target->MouseDown(args);
      break;
    case MouseAct::Up: {
      Control* pressed = std::exchange(pressed_, nullptr);
      pressing_ = false;
      if (capture) capture(false);
      if (target) target->MouseUp(args);
      if (under && under == pressed && button == kLeftButton) under->Click();
      break;
    }
    case MouseAct::DoubleClick:
      if (target) target->DblClick();
      break;
  }
}

}  // namespace ui
