#pragma once
// Drawing the on/off switch: its frame, copied from a strip drawn once per skin and DPI, and
// its window region from the outline in force.
#include <windows.h>

#include "controls/SafeSwitch.h"

namespace win32 {

// Copies the switch's current frame to (0, 0) of the DC.
void paintSwitch(HDC dc, const controls::SafeSwitch& control, int dpi);
// A new region of the outline that follows Value; the caller owns it (SetWindowRgn takes it).
HRGN switchRegion(const controls::SafeSwitch& control, int dpi);

}  // namespace win32
