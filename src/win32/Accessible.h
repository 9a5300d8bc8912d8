#pragma once
// What the program's own windows tell assistive technology: a name, a role and a state for every
// control, windowless ones as children of their container's object with their own places.
#include <windows.h>

#include "ui/Control.h"
#include "ui/Form.h"

namespace win32 {

// The model behind one window of the program: its form, and the control whose window it is
// (null for the form's own window).
struct AccessTarget {
  ui::Form* form = nullptr;
  ui::Control* control = nullptr;
};

// The backend's side, whatever its shape.
class AccessSite {
 public:
  virtual ~AccessSite() = default;
  // Nothing (a null form) once the window's model has gone.
  virtual AccessTarget targetOf(HWND hwnd) const = 0;
  virtual HWND windowOf(const ui::Control& control) const = 0;
  virtual HWND windowOf(const ui::Form& form) const = 0;
};

// Answers WM_GETOBJECT for a window of the program; false when the request is not for its client
// object (the caller passes it to the default procedure).
bool answerGetObject(const AccessSite& site, HWND hwnd, WPARAM wp, LPARAM lp, LRESULT& result);

// Gives a system control's window (box, trackbar, button) the name and role of its control while
// the system's own object keeps answering the rest (its state, its text, its position).
void exposeSystemControl(const AccessSite& site, HWND hwnd);

// The controls a container's object holds as children, child id i + 1 for entry i: those that
// can be seen at all (controls used only by code lie outside the window and are left out).
std::vector<ui::Control*> accessChildren(const ui::Form& form, const ui::Control* container);

// Raises the system's event for a change assistive technology follows: a switch's state, a
// name or caption, a progress value.
void notifyAccessChange(const AccessSite& site, const ui::Control& control, ui::Property property);
// The keyboard focus moved to a windowless control.
void notifyAccessFocus(const AccessSite& site, const ui::Control& control);

// A control in the system's terms: role, state, default action (empty when it has none).
LONG roleCode(ui::Role role);
LONG stateCode(const ui::Control& c, bool focused);
std::string defaultActionName(const ui::Control& c);

}  // namespace win32
