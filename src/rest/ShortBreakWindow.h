#pragma once
// The short break's small window: above the prompt's place, topmost, never taking the focus,
// counting its seconds down; a click ends it early.
#include <functional>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace rest {

class ShortBreakWindow : public ui::Form {
 public:
  static constexpr int kWidth = 4980;
  static constexpr int kHeight = 870;
  static constexpr int kAlpha = 230;

  ShortBreakWindow(const ui::Monitor& monitor, int promptHeight, ui::FormHost* host);

  ui::Label Label1{"Label1"};  // what to do
  ui::Label Label2{"Label2"};  // the seconds left

  void showSeconds(long long seconds);
  // Ended early by the person (a click, a close request).
  std::function<void()> Dismissed;
};

}  // namespace rest
