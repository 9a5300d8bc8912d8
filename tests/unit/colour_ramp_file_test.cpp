#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "colour/DefaultRamp.h"
#include "colour/GammaEngine.h"

namespace {

using colour::at;
using colour::parseDefaultRamp;

// The file's numbers for a ramp, as signed values, entry by entry, joined by sep.
std::string fileText(const ui::Ramp& r, const std::string& sep) {
  std::string text;
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) {
      const int v = r[at(c, i)];
      text += std::to_string(v >= 32768 ? v - 65536 : v) + sep;
    }
  return text;
}

ui::Ramp distinctRamp() {
  ui::Ramp r{};
  for (int i = 0; i < 256; ++i) {
    r[at(0, i)] = static_cast<std::uint16_t>(100 * i);
    r[at(1, i)] = static_cast<std::uint16_t>(30000 + 100 * i);
    r[at(2, i)] = static_cast<std::uint16_t>(65535 - i);
  }
  r[at(0, 1)] = 32767;  // the ends of the signed range
  r[at(1, 2)] = 32768;
  return r;
}

TEST(DefaultRampFile, IdentityFileGivesTheIdentityRamp) {
  const std::string text = fileText(colour::identityRamp(), "\n");
  EXPECT_EQ(text.substr(text.size() - 9), "-1\n-1\n-1\n");
  auto parsed = parseDefaultRamp(text);
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, colour::identityRamp());
}

TEST(DefaultRampFile, ChannelsAreInterleavedEntryByEntry) {
  auto parsed = parseDefaultRamp(fileText(distinctRamp(), ","));
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, distinctRamp());
  // Position 3i+1 of the file is green entry i.
  EXPECT_EQ((*parsed.ramp)[at(1, 5)], 30500);
}

TEST(DefaultRampFile, SeparatorsAndSpacesDoNotMatter) {
  const ui::Ramp r = distinctRamp();
  for (const std::string sep : {",", "\n", "\r\n", " , ", "\t\r\n", ",\r\n", "\r\n\r\n"}) {
    auto parsed = parseDefaultRamp(fileText(r, sep));
    ASSERT_TRUE(parsed.ramp) << "separator [" << sep << "]: " << parsed.error;
    EXPECT_EQ(*parsed.ramp, r);
  }
  // Spaces before the first number, no separator after the last, a UTF-8 mark at the start.
  std::string text = "\xEF\xBB\xBF  " + fileText(r, ", ");
  text.resize(text.size() - 2);
  auto parsed = parseDefaultRamp(text);
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, r);
}

TEST(DefaultRampFile, NumbersAfterThe768thAreIgnored) {
  const std::string text = fileText(distinctRamp(), "\n") + "5\n70000\nnot a number\n";
  auto parsed = parseDefaultRamp(text);
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, distinctRamp());
}

TEST(DefaultRampFile, DamagedFilesAreRefusedWithTheFault) {
  const std::string good = fileText(colour::identityRamp(), "\n");

  std::string shortText = good.substr(0, good.rfind("-1\n"));  // 767 numbers
  auto parsed = parseDefaultRamp(shortText);
  EXPECT_FALSE(parsed.ramp);
  EXPECT_NE(parsed.error.find("767"), std::string::npos) << parsed.error;

  parsed = parseDefaultRamp("");
  EXPECT_FALSE(parsed.ramp);
  EXPECT_NE(parsed.error.find("0 of the 768"), std::string::npos) << parsed.error;

  for (const std::string bad : {"32768", "-32769", "99999999999999999999"}) {
    parsed = parseDefaultRamp("1\n2\n" + bad + "\n" + good);
    EXPECT_FALSE(parsed.ramp) << bad;
    EXPECT_NE(parsed.error.find("line 3"), std::string::npos) << parsed.error;
    EXPECT_NE(parsed.error.find("outside"), std::string::npos) << parsed.error;
  }

  for (const std::string bad : {"abc", "12.5", "1e3", "- 4", "0x10", "--1", "-"}) {
    parsed = parseDefaultRamp("1,2\r\n3,\r\n" + bad + "\r\n" + good);
    EXPECT_FALSE(parsed.ramp) << bad;
    EXPECT_NE(parsed.error.find("line 3"), std::string::npos) << bad << ": " << parsed.error;
    EXPECT_NE(parsed.error.find("not a whole number"), std::string::npos) << parsed.error;
  }
}

TEST(DefaultRampFile, TheShippedFileIsTheIdentityRamp) {
  const auto path =
      std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "resources" / "monitor.txt";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::stringstream text;
  text << in.rdbuf();
  auto parsed = parseDefaultRamp(text.str());
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, colour::identityRamp());
}

}  // namespace
