#include "win32/SystemWindow.h"

#include "app/Program.h"
#include "win32/Dpi.h"
#include "win32/NotifyArea.h"
#include "win32/Report.h"
#include "win32/Services.h"
#include "win32/SystemLibrary.h"

namespace win32 {

namespace {

constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMilliseconds = 2000;
constexpr int kRetries = 60;  // two minutes

// WTS_SESSION_LOCK and WTS_SESSION_UNLOCK, whose header mingw's windows.h does not include.
constexpr WPARAM kSessionLock = 0x7;
constexpr WPARAM kSessionUnlock = 0x8;

}  // namespace

SystemWindow::SystemWindow(Backend& backend, std::function<void()> runPosted)
    : Window(backend),
      runPosted_(std::move(runPosted)),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
  createWindow(WS_EX_TOOLWINDOW, kSystemClass, L"", WS_POPUP, {}, nullptr);
}

SystemWindow::~SystemWindow() {
  detach();
  if (HWND hwnd = std::exchange(hwnd_, nullptr)) DestroyWindow(hwnd);
}

void SystemWindow::deliverTo(app::Program& program, Shell& shell, NotifyArea& notify) {
  program_ = &program;
  shell_ = &shell;
  notify_ = &notify;
}

void SystemWindow::askForSessionNotifications() {
  // Loaded at run time so the program still starts where the library is missing.
  HMODULE wts = loadSystemLibrary(L"wtsapi32.dll");
  if (!wts) return;
  using Register = BOOL(WINAPI*)(HWND, DWORD);
  auto reg = reinterpret_cast<Register>(
      reinterpret_cast<void*>(GetProcAddress(wts, "WTSRegisterSessionNotification")));
  if (reg && !reg(hwnd_, 0 /* NOTIFY_FOR_THIS_SESSION */))
    reportFailure(L"WTSRegisterSessionNotification", L"session lock");
}

void SystemWindow::expectTrayCallback(HWND window, UINT message) {
  trayWindow_ = window;
  trayMessage_ = message;
}

bool SystemWindow::trayCallback(HWND window, UINT message, LPARAM lp) {
  if (!program_ || window != trayWindow_ || message != trayMessage_) return false;
  program_->trayNotify(lp);
  return true;
}

void SystemWindow::exitRequested() {
  if (program_) program_->exitRequested();
}

void SystemWindow::retryIconAdd() {
  if (retriesLeft_ > 0) return;  // already retrying
  retriesLeft_ = kRetries;
  if (!SetTimer(hwnd_, kRetryTimer, kRetryMilliseconds, nullptr))
    reportFailure(L"SetTimer", L"the icon's retry");
}

void SystemWindow::retryTick() {
  if (program_ && !program_->icon().present() && --retriesLeft_ > 0) {
    program_->taskbarCreated();
    if (!program_->icon().present()) return;
  }
  retriesLeft_ = 0;
  KillTimer(hwnd_, kRetryTimer);
}

LRESULT SystemWindow::handle(UINT message, WPARAM wp, LPARAM lp) {
  if (message == kPostedWork) {
    runPosted_();
    return 0;
  }
  // Another program may ask every top-level window to close (a polite taskkill); closing this
  // one would take every form it owns with it.
  if (message == WM_CLOSE) return 0;
  if (!program_) return Window::handle(message, wp, lp);
  switch (message) {
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp) {
        shell_->sessionEnds();
        program_->sessionEnding();
      }
      return 0;
    case WM_POWERBROADCAST:
      if (wp == PBT_APMRESUMEAUTOMATIC) program_->displayReset();
      return TRUE;
    case WM_DISPLAYCHANGE:
      notify_->reloadIcon(dpiOf(hwnd_));
      program_->displayReset();
      return 0;
    case WM_DPICHANGED:
      notify_->reloadIcon(HIWORD(wp));
      return 0;
    case WM_WTSSESSION_CHANGE:
      if (wp == kSessionLock) {
        program_->sessionLocked(true);
      } else if (wp == kSessionUnlock) {
        program_->sessionLocked(false);
        program_->displayReset();
      }
      return 0;
    case WM_TIMER:
      if (wp == kRetryTimer) retryTick();
      return 0;
  }
  if (message == taskbarCreated_) {
    // The shell restarted: the icon goes back, and keeps being tried while it will not.
    program_->taskbarCreated();
    if (!program_->icon().present()) retryIconAdd();
    return 0;
  }
  return Window::handle(message, wp, lp);
}

}  // namespace win32
