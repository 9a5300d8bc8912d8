#include "win32/NotifyArea.h"

#include <cstring>

#include "win32/Backend.h"
#include "win32/Dpi.h"
#include "win32/Report.h"
#include "win32/SystemWindow.h"
#include "win32/Text.h"

namespace win32 {

namespace {

HICON loadProgramIcon(int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                       size, size, LR_DEFAULTCOLOR));
}

}  // namespace

NotifyArea::NotifyArea(Backend& backend)
    : backend_(backend), iconSize_(GetSystemMetrics(SM_CXSMICON)) {
  icon_.reset(loadProgramIcon(iconSize_));
}

void NotifyArea::reloadIcon(int dpi) {
  // The record keeps the first icon's handle as the icon's identifier; only the picture the
  // shell shows changes, drawn for the new DPI instead of stretched.
  int size = MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, dpiOf(nullptr));
  if (size == iconSize_ || !icon_) return;
  UniqueIcon scaled(loadProgramIcon(size));
  if (!scaled) return reportFailure(L"LoadImageW", L"notification icon");
  iconSize_ = size;
  scaled_ = std::move(scaled);
  if (!added_) return;
  tray::NotifyRecord icon = *added_;
  icon.uFlags = NIF_ICON;
  send(NIM_MODIFY, icon);
}

// The 88-byte record of the first shell versions, passed unchanged to every call but for the
// icon, drawn anew for a later DPI.
bool NotifyArea::send(DWORD message, const tray::NotifyRecord& r) const {
  NOTIFYICONDATAA data{};
  data.cbSize = r.cbSize;
  data.hWnd = reinterpret_cast<HWND>(r.hWnd);
  data.uID = static_cast<UINT>(r.uID);
  data.uFlags = r.uFlags;
  data.uCallbackMessage = r.uCallbackMessage;
  data.hIcon = reinterpret_cast<HICON>(r.hIcon);
  if (scaled_ && data.hIcon == icon_.get()) data.hIcon = scaled_.get();
  // Newer headers declare a longer tip; with cbSize 88 the shell reads the first 64 bytes.
  static_assert(sizeof data.szTip >= sizeof r.szTip);
  std::memcpy(data.szTip, r.szTip.data(), sizeof r.szTip);
  if (Shell_NotifyIconA(message, &data)) return true;
  // An icon that is not shown or not brought up to date is something the user sees; one that
  // stays after the program ends is the shell's to tidy.
  if (message == NIM_ADD) reportFailure(L"Shell_NotifyIconA", L"NIM_ADD: the icon is not shown");
  if (message == NIM_MODIFY)
    reportFailure(L"Shell_NotifyIconA", L"NIM_MODIFY: the icon or its tip is not up to date");
  return false;
}

bool NotifyArea::add(const tray::NotifyRecord& record) {
  backend_.system().expectTrayCallback(record.uCallbackMessage);
  if (!send(NIM_ADD, record)) {
    backend_.system().retryIconAdd();
    return false;
  }
  added_ = record;
  return true;
}

bool NotifyArea::modify(const tray::NotifyRecord& record) {
  return send(NIM_MODIFY, record);
}

bool NotifyArea::remove(const tray::NotifyRecord& record) {
  added_.reset();
  return send(NIM_DELETE, record);
}

std::uintptr_t NotifyArea::iconHandle() {
  return reinterpret_cast<std::uintptr_t>(icon_.get());
}

std::uintptr_t NotifyArea::windowHandle() {
  return reinterpret_cast<std::uintptr_t>(backend_.system().hwnd());
}

namespace {

void appendItems(HMENU menu, const std::vector<tray::MenuItem>& items) {
  for (const tray::MenuItem& item : items) {
    std::wstring caption = widen(item.caption);
    if (caption.empty()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (item.items.empty()) {
      AppendMenuW(menu,
                  MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED) |
                      (item.enabled ? MF_ENABLED : MF_GRAYED),
                  static_cast<UINT_PTR>(item.command), caption.c_str());
    } else {
      HMENU sub = CreatePopupMenu();
      appendItems(sub, item.items);
      // The parent menu owns and destroys the sub-menu.
      AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
    }
  }
}

}  // namespace

int NotifyArea::popupMenu(const tray::Menu& menu) {
  UniqueMenu popup(CreatePopupMenu());
  appendItems(popup.get(), menu.items);
  HWND owner = backend_.system().hwnd();
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  POINT at;
  GetCursorPos(&at);
  int command = static_cast<int>(
      TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  return command;
}

}  // namespace win32
