#include "win32/SignIn.h"

#include <vector>

#include "app/Program.h"
#include "win32/Handles.h"
#include "win32/Text.h"

namespace win32 {

namespace {

UniqueKey openKey(const wchar_t* path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key) != ERROR_SUCCESS) return {};
  return UniqueKey(key);
}

// The value's bytes and type; nothing when it does not exist or cannot be read.
bool readValue(const wchar_t* path, const std::wstring& name, DWORD& type,
               std::vector<BYTE>& data) {
  UniqueKey key = openKey(path, KEY_QUERY_VALUE);
  if (!key) return false;
  for (DWORD size = 256;;) {
    data.resize(size);
    LONG status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return false;
    data.resize(size);
    return true;
  }
}

std::wstring readString(const wchar_t* path, const std::wstring& name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!readValue(path, name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  // Stored strings need not end in a null.
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), text.size()));
  if (type == REG_EXPAND_SZ) {
    std::wstring expanded(32768, L'\0');
    DWORD n = ExpandEnvironmentStringsW(text.c_str(), expanded.data(),
                                        static_cast<DWORD>(expanded.size()));
    if (n == 0 || n > expanded.size()) return {};
    expanded.resize(n - 1);
    return expanded;
  }
  return text;
}

// Task Manager marks a disabled entry with an odd first byte (02 enabled, 03 disabled, followed
// by the time of the change); no value means enabled.
bool disabledInTaskManager(const std::wstring& name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  return readValue(kStartupApprovedKey, name, type, data) && type == REG_BINARY && !data.empty() &&
         (data[0] & 1) != 0;
}

bool deleteValue(const wchar_t* path, const std::wstring& name) {
  UniqueKey key = openKey(path, KEY_SET_VALUE);
  if (!key) return true;  // no key, no value
  LONG status = RegDeleteValueW(key.get(), name.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::wstring programOf(const std::wstring& commandLine) {
  std::size_t start = commandLine.find_first_not_of(L' ');
  if (start == std::wstring::npos) return {};
  if (commandLine[start] == L'"') {
    std::size_t end = commandLine.find(L'"', start + 1);
    return end == std::wstring::npos ? std::wstring()
                                     : commandLine.substr(start + 1, end - start - 1);
  }
  return commandLine.substr(start, commandLine.find(L' ', start) - start);
}

SignInEntry::SignInEntry(std::wstring valueName, std::wstring program)
    : name_(std::move(valueName)), program_(std::move(program)) {}

std::wstring SignInEntry::command() const {
  return L"\"" + program_ + L"\" " + widen(app::kTraySwitch);
}

bool SignInEntry::enabled() {
  std::wstring program = programOf(readString(kRunKey, name_));
  // An entry that starts another copy (an older folder, a portable copy) is not this one's.
  return !program.empty() &&
         CompareStringOrdinal(program.c_str(), -1, program_.c_str(), -1, TRUE) == CSTR_EQUAL &&
         !disabledInTaskManager(name_);
}

bool SignInEntry::setEnabled(bool on) {
  if (on) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS)
      return false;
    UniqueKey key(raw);
    std::wstring value = command();
    if (RegSetValueExW(key.get(), name_.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
      return false;
    // Ticking the item means "start me": a disable from Task Manager is lifted with it.
    if (disabledInTaskManager(name_) && !deleteValue(kStartupApprovedKey, name_)) return false;
  } else {
    if (!deleteValue(kRunKey, name_) || !deleteValue(kStartupApprovedKey, name_)) return false;
  }
  return enabled() == on;
}

}  // namespace win32
