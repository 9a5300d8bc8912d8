#include "ui/Form.h"

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

void Form::setCaption(std::string caption) {
  caption_ = std::move(caption);
  if (view_) view_->update(FormProperty::Caption);
}

void Form::setBackColour(Colour colour) {
  back_ = colour;
  if (view_) view_->update(FormProperty::Colours);
}

void Form::setAlpha(int alpha) {
  alpha_ = alpha;
  if (view_) view_->update(FormProperty::Alpha);
}

void Form::setTopmost(bool topmost) {
  topmost_ = topmost;
  if (view_) view_->update(FormProperty::Topmost);
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

}  // namespace ui
