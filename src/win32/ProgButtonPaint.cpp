#include "win32/ProgButtonPaint.h"

#include <windowsx.h>

#include "win32/Dpi.h"
#include "win32/Handles.h"
#include "win32/Mouse.h"
#include "win32/Text.h"

namespace win32 {

namespace {

void gradient(HDC dc, const controls::Gradient& g) {
  if (g.rect.right <= g.rect.left || g.rect.bottom <= g.rect.top) return;
  auto vertex = [](int x, int y, ui::Colour c) {
    auto channel = [](int value) { return static_cast<COLOR16>(value << 8); };
    return TRIVERTEX{x, y, channel(ui::red(c)), channel(ui::green(c)), channel(ui::blue(c)), 0};
  };
  TRIVERTEX vertices[2] = {vertex(g.rect.left, g.rect.top, g.from),
                           vertex(g.rect.right, g.rect.bottom, g.to)};
  GRADIENT_RECT rect{0, 1};
  // gdi32's entry, for the same reason as the pictures' blend.
  GdiGradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

ui::MouseArgs mouseArgs(HWND hwnd, int button, WPARAM wp, LPARAM lp) {
  return {button, shiftState(wp), pointOf(lp, dpiOf(hwnd))};
}

bool inClient(HWND hwnd, LPARAM lp) {
  RECT r;
  GetClientRect(hwnd, &r);
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  return PtInRect(&r, p) != FALSE;
}

// The user's decimal separator (UTF-8).
std::string userDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) <= 1) return ".";
  return narrow(buffer);
}

// Executes a plan on a DC (the outline is the window's business, not the DC's).
void drawProgButtonPlan(HDC dc, const controls::DrawPlan& plan, HGDIOBJ font) {
  for (const controls::Gradient& g : plan.gradients) gradient(dc, g);

  UniquePen pen(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(plan.borderColour)));
  {
    SelectObjectScope penScope(dc, pen.get());
    SelectObjectScope brushScope(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, plan.border.left, plan.border.top, plan.border.right, plan.border.bottom,
              plan.corner, plan.corner);
  }

  std::wstring text = widen(plan.text);
  RECT r{plan.textRect.left, plan.textRect.top, plan.textRect.right, plan.textRect.bottom};
  SelectObjectScope fontScope(dc, font);
  SetTextColor(dc, static_cast<COLORREF>(plan.textColour));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), -1, &r, 0);

  if (plan.focusRect) {
    RECT f{plan.focusRect->left, plan.focusRect->top, plan.focusRect->right,
           plan.focusRect->bottom};
    DrawFocusRect(dc, &f);
  }
}

// Whether a typed character is the control's access key (letters in either case).
bool isAccessKey(const controls::ProgButton& control, wchar_t typed) {
  char32_t key = control.accessKey();
  if (key == 0 || key > 0xFFFF) return false;
  wchar_t a[2] = {static_cast<wchar_t>(key), 0};
  wchar_t b[2] = {typed, 0};
  CharUpperW(a);
  CharUpperW(b);
  return a[0] == b[0];
}

}  // namespace

void paintProgButton(HDC dc, HWND hwnd, controls::ProgButton& control, HFONT font) {
  RECT client{};
  if (hwnd) {
    GetClientRect(hwnd, &client);
  } else if (HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP)) {
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof(info), &info)) client = {0, 0, info.bmWidth, info.bmHeight};
  }
  int width = client.right - client.left;
  int height = client.bottom - client.top;

  HGDIOBJ textFont = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
  auto measure = [&](const std::string& text) {
    SelectObjectScope selected(dc, textFont);
    std::wstring wide = widen(text);
    SIZE size{};
    if (wide.empty()) {
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      return ui::Size{0, metrics.tmHeight};
    }
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return ui::Size{size.cx, size.cy};
  };
  controls::DrawPlan plan = control.redraw(width, height, measure, userDecimalSeparator());

  if (hwnd) {
    // Only a changed size needs a new outline; setting it on every paint would invalidate the
    // window again and paint forever.
    UniqueRegion wanted(
        CreateRoundRectRgn(0, 0, plan.width, plan.height, plan.corner, plan.corner));
    UniqueRegion current(CreateRectRgn(0, 0, 0, 0));
    bool same = GetWindowRgn(hwnd, current.get()) != ERROR && EqualRgn(current.get(), wanted.get());
    if (!same && SetWindowRgn(hwnd, wanted.get(), FALSE)) wanted.release();
  }

  // Clear the surface: the background gradients cover it, but a plan of no size draws nothing.
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  drawProgButtonPlan(dc, plan, textFont);
}

bool handleProgButtonInput(HWND hwnd, controls::ProgButton& control, UINT message, WPARAM wp,
                           LPARAM lp, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      int button = buttonOf(message);
      // Buttons take the focus when pressed; the progress kind never shows it.
      if (button == ui::kLeftButton && control.Style() != 0 && GetFocus() != hwnd) SetFocus(hwnd);
      SetCapture(hwnd);
      control.mouseDown(mouseArgs(hwnd, button, wp, lp));
      if (message == WM_LBUTTONDBLCLK) control.dblClick();
      return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      bool captured = GetCapture() == hwnd;
      if (captured && (wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ReleaseCapture();
      control.release(mouseArgs(hwnd, buttonOf(message), wp, lp), captured, inClient(hwnd, lp));
      return true;
    }
    case WM_MOUSEMOVE:
      control.MouseMove(mouseArgs(hwnd, buttonsHeld(wp), wp, lp));
      return true;
    case WM_SETFOCUS:
      control.focusGained();
      return true;
    case WM_KILLFOCUS:
      control.focusLost();
      return true;
    case WM_KEYDOWN:
      control.keyDown(static_cast<int>(wp));
      return true;
    case WM_SYSCHAR:
      if (!isAccessKey(control, static_cast<wchar_t>(wp))) return false;
      control.accessKeyPressed();
      return true;
    case WM_GETDLGCODE:
      result = DLGC_WANTALLKEYS;
      return true;
  }
  return false;
}

}  // namespace win32
