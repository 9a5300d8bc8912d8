#pragma once
// The program's objects for one run: the settings store, the gamma engine, the main window and
// the tray form. WinMain creates it after the single-instance check and forwards system events.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Command.h"
#include "app/Shortcut.h"
#include "settings/Ini.h"
#include "tray/Notify.h"
#include "tray/SignIn.h"
#include "tray/TrayForm.h"
#include "ui/Form.h"
#include "ui/System.h"

#include "colour/Backlight.h"

namespace colour {
class GammaEngine;
}  // namespace colour

namespace app {

class MainWindow;

struct Services {
  ui::FormHost& host;
  ui::Clock& clock;
  ui::DisplaySet& displays;
  ui::ProfileStore& profile;
  ui::Screen& screen;
  ui::Shell& shell;
  tray::NotifyArea& notify;
  tray::SignInEntry& signIn;
  colour::MonitorControl* monitors = nullptr;  // the backlights; none answer without it
};

// The switch the sign-in entry passes: start with the icon only.
constexpr const char* kTraySwitch = "/tray";

// Whether the command-line arguments (without the program's own name) ask for the icon-only
// start: "/tray" or "-tray" in any case.
bool iconOnlyStart(const std::vector<std::string>& arguments);

class Program {
 public:
  explicit Program(const Services& services);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Loads the tray form, which adds the icon and opens the main window (loaded but hidden when
  // iconOnly), reads the shortcuts and names every stored value it could not use.
  void start(bool iconOnly = false);
  // The installer or the uninstaller asked this copy to end: it saves as at a session's end and
  // ends as the tray menu's Exit; the uninstalled copy first puts the default ramp back.
  void exitRequested(bool uninstalling = false);

  // WM_QUERYENDSESSION / WM_ENDSESSION: the settings are saved.
  void sessionEnding();
  // Display mode change, resume, unlock: the display may have dropped our ramp, and monitors may
  // have come or gone (a rest screen follows them).
  void displayReset();
  // A taskbar moved, appeared or changed size.
  void workAreaChanged();
  // WTS_SESSION_LOCK / WTS_SESSION_UNLOCK.
  void sessionLocked(bool locked);
  // "TaskbarCreated": the shell restarted and lost the icon.
  void taskbarCreated();
  // The icon's callback message, with its lParam.
  void trayNotify(std::intptr_t lParam);

  // [keys]: a text that does not parse is named with the other ignored values, its default taken.
  void readShortcuts();
  // Offers each shortcut not registered yet to add (false: another program holds it); those held
  // elsewhere are named in the icon's tip.
  void registerShortcuts(const std::function<bool(Action, const Shortcut&)>& add);
  void shortcut(Action action);

  // A command handed over by a copy started with one (runCommand). Nothing when the text is no
  // valid command, or before the settings are read: the text is ignored.
  std::optional<CommandReply> command(std::string_view text);
  // Whether the settings are read: a command taken before would act on a half-loaded window.
  bool ready() const { return ready_; }

  MainWindow& mainWindow() { return *mainWindow_; }
  tray::TrayForm& trayForm() { return *trayForm_; }
  tray::Icon& icon() { return icon_; }
  settings::Ini& ini() { return ini_; }

 private:
  CommandShell shell_;
  settings::Ini ini_;
  bool ready_ = false;
  ui::Timer saveRetry_{"saveRetry"};  // runs only while a save waits
  std::array<std::string, kActionCount> shortcutTexts_;
  std::array<Shortcut, kActionCount> pending_;  // KeyKind::None once registered, and for none
  std::unique_ptr<colour::GammaEngine> gamma_;
  colour::NoMonitors noMonitors_;
  tray::Icon icon_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::unique_ptr<tray::TrayForm> trayForm_;
};

}  // namespace app
