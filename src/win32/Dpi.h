#pragma once
#include <windows.h>

#include "ui/Types.h"

namespace win32 {

// The DPI a window is shown at; the system DPI where per-window DPI is not known.
int dpiOf(HWND hwnd);
inline int twipsToPixels(int twips, int dpi) {
  return MulDiv(twips, dpi, 1440);
}
inline int pixelsToTwips(int pixels, int dpi) {
  return MulDiv(pixels, 1440, dpi);
}
inline RECT toPixels(const ui::Rect& r, int dpi) {
  return {twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi), twipsToPixels(r.right(), dpi),
          twipsToPixels(r.bottom(), dpi)};
}

}  // namespace win32
