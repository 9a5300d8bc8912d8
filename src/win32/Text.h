#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// The text of a window (a control's caption or typed text).
std::wstring windowText(HWND hwnd);

}  // namespace win32
