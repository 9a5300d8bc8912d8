// Lumora's entry point: one copy at a time, the backend and services, the program, the loop.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "colour/NightLight.h"
#include "win32/Backend.h"
#include "win32/CommandLine.h"
#include "win32/Ddc.h"
#include "win32/Dpi.h"
#include "win32/GammaDisplay.h"
#include "win32/MessageLoop.h"
#include "win32/NotifyArea.h"
#include "win32/Report.h"
#include "win32/Services.h"
#include "win32/SystemLibrary.h"
#include "win32/RunKey.h"
#include "win32/SystemWindow.h"
#include "win32/Text.h"

#ifdef __MINGW32__
// An uncaught exception ends the program plainly. The toolchain's own handler prints the
// exception's demangled type to a console this program never has, and its demangler is a tenth
// of the executable.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

// The same for the library's own error paths (out of memory, a string or a vector past its
// limit, a lock or a call that cannot be made). Its versions build an exception whose message
// takes both of the library's string implementations in: a seventh of the executable for an
// ending that is the same.
namespace std {
void __throw_bad_alloc() {
  abort();
}
void __throw_bad_array_new_length() {
  abort();
}
void __throw_length_error(const char*) {
  abort();
}
void __throw_logic_error(const char*) {
  abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
  abort();
}
void __throw_bad_function_call() {
  abort();
}
void __throw_system_error(int) {
  abort();
}
}  // namespace std

// The stack canary. The toolchain's own set-up loads three cryptography libraries at start just
// to seed it; clocks and ids mixed as Windows' own compilers seed their cookie are enough.
extern "C" {
std::uintptr_t __stack_chk_guard = 0;
[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), 0xC0000409);  // STATUS_STACK_BUFFER_OVERRUN
  __builtin_trap();
}
}
// Before every other initialiser, and unguarded itself: the canary changes under it.
[[gnu::constructor(101), gnu::no_stack_protector]] static void seedStackGuard() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  __stack_chk_guard = now.dwLowDateTime ^ now.dwHighDateTime ^ GetCurrentProcessId() ^
                      GetCurrentThreadId() ^ GetTickCount() ^ counter.LowPart ^ counter.HighPart ^
                      reinterpret_cast<std::uintptr_t>(&now);
}
#endif

namespace {

// The installer also opens this mutex by name to wait until a running copy has ended.
constexpr wchar_t kInstanceMutex[] = L"Local\\Tavik.Lumora.SingleInstance";
// The Run value's name; the installer and uninstaller write and remove the same one.
constexpr wchar_t kSignInValue[] = L"Lumora";

// The command-line arguments after the program's own name.
std::vector<std::string> arguments() {
  std::vector<std::string> result;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return result;
  for (int i = 1; i < count; ++i) result.push_back(win32::narrow(argv[i]));
  LocalFree(argv);
  return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A damaged heap ends the program at once rather than letting it run on with it.
  HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
  // Before anything is loaded: no library is ever taken from the program's own folder.
  win32::searchSystemFolderOnly();

  // The elevated copy the colour panel starts does only this, with no window.
  const std::vector<std::string> args = arguments();
  for (const std::string& argument : args)
    if (argument == colour::kAllowStrongerSwitch) return win32::liftGammaLimit() ? 0 : 1;
  // A copy started with a command only hands it to the running copy (starting one if need be).
  if (const std::optional<int> exitCode = win32::runCommandLine(args)) return *exitCode;

  // A second copy ends here, before any window or icon exists. Access denied: a copy with other
  // rights holds the name, so end as well. Any other failure tells nothing of other copies, and
  // no program at all is worse than a rare second copy: run on, reported.
  win32::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutex));
  const DWORD mutexError = GetLastError();
  if (mutexError == ERROR_ALREADY_EXISTS || (!mutex && mutexError == ERROR_ACCESS_DENIED)) return 0;
  if (!mutex) win32::reportFailure(L"CreateMutexW", L"single instance");
  // Auto-reset: each request is answered once. Without it the program runs on; it just cannot be
  // asked to end from outside.
  win32::UniqueHandle exitRequest(CreateEventW(nullptr, FALSE, FALSE, win32::kExitEventName));

  int exitCode = 0;
  {
    win32::Backend backend(instance);
    win32::Clock clock;
    win32::Screen screen;
    win32::ProfileFile profile(win32::programFolder() + L"config.ini");
    profile.recover();
    win32::Shell shell(backend);
    win32::NotifyArea notify(backend);
    win32::RunKeyEntry signIn(kSignInValue, win32::programPath());
    win32::GammaDisplays displays;
    win32::WorkerMonitors panel(backend, win32::wmiWork);
    win32::WorkerMonitors ddc(backend, win32::ddcWork);
    colour::AllMonitors backlights({&panel, &ddc});
    // The name is free once the windows are gone, before the backlight's worker is waited for:
    // a new start or the installer never waits on a monitor that hangs.
    struct FreeName {
      win32::UniqueHandle& name;
      ~FreeName() { name.reset(); }
    } freeName{mutex};
    app::Program program(
        {backend, clock, displays, profile, screen, shell, notify, signIn, &backlights});

    backend.system().deliverTo(program, shell, notify);
    program.start(app::iconOnlyStart(args));
    // After the window shows: none of this is seen, and notifications wait for messages anyway.
    backend.system().askForSessionNotifications();
    backend.system().registerShortcuts();

    exitCode = win32::runMessageLoop(
        exitRequest.get(), [&backend] { backend.system().exitRequested(); },
        [&backend](const MSG& message) { return backend.translateKey(message); });
    program.ini().saveBeforeExit();  // the tray's Exit saves nothing of its own
  }
  return exitCode;
}
