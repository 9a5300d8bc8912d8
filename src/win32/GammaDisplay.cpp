#include "win32/GammaDisplay.h"

namespace win32 {

// The ramp's layout (red 0-255, then green, then blue) is the one the gamma functions use.
static_assert(sizeof(ui::Ramp) == 3 * 256 * sizeof(WORD));

bool GammaDisplay::get(ui::Ramp& ramp) {
  return dc_.get() && GetDeviceGammaRamp(dc_.get(), ramp.data()) != FALSE;
}

bool GammaDisplay::set(const ui::Ramp& ramp) {
  // The function takes a non-const pointer but only reads the ramp.
  ui::Ramp copy = ramp;
  return dc_.get() && SetDeviceGammaRamp(dc_.get(), copy.data()) != FALSE;
}

}  // namespace win32
