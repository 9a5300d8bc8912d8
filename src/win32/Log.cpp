#include <cstdio>

#include "win32/Handles.h"
#include "win32/Report.h"
#include "win32/Retry.h"
#include "win32/Services.h"
#include "win32/Text.h"

namespace win32 {

void reportFailure(const wchar_t* call, const wchar_t* detail) {
  reportFailure(call, detail, GetLastError());
}

void reportFailure(const wchar_t* call, const wchar_t* detail, DWORD error) {
  writeLog(std::wstring(call) + L" failed (" + detail + L"), error " + std::to_wstring(error));
}

void writeLog(const std::wstring& what) {
  OutputDebugStringW((L"Lumora: " + what + L"\n").c_str());
  constexpr DWORD kMaxLogBytes = 64 * 1024;  // past it, the older half goes
  // A writer has the file to itself while it rewrites it (readers are let in): another thread,
  // or the copy that carried a command, waits its turn, a tenth of a second at most.
  UniqueFile log;
  const auto busy = [](DWORD error) { return error == ERROR_SHARING_VIOLATION; };
  retried(20, 5, busy, [&] {
    log.reset(CreateFileW((programFolder() + L"lumora.log").c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(log);
  });
  std::string text(kMaxLogBytes, '\0');
  DWORD done = 0;
  if (!log || !ReadFile(log.get(), text.data(), kMaxLogBytes, &done, nullptr)) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  char time[24];
  std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  text.resize(done);
  text += time + narrow(what) + "\r\n";
  if (text.size() >= kMaxLogBytes) text.erase(0, text.find('\n', text.size() / 2) + 1);
  SetFilePointer(log.get(), 0, nullptr, FILE_BEGIN);
  WriteFile(log.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  SetEndOfFile(log.get());
}

}  // namespace win32
