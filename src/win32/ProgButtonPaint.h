#pragma once
// Drawing the gradient button / progress bar with GDI, and its window's input.
#include <windows.h>

#include "controls/ProgButton.h"

namespace win32 {

// The complete repaint: keeps the window's rounded outline to the client size (when hwnd is
// given) and draws the control's plan on the DC in the given font.
void paintProgButton(HDC dc, HWND hwnd, controls::ProgButton& control, HFONT font);

// Mouse, keyboard and focus messages of the control's window; true when handled, with the
// window procedure's result in `result`.
bool handleProgButtonInput(HWND hwnd, controls::ProgButton& control, UINT message, WPARAM wp,
                           LPARAM lp, LRESULT& result);

}  // namespace win32
