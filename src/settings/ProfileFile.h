#pragma once
// config.ini as a whole file: read in the encoding it was saved in (ANSI, UTF-8 with or without
// the byte-order mark, UTF-16 LE), and saved in one step in that encoding, with every byte
// Lumora does not own kept. The backend only loads the bytes and swaps them in.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/System.h"

namespace settings {

// Far beyond any settings file; a bigger one is neither read into memory nor rewritten.
constexpr std::size_t kMaxProfileBytes = 64 * 1024 * 1024;

class ProfileFile : public ui::ProfileStore {
 public:
  // A file that cannot be read whole (locked, too big, not a file) reads as fallback values and
  // is never rewritten: what was not read could not be kept.
  std::string read(const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  bool write(const std::vector<ui::ProfileEntry>& entries) override;

 protected:
  // The whole file; empty when there is none, nothing when it cannot be read or is over limit.
  virtual std::optional<std::string> load(std::size_t limit) = 0;
  // Puts bytes in the file's place in one step; false when the file is left as it was.
  virtual bool replace(const std::string& bytes) = 0;
  // Text in the system's ANSI code page as UTF-8, and back.
  virtual std::string fromAnsi(std::string_view text) = 0;
  virtual std::string toAnsi(std::string_view utf8) = 0;
};

}  // namespace settings
