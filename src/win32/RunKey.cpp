#include "win32/RunKey.h"

#include <vector>

#include "app/Program.h"
#include "win32/Text.h"

namespace win32 {

namespace {

// The value's bytes, of a type flags allows; false when it does not exist or cannot be read.
bool readValue(const wchar_t* path, const std::wstring& name, DWORD flags,
               std::vector<BYTE>& data) {
  for (DWORD size = 256;;) {
    data.resize(size);
    LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, path, name.c_str(), flags, nullptr, data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return false;
    data.resize(size);
    return true;
  }
}

// A string value; REG_EXPAND_SZ comes expanded.
std::wstring readString(const wchar_t* path, const std::wstring& name) {
  std::vector<BYTE> data;
  if (!readValue(path, name, RRF_RT_REG_SZ, data)) return {};
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

// Task Manager marks a disabled entry with an odd first byte (02 enabled, 03 disabled, followed
// by the time of the change); no value means enabled.
bool disabledInTaskManager(const std::wstring& name) {
  std::vector<BYTE> data;
  return readValue(kStartupApprovedKey, name, RRF_RT_REG_BINARY, data) && !data.empty() &&
         (data[0] & 1) != 0;
}

bool deleteValue(const wchar_t* path, const std::wstring& name) {
  LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, path, name.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;  // no key or no value
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

RunKeyEntry::RunKeyEntry(std::wstring valueName, std::wstring program)
    : name_(std::move(valueName)), program_(std::move(program)) {}

std::wstring RunKeyEntry::command() const {
  return L"\"" + program_ + L"\" " + widen(app::kTraySwitch);
}

bool RunKeyEntry::enabled() {
  std::wstring program = programOf(readString(kRunKey, name_));
  // An entry that starts another copy (an older folder, a portable copy) is not this one's.
  return !program.empty() &&
         CompareStringOrdinal(program.c_str(), -1, program_.c_str(), -1, TRUE) == CSTR_EQUAL &&
         !disabledInTaskManager(name_);
}

bool RunKeyEntry::setEnabled(bool on) {
  if (on) {
    std::wstring value = command();
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, name_.c_str(), REG_SZ, value.c_str(),
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
