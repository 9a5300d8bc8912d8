// Loaded into a running program by the objects probe to count the USER and GDI objects that the
// program owns, for systems whose GetGuiResources reports nothing (Wine returns 0 with
// ERROR_CALL_NOT_IMPLEMENTED). It creates no object of its own while counting.
//
// Both handle tables accept a handle given by its table index alone (high word 0) and answer only
// for live entries, so walking the indexes visits every object once. USER handles are
// 0x20 + 2 * index; GDI handles are the index itself.
#include <windows.h>

namespace {

using CursorFrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

bool isIconOrCursor(HANDLE handle) {
  // Undocumented but exported by user32 everywhere; unlike GetIconInfo it makes no bitmaps.
  static const auto frameInfo = reinterpret_cast<CursorFrameInfo>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
  DWORD rate = 0, steps = 0;
  return frameInfo && frameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps) != nullptr;
}

}  // namespace

// Windows, menus, icons and cursors of this process.
extern "C" __declspec(dllexport) DWORD WINAPI countUserObjects(void*) {
  const DWORD self = GetCurrentProcessId();
  DWORD count = 0;
  for (ULONG_PTR low = 0x20; low < 0x10000; low += 2) {
    auto handle = reinterpret_cast<HANDLE>(low);
    if (IsWindow(static_cast<HWND>(handle))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(static_cast<HWND>(handle), &pid);
      if (pid == self) ++count;
    } else if (IsMenu(static_cast<HMENU>(handle)) || isIconOrCursor(handle)) {
      ++count;
    }
  }
  return count;
}

// Live GDI objects of this process (DCs, bitmaps, brushes, pens, fonts, regions, palettes).
extern "C" __declspec(dllexport) DWORD WINAPI countGdiObjects(void*) {
  DWORD count = 0;
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  return count;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) {
  return TRUE;
}
