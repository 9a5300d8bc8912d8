#pragma once
// Failed system calls the program carries on without, reported to the debugger's output and, with
// the local time and the error code, to lumora.log beside config.ini, for a person to send.
#include <windows.h>

#include <string>

namespace win32 {

void reportFailure(const wchar_t* call, const wchar_t* detail);
// One line, after the local time, to the debugger's output and lumora.log.
void writeLog(const std::wstring& line);

}  // namespace win32
