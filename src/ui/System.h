#pragma once
// The few ways the portable code reaches the system. The Win32 backend implements them; tests fake
// them.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/Types.h"

namespace ui {

struct LocalTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int utcOffset = 0;  // minutes east of UTC in force, daylight saving included
};

// What holds a due prompt back. Each reason is named to the user while it holds.
enum class Busy {
  No,
  FullScreen,    // a full-screen program (a game, a film)
  Presentation,  // presentation mode
  QuietTime,     // the system's quiet time
  Call,          // a microphone or camera in use
  Listed,        // a program the user listed is in front
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock time: it decides which minute a rest is due in.
  virtual LocalTime now() = 0;
  // Milliseconds on a counter that never goes back and keeps running while the machine sleeps:
  // time away is measured on it, so a clock set forward is not mistaken for a rest.
  virtual std::int64_t monotonicMs() = 0;
  // Milliseconds since the person last used the keyboard or mouse.
  virtual std::int64_t idleMs() = 0;
  // Why the person is at work where no prompt should appear, or Busy::No.
  virtual Busy userBusy() = 0;
  // What else holds a prompt from now on: a call (a microphone or camera in use), and these
  // programs (file names) while one of them is in front.
  virtual void holdFor(bool /*calls*/, const std::vector<std::string>& /*programs*/) {}
  // The program behind the last call or listed program userBusy() found, when known.
  virtual std::string holder() { return {}; }
};

// A display gamma ramp: red entries 0-255, then green, then blue.
using Ramp = std::array<std::uint16_t, 768>;

class GammaDisplay {
 public:
  virtual ~GammaDisplay() = default;
  virtual bool get(Ramp& ramp) = 0;
  virtual bool set(const Ramp& ramp) = 0;
  // The system call that last failed, with its own error code, for the log; empty when unknown.
  virtual std::string failure() const { return {}; }
};

// A display attached to the desktop, by the name the system gives it.
struct AttachedDisplay {
  std::string name;
  std::unique_ptr<GammaDisplay> gamma;
};

// The displays whose ramps eye care sets.
class DisplaySet {
 public:
  virtual ~DisplaySet() = default;
  // The displays attached now, each with a fresh way to its ramp.
  virtual std::vector<AttachedDisplay> enumerate() = 0;
  // The system lets ramps stray further from linear than its default limit. Displays that cannot
  // tell keep the default limit.
  virtual bool limitLifted() { return false; }
  // A ramp that did not reach a display, and why, written where a person can find it.
  virtual void report(const std::string& /*line*/) {}
};

// One value of the settings file; no value removes the key.
struct ProfileEntry {
  std::string section, key;
  std::optional<std::string> value;
};

// The settings file.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The stored value, or fallback when the file, section or key does not exist.
  virtual std::string read(const std::string& section, const std::string& key,
                           const std::string& fallback) = 0;
  // Stores the values in one step, all or none. False when the file cannot be written.
  virtual bool write(const std::vector<ProfileEntry>& entries) = 0;
  // Full path of the file, for messages.
  virtual std::string path() const = 0;
  // Whether the last write failed because the file is marked read-only.
  virtual bool readOnly() const { return false; }
};

// One monitor of the desktop: its rectangle in twips at its own DPI (so pixels = twips x dpi /
// 1440 give desktop coordinates back), and that DPI.
struct Monitor {
  Rect area;
  int dpi = 96;
  bool primary = false;
  Rect work;  // the area less the taskbar, in the same twips
};

class Screen {
 public:
  virtual ~Screen() = default;
  // Every monitor of the desktop, the primary one first.
  virtual std::vector<Monitor> monitors() = 0;
  // The primary display, in twips.
  virtual Size size() = 0;
  // The desktop's work area (the screen less the taskbar), in twips.
  virtual Rect workArea() = 0;
};

enum class MessageIcon { Information, Warning, Error };
enum class SystemSound { RestStart, RestEnd };

// A file opened for reading in pieces.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // Fills the start of `into` with the next bytes: the count, 0 at the end, nothing on an error.
  virtual std::optional<std::size_t> read(std::span<char> into) = 0;
};

// The title of the program's own message boxes.
inline constexpr const char* kProgramTitle = "Lumora";

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a web address in the user's browser.
  virtual void openUrl(const std::string& url) = 0;
  // A modal message box with one OK button.
  virtual void messageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
  // Opens a file of the program's folder for reading; nothing when it does not exist or cannot be
  // opened.
  virtual std::unique_ptr<FileReader> openProgramFile(const std::string& name) = 0;
  // A modal question with Yes and No; true for Yes.
  virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
  // Runs another copy of the program with administrator rights to its end; true when it ended
  // well, false when the user refused or it failed.
  virtual bool runElevated(const std::string& arguments) = 0;
  // Ends the program at once (no window receives a closing event).
  virtual void quit() = 0;
  // One of the system's own sounds, without waiting for it to end.
  virtual void playSound(SystemSound sound) = 0;
  // A line in lumora.log beside the program, for what the user need not be asked about.
  virtual void log(const std::string& line) = 0;
};

}  // namespace ui
