#include "tray/Notify.h"

namespace tray {

void Icon::fill(std::uintptr_t window, std::uintptr_t icon) {
  record_ = NotifyRecord{};
  record_.hWnd = window;
  record_.uID = icon;
  record_.hIcon = icon;
  filled_ = true;
}

void Icon::add() {
  if (!filled_ || removed_) return;
  // A failed add leaves the program running without an icon.
  present_ = area_.add(record_);
}

void Icon::readd() {
  add();
}

void Icon::remove() {
  if (!filled_ || removed_) return;
  area_.remove(record_);
  present_ = false;
  removed_ = true;
}

}  // namespace tray
