#pragma once
// config.ini, one value at a time. Nothing is cached but a save still waiting: every call goes to
// the file.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Event.h"
#include "ui/System.h"

namespace settings {

// Stored values that could not be used as they stand, gathered from every section so that they
// are named once, together, rather than in a message per key or not at all.
class IgnoredValues {
 public:
  // Each key is named once however often it is read; used is what stands in for it.
  void add(const std::string& section, const std::string& key, const std::string& value,
           const std::string& used) {
    const std::string name = "[" + section + "] " + key + "=";
    if (names_.find("\n" + name) != std::string::npos) return;
    names_ += "\n" + name + value + " (uses " + (used.empty() ? "nothing" : used) + ")";
  }
  // The one message that names them all; empty when there are none.
  std::string message() const {
    if (names_.empty()) return "";
    return "Lumora could not use these values in config.ini and uses others instead:\n" + names_;
  }

 private:
  std::string names_;  // each line starts with a line break
};

class Ini {
 public:
  Ini(ui::ProfileStore& store, ui::Shell& shell) : store_(store), shell_(shell) {}

  // The stored text, whole; the key's own name when the file, section or key does not exist.
  std::string readini(const std::string& section, const std::string& key);
  // The readers of stored settings. A value that is there but cannot be used as it stands is named
  // in ignored with the value used instead; a missing key quietly gives fallback.
  // A number rounded into [min, max] (storedSliderValue).
  int number(const char* section, const char* key, int min, int max, int fallback);
  // A whole number in [min, max], else fallback.
  int whole(const char* section, const char* key, int min, int max, int fallback);
  // "1" or "0", else fallback.
  bool flag(const char* section, const char* key, bool fallback);
  IgnoredValues ignored;

  // Stores value, creating file, section or key as needed; no value removes the key. A file that
  // cannot be written is reported once per run, with its path, and the program runs on.
  bool writeini(const std::string& section, const std::string& key,
                const std::optional<std::string>& value) {
    return writeini({{section, key, value}});
  }
  // Stores several values in one step, all or none; false when they wait. Values that could not
  // be stored stay in force (reads return them) and are stored with the next save that brings
  // something new, or by savePending; nothing is retried for a value stored again unchanged.
  bool writeini(const std::vector<ui::ProfileEntry>& entries);
  bool pending() const { return !pending_.empty(); }
  // What waits and where: "rest reminders (paused_until) to C:\...\config.ini".
  std::string pendingText() const;
  bool savePending();
  // At exit: a save still waiting is tried once more; what it could not store and no message
  // named yet is named in one.
  void saveBeforeExit();

  ui::Event<> SaveWaits;  // a save failed: its values wait

 private:
  void tell();  // the file, why it cannot be written and what waits: a message and the log

  ui::ProfileStore& store_;
  ui::Shell& shell_;
  bool failureReported_ = false;
  std::size_t named_ = 0;  // entries waiting when a message named them
  std::vector<ui::ProfileEntry> pending_;
};

// The whole settings of a run, as the close image saves them.
struct SavedSettings {
  std::string mei;     // rest interval, the text as typed
  std::string xiuxi;   // rest length, the text as typed
  std::string restOn;  // "1" or "0"
  // The colour sliders' keys under "eye" with their values, in the order they are stored.
  std::vector<std::pair<std::string, int>> colour;
  std::optional<std::string> eyeOn;    // never set when eye care was not touched in this run
  std::vector<ui::ProfileEntry> more;  // other sections' values, stored in the same step
};

// Writes the nine keys in their fixed order, then the others, in one step.
void saveAll(Ini& ini, const SavedSettings& s);

}  // namespace settings
