#pragma once
// The notification area: the icon's record sent to the shell, the icon drawn for the DPI, the
// tray menu.
#include <windows.h>

#include <shellapi.h>

#include <optional>

#include "tray/Notify.h"
#include "win32/Handles.h"

namespace win32 {

class Backend;

class NotifyArea : public tray::NotifyArea {
 public:
  explicit NotifyArea(Backend& backend);
  bool add(const tray::NotifyRecord& record) override;
  bool remove(const tray::NotifyRecord& record) override;
  bool modify(const tray::NotifyRecord& record) override;
  std::uintptr_t iconHandle() override;
  std::uintptr_t windowHandle() override;
  int popupMenu(const tray::Menu& menu) override;
  // The display's DPI changed: the icon is drawn again at its new size.
  void reloadIcon(int dpi);

 private:
  bool send(DWORD message, const tray::NotifyRecord& record) const;

  Backend& backend_;
  UniqueIcon icon_;    // its handle is also the icon's identifier in the record
  UniqueIcon scaled_;  // the same picture for a later DPI
  int iconSize_;
  std::optional<tray::NotifyRecord> added_;
};

}  // namespace win32
