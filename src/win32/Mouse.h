#pragma once
// Mouse messages read the toolkit's way: buttons, shift state and points in twips.
#include <windows.h>
#include <windowsx.h>

#include "ui/Types.h"
#include "win32/Dpi.h"

namespace win32 {

// The buttons a message says are held (MK_* in wParam).
inline int buttonsHeld(WPARAM wp) {
  return ((wp & MK_LBUTTON) ? ui::kLeftButton : 0) | ((wp & MK_RBUTTON) ? ui::kRightButton : 0) |
         ((wp & MK_MBUTTON) ? ui::kMiddleButton : 0);
}

// The button a press, release or double click message is about.
inline int buttonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return ui::kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return ui::kMiddleButton;
    default:
      return ui::kLeftButton;
  }
}

inline int shiftState(WPARAM wp) {
  return ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// The message's point in twips at the given DPI.
inline ui::Point pointOf(LPARAM lp, int dpi) {
  return {pixelsToTwips(GET_X_LPARAM(lp), dpi), pixelsToTwips(GET_Y_LPARAM(lp), dpi)};
}

}  // namespace win32
