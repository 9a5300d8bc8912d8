#pragma once
// The on/off switch: eight frames per skin, an outline that follows the value, a 50 ms pointer
// poll for hovering, and a Click raised after a completed toggle or any assignment of Value.
// The state machine is portable; the backend draws the frame and sets the window region.
#include <optional>

#include "ui/Control.h"

namespace controls {

// The skin set a skin draws with: 0, 1, or 2 for every other value (the small set).
int switchSkinSet(int skin);

class SafeSwitch : public ui::Control {
 public:
  explicit SafeSwitch(std::string name, int index = -1);

  bool Enable() const { return enable_; }
  void setEnable(bool enable);
  bool Value() const { return value_; }
  // Always repaints and raises Click, also when the value does not change.
  void setValue(bool value);
  int skin() const { return skin_; }
  void setskin(int skin);

  int frameIndex() const { return frameIndex_; }
  bool hovering() const { return hovering_; }

  // The fixed outer size in twips of the current skin.
  ui::Size outerSize() const;
  int skinSet() const { return switchSkinSet(skin_); }
  // A switch beside a label of its own reads "On" and "Off" rather than its skin's lettering.
  bool plainLettering() const { return plain_; }
  void setPlainLettering(bool plain) { plain_ = plain; }

  // The host cannot give the switch another size.
  void setPlace(ui::Rect place) override;

  bool checked() const override { return value_; }
  // Space, Enter or a screen reader's action: the toggle a completed click makes.
  bool activate() override;

  // Input from the backend. poll(): the pointer is inside (client pixels, both ends included).
  // The backend polls every kPollMilliseconds, only while the switch can be seen.
  static constexpr int kPollMilliseconds = 50;
  void poll(bool pointerInside);
  void buttonDown(int button);
  void buttonUp(int button);

  // Stored properties of a designed switch, applied in their fixed order; a missing one reads as
  // its default.
  void loadStored(std::optional<bool> value, std::optional<bool> enable, std::optional<int> skin);

  ui::Event<bool> Click;  // the new value
  ui::Event<> MouseOut;
  ui::Event<> MouseIn;

 private:
  int stateFrame() const;
  void showState();  // the frame of the value, hover and enabling, painted
  void paint();      // PaintSwitch: the view draws FrameIndex with the outline of Value

  bool enable_ = true;
  bool value_ = true;
  int skin_ = 0;
  int frameIndex_ = 0;
  bool pendingValue_ = false;
  bool hovering_ = false;
  // A left press on this switch that no release has ended yet.
  bool armed_ = false;
  bool plain_ = false;
};

// The size of one frame of a skin set (0, 1, 2) in pixels at 96 DPI.
ui::Size switchFrameSize(int skinSet);

}  // namespace controls
