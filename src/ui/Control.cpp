#include "ui/Control.h"

#include <algorithm>
#include <utility>

#include "ui/Form.h"

namespace ui {

bool isWindowed(Kind kind) {
  switch (kind) {
    case Kind::PictureBox:
    case Kind::TextBox:
    case Kind::CommandButton:
    case Kind::Slider:
    case Kind::Switch:
    case Kind::ProgButton:
      return true;
    case Kind::Label:
    case Kind::Image:
    case Kind::Line:
    case Kind::Shape:
    case Kind::Timer:
      return false;
  }
  return false;
}

Control::Control(Kind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index) {}

Control::~Control() {
  if (view_) std::exchange(view_, nullptr)->controlGone();
}

void Control::changed(Property property) {
  if (view_) view_->update(property);
}

void Control::setAccessName(std::string name) {
  if (hasAccessName_ && name == accessName_) return;
  accessName_ = std::move(name);
  hasAccessName_ = true;
  changed(Property::AccessName);
}

Role Control::role() const {
  switch (kind_) {
    case Kind::Label:
      return Click ? Role::PushButton : Role::StaticText;
    case Kind::Image:
      // A picture that does something is a button; one that only shows is a graphic.
      return Click ? Role::PushButton : Role::Graphic;
    case Kind::Line:
    case Kind::Shape:
      return Role::Graphic;
    case Kind::PictureBox:
      return Role::Pane;
    case Kind::TextBox:
      return Role::Text;
    case Kind::CommandButton:
      return Role::PushButton;
    case Kind::Slider:
      return Role::Slider;
    case Kind::Switch:
      return Role::CheckButton;
    case Kind::ProgButton:
      return Role::ProgressBar;
    case Kind::Timer:
      return Role::None;
  }
  return Role::None;
}

std::string Control::accessValue() const {
  return kind_ == Kind::TextBox ? text_ : std::string();
}

bool Control::activate() {
  if (!enabled_ || (role() != Role::PushButton && role() != Role::CheckButton)) return false;
  Click();
  return true;
}

void Control::setKeyPanel(Control* enter, Control* escape) {
  keyPanel_ = true;
  enter_ = enter;
  escape_ = escape;
}

bool Control::visibleInContainers() const {
  for (const Control* c = this; c; c = c->container_)
    if (!c->visible_) return false;
  return true;
}

bool Control::shown() const {
  return visibleInContainers() && form_ && form_->visible();
}

bool Control::insideContainer() const {
  Rect area{};
  if (container_)
    area = container_->place();
  else if (form_)
    area = form_->place();
  const Rect& p = place_;
  return std::max(p.left, p.right()) > 0 && std::max(p.top, p.bottom()) > 0 &&
         std::min(p.left, p.right()) < area.width && std::min(p.top, p.bottom()) < area.height;
}

void Control::setPicture(Picture picture) {
  picture_ = picture;
  if (!stretch_ && kind_ == Kind::Image && picture != Picture::None) {
    Size px = pictureSize(picture);
    setPlace({place_.left, place_.top, px.width * kTwipsPerPixelAt96Dpi,
              px.height * kTwipsPerPixelAt96Dpi});
  }
  changed(Property::Picture);
}

void TextBox::userTyped(std::string text) {
  if (text == this->text()) return;
  setText(text);
  Change();
}

void Slider::setRange(int min, int max) {
  if (max < min) max = min;
  bool moved = min != min_ || max != max_;
  min_ = min;
  max_ = max;
  if (moved) changed(Property::Range);
  setValue(value_);
}

void Slider::setValue(int value) {
  value = std::clamp(value, min_, max_);
  if (value == value_) return;
  value_ = value;
  changed(Property::Value);
  Change();
}

Control* windowlessAt(const std::vector<Control*>& children, Point at) {
  std::vector<Control*> order = paintOrder(children);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if ((*it)->kind() == Kind::Line) continue;  // a line has no area to hit
    if ((*it)->place().contains(at)) return *it;
  }
  return nullptr;
}

std::vector<Control*> paintOrder(const std::vector<Control*>& children) {
  std::vector<Control*> order;
  for (Control* c : children)
    if (c->visible() && !isWindowed(c->kind()) && c->kind() != Kind::Timer) order.push_back(c);
  return order;
}

}  // namespace ui
