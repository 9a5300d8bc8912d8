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
  kRestNow = 7,
  kLater = 8,
  kSkipRest = 9,
  kPauseHalfHour = 10,
  kPauseHour = 11,
  kPauseTomorrow = 12,
  kResume = 13,
};

// One entry; an entry with items opens a sub-menu and has no command of its own; one without a
// caption is a separator line.
struct MenuItem {
  std::string name;     // the program's identifier (xs, mah ...)
  std::string caption;  // UTF-8, shown exactly so
  int command = kNoCommand;
  std::vector<MenuItem> items;
  bool checked = false;  // shown with a check mark
  bool enabled = true;
};

using Menu = MenuItem;

// What the rest reminder offers at the moment the menu opens.
struct RestMenu {
  bool prompt = false;  // a prompt is up: its answers are offered too
  bool canPutOff = true;
  bool paused = false;
};

// The root "cd" with Display, Tavik:Health: , About > About APP, Start with Windows, Night light,
// Pause reminders, Exit; while a prompt is up, its answers first.
Menu trayMenu(const RestMenu& rest = {});

// The entry that runs command, searched through the sub-menus; null when there is none.
MenuItem* findCommand(Menu& menu, int command);

enum class TrayAction { None, OpenMenu };

// The icon reports its mouse message in the low word of the callback's lParam: a left or right
// button released over the icon opens the menu; moves, presses and double-clicks do nothing.
TrayAction trayAction(std::intptr_t lParam);

}  // namespace tray
