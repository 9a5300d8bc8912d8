#pragma once
// Libraries the program loads at run time come from the system folder only. A folder such as
// Downloads may hold anything: a file there named like a system library must never be loaded.
#include <windows.h>

namespace win32 {

// Limits every later library search of the process (the libraries that system code loads on
// our behalf included) to the system folder. Call it first thing, before anything is loaded.
void searchSystemFolderOnly();

// Loads a library of the system folder by its file name; null when it is not there.
HMODULE loadSystemLibrary(const wchar_t* fileName);

}  // namespace win32
