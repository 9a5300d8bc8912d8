#include "app/Program.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/MainWindow.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "settings/Keys.h"

namespace app {

bool iconOnlyStart(const std::vector<std::string>& arguments) {
  auto isTraySwitch = [](const std::string& argument) {
    std::string_view expected = kTraySwitch;
    return argument.size() == expected.size() && (argument[0] == '/' || argument[0] == '-') &&
           std::equal(
               argument.begin() + 1, argument.end(), expected.begin() + 1,
               [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
  };
  return std::any_of(arguments.begin(), arguments.end(), isTraySwitch);
}

Program::Program(const Services& services)
    : shell_(services.shell),
      ini_(services.profile, services.shell),
      gamma_(std::make_unique<colour::GammaEngine>(services.displays)),
      icon_(services.notify) {
  mainWindow_ = std::make_unique<MainWindow>(MainWindowServices{
      &services.host, services.clock, services.screen, services.shell, ini_, *gamma_, icon_});
  trayForm_ = std::make_unique<tray::TrayForm>(&services.host, icon_, services.notify,
                                               services.shell, services.signIn, *mainWindow_);
  trayForm_->nightLightOn = [this] { return mainWindow_->eyeCare().nightLightOn(); };
  trayForm_->toggleNightLight = [this] { toggleNightLight(); };
}

// The forms go before the engine and the store they refer to.
Program::~Program() {
  trayForm_.reset();
  mainWindow_.reset();
}

void Program::start(bool iconOnly) {
  trayForm_->start(iconOnly);
  readShortcuts();
}

void Program::exitRequested(bool uninstalling) {
  mainWindow_->sessionEnding();
  if (uninstalling && mainWindow_->loaded()) mainWindow_->eyeCare().Command3_Click();
  trayForm_->tc_Click();
}

void Program::sessionEnding() {
  mainWindow_->sessionEnding();
}

void Program::displayReset() {
  mainWindow_->displayReset();
}

void Program::sessionLocked(bool locked) {
  mainWindow_->rest().sessionLocked(locked);
}

void Program::taskbarCreated() {
  trayForm_->taskbarCreated();
}

void Program::trayNotify(std::intptr_t lParam) {
  trayForm_->trayNotify(lParam);
}

void Program::readShortcuts() {
  // Ctrl+Alt is AltGr on many layouts, but no layout puts a character on these keys.
  constexpr const char* kDefaults[] = {"Ctrl+Alt+PageDown", "Ctrl+Alt+PageUp", "Ctrl+Alt+End"};
  std::string unreadable;
  for (unsigned a = 0; a < kActionCount; ++a) {
    const char* key = settings::keys::kShortcuts[a];
    std::string& text = shortcutTexts_[a] = ini_.readini(settings::keys::kKeysSection, key);
    if (text == key) text = kDefaults[a];  // not in the file
    auto hotKey = settings::parseHotKey(text);
    if (!hotKey) {
      unreadable.append("\n").append(key).append("=").append(text);
      hotKey = settings::parseHotKey(text = kDefaults[a]);
    }
    pending_[a] = *hotKey;
  }
  if (!unreadable.empty())
    shell_.messageBox(
        "Lumora does not understand these shortcuts in config.ini and uses its own:" + unreadable,
        "Lumora", ui::MessageIcon::Warning);
}

void Program::registerShortcuts(const std::function<bool(Action, settings::HotKey)>& add) {
  std::string& note = mainWindow_->tipNote;
  note.clear();
  for (unsigned a = 0; a < kActionCount; ++a) {
    if (!pending_[a].vk || add(Action(a), pending_[a]))
      pending_[a].vk = 0;
    else
      note += (note.empty() ? "Keys taken: " : ", ") + shortcutTexts_[a];
  }
  mainWindow_->updateTip();
}

void Program::shortcut(Action action) {
  MainWindow& w = *mainWindow_;
  // The brightness slider is in reach only while eye care is on, and so are its keys.
  if (action == kEyeCare)
    w.SafeSwitch1.setValue(!w.SafeSwitch1.Value());
  else if (w.SafeSwitch1.Value())
    w.Slider1.setValue(w.Slider1.value() + (action == kDarker ? -5 : 5));
}

void Program::toggleNightLight() {
  mainWindow_->eyeCare().toggleNightLight();
}

}  // namespace app
