#pragma once
// The command line that drives the running copy: "/brightness -10", "/nightlight on" ... The copy
// started with a command hands its text to the running one, which parses it again with the same
// rules, so both sides agree on what is valid.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Form.h"
#include "ui/System.h"

namespace colour {
class GammaEngine;
}  // namespace colour
namespace settings {
class Ini;
}  // namespace settings

namespace app {

class MainWindow;

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

// "/tray" or "-tray" in any case: the switch the sign-in entry passes.
bool isTraySwitch(std::string_view argument);

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

struct CommandReply {
  int exitCode = kDone;
  std::string output;  // for the console of the copy that carried the command
};
// What a command does (/status: what is in force, one "key=value" line each), through the setter of
// the control it stands for, stored as that control's panel stores it, in one save. Nothing while
// the answer must wait (the monitors have not answered yet): it is offered again. A change in force
// but not saved, or refused by a display, exits 1.
std::optional<CommandReply> runCommand(const Command& command, MainWindow& window,
                                       settings::Ini& ini, const colour::GammaEngine& gamma);

// The shell the program's objects use. While a command runs, a message box would hold its
// caller's answer: its text goes to the caller instead, and the box comes after.
class CommandShell : public ui::Shell {
 public:
  CommandShell(ui::Shell& shell, ui::FormHost& host) : shell_(shell), host_(host) {}
  // From here on boxes are held; takeHeld ends that and returns their texts.
  void holdBoxes() { holding_ = true; }
  std::string takeHeld();

  void messageBox(const std::string& text, const std::string& title, ui::MessageIcon icon) override;
  void openUrl(const std::string& url) override { shell_.openUrl(url); }
  std::unique_ptr<ui::FileReader> openProgramFile(const std::string& name) override {
    return shell_.openProgramFile(name);
  }
  bool askYesNo(const std::string& text, const std::string& title) override {
    return shell_.askYesNo(text, title);
  }
  bool runElevated(const std::string& arguments) override { return shell_.runElevated(arguments); }
  void quit() override { shell_.quit(); }
  void playSound(ui::SystemSound sound) override { shell_.playSound(sound); }
  void log(const std::string& line) override { shell_.log(line); }

 private:
  ui::Shell& shell_;
  ui::FormHost& host_;
  bool holding_ = false;
  std::string held_;
};

}  // namespace app
