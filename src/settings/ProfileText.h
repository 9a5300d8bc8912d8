#pragma once
// Text in the profile-file layout, read and changed the way the system's profile functions do
// it, for the files those functions cannot read themselves (UTF-8 with a byte-order mark).
//
// A line holding a name in square brackets opens a section; a line "key=value" in it holds a
// value. Lines end with CR LF, LF or CR. Blanks around names and values do not count, names
// match whatever their case, and quotes around a whole value are dropped. Only the first
// section of a name is looked in; a later one of the same name is kept but never read.
#include <optional>
#include <string>
#include <string_view>

#include "ui/System.h"

namespace settings {

// The value of key in section; nothing when the section or the key is missing.
std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// text with key set to value in section, added at the end of the section (or in a new section at
// the end of the text) when missing; no value removes the key. A value ends at its first line
// break, since the rest could never be read back as this key. Every other byte stays as it was;
// added lines end as the text's first line does (CR LF in an empty text).
std::string withProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             const std::optional<std::string>& value);

// Whether bytes are a file as a save leaves it: readable in its encoding, holding no NUL (a write
// cut short by a power failure leaves zeros) and ending with a line break, as every save does.
bool wholeProfileText(std::string_view bytes);

// Far beyond any settings file; a bigger one is neither read into memory nor rewritten.
constexpr std::size_t kMaxProfileBytes = 64 * 1024 * 1024;

// config.ini in the encoding it was saved in (UTF-16 LE or UTF-8 with their marks, or else ANSI),
// saved by composing the whole file once. A file that cannot be read whole (locked, too big, not a
// file) reads as fallback values and is never rewritten: what was not read could not be kept.
class ProfileFile : public ui::ProfileStore {
 public:
  std::string read(const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  bool write(const std::vector<ui::ProfileEntry>& entries) override;

 protected:
  // The whole file: empty when there is none, nothing when it cannot be read or is over limit.
  virtual std::optional<std::string> load(std::size_t limit) = 0;
  // Puts bytes in the file's place in one step; false when the file is left as it was.
  virtual bool replace(const std::string& bytes) = 0;
  // Text in the system's ANSI code page as UTF-8, and back.
  virtual std::string fromAnsi(std::string_view text) = 0;
  virtual std::string toAnsi(std::string_view utf8) = 0;
};

}  // namespace settings
