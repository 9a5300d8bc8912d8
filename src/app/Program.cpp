#include "app/Program.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "app/MainWindow.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "settings/Keys.h"

namespace app {

namespace {

// MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN shifted by 8; VK_PRIOR-VK_DOWN, VK_INSERT, VK_DELETE.
constexpr std::pair<std::string_view, unsigned> kNames[] = {
    {"alt", 0x100},     {"ctrl", 0x200}, {"shift", 0x400}, {"win", 0x800},  {"pageup", 0x21},
    {"pagedown", 0x22}, {"end", 0x23},   {"home", 0x24},   {"left", 0x25},  {"up", 0x26},
    {"right", 0x27},    {"down", 0x28},  {"insert", 0x2D}, {"delete", 0x2E}};
constexpr unsigned kF1 = 0x70, kFunctionKeys = 24;  // VK_F1 to VK_F24

// The code of a name in lower case, 0 for none; letters and digits are their own codes.
unsigned code(std::string_view name) {
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<unsigned>(std::toupper(static_cast<unsigned char>(name[0])));
  for (unsigned n = 1; n <= kFunctionKeys; ++n)
    if (name.starts_with('f') && name.substr(1) == std::to_string(n)) return kF1 + n - 1;
  for (const auto& [known, c] : kNames)
    if (known == name) return c;
  return 0;
}

}  // namespace

std::optional<HotKey> parseHotKey(std::string_view text) {
  std::string s;  // "Page Down" is "pagedown"
  for (char ch : text)
    if (!std::isspace(static_cast<unsigned char>(ch)))
      s += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  HotKey key;
  if (s.empty()) return key;
  std::string_view rest = s;
  for (std::size_t plus; (plus = rest.find('+')) != rest.npos; rest.remove_prefix(plus + 1)) {
    const unsigned modifier = code(rest.substr(0, plus));
    if (modifier < 0x100) return std::nullopt;
    key.modifiers |= modifier >> 8;
  }
  key.vk = code(rest);
  const bool functionKey = key.vk >= kF1 && key.vk < kF1 + kFunctionKeys;
  if (!key.vk || key.vk >= 0x100 || (!key.modifiers && !functionKey)) return std::nullopt;
  return key;
}

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
  trayForm_ = std::make_unique<tray::TrayForm>(icon_, services.notify, services.shell,
                                               services.signIn, *mainWindow_);
  trayForm_->nightLightOn = [this] { return mainWindow_->eyeCare().nightLightOn(); };
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
  for (unsigned a = 0; a < kActionCount; ++a) {
    const auto& [key, fallback] = settings::keys::kShortcuts[a];
    std::string& text = shortcutTexts_[a] = ini_.readini(settings::keys::kKeysSection, key);
    if (text == key) text = fallback;  // not in the file
    auto hotKey = parseHotKey(text);
    if (!hotKey)
      shell_.messageBox("Lumora does not understand the shortcut " + std::string(key) + "=" + text +
                            " in config.ini and uses " + fallback + ".",
                        ui::kProgramTitle, ui::MessageIcon::Warning);
    if (!hotKey) hotKey = parseHotKey(text = fallback);
    pending_[a] = *hotKey;
  }
  trayForm_->nightLightKeys = shortcutTexts_[kNightLight];
}

void Program::registerShortcuts(const std::function<bool(Action, HotKey)>& add) {
  std::string& note = mainWindow_->tipNote;
  note.clear();
  for (unsigned a = 0; a < kActionCount; ++a)
    if (pending_[a].vk && !add(Action(a), pending_[a]))
      note += (note.empty() ? "Keys taken: " : ", ") + shortcutTexts_[a];
    else
      pending_[a].vk = 0;
  mainWindow_->updateTip();
}

void Program::shortcut(Action action) {
  MainWindow& w = *mainWindow_;  // the brightness keys, like the slider, only with eye care on
  if (action == kNightLight)
    toggleNightLight();
  else if (action == kEyeCare)
    w.SafeSwitch1.setValue(!w.SafeSwitch1.Value());
  else if (w.SafeSwitch1.Value())
    w.Slider1.setValue(w.Slider1.value() + (action == kDarker ? -5 : 5));
}

void Program::toggleNightLight() {
  mainWindow_->eyeCare().toggleNightLight();
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
    case Verb::Backlight:
      // HOOK(backlight): where a display answers DDC/CI, switch eye care on as for brightness,
      // set the backlight through its control's setter and store it; until then it is refused
      // and nothing changes.
      return CommandReply{kRefused, "No display answers DDC/CI\n"};
    case Verb::EyeCare:
      switchEyeCare(on);
      ini_.writeini(keys::kEyeSection, keys::kOn, on ? "1" : "0");
      break;
    case Verb::NightLight:
      if (eye.nightLightOn() != on) toggleNightLight();  // stores it
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
      s.nightLight = eye.nightLightOn();
      s.warmth = eye.warmth();
      s.nextRest = rest.restOn() == "1" ? w.Text1.text() : "off";
      if (rest.paused()) s.pausedUntil = ini_.readini(keys::kRestSection, keys::kPausedUntil);
      return CommandReply{kDone, statusText(s)};
    }
    case Verb::Help:
      break;
  }
  return CommandReply{};
}

}  // namespace app
