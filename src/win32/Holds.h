#pragma once
// What holds a due prompt besides the system's own busy states: a microphone or camera in use (as
// the system's consent store records it) and a listed program in front.
#include <windows.h>

#include <string>
#include <vector>

#include "rest/Breaks.h"
#include "win32/Handles.h"

namespace win32 {

class ConsentWatch {
 public:
  // True while a store app, or a desktop program that still runs, uses a microphone or camera.
  // The keys are read again only after the system told of a change (RegNotifyChangeKeyValue);
  // whether a recorded program still runs is checked each time, since a crash changes no key.
  bool inCall();

 private:
  struct Watched {
    HKEY root;
    const wchar_t* path;
    UniqueKey key;
    UniqueHandle changed;  // signalled by the system when anything under the key changes
    bool armed = false;    // a notice of the next change is asked for
  };
  struct Entry {
    std::wstring path;  // a desktop program's, empty for a store app
    std::uint64_t stop;
  };
  void read();
  void readDevice(HKEY key);

  std::vector<Watched> watched_ = watchList();
  std::vector<Entry> entries_;
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

 private:
  bool calls_ = false;
  std::vector<std::string> programs_;
  ConsentWatch consent_;
};

}  // namespace win32
