#pragma once
// The default ramp file monitor.txt: 768 signed 16-bit decimal numbers, separated by commas or
// line breaks, entry by entry with the three channels of each entry in a row.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ui/System.h"

namespace colour {

inline constexpr const char* kDefaultRampFile = "monitor.txt";

struct DefaultRampResult {
  std::optional<ui::Ramp> ramp;
  std::string error;  // what is wrong with the file and on which line, when there is no ramp
};

// Reads the file piece by piece, keeping only the number being read, so a huge file costs no
// memory and ends the reading at its first fault. Plain text in UTF-8 (with or without a mark) or
// UTF-16 with a byte-order mark; CRLF, LF or CR line ends; blank lines and spaces are ignored.
// Fewer than 768 numbers, a number outside -32768 to 32767 or text that is not a whole number
// gives no ramp and an error naming the line and the fault. Whatever follows the 768th number is
// ignored, as it always was: files that carry a trailer keep working.
class DefaultRampReader {
 public:
  // Takes the next bytes of the file; false once the outcome is known and no more are needed.
  bool feed(std::string_view bytes);
  // The outcome, once the file has ended or feed returned false.
  DefaultRampResult finish();

 private:
  enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be };

  bool start();
  bool decode(std::string_view bytes);
  bool take(char ch);
  bool endField();
  bool fail(std::string error);

  Encoding encoding_ = Encoding::Unknown;
  std::string head_;      // the first bytes, until the byte-order mark is known
  int pendingByte_ = -1;  // the first half of a UTF-16 code unit split between pieces
  std::string field_;     // the number being read, cut at kLongestField
  std::size_t fieldLength_ = 0;
  int fieldLine_ = 1;
  int line_ = 1;
  bool afterCr_ = false;
  int count_ = 0;
  bool complete_ = false;  // the 768th number has been read
  int lastLine_ = 0;       // line of the last number read
  ui::Ramp ramp_{};
  std::optional<std::string> error_;
};

// The whole file at once.
DefaultRampResult parseDefaultRamp(std::string_view text);
// The file in pieces, stopping at the first fault or after the 768th number.
DefaultRampResult readDefaultRamp(ui::FileReader& file);

}  // namespace colour
