#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

// UTF-8 (or text in another code page) to UTF-16, and back.
std::wstring widen(std::string_view utf8, UINT codePage = CP_UTF8);
std::string narrow(std::wstring_view utf16, UINT codePage = CP_UTF8);
// The text of a window (a control's caption or typed text).
std::wstring windowText(HWND hwnd);

}  // namespace win32
