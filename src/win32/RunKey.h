#pragma once
// The sign-in entry as the user's Run key holds it, and the disable Task Manager may have put
// on it.
#include <windows.h>

#include <string>

#include "tray/SignIn.h"

namespace win32 {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Task Manager's start-up list keeps its enable/disable here, by value name, apart from Run.
constexpr wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

class RunKeyEntry : public tray::SignInEntry {
 public:
  // The value valueName under HKEY_CURRENT_USER starts program (a full path) icon-only.
  RunKeyEntry(std::wstring valueName, std::wstring program);

  bool enabled() override;
  bool setEnabled(bool on) override;

  // What the Run value holds: "\"<program>\" /tray".
  std::wstring command() const;

 private:
  std::wstring name_;
  std::wstring program_;
};

// The program named by a command line: the quoted first part, or everything up to the first
// blank.
std::wstring programOf(const std::wstring& commandLine);

}  // namespace win32
