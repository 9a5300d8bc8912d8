// The reference program the benchmarks hold Lumora against: the least a Win32 tray-style program
// can be. One borderless window the size of Lumora's main window, a one-second timer, a message
// loop; nothing else.
#include <windows.h>

namespace {

constexpr UINT_PTR kTick = 1;

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_TIMER:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"LumoraBenchBare";
  if (!RegisterClassW(&wc)) return 1;

  const int width = 641, height = 315;
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"BenchBare", WS_POPUP,
                              (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  SetTimer(hwnd, kTick, 1000, nullptr);
  ShowWindow(hwnd, SW_SHOWNORMAL);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
