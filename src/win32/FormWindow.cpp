#include "win32/FormWindow.h"

#include <algorithm>

#include <windowsx.h>

#include "win32/Backend.h"
#include "win32/Dpi.h"
#include "win32/Report.h"
#include "win32/SystemLibrary.h"
#include "win32/SystemWindow.h"
#include "win32/Text.h"
#include "win32/View.h"

namespace win32 {

FormWindow::FormWindow(Backend& backend, ui::Form& form)
    : Window(backend), model_(form), container_(*this, *this, nullptr) {
  // Made at its place on its own monitor, the window has that monitor's DPI from the start (per
  // monitor aware): it never crosses monitors, so no WM_DPICHANGED resizes it on the way.
  dpi_ = form.dpi() ? form.dpi() : dpiOf(nullptr);
  DWORD style =
      WS_CLIPCHILDREN | (form.border() == ui::Border::None ? WS_POPUP : WS_OVERLAPPEDWINDOW);
  DWORD exStyle = form.showInTaskbar() ? 0 : WS_EX_TOOLWINDOW;
  if (form.noActivate()) exStyle |= WS_EX_NOACTIVATE;
  RECT r = toPixels(form.place(), dpi_);
  createWindow(exStyle, kFormClass, widen(form.caption()).c_str(), style, r,
               form.showInTaskbar() ? nullptr : backend.hiddenOwner());
  dpi_ = dpiOf(hwnd_);
  form.attachView(this);
  for (ui::Control* c : form.allControls()) views_.push_back(makeView(*this, *c));
  // Containers before their children: allControls() is in design order, and a container is
  // always placed before what it holds.
  for (auto& view : views_) view->create();
  // Fonts are made with the window rather than at first paint, so what a window holds does
  // not depend on which of its captions happened to be drawn.
  for (ui::Control* c : form.allControls()) backend.font(c->font(), dpi_);
  applyStyles();
  place(false);
}

FormWindow::~FormWindow() {
  release();
  views_.clear();
  if (HWND hwnd = std::exchange(hwnd_, nullptr)) DestroyWindow(hwnd);
}

void FormWindow::place(bool centre) {
  ui::Rect p = model_.place();
  int width = twipsToPixels(p.width, dpi_), height = twipsToPixels(p.height, dpi_);
  int left = twipsToPixels(p.left, dpi_), top = twipsToPixels(p.top, dpi_);
  if (centre) {
    // Centred on the monitor the window is on, as the designer's start-up position does.
    MONITORINFO info{sizeof(info), {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    left = info.rcMonitor.left + (info.rcMonitor.right - info.rcMonitor.left - width) / 2;
    top = info.rcMonitor.top + (info.rcMonitor.bottom - info.rcMonitor.top - height) / 2;
  }
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::applyStyles() {
  LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  if (model_.alpha() < 255) {
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(hwnd_, 0, static_cast<BYTE>(model_.alpha()), LWA_ALPHA);
  }
  if (model_.topmost())
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormWindow::update(ui::FormProperty property) {
  switch (property) {
    case ui::FormProperty::Place:
      place(false);
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case ui::FormProperty::Size: {
      const ui::Rect p = model_.place();
      const int width = twipsToPixels(p.width, dpi_), height = twipsToPixels(p.height, dpi_);
      // A window grown downwards moves up as far as it must to stay on its monitor's work area.
      RECT now{};
      GetWindowRect(hwnd_, &now);
      MONITORINFO info{sizeof(info), {}, {}, 0};
      GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info);
      const LONG top =
          std::max<LONG>(info.rcWork.top, std::min<LONG>(now.top, info.rcWork.bottom - height));
      SetWindowPos(hwnd_, nullptr, now.left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    }
    case ui::FormProperty::Visible:
      if (model_.visible()) {
        if (!placedOnce_ && model_.centred()) place(true);
        placedOnce_ = true;
        ShowWindow(hwnd_, model_.noActivate() ? SW_SHOWNOACTIVATE : SW_SHOW);
        if (!model_.noActivate()) SetForegroundWindow(hwnd_);
      } else {
        ShowWindow(hwnd_, SW_HIDE);
      }
      shownChanged();
      break;
    case ui::FormProperty::Caption:
      SetWindowTextW(hwnd_, widen(model_.caption()).c_str());
      break;
    case ui::FormProperty::Colours:
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case ui::FormProperty::Alpha:
    case ui::FormProperty::Topmost:
      applyStyles();
      break;
    case ui::FormProperty::Focus:
      applyFocus();
      break;
  }
}

void FormWindow::invalidateFocusMark(const ui::Control* control) {
  if (!control || !Container::marksFocus(*control)) return;
  HWND container = control->container() ? Backend::windowOf(*control->container()) : hwnd_;
  if (!container) return;
  RECT r = toPixels(control->place(), dpi_);
  InflateRect(&r, 3, 3);
  InvalidateRect(container, &r, FALSE);
}

void FormWindow::applyFocus() {
  const ui::Control* focused = model_.focused();
  invalidateFocusMark(std::exchange(marked_, focused));
  invalidateFocusMark(focused);
  // The system's focus moves only within the active window, and not for a box the user clicked.
  if (!focused || following_ || GetActiveWindow() != hwnd_) return;
  if (HWND window = Backend::windowOf(*focused)) {
    SetFocus(window);
    // As in a dialog, a box reached with Tab has its text selected, so typing replaces it.
    if (focused->kind() == ui::Kind::TextBox) SendMessageW(window, EM_SETSEL, 0, -1);
  } else {
    SetFocus(hwnd_);
    notifyAccessFocus(backend_.access(), *focused);
  }
}

void FormWindow::followSystemFocus() {
  HWND focus = GetFocus();
  if (!focus || focus == hwnd_ || !IsChild(hwnd_, focus)) return;
  auto* view = dynamic_cast<View*>(Window::from(focus));
  if (!view || !view->attached() || !view->control().tabStop() ||
      model_.focused() == &view->control())
    return;
  following_ = true;
  model_.setFocus(&view->control());
  following_ = false;
}

bool FormWindow::keyDown(ui::Key key, const MSG& message) {
  if (!attached_) return false;
  followSystemFocus();
  const ui::Control* focused = model_.focused();
  bool typing = focused && focused->kind() == ui::Kind::TextBox && key == ui::Key::Space;
  // A held key acts once; Tab repeats, and a held space in a box types spaces.
  if ((HIWORD(message.lParam) & KF_REPEAT) && key != ui::Key::Tab) return !typing;
  return model_.keyDown(key, GetKeyState(VK_SHIFT) < 0);
}

void FormWindow::startDrag() {
  // Only while the left button is held: otherwise the system's move loop may follow the pointer.
  // The button is the one the mouse message carries, the logical primary button: the physical
  // state (GetAsyncKeyState) is the other button when the user has swapped them.
  if (IsZoomed(hwnd_) || !(mouseKeys & MK_LBUTTON)) return;
  // The move loop follows the pointer from where the current move message found it. Moves
  // queue up and merge while the program is busy, so that can be well past the press: the
  // window first catches up with the pointer, so that it moves by the whole drag.
  const DWORD message = GetMessagePos();
  const POINT at{GET_X_LPARAM(message), GET_Y_LPARAM(message)};
  const POINT from = pressedAt.value_or(at);
  pressedAt.reset();
  RECT place{};
  if ((at.x != from.x || at.y != from.y) && GetWindowRect(hwnd_, &place))
    SetWindowPos(hwnd_, nullptr, place.left + at.x - from.x, place.top + at.y - from.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ReleaseCapture();
  SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
}

void FormWindow::shownChanged() {
  for (auto& view : views_) view->shownChanged();
}

HWND FormWindow::windowAbove(View& view) {
  bool after = false;
  for (auto& v : views_) {
    if (after && v->hwnd() && v->control().container() == view.control().container())
      return v->hwnd();
    after = after || v.get() == &view;
  }
  return HWND_TOP;
}

void FormWindow::release() {
  if (!attached_) return;
  attached_ = false;
  for (auto& [id, timer] : timers_) KillTimer(hwnd_, id);
  timers_.clear();
  for (auto& view : views_) view->release();
  // From here the window's messages go to the default procedure: none reaches the model.
  detach();
  if (model_.view() == this) model_.attachView(nullptr);
}

void FormWindow::destroy() {
  // Unlinked now, whatever happens to the model next (its owner may free it before the
  // window goes); the window and the views themselves go once the current message has been
  // handled, since this is often called from one of the window's own handlers.
  release();
  ShowWindow(hwnd_, SW_HIDE);
  backend_.forget(this);
}

UINT_PTR FormWindow::addTimer(ui::Timer* timer) {
  UINT_PTR id = nextTimer_++;
  timers_[id] = timer;
  // Coalescable where the system offers it (Windows 8 on), so the rest clock's wakes can join
  // the system's own; the default tolerance keeps a minute's tick within its second.
  static const auto coalescable =
      findFunction<UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG)>(
          GetModuleHandleW(L"user32.dll"), "SetCoalescableTimer");
  const auto ms = static_cast<UINT>(timer->interval());
  if ((!coalescable || !coalescable(hwnd_, id, ms, nullptr, 0)) &&
      !SetTimer(hwnd_, id, ms, nullptr))
    reportFailure(L"SetTimer", L"a form's timer");
  return id;
}

void FormWindow::removeTimer(UINT_PTR id) {
  KillTimer(hwnd_, id);
  timers_.erase(id);
}

void FormWindow::dpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (auto& view : views_) view->dpiChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT FormWindow::handle(UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_TIMER:
      if (auto it = timers_.find(wp); it != timers_.end()) {
        it->second->Tick();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      // Back in the window (activated again, shown again): the focus returns to the control
      // that had it.
      if (const ui::Control* focused = model_.focused())
        if (HWND window = Backend::windowOf(*focused); window && IsWindowVisible(window))
          SetFocus(window);
      return 0;
    case WM_CLOSE:
      // Alt+F4 or another program's polite close: the form decides, through its model, so the
      // model never loses track of its window. The program never ends this way.
      model_.requestClose();
      return 0;
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
  }
  if (auto result = container_.handle(message, wp, lp)) return *result;
  return Window::handle(message, wp, lp);
}

}  // namespace win32
