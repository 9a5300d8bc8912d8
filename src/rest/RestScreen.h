#pragma once
// Form3: the dark, see-through layer over one monitor that counts a rest down. A rest shows one
// on every monitor.
#include <string>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace rest {

class Rest;

class RestScreen : public ui::Form {
 public:
  static constexpr int kAlpha = 200;

  RestScreen(Rest& main, const ui::Monitor& monitor, ui::FormHost* host);

  ui::TextBox Text1{"Text1"};
  ui::PictureBox Picture1{"Picture1"};
  ui::Label Label1{"Label1"};  // inside Picture1: the countdown
  ui::Image imgclose{"imgclose"};
  ui::PictureBox Picture2{"Picture2"};  // the snapshot panel

  void Form_Load();
  // Closes the rest screen on every monitor and starts a new working period; also run at the end
  // of a rest.
  void imgclose_Click();

  // The countdown's caption, shown every second and announced every kAnnounceEvery seconds.
  static constexpr int kAnnounceEvery = 10;
  void showCountdown(const std::string& caption);

  // The monitor this window covers.
  const ui::Monitor& monitor() const { return monitor_; }

  // Copies what Picture1 shows into Picture2 (the backend does the pixel work).
  void refreshSnapshot();

 private:
  Rest& main_;
  ui::Monitor monitor_;
  int ticksSinceAnnounced_ = 0;
};

}  // namespace rest
