#include "win32/Services.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "settings/ProfileText.h"
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
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
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

bool Clock::userBusy() {
  QUERY_USER_NOTIFICATION_STATE state{};
  if (FAILED(SHQueryUserNotificationState(&state))) return false;
  // Not QUNS_NOT_PRESENT (locked, screen saver): that is time away, not work. Not QUNS_APP either:
  // a store app in front is no sign of full-screen work.
  return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN ||
         state == QUNS_PRESENTATION_MODE || state == QUNS_QUIET_TIME;
}

namespace {
int screenDpi() {
  return dpiOf(nullptr);
}
}  // namespace

ui::Size Screen::size() {
  int dpi = screenDpi();
  return {pixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi),
          pixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi)};
}

ui::Rect Screen::workArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  int dpi = screenDpi();
  return {pixelsToTwips(r.left, dpi), pixelsToTwips(r.top, dpi),
          pixelsToTwips(r.right - r.left, dpi), pixelsToTwips(r.bottom - r.top, dpi)};
}

namespace {

// Per-monitor DPI is offered from Windows 8.1 on; elsewhere every monitor has the system's DPI.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int /* MDT_EFFECTIVE_DPI */, UINT*, UINT*);

GetDpiForMonitorFn getDpiForMonitor() {
  static const GetDpiForMonitorFn fn = [] {
    HMODULE shcore = loadSystemLibrary(L"shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return fn;
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  int dpi = screenDpi();
  UINT x = 0, y = 0;
  if (GetDpiForMonitorFn fn = getDpiForMonitor(); fn && SUCCEEDED(fn(monitor, 0, &x, &y)) && x)
    dpi = static_cast<int>(x);
  const RECT& r = info.rcMonitor;
  const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  auto& monitors = *reinterpret_cast<std::vector<ui::Monitor>*>(list);
  ui::Monitor m{{pixelsToTwips(r.left, dpi), pixelsToTwips(r.top, dpi),
                 pixelsToTwips(r.right - r.left, dpi), pixelsToTwips(r.bottom - r.top, dpi)},
                dpi,
                primary};
  monitors.insert(primary ? monitors.begin() : monitors.end(), m);
  return TRUE;
}

}  // namespace

std::vector<ui::Monitor> Screen::monitors() {
  std::vector<ui::Monitor> list;
  EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
// Far beyond any settings file; a bigger one is not read whole into memory.
constexpr LONGLONG kMaxProfileBytes = 64 * 1024 * 1024;

// A value is one line of the file: a line break would end it there and start another key.
std::string oneLine(const std::string& value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace

std::optional<std::string> ProfileFile::utf8Text() const {
  UniqueFile file(CreateFileW(path_.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  char mark[3];
  DWORD read = 0;
  if (!ReadFile(file.get(), mark, sizeof mark, &read, nullptr) || read != sizeof mark ||
      std::string_view(mark, sizeof mark) != kUtf8Mark)
    return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxProfileBytes) return std::nullopt;
  std::string text(static_cast<std::size_t>(size.QuadPart) - sizeof mark, '\0');
  if (!text.empty() &&
      !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
    return std::nullopt;
  text.resize(text.empty() ? 0 : read);
  return text;
}

bool ProfileFile::replaceText(const std::string& text) const {
  // In place, as the profile functions write: the file keeps its attributes, and a read-only
  // or locked one is refused here.
  UniqueFile file(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::string bytes = kUtf8Mark + text;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && SetEndOfFile(file.get());
}

std::string ProfileFile::read(const std::string& section, const std::string& key,
                              const std::string& fallback) {
  if (std::optional<std::string> text = utf8Text())
    return settings::profileValue(*text, section, key).value_or(fallback);
  std::wstring wsection = widen(section), wkey = widen(key), wfallback = widen(fallback);
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    DWORD n =
        GetPrivateProfileStringW(wsection.c_str(), wkey.c_str(), wfallback.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer.size()), path_.c_str());
    if (n + 2 < buffer.size()) return narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(buffer.size() * 4);
  }
}

bool ProfileFile::write(const std::string& section, const std::string& key,
                        const std::optional<std::string>& value) {
  // The user's read-only mark is kept whoever runs the program: the system refuses the write to
  // most users, but not to every account on every file system.
  DWORD attributes = GetFileAttributesW(path_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  std::optional<std::string> line = value ? std::optional(oneLine(*value)) : std::nullopt;
  if (std::optional<std::string> text = utf8Text())
    return replaceText(settings::withProfileValue(*text, section, key, line));
  std::wstring wvalue = line ? widen(*line) : std::wstring();
  return WritePrivateProfileStringW(widen(section).c_str(), widen(key).c_str(),
                                    line ? wvalue.c_str() : nullptr, path_.c_str()) != FALSE;
}

std::string ProfileFile::path() const {
  return narrow(path_);
}

void Shell::openUrl(const std::string& url) {
  // Whatever opens the address may be a shell extension that needs COM on this thread; it is
  // started here, when first needed, rather than carried from start-up.
  [[maybe_unused]] static const bool comStarted =
      SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  // Values above 32 mean success.
  if (reinterpret_cast<INT_PTR>(ShellExecuteW(backend_.ownerWindow(), L"open", widen(url).c_str(),
                                              nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
    reportFailure(L"ShellExecuteW", L"opening an address");
}

void Shell::messageBox(const std::string& text, const std::string& title, ui::MessageIcon icon) {
  if (sessionEnding_) return;
  UINT type = MB_OK | (icon == ui::MessageIcon::Warning ? MB_ICONWARNING
                       : icon == ui::MessageIcon::Error ? MB_ICONERROR
                                                        : MB_ICONINFORMATION);
  MessageBoxW(backend_.ownerWindow(), widen(text).c_str(), widen(title).c_str(), type);
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

}  // namespace win32
