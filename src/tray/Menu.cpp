#include "tray/Menu.h"

namespace tray {

std::string healthPageUrl() {
  return std::string("http://") + kProductHost + "/do/health.html";
}

std::string productPageUrl() {
  return std::string("http://") + kProductHost + "/apps/lumora/index.html?v=1.0";
}

Menu trayMenu(const RestMenu& rest) {
  Menu root{"cd", "cd", kNoCommand, {}};
  if (rest.prompt) {
    root.items.push_back({"restNow", "Rest now", kRestNow, {}});
    root.items.push_back({"later", "Later", kLater, {}, false, rest.canPutOff});
    root.items.push_back({"skipRest", "Skip this rest", kSkipRest, {}});
    // The prompt's answers stand apart from the entries that are always there.
    root.items.push_back({"promptEnd", "", kNoCommand, {}});
  }
  root.items.push_back({"xs", "Display", kDisplay, {}});
  root.items.push_back({"mah", "Tavik:Health: ", kHealth, {}});
  root.items.push_back({"abt", "About", kNoCommand, {{"aapp", "About APP", kAboutApp, {}}}});
  root.items.push_back({"startWithWindows", "Start with Windows", kStartWithWindows, {}});
  root.items.push_back({"nightLight", "Night light", kNightLight, {}});
  MenuItem pause{"pause", "Pause reminders", kNoCommand, {}};
  pause.items = {{"pause30", "For 30 minutes", kPauseHalfHour, {}},
                 {"pause60", "For an hour", kPauseHour, {}},
                 {"pauseTomorrow", "Until tomorrow", kPauseTomorrow, {}}};
  if (rest.paused) pause.items.push_back({"resume", "Resume now", kResume, {}});
  root.items.push_back(std::move(pause));
  root.items.push_back({"tc", "Exit", kExit, {}});
  return root;
}

MenuItem* findCommand(Menu& menu, int command) {
  for (MenuItem& item : menu.items) {
    if (item.command == command) return &item;
    if (MenuItem* found = findCommand(item, command)) return found;
  }
  return nullptr;
}

TrayAction trayAction(std::intptr_t lParam) {
  constexpr std::intptr_t kLeftButtonUp = 0x0202;
  constexpr std::intptr_t kRightButtonUp = 0x0205;
  std::intptr_t message = lParam & 0xFFFF;
  if (message == kLeftButtonUp || message == kRightButtonUp) return TrayAction::OpenMenu;
  return TrayAction::None;
}

}  // namespace tray
