#pragma once
// The hidden start-up form cd: it puts the icon in the notification area, opens the main window
// and answers the icon's menu.
#include <cstdint>
#include <string>
#include <functional>

#include "tray/Menu.h"
#include "tray/Notify.h"
#include "tray/SignIn.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace tray {

class TrayForm : public ui::Form {
 public:
  TrayForm(Icon& icon, NotifyArea& area, ui::Shell& shell, SignInEntry& signIn,
           ui::Form& mainWindow);

  // Loads the form without ever showing it; the load opens the main window. With iconOnly (the
  // start at sign-in) the main window is loaded but stays hidden until "Display".
  void start(bool iconOnly = false);

  // The icon's callback message, with its lParam.
  void trayNotify(std::intptr_t lParam);
  // The shell's taskbar came back: the icon is added again.
  void taskbarCreated();

  void Form_Load();
  void runCommand(int command);
  void xs_Click();
  void mah_Click();
  void aapp_Click();
  void startWithWindows_Click();
  void tc_Click();

  const Menu& menu() const { return menu_; }

  // "Night light": whether it warms the screen (its check mark), whether it can (greyed while eye
  // care is off), and what the item runs.
  std::function<bool()> nightLightOn;
  std::function<bool()> nightLightUsable;
  std::function<void()> toggleNightLight;
  std::string nightLightKeys;  // its shortcut, shown beside it
  // The rest reminder's part of the menu as the menu opens, and what runs its entries.
  std::function<RestMenu()> restMenu;
  std::function<void(int command)> restCommand;

 private:
  Icon& icon_;
  NotifyArea& area_;
  ui::Shell& shell_;
  SignInEntry& signIn_;
  ui::Form& mainWindow_;
  Menu menu_;
  bool iconOnly_ = false;
};

}  // namespace tray
