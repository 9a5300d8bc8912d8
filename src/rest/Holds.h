#pragma once
// What holds a due prompt besides the system's own busy states: a call (a microphone or camera in
// use) and a listed program in front. Pure decisions, fed by the Win32 side.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/System.h"

namespace rest {

// A call "in use" for longer holds no longer: an entry left behind by a program that ended badly.
constexpr std::int64_t kLongestCallMs = 4 * 3'600'000LL;

// One program's use of the microphone or camera as the system records it.
struct DeviceUse {
  std::string name;                   // a store app's package family name, a program's path
  bool packaged = false;              // a store app (checked by the system, not by path)
  std::optional<std::uint64_t> stop;  // LastUsedTimeStop (0 while in use), if a 64-bit value
  std::optional<bool> running;        // a process of the app or at the path runs, when known
  std::int64_t inUseMs = 0;           // how long the entry has said "in use"
};
// Whether the entry is a call now: in use by a program that runs (or of which that cannot be
// known), for no longer than kLongestCallMs.
bool inCall(const DeviceUse& use);
// The path a desktop program's entry is named after ('\' is written '#' in the key's name).
std::string consentPath(std::string keyName);

// The programs that hold a prompt while in front, from "a.exe;b.exe". A name that is not a plain
// file name gives nothing and the message that names it.
struct AppList {
  std::vector<std::string> names;
  std::string error;
};
AppList parseAppList(std::string_view text);
// Whether the program at this image path is one of the names (the file name, case aside).
bool listedProgram(const std::vector<std::string>& names, std::string_view imagePath);
// The reason a prompt waits, the system's own first (full screen, presentation, quiet time).
ui::Busy holdReason(ui::Busy system, bool call, bool listed);

}  // namespace rest
