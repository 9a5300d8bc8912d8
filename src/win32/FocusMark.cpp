#include "win32/FocusMark.h"

namespace win32 {

void drawFocusMark(HDC dc, RECT r, const RECT& client, bool highContrast) {
  InflateRect(&r, 2, 2);
  IntersectRect(&r, &r, &client);
  if (highContrast) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWTEXT));
    InflateRect(&r, -1, -1);
  }
  // DrawFocusRect inverts the pixels it covers: it shows on any background.
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &r);
}

}  // namespace win32
