#include "win32/SystemLibrary.h"

#include <string>

namespace win32 {

void searchSystemFolderOnly() {
  // Taken from kernel32 by name: Windows 7 has the call only with its loader update, and the
  // program must still start there.
  auto set = findFunction<BOOL(WINAPI*)(DWORD)>(GetModuleHandleW(L"kernel32.dll"),
                                                "SetDefaultDllDirectories");
  if (set && set(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it, at least the current folder leaves the search.
  SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* fileName) {
  if (HMODULE module = LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
    return module;
  // Systems without the loader update refuse the flag; the full path of the system folder
  // gives the same library there.
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  std::wstring path(MAX_PATH, L'\0');
  UINT n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (n == 0 || n >= path.size()) return nullptr;
  path.resize(n);
  path += L'\\';
  path += fileName;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const CommonControls& commonControls() {
  static const CommonControls loaded = [] {
    // By name, so the manifest's side-by-side version is the one loaded.
    HMODULE module = loadSystemLibrary(L"comctl32.dll");
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    if (auto init = findFunction<decltype(&InitCommonControlsEx)>(module, "InitCommonControlsEx"))
      init(&controls);
    CommonControls c{findFunction<decltype(c.setSubclass)>(module, "SetWindowSubclass"),
                     findFunction<decltype(c.removeSubclass)>(module, "RemoveWindowSubclass"),
                     findFunction<decltype(c.defSubclassProc)>(module, "DefSubclassProc")};
    return c.setSubclass && c.removeSubclass && c.defSubclassProc ? c : CommonControls{};
  }();
  return loaded;
}

}  // namespace win32
