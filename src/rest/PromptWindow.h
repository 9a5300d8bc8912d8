#pragma once
// Form2: the small prompt in the bottom-right corner that offers a rest.
#include "controls/ProgButton.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace rest {

class Rest;

class PromptWindow : public ui::Form {
 public:
  static constexpr int kWidth = 4980;
  static constexpr int kHeight = 1350;
  static constexpr int kAlpha = 220;

  PromptWindow(Rest& main, ui::Screen& screen, ui::FormHost* host);

  ui::Label Label3{"Label3"};
  ui::Label Label1{"Label1"};
  ui::Line Line1{"Line1"};
  ui::Label Label2{"Label2"};
  ui::Label Later{"Later"};
  ui::TextBox tip{"tip"};
  controls::ProgButton tippro{"tippro"};
  ui::Label laterNote{"laterNote"};  // why "Later" is grey, in the title strip for everyone

  void Form_Load();
  // Right edge on the screen's right edge, bottom edge on the work area's bottom (just above a
  // bottom taskbar), as the primary monitor stands now.
  void placeInCorner();
  // Rest now.
  void Label1_Click();
  // "Do Not".
  void Label2_Click();
  void Later_Click();

 private:
  ui::Monitor primary() const;

  Rest& main_;
  ui::Screen& screen_;
};

}  // namespace rest
