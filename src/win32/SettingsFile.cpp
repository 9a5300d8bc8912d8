#include "win32/Report.h"
#include "win32/Retry.h"
#include "win32/Services.h"
#include "win32/Text.h"

namespace win32 {

namespace {

using settings::Slot;

// Another program that opens the file for a moment (an indexer, an antivirus scanner) lets go
// within milliseconds; each step waits that out, a tenth of a second at most.
constexpr int kAttempts = 20;
constexpr DWORD kPauseMs = 5;

bool shared(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Windows also reports a file pending deletion as access denied; ReplaceFileW's partial results
// are each finished by another attempt.
bool held(DWORD error) {
  return shared(error) || error == ERROR_ACCESS_DENIED ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
}

}  // namespace

std::wstring ProfileFile::name(Slot slot) const {
  constexpr const wchar_t* kEndings[] = {L"", L".tmp", L".tmp2"};  // in the order of Slot
  return path_ + kEndings[static_cast<int>(slot)];
}

ProfileFile::Found ProfileFile::fetch(Slot slot, std::size_t limit, std::string& bytes) {
  const bool read = retried(kAttempts, kPauseMs, shared, [&] {
    UniqueFile file(CreateFileW(name(slot).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    SetLastError(ERROR_READ_FAULT);  // past the open, whatever fails is no missing file
    LARGE_INTEGER size{};
    DWORD done = 0;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(limit))
      return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
  });
  if (read) return Found::Yes;
  return GetLastError() == ERROR_FILE_NOT_FOUND ? Found::No : Found::Unreadable;
}

bool ProfileFile::exists(Slot slot) {
  return GetFileAttributesW(name(slot).c_str()) != INVALID_FILE_ATTRIBUTES ||
         GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool ProfileFile::create(Slot slot, const std::string& bytes) {
  const std::wstring temp = name(slot);
  UniqueFile file;
  const bool created = retried(kAttempts, kPauseMs, held, [&] {
    file.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
  });
  DWORD written = 0;
  if (created &&
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size() && FlushFileBuffers(file.get()))
    return true;
  reportFailure(created ? L"WriteFile" : L"CreateFileW",
                (L"writing the settings to " + temp).c_str());
  return false;
}

bool ProfileFile::swapIn(Slot slot) {
  const std::wstring temp = name(slot);
  const DWORD attributes = GetFileAttributesW(path_.c_str());
  // ReplaceFileW may fail half-way, documented as ERROR_UNABLE_TO_MOVE_REPLACEMENT: the old file
  // is gone and the new one keeps its temporary name. Whenever there is no file to replace (that,
  // or a first save) the new one is moved in instead.
  const wchar_t* call = L"";
  const bool swapped = retried(kAttempts, kPauseMs, held, [&] {
    const bool replacing = exists(Slot::Settings);
    call = replacing ? L"ReplaceFileW" : L"MoveFileExW";
    if (replacing)
      return ReplaceFileW(path_.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr) != FALSE;
    return MoveFileExW(temp.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
  });
  if (!swapped) {
    reportFailure(call, (L"putting " + temp + L" in place of " + path_).c_str());
    return false;
  }
  // ReplaceFileW is documented to keep the file's permissions, streams and times, but not its
  // hidden or system mark (and under Wine keeps none): they are put back.
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(path_.c_str(), attributes);
  return true;
}

void ProfileFile::remove(Slot slot) {
  if (!DeleteFileW(name(slot).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    reportFailure(L"DeleteFileW", name(slot).c_str());
}

bool ProfileFile::markedReadOnly() {
  const DWORD attributes = GetFileAttributesW(path_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::string ProfileFile::fromAnsi(std::string_view text) {
  return narrow(widen(text, CP_ACP));
}

std::string ProfileFile::toAnsi(std::string_view utf8) {
  return narrow(widen(utf8), CP_ACP);
}

std::string ProfileFile::path() const {
  return narrow(path_);
}

}  // namespace win32
