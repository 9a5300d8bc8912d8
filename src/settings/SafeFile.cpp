#include "settings/SafeFile.h"

#include <tuple>

namespace settings {

std::pair<SafeFile::Found, Slot> SafeFile::leftBehind(std::size_t limit, std::string& bytes) {
  // The spare is written only while the temporary file holds the only copy: it is the newer.
  // Nothing is decided on a file that could not be read.
  for (const Slot slot : {Slot::Spare, Slot::Temp}) {
    const Found found = fetch(slot, limit, bytes);
    if (found == Found::Unreadable || (found == Found::Yes && wholeProfileText(bytes)))
      return {found, slot};
  }
  bytes.clear();
  return {Found::No, Slot::Settings};
}

void SafeFile::recover() {
  std::string bytes;
  if (!exists(Slot::Settings)) {
    const auto [found, slot] = leftBehind(kMaxProfileBytes, bytes);
    // Held a while longer: the settings stay where they are and are read from there.
    if (found == Found::Unreadable || (found == Found::Yes && !swapIn(slot))) return;
  }
  // Anything else under a temporary name is what an interrupted save left: never read, so it goes.
  remove(Slot::Temp);
  remove(Slot::Spare);
}

std::optional<std::string> SafeFile::load(std::size_t limit) {
  std::string bytes;
  from_ = Slot::Settings;
  Found found = fetch(Slot::Settings, limit, bytes);
  if (found == Found::No) {
    recover();
    found = fetch(Slot::Settings, limit, bytes);
  }
  if (found == Found::No) std::tie(found, from_) = leftBehind(limit, bytes);
  if (found == Found::Unreadable) return std::nullopt;
  return bytes;
}

bool SafeFile::replace(const std::string& bytes) {
  // The user's read-only mark is kept whoever runs the program: the system refuses the write to
  // most users, but not to every account on every file system.
  readOnly_ = markedReadOnly();
  if (readOnly_) return false;
  const Slot temp = from_ == Slot::Temp ? Slot::Spare : Slot::Temp;
  if (create(temp, bytes) && swapIn(temp)) {
    if (from_ != Slot::Settings) remove(from_);  // an older copy, no longer the only one
    from_ = Slot::Settings;
    return true;
  }
  // A swap that failed half-way leaves the new file the only copy: it stays for the next read.
  if (from_ != Slot::Settings || exists(Slot::Settings)) remove(temp);
  return false;
}

}  // namespace settings
