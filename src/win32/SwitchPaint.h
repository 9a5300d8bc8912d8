#pragma once
// Drawing the on/off switch: its frame, copied from a strip drawn once per skin, DPI and contrast
// setting, and its window region from the outline in force.
#include <windows.h>

#include "controls/SafeSwitch.h"

namespace win32 {

// Whether the user asked for high contrast: the lettering then takes the system's colours on a
// plain box of the tab, so the switch's state reads as clearly as the system's own text.
bool highContrastOn();

// Copies the switch's current frame to (0, 0) of the DC.
void paintSwitch(HDC dc, const controls::SafeSwitch& control, int dpi,
                 bool highContrast = highContrastOn());
// A new region of the outline that follows Value; the caller owns it (SetWindowRgn takes it).
HRGN switchRegion(const controls::SafeSwitch& control, int dpi);

}  // namespace win32
