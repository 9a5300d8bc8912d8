// The profile-file layout read and changed as the system's profile functions do it.
#include <gtest/gtest.h>

#include "settings/ProfileText.h"

namespace {

using settings::profileValue;
using settings::wholeProfileText;
using settings::withProfileValue;
using namespace std::string_view_literals;

TEST(ProfileText, ReadsAsTheProfileFunctionsDo) {
  struct Case {
    std::string_view text;
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"[dsxx]\r\nmei=45\r\n", "dsxx", "mei", "45"},
      {"[dsxx]\nmei=45", "dsxx", "mei", "45"},                      // LF, no final line break
      {"[dsxx]\rmei=45\r", "dsxx", "mei", "45"},                    // CR alone
      {"  [ DSXX ]  \n\t Mei \t=\t 45 \t\n", "dsxx", "mei", "45"},  // blanks, any case
      {"[dsxx]\nmei=\n", "dsxx", "mei", ""},
      {"[dsxx]\nmei=\"4 5\"\n", "dsxx", "mei", "4 5"},  // quotes around the whole value go
      {"[dsxx]\nmei='45\n", "dsxx", "mei", "'45"},      // a lone quote stays
      {"[dsxx]\nmei=a=b\n", "dsxx", "mei", "a=b"},
      {"[dsxx]\nmei\nmei=45\n", "dsxx", "mei", "45"},     // a line without "=" is no value
      {"mei=45\n[dsxx]\n", "dsxx", "mei", std::nullopt},  // before any section
      {"[eye]\nmei=45\n", "dsxx", "mei", std::nullopt},
      {"[dsxx]\nmei=45\nmei=46\n", "dsxx", "mei", "45"},  // the first of two
      // Only the first section of a name is looked in.
      {"[dsxx]\nxiuxi=5\n[eye]\n[dsxx]\nmei=45\n", "dsxx", "mei", std::nullopt},
      {"[dsxx\nmei=45\n", "dsxx", "mei", "45"},  // no closing bracket
      {"[dsxx]\nm\0i=1\nmei=45\n"sv, "dsxx", "mei", "45"},
      {"", "dsxx", "mei", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(profileValue(c.text, c.section, c.key), c.value) << c.text;
}

TEST(ProfileText, WritesChangeOnlyTheirLine) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    std::optional<std::string> value;
    const char* after;
  } cases[] = {
      // Replaced in place: the rest, blanks, comments and unknown keys, stays byte for byte.
      {"; mine\r\n[dsxx]\r\n mei = 45 \r\nx=1\r\n", "dsxx", "mei", "30",
       "; mine\r\n[dsxx]\r\nmei=30\r\nx=1\r\n"},
      // Added after the section's last entry, before the blank lines that follow it.
      {"[dsxx]\nx=1\n\n[eye]\n", "DSXX", "mei", "30", "[dsxx]\nx=1\nmei=30\n\n[eye]\n"},
      {"[dsxx]\nx=1", "dsxx", "mei", "30", "[dsxx]\nx=1\nmei=30\n"},
      {"[dsxx]", "dsxx", "mei", "30", "[dsxx]\r\nmei=30\r\n"},
      // A new section at the end, with the text's own line break.
      {"[eye]\nx=1", "dsxx", "mei", "30", "[eye]\nx=1\n[dsxx]\nmei=30\n"},
      {"", "dsxx", "mei", "30", "[dsxx]\r\nmei=30\r\n"},
      // Into the first of two sections of the name, whose entries stay.
      {"[dsxx]\nx=1\n[dsxx]\nmei=9\n", "dsxx", "mei", "30", "[dsxx]\nx=1\nmei=30\n[dsxx]\nmei=9\n"},
      // A value is one line.
      {"[dsxx]\nmei=1\n", "dsxx", "mei", "30\r\n[eye]\r\npdrun=1", "[dsxx]\nmei=30\n"},
      // No value removes every line of the key, and only those.
      {"[dsxx]\nmei=1\nx=1\nmei=2\n", "dsxx", "mei", std::nullopt, "[dsxx]\nx=1\n"},
      {"[dsxx]\nx=1\n", "dsxx", "mei", std::nullopt, "[dsxx]\nx=1\n"},
      // A value written goes into the first line of the key; the others go.
      {"[dsxx]\nmei=1\nx=1\nmei=2\n", "dsxx", "mei", "30", "[dsxx]\nmei=30\nx=1\n"},
  };
  for (const Case& c : cases) {
    std::string after = withProfileValue(c.before, c.section, c.key, c.value);
    EXPECT_EQ(after, c.after) << c.before;
    std::optional<std::string> expected =
        c.value ? std::optional(c.value->substr(0, c.value->find('\r'))) : std::nullopt;
    EXPECT_EQ(profileValue(after, c.section, c.key), expected) << c.before;
  }
}

// config.ini in memory; each replace is one swap of the file.
struct MemoryFile : settings::ProfileFile {
  std::string bytes = "[dsxx]\r\nmei=30\r\n";
  int swaps = 0;
  std::string path() const override { return "config.ini"; }
  std::optional<std::string> load(std::size_t) override { return bytes; }
  bool replace(const std::string& b) override {
    bytes = b;
    ++swaps;
    return true;
  }
  std::string fromAnsi(std::string_view t) override { return std::string(t); }
  std::string toAnsi(std::string_view t) override { return std::string(t); }
};

TEST(ProfileText, ASaveThatChangesNothingTouchesNothing) {
  MemoryFile file;
  EXPECT_TRUE(file.write({{"dsxx", "mei", "30"}}));
  EXPECT_EQ(file.swaps, 0);
  EXPECT_TRUE(file.write({{"dsxx", "mei", "31"}, {"eye", "pdrun", "1"}}));
  EXPECT_EQ(file.swaps, 1);
}

// What a save leaves is whole; what a write cut short leaves is not.
TEST(ProfileText, TellsAWholeSaveFromATornOne) {
  EXPECT_TRUE(wholeProfileText("[dsxx]\r\nmei=45\r\n"));
  EXPECT_TRUE(wholeProfileText("\xEF\xBB\xBF[dsxx]\nmei=45\n"));
  EXPECT_TRUE(wholeProfileText("\xFF\xFE[\0a\0]\0\r\0"sv));
  EXPECT_FALSE(wholeProfileText("[dsxx]\r\nmei=4"));         // cut mid-line
  EXPECT_FALSE(wholeProfileText("[dsxx]\r\n\0\0\0\0\n"sv));  // zeros where the data was not written
  EXPECT_FALSE(wholeProfileText("\xFF\xFE[\0a\0]\0\r\0\n"sv));  // odd UTF-16
  EXPECT_FALSE(wholeProfileText(""));
}

}  // namespace
