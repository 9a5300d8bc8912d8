#pragma once
// The notification-area icon: the record held for the whole run and the backend's interface to
// the shell's notification area.
#include <array>
#include <cstdint>
#include <string>

#include "tray/Menu.h"
#include "ui/Form.h"

namespace tray {

constexpr std::uint32_t kNotifyRecordSize = 88;
constexpr std::uint32_t kNotifyFlags = 7;                 // message + icon + tip
constexpr std::uint32_t kNotifyCallbackMessage = 0x0200;  // arrives as a mouse move of cd

// A portable description of the notification record, filled once; only its tip changes after.
struct NotifyRecord {
  std::uint32_t cbSize = kNotifyRecordSize;
  std::uintptr_t hWnd = 0;
  std::uintptr_t uID = 0;  // the icon's handle, as hIcon
  std::uint32_t uFlags = kNotifyFlags;
  std::uint32_t uCallbackMessage = kNotifyCallbackMessage;
  std::uintptr_t hIcon = 0;
  std::array<char, 64> szTip{};  // ANSI text, NUL-terminated
};

// Implemented by the backend.
class NotifyArea {
 public:
  virtual ~NotifyArea() = default;
  virtual bool add(const NotifyRecord& record) = 0;
  virtual bool remove(const NotifyRecord& record) = 0;
  // Changes the icon's tip to the record's.
  virtual bool modify(const NotifyRecord& record) = 0;
  // The program icon's handle.
  virtual std::uintptr_t iconHandle() = 0;
  // The window the icon's messages go to.
  virtual std::uintptr_t windowHandle() = 0;
  // Brings the icon's window to the foreground, shows the menu at the pointer and returns the
  // chosen command, 0 when the menu was dismissed.
  virtual int popupMenu(const Menu& menu) = 0;
};

// The record and whether the icon is in the notification area.
class Icon {
 public:
  explicit Icon(NotifyArea& area) : area_(area) {}

  void fill(std::uintptr_t window, std::uintptr_t icon);
  const NotifyRecord& record() const { return record_; }

  void add();
  // The tip shown over the icon (at most 63 characters are kept); sent at once when the icon is
  // in the notification area, and with every later add.
  void setTip(const std::string& text);
  // Puts the icon back after the shell restarted, unless it was removed for good.
  void readd();
  void remove();
  bool present() const { return present_; }

 private:
  NotifyArea& area_;
  NotifyRecord record_;
  bool filled_ = false;
  bool present_ = false;
  bool removed_ = false;
};

}  // namespace tray
