#include "rest/Holds.h"

#include <algorithm>

#include "settings/Values.h"
#include "ui/Text.h"

namespace rest {

bool inCall(const DeviceUse& use) {
  return use.stop == 0 && use.running.value_or(true) && use.inUseMs <= kLongestCallMs;
}

std::string consentPath(std::string keyName) {
  std::ranges::replace(keyName, '#', '\\');
  return keyName;
}

AppList parseAppList(std::string_view text) {
  AppList list;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view name = settings::trimBlanks(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (name.empty()) continue;
    // A file name only: no folder, drive, wildcard or character a file name cannot hold.
    const bool plain = name != "." && name != ".." && name.back() != '.' &&
                       name.find_first_of("\\/:*?\"<>|") == std::string_view::npos &&
                       std::ranges::none_of(name, [](char c) { return c >= 0 && c < ' '; });
    if (!plain) {
      list.names.clear();
      list.error = std::string(name);
      list.error.insert(0, 1, '"');
      list.error +=
          "\" is not a program's file name. Give file names such as \"obs64.exe\", "
          "separated by \";\".";
      return list;
    }
    list.names.emplace_back(name);
  }
  return list;
}

bool listedProgram(const std::vector<std::string>& names, std::string_view imagePath) {
  const std::size_t slash = imagePath.find_last_of("\\/");
  const std::string_view file =
      slash == std::string_view::npos ? imagePath : imagePath.substr(slash + 1);
  return !file.empty() && std::ranges::any_of(names, [file](const std::string& name) {
    return ui::sameIgnoringCase(name, file);
  });
}

ui::Busy holdReason(ui::Busy system, bool call, bool listed) {
  if (system != ui::Busy::No) return system;
  if (call) return ui::Busy::Call;
  return listed ? ui::Busy::Listed : ui::Busy::No;
}

}  // namespace rest
