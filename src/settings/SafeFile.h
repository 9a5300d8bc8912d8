#pragma once
// The settings file kept whole through every failure. A save is written whole under a temporary
// name, flushed and swapped in: a crash, a power cut or a full disk leaves the old file or the new
// one, never a torn one. The only copy of the settings is never deleted or opened for writing.
#include <utility>

#include "settings/ProfileText.h"

namespace settings {

// The settings file; the temporary file a save writes first; the spare a save writes instead
// while the temporary file holds the only copy (a swap cut short, held by another program).
enum class Slot { Settings, Temp, Spare };

// The steps of a save in their order; the backend makes each one system call (or the few of one
// step), waiting out another program that holds a file for a moment.
class SafeFile : public ProfileFile {
 public:
  bool readOnly() const override { return readOnly_; }
  // At start, before anything is read: puts back the settings a save cut short left under a
  // temporary name, and removes what such a save left otherwise.
  void recover();

 protected:
  enum class Found { Yes, No, Unreadable };
  // The whole file into bytes; Unreadable when it cannot be read whole (held, over limit, a
  // folder).
  virtual Found fetch(Slot slot, std::size_t limit, std::string& bytes) = 0;
  // False only when the file is known to be missing.
  virtual bool exists(Slot slot) = 0;
  // A new file of that name holding bytes, flushed to the disk.
  virtual bool create(Slot slot, const std::string& bytes) = 0;
  // The file in the settings file's place in one step, with the settings file's attributes.
  virtual bool swapIn(Slot slot) = 0;
  virtual void remove(Slot slot) = 0;
  // The settings file carries the user's read-only mark.
  virtual bool markedReadOnly() = 0;

  std::optional<std::string> load(std::size_t limit) override;
  bool replace(const std::string& bytes) override;

 private:
  // The settings a save cut short left under a temporary name, when there is no settings file.
  std::pair<Found, Slot> leftBehind(std::size_t limit, std::string& bytes);

  Slot from_ = Slot::Settings;  // where the last load found the settings
  bool readOnly_ = false;
};

}  // namespace settings
