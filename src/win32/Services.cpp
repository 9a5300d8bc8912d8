#include "win32/Services.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "win32/Backend.h"
#include "win32/Report.h"
#include "win32/SystemWindow.h"
#include "win32/Dpi.h"
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

ui::LocalTime Clock::now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  // The offset in force now: the daylight bias counts only while daylight saving time is on.
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT)
    bias += zone.DaylightBias;
  else if (kind == TIME_ZONE_ID_STANDARD)
    bias += zone.StandardBias;
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, static_cast<int>(-bias)};
}

std::int64_t Clock::monotonicMs() {
  // The tick count includes time spent asleep or hibernating (the unbiased interrupt time would
  // not), and no clock change moves it.
  return static_cast<std::int64_t>(GetTickCount64());
}

std::int64_t Clock::idleMs() {
  LASTINPUTINFO info{sizeof info, 0};
  if (!GetLastInputInfo(&info)) return 0;
  // Both are the 32-bit tick count: the difference is right across its wrap every 49.7 days.
  return static_cast<DWORD>(GetTickCount() - info.dwTime);
}

namespace {

ui::Busy systemBusy() {
  QUERY_USER_NOTIFICATION_STATE state{};
  if (FAILED(SHQueryUserNotificationState(&state))) return ui::Busy::No;
  // Not QUNS_NOT_PRESENT (locked, screen saver): that is time away, not work. Not QUNS_APP either:
  // a store app in front is no sign of full-screen work.
  switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
      return ui::Busy::FullScreen;
    case QUNS_PRESENTATION_MODE:
      return ui::Busy::Presentation;
    case QUNS_QUIET_TIME:
      return ui::Busy::QuietTime;
    default:
      return ui::Busy::No;
  }
}

}  // namespace

ui::Busy Clock::userBusy() {
  // Asked at the rest clock's ticks only: nothing here wakes the program.
  const ui::Busy system = systemBusy();
  holder_.clear();
  if (system != ui::Busy::No) return system;
  holder_ = calls_ ? consent_.caller() : std::string();
  const bool call = !holder_.empty();
  if (!call && !programs_.empty()) {
    const std::string front = narrow(foregroundProgram());
    if (rest::listedProgram(programs_, front)) holder_ = front.substr(front.find_last_of('\\') + 1);
  }
  return rest::holdReason(system, call, !call && !holder_.empty());
}

void Clock::holdFor(bool calls, const std::vector<std::string>& programs) {
  calls_ = calls;
  programs_ = programs;
}

namespace {

ui::Rect twips(const RECT& r, int dpi) {
  return {pixelsToTwips(r.left, dpi), pixelsToTwips(r.top, dpi),
          pixelsToTwips(r.right - r.left, dpi), pixelsToTwips(r.bottom - r.top, dpi)};
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  int dpi = dpiOf(nullptr);
  UINT x = 0, y = 0;
  // Per-monitor DPI is offered from Windows 8.1 on; elsewhere every monitor has the system's.
  static const auto getDpiForMonitor = findFunction<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(
      loadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
  if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, 0 /* effective */, &x, &y)) && x)
    dpi = static_cast<int>(x);
  const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  auto& monitors = *reinterpret_cast<std::vector<ui::Monitor>*>(list);
  ui::Monitor m{twips(info.rcMonitor, dpi), dpi, primary, twips(info.rcWork, dpi)};
  monitors.insert(primary ? monitors.begin() : monitors.end(), m);
  return TRUE;
}

}  // namespace

ui::Size Screen::size() {
  ui::Rect r =
      twips({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, dpiOf(nullptr));
  return {r.width, r.height};
}

ui::Rect Screen::workArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return twips(r, dpiOf(nullptr));
}

