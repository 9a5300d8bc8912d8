#pragma once
// The system services the portable code reaches through its interfaces.
#include <windows.h>

#include <optional>
#include <string>

#include "settings/ProfileText.h"
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
  ui::Busy userBusy() override;
  void holdFor(bool calls, const std::vector<std::string>& programs) override;
  std::string holder() override { return holder_; }

 private:
  bool calls_ = false;
  std::string holder_;
  std::vector<std::string> programs_;
  ConsentWatch consent_;
};

class Screen : public ui::Screen {
 public:
  std::vector<ui::Monitor> monitors() override;
  ui::Size size() override;
  ui::Rect workArea() override;
};

// config.ini: loaded whole and swapped whole, never written in place.
class ProfileFile final : public settings::ProfileFile {
 public:
  explicit ProfileFile(std::wstring path) : path_(std::move(path)) {}
  std::string path() const override;
  bool readOnly() const override { return readOnly_; }
  // At start, before anything is read: puts back the settings a save cut short left under the
  // temporary name, and removes what such a save left otherwise.
  void recover();

 private:
  std::optional<std::string> load(std::size_t limit) override;
  bool replace(const std::string& bytes) override;
  std::string fromAnsi(std::string_view text) override;
  std::string toAnsi(std::string_view utf8) override;
  std::wstring tempPath() const;
  // The settings a save cut short left under the temporary name, when that file is whole.
  std::optional<std::string> leftBehind(std::size_t limit) const;

  std::wstring path_;
  bool readOnly_ = false;
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
