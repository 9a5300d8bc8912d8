#pragma once
// Drawing the gradient button / progress bar with GDI, and its window's input.
#include <windows.h>

#include "controls/ProgButton.h"

namespace win32 {

// The complete repaint: keeps the window's rounded outline to the client size (when hwnd is
// given) and draws the control's plan on the DC in the given font.
void paintProgButton(HDC dc, HWND hwnd, controls::ProgButton& control, HFONT font);

// Executes a plan on a DC (the outline is the window's business, not the DC's).
void drawProgButtonPlan(HDC dc, const controls::DrawPlan& plan, HFONT font);

// The user's decimal separator (UTF-8).
std::string userDecimalSeparator();

// Whether a typed character is the control's access key (letters in either case).
bool isAccessKey(const controls::ProgButton& control, wchar_t typed);

// Mouse, keyboard and focus messages of the control's window; true when handled, with the
// window procedure's result in `result`.
bool handleProgButtonInput(HWND hwnd, controls::ProgButton& control, UINT message, WPARAM wp,
                           LPARAM lp, LRESULT& result);

}  // namespace win32
