#include "win32/Services.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>

#include "win32/Backend.h"
#include "win32/Report.h"
#include "win32/SystemLibrary.h"
#include "win32/Text.h"

namespace win32 {

std::wstring programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path;
}

std::wstring programFolder() {
  std::wstring path = programPath();
  path.resize(path.find_last_of(L'\\') + 1);
  return path;
}

void Shell::openUrl(const std::string& url) {
  // Whatever opens the address may be a shell extension that needs COM on this thread; COM and
  // its library (a megabyte with what it brings) are loaded here, when first needed, not at start.
  [[maybe_unused]] static const bool comStarted = [] {
    auto initialize = findFunction<HRESULT(WINAPI*)(void*, DWORD)>(loadSystemLibrary(L"ole32.dll"),
                                                                   "CoInitializeEx");
    return initialize &&
           SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  // Values above 32 mean success.
  if (reinterpret_cast<INT_PTR>(ShellExecuteW(backend_.ownerWindow(), L"open", widen(url).c_str(),
                                              nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
    reportFailure(L"ShellExecuteW", L"opening an address");
}

void Shell::messageBox(const std::string& text, const std::string& title, ui::MessageIcon icon) {
  if (sessionEnding_) return;
  UINT type = MB_OK | MB_ICONINFORMATION;
  if (icon == ui::MessageIcon::Warning)
    type = MB_OK | MB_ICONWARNING;
  else if (icon == ui::MessageIcon::Error)
    type = MB_OK | MB_ICONERROR;
  MessageBoxW(backend_.ownerWindow(), widen(text).c_str(), widen(title).c_str(), type);
}

bool Shell::askYesNo(const std::string& text, const std::string& title) {
  return !sessionEnding_ && MessageBoxW(backend_.ownerWindow(), widen(text).c_str(),
                                        widen(title).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool Shell::runElevated(const std::string& arguments) {
  const std::wstring path = programPath();
  const std::wstring parameters = widen(arguments);
  SHELLEXECUTEINFOW run{};  // shown hidden: the copy has no window
  run.cbSize = sizeof(run);
  run.fMask = SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
  run.hwnd = backend_.ownerWindow();
  run.lpVerb = L"runas";  // the system asks the user for administrator rights
  run.lpFile = path.c_str();
  run.lpParameters = parameters.c_str();
  if (!ShellExecuteExW(&run) || !run.hProcess) {
    if (GetLastError() != ERROR_CANCELLED) reportFailure(L"ShellExecuteExW", L"runas");
    return false;
  }
  // Only the copy's exit code tells whether the value was written. It writes one value and
  // ends; messages are handled meanwhile, as under a message box.
  UniqueHandle process(run.hProcess);
  for (MSG message; MsgWaitForMultipleObjects(1, &run.hProcess, FALSE, INFINITE, QS_ALLINPUT) ==
                    WAIT_OBJECT_0 + 1;)
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {  // for the program's own loop, which ends on it
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  DWORD code = 1;
  return GetExitCodeProcess(process.get(), &code) && code == 0;
}

namespace {

class FileReader final : public ui::FileReader {
 public:
  explicit FileReader(UniqueFile file) : file_(std::move(file)) {}
  std::optional<std::size_t> read(std::span<char> into) override {
    DWORD read = 0;
    const auto size = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1u << 20));
    if (!ReadFile(file_.get(), into.data(), size, &read, nullptr)) return std::nullopt;
    return read;
  }

 private:
  UniqueFile file_;
};

}  // namespace

std::unique_ptr<ui::FileReader> Shell::openProgramFile(const std::string& name) {
  std::wstring path = programFolder() + widen(name);
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  return std::make_unique<FileReader>(std::move(file));
}

void Shell::quit() {
  PostQuitMessage(0);
}

void Shell::log(const std::string& line) {
  writeLog(widen(line));
}

void Shell::playSound(ui::SystemSound sound) {
  // The sounds the person chose for these events in the sound settings; played asynchronously.
  MessageBeep(sound == ui::SystemSound::RestStart ? MB_ICONASTERISK : MB_OK);
}

}  // namespace win32
