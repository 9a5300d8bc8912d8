#include "controls/SafeSwitch.h"

namespace controls {

ui::Size switchFrameSize(int skinSet) {
  switch (skinSet) {
    case 0:
      return {78, 23};
    case 1:
      return {74, 24};
    default:
      return {36, 16};
  }
}

SafeSwitch::SafeSwitch(std::string name, int index)
    : ui::Control(ui::Kind::Switch, std::move(name), index) {
  Control::setPlace({0, 0, outerSize().width, outerSize().height});
}

int switchSkinSet(int skin) {
  return skin == 0 || skin == 1 ? skin : 2;
}

ui::Size SafeSwitch::outerSize() const {
  ui::Size px = switchFrameSize(skinSet());
  return {px.width * ui::kTwipsPerPixelAt96Dpi, px.height * ui::kTwipsPerPixelAt96Dpi};
}

void SafeSwitch::setPlace(ui::Rect place) {
  ui::Size outer = outerSize();
  Control::setPlace({place.left, place.top, outer.width, outer.height});
}

int SafeSwitch::stateFrame() const {
  int base = value_ ? 0 : 4;
  if (!enable_) return base + 3;
  return hovering_ ? base + 1 : base;
}

void SafeSwitch::paint() {
  changed(ui::Property::Value);
}

void SafeSwitch::showState() {
  frameIndex_ = stateFrame();
  paint();
}

void SafeSwitch::setEnable(bool enable) {
  enable_ = enable;
  // A press interrupted by disabling must not complete after re-enabling.
  if (!enable) armed_ = false;
  showState();
}

void SafeSwitch::setValue(bool value) {
  value_ = value;
  showState();
  Click(value_);
}

bool SafeSwitch::activate() {
  if (!enable_ || !enabled()) return false;
  setValue(!value_);
  return true;
}

void SafeSwitch::setskin(int skin) {
  skin_ = skin;
  setPlace(place());
  paint();
}

void SafeSwitch::poll(bool pointerInside) {
  if (!enable_ || pointerInside == hovering_) return;
  hovering_ = pointerInside;
  showState();
  (pointerInside ? MouseIn : MouseOut)();
}

void SafeSwitch::buttonDown(int button) {
  if (button != ui::kLeftButton || !enable_) return;
  // A press shows the pointer is inside, whether or not the poll has seen it yet: a tap or a
  // click the instant the pointer arrives toggles like any other.
  if (!hovering_) {
    hovering_ = true;
    MouseIn();
  }
  pendingValue_ = !value_;
  armed_ = true;
  frameIndex_ = value_ ? 2 : 6;
  paint();
}

void SafeSwitch::buttonUp(int button) {
  if (button != ui::kLeftButton) return;
  // Only the release of a press made on this switch toggles it: a drag that started elsewhere
  // and ends here would otherwise apply a stale PendingValue.
  if (!std::exchange(armed_, false) || !enable_ || !hovering_) return;
  setValue(pendingValue_);
}

void SafeSwitch::loadStored(std::optional<bool> value, std::optional<bool> enable,
                            std::optional<int> skin) {
  setValue(value.value_or(true));
  setEnable(enable.value_or(true));
  setskin(skin.value_or(0));
}

}  // namespace controls
