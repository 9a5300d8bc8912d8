#pragma once
// The one place system events arrive: end of session, power, display changes, session lock and
// unlock, "TaskbarCreated", the notification icon's callback, the backend's posted work. Each
// reaches the program's portable methods directly.
//
// A hidden top-level window rather than a message-only one: message-only windows receive no
// broadcasts, and the end of the session, power, display changes and "TaskbarCreated" are all
// broadcast. It also owns every form that has no taskbar button.
#include <windows.h>

#include <functional>

#include "win32/Handles.h"
#include "win32/Window.h"

namespace app {
class Program;
}  // namespace app

namespace win32 {

class NotifyArea;
class Shell;

class SystemWindow : public Window {
 public:
  explicit SystemWindow(Backend& backend, std::function<void()> runPosted);
  ~SystemWindow() override;

  // From now on system events reach the program.
  void deliverTo(app::Program& program, Shell& shell, NotifyArea& notify);
  // Asks for what comes only to those who ask: session lock, unlock and reconnect, a display
  // powering on, the input desktop switching back (after the secure desktop).
  void askForSessionNotifications();

  // The message the icon's callback arrives as (it is addressed to this window).
  void expectTrayCallback(UINT message) { trayMessage_ = message; }

  // Another program (the installer) asked the program to end; it arrives on the message loop.
  void exitRequested();

  // The icon could not be added: at sign-in the notification area is often not ready yet. The
  // add is tried again every few seconds for a while, and again on "TaskbarCreated".
  void retryIconAdd();

  // Registers the program's shortcuts; those another program holds are tried after each unlock.
  void registerShortcuts();
  static constexpr UINT kPostedWork = WM_APP + 1;

 protected:
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override;

 private:
  void retryTick();
  static void CALLBACK desktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

  std::function<void()> runPosted_;
  app::Program* program_ = nullptr;
  Shell* shell_ = nullptr;
  NotifyArea* notify_ = nullptr;
  const UINT taskbarCreated_;
  UINT trayMessage_ = 0;
  int retriesLeft_ = 0;
  UniquePowerNotify displayPower_;
  DWORD displayState_ = 1;  // on
  UniqueWinEventHook desktopSwitch_;
};

}  // namespace win32
