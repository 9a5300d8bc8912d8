#pragma once
// Failed system calls the program carries on without, reported to the debugger's output and, with
// the local time and the error code, to lumora.log beside config.ini, for a person to send.
#include <windows.h>

#include <string>

namespace win32 {

// The code is GetLastError's, or the one given: a call's own code, read before anything else ran.
void reportFailure(const wchar_t* call, const wchar_t* detail);
void reportFailure(const wchar_t* call, const wchar_t* detail, DWORD error);
// A line of the program's own, with the local time.
void writeLog(const std::wstring& what);

}  // namespace win32
