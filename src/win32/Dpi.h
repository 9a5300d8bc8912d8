#pragma once
#include <windows.h>

namespace win32 {

// Declares per-monitor awareness where the system offers it (the manifest asks for it too).
void becomeDpiAware();
// The DPI a window is shown at; the system DPI where per-window DPI is not known.
int dpiOf(HWND hwnd);
inline int twipsToPixels(int twips, int dpi) {
  return MulDiv(twips, dpi, 1440);
}
inline int pixelsToTwips(int pixels, int dpi) {
  return MulDiv(pixels, 1440, dpi);
}

}  // namespace win32
