#include "app/Program.h"

#include <algorithm>

#include "app/MainWindow.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "settings/Keys.h"
#include "ui/Text.h"

namespace app {

bool iconOnlyStart(const std::vector<std::string>& arguments) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [](const std::string& argument) { return isTraySwitch(argument); });
}

Program::Program(const Services& services)
    : shell_(services.shell, services.host),
      ini_(services.profile, shell_),
      gamma_(std::make_unique<colour::GammaEngine>(services.displays)),
      icon_(services.notify) {
  mainWindow_ = std::make_unique<MainWindow>(
      MainWindowServices{&services.host, services.clock, services.screen, shell_, ini_, *gamma_,
                         icon_, services.monitors ? *services.monitors : noMonitors_});
  mainWindow_->add(saveRetry_);
  ini_.SaveWaits = [this] { saveRetry_.setInterval(60000); };
  saveRetry_.Tick = [this] {
    if (ini_.savePending()) saveRetry_.setInterval(0);
  };
  trayForm_ = std::make_unique<tray::TrayForm>(icon_, services.notify, shell_, services.signIn,
                                               *mainWindow_);
  // What night light does now: nothing while eye care is off.
  trayForm_->nightLightOn = [this] { return mainWindow_->eyeCare().nightLight().working(); };
  trayForm_->nightLightUsable = [this] { return mainWindow_->eyeCare().eyeOn() == "1"; };
  trayForm_->toggleNightLight = [this] { mainWindow_->eyeCare().nightLight().toggle(); };
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
  readShortcuts();
  // Commands wait until here: a box shown during the load must not let one act half loaded.
  ready_ = true;
  // Damaged values of every section are named together, once.
  if (const std::string text = ini_.ignored.message(); !text.empty())
    shell_.messageBox(text, ui::kProgramTitle, ui::MessageIcon::Warning);
}

void Program::exitRequested(bool uninstalling) {
  sessionEnding();
  if (uninstalling && mainWindow_->loaded()) mainWindow_->eyeCare().Command3_Click();
  trayForm_->tc_Click();
}

void Program::sessionEnding() {
  mainWindow_->sessionEnding();
  ini_.saveBeforeExit();
}

void Program::displayReset() {
  mainWindow_->displayReset();
}

void Program::workAreaChanged() {
  mainWindow_->rest().workAreaChanged();
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
  for (unsigned a = 0; a < kActionCount; ++a) {
    const auto& [key, fallback] = settings::keys::kShortcuts[a];
    std::string& text = shortcutTexts_[a] = ini_.readini(settings::keys::kKeysSection, key);
    if (text == key) text = fallback;  // not in the file
    std::optional<Shortcut> shortcut = parseShortcut(text);
    if (!shortcut) {
      ini_.ignored.add(settings::keys::kKeysSection, key, text, fallback);
      text = fallback;
      shortcut = parseShortcut(text);
    }
    pending_[a] = *shortcut;
  }
  trayForm_->nightLightKeys = shortcutTexts_[kNightLight];
}

void Program::registerShortcuts(const std::function<bool(Action, const Shortcut&)>& add) {
  std::string& note = mainWindow_->tipNote;
  note.clear();
  for (unsigned a = 0; a < kActionCount; ++a) {
    if (pending_[a].key == KeyKind::None || add(Action(a), pending_[a])) {
      pending_[a] = {};
      continue;
    }
    // Held by another program: offered again next time.
    if (note.empty())
      note = "Keys taken: ";
    else
      note += ", ";
    note += shortcutTexts_[a];
  }
  mainWindow_->updateTip();
}

void Program::shortcut(Action action) {
  MainWindow& w = *mainWindow_;  // the brightness keys, like the slider, only with eye care on
  if (action == kNightLight) {
    w.eyeCare().nightLight().toggle();
  } else if (action == kEyeCare) {
    w.SafeSwitch1.setValue(!w.SafeSwitch1.Value());
  } else if (w.SafeSwitch1.Value()) {
    // The first press waits briefly for the monitors' answer: the backlight moves before the ramp.
    w.backlight().afterListing([&w, darker = action == kDarker] {
      w.Slider1.setValue(w.backlight().step(darker, w.Slider1.value()));
    });
  }
}

std::optional<CommandReply> Program::command(std::string_view text) {
  const std::optional<Command> c = receivedCommand(text);
  if (!c || !ready_) return std::nullopt;
  shell_.holdBoxes();
  std::optional<CommandReply> reply = runCommand(*c, *mainWindow_, ini_, *gamma_);
  const std::string held = shell_.takeHeld();
  if (reply) reply->output += held;
  return reply;
}

}  // namespace app
