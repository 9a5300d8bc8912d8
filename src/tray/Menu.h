#pragma once
// The tray form's pop-up menu, the decoding of the icon's callback and the product's web pages.
#include <cstdint>
#include <string>
#include <vector>

namespace tray {

// The product web site's host; both pages live on it.
constexpr const char* kProductHost = "www.tavik.example";

std::string healthPageUrl();
std::string productPageUrl();

// Command ids of the menu entries; 0 means the menu was dismissed.
enum Command : int {
  kNoCommand = 0,
  kDisplay = 1,   // xs
  kHealth = 2,    // mah
  kAboutApp = 3,  // aapp
  kExit = 4,      // tc
  kStartWithWindows = 5,
  kNightLight = 6,
};

// One entry; an entry with items opens a sub-menu and has no command of its own.
struct MenuItem {
  std::string name;     // the program's identifier (xs, mah ...)
  std::string caption;  // UTF-8, shown exactly so
  int command = kNoCommand;
  std::vector<MenuItem> items;
  bool checked = false;  // shown with a check mark
};

using Menu = MenuItem;

// The root "cd" with Display, Tavik:Health: , About > About APP, Start with Windows, Night light,
// Exit.
Menu trayMenu();

// The entry that runs command, searched through the sub-menus; null when there is none.
MenuItem* findCommand(Menu& menu, int command);

enum class TrayAction { None, OpenMenu };

// The icon reports its mouse message in the low word of the callback's lParam: a left or right
// button released over the icon opens the menu; moves, presses and double-clicks do nothing.
TrayAction trayAction(std::intptr_t lParam);

}  // namespace tray
