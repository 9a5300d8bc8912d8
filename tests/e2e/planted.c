/* A library planted beside the program: when loaded, it leaves "<its path>.loaded". */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      lstrcatW(path, L".loaded");
      CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
  }
  return TRUE;
}

void CALLBACK Touch(HWND hwnd, HINSTANCE instance, LPSTR line, int show) {
  (void)hwnd, (void)instance, (void)line, (void)show;
}
