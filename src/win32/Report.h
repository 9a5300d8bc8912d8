#pragma once
// Failed system calls the program carries on without, reported to the debugger's output and to
// lumora.log beside config.ini with the local time and the system's error code, so a missing
// window or icon, or settings not saved, is never a silent mystery and a person can send the file.
#include <windows.h>

namespace win32 {

void reportFailure(const wchar_t* call, const wchar_t* detail);

}  // namespace win32
