#include "app/Program.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/MainWindow.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"

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
    : ini_(services.profile, services.shell),
      gamma_(std::make_unique<colour::GammaEngine>(services.displays)),
      icon_(services.notify) {
  mainWindow_ = std::make_unique<MainWindow>(MainWindowServices{
      &services.host, services.clock, services.screen, services.shell, ini_, *gamma_, icon_});
  trayForm_ = std::make_unique<tray::TrayForm>(&services.host, icon_, services.notify,
                                               services.shell, services.signIn, *mainWindow_);
  rest::Rest& rest = mainWindow_->rest();
  trayForm_->restMenu = [&rest] {
    return tray::RestMenu{rest.prompt() != nullptr, rest.canPutOff(), rest.paused()};
  };
  trayForm_->restCommand = [&rest](int command) {
    if (command == tray::kRestNow) rest.restNow();
    if (command == tray::kLater) rest.later();
    if (command == tray::kSkipRest) rest.decline();
    if (command == tray::kResume) rest.resume();
    // The pause entries follow the order of PauseFor.
    if (command >= tray::kPauseHalfHour && command <= tray::kPauseTomorrow)
      rest.pause(static_cast<rest::PauseFor>(command - tray::kPauseHalfHour));
  };
}

// The forms go before the engine and the store they refer to.
Program::~Program() {
  trayForm_.reset();
  mainWindow_.reset();
}

void Program::start(bool iconOnly) {
  trayForm_->start(iconOnly);
}

void Program::exitRequested() {
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

}  // namespace app
