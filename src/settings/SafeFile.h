#pragma once
// The settings file kept whole through every failure: a save is written whole under a temporary
// name, flushed and swapped in, so that a crash, a power cut or a full disk leaves the old file or
// the new one, never a torn one; and the only copy of the settings is never deleted or written to.
#include <utility>

#include "settings/ProfileText.h"

namespace settings {

// The settings file; the temporary file a save writes first; the spare a save writes instead
// while the temporary file holds the only copy (a swap cut short, the file held by a program).
enum class Slot { Settings, Temp, Spare };

// The order of a save's steps; the backend makes each step its system calls, waiting out another
// program that holds a file for a moment.
class SafeFile : public ProfileFile {
 public:
  bool readOnly() const override { return readOnly_; }
  // At start: puts back the settings a save cut short left under a temporary name, and removes
  // what such a save left otherwise.
  void recover();

 protected:
  enum class Found { Yes, No, Unreadable };  // unreadable: held, over the limit, a folder
  virtual Found fetch(Slot slot, std::size_t limit, std::string& bytes) = 0;
  virtual bool exists(Slot slot) = 0;  // false only when known to be missing
  virtual bool create(Slot slot, const std::string& bytes) = 0;  // a new file, flushed
  virtual bool swapIn(Slot slot) = 0;  // in the settings file's place, with its attributes
  virtual void remove(Slot slot) = 0;
  virtual bool markedReadOnly() = 0;

  std::optional<std::string> load(std::size_t limit) override;
  bool replace(const std::string& bytes) override;

 private:
  // With no settings file: the settings a save cut short left under a temporary name.
  std::pair<Found, Slot> leftBehind(std::size_t limit, std::string& bytes);

  Slot from_ = Slot::Settings;  // where the last load found the settings
  bool readOnly_ = false;
};

}  // namespace settings
