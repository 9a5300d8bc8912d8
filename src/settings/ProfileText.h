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

}  // namespace settings
