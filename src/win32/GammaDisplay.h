#pragma once
// The display's gamma ramp through the desktop window's device context, which is taken once and
// held for the whole run.
#include <windows.h>

#include "ui/System.h"
#include "win32/Handles.h"

namespace win32 {

class GammaDisplay final : public ui::GammaDisplay {
 public:
  GammaDisplay() : dc_(GetDesktopWindow()) {}

  bool get(ui::Ramp& ramp) override;
  // One call; the engine checks what the display kept and retries.
  bool set(const ui::Ramp& ramp) override;

 private:
  WindowDc dc_;
};

}  // namespace win32
