#pragma once
// The system services the portable code reaches through its interfaces.
#include <windows.h>

#include <optional>
#include <string>

#include "settings/SafeFile.h"
#include "tray/Notify.h"
#include "ui/System.h"
#include "win32/Handles.h"
#include "win32/Holds.h"
#include "win32/NotifyArea.h"

namespace win32 {

class Backend;

// The full path of Lumora.exe, and the folder that holds it with a trailing backslash.
std::wstring programPath();
std::wstring programFolder();

class Clock : public ui::Clock {
 public:
  ui::LocalTime now() override;
  std::int64_t monotonicMs() override;
  std::int64_t idleMs() override;
  ui::Busy userBusy() override { return holds_.busy(); }
  void holdFor(bool calls, const std::vector<std::string>& programs) override {
    holds_.holdFor(calls, programs);
  }
  std::string holder() override { return holds_.holder(); }

 private:
  Holds holds_;
};

// The displays' monitors, in the system's order.
std::vector<HMONITOR> displayMonitors();

class Screen : public ui::Screen {
 public:
  std::vector<ui::Monitor> monitors() override;
  ui::Size size() override;
  ui::Rect workArea() override;
};

// config.ini: each step of a save one system call, waiting out another program holding a file.
class ProfileFile final : public settings::SafeFile {
 public:
  explicit ProfileFile(std::wstring path) : path_(std::move(path)) {}
  std::string path() const override;

 private:
  Found fetch(settings::Slot slot, std::size_t limit, std::string& bytes) override;
  bool exists(settings::Slot slot) override;
  bool create(settings::Slot slot, const std::string& bytes) override;
  bool swapIn(settings::Slot slot) override;
  void remove(settings::Slot slot) override;
  bool markedReadOnly() override;
  std::string fromAnsi(std::string_view text) override;
  std::string toAnsi(std::string_view utf8) override;
  std::wstring name(settings::Slot slot) const;

  std::wstring path_;
};

class Shell : public ui::Shell {
 public:
  explicit Shell(Backend& backend) : backend_(backend) {}
  void openUrl(const std::string& url) override;
  void messageBox(const std::string& text, const std::string& title, ui::MessageIcon icon) override;
  std::unique_ptr<ui::FileReader> openProgramFile(const std::string& name) override;
  bool askYesNo(const std::string& text, const std::string& title) override;
  bool runElevated(const std::string& arguments) override;
  void quit() override;
  void playSound(ui::SystemSound sound) override;
  void log(const std::string& line) override;
  // From the end of the session on, no modal window is shown: it would hold the session up.
  void sessionEnds() { sessionEnding_ = true; }

 private:
  Backend& backend_;
  bool sessionEnding_ = false;
};

}  // namespace win32
