#include "tray/TrayForm.h"

namespace tray {

// Never seen, the form has no window: the icon's messages go to the program's system window.
TrayForm::TrayForm(Icon& icon, NotifyArea& area, ui::Shell& shell, SignInEntry& signIn,
                   ui::Form& mainWindow)
    : ui::Form("cd", nullptr),
      icon_(icon),
      area_(area),
      shell_(shell),
      signIn_(signIn),
      mainWindow_(mainWindow),
      menu_(trayMenu()) {
  setCaption("Form3");
  setBorder(ui::Border::Sizable);
  setPlace({0, 0, 4560, 3030});
  Load = [this] { Form_Load(); };
}

void TrayForm::start(bool iconOnly) {
  iconOnly_ = iconOnly;
  // Hiding an unloaded form loads it (creating its window hidden) without showing it.
  hide();
}

void TrayForm::Form_Load() {
  icon_.fill(area_.windowHandle(), area_.iconHandle());
  hide();
  // Hiding an unloaded main window runs its load step (reminders, eye care) and shows nothing.
  if (iconOnly_)
    mainWindow_.hide();
  else
    mainWindow_.show();
  // After the window: the add waits for the notification area, which may itself be starting.
  icon_.add();
}

void TrayForm::trayNotify(std::intptr_t lParam) {
  if (trayAction(lParam) != TrayAction::OpenMenu) return;
  menu_ = trayMenu(restMenu ? restMenu() : RestMenu{});
  // The entry may have changed outside the program (Task Manager, an installer): ask each time.
  findCommand(menu_, kStartWithWindows)->checked = signIn_.enabled();
  MenuItem* night = findCommand(menu_, kNightLight);
  night->checked = nightLightOn && nightLightOn();
  night->enabled = !nightLightUsable || nightLightUsable();
  night->caption = "Night light" + (nightLightKeys.empty() ? "" : "\t" + nightLightKeys);
  runCommand(area_.popupMenu(menu_));
}

void TrayForm::taskbarCreated() {
  icon_.readd();
}

void TrayForm::runCommand(int command) {
  switch (command) {
    case kDisplay:
      xs_Click();
      break;
    case kHealth:
      mah_Click();
      break;
    case kAboutApp:
      aapp_Click();
      break;
    case kStartWithWindows:
      startWithWindows_Click();
      break;
    case kExit:
      tc_Click();
      break;
    case kNightLight:
      if (toggleNightLight) toggleNightLight();
      break;
    default:
      if (restCommand) restCommand(command);
      break;
  }
}

void TrayForm::xs_Click() {
  mainWindow_.show();
}

void TrayForm::mah_Click() {
  shell_.openUrl(healthPageUrl());
}

void TrayForm::aapp_Click() {
  shell_.openUrl(productPageUrl());
}

void TrayForm::startWithWindows_Click() {
  bool on = !signIn_.enabled();
  if (!signIn_.setEnabled(on))
    shell_.messageBox(on ? "Lumora could not add itself to the programs that start with Windows."
                         : "Lumora could not remove itself from the programs that start with "
                           "Windows.",
                      ui::kProgramTitle, ui::MessageIcon::Warning);
}

void TrayForm::tc_Click() {
  // Nothing is saved on this way out, and the display keeps its ramp.
  icon_.remove();
  shell_.quit();
}

}  // namespace tray
