#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Fakes.h"
#include "colour/DefaultRamp.h"
#include "colour/GammaEngine.h"

namespace {

using colour::at;
using colour::parseDefaultRamp;

using fakes::rampFileText;

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
  const std::string text = rampFileText(colour::identityRamp(), "\n");
  EXPECT_EQ(text.substr(text.size() - 9), "-1\n-1\n-1\n");
  auto parsed = parseDefaultRamp(text);
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, colour::identityRamp());
}

TEST(DefaultRampFile, ChannelsAreInterleavedEntryByEntry) {
  auto parsed = parseDefaultRamp(rampFileText(distinctRamp(), ","));
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, distinctRamp());
  // Position 3i+1 of the file is green entry i.
  EXPECT_EQ((*parsed.ramp)[at(1, 5)], 30500);
}

std::string utf16(const std::string& ascii, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char ch : ascii) out += littleEndian ? std::string{ch, '\0'} : std::string{'\0', ch};
  return out;
}

// The file read in pieces of every size from one byte up, so that a number, a CRLF, a mark or a
// UTF-16 character split between two reads shows.
colour::DefaultRampResult readInPieces(const std::string& text, std::size_t piece) {
  fakes::StringReader file(text, piece);
  return colour::readDefaultRamp(file);
}

TEST(DefaultRampFile, HowTheFileCanArrive) {
  const ui::Ramp r = distinctRamp();  // holds -32768 and -1
  const std::string lf = rampFileText(r, "\n"), crlf = rampFileText(r, "\r\n");
  std::string lf767 = lf.substr(0, lf.rfind('\n', lf.size() - 2) + 1);
  const struct {
    const char* what;
    std::string text;
    const char* error;  // nullptr: the file is read as distinctRamp()
  } cases[] = {
      {"LF", lf, nullptr},
      {"CRLF", crlf, nullptr},
      {"CR", rampFileText(r, "\r"), nullptr},
      {"commas", rampFileText(r, ","), nullptr},
      {"commas and CRLF", rampFileText(r, ",\r\n"), nullptr},
      {"spaces and tabs", rampFileText(r, " \t, "), nullptr},
      {"blank lines", "\r\n  \r\n" + rampFileText(r, "\r\n\r\n") + "\r\n\t\r\n", nullptr},
      {"no line end after the last", lf.substr(0, lf.size() - 1), nullptr},
      {"UTF-8 mark", "\xEF\xBB\xBF" + crlf, nullptr},
      {"UTF-16 LE with a mark", utf16(crlf, true), nullptr},
      {"UTF-16 BE with a mark", utf16(lf, false), nullptr},
      {"empty", "", "it holds no numbers"},
      {"only blank lines", "\r\n \r\n\t\r\n", "it holds no numbers"},
      {"767 lines", lf767, "it ends after line 767 with only 767 of the 768 numbers"},
      {"769 lines: the 769th is ignored", lf + "5\n", nullptr},
      {"text after the 768th is ignored", crlf + "\r\nend\r\n", nullptr},
      {"65536", "1\n2\n65536\n" + lf, "line 3: \"65536\" is outside the range -32768 to 32767"},
      {"-32769", "1,2\n-32769\n" + lf, "line 2: \"-32769\" is outside the range"},
      {"20 digits", "99999999999999999999\n" + lf, "line 1: \"99999999999999999999\" is outside"},
      {"a line of digits", std::string(5000, '7'),
       "line 1: \"77777777777777777777...\" is outside"},
      {"text", "1\r\n2\r\nabc\r\n" + crlf, "line 3: \"abc\" is not a whole number"},
      {"a fraction", "1\n12.5\n" + lf, "line 2: \"12.5\" is not a whole number"},
      {"exponent", "1e3\n" + lf, "line 1: \"1e3\" is not a whole number"},
      {"hexadecimal", "0x10\n" + lf, "line 1: \"0x10\" is not a whole number"},
      {"two signs", "--1\n" + lf, "line 1: \"--1\" is not a whole number"},
      {"a sign alone", "1\n-\n" + lf, "line 2: \"-\" is not a whole number"},
      {"a space inside", "1\n- 4\n" + lf, "line 2: \"- 4\" is not a whole number"},
      {"blank lines are counted", "1\n\n\r\n\rx\n" + lf, "line 5: \"x\" is not a whole number"},
      {"binary", std::string("\x01\x00\xFF", 3) + lf, "line 1: \"???0\" is not a whole number"},
      {"UTF-16 without a mark", utf16(lf, true).substr(2), "line 1: \"0?\" is not"},
      {"UTF-16 with text on line 3", utf16("1\r\n2\r\nzwei\r\n" + crlf, true),
       "line 3: \"zwei\" is not a whole number"},
      {"UTF-16 cut in half a character after the 768th", utf16(crlf, true) + "7", nullptr},
      {"UTF-16 cut in half a character", utf16("1\r\n", true) + "7", "line 2: \"?\" is not"},
  };
  for (const auto& t : cases) {
    for (std::size_t piece :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{16384}}) {
      const auto parsed = readInPieces(t.text, piece);
      if (!t.error) {
        ASSERT_TRUE(parsed.ramp) << t.what << ", pieces of " << piece << ": " << parsed.error;
        EXPECT_EQ(*parsed.ramp, r) << t.what;
      } else {
        EXPECT_FALSE(parsed.ramp) << t.what;
        EXPECT_NE(parsed.error.find(t.error), std::string::npos)
            << t.what << ", pieces of " << piece << ": " << parsed.error;
      }
    }
  }
}

