#include "win32/Holds.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "win32/Text.h"

namespace win32 {

namespace {

constexpr wchar_t kMicrophone[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\"
    L"microphone";
constexpr wchar_t kWebcam[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
constexpr wchar_t kNonPackaged[] = L"NonPackaged";

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

std::vector<std::wstring> runningPrograms() {
  std::vector<std::wstring> paths;
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return paths;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry))
    if (std::wstring path = imagePath(entry.th32ProcessID); !path.empty())
      paths.push_back(std::move(path));
  return paths;
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

// LastUsedTimeStop of one entry; an entry without one is not in use.
std::uint64_t lastStop(HKEY key, const std::wstring& name) {
  UniqueKey entry;
  std::uint64_t stop = 1;
  DWORD size = sizeof stop;
  if (openKey(key, name.c_str(), KEY_QUERY_VALUE, entry) != ERROR_SUCCESS ||
      RegGetValueW(entry.get(), nullptr, L"LastUsedTimeStop", RRF_RT_REG_QWORD, nullptr, &stop,
                   &size) != ERROR_SUCCESS)
    return 1;
  return stop;
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

bool ConsentWatch::inCall() {
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
  std::vector<rest::DeviceUse> uses;
  std::vector<std::wstring> running;
  for (const Entry& entry : entries_) {
    rest::DeviceUse use{entry.path.empty(), entry.stop, false};
    // Only an entry in use asks which programs run; the list is made once.
    if (entry.stop == 0 && !use.packaged) {
      if (running.empty()) running = runningPrograms();
      use.running = std::ranges::any_of(
          running, [&entry](const std::wstring& path) { return samePath(path, entry.path); });
    }
    uses.push_back(use);
  }
  return rest::inCall(uses);
}

void ConsentWatch::read() {
  entries_.clear();
  for (const Watched& w : watched_)
    if (w.key) readDevice(w.key.get());
}

void ConsentWatch::readDevice(HKEY key) {
  for (const std::wstring& app : subkeys(key)) {
    if (app != kNonPackaged) {
      entries_.push_back({{}, lastStop(key, app)});
      continue;
    }
    UniqueKey programs;
    if (openKey(key, kNonPackaged, KEY_READ, programs) != ERROR_SUCCESS) continue;
    for (const std::wstring& name : subkeys(programs.get()))
      entries_.push_back({widen(rest::consentPath(narrow(name))), lastStop(programs.get(), name)});
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
  if (system != ui::Busy::No) return system;
  const bool call = calls_ && consent_.inCall();
  const bool listed =
      !call && !programs_.empty() && rest::listedProgram(programs_, narrow(foregroundProgram()));
  return rest::holdReason(system, call, listed);
}

}  // namespace win32
