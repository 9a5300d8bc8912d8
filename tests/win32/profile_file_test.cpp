// config.ini as people really save it, through the real profile store and file system: each file
// is read as it stands, or falls back, and a save keeps its encoding and everything it holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/Handles.h"
#include "win32/Services.h"

namespace {

enum class Kind { File, Folder, ReadOnly, Locked };

struct Case {
  const char* name;
  std::string bytes;  // the file as saved
  Kind kind = Kind::File;
  const char* mei = "30";  // dsxx/mei as first read ("mei": not readable)
  bool writable = true;
  bool keepsOthers = true;    // unknown keys and sections read the same after a save
  const char* survives = "";  // bytes that must still be in the file after a save
  std::string saved;          // the whole file after the save, where it is known exactly
};

std::string lines(const std::vector<std::string>& text, const std::string& lineBreak) {
  std::string out;
  for (const std::string& line : text) out += line + lineBreak;
  return out;
}

const std::vector<std::string> kSettings = {"[dsxx]", "mei=30",  "extra=yes",
                                            "",       "[other]", "keep=kept"};
const std::string kUtf8Mark = "\xEF\xBB\xBF";

std::string utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

std::string garbage(std::size_t size) {
  std::string out(size, '\0');
  unsigned state = 12345;
  for (char& c : out) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return out;
}

std::string big() {
  std::string out = "[filler]\r\n";
  for (int i = 0; out.size() < 5 * 1024 * 1024; ++i)
    out += "key" + std::to_string(i) + "=" + std::string(60, 'x') + "\r\n";
  return out + lines(kSettings, "\r\n");
}

std::vector<Case> cases() {
  std::string crlf = lines(kSettings, "\r\n");
  return {
      {"ANSI, CR LF", crlf},
      {"LF only", lines(kSettings, "\n")},
      {"blanks around names and =",
       lines({"  [ dsxx ]", " mei  =  30 ", "extra= yes", "[other]", "keep =kept"}, "\r\n")},
      // Every byte but the changed lines stays, the blank line included (the system's profile
      // functions, which do not handle this file on Windows, would rewrite it their way).
      {"UTF-8 with a mark", kUtf8Mark + crlf, Kind::File, "30", true, true, "",
       kUtf8Mark + lines({"[dsxx]", "mei=45", "extra=yes", "", "[other]", "keep=kept", "[eye]",
                          "liangdu=-7"},
                         "\r\n")},
      {"UTF-8 with a mark, LF only", kUtf8Mark + lines(kSettings, "\n")},
      {"UTF-16 LE with a mark", utf16(crlf)},
      {"duplicate sections",
       crlf + lines({"[dsxx]", "mei=99", "late=1", "[DSXX]", "later=2"}, "\r\n"), Kind::File, "30",
       true, true, "late=1"},
      {"5 MB", big(), Kind::File, "30", true, true, "key70000="},
      {"binary garbage", garbage(4096), Kind::File, "mei", true, false},
      {"UTF-8 mark, then garbage", kUtf8Mark + garbage(4096), Kind::File, "mei", true, false},
      {"a folder", "", Kind::Folder, "mei", false, false},
      {"read-only", crlf, Kind::ReadOnly, "30", false},
      {"read-only, UTF-8 with a mark", kUtf8Mark + crlf, Kind::ReadOnly, "30", false},
      {"locked by another program", crlf, Kind::Locked, "mei", false, false},
      {"locked, UTF-8 with a mark", kUtf8Mark + crlf, Kind::Locked, "mei", false, false},
  };
}

std::string contents(const std::wstring& path) {
  win32::UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string bytes(GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

void removeAll(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
  RemoveDirectoryW(path.c_str());
}

void create(const std::wstring& path, const std::string& bytes, LONGLONG size = 0) {
  win32::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (size && SetFilePointerEx(file.get(), {.QuadPart = size}, nullptr, FILE_BEGIN))
    SetEndOfFile(file.get());
}

// A save is written beside the file and swapped in: what an interrupted save left there is never
// read and goes with the next save, and the file keeps its attributes.
TEST(ProfileFileTest, ASaveSurvivesInterruption) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"lumora_swap.ini", temp = path + L".tmp";
  removeAll(path);
  win32::ProfileFile file(path);
  EXPECT_TRUE(file.write({{"dsxx", "mei", "45"}, {"dsxx", "xiuxi", ""}}));  // moved in
  create(temp, "[dsxx]\r\nmei=1\r\n");
  EXPECT_EQ(file.read("dsxx", "mei", "mei"), "45");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(file.write({{"dsxx", "mei", std::nullopt}, {"eye", "liangdu", "-7"}}));
  EXPECT_EQ(contents(path), "[dsxx]\r\nxiuxi=\r\n[eye]\r\nliangdu=-7\r\n");
  EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(GetFileAttributesW(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  // A file with the mark that cannot be read whole is never rewritten.
  const std::string marked = kUtf8Mark + "[dsxx]\r\nmei=30\r\n";
  create(path, marked, settings::kMaxProfileBytes + 1);
  EXPECT_EQ(file.read("dsxx", "mei", "mei"), "mei");
  EXPECT_FALSE(file.write({{"dsxx", "mei", "45"}}));
  EXPECT_EQ(contents(path).substr(0, marked.size()), marked);
  EXPECT_EQ(GetFileAttributesW(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  removeAll(path);
}

TEST(ProfileFileTest, FilesAsPeopleSaveThemAreReadAndKeptWhole) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  int n = 0;
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    std::wstring path = std::wstring(folder) + L"lumora_profile_" + std::to_wstring(n++) + L".ini";
    removeAll(path);
    win32::UniqueFile lock;
    if (c.kind == Kind::Folder) {
      ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    } else {
      create(path, c.bytes);
    }
    if (c.kind == Kind::ReadOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.kind == Kind::Locked)
      lock.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             0, nullptr));

    win32::ProfileFile file(path);
    EXPECT_EQ(file.read("dsxx", "mei", "mei"), c.mei);
    EXPECT_EQ(file.write({{"dsxx", "mei", "45"}}), c.writable);
    EXPECT_EQ(file.write({{"eye", "liangdu", "-7"}}), c.writable);
    lock.reset();
    std::string after = contents(path);
    if (c.writable) {
      EXPECT_EQ(file.read("dsxx", "mei", "mei"), "45");
      EXPECT_EQ(file.read("eye", "liangdu", "liangdu"), "-7");
      // The encoding stays as the user chose it.
      for (const std::string& mark : {kUtf8Mark, std::string("\xFF\xFE")})
        EXPECT_EQ(after.rfind(mark, 0) == 0, c.bytes.rfind(mark, 0) == 0) << "mark " << mark.size();
    } else if (c.kind != Kind::Folder) {
      EXPECT_EQ(after, c.bytes);
    }
    if (c.keepsOthers) {
      EXPECT_EQ(file.read("dsxx", "extra", "none"), "yes");
      EXPECT_EQ(file.read("other", "keep", "none"), "kept");
    }
    EXPECT_NE(after.find(c.survives), std::string::npos);
    if (!c.saved.empty()) EXPECT_EQ(after, c.saved);
    EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    removeAll(path);
  }
}

}  // namespace
