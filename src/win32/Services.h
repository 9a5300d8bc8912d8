#pragma once
// The system services the portable code reaches through its interfaces.
#include <windows.h>

#include <optional>
#include <string>

#include "tray/Notify.h"
#include "ui/System.h"
#include "win32/Handles.h"
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
  bool userBusy() override;
};

class Screen : public ui::Screen {
 public:
  std::vector<ui::Monitor> monitors() override;
  ui::Size size() override;
  ui::Rect workArea() override;
};

// config.ini. The system's profile functions read and write a file in the ANSI code page, and
// one that starts with the UTF-16 LE byte-order mark as UTF-16, keeping it so. They do not know
// the UTF-8 byte-order mark: to them it is part of the first line, which hides the first section
// and makes a write add a second one. Such a file, as editors save it, is read and written here
// instead, kept in UTF-8 with its mark.
class ProfileFile : public ui::ProfileStore {
 public:
  explicit ProfileFile(std::wstring path) : path_(std::move(path)) {}
  std::string read(const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  bool write(const std::string& section, const std::string& key,
             const std::optional<std::string>& value) override;
  std::string path() const override;

 private:
  // The text after the mark, when the file starts with the UTF-8 byte-order mark.
  std::optional<std::string> utf8Text() const;
  bool replaceText(const std::string& text) const;

  std::wstring path_;
};

class Shell : public ui::Shell {
 public:
  explicit Shell(Backend& backend) : backend_(backend) {}
  void openUrl(const std::string& url) override;
  void messageBox(const std::string& text, const std::string& title, ui::MessageIcon icon) override;
  std::unique_ptr<ui::FileReader> openProgramFile(const std::string& name) override;
  void quit() override;
  // From the end of the session on, no modal window is shown: it would hold the session up.
  void sessionEnds() { sessionEnding_ = true; }

 private:
  Backend& backend_;
  bool sessionEnding_ = false;
};

}  // namespace win32
