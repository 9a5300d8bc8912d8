// A control to assistive technology in the system's terms, and the events its changes raise.
#include "win32/Accessible.h"

#include <oleacc.h>

#include <algorithm>

namespace win32 {

LONG roleCode(ui::Role role) {
  switch (role) {
    case ui::Role::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case ui::Role::Graphic:
      return ROLE_SYSTEM_GRAPHIC;
    case ui::Role::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case ui::Role::CheckButton:
      return ROLE_SYSTEM_CHECKBUTTON;
    case ui::Role::ProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case ui::Role::Text:
      return ROLE_SYSTEM_TEXT;
    case ui::Role::Slider:
      return ROLE_SYSTEM_SLIDER;
    case ui::Role::Pane:
    case ui::Role::None:
      break;
  }
  return ROLE_SYSTEM_PANE;
}

LONG stateCode(const ui::Control& c, bool focused) {
  LONG s = 0;
  if (!c.shown()) s |= STATE_SYSTEM_INVISIBLE;
  if (!c.enabled()) s |= STATE_SYSTEM_UNAVAILABLE;
  if (c.checked()) s |= STATE_SYSTEM_CHECKED;
  if (c.tabStop()) s |= STATE_SYSTEM_FOCUSABLE;
  if (focused) s |= STATE_SYSTEM_FOCUSED;
  if (c.kind() == ui::Kind::Label || c.kind() == ui::Kind::ProgButton) s |= STATE_SYSTEM_READONLY;
  return s;
}

std::string defaultActionName(const ui::Control& c) {
  switch (c.role()) {
    case ui::Role::PushButton:
      return "Press";
    case ui::Role::CheckButton:
      return c.checked() ? "Uncheck" : "Check";
    default:
      return {};
  }
}

namespace {

// The window a control's change shows on and its child id there.
bool eventTarget(const AccessSite& site, const ui::Control& control, HWND& hwnd, LONG& child) {
  if (ui::isWindowed(control.kind())) {
    hwnd = site.windowOf(control);
    child = CHILDID_SELF;
    return hwnd != nullptr;
  }
  if (!control.form()) return false;
  hwnd = control.container() ? site.windowOf(*control.container()) : site.windowOf(*control.form());
  std::vector<ui::Control*> list = accessChildren(*control.form(), control.container());
  auto found = std::find(list.begin(), list.end(), &control);
  if (!hwnd || found == list.end()) return false;
  child = static_cast<LONG>(found - list.begin() + 1);
  return true;
}

}  // namespace

void notifyAccessChange(const AccessSite& site, const ui::Control& control, ui::Property property) {
  DWORD event = 0;
  switch (property) {
    case ui::Property::Value:
      if (control.role() == ui::Role::CheckButton)
        event = EVENT_OBJECT_STATECHANGE;
      else if (control.role() == ui::Role::ProgressBar)
        event = EVENT_OBJECT_VALUECHANGE;
      break;
    case ui::Property::Text:
      // A control named by code keeps its name when its caption changes (the countdown).
      if (control.kind() != ui::Kind::TextBox && control.accessName() == control.text())
        event = EVENT_OBJECT_NAMECHANGE;
      break;
    case ui::Property::AccessName:
      event = EVENT_OBJECT_NAMECHANGE;
      break;
    case ui::Property::Enabled:
      event = EVENT_OBJECT_STATECHANGE;
      break;
    default:
      break;
  }
  HWND hwnd = nullptr;
  LONG child = CHILDID_SELF;
  if (event && eventTarget(site, control, hwnd, child))
    NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}

void notifyAccessFocus(const AccessSite& site, const ui::Control& control) {
  HWND hwnd = nullptr;
  LONG child = CHILDID_SELF;
  if (!ui::isWindowed(control.kind()) && eventTarget(site, control, hwnd, child))
    NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, child);
}

}  // namespace win32
