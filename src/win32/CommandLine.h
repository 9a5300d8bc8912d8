#pragma once
// The command line's two sides: the copy started with a command hands it to the running copy
// through WM_COPYDATA to its system window and ends with an exit code; the running copy checks
// what arrives and runs it.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace app {
class Program;
}  // namespace app

namespace win32 {

// For arguments holding a command: its message or answer written to the console the program was
// started from (or to the redirected output), and the exit code. Nothing when the arguments hold
// no command: the program starts as usual.
std::optional<int> runCommandLine(const std::vector<std::string>& arguments);

// WM_COPYDATA at the running copy's system window: anything but a valid command is ignored (0).
LRESULT receiveCommand(app::Program& program, HWND from, WPARAM wp, LPARAM lp);

}  // namespace win32
