#include "win32/Container.h"

#include <algorithm>

#include "ui/Form.h"
#include "ui/GapText.h"
#include "win32/Backend.h"
#include "win32/Dpi.h"
#include "win32/FocusMark.h"
#include "win32/FormWindow.h"
#include "win32/Mouse.h"
#include "win32/Text.h"
#include "win32/Window.h"

namespace win32 {

namespace {

int textWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// A one-line label whose runs of blanks have controls laid over them is drawn piece by piece
// around those controls, so the words never run under them whatever the font's blank width.
// False when the label is not such a sentence; the caller then draws it as plain text.
bool drawAroundCovers(HDC dc, const ui::Control& label, const RECT& r,
                      const std::vector<ui::Control*>& siblings, int dpi) {
  const std::string& text = label.text();
  if (text.find("  ") == std::string::npos || text.find('\n') != std::string::npos) return false;
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  auto covers = ui::labelCovers(label, siblings, metrics.tmHeight,
                                [dpi](int twips) { return twipsToPixels(twips, dpi); });
  std::vector<std::wstring> pieces;
  std::vector<int> widths;
  for (const std::string& piece : ui::splitAtGaps(text)) {
    pieces.push_back(widen(piece));
    widths.push_back(textWidth(dc, pieces.back()));
  }
  auto lefts = ui::placePieces(widths, covers, textWidth(dc, L" "));
  if (!lefts) return false;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    RECT at{(*lefts)[i], r.top, (*lefts)[i] + widths[i], r.bottom};
    DrawTextW(dc, pieces[i].c_str(), static_cast<int>(pieces[i].size()), &at,
              DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP);
  }
  return true;
}

}  // namespace

Container::Container(Window& window, FormWindow& form, ui::Control* control)
    : window_(window), form_(form), control_(control) {
  mouse_.capture = [this](bool take) {
    if (take)
      SetCapture(hwnd());
    else if (GetCapture() == hwnd())
      ReleaseCapture();
  };
}

HWND Container::hwnd() const {
  return window_.hwnd();
}

Backend& Container::backend() const {
  return form_.backend();
}

const std::vector<ui::Control*>& Container::children() const {
  return control_ ? control_->children() : form_.form().controls();
}

ui::Colour Container::background() const {
  return control_ ? control_->backColour() : form_.form().backColour();
}

void Container::paint() {
  PaintDc paintDc(hwnd());
  RECT client;
  GetClientRect(hwnd(), &client);
  BufferedPaint buffer(paintDc.get(), client.right, client.bottom);
  paintTo(buffer.get(), client);
  buffer.copyToTarget();
}

void Container::paintTo(HDC dc, const RECT& client) {
  int d = form_.windowDpi();
  FillRect(dc, &client, backend().brush(background()));
  if (persistent) {
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    SelectObjectScope select(source.get(), persistent.get());
    BITMAP info{};
    GetObjectW(persistent.get(), sizeof(info), &info);
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
  }
  if (control_ && control_->picture() != ui::Picture::None) {
    ui::Size px = ui::pictureSize(control_->picture());
    RECT to{0, 0, MulDiv(px.width, d, 96), MulDiv(px.height, d, 96)};
    backend().pictures().draw(dc, control_->picture(), to);
  }
  SetBkMode(dc, TRANSPARENT);
  for (ui::Control* c : ui::paintOrder(children())) paintControl(dc, *c, d);
  const ui::Form& form = form_.form();
  if (const ui::Control* focused = form.focused();
      form.focusMarkShown() && focused->container() == control_ && marksFocus(*focused))
    drawFocusMark(dc, toPixels(focused->place(), d), client);
}

void Container::paintControl(HDC dc, const ui::Control& c, int d) {
  RECT r = toPixels(c.place(), d);
  switch (c.kind()) {
    case ui::Kind::Shape:
    case ui::Kind::Line: {
      int width = std::max(1, MulDiv(1, d, 96));
      bool shape = c.kind() == ui::Kind::Shape;
      UniquePen pen(CreatePen(shape ? PS_INSIDEFRAME : PS_SOLID, width, colourRef(c.foreColour())));
      SelectObjectScope selectPen(dc, pen.get());
      if (shape) {
        SelectObjectScope selectBrush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
      } else {
        MoveToEx(dc, r.left, r.top, nullptr);
        LineTo(dc, r.right, r.bottom);
      }
      break;
    }
    case ui::Kind::Image: {
      if (c.picture() == ui::Picture::None) break;
      RECT to = r;
      if (!c.stretch()) {
        ui::Size px = ui::pictureSize(c.picture());
        to.right = to.left + MulDiv(px.width, d, 96);
        to.bottom = to.top + MulDiv(px.height, d, 96);
      }
      backend().pictures().draw(dc, c.picture(), to);
      break;
    }
    case ui::Kind::Label: {
      if (!c.transparent()) FillRect(dc, &r, backend().brush(c.backColour()));
      SelectObjectScope selectFont(dc, backend().font(c.font(), d));
      SetTextColor(dc, colourRef(c.foreColour()));
      if (drawAroundCovers(dc, c, r, children(), d)) break;
      std::wstring text = widen(c.text());
      UINT format = DT_NOPREFIX | DT_WORDBREAK | (c.align() == ui::Align::Centre ? DT_CENTER : 0);
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
      break;
    }
    default:
      break;
  }
}

void Container::routeMouse(UINT message, WPARAM wp, LPARAM lp) {
  const bool move = message == WM_MOUSEMOVE;
  const int button = move ? buttonsHeld(wp) : buttonOf(message);
  ui::MouseAct act = ui::MouseAct::DoubleClick;
  if (move)
    act = ui::MouseAct::Move;
  else if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN)
    act = ui::MouseAct::Down;
  else if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP)
    act = ui::MouseAct::Up;
  if (message == WM_LBUTTONDOWN) {
    POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(hwnd(), &at);
    form_.pressedAt = at;
  } else if (message == WM_LBUTTONUP) {
    form_.pressedAt.reset();
  }
  // The handlers may start a drag, which needs the buttons of this message.
  WPARAM outerKeys = std::exchange(form_.mouseKeys, wp);
  mouse_.route(act, button, shiftState(wp), pointOf(lp, form_.windowDpi()), children(), control_,
               form_.form());
  form_.mouseKeys = outerKeys;
}

std::optional<LRESULT> Container::handle(UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      paint();
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
      routeMouse(message, wp, lp);
      return 0;
    case WM_CAPTURECHANGED:
      mouse_.lost();
      return 0;
    case WM_COMMAND:
    case WM_HSCROLL:
      if (!lp) break;
      if (Window* child = Window::from(reinterpret_cast<HWND>(lp))) {
        if (message == WM_COMMAND)
          child->command(HIWORD(wp));
        else
          child->scroll();
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (Window* child = Window::from(reinterpret_cast<HWND>(lp))) {
        if (HBRUSH brush = child->colours(reinterpret_cast<HDC>(wp), background()))
          return reinterpret_cast<LRESULT>(brush);
      }
      break;
  }
  return std::nullopt;
}

}  // namespace win32
