// The sign-in entry in the real registry, the message loop's answer to an exit request, and a
// command's output on the console it was started from.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "win32/Handles.h"
#include "win32/MessageLoop.h"
#include "win32/RunKey.h"

namespace {

// A value name of its own, so that a real sign-in entry in the prefix is never touched.
constexpr wchar_t kValue[] = L"LumoraWin32Test";
constexpr wchar_t kProgram[] = L"C:\\Lumora Test\\Lumora.exe";

void setRaw(const wchar_t* path, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path, kValue, type, data, size), ERROR_SUCCESS);
}

void deleteRaw(const wchar_t* path) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, path, kValue);
}

std::optional<std::vector<BYTE>> raw(const wchar_t* path) {
  BYTE data[512];
  DWORD size = sizeof(data);
  if (RegGetValueW(HKEY_CURRENT_USER, path, kValue, RRF_RT_ANY, nullptr, data, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::vector<BYTE>(data, data + size);
}

std::vector<BYTE> bytesOf(const std::wstring& text) {
  auto p = reinterpret_cast<const BYTE*>(text.c_str());
  return {p, p + (text.size() + 1) * sizeof(wchar_t)};
}

struct RunKeyEntryTest : ::testing::Test {
  void SetUp() override { TearDown(); }
  void TearDown() override {
    deleteRaw(win32::kRunKey);
    deleteRaw(win32::kStartupApprovedKey);
  }
};

TEST_F(RunKeyEntryTest, ShowsTheEntryAsWindowsWouldRunItAndTurnsItOnAndOff) {
  const std::vector<BYTE> approved(12, 0), disabled{3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  struct Case {
    const char* what;
    std::optional<std::wstring> run;
    std::optional<std::vector<BYTE>> approval;
    bool enabled;
  };
  const std::wstring ours = L"\"C:\\Lumora Test\\Lumora.exe\" /tray";
  std::vector<BYTE> enabledMark = approved;
  enabledMark[0] = 2;
  const Case cases[] = {
      {"no entry", std::nullopt, std::nullopt, false},
      {"our entry", ours, std::nullopt, true},
      {"our entry, approved", ours, enabledMark, true},
      {"our entry, disabled in Task Manager", ours, disabled, false},
      {"our path in another case", L"\"c:\\lumora test\\LUMORA.EXE\" /tray", std::nullopt, true},
      {"another copy's entry", L"\"C:\\Old\\Lumora.exe\" /tray", std::nullopt, false},
      {"unquoted path cut at its blank", L"C:\\Lumora Test\\Lumora.exe /tray", std::nullopt, false},
      {"a disable without an entry", std::nullopt, disabled, false},
  };
  win32::RunKeyEntry entry(kValue, kProgram);
  EXPECT_EQ(entry.command(), ours);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    if (c.run)
      setRaw(win32::kRunKey, REG_SZ, c.run->c_str(),
             static_cast<DWORD>((c.run->size() + 1) * sizeof(wchar_t)));
    if (c.approval)
      setRaw(win32::kStartupApprovedKey, REG_BINARY, c.approval->data(),
             static_cast<DWORD>(c.approval->size()));
    EXPECT_EQ(entry.enabled(), c.enabled);

    // Ticking writes this copy's command and lifts a disable; unticking leaves neither value.
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_EQ(raw(win32::kRunKey), bytesOf(ours));
    auto mark = raw(win32::kStartupApprovedKey);
    EXPECT_TRUE(!mark || ((*mark)[0] & 1) == 0);
    EXPECT_TRUE(entry.enabled());
    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_EQ(raw(win32::kRunKey), std::nullopt);
    EXPECT_EQ(raw(win32::kStartupApprovedKey), std::nullopt);
    EXPECT_FALSE(entry.enabled());
  }
}

TEST_F(RunKeyEntryTest, AnExpandableEntryIsReadExpanded) {
  SetEnvironmentVariableW(L"LUMORA_TEST_FOLDER", L"C:\\Lumora Test");
  const std::wstring value = L"\"%LUMORA_TEST_FOLDER%\\Lumora.exe\" /tray";
  setRaw(win32::kRunKey, REG_EXPAND_SZ, value.c_str(),
         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  EXPECT_TRUE(win32::RunKeyEntry(kValue, kProgram).enabled());
}

TEST(ProgramOfCommandLine, QuotedOrUpToTheFirstBlank) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"\"C:\\A B\\Lumora.exe\" /tray", L"C:\\A B\\Lumora.exe"},
      {L"  \"C:\\A\\Lumora.exe\"", L"C:\\A\\Lumora.exe"},
      {L"C:\\A\\Lumora.exe /tray", L"C:\\A\\Lumora.exe"},
      {L"C:\\A\\Lumora.exe", L"C:\\A\\Lumora.exe"},
      {L"\"C:\\unterminated", L""},
      {L"", L""},
  };
  for (const auto& [line, program] : cases) EXPECT_EQ(win32::programOf(line), program) << line;
}

