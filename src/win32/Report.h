#pragma once
// Failed system calls the program carries on without, reported to the debugger's output with
// the system's error code, so a missing window or icon is never a silent mystery.
#include <windows.h>

#include <string>

namespace win32 {

inline void reportFailure(const wchar_t* call, const wchar_t* detail) {
  DWORD error = GetLastError();
  std::wstring line = L"Lumora: " + std::wstring(call) + L" failed (" + detail + L"), error " +
                      std::to_wstring(error) + L"\n";
  OutputDebugStringW(line.c_str());
}

}  // namespace win32
