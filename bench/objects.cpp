// Prints the USER and GDI object counts of a running program, found by its executable's name:
//   objects NAME.exe   ->   "<pid>\t<user>\t<gdi>\t<method>"
// GetGuiResources answers where the system implements it. Where it reports nothing (Wine), the
// counting library objects_count.dll, which lies beside this probe, is loaded into the program
// for the count and unloaded again.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "win32/Handles.h"

namespace {

DWORD findProcess(const wchar_t* exeName) {
  win32::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, exeName) == 0) return entry.th32ProcessID;
  }
  return 0;
}

// Runs start(argument) on a new thread of the target and returns the thread's exit code.
bool runRemote(HANDLE process, void* start, void* argument, DWORD& result) {
  win32::UniqueHandle thread(CreateRemoteThread(
      process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(start), argument, 0, nullptr));
  if (!thread || WaitForSingleObject(thread.get(), 60000) != WAIT_OBJECT_0) return false;
  return GetExitCodeThread(thread.get(), &result) != 0;
}

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// Loads the counting library into the target, runs both counts there and unloads it.
bool countInside(HANDLE process, DWORD& user, DWORD& gdi) {
  const std::wstring library = besideThisProgram(L"objects_count.dll");
  HMODULE local = LoadLibraryW(library.c_str());
  if (!local) {
    std::fwprintf(stderr, L"objects: cannot load %ls\n", library.c_str());
    return false;
  }
  auto* countUser = reinterpret_cast<char*>(GetProcAddress(local, "countUserObjects@4"));
  auto* countGdi = reinterpret_cast<char*>(GetProcAddress(local, "countGdiObjects@4"));
  if (!countUser) countUser = reinterpret_cast<char*>(GetProcAddress(local, "countUserObjects"));
  if (!countGdi) countGdi = reinterpret_cast<char*>(GetProcAddress(local, "countGdiObjects"));
  if (!countUser || !countGdi) return false;

  const SIZE_T bytes = (library.size() + 1) * sizeof(wchar_t);
  void* remotePath = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  if (!remotePath) return false;
  bool ok = false;
  // kernel32 lies at the same address in every process of a session, so its entry points do too.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto* loadLibrary = reinterpret_cast<void*>(GetProcAddress(kernel, "LoadLibraryW"));
  auto* freeLibrary = reinterpret_cast<void*>(GetProcAddress(kernel, "FreeLibrary"));
  DWORD remoteBase = 0;
  if (WriteProcessMemory(process, remotePath, library.c_str(), bytes, nullptr) &&
      runRemote(process, loadLibrary, remotePath, remoteBase) && remoteBase != 0) {
    auto* base = reinterpret_cast<char*>(static_cast<ULONG_PTR>(remoteBase));
    auto* localBase = reinterpret_cast<char*>(local);
    ok = runRemote(process, base + (countUser - localBase), nullptr, user) &&
         runRemote(process, base + (countGdi - localBase), nullptr, gdi);
    DWORD ignored = 0;
    runRemote(process, freeLibrary, base, ignored);
  }
  VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
  FreeLibrary(local);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: objects NAME.exe\n");
    return 2;
  }
  DWORD pid = findProcess(argv[1]);
  if (!pid) {
    std::fwprintf(stderr, L"objects: no process %ls\n", argv[1]);
    return 1;
  }
  win32::UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
  if (!process) {
    std::fprintf(stderr, "objects: cannot open process %lu\n", pid);
    return 1;
  }
  DWORD user = GetGuiResources(process.get(), GR_USEROBJECTS);
  DWORD gdi = GetGuiResources(process.get(), GR_GDIOBJECTS);
  const char* method = "GetGuiResources";
  if (user == 0 || gdi == 0) {
    method = "handle-table";
    if (!countInside(process.get(), user, gdi)) {
      std::fprintf(stderr, "objects: counting inside process %lu failed\n", pid);
      return 1;
    }
  }
  std::printf("%lu\t%lu\t%lu\t%s\n", pid, user, gdi, method);
  return 0;
}
