#include "app/Command.h"

#include <algorithm>
#include <utility>

#include "app/MainWindow.h"
#include "app/Program.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "rest/RestSchedule.h"
#include "settings/Keys.h"
#include "settings/Values.h"
#include "ui/Text.h"

namespace app {

namespace {

enum class Takes { Nothing, Number, OnOff, Minutes };

struct VerbRule {
  Verb verb;
  const char* name;  // after the "/"
  Takes takes;
  int min, max;
  const char* wants;  // what the value must be, for the message
};

constexpr VerbRule kVerbs[] = {
    {Verb::Brightness, "brightness", Takes::Number, -50, 50, "a whole number from -50 to 50"},
    {Verb::Backlight, "backlight", Takes::Number, 0, 100, "a whole number from 0 to 100"},
    {Verb::EyeCare, "eyecare", Takes::OnOff, 0, 1, "on or off"},
    {Verb::NightLight, "nightlight", Takes::OnOff, 0, 1, "on or off"},
    {Verb::Pause, "pause", Takes::Minutes, 1, 1440, "whole minutes from 1 to 1440, or tomorrow"},
    {Verb::Resume, "resume", Takes::Nothing, 0, 0, ""},
    {Verb::Rest, "rest", Takes::Nothing, 0, 0, ""},
    {Verb::Status, "status", Takes::Nothing, 0, 0, ""},
    {Verb::Help, "?", Takes::Nothing, 0, 0, ""},
};

// "/name" or "-name" in any case: the name in lower case; empty when it is no switch.
std::string switchName(std::string_view argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return "";
  return ui::asciiLower(argument.substr(1));
}

}  // namespace

bool isTraySwitch(std::string_view argument) {
  return switchName(argument) == std::string_view(kTraySwitch).substr(1);
}

namespace {

// An argument as a message quotes it: cut short when long, and named when empty.
std::string quoted(std::string_view argument) {
  constexpr std::size_t kShown = 40;
  if (argument.empty()) return "an empty argument";
  std::size_t end = std::min(argument.size(), kShown);  // not inside a UTF-8 character
  while (end > 0 && end < argument.size() &&
         (static_cast<unsigned char>(argument[end]) & 0xC0) == 0x80)
    --end;
  std::string text(1, '"');  // appended apart: GCC 12 warns wrongly of "\"" + std::string
  text.append(argument.substr(0, end)).append(end < argument.size() ? "...\"" : "\"");
  return text;
}

std::optional<int> valueOf(const VerbRule& rule, std::string_view text) {
  std::string word = ui::asciiLower(text);
  if (word.size() > 1 && word[0] == '+' && word[1] >= '0' && word[1] <= '9') word.erase(0, 1);
  switch (rule.takes) {
    case Takes::Number:
      return settings::wholeNumber(word, rule.min, rule.max);
    case Takes::OnOff:
      if (word == "on") return 1;
      if (word == "off") return 0;
      return std::nullopt;
    case Takes::Minutes:
      if (word == "tomorrow") return kTomorrow;
      return settings::wholeNumber(word, rule.min, rule.max);
    case Takes::Nothing:
      break;
  }
  return std::nullopt;
}

const VerbRule* ruleOf(Verb verb) {
  for (const VerbRule& rule : kVerbs)
    if (rule.verb == verb) return &rule;
  return nullptr;
}

ParsedCommand bad(std::string message) {
  return {std::nullopt, std::move(message)};
}

}  // namespace

const char* const kCommandHelp =
    "Lumora.exe [/command [value]]   hands the command to the running Lumora\n"
    "  /brightness N      brightness, -50 to 50 (switches eye care on)\n"
    "  /backlight N       display backlight in percent, 0 to 100, where a display answers "
    "DDC/CI\n"
    "  /backlight N DISPLAY  one display's backlight: its number or its name\n"
    "  /eyecare on|off    eye care\n"
    "  /nightlight on|off night light\n"
    "  /pause MINUTES     pause rest reminders, 1 to 1440 minutes\n"
    "  /pause tomorrow    pause rest reminders until tomorrow\n"
    "  /resume            resume rest reminders\n"
    "  /rest              a rest now\n"
    "  /status            what is in force, one key=value a line\n"
    "  /tray              start with the icon only\n"
    "  /?                 this list\n"
    "Names in any case; - may stand for /. Exit code 0 done, 1 refused or not saved, 2 bad "
    "arguments.\n";

ParsedCommand parseCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string_view> words;
  for (const std::string& argument : arguments)
    if (!isTraySwitch(argument)) words.push_back(argument);
  if (words.empty()) return {};

  const std::string name = switchName(words[0]);
  const auto rule = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                 [&name](const VerbRule& v) { return name == v.name; });
  if (rule == std::end(kVerbs))
    return bad("Lumora does not know " + quoted(words[0]) + ". Lumora.exe /? lists the commands.");
  Command command{rule->verb, 0, ""};
  const std::string shown = "/" + name;
  std::size_t used = 1;
  if (rule->takes != Takes::Nothing) {
    if (words.size() < 2) return bad(shown + " needs " + rule->wants + ".");
    const std::optional<int> value = valueOf(*rule, words[1]);
    if (!value) return bad(shown + " needs " + rule->wants + ", not " + quoted(words[1]) + ".");
    command.value = *value;
    used = 2;
  }
  // The rest names one display, spaces and all: "/backlight 40 Built-in display".
  for (; rule->verb == Verb::Backlight && used < words.size(); ++used) {
    if (!command.display.empty()) command.display += ' ';
    command.display += words[used];
  }
  if (words.size() > used)
    return bad("Lumora takes one command at a time: " + quoted(words[used]) + " after " + shown +
               " is not understood.");
  return {command, ""};
}

