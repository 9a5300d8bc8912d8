#pragma once
// Stored values the load step could not use, gathered so that they are named once, together,
// rather than in a message per key.
#include <string>

namespace settings {

class IgnoredValues {
 public:
  void add(const std::string& section, const std::string& key, const std::string& value) {
    if (!names_.empty()) names_ += '\n';
    names_.append(1, '[').append(section).append("] ").append(key).append(1, '=').append(value);
  }
  // The one message that names them all; empty when there are none.
  std::string message() const {
    return names_.empty() ? ""
                          : "Lumora could not use these values in config.ini and goes on "
                            "without them:\n\n" +
                                names_;
  }

 private:
  std::string names_;
};

}  // namespace settings
