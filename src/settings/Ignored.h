#pragma once
// Stored values that could not be used as they stand, gathered from every section so that they
// are named once, together, rather than in a message per key or not at all.
#include <string>

namespace settings {

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

}  // namespace settings
