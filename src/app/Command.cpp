#include "app/Command.h"

#include <algorithm>
#include <charconv>

#include "app/Program.h"
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

// A whole number in [min, max]: digits with an optional sign, nothing else.
std::optional<int> wholeNumber(std::string_view text, int min, int max) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return std::nullopt;
  return value;
}

std::optional<int> valueOf(const VerbRule& rule, std::string_view text) {
  const std::string word = ui::asciiLower(text);
  switch (rule.takes) {
    case Takes::Number:
      return wholeNumber(word, rule.min, rule.max);
    case Takes::OnOff:
      if (word == "on") return 1;
      if (word == "off") return 0;
      return std::nullopt;
    case Takes::Minutes:
      if (word == "tomorrow") return kTomorrow;
      return wholeNumber(word, rule.min, rule.max);
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
    "Names in any case; - may stand for /. Exit code 0 done, 1 refused, 2 bad arguments.\n";

ParsedCommand parseCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string_view> words;
  for (const std::string& argument : arguments)
    if (switchName(argument) != std::string_view(kTraySwitch).substr(1)) words.push_back(argument);
  if (words.empty()) return {};

  const std::string name = switchName(words[0]);
  const auto rule = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                 [&name](const VerbRule& v) { return name == v.name; });
  if (rule == std::end(kVerbs))
    return bad("Lumora does not know \"" + std::string(words[0]) +
               "\". Lumora.exe /? lists the commands.");
  Command command{rule->verb, 0, ""};
  const std::string shown = "/" + name;
  std::size_t used = 1;
  if (rule->takes != Takes::Nothing) {
    if (words.size() < 2) return bad(shown + " needs " + rule->wants + ".");
    const std::optional<int> value = valueOf(*rule, words[1]);
    if (!value)
      return bad(shown + " needs " + rule->wants + ", not \"" + std::string(words[1]) + "\".");
    command.value = *value;
    used = 2;
  }
  // The rest names one display, spaces and all: "/backlight 40 Built-in display".
  for (; rule->verb == Verb::Backlight && used < words.size(); ++used) {
    if (!command.display.empty()) command.display += ' ';
    command.display += words[used];
  }
  if (words.size() > used)
    return bad("Lumora takes one command at a time: \"" + std::string(words[used]) + "\" after " +
               shown + " is not understood.");
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

std::string statusText(const Status& s) {
  const auto onOff = [](bool on) { return on ? "on" : "off"; };
  std::string displays;
  for (const auto& [name, level] : s.displays)
    displays += "backlight " + name + "=" + std::to_string(level) + "\n";
  return std::string("eyecare=") + onOff(s.eyeCare) + "\n" +
         "brightness=" + std::to_string(s.brightness) + "\n" +
         "backlight=" + (s.backlight ? std::to_string(*s.backlight) : "none") + "\n" + displays +
         "nightlight=" + onOff(s.nightLight) + "\n" + "warmth=" + std::to_string(s.warmth) + "\n" +
         "nextrest=" + s.nextRest + "\n" + "hours=" + s.hours + "\n" +
         "paused_until=" + s.pausedUntil + "\n";
}

}  // namespace app
