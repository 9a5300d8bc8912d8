#include "win32/Dpi.h"

namespace win32 {

namespace {

template <class F>
F systemFunction(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  if (!m) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

}  // namespace

void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (auto set = systemFunction<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is (HANDLE)-4.
    if (set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return;
  }
  SetProcessDPIAware();
}

int dpiOf(HWND hwnd) {
  using GetForWindow = UINT(WINAPI*)(HWND);
  static auto getForWindow = systemFunction<GetForWindow>(L"user32.dll", "GetDpiForWindow");
  if (getForWindow && hwnd) {
    if (UINT dpi = getForWindow(hwnd)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace win32
