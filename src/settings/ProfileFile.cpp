#include "settings/ProfileFile.h"

#include "settings/ProfileText.h"

namespace settings {

namespace {

enum class Encoding { Ansi, Utf8, Utf8Mark, Utf16 };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16Mark = "\xFF\xFE";

// The file as profile text: UTF-8, or the ANSI bytes as they are (the names Lumora looks for
// are ASCII, and no lead byte of a double-byte code page is followed by "=" or a line break).
struct Decoded {
  Encoding encoding = Encoding::Ansi;
  std::string text;
  std::string tail;  // the odd last byte of a UTF-16 file
};

unsigned byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// Text beyond ASCII whose every such byte belongs to a UTF-8 sequence: as editors save UTF-8
// without the mark. ANSI text passes by chance rarely.
bool looksUtf8(std::string_view s) {
  bool beyondAscii = false;
  for (std::size_t i = 0, n = 1; i < s.size(); i += n) {
    const unsigned c = byteAt(s, i);
    n = c < 0x80 ? 1 : c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((byteAt(s, i + k) & 0xC0) != 0x80) return false;
    beyondAscii |= n > 1;
  }
  return beyondAscii;
}

// A lone surrogate gets its own three bytes, so that any UTF-16 text comes back as it was.
void appendUtf8(std::string& out, char32_t c) {
  const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  out += static_cast<char>(extra ? ((0xFF00u >> (extra + 1)) & 0xFF) | (c >> (6 * extra)) : c);
  for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

std::string fromUtf16(std::string_view bytes) {
  auto unit = [&](std::size_t i) { return char32_t(byteAt(bytes, i) | byteAt(bytes, i + 1) << 8); };
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string toUtf16(std::string_view s) {
  std::string out;
  auto put = [&](char32_t u) {
    out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8 & 0xFF)};
  };
  for (std::size_t i = 0, n = 1; i < s.size(); i += n) {
    const unsigned c = byteAt(s, i);
    n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t u = n == 1 ? c : c & (0x7Fu >> n);
    for (std::size_t k = 1; k < n && i + k < s.size(); ++k) u = u << 6 | (byteAt(s, i + k) & 0x3F);
    if (u < 0x10000) {
      put(u);
    } else {
      put(0xD800 + ((u - 0x10000) >> 10));
      put(0xDC00 + (u & 0x3FF));
    }
  }
  return out;
}

Decoded decode(std::string_view bytes) {
  if (bytes.starts_with(kUtf16Mark)) {
    bytes.remove_prefix(kUtf16Mark.size());
    return {Encoding::Utf16, fromUtf16(bytes), std::string(bytes.substr(bytes.size() & ~1u))};
  }
  if (bytes.starts_with(kUtf8Mark))
    return {Encoding::Utf8Mark, std::string(bytes.substr(kUtf8Mark.size())), {}};
  return {looksUtf8(bytes) ? Encoding::Utf8 : Encoding::Ansi, std::string(bytes), {}};
}

std::string encode(const Decoded& file) {
  if (file.encoding == Encoding::Utf16)
    return std::string(kUtf16Mark) + toUtf16(file.text) + file.tail;
  return file.encoding == Encoding::Utf8Mark ? std::string(kUtf8Mark) + file.text : file.text;
}

}  // namespace

std::string ProfileFile::read(const std::string& section, const std::string& key,
                              const std::string& fallback) {
  const std::optional<std::string> bytes = load(kMaxProfileBytes);
  if (!bytes) return fallback;
  const Decoded file = decode(*bytes);
  const std::optional<std::string> value = profileValue(file.text, section, key);
  if (!value) return fallback;
  return file.encoding == Encoding::Ansi ? fromAnsi(*value) : *value;
}

bool ProfileFile::write(const std::vector<ui::ProfileEntry>& entries) {
  const std::optional<std::string> bytes = load(kMaxProfileBytes);
  if (!bytes) return false;
  Decoded file = decode(*bytes);
  for (const ui::ProfileEntry& entry : entries) {
    std::optional<std::string> value = entry.value;
    if (value && file.encoding == Encoding::Ansi) value = toAnsi(*value);
    file.text = withProfileValue(file.text, entry.section, entry.key, value);
  }
  const std::string after = encode(file);
  // Settings saved as they are stored touch nothing (a read-only file included).
  return after == *bytes || replace(after);
}

}  // namespace settings
