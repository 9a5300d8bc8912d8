#include "win32/SystemWindow.h"

#include "app/Program.h"
#include "win32/CommandLine.h"
#include "win32/Dpi.h"
#include "win32/MessageLoop.h"
#include "win32/NotifyArea.h"
#include "win32/Report.h"
#include "win32/Services.h"
#include "win32/ShortcutKeys.h"
#include "win32/SystemLibrary.h"

namespace win32 {

namespace {

constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMilliseconds = 2000;
constexpr int kRetries = 60;  // two minutes

// The one system window that hears of desktop switches (the hook's callback carries no data).
SystemWindow* desktopWatcher = nullptr;

}  // namespace

SystemWindow::SystemWindow(Backend& backend, std::function<void()> runPosted)
    : Window(backend),
      runPosted_(std::move(runPosted)),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
  createWindow(WS_EX_TOOLWINDOW, kSystemClass, L"", WS_POPUP, {}, nullptr);
}

SystemWindow::~SystemWindow() {
  for (unsigned id = 0; id < app::kActionCount; ++id) UnregisterHotKey(hwnd_, static_cast<int>(id));
  if (desktopWatcher == this) desktopWatcher = nullptr;
  detach();
  if (HWND hwnd = std::exchange(hwnd_, nullptr)) DestroyWindow(hwnd);
}

void SystemWindow::deliverTo(app::Program& program, Shell& shell, NotifyArea& notify) {
  program_ = &program;
  shell_ = &shell;
  notify_ = &notify;
}

void SystemWindow::askForSessionNotifications() {
  // Windows may drop the ramp at these moments without any event of its own.
  displayPower_.reset(RegisterPowerSettingNotification(hwnd_, &GUID_CONSOLE_DISPLAY_STATE,
                                                       DEVICE_NOTIFY_WINDOW_HANDLE));
  if (!displayPower_)
    reportFailure(L"RegisterPowerSettingNotification",
                  L"display on and off: a ramp the system drops then is not sent again");
  desktopWatcher = this;
  desktopSwitch_.reset(SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                       nullptr, desktopSwitched, 0, 0, WINEVENT_OUTOFCONTEXT));
  if (!desktopSwitch_)
    reportFailure(L"SetWinEventHook",
                  L"desktop switch: a ramp the system drops then is not sent again");
  // Loaded at run time so the program still starts where the library is missing.
  auto reg = findFunction<BOOL(WINAPI*)(HWND, DWORD)>(loadSystemLibrary(L"wtsapi32.dll"),
                                                      "WTSRegisterSessionNotification");
  if (reg && !reg(hwnd_, 0 /* NOTIFY_FOR_THIS_SESSION */))
    reportFailure(L"WTSRegisterSessionNotification",
                  L"session lock: a ramp the system drops at unlock is not sent again");
}

void CALLBACK SystemWindow::desktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  // Raised for a switch either way; only the user's own desktop can be opened from here, and
  // only there can the ramp be sent.
  HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  if (!input) return;
  CloseDesktop(input);
  if (desktopWatcher && desktopWatcher->program_) desktopWatcher->program_->displayReset();
}

void SystemWindow::exitRequested() {
  if (!program_) return;
  UniqueHandle uninstalling(OpenEventW(SYNCHRONIZE, FALSE, kUninstallEventName));
  shell_->sessionEnds();  // the installer waits for this copy to end: no message may hold it up
  program_->exitRequested(static_cast<bool>(uninstalling));
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

void SystemWindow::registerShortcuts() {
  // A key held down acts once: a switch must not flip with the keyboard's repeat.
  program_->registerShortcuts([this](app::Action id, const app::Shortcut& keys) {
    return RegisterHotKey(hwnd_, static_cast<int>(id), hotKeyModifiers(keys) | MOD_NOREPEAT,
                          virtualKey(keys)) != 0;
  });
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
      if (const auto* s = reinterpret_cast<const POWERBROADCAST_SETTING*>(lp);
          wp == PBT_POWERSETTINGCHANGE && s && s->PowerSetting == GUID_CONSOLE_DISPLAY_STATE) {
        // 0 off, 1 on, 2 dimmed: back on from either.
        const DWORD state = *reinterpret_cast<const DWORD*>(s->Data);
        if (state == 1 && displayState_ != 1) program_->displayReset();
        displayState_ = state;
      }
      return TRUE;
    case WM_TIMECHANGE:  // the night light's warmth is for the new time
      program_->displayReset();
      return 0;
    case WM_DISPLAYCHANGE:
      notify_->reloadIcon(dpiOf(hwnd_));
      program_->displayReset();
      return 0;
    case WM_SETTINGCHANGE:  // broadcast to top-level windows when a taskbar moves or resizes
      if (wp == SPI_SETWORKAREA) program_->workAreaChanged();
      return 0;
    case WM_DPICHANGED:
      notify_->reloadIcon(HIWORD(wp));
      return 0;
    case WM_WTSSESSION_CHANGE:
      if (wp == WTS_SESSION_LOCK) {
        program_->sessionLocked(true);
      } else if (wp == WTS_SESSION_UNLOCK) {
        program_->sessionLocked(false);
        program_->displayReset();
        registerShortcuts();
      } else if (wp == WTS_CONSOLE_CONNECT || wp == WTS_REMOTE_CONNECT) {
        program_->displayReset();
      }
      return 0;
    case WM_COPYDATA:  // a command from a copy started with one; answered before it returns
      return receiveCommand(*program_, hwnd_, wp, lp);
    case WM_HOTKEY:
      if (wp < app::kActionCount) program_->shortcut(static_cast<app::Action>(wp));
      return 0;
    case WM_TIMER:
      if (wp == kRetryTimer) retryTick();
      return 0;
  }
  if (trayMessage_ && message == trayMessage_) {
    program_->trayNotify(lp);
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
