#include "app/Program.h"

#include "app/MainWindow.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"

namespace app {

Program::Program(const Services& services)
    : ini_(services.profile, services.shell),
      gamma_(std::make_unique<colour::GammaEngine>(services.gamma)),
      icon_(services.notify) {
  mainWindow_ = std::make_unique<MainWindow>(MainWindowServices{
      &services.host, services.clock, services.screen, services.shell, ini_, *gamma_, icon_});
  trayForm_ = std::make_unique<tray::TrayForm>(&services.host, icon_, services.notify,
                                               services.shell, *mainWindow_);
}

// The forms go before the engine and the store they refer to.
Program::~Program() {
  trayForm_.reset();
  mainWindow_.reset();
}

void Program::start() {
  trayForm_->start();
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
