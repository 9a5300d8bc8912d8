// The steps of a save against a file system in memory, where other programs hold files and the
// program can be killed after any step.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "settings/SafeFile.h"

namespace {

using settings::Slot;
using Files = std::map<Slot, std::string>;

struct Disk final : settings::SafeFile {
  Files files;
  std::set<Slot> held;        // open in another program that shares reading only
  std::set<Slot> unreadable;  // open in another program that shares nothing, when it is read
  bool halfSwap = false;      // the swap fails once the old file is gone
  int steps = 1000;           // before the kill

  bool step() { return steps-- > 0; }
  std::string path() const override { return "config.ini"; }
  Found fetch(Slot s, std::size_t, std::string& bytes) override {
    if (unreadable.contains(s) || !step()) return Found::Unreadable;
    if (!files.contains(s)) return Found::No;
    bytes = files[s];
    return Found::Yes;
  }
  bool exists(Slot s) override { return files.contains(s); }
  bool create(Slot s, const std::string& bytes) override {
    if (held.contains(s)) return false;
    for (const std::size_t n : {std::size_t{0}, bytes.size() / 2, bytes.size()}) {
      if (!step()) return false;
      files[s] = bytes.substr(0, n);  // created empty, then half written, then whole
    }
    return true;
  }
  bool swapIn(Slot s) override {
    if (held.contains(s) || !step()) return false;
    files.erase(Slot::Settings);  // the old file goes, then the new one takes its name
    if (halfSwap || !step()) return false;
    files[Slot::Settings] = files[s];
    files.erase(s);
    return true;
  }
  void remove(Slot s) override {
    if (!held.contains(s) && step()) files.erase(s);
  }
  bool markedReadOnly() override { return false; }
  // A code page of its own: every byte above ASCII differs from UTF-8's.
  std::string toAnsi(std::string_view text) override {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(c & 0x80 ? c ^ 0x40 : c);
    return out;
  }
  std::string fromAnsi(std::string_view text) override { return toAnsi(text); }
};

constexpr Slot S = Slot::Settings;
constexpr Slot T = Slot::Temp;
constexpr Slot P = Slot::Spare;
const std::string kOld = "[other]\r\nkeep=kept\r\n[dsxx]\r\nmei=30\r\n";
const std::string kNew = "[other]\r\nkeep=kept\r\n[dsxx]\r\nmei=45\r\n";

// Killed after each step of a save from each state a save can start in, the next start finds the
// settings whole, old or new, and nothing beside them.
TEST(SafeFile, AKillAfterAnyStepOfAnySaveLosesNothing) {
  const struct {
    const char* name;
    Files files;
    std::set<Slot> held;
  } starts[] = {
      {"a settings file", {{S, kOld}}, {}},
      {"one without its last line break", {{S, kOld.substr(0, kOld.size() - 2)}}, {}},
      {"the only copy in the temporary file", {{T, kOld}}, {}},
      {"the only copy in the temporary file, held", {{T, kOld}}, {T}},
      {"the only copy in the spare, a torn temporary file",
       {{P, kOld}, {T, kOld.substr(0, 9)}},
       {}},
  };
  int kills = 0;
  int lost = 0;
  for (const auto& start : starts) {
    for (int n = 0;; ++n) {
      Disk disk;
      disk.files = start.files;
      disk.held = start.held;
      disk.steps = n;
      const bool saved = disk.write({{"dsxx", "mei", "45"}});
      Disk next;  // the next start, the other program gone
      next.files = disk.files;
      next.recover();
      const std::string mei = next.read("dsxx", "mei", "lost");
      const bool whole = (mei == "30" || mei == "45") && next.read("other", "keep", "") == "kept";
      EXPECT_TRUE(whole) << start.name << ", killed after " << n << " steps";
      EXPECT_EQ(next.files.size(), 1u) << start.name << ", killed after " << n << " steps";
      ++kills;
      lost += whole ? 0 : 1;
      if (disk.steps < 0) continue;
      EXPECT_TRUE(saved) << start.name;  // the whole save ran in n steps
      EXPECT_EQ(mei, "45") << start.name;
      break;
    }
  }
  std::printf("%d saves killed, one after each step: %d lost the settings\n", kills, lost);
}

// What other programs do to the files, and what a save leaves then: never a save built from a
// read that failed, never the only copy deleted or written over.
TEST(SafeFile, AFileHeldOrUnreadableIsNeitherLostNorRebuilt) {
  const struct {
    const char* name;
    Files files;
    std::set<Slot> held, unreadable;
    bool halfSwap;
    bool saved;
    Files after;
  } cases[] = {
      // clang-format off
      {"the settings file unreadable", {{S, kOld}}, {}, {S}, false, false, {{S, kOld}}},
      {"the only copy unreadable", {{T, kOld}}, {}, {T}, false, false, {{T, kOld}}},
      {"the spare unreadable", {{T, kOld}, {P, kOld}}, {}, {P}, false, false, {{T, kOld}, {P, kOld}}},
      {"the only copy held", {{T, kOld}}, {T}, {}, false, true, {{S, kNew}, {T, kOld}}},
      {"the only copy and the spare held", {{T, kOld}}, {T, P}, {}, false, false, {{T, kOld}}},
      {"a swap that fails half-way", {{S, kOld}}, {}, {}, true, false, {{T, kNew}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    Disk disk;
    disk.files = c.files;
    disk.held = c.held;
    disk.unreadable = c.unreadable;
    disk.halfSwap = c.halfSwap;
    EXPECT_EQ(disk.write({{"dsxx", "mei", "45"}}), c.saved) << c.name;
    EXPECT_EQ(disk.files, c.after) << c.name;
  }
}

// A value goes into a file without a mark in the ANSI code page, into one with a mark as UTF-8.
TEST(SafeFile, ValuesAreStoredInTheFilesEncoding) {
  for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
    Disk disk;
    disk.files = {{Slot::Settings, mark + "[busy]\r\n"}};
    EXPECT_TRUE(disk.write({{"busy", "apps", "caf\xC3\xA9.exe"}}));
    EXPECT_EQ(disk.files[Slot::Settings],
              mark + "[busy]\r\napps=caf" + (mark.empty() ? "\x83\xE9" : "\xC3\xA9") + ".exe\r\n");
    EXPECT_EQ(disk.read("busy", "apps", ""), "caf\xC3\xA9.exe");
  }
}

}  // namespace
