#pragma once
// The command line that drives the running copy: "/brightness -10", "/nightlight on" ... The copy
// started with a command hands its text to the running one, which parses it again with the same
// rules, so both sides agree on what is valid.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace app {

enum class Verb { Brightness, Backlight, EyeCare, NightLight, Pause, Resume, Rest, Status, Help };

struct Command {
  Verb verb = Verb::Help;
  // Brightness -50 to 50, backlight 0 to 100, on 1 and off 0, pause minutes (kTomorrow: until
  // tomorrow); 0 for the rest.
  int value = 0;
  std::string display;  // backlight: one display, by its number or name; empty for every one
  bool operator==(const Command&) const = default;
};

inline constexpr int kTomorrow = 0;

// The exit codes of a command.
enum ExitCode : int { kDone = 0, kRefused = 1, kBadArguments = 2 };

struct ParsedCommand {
  std::optional<Command> command;  // none: no command (nothing, or only "/tray")
  std::string error;               // set for bad arguments, naming the argument and its range
};

// The arguments after the program's own name. Names in any case, "-" for "/"; "/tray" may stand
// beside a command and is left to the start-up.
ParsedCommand parseCommand(const std::vector<std::string>& arguments);
// The text handed to the running copy, one space between words: "/pause tomorrow".
std::string commandText(const Command& command);
// The running copy's side: the handed-over text parsed again; nothing unless it is a whole valid
// command to run there (help is answered by the copy that was started).
std::optional<Command> receivedCommand(std::string_view text);

// "/?": the list of commands.
extern const char* const kCommandHelp;

// What /status reports, one "key=value" line each.
struct Status {
  bool eyeCare = false;
  int brightness = 0;
  std::optional<int> backlight;                       // none where no display answers
  std::vector<std::pair<std::string, int>> displays;  // each answering display's level
  bool nightLight = false;
  int warmth = 6500;        // kelvin in force now
  std::string nextRest;     // "HH:MM", or "off"
  std::string hours;        // working hours: "09:00-18:00 mon,tue", or "always"
  std::string pausedUntil;  // "YYYY-MM-DD HH:MM", or empty
};
std::string statusText(const Status& status);

}  // namespace app
