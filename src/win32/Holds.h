#pragma once
// What holds a due prompt besides the system's own busy states: a microphone or camera in use (as
// the system's consent store records it) and a listed program in front.
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rest/Holds.h"
#include "win32/Handles.h"

namespace win32 {

class ConsentWatch {
 public:
  // The program in a call (its file name, or a store app's name), empty for none: a microphone or
  // camera in use by a store app of which a process runs, or by a desktop program that still
  // runs. The keys are read again only after the system told of a change
  // (RegNotifyChangeKeyValue); whether the program still runs is checked each time, since a crash
  // changes no key. An entry "in use" for too long is named once in lumora.log.
  std::string caller();

 private:
  struct Watched {
    HKEY root;
    const wchar_t* path;
    UniqueKey key;
    UniqueHandle changed;  // signalled by the system when anything under the key changes
    bool armed = false;    // a notice of the next change is asked for
  };
  struct Entry {
    std::wstring name;  // a desktop program's path, a store app's package family name
    bool packaged;
    std::optional<std::uint64_t> start;  // LastUsedTimeStart and LastUsedTimeStop, as FILETIMEs
    std::optional<std::uint64_t> stop;
  };
  void read();
  void readDevice(HKEY key);

  std::vector<Watched> watched_ = watchList();
  std::vector<Entry> entries_;
  std::map<std::wstring, std::uint64_t> seenInUse_;  // since when, for entries that give no start
  std::vector<std::wstring> logged_;                 // entries named as in use for too long
  static std::vector<Watched> watchList();
};

// What holds a prompt now: the system's own busy states first, then what the person chose to be
// held by (a call, a listed program in front). Asked at the rest clock's ticks only.
class Holds {
 public:
  ui::Busy busy();
  void holdFor(bool calls, const std::vector<std::string>& programs) {
    calls_ = calls;
    programs_ = programs;
  }
  // The program behind the call or the listed program the last busy() found.
  const std::string& holder() const { return holder_; }

 private:
  bool calls_ = false;
  std::string holder_;
  std::vector<std::string> programs_;
  ConsentWatch consent_;
};

}  // namespace win32
