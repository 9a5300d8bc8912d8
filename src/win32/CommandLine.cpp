#include "win32/CommandLine.h"

#include <string_view>

#include "app/Command.h"
#include "app/Program.h"
#include "win32/Handles.h"
#include "win32/Services.h"
#include "win32/Text.h"
#include "win32/Window.h"

namespace win32 {

namespace {

// What a WM_COPYDATA carries: a command to the running copy, its output back.
constexpr ULONG_PTR kCommandData = 0x4C4D4331;  // "LMC1"
constexpr ULONG_PTR kOutputData = 0x4C4D4F31;   // "LMO1"
constexpr DWORD kMaxCommandBytes = 64;          // the longest command text is far shorter
constexpr DWORD kMaxOutputBytes = 4096;
// The running copy answers kReplyBase + the exit code, kStarting while it reads its settings (a
// start-up message box may be up: the command waits for it); an ignored message answers 0.
constexpr LRESULT kReplyBase = 0x4C4D00;
constexpr LRESULT kStarting = kReplyBase + 0xFF;
constexpr wchar_t kReplyClass[] = L"LumoraCommandReply";
constexpr UINT kAnswerMs = 10000;  // a running copy that hangs is not waited for
constexpr DWORD kStartMs = 15000;  // a copy started here loads first

// Messages to the console the command was started from. A script that redirects the output
// gets it in its file or pipe; started without a console, nothing shows.
void write(DWORD which, std::string_view text) {
  std::string crlf;
  for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  DWORD mode = 0;
  DWORD written = 0;
  HANDLE out = GetStdHandle(which);
  const bool given = out && out != INVALID_HANDLE_VALUE;
  if (given && !GetConsoleMode(out, &mode)) {
    WriteFile(out, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
    return;
  }
  // A program of the windows subsystem gets no console of its own: it borrows the parent's.
  // Access denied means this process shares one already.
  UniqueFile console;
  if (!given) {
    static const bool attached =
        AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
    if (!attached) return;
    console.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    out = console.get();
  }
  // A console takes text through WriteConsoleW: WriteFile would need the console's code page.
  const std::wstring wide = widen(crlf);
  WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

// The output the running copy sends back while this copy waits in SendMessageTimeout (sent
// messages are delivered to a thread waiting there).
std::string* replyOutput = nullptr;

LRESULT CALLBACK replyProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
  if (message != WM_COPYDATA || !replyOutput || !data || data->dwData != kOutputData ||
      !data->lpData || data->cbData > kMaxOutputBytes)
    return DefWindowProcW(hwnd, message, wp, lp);
  replyOutput->assign(static_cast<const char*>(data->lpData), data->cbData);
  return TRUE;
}

// Lumora with its icon only, for a command given while no copy runs. No handle is inherited, and
// no output handle is given: a script reading this copy's output must see it end (Wine hands a
// Windows program's output on to the programs it starts unless others are named).
bool startIconOnly() {
  const std::wstring path = programPath();
  std::wstring line = L"\"" + path + L"\" " + widen(app::kTraySwitch);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // the handles none
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  UniqueHandle thread(process.hThread), started(process.hProcess);
  WaitForInputIdle(started.get(), kStartMs);
  return true;
}

int handOver(const app::Command& command) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = replyProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kReplyClass;
  RegisterClassW(&wc);
  UniqueWindow reply(CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr));
  std::string output;
  replyOutput = &output;

  std::string text = app::commandText(command);
  COPYDATASTRUCT data{kCommandData, static_cast<DWORD>(text.size()), text.data()};
  bool startedOne = false;
  DWORD start = GetTickCount();
  // A copy that has not finished loading ignores the command; it is offered again until then.
  for (;;) {
    HWND running = FindWindowW(Window::kSystemClass, nullptr);
    if (!running && !startedOne) {
      startedOne = true;
      if (!startIconOnly()) {
        write(STD_ERROR_HANDLE, "Lumora could not be started.\n");
        return app::kRefused;
      }
      continue;
    }
    DWORD_PTR answer = 0;
    if (running) {
      if (!SendMessageTimeoutW(running, WM_COPYDATA, reinterpret_cast<WPARAM>(reply.get()),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerMs,
                               &answer) &&
          IsWindow(running)) {
        // It may still run the command: offering it again could run it twice.
        write(STD_ERROR_HANDLE, "The running Lumora did not answer in time.\n");
        return app::kRefused;
      }
      if (static_cast<LRESULT>(answer) == kStarting) start = GetTickCount();
      const LRESULT code = static_cast<LRESULT>(answer) - kReplyBase;
      if (code == app::kDone || code == app::kRefused) {
        write(code == app::kDone ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, output);
        return static_cast<int>(code);
      }
    }
    if (GetTickCount() - start > kStartMs) {
      write(STD_ERROR_HANDLE, "The running Lumora did not take the command.\n");
      return app::kRefused;
    }
    Sleep(100);
  }
}

}  // namespace

std::optional<int> runCommandLine(const std::vector<std::string>& arguments) {
  const app::ParsedCommand parsed = app::parseCommand(arguments);
  if (!parsed.error.empty()) {
    write(STD_ERROR_HANDLE, parsed.error + "\n");
    return app::kBadArguments;
  }
  if (!parsed.command) return std::nullopt;
  if (parsed.command->verb == app::Verb::Help) {
    write(STD_OUTPUT_HANDLE, app::kCommandHelp);
    return app::kDone;
  }
  return handOver(*parsed.command);
}

LRESULT receiveCommand(app::Program& program, HWND from, WPARAM wp, LPARAM lp) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
  if (!data || data->dwData != kCommandData || !data->lpData || data->cbData == 0 ||
      data->cbData > kMaxCommandBytes)
    return 0;
  if (!program.ready()) return kStarting;
  const auto reply = program.command({static_cast<const char*>(data->lpData), data->cbData});
  if (!reply) return 0;
  // The output goes only to a reply window of a copy of this program, never to any window named.
  HWND replyTo = reinterpret_cast<HWND>(wp);
  wchar_t className[64] = L"";
  if (!reply->output.empty() && IsWindow(replyTo) && GetClassNameW(replyTo, className, 64) &&
      std::wstring_view(className) == kReplyClass) {
    COPYDATASTRUCT out{kOutputData, static_cast<DWORD>(reply->output.size()),
                       const_cast<char*>(reply->output.data())};
    SendMessageTimeoutW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&out), SMTO_ABORTIFHUNG, 2000, nullptr);
  }
  return kReplyBase + reply->exitCode;
}

}  // namespace win32
