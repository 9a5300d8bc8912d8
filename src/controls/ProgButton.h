#pragma once
// A button drawn entirely with gradients, or (Style 0) a progress bar with its percentage.
// The arithmetic and the drawing plan are portable; the backend runs the plan with GDI.
#include <array>
#include <cstdint>
#include <string>

#include "ui/Control.h"

namespace controls {

class ProgButton : public ui::Control {
 public:
  explicit ProgButton(std::string name, int index = -1);

  int Value() const { return value_; }
  void setValue(int value);  // lowered to Max, then raised to Min
  int Min() const { return min_; }
  void setMin(int min);
  int Max() const { return max_; }
  void setMax(int max);
  const std::string& Caption() const { return caption_; }
  void setCaption(std::string caption);  // also takes the access key from the last "&"
  int Style() const { return style_; }
  void setStyle(int style);
  int Color() const { return color_; }
  void setColor(int color);

  // The access key, 0 when none.
  char32_t accessKey() const { return accessKey_; }
  bool focused() const { return focused_; }
  bool pressed() const { return pressed_; }

  ui::Event<const ui::MouseArgs&> MouseDownEvent;
  ui::Event<const ui::MouseArgs&> MouseUpEvent;
  ui::Event<const ui::MouseArgs&> MouseMoveEvent;
  // Click and DblClick are the Control's own events.

 private:
  int value_ = 0;
  int min_ = 0;
  int max_ = 100;
  std::string caption_;
  int style_ = 0;
  int color_ = 1;
  char32_t accessKey_ = 0;
  bool focused_ = false;
  bool pressed_ = false;
};

}  // namespace controls
