#include "win32/Dpi.h"

#include "win32/SystemLibrary.h"

namespace win32 {

int dpiOf(HWND hwnd) {
  // Windows 10's; before it, windows are shown at the system DPI read below.
  static const auto getForWindow =
      findFunction<UINT(WINAPI*)(HWND)>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  if (getForWindow && hwnd) {
    if (UINT dpi = getForWindow(hwnd)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace win32
