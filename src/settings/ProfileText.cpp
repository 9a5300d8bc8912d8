#include "settings/ProfileText.h"

#include <vector>

#include "settings/Values.h"
#include "ui/Text.h"

namespace settings {

namespace {

struct Line {
  std::size_t begin = 0, end = 0;  // the line's text
  std::size_t next = 0;            // where the following line starts (after the line break)
};

// The line that starts at `at` (less than text.size()).
Line lineAt(std::string_view text, std::size_t at) {
  std::size_t end = text.find_first_of("\r\n", at);
  if (end == std::string_view::npos) return {at, text.size(), text.size()};
  std::size_t next = end + 1;
  if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
  return {at, end, next};
}

// The text's first line break; CR LF when it has none.
std::string_view firstLineBreak(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  return text.substr(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1);
}

// What the lines hold for one section and key.
struct Found {
  bool section = false;         // the section exists
  Line lastOfSection;           // its last line that is not blank
  std::vector<Line> keyLines;   // lines holding the key, in order
  std::string_view firstValue;  // the value on the first of them
  std::string_view lineBreak;   // the text's first line break
};

Found find(std::string_view text, std::string_view section, std::string_view key) {
  Found found;
  enum { Before, Inside, After } state = Before;
  for (std::size_t at = 0; at < text.size();) {
    const Line l = lineAt(text, at);
    at = l.next;
    if (state == After) break;  // nothing more to learn
    std::string_view line = trimBlanks(text.substr(l.begin, l.end - l.begin));
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (state == Inside) state = After;
      std::string_view name = line.substr(1);
      name = trimBlanks(name.substr(0, name.find(']')));
      if (state == Before && ui::sameIgnoringCase(name, section)) {
        state = Inside;
        found.section = true;
        found.lastOfSection = l;
      }
      continue;
    }
    if (state != Inside) continue;
    found.lastOfSection = l;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !ui::sameIgnoringCase(trimBlanks(line.substr(0, equals)), key))
      continue;
    if (found.keyLines.empty()) found.firstValue = trimBlanks(line.substr(equals + 1));
    found.keyLines.push_back(l);
  }
  found.lineBreak = firstLineBreak(text);
  return found;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16Mark = "\xFF\xFE";

unsigned byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// A lone surrogate gets three bytes of its own, so that any UTF-16 text comes back as it was.
std::string fromUtf16(std::string_view bytes) {
  const auto unitAt = [&](std::size_t i) -> char32_t {
    return byteAt(bytes, i) | byteAt(bytes, i + 1) << 8;
  };
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unitAt(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    int extra = 3;  // UTF-8 bytes after the first
    if (c < 0x80)
      extra = 0;
    else if (c < 0x800)
      extra = 1;
    else if (c < 0x10000)
      extra = 2;
    if (extra == 0)
      out += static_cast<char>(c);
    else
      out += static_cast<char>((0xFF00u >> (extra + 1) & 0xFF) | c >> 6 * extra);
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | (c >> 6 * k & 0x3F));
  }
  return out;
}

std::string toUtf16(std::string_view s) {
  std::string out;
  auto put = [&](char32_t u) { out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}; };
  std::size_t n = 1;  // bytes of the sequence at i
  for (std::size_t i = 0; i < s.size(); i += n) {
    const unsigned c = byteAt(s, i);
    n = 4;
    if (c < 0xC0)
      n = 1;
    else if (c < 0xE0)
      n = 2;
    else if (c < 0xF0)
      n = 3;
    char32_t u = c;
    if (n > 1) u = c & 0x7Fu >> n;
    for (std::size_t k = 1; k < n && i + k < s.size(); ++k) u = u << 6 | (byteAt(s, i + k) & 0x3F);
    if (u >= 0x10000) {
      put(0xD800 + ((u - 0x10000) >> 10 & 0x3FF));
      put(0xDC00 + (u & 0x3FF));
    } else {
      put(u);
    }
  }
  return out;
}

// The file's mark and its text: UTF-8, or ANSI bytes as they are (the names Lumora looks for are
// ASCII, and no double-byte character holds "=" or a line break).
std::optional<std::pair<std::string_view, std::string>> decode(std::optional<std::string> bytes) {
  if (!bytes) return std::nullopt;
  const std::string_view b = *bytes;
  // An odd last byte is no UTF-16: the file is damaged, and kept as it is.
  if (b.starts_with(kUtf16Mark))
    return b.size() % 2 ? std::nullopt
                        : std::optional(std::pair(kUtf16Mark, fromUtf16(b.substr(2))));
  if (b.starts_with(kUtf8Mark)) return std::pair(kUtf8Mark, std::string(b.substr(3)));
  return std::pair(std::string_view(), std::move(*bytes));
}

}  // namespace

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
  Found found = find(text, section, key);
  if (found.keyLines.empty()) return std::nullopt;
  std::string_view value = found.firstValue;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::string withProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             const std::optional<std::string>& value) {
  Found found = find(text, section, key);
  std::string_view lineBreak = found.lineBreak;
  std::string entry;
  if (value) {
    std::string_view v = *value;
    entry.append(key).append("=").append(v.substr(0, v.find_first_of("\r\n")));
  }

  std::string out;
  out.reserve(text.size() + entry.size() + section.size() + 8);
  if (!found.keyLines.empty()) {
    // Each line holding the key goes; the first is replaced by the new entry.
    std::size_t at = 0;
    for (std::size_t n = 0; n < found.keyLines.size(); ++n) {
      const Line& l = found.keyLines[n];
      out.append(text.substr(at, l.begin - at));
      if (n == 0 && value) {
        out.append(entry);
        out.append(text.substr(l.end, l.next - l.end));
      }
      at = l.next;
    }
    out.append(text.substr(at));
    return out;
  }
  if (!value) return std::string(text);
  if (found.section) {
    const Line& l = found.lastOfSection;
    out.append(text.substr(0, l.next));
    if (l.next == l.end) out.append(lineBreak);  // the section's last line ends the text
    out.append(entry).append(lineBreak);
    out.append(text.substr(l.next));
    return out;
  }
  out.append(text);
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') out.append(lineBreak);
  out.append("[").append(section).append("]").append(lineBreak);
  out.append(entry).append(lineBreak);
  return out;
}

bool wholeProfileText(std::string_view bytes) {
  const auto file = decode(std::string(bytes));
  if (!file || file->second.empty()) return false;
  const std::string& text = file->second;
  return text.find('\0') == std::string::npos && (text.back() == '\n' || text.back() == '\r');
}

std::string ProfileFile::read(const std::string& section, const std::string& key,
                              const std::string& fallback) {
  const auto file = decode(load(kMaxProfileBytes));
  const auto value = file ? profileValue(file->second, section, key) : std::nullopt;
  if (!value) return fallback;
  return file->first.empty() ? fromAnsi(*value) : *value;
}

bool ProfileFile::write(const std::vector<ui::ProfileEntry>& entries) {
  auto file = decode(load(kMaxProfileBytes));
  if (!file) return false;
  auto& [mark, text] = *file;
  const std::string before = text;
  for (const auto& [section, key, value] : entries)
    text = withProfileValue(text, section, key,
                            value && mark.empty() ? std::optional(toAnsi(*value)) : value);
  // Settings saved as they are stored touch nothing, a read-only file included.
  if (text == before) return true;
  // Every save ends with a line break: a start that finds only the new file can tell it is whole.
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += firstLineBreak(text);
  return replace(std::string(mark) + (mark == kUtf16Mark ? toUtf16(text) : text));
}

}  // namespace settings
