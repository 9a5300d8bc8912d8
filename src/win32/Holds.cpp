#include "win32/Holds.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "win32/Report.h"
#include "win32/Text.h"

namespace win32 {

namespace {

constexpr wchar_t kMicrophone[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\"
    L"microphone";
constexpr wchar_t kWebcam[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
constexpr wchar_t kNonPackaged[] = L"NonPackaged";
constexpr wchar_t kStart[] = L"LastUsedTimeStart";
constexpr wchar_t kStop[] = L"LastUsedTimeStop";

std::wstring imagePath(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  wchar_t path[MAX_PATH * 2];
  DWORD size = static_cast<DWORD>(std::size(path));
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
  return {path, size};
}

bool samePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// What runs: each process's image path and, from Windows 8 on, its package family name (none for
// a desktop program). Without GetPackageFamilyName whether a store app runs cannot be known.
struct Running {
  std::vector<std::wstring> paths;
  std::vector<std::wstring> packages;
  bool packagesKnown = false;
};

Running running() {
  using PackageName = LONG(WINAPI*)(HANDLE, UINT32*, PWSTR);
  static const auto packageName = reinterpret_cast<PackageName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetPackageFamilyName")));
  Running now;
  now.packagesKnown = packageName != nullptr;
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return now;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (std::wstring path = imagePath(entry.th32ProcessID); !path.empty())
      now.paths.push_back(std::move(path));
    UniqueHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    wchar_t name[256];
    UINT32 size = static_cast<UINT32>(std::size(name));
    if (packageName && process && packageName(process.get(), &size, name) == ERROR_SUCCESS)
      now.packages.emplace_back(name);
  }
  return now;
}

std::vector<std::wstring> subkeys(HKEY key) {
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, size);
  }
  return names;
}

// Every open carries the 64-bit view: this 32-bit program on 64-bit Windows would otherwise read
// the machine's entries from WOW6432Node, where the system records none. The view is not
// inherited by a subkey's open.
LSTATUS openKey(HKEY parent, const wchar_t* path, REGSAM access, UniqueKey& key) {
  HKEY opened = nullptr;
  const LSTATUS status = RegOpenKeyExW(parent, path, 0, access | KEY_WOW64_64KEY, &opened);
  if (status == ERROR_SUCCESS) key.reset(opened);
  return status;
}

// A FILETIME value of one entry: a REG_QWORD (or 8 bytes of REG_BINARY), nothing otherwise. A value
// of another size is no time, however it reads.
std::optional<std::uint64_t> fileTime(HKEY key, const std::wstring& name, const wchar_t* value) {
  UniqueKey entry;
  std::uint64_t time = 0;
  DWORD type = 0;
  DWORD size = sizeof time;
  if (openKey(key, name.c_str(), KEY_QUERY_VALUE, entry) != ERROR_SUCCESS ||
      RegQueryValueExW(entry.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&time), &size) !=
          ERROR_SUCCESS ||
      (type != REG_QWORD && type != REG_BINARY) || size != sizeof time)
    return std::nullopt;
  return time;
}

}  // namespace

std::vector<ConsentWatch::Watched> ConsentWatch::watchList() {
  std::vector<Watched> list;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    for (const wchar_t* path : {kMicrophone, kWebcam})
      list.push_back(
          {root, path, UniqueKey(), UniqueHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr))});
  return list;
}

std::string ConsentWatch::caller() {
  bool changed = false;
  for (Watched& w : watched_) {
    if (!w.key) {
      if (openKey(w.root, w.path, KEY_READ | KEY_NOTIFY, w.key) != ERROR_SUCCESS) continue;
      w.armed = false;  // a key that appeared since the last look
    }
    // Armed again only once its notice came: each call of RegNotifyChangeKeyValue adds a wait of
    // its own that stays until the next change. Armed before reading, so no change between the
    // two is missed; the auto-reset event was cleared by the wait.
    if (w.armed && WaitForSingleObject(w.changed.get(), 0) != WAIT_OBJECT_0) continue;
    changed = true;
    w.armed =
        w.changed && RegNotifyChangeKeyValue(w.key.get(), TRUE,
                                             REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                             w.changed.get(), TRUE) == ERROR_SUCCESS;
  }
  if (changed) read();
  // A key that cannot be watched (deleted since) is opened again at the next look.
  for (Watched& w : watched_)
    if (!w.armed) w.key.reset();
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const std::uint64_t now = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
  std::optional<Running> programs;  // looked for once, and only while an entry is in use
  std::string found;
  for (const Entry& entry : entries_) {
    if (entry.stop != 0u) {
      seenInUse_.erase(entry.name);
      continue;
    }
    if (!programs) programs = running();
    const auto runs = [&entry](const std::vector<std::wstring>& names) {
      return std::ranges::any_of(
          names, [&entry](const std::wstring& name) { return samePath(name, entry.name); });
    };
    const std::uint64_t since =
        entry.start ? *entry.start : seenInUse_.try_emplace(entry.name, now).first->second;
    rest::DeviceUse use{narrow(entry.name), entry.packaged, entry.stop, runs(programs->paths),
                        static_cast<std::int64_t>(now > since ? (now - since) / 10'000 : 0)};
    if (entry.packaged)
      use.running =
          programs->packagesKnown ? std::optional(runs(programs->packages)) : std::nullopt;
    if (use.inUseMs > rest::kLongestCallMs && use.running.value_or(true) &&
        std::ranges::find(logged_, entry.name) == logged_.end()) {
      logged_.push_back(entry.name);
      writeLog(L"in use for more than 4 hours, held nothing: " + entry.name);
    }
    if (found.empty() && rest::inCall(use))
      found = entry.packaged ? use.name.substr(0, use.name.find('_'))
                             : use.name.substr(use.name.find_last_of('\\') + 1);
  }
  return found;
}

void ConsentWatch::read() {
  entries_.clear();
  for (const Watched& w : watched_)
    if (w.key) readDevice(w.key.get());
}

void ConsentWatch::readDevice(HKEY key) {
  for (const std::wstring& app : subkeys(key)) {
    if (app != kNonPackaged) {
      entries_.push_back({app, true, fileTime(key, app, kStart), fileTime(key, app, kStop)});
      continue;
    }
    UniqueKey programs;
    if (openKey(key, kNonPackaged, KEY_READ, programs) != ERROR_SUCCESS) continue;
    for (const std::wstring& name : subkeys(programs.get()))
      entries_.push_back({widen(rest::consentPath(narrow(name))), false,
                          fileTime(programs.get(), name, kStart),
                          fileTime(programs.get(), name, kStop)});
  }
}

namespace {

// The image path of the program that owns the foreground window, or empty.
std::wstring foregroundProgram() {
  DWORD processId = 0;
  if (HWND window = GetForegroundWindow()) GetWindowThreadProcessId(window, &processId);
  return processId ? imagePath(processId) : std::wstring();
}

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

ui::Busy Holds::busy() {
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

}  // namespace win32
