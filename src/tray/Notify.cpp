#include "tray/Notify.h"

namespace tray {

void Icon::fill(std::uintptr_t window, std::uintptr_t icon) {
  const std::array<char, 64> tip = record_.szTip;
  record_ = NotifyRecord{};
  record_.szTip = tip;
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

void Icon::setTip(const std::string& text) {
  std::array<char, 64> tip{};
  text.copy(tip.data(), tip.size() - 1);
  if (tip == record_.szTip) return;
  record_.szTip = tip;
  if (present_) area_.modify(record_);
}

void Icon::readd() {
  if (!filled_ || removed_) return;
  // Said also when the new taskbar kept its icons: an add alone would then be refused, the icon
  // taken for missing and its tip left behind.
  if (present_) area_.remove(record_);
  add();
}

void Icon::remove() {
  if (!filled_ || removed_) return;
  area_.remove(record_);
  present_ = false;
  removed_ = true;
}

}  // namespace tray