// Makes a file of any size without holding it: a head, then a filler repeated up to `size`.
class GeneratedFile : public ui::FileReader {
 public:
  GeneratedFile(std::string head, std::string filler, std::size_t size)
      : head_(std::move(head)), filler_(std::move(filler)), size_(size) {}
  std::optional<std::size_t> read(std::span<char> into) override {
    std::size_t n = 0;
    while (n < into.size() && at_ < size_) {
      const std::string_view from =
          at_ < head_.size()
              ? std::string_view(head_).substr(at_)
              : std::string_view(filler_).substr((at_ - head_.size()) % filler_.size());
      const std::size_t count = std::min({from.size(), into.size() - n, size_ - at_});
      std::copy_n(from.data(), count, into.data() + n);
      n += count;
      at_ += count;
    }
    return n;
  }
  std::size_t consumed() const { return at_; }

 private:
  std::string head_, filler_;
  std::size_t size_, at_ = 0;
};

TEST(DefaultRampFile, AHundredMegabyteFileIsReadInPieces) {
  constexpr std::size_t k100MB = 100u << 20;
  // Numbers without end: the reading stops after the 768th, a few pieces in.
  GeneratedFile numbers(rampFileText(distinctRamp(), "\r\n"), "12345\r\n", k100MB);
  auto parsed = colour::readDefaultRamp(numbers);
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, distinctRamp());
  EXPECT_LE(numbers.consumed(), 32u * 1024);

  GeneratedFile oneLine("", "9", k100MB);
  parsed = colour::readDefaultRamp(oneLine);
  EXPECT_NE(parsed.error.find("is outside"), std::string::npos) << parsed.error;
  EXPECT_LE(oneLine.consumed(), 32u * 1024);

  // A sound ramp followed by 100 MB of blank lines is taken without reading them.
  GeneratedFile blanks(rampFileText(distinctRamp(), "\r\n"), "\r\n  \r\n", k100MB);
  parsed = colour::readDefaultRamp(blanks);
  ASSERT_TRUE(parsed.ramp) << parsed.error;
  EXPECT_EQ(*parsed.ramp, distinctRamp());
  EXPECT_LE(blanks.consumed(), 32u * 1024);
}

struct FailingFile : ui::FileReader {
  std::optional<std::size_t> read(std::span<char>) override { return std::nullopt; }
};

TEST(DefaultRampFile, AReadErrorIsAFault) {
  FailingFile file;
  const auto parsed = colour::readDefaultRamp(file);
  EXPECT_FALSE(parsed.ramp);
  EXPECT_EQ(parsed.error, "it could not be read");
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
