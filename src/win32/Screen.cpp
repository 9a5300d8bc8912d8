#include "win32/Services.h"

#include "win32/Dpi.h"
#include "win32/SystemLibrary.h"

namespace win32 {

namespace {

ui::Rect twips(const RECT& r, int dpi) {
  return {pixelsToTwips(r.left, dpi), pixelsToTwips(r.top, dpi),
          pixelsToTwips(r.right - r.left, dpi), pixelsToTwips(r.bottom - r.top, dpi)};
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM into) {
  reinterpret_cast<std::vector<HMONITOR>*>(into)->push_back(monitor);
  return TRUE;
}

}  // namespace

ui::Size Screen::size() {
  ui::Rect r =
      twips({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, dpiOf(nullptr));
  return {r.width, r.height};
}

ui::Rect Screen::workArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return twips(r, dpiOf(nullptr));
}

std::vector<HMONITOR> displayMonitors() {
  std::vector<HMONITOR> list;
  EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

std::vector<ui::Monitor> Screen::monitors() {
  std::vector<ui::Monitor> monitors;
  for (HMONITOR monitor : displayMonitors()) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) continue;
    int dpi = dpiOf(nullptr);
    UINT x = 0, y = 0;
    // Per-monitor DPI is offered from Windows 8.1 on; elsewhere every monitor has the system's.
    static const auto getDpiForMonitor =
        findFunction<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(
            loadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, 0 /* effective */, &x, &y)) && x)
      dpi = static_cast<int>(x);
    const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    ui::Monitor m{twips(info.rcMonitor, dpi), dpi, primary, twips(info.rcWork, dpi)};
    monitors.insert(primary ? monitors.begin() : monitors.end(), m);
  }
  return monitors;
}

}  // namespace win32
