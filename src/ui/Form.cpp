#include "ui/Form.h"

#include <algorithm>

namespace ui {

Form::Form(std::string name, FormHost* host) : name_(std::move(name)), host_(host) {}

Form::~Form() {
  if (view_ && !closed_) view_->destroy();
}

void Form::add(Control& control, Control* container) {
  control.form_ = this;
  control.container_ = container;
  if (container)
    container->children_.push_back(&control);
  else
    controls_.push_back(&control);
  all_.push_back(&control);
}

Control* Form::find(const std::string& name, int index) const {
  for (Control* c : all_)
    if (c->name() == name && c->index() == index) return c;
  return nullptr;
}

void Form::setPlace(Rect place) {
  if (place == place_) return;
  bool resized = place.width != place_.width || place.height != place_.height;
  place_ = place;
  if (view_) view_->update(FormProperty::Place);
  if (resized && loaded_) Resize();
}

void Form::setSize(Size size) {
  if (size.width == place_.width && size.height == place_.height) return;
  place_.width = size.width;
  place_.height = size.height;
  if (view_) view_->update(FormProperty::Size);
  if (loaded_) Resize();
}

void Form::load() {
  loaded_ = true;
  if (host_) host_->create(*this);
  Load();
  Resize();
}

void Form::show() {
  if (closed_) return;
  if (!loaded_) load();
  if (closed_ || visible_) return;  // Load may have closed the form or shown it already
  visible_ = true;
  if (view_) view_->update(FormProperty::Visible);
}

void Form::hide() {
  if (!loaded_) load();
  if (!visible_) return;
  visible_ = false;
  if (view_) view_->update(FormProperty::Visible);
}

void Form::close() {
  if (closed_) return;
  closed_ = true;
  visible_ = false;
  Unload();
  if (view_) {
    FormView* view = view_;
    view_ = nullptr;
    view->destroy();
  }
}

void Form::requestClose() {
  if (closed_) return;
  if (CloseRequest)
    CloseRequest();
  else
    hide();
}

void Form::startDrag() {
  if (view_) view_->startDrag();
}

namespace {

bool inside(const Control* control, const Control* container) {
  for (const Control* c = control; c; c = c->container())
    if (c == container) return true;
  return !container;
}

}  // namespace

void Form::setKeys(Control* enter, Control* escape) {
  enter_ = enter;
  escape_ = escape;
}

Control* Form::keyScope() const {
  Control* scope = nullptr;
  for (Control* c : all_)
    if (c->keyPanel() && c->shown()) scope = c;  // later ones lie in front
  return scope;
}

std::vector<Control*> Form::focusCycle() const {
  Control* scope = keyScope();
  std::vector<Control*> cycle;
  for (Control* c : tabOrder_)
    if (c->focusable() && inside(c, scope)) cycle.push_back(c);
  return cycle;
}

bool Form::reachable(const Control& control) const {
  if (control.form() != this || !control.shown()) return false;
  const Control* panel = keyScope();
  while (panel && panel->container()) panel = panel->container();
  if (!panel || inside(&control, panel)) return true;
  // The panel's container is a window in front of the form's own controls: what it overlaps
  // lies behind it.
  Rect r = control.place();
  for (const Control* c = control.container(); c; c = c->container())
    r = {r.left + c->place().left, r.top + c->place().top, r.width, r.height};
  const Rect& p = panel->place();
  return r.right() <= p.left || r.left >= p.right() || r.bottom() <= p.top || r.top >= p.bottom();
}

void Form::moveFocus(Control* to) {
  if (to == focused_) return;
  focused_ = to;
  if (view_) view_->update(FormProperty::Focus);
}

void Form::setFocus(Control* control) {
  if (control && control->form() != this) return;
  moveFocus(control);
}

void Form::followScope(Control* scopeBefore) {
  Control* scope = keyScope();
  if (scope == scopeBefore || !visible_) return;
  // A panel opened or closed: the focus goes where it last was in the new scope, else to the
  // first control there, and is remembered for the scope it leaves.
  auto remembered = [this](Control* s) -> Control*& {
    for (auto& [key, value] : resume_)
      if (key == s) return value;
    return resume_.emplace_back(s, nullptr).second;
  };
  remembered(scopeBefore) = focused_;
  std::vector<Control*> cycle = focusCycle();
  Control* back = remembered(scope);
  if (std::find(cycle.begin(), cycle.end(), back) != cycle.end())
    moveFocus(back);
  else if (cycle.empty())
    moveFocus(nullptr);
  else
    moveFocus(cycle.front());
}

bool Form::keyDown(Key key, bool shift) {
  if (closed_ || !visible_) return false;
  Control* scope = keyScope();
  std::vector<Control*> cycle = focusCycle();
  auto at = std::find(cycle.begin(), cycle.end(), focused_);
  Control* current = at == cycle.end() ? nullptr : focused_;
  bool wasUsed = std::exchange(keyboardUsed_, true);
  auto markChanged = [&] {
    if (!wasUsed && focused_ && view_) view_->update(FormProperty::Focus);
  };
  // The key clicks the target, if a person can reach it.
  auto press = [&](Control* target) {
    markChanged();
    if (!target || !reachable(*target)) return false;
    target->activate();
    followScope(scope);
    return true;
  };

  switch (key) {
    case Key::Tab: {
      if (cycle.empty()) return true;
      auto n = static_cast<long>(cycle.size());
      // From outside the cycle, Tab goes to its first control and Shift+Tab to its last.
      long i = -1;
      if (current)
        i = at - cycle.begin();
      else if (shift)
        i = 0;
      i = ((i + (shift ? -1 : 1)) % n + n) % n;
      moveFocus(cycle[static_cast<std::size_t>(i)]);
      markChanged();
      return true;
    }
    case Key::Space:
    case Key::Enter: {
      Role role = current ? current->role() : Role::None;
      if (role == Role::PushButton || role == Role::CheckButton) return press(current);
      if (key == Key::Enter) return press(scope ? scope->enterControl() : enter_);
      return press(nullptr);
    }
    case Key::Escape:
      return press(scope ? scope->escapeControl() : escape_);
    case Key::Other:
      break;
  }
  markChanged();
  return false;
}

}  // namespace ui
