#include "app/Program.h"

#include <algorithm>

#include "app/MainWindow.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "settings/Keys.h"
#include "ui/Text.h"

namespace app {

bool iconOnlyStart(const std::vector<std::string>& arguments) {
  auto isTraySwitch = [](const std::string& argument) {
    std::string_view expected = kTraySwitch;
    return argument.size() == expected.size() && (argument[0] == '/' || argument[0] == '-') &&
           ui::sameIgnoringCase(std::string_view(argument).substr(1), expected.substr(1));
  };
  return std::any_of(arguments.begin(), arguments.end(), isTraySwitch);
}

Program::Program(const Services& services)
    : shell_(services.shell),
      ini_(services.profile, services.shell),
      gamma_(std::make_unique<colour::GammaEngine>(services.displays)),
      icon_(services.notify) {
  mainWindow_ = std::make_unique<MainWindow>(
      MainWindowServices{&services.host, services.clock, services.screen, services.shell, ini_,
                         *gamma_, icon_, services.monitors ? *services.monitors : noMonitors_});
  mainWindow_->add(saveRetry_);
  ini_.SaveWaits = [this] { saveRetry_.setInterval(60000); };
  saveRetry_.Tick = [this] {
    if (ini_.savePending()) saveRetry_.setInterval(0);
  };
  trayForm_ = std::make_unique<tray::TrayForm>(icon_, services.notify, services.shell,
                                               services.signIn, *mainWindow_);
  // What night light does now: nothing while eye care is off.
  trayForm_->nightLightOn = [this] { return mainWindow_->eyeCare().nightLight().working(); };
  trayForm_->nightLightUsable = [this] { return mainWindow_->eyeCare().eyeOn() == "1"; };
  trayForm_->toggleNightLight = [this] { toggleNightLight(); };
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
      shell_.messageBox("Lumora does not understand the shortcut " + std::string(key) + "=" + text +
                            " in config.ini and uses " + fallback + ".",
                        ui::kProgramTitle, ui::MessageIcon::Warning);
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
    toggleNightLight();
  } else if (action == kEyeCare) {
    w.SafeSwitch1.setValue(!w.SafeSwitch1.Value());
  } else if (w.SafeSwitch1.Value()) {
    // The first press waits briefly for the monitors' answer: the backlight moves before the ramp.
    w.backlight().afterListing([&w, darker = action == kDarker] {
      w.Slider1.setValue(w.backlight().step(darker, w.Slider1.value()));
    });
  }
}

void Program::toggleNightLight() {
  mainWindow_->eyeCare().nightLight().toggle();
}

std::optional<Program::CommandReply> Program::command(std::string_view text) {
  const std::optional<Command> c = receivedCommand(text);
  if (!c || !mainWindow_->loaded()) return std::nullopt;
  namespace keys = settings::keys;
  MainWindow& w = *mainWindow_;
  colour::EyeCare& eye = w.eyeCare();
  rest::Rest& rest = w.rest();
  const bool on = c->value == 1;
  // The switch's Click runs on every assignment and reloads the stored sliders: only a change.
  const auto switchEyeCare = [&w](bool value) {
    if (w.SafeSwitch1.Value() == value) return false;
    w.SafeSwitch1.setValue(value);
    return true;
  };
  switch (c->verb) {
    case Verb::Brightness: {
      // As a person would: eye care on first, then the slider, then the panel's OK.
      std::vector<ui::ProfileEntry> entries;
      if (switchEyeCare(true)) entries.push_back({keys::kEyeSection, keys::kOn, "1"});
      w.Slider1.setValue(c->value);
      for (const auto& [key, value] : eye.storedValues())
        entries.push_back({keys::kEyeSection, key, std::to_string(value)});
      ini_.writeini(entries);
      break;
    }
    case Verb::Backlight: {
      colour::Backlight& light = w.backlight();
      light.askMonitors();
      // The monitors answer on a worker: until they have, the command is offered again.
      if (!light.monitorsListed()) return std::nullopt;
      if (!light.available())
        return CommandReply{kRefused, std::string(colour::kNoDdcStatus) + "\n"};
      // The slider (or the display's own level), eye care on, then the panel's OK.
      if (c->display.empty())
        light.setLevel(c->value);
      else if (!light.setLevel(c->value, c->display))
        return CommandReply{kRefused, "No display \"" + c->display + "\" answers.\n"};
      std::vector<ui::ProfileEntry> entries = light.storedEntries();
      if (switchEyeCare(true)) entries.push_back({keys::kEyeSection, keys::kOn, "1"});
      ini_.writeini(entries);
      break;
    }
    case Verb::EyeCare:
      switchEyeCare(on);
      ini_.writeini(keys::kEyeSection, keys::kOn, on ? "1" : "0");
      break;
    case Verb::NightLight:
      if (eye.nightLight().on() != on) toggleNightLight();  // stores it
      break;
    case Verb::Pause:
      if (c->value == kTomorrow)
        rest.pause(rest::PauseFor::Tomorrow);
      else
        rest.pause(c->value);
      break;
    case Verb::Resume:
      if (rest.paused()) rest.resume();
      break;
    case Verb::Rest:
      rest.restNow();
      break;
    case Verb::Status: {
      Status s;
      s.eyeCare = w.SafeSwitch1.Value();
      s.brightness = w.Slider1.value();
      if (w.backlight().available()) s.backlight = w.backlight().level();
      s.displays = w.backlight().levels();
      s.nightLight = eye.nightLight().on();
      s.warmth = eye.nightLight().kelvin();
      s.nextRest = rest.nextRest();
      s.hours = rest::hoursStatus(rest.hours());
      if (rest.paused()) s.pausedUntil = ini_.readini(keys::kRestSection, keys::kPausedUntil);
      return CommandReply{kDone, statusText(s)};
    }
    case Verb::Help:
      break;
  }
  return CommandReply{};
}

}  // namespace app