// Messages keep flowing while the loop waits, and a set exit request runs its handler once,
// on the loop's thread, which then ends the loop the way the tray's Exit does.
int ticks = 0;
HANDLE request = nullptr;

void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD) {
  if (++ticks < 3) return;
  KillTimer(nullptr, timer);
  SetEvent(request);
}

TEST(MessageLoop, DispatchesMessagesAndAnswersAnExitRequestOnItsThread) {
  win32::UniqueHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  request = event.get();
  ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, tick);
  ASSERT_NE(timer, 0u);
  std::vector<int> seen;
  const DWORD thread = GetCurrentThreadId();
  int code = win32::runMessageLoop(event.get(), [&] {
    seen.push_back(ticks);
    EXPECT_EQ(GetCurrentThreadId(), thread);
    PostQuitMessage(7);
  });
  EXPECT_EQ(code, 7);
  EXPECT_EQ(seen, std::vector<int>{3});
}

// Lumora.exe beside this test, started with a command on this process's console as a terminal
// hands it down: its exit code and what it wrote, read back from the screen.
std::pair<DWORD, std::wstring> commandOnConsole(const std::wstring& arguments) {
  FreeConsole();
  EXPECT_TRUE(AllocConsole());
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  win32::UniqueFile screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                       0, nullptr));
  wchar_t path[MAX_PATH];
  std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  program = program.substr(0, program.rfind(L'\\') + 1) + L"Lumora.exe";
  std::wstring line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{sizeof startup};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = screen.get();
  startup.hStdError = screen.get();
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             nullptr, &startup, &process));
  win32::UniqueHandle thread(process.hThread);
  win32::UniqueHandle child(process.hProcess);
  DWORD exitCode = 99;
  EXPECT_EQ(WaitForSingleObject(child.get(), 20000), WAIT_OBJECT_0);
  GetExitCodeProcess(child.get(), &exitCode);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(screen.get(), &info);
  std::wstring shown(static_cast<std::size_t>(info.dwSize.X * info.dwSize.Y), L' ');
  DWORD read = 0;  // the rows one after another: a wrapped line reads on unbroken
  ReadConsoleOutputCharacterW(screen.get(), shown.data(), static_cast<DWORD>(shown.size()), {0, 0},
                              &read);
  FreeConsole();
  return {exitCode, shown.substr(0, read)};
}

TEST(CommandLine, WritesOnTheConsoleItWasStartedFromArgumentsNamedShort) {
  const std::tuple<std::wstring, DWORD, std::wstring> cases[] = {
      {L"/?", 0, L"/pause tomorrow"},
      {L"/pause \"\"", 2, L"not an empty argument."},
      {L"/pause " + std::wstring(5000, L'7'), 2, L"not \"" + std::wstring(40, L'7') + L"...\"."}};
  for (const auto& [arguments, code, says] : cases) {
    const auto [exitCode, shown] = commandOnConsole(arguments);
    EXPECT_EQ(exitCode, code);
    EXPECT_NE(shown.find(says), std::wstring::npos) << shown;
  }
}

}  // namespace
