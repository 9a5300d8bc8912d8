#include "win32/Window.h"

#include "win32/Backend.h"
#include "win32/Report.h"

namespace win32 {

Window* Window::from(HWND hwnd) {
  return hwnd ? reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

void Window::registerClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &Window::proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.style = CS_DBLCLKS;
  for (const wchar_t* name :
       {kFormClass, kPanelClass, kSwitchClass, kProgButtonClass, kSystemClass}) {
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      reportFailure(L"RegisterClassExW", name);
  }
}

HWND Window::createWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                          RECT place, HWND parent) {
  HWND hwnd = CreateWindowExW(exStyle, className, text, style, place.left, place.top,
                              place.right - place.left, place.bottom - place.top, parent, nullptr,
                              backend_.instance(), this);
  if (!hwnd) reportFailure(L"CreateWindowExW", className);
  return hwnd;
}

void Window::attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Window::detach() {
  if (hwnd_ && from(hwnd_) == this) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

LRESULT CALLBACK Window::proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    static_cast<Window*>(create->lpCreateParams)->attach(hwnd);
  }
  Window* self = from(hwnd);
  if (!self) return DefWindowProcW(hwnd, message, wp, lp);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wp, lp);
  }
  return self->handle(message, wp, lp);
}

LRESULT Window::handle(UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_GETOBJECT) {
    LRESULT result = 0;
    if (answerGetObject(backend_.access(), hwnd_, wp, lp, result)) return result;
  }
  return DefWindowProcW(hwnd_, message, wp, lp);
}

}  // namespace win32
