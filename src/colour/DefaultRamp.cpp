#include "colour/DefaultRamp.h"

#include <algorithm>
#include <array>

#include "colour/GammaEngine.h"
#include "settings/Values.h"

namespace colour {

namespace {

constexpr int kNumbers = kEntries * kChannels;
// Longer than any number in range with its sign and spaces; a longer field is a fault as it is.
constexpr std::size_t kLongestField = 24;

// A whole decimal number with an optional sign; saturates far outside the 16-bit range.
std::optional<long> parseWhole(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  long value = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return std::nullopt;
    if (value < 1000000) value = value * 10 + (ch - '0');
  }
  return negative ? -value : value;
}

// The field as the message shows it: printable ASCII only, so that any bytes make a valid text.
std::string quoted(std::string_view s, bool cut) {
  constexpr std::size_t kShown = 20;
  std::string shown;
  for (char ch : s.substr(0, kShown)) shown += ch >= ' ' && ch <= '~' ? ch : '?';
  if (cut || s.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

}  // namespace

bool DefaultRampReader::fail(std::string error) {
  error_ = std::move(error);
  return false;
}

bool DefaultRampReader::endField() {
  if (fieldLength_ == 0) return true;  // blank lines and runs of separators cost nothing
  const std::string raw = std::move(field_);
  const bool cut = fieldLength_ > raw.size();
  field_.clear();
  fieldLength_ = 0;
  const std::string_view field = settings::trimBlanks(raw);
  if (field.empty()) return true;
  const std::string where = "line " + std::to_string(fieldLine_) + ": " + quoted(field, cut);
  // A run of digits too long to keep is a number far out of range.
  const auto number = parseWhole(cut ? std::string_view(raw) : field);
  if (!number) return fail(where + " is not a whole number");
  if (cut || *number < -32768 || *number > 32767)
    return fail(where + " is outside the range -32768 to 32767");
  // Entry by entry in the file, channel by channel in the ramp.
  ramp_[at(count_ % kChannels, count_ / kChannels)] =
      static_cast<std::uint16_t>(*number < 0 ? *number + 65536 : *number);
  ++count_;
  lastLine_ = fieldLine_;
  // Whatever follows the 768th number is not read, so a huge file costs no more than a sound one.
  complete_ = count_ == kNumbers;
  return !complete_;
}

bool DefaultRampReader::take(char ch) {
  const bool crlf = afterCr_ && ch == '\n';
  afterCr_ = ch == '\r';
  if (ch == ',' || ch == '\r' || ch == '\n') {
    if (ch != ',' && !crlf) ++line_;  // CRLF, a lone LF and a lone CR each end one line
    return endField();
  }
  if (fieldLength_ == 0) {
    if (settings::isBlank(ch)) return true;
    fieldLine_ = line_;
  }
  if (field_.size() < kLongestField) {
    field_ += ch;
    ++fieldLength_;
    return true;
  }
  if (settings::isBlank(ch)) return true;  // blanks after a number; anything more is a fault
  ++fieldLength_;
  return endField();
}

bool DefaultRampReader::decode(std::string_view bytes) {
  if (encoding_ == Encoding::Utf8) {
    for (char ch : bytes)
      if (!take(ch)) return false;
    return true;
  }
  for (char byte : bytes) {
    const int b = static_cast<unsigned char>(byte);
    if (pendingByte_ < 0) {
      pendingByte_ = b;
      continue;
    }
    const int unit = encoding_ == Encoding::Utf16Le ? pendingByte_ | b << 8 : pendingByte_ << 8 | b;
    pendingByte_ = -1;
    // Numbers and separators are ASCII; anything else only has to stay what it is: not a number.
    if (!take(unit < 0x80 ? static_cast<char>(unit) : '?')) return false;
  }
  return true;
}

bool DefaultRampReader::start() {
  const std::string head = std::move(head_);
  std::string_view rest = head;
  encoding_ = Encoding::Utf8;
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
    rest.remove_prefix(3);
  } else if (rest.substr(0, 2) == "\xFF\xFE") {
    encoding_ = Encoding::Utf16Le;
    rest.remove_prefix(2);
  } else if (rest.substr(0, 2) == "\xFE\xFF") {
    encoding_ = Encoding::Utf16Be;
    rest.remove_prefix(2);
  }
  return decode(rest);
}

bool DefaultRampReader::feed(std::string_view bytes) {
  if (error_ || complete_) return false;
  if (encoding_ == Encoding::Unknown) {
    // The byte-order mark, if any, is in the first three bytes.
    const std::size_t n = std::min(bytes.size(), 3 - head_.size());
    head_.append(bytes.substr(0, n));
    bytes.remove_prefix(n);
    if (head_.size() < 3) return true;
    if (!start()) return false;
  }
  return decode(bytes);
}

DefaultRampResult DefaultRampReader::finish() {
  if (!error_ && encoding_ == Encoding::Unknown) start();
  if (!error_ && !complete_ && pendingByte_ >= 0) take('?');  // half a UTF-16 character
  if (!error_ && !complete_) endField();
  if (!error_ && count_ == 0) error_ = "it holds no numbers";
  if (!error_ && count_ < kNumbers)
    error_ = "it ends after line " + std::to_string(lastLine_) + " with only " +
             std::to_string(count_) + " of the 768 numbers";
  if (error_) return {std::nullopt, *error_};
  return {ramp_, {}};
}

DefaultRampResult parseDefaultRamp(std::string_view text) {
  DefaultRampReader reader;
  reader.feed(text);
  return reader.finish();
}

DefaultRampResult readDefaultRamp(ui::FileReader& file) {
  DefaultRampReader reader;
  std::array<char, 16 * 1024> buffer;
  for (;;) {
    const std::optional<std::size_t> n = file.read(buffer);
    if (!n) return {std::nullopt, "it could not be read"};
    if (*n == 0 || !reader.feed(std::string_view(buffer.data(), *n))) return reader.finish();
  }
}

}  // namespace colour
