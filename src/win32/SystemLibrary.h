#pragma once
// Libraries the program loads at run time come from the system folder only. A folder such as
// Downloads may hold anything: a file there named like a system library must never be loaded.
#include <windows.h>

#include <commctrl.h>

namespace win32 {

// Limits every later library search of the process (the libraries that system code loads on
// our behalf included) to the system folder. Call it first thing, before anything is loaded.
void searchSystemFolderOnly();

// Loads a library of the system folder by its file name; null when it is not there.
HMODULE loadSystemLibrary(const wchar_t* fileName);

// A function of a library, by name: null when the library or the function is missing.
template <class Function>
Function findFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// The common controls (version 6, by the manifest), loaded with the first edit box, button or
// slider: they cost 1.6 MB that a program hidden in the tray never needs. Null when missing.
struct CommonControls {
  decltype(&SetWindowSubclass) setSubclass = nullptr;
  decltype(&RemoveWindowSubclass) removeSubclass = nullptr;
  decltype(&DefSubclassProc) defSubclassProc = nullptr;
};
const CommonControls& commonControls();

}  // namespace win32