std::vector<ui::Monitor> Screen::monitors() {
  std::vector<ui::Monitor> list;
  EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

void reportFailure(const wchar_t* call, const wchar_t* detail) {
  reportFailure(call, detail, GetLastError());
}

void reportFailure(const wchar_t* call, const wchar_t* detail, DWORD error) {
  writeLog(std::wstring(call) + L" failed (" + detail + L"), error " + std::to_wstring(error));
}

void writeLog(const std::wstring& what) {
  OutputDebugStringW((L"Lumora: " + what + L"\n").c_str());
  constexpr DWORD kMaxLogBytes = 64 * 1024;  // past it, the older half goes
  UniqueFile log(CreateFileW((programFolder() + L"lumora.log").c_str(),
                             GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text(kMaxLogBytes, '\0');
  DWORD done = 0;
  if (!log || !ReadFile(log.get(), text.data(), kMaxLogBytes, &done, nullptr)) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  char time[24];
  std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  text.resize(done);
  text += time + narrow(what) + "\r\n";
  if (text.size() >= kMaxLogBytes) text.erase(0, text.find('\n', text.size() / 2) + 1);
  SetFilePointer(log.get(), 0, nullptr, FILE_BEGIN);
  WriteFile(log.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  SetEndOfFile(log.get());
}

namespace {

// Another program that opens the file for a moment (an indexer, an antivirus scanner) lets go
// within milliseconds; the save waits that out, a tenth of a second at most.
constexpr int kSaveAttempts = 20;
constexpr DWORD kSavePauseMs = 5;

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Windows reports a file held without sharing, or pending deletion, as a sharing violation or
// as access denied; ReplaceFileW's partial results are each finished by another attempt.
bool worthRetrying(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
}

// Runs step until it succeeds or fails for a reason that waiting does not cure; GetLastError
// holds the last failure's code.
template <class Step>
bool retried(Step step) {
  for (int attempt = 1;; ++attempt) {
    if (step()) return true;
    if (attempt == kSaveAttempts || !worthRetrying(GetLastError())) return false;
    Sleep(kSavePauseMs);
  }
}

}  // namespace

std::optional<std::string> ProfileFile::load(std::size_t limit) {
  auto open = [this] {
    return UniqueFile(CreateFileW(path_.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  UniqueFile file = open();
  // A save that could not finish its swap left the settings under the temporary name: they are
  // taken, so that the next save keeps them.
  if (!file && GetLastError() == ERROR_FILE_NOT_FOUND && exists(tempPath())) {
    recover();
    file = open();
    // Held by another program a while longer: read where they are.
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND) return leftBehind(limit);
  }
  if (!file)
    return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(std::string()) : std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(limit))
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  bool whole = ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  return whole && read == bytes.size() ? std::optional(bytes) : std::nullopt;
}

std::wstring ProfileFile::tempPath() const {
  return path_ + L".tmp";
}

std::optional<std::string> ProfileFile::leftBehind(std::size_t limit) const {
  std::optional<std::string> saved = ProfileFile(tempPath()).load(limit);
  if (saved && settings::wholeProfileText(*saved)) return saved;
  return std::nullopt;
}

bool ProfileFile::replace(const std::string& bytes) {
  // The user's read-only mark is kept whoever runs the program: the system refuses the write to
  // most users, but not to every account on every file system.
  const DWORD attributes = GetFileAttributesW(path_.c_str());
  readOnly_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly_) return false;
  // Written whole beside the file, flushed, then swapped in: a crash, a power cut or a full disk
  // leaves the old file or the new one, never a torn one.
  const std::wstring temp = tempPath();
  UniqueFile file;
  const bool created = retried([&] {
    file.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
  });
  DWORD written = 0;
  if (!created ||
      !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || !FlushFileBuffers(file.get())) {
    reportFailure(
        created ? L"WriteFile" : L"CreateFileW",
        (L"writing the new settings to " + temp + L"; the settings were not saved").c_str());
    file.reset();
    DeleteFileW(temp.c_str());
    return false;
  }
  file.reset();
  // ReplaceFileW may fail half-way, documented as ERROR_UNABLE_TO_MOVE_REPLACEMENT: the old file
  // is gone and the new one keeps its temporary name. Whenever there is no file to replace (that,
  // or a first save) the new one is moved in instead.
  const wchar_t* call = L"";
  const bool swapped = retried([&] {
    const bool replacing = exists(path_);
    call = replacing ? L"ReplaceFileW" : L"MoveFileExW";
    if (replacing)
      return ReplaceFileW(path_.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr) != FALSE;
    return MoveFileExW(temp.c_str(), path_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  });
  if (!swapped) {
    const DWORD error = GetLastError();
    // The new file is the only copy left when the old one is gone: it stays, and the next start
    // takes it.
    const bool onlyCopy = !exists(path_);
    reportFailure(call,
                  (L"putting the new settings in place of " + path_ +
                   (onlyCopy ? L"; the settings are kept in " + temp + L" and read from there"
                             : L"; the settings were not saved"))
                      .c_str(),
                  error);
    if (!onlyCopy) DeleteFileW(temp.c_str());
    return false;
  }
  // ReplaceFileW is documented to keep the file's permissions, streams and times, but not its
  // hidden or system mark (and under Wine keeps none): they are put back.
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(path_.c_str(), attributes);
  return true;
}

void ProfileFile::recover() {
  // A save cut short between the steps of its swap leaves the new file under its temporary name
  // and no file of the real name: that file, when whole, holds the settings.
  const std::wstring temp = tempPath();
  if (!exists(path_) && leftBehind(settings::kMaxProfileBytes)) {
    if (!retried([&] { return MoveFileExW(temp.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH); }))
      reportFailure(L"MoveFileExW", (L"taking the settings back from " + temp).c_str());
    return;
  }
  // Anything else of that name is what an interrupted save left: never read, so it goes.
  if (!DeleteFileW(temp.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    reportFailure(L"DeleteFileW", temp.c_str());
}

std::string ProfileFile::fromAnsi(std::string_view text) {
  return narrow(widen(text, CP_ACP));
}

std::string ProfileFile::toAnsi(std::string_view utf8) {
  return narrow(widen(utf8), CP_ACP);
}

std::string ProfileFile::path() const {
  return narrow(path_);
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
  const std::wstring path = programPath(), parameters = widen(arguments);
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
