#pragma once
// The keyboard focus mark a container draws round a control it paints or holds.
#include <windows.h>

#include "win32/SwitchPaint.h"

namespace win32 {

// A dotted rectangle two pixels outside the control, kept inside the container so that every
// side shows. With high contrast on, a solid frame in the system's text colour goes round it: the
// dotted mark alone may be faint on the user's colours.
void drawFocusMark(HDC dc, RECT control, const RECT& client, bool highContrast = highContrastOn());

}  // namespace win32
