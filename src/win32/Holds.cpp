#include "win32/Holds.h"

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

// LastUsedTimeStop of one entry; an entry without one is not in use.
std::uint64_t lastStop(HKEY key, const std::wstring& name) {
  std::uint64_t stop = 1;
  DWORD size = sizeof stop;
  if (RegGetValueW(key, name.c_str(), L"LastUsedTimeStop", RRF_RT_REG_QWORD, nullptr, &stop,
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
          {root, path, UniqueKey(), UniqueHandle(CreateEventW(nullptr, FALSE, TRUE, nullptr))});
  return list;
}

bool ConsentWatch::inCall() {
  // Each event starts signalled, so the first call reads everything.
  bool changed = false;
  for (Watched& w : watched_) {
    if (!w.key) {
      HKEY key = nullptr;
      if (RegOpenKeyExW(w.root, w.path, 0, KEY_READ | KEY_NOTIFY, &key) == ERROR_SUCCESS)
        w.key.reset(key);
      changed = changed || w.key;  // a key that appeared since the last look
    }
    if (w.changed && WaitForSingleObject(w.changed.get(), 0) == WAIT_OBJECT_0) changed = true;
  }
  if (changed) read();
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
  for (Watched& w : watched_) {
    if (!w.key) continue;
    // Armed again before reading, so no change between the two is missed. Auto-reset event: one
    // wait above consumed the last notice.
    if (w.changed)
      RegNotifyChangeKeyValue(w.key.get(), TRUE,
                              REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, w.changed.get(),
                              TRUE);
    readDevice(w.key.get());
  }
}

void ConsentWatch::readDevice(HKEY key) {
  for (const std::wstring& app : subkeys(key)) {
    if (app != kNonPackaged) {
      entries_.push_back({{}, lastStop(key, app)});
      continue;
    }
    HKEY programs = nullptr;
    if (RegOpenKeyExW(key, kNonPackaged, 0, KEY_READ, &programs) != ERROR_SUCCESS) continue;
    UniqueKey owned(programs);
    for (const std::wstring& name : subkeys(programs))
      entries_.push_back({widen(rest::consentPath(narrow(name))), lastStop(programs, name)});
  }
}

std::wstring foregroundProgram() {
  DWORD processId = 0;
  if (HWND window = GetForegroundWindow()) GetWindowThreadProcessId(window, &processId);
  return processId ? imagePath(processId) : std::wstring();
}

}  // namespace win32