std::string commandText(const Command& command) {
  const VerbRule& rule = *ruleOf(command.verb);
  std::string text = std::string("/") + rule.name;
  if (rule.takes == Takes::OnOff) text += command.value ? " on" : " off";
  if (rule.takes == Takes::Minutes && command.value == kTomorrow) return text + " tomorrow";
  if (rule.takes == Takes::Number || rule.takes == Takes::Minutes) {
    text += ' ';  // appended apart: GCC 12 warns wrongly of " " + std::to_string
    text += std::to_string(command.value);
  }
  if (!command.display.empty()) {
    text += ' ';
    text += command.display;
  }
  return text;
}

std::optional<Command> receivedCommand(std::string_view text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  for (std::size_t space; (space = text.find(' ', start)) != text.npos; start = space + 1)
    words.emplace_back(text.substr(start, space - start));
  words.emplace_back(text.substr(start));
  const ParsedCommand parsed = parseCommand(words);
  // Only the exact text commandText makes: "/tray" or a control character cannot slip through.
  if (!parsed.command || parsed.command->verb == Verb::Help || commandText(*parsed.command) != text)
    return std::nullopt;
  return parsed.command;
}

std::optional<CommandReply> runCommand(const Command& c, MainWindow& w, settings::Ini& ini,
                                       const colour::GammaEngine& gamma) {
  namespace keys = settings::keys;
  colour::EyeCare& eye = w.eyeCare();
  rest::Rest& rest = w.rest();
  const bool on = c.value == 1;
  // The switch's Click runs on every assignment and reloads the stored sliders: only a change.
  const auto switchEyeCare = [&w](bool value) {
    if (w.SafeSwitch1.Value() == value) return false;
    w.SafeSwitch1.setValue(value);
    return true;
  };
  std::vector<ui::ProfileEntry> entries;  // as the panel's OK stores them
  switch (c.verb) {
    case Verb::Brightness: {
      // As a person would: eye care on first, then the slider, then the panel's OK.
      if (switchEyeCare(true)) entries.push_back({keys::kEyeSection, keys::kOn, "1"});
      w.Slider1.setValue(c.value);
      for (const auto& [key, value] : eye.storedValues())
        entries.push_back({keys::kEyeSection, key, std::to_string(value)});
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
      if (c.display.empty())
        light.setLevel(c.value);
      else if (!light.setLevel(c.value, c.display))
        return CommandReply{kRefused, "No display \"" + c.display + "\" answers.\n"};
      entries = light.storedEntries();
      if (switchEyeCare(true)) entries.push_back({keys::kEyeSection, keys::kOn, "1"});
      break;
    }
    case Verb::EyeCare:
      switchEyeCare(on);
      entries.push_back({keys::kEyeSection, keys::kOn, on ? "1" : "0"});
      break;
    case Verb::NightLight:
      if (eye.nightLight().on() != on) eye.nightLight().toggle();  // stores it
      break;
    case Verb::Pause:
      if (c.value == kTomorrow)
        rest.pause(rest::PauseFor::Tomorrow);
      else
        rest.pause(c.value);
      break;
    case Verb::Resume:
      rest.resume();  // not paused: nothing moves
      break;
    case Verb::Rest:
      rest.restNow();
      break;
    case Verb::Status: {
      const auto onOff = [](bool value) { return value ? "on\n" : "off\n"; };
      const bool answers = w.backlight().available();
      const std::optional<long long> until = rest.pausedUntil();  // in force, stored or not
      std::string text = std::string("eyecare=") + onOff(w.SafeSwitch1.Value());
      text += "brightness=" + std::to_string(w.Slider1.value()) + "\n";
      text += "backlight=" + (answers ? std::to_string(w.backlight().level()) : "none") + "\n";
      for (const auto& [name, level] : w.backlight().levels())
        text += "backlight " + name + "=" + std::to_string(level) + "\n";
      text += std::string("nightlight=") + onOff(eye.nightLight().on());
      text += "warmth=" + std::to_string(eye.nightLight().kelvin()) + "\n";
      text += "nextrest=" + rest.nextRest() + "\n";
      text += "hours=" + rest::hoursStatus(rest.hours()) + "\n";
      text += "paused_until=" + (until ? rest::formatMoment(*until) : "") + "\n";
      return CommandReply{kDone, text};
    }
    case Verb::Help:
      break;
  }
  if (!entries.empty()) ini.writeini(entries);
  CommandReply reply;
  const colour::SendResult sent = gamma.result();
  if ((c.verb == Verb::Brightness || c.verb == Verb::EyeCare) &&
      (sent == colour::SendResult::Refused || sent == colour::SendResult::Unreadable)) {
    reply.exitCode = kRefused;
    reply.output = w.colourStatus.text() + "\n";
  }
  if (ini.pending()) {
    reply.exitCode = kRefused;
    reply.output +=
        commandText(c) + " is in force now but was not saved: " + ini.pendingText() + ".\n";
  }
  return reply;
}

std::string CommandShell::takeHeld() {
  holding_ = false;
  return std::exchange(held_, {});
}

void CommandShell::messageBox(const std::string& text, const std::string& title,
                              ui::MessageIcon icon) {
  if (!holding_) return shell_.messageBox(text, title, icon);
  held_ += text + "\n";
  // The shell outlives the program: the box may come after the program is gone.
  host_.post([&shell = shell_, text, title, icon] { shell.messageBox(text, title, icon); });
}

}  // namespace app
