#include "settings/ProfileText.h"

#include <vector>

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

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
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
    if (found.lineBreak.empty() && l.next > l.end)
      found.lineBreak = text.substr(l.end, l.next - l.end);
    if (state == After && !found.lineBreak.empty()) break;  // nothing more to learn
    std::string_view line = trimmed(text.substr(l.begin, l.end - l.begin));
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (state == Inside) state = After;
      std::string_view name = line.substr(1);
      name = trimmed(name.substr(0, name.find(']')));
      if (state == Before && sameName(name, section)) {
        state = Inside;
        found.section = true;
        found.lastOfSection = l;
      }
      continue;
    }
    if (state != Inside) continue;
    found.lastOfSection = l;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !sameName(trimmed(line.substr(0, equals)), key))
      continue;
    if (found.keyLines.empty()) found.firstValue = trimmed(line.substr(equals + 1));
    found.keyLines.push_back(l);
  }
  if (found.lineBreak.empty()) found.lineBreak = "\r\n";
  return found;
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

}  // namespace settings
