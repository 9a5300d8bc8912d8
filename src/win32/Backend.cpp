#include "win32/Backend.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "controls/ProgButton.h"
#include "controls/SafeSwitch.h"
#include "ui/GapText.h"
#include "win32/Dpi.h"
#include "win32/ProgButtonPaint.h"
#include "win32/SwitchPaint.h"
#include "win32/Text.h"

namespace win32 {

namespace {

constexpr wchar_t kFormClass[] = L"LumoraForm";
constexpr wchar_t kPanelClass[] = L"LumoraPanel";
constexpr wchar_t kSwitchClass[] = L"LumoraSwitch";
constexpr wchar_t kProgButtonClass[] = L"LumoraProgButton";
constexpr wchar_t kViewProperty[] = L"Lumora.View";
constexpr UINT kPostedWork = WM_APP + 1;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 50;

std::wstring windowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

RECT toPixels(const ui::Rect& r, int dpi) {
  return {twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi), twipsToPixels(r.right(), dpi),
          twipsToPixels(r.bottom(), dpi)};
}

int buttonsHeld(WPARAM wp) {
  return ((wp & MK_LBUTTON) ? ui::kLeftButton : 0) | ((wp & MK_RBUTTON) ? ui::kRightButton : 0) |
         ((wp & MK_MBUTTON) ? ui::kMiddleButton : 0);
}

// The button a press, release or double click message is about.
int buttonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return ui::kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return ui::kMiddleButton;
    default:
      return ui::kLeftButton;
  }
}

int shiftState(WPARAM wp) {
  return ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

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
  std::vector<ui::Span> covers;
  bool inFront = false;  // windowless controls cover the label only when drawn after it
  for (const ui::Control* c : siblings) {
    if (c == &label) {
      inFront = true;
      continue;
    }
    if (!c->visible() || (!inFront && !ui::isWindowed(c->kind()))) continue;
    RECT cr = toPixels(c->place(), dpi);
    if (cr.top < r.top + metrics.tmHeight && cr.bottom > r.top && cr.left >= r.left &&
        cr.right <= r.right && cr.right > cr.left)
      covers.push_back({cr.left, cr.right});
  }
  std::sort(covers.begin(), covers.end(),
            [](const ui::Span& a, const ui::Span& b) { return a.left < b.left; });
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

COLORREF colourRef(ui::Colour colour) {
  if (ui::isSystemColour(colour)) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour);
}

class FormWindow;
class Container;

// The view of one control. Windowed controls own a child window; the others repaint their
// container.
class ControlViewImpl : public ui::ControlView {
 public:
  ControlViewImpl(Backend& backend, FormWindow& form, ui::Control& control)
      : backend_(backend), form_(form), control_(control) {
    control.attachView(this);
  }
  ~ControlViewImpl() override { release(); }
  ControlViewImpl(const ControlViewImpl&) = delete;
  ControlViewImpl& operator=(const ControlViewImpl&) = delete;

  void createWindow();
  void update(ui::Property property) override;
  void controlGone() override { release(); }
  // Unlinks the view from its control and its window from the view: nothing reaches the
  // control through this view afterwards. The window itself goes with its form's window.
  void release();

  ui::Control& control() { return control_; }
  HWND hwnd() const { return hwnd_; }
  HWND containerHwnd() const;
  int dpi() const;
  // The control's rectangle in its container's client pixels.
  RECT pixelRect() const { return toPixels(control_.place(), dpi()); }
  void invalidateArea();
  Container* container() const;

  // System controls' notifications, reached through their parent.
  void onCommand(WORD code);
  void onScroll();

 private:
  void applyToWindow(ui::Property property);

  Backend& backend_;
  FormWindow& form_;
  ui::Control& control_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<WindowBase> own_;  // for the program's own window classes
  bool settingFromModel_ = false;
  bool attached_ = true;
  UINT_PTR timerId_ = 0;
};

ControlViewImpl* viewOfChild(HWND child) {
  return static_cast<ControlViewImpl*>(GetPropW(child, kViewProperty));
}

// Paints and routes input for the windowless children of a form or a picture box.
class Container : public WindowBase {
 public:
  Container(Backend& backend, FormWindow& form, ui::Control* control)
      : WindowBase(backend), form_(form), control_(control) {}

 protected:
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override;
  virtual const std::vector<ui::Control*>& children() const;
  virtual ui::Colour background() const { return control_->backColour(); }
  int dpi() const;
  void paint();
  void routeMouse(UINT message, WPARAM wp, LPARAM lp);

  FormWindow& form_;
  ui::Control* control_;            // null for the form itself
  ui::Control* pressed_ = nullptr;  // null with pressing_: the form itself
  bool pressing_ = false;

 public:
  void paintTo(HDC dc, const RECT& client);
  // What was drawn into the container from outside; it stays until replaced.
  UniqueBitmap persistent;
};

class FormWindow : public Container, public ui::FormView {
 public:
  FormWindow(Backend& backend, ui::Form& form);
  ~FormWindow() override;

  void update(ui::FormProperty property) override;
  void startDrag() override;
  void destroy() override;

  ui::Form& form() { return model_; }
  int windowDpi() const { return dpi_; }
  // The buttons of the mouse message being handled (MK_*), 0 outside one: the logical buttons,
  // as the user's button swap maps them.
  WPARAM mouseKeys = 0;
  UINT_PTR addTimer(ui::Timer* timer);
  void removeTimer(UINT_PTR id);

 protected:
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override;
  const std::vector<ui::Control*>& children() const override { return model_.controls(); }
  ui::Colour background() const override { return model_.backColour(); }

 private:
  void place(bool centre);
  void applyStyles();
  void release();

  ui::Form& model_;
  bool attached_ = true;
  int dpi_ = 96;
  bool placedOnce_ = false;
  std::vector<std::unique_ptr<ControlViewImpl>> views_;
  std::map<UINT_PTR, ui::Timer*> timers_;
  UINT_PTR nextTimer_ = 100;
};

int Container::dpi() const {
  return form_.windowDpi();
}

const std::vector<ui::Control*>& Container::children() const {
  return control_->children();
}

void Container::paint() {
  PaintDc paintDc(hwnd_);
  RECT client;
  GetClientRect(hwnd_, &client);
  BufferedPaint buffer(paintDc.get(), client.right, client.bottom);
  paintTo(buffer.get(), client);
  buffer.copyToTarget();
}

void Container::paintTo(HDC dc, const RECT& client) {
  int d = dpi();
  FillRect(dc, &client, backend_.brush(background()));
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
    backend_.pictures().draw(dc, control_->picture(), to);
  }
  SetBkMode(dc, TRANSPARENT);
  for (ui::Control* c : children()) {
    if (!c->visible() || ui::isWindowed(c->kind())) continue;
    RECT r = toPixels(c->place(), d);
    switch (c->kind()) {
      case ui::Kind::Shape: {
        int width = std::max(1, MulDiv(c->lineWidth(), d, 96));
        UniquePen pen(CreatePen(PS_INSIDEFRAME, width, colourRef(c->foreColour())));
        SelectObjectScope selectPen(dc, pen.get());
        SelectObjectScope selectBrush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        break;
      }
      case ui::Kind::Line: {
        int width = std::max(1, MulDiv(c->lineWidth(), d, 96));
        UniquePen pen(CreatePen(PS_SOLID, width, colourRef(c->foreColour())));
        SelectObjectScope selectPen(dc, pen.get());
        MoveToEx(dc, r.left, r.top, nullptr);
        LineTo(dc, r.right, r.bottom);
        break;
      }
      case ui::Kind::Image: {
        if (c->picture() == ui::Picture::None) break;
        RECT to = r;
        if (!c->stretch()) {
          ui::Size px = ui::pictureSize(c->picture());
          to.right = to.left + MulDiv(px.width, d, 96);
          to.bottom = to.top + MulDiv(px.height, d, 96);
        }
        backend_.pictures().draw(dc, c->picture(), to);
        break;
      }
      case ui::Kind::Label: {
        if (!c->transparent()) FillRect(dc, &r, backend_.brush(c->backColour()));
        SelectObjectScope selectFont(dc, backend_.font(c->font(), d));
        SetTextColor(dc, colourRef(c->foreColour()));
        if (drawAroundCovers(dc, *c, r, children(), d)) break;
        std::wstring text = widen(c->text());
        UINT format =
            DT_NOPREFIX | DT_WORDBREAK | (c->align() == ui::Align::Centre ? DT_CENTER : 0);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
        break;
      }
      default:
        break;
    }
  }
}

void Container::routeMouse(UINT message, WPARAM wp, LPARAM lp) {
  int d = dpi();
  ui::Point at{pixelsToTwips(GET_X_LPARAM(lp), d), pixelsToTwips(GET_Y_LPARAM(lp), d)};
  ui::Control* hit = ui::windowlessAt(children(), at);
  ui::Control* under = hit ? hit : control_;
  // While a press lasts, moves and the release go to the control that took it, wherever the
  // pointer is: a press on an image slid onto the strip must not drag the window.
  ui::Control* target = pressing_ && message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN &&
                                message != WM_MBUTTONDOWN
                            ? pressed_
                            : under;
  ui::MouseArgs args;
  args.shift = shiftState(wp);
  args.at = at;
  if (target && target != control_)
    args.at = {at.x - target->place().left, at.y - target->place().top};
  WPARAM outerKeys = std::exchange(form_.mouseKeys, wp);

  switch (message) {
    case WM_MOUSEMOVE:
      args.button = buttonsHeld(wp);
      if (target)
        target->MouseMove(args);
      else
        form_.form().MouseMove(args);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      args.button = buttonOf(message);
      pressed_ = target;
      pressing_ = true;
      SetCapture(hwnd_);
      if (target) target->MouseDown(args);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      args.button = buttonOf(message);
      ui::Control* pressed = std::exchange(pressed_, nullptr);
      pressing_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
      if (target) target->MouseUp(args);
      if (under && under == pressed && message == WM_LBUTTONUP) under->Click();
      break;
    }
    case WM_LBUTTONDBLCLK:
      if (target) target->DblClick();
      break;
  }
  form_.mouseKeys = outerKeys;
}

LRESULT Container::handle(UINT message, WPARAM wp, LPARAM lp) {
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
      pressed_ = nullptr;
      pressing_ = false;
      return 0;
    case WM_COMMAND:
      if (lp) {
        if (ControlViewImpl* view = viewOfChild(reinterpret_cast<HWND>(lp)))
          view->onCommand(HIWORD(wp));
        return 0;
      }
      break;
    case WM_HSCROLL:
      if (lp) {
        if (ControlViewImpl* view = viewOfChild(reinterpret_cast<HWND>(lp))) view->onScroll();
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ControlViewImpl* view = viewOfChild(reinterpret_cast<HWND>(lp));
      if (!view) break;
      ui::Control& c = view->control();
      if (c.kind() == ui::Kind::Slider) {
        // A trackbar paints on its container's colour.
        SetBkColor(dc, colourRef(background()));
        return reinterpret_cast<LRESULT>(backend_.brush(background()));
      }
      SetTextColor(dc, colourRef(c.foreColour()));
      SetBkColor(dc, colourRef(c.backColour()));
      return reinterpret_cast<LRESULT>(backend_.brush(c.backColour()));
    }
  }
  return WindowBase::handle(message, wp, lp);
}

// A picture box: a child window that paints its own windowless children.
class Panel : public Container {
 public:
  Panel(Backend& backend, FormWindow& form, ui::Control& control)
      : Container(backend, form, &control) {}
  HWND create(RECT place, HWND parent) {
    return createWindow(0, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, place,
                        parent);
  }
};

// The on/off switch: draws its frame, keeps its window region to the outline and polls the
// pointer only while it can be seen.
class SwitchWindow : public WindowBase {
 public:
  SwitchWindow(Backend& backend, FormWindow& form, controls::SafeSwitch& model)
      : WindowBase(backend), form_(form), model_(model) {}
  ~SwitchWindow() override { backend_.unregisterWindow(this); }
  HWND create(RECT place, HWND parent) {
    HWND hwnd = createWindow(0, kSwitchClass, L"", WS_CHILD | WS_CLIPSIBLINGS, place, parent);
    backend_.registerWindow(this);
    applyOutline();
    return hwnd;
  }
  bool isSwitch() const override { return true; }
  void setPolling(bool on) override {
    if (on == polling_) return;
    polling_ = on;
    if (on)
      SetTimer(hwnd_, kPollTimer, kPollMilliseconds, nullptr);
    else
      KillTimer(hwnd_, kPollTimer);
  }
  void applyOutline() {
    bool on = model_.Value();
    int skin = model_.skinSet();
    int dpi = form_.windowDpi();
    if (on == outlineOn_ && skin == outlineSkin_ && dpi == outlineDpi_) return;
    outlineOn_ = on;
    outlineSkin_ = skin;
    outlineDpi_ = dpi;
    UniqueRegion region(switchRegion(model_, dpi));
    // The system owns the region once it is set.
    if (SetWindowRgn(hwnd_, region.get(), TRUE)) region.release();
  }

 protected:
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PaintDc dc(hwnd_);
        paintSwitch(dc.get(), model_, form_.windowDpi());
        return 0;
      }
      case WM_TIMER:
        if (wp == kPollTimer) {
          POINT p;
          GetCursorPos(&p);
          ScreenToClient(hwnd_, &p);
          RECT r;
          GetClientRect(hwnd_, &r);
          model_.poll(p.x >= 0 && p.x <= r.right && p.y >= 0 && p.y <= r.bottom);
          return 0;
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        SetCapture(hwnd_);
        model_.buttonDown(buttonOf(message));
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (GetCapture() == hwnd_) ReleaseCapture();
        model_.buttonUp(buttonOf(message));
        return 0;
      case WM_LBUTTONDBLCLK:
        // A quick second click is a click of its own.
        model_.buttonDown(ui::kLeftButton);
        return 0;
    }
    return WindowBase::handle(message, wp, lp);
  }

 private:
  FormWindow& form_;
  controls::SafeSwitch& model_;
  bool polling_ = false;
  bool outlineOn_ = false;
  int outlineSkin_ = -1;
  int outlineDpi_ = 0;
};

// The gradient button / progress bar.
class ProgButtonWindow : public WindowBase {
 public:
  ProgButtonWindow(Backend& backend, FormWindow& form, controls::ProgButton& model)
      : WindowBase(backend), form_(form), model_(model) {}
  HWND create(RECT place, HWND parent) {
    return createWindow(0, kProgButtonClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, place,
                        parent);
  }

 protected:
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PaintDc dc(hwnd_);
        paintProgButton(dc.get(), hwnd_, model_, backend_.font(model_.font(), form_.windowDpi()));
        return 0;
      }
      case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    }
    if (LRESULT result = 0; handleProgButtonInput(hwnd_, model_, message, wp, lp, result))
      return result;
    return WindowBase::handle(message, wp, lp);
  }

 private:
  FormWindow& form_;
  controls::ProgButton& model_;
};

// --- ControlViewImpl ---

void ControlViewImpl::release() {
  if (!attached_) return;
  attached_ = false;
  if (timerId_) form_.removeTimer(std::exchange(timerId_, 0));
  if (hwnd_) RemovePropW(hwnd_, kViewProperty);
  // The program's own windows stop reaching their object (and through it the control).
  if (own_ && own_->hwnd()) SetWindowLongPtrW(own_->hwnd(), GWLP_USERDATA, 0);
  if (control_.view() == this) control_.attachView(nullptr);
}

Container* ControlViewImpl::container() const {
  return dynamic_cast<Container*>(own_.get());
}

HWND ControlViewImpl::containerHwnd() const {
  if (ui::Control* container = control_.container()) {
    if (auto* view = static_cast<ControlViewImpl*>(container->view())) return view->hwnd();
  }
  return form_.hwnd();
}

int ControlViewImpl::dpi() const {
  return form_.windowDpi();
}

void ControlViewImpl::invalidateArea() {
  HWND container = containerHwnd();
  if (!container) return;
  RECT r = pixelRect();
  // Lines may run along an edge of their extent: widen the area a little.
  InflateRect(&r, 2, 2);
  if (control_.kind() == ui::Kind::Line) {
    RECT normal{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
    r = normal;
  }
  InvalidateRect(container, &r, FALSE);
}

void ControlViewImpl::createWindow() {
  HWND parent = containerHwnd();
  RECT r = pixelRect();
  DWORD visible = control_.visible() ? WS_VISIBLE : 0;
  HINSTANCE instance = backend_.instance();
  auto child = [&](DWORD exStyle, const wchar_t* cls, DWORD style) {
    return CreateWindowExW(exStyle, cls, widen(control_.text()).c_str(),
                           WS_CHILD | WS_CLIPSIBLINGS | style | visible, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent, nullptr, instance, nullptr);
  };
  switch (control_.kind()) {
    case ui::Kind::PictureBox: {
      auto panel = std::make_unique<Panel>(backend_, form_, control_);
      hwnd_ = panel->create(r, parent);
      if (control_.visible()) ShowWindow(hwnd_, SW_SHOWNA);
      own_ = std::move(panel);
      break;
    }
    case ui::Kind::TextBox: {
      DWORD align = control_.align() == ui::Align::Centre ? ES_CENTER : ES_LEFT;
      hwnd_ = child(WS_EX_CLIENTEDGE, L"EDIT", align | ES_AUTOHSCROLL | WS_TABSTOP);
      break;
    }
    case ui::Kind::CommandButton:
      hwnd_ = child(0, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
      break;
    case ui::Kind::Slider: {
      // A plain rectangular thumb: the pointed one needs room for ticks below it, which the
      // design's 255-twip sliders do not have.
      hwnd_ = child(0, TRACKBAR_CLASSW, TBS_HORZ | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP);
      break;
    }
    case ui::Kind::Switch: {
      auto sw = std::make_unique<SwitchWindow>(backend_, form_,
                                               static_cast<controls::SafeSwitch&>(control_));
      hwnd_ = sw->create(r, parent);
      if (control_.visible()) ShowWindow(hwnd_, SW_SHOWNA);
      own_ = std::move(sw);
      break;
    }
    case ui::Kind::ProgButton: {
      auto button = std::make_unique<ProgButtonWindow>(
          backend_, form_, static_cast<controls::ProgButton&>(control_));
      hwnd_ = button->create(r, parent);
      if (control_.visible()) ShowWindow(hwnd_, SW_SHOWNA);
      own_ = std::move(button);
      break;
    }
    case ui::Kind::Timer:
      if (auto* timer = static_cast<ui::Timer*>(&control_); timer->running())
        timerId_ = form_.addTimer(timer);
      return;
    default:
      return;  // windowless
  }
  if (!hwnd_) return;
  SetPropW(hwnd_, kViewProperty, this);
  // Design order is stacking order: each new window goes in front of the ones before it.
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  applyToWindow(ui::Property::Font);
  applyToWindow(ui::Property::Range);
  applyToWindow(ui::Property::Value);
}

void ControlViewImpl::applyToWindow(ui::Property property) {
  settingFromModel_ = true;
  switch (property) {
    case ui::Property::Place: {
      RECT r = pixelRect();
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case ui::Property::Visible:
      ShowWindow(hwnd_, control_.visible() ? SW_SHOWNA : SW_HIDE);
      backend_.refreshPolls();
      break;
    case ui::Property::Enabled:
      EnableWindow(hwnd_, control_.enabled());
      break;
    case ui::Property::Text:
      // Text typed into a box comes back here as the model's new text: writing it again would
      // put the caret at the start, so the window is written only when it differs.
      if ((control_.kind() == ui::Kind::TextBox || control_.kind() == ui::Kind::CommandButton) &&
          windowText(hwnd_) != widen(control_.text()))
        SetWindowTextW(hwnd_, widen(control_.text()).c_str());
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case ui::Property::Font:
      if (control_.kind() == ui::Kind::TextBox || control_.kind() == ui::Kind::CommandButton)
        SendMessageW(hwnd_, WM_SETFONT,
                     reinterpret_cast<WPARAM>(backend_.font(control_.font(), dpi())), TRUE);
      break;
    case ui::Property::Range:
      if (control_.kind() == ui::Kind::Slider) {
        auto& slider = static_cast<ui::Slider&>(control_);
        // Each end on its own: TBM_SETRANGE packs both into unsigned 16-bit halves, where a
        // negative minimum does not fit. A new range moves where an unchanged value sits, and
        // some trackbars place the thumb again only when the position changes: it is moved
        // away, quietly, and back.
        SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, slider.min());
        SendMessageW(hwnd_, TBM_SETRANGEMAX, FALSE, slider.max());
        SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, std::max(1, (slider.max() - slider.min()) / 10));
        SendMessageW(hwnd_, TBM_SETPOS, FALSE,
                     slider.value() == slider.max() ? slider.min() : slider.max());
        SendMessageW(hwnd_, TBM_SETPOS, TRUE, slider.value());
      }
      break;
    case ui::Property::Value:
      if (control_.kind() == ui::Kind::Slider)
        SendMessageW(hwnd_, TBM_SETPOS, TRUE, static_cast<ui::Slider&>(control_).value());
      else if (control_.kind() == ui::Kind::Switch)
        static_cast<SwitchWindow*>(own_.get())->applyOutline();
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    default:
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
  }
  settingFromModel_ = false;
}

void ControlViewImpl::update(ui::Property property) {
  if (!attached_) return;
  if (control_.kind() == ui::Kind::Timer) {
    auto& timer = static_cast<ui::Timer&>(control_);
    if (timerId_) form_.removeTimer(std::exchange(timerId_, 0));
    if (timer.running()) timerId_ = form_.addTimer(&timer);
    return;
  }
  if (hwnd_) {
    applyToWindow(property);
    return;
  }
  // Windowless: repaint the old and the new area.
  if (property == ui::Property::Place) {
    invalidateArea();
    InvalidateRect(containerHwnd(), nullptr, FALSE);
    return;
  }
  invalidateArea();
}

void ControlViewImpl::onCommand(WORD code) {
  if (settingFromModel_ || !attached_) return;
  if (control_.kind() == ui::Kind::TextBox && code == EN_CHANGE) {
    static_cast<ui::TextBox&>(control_).userTyped(narrow(windowText(hwnd_)));
  } else if (control_.kind() == ui::Kind::CommandButton && code == BN_CLICKED) {
    control_.Click();
  }
}

void ControlViewImpl::onScroll() {
  if (settingFromModel_ || !attached_ || control_.kind() != ui::Kind::Slider) return;
  auto position = static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0));
  static_cast<ui::Slider&>(control_).setValue(position);
}

// --- FormWindow ---

FormWindow::FormWindow(Backend& backend, ui::Form& form)
    : Container(backend, *this, nullptr), model_(form) {
  dpi_ = dpiOf(nullptr);
  DWORD style =
      WS_CLIPCHILDREN | (form.border() == ui::Border::None ? WS_POPUP : WS_OVERLAPPEDWINDOW);
  DWORD exStyle = form.showInTaskbar() ? 0 : WS_EX_TOOLWINDOW;
  if (form.noActivate()) exStyle |= WS_EX_NOACTIVATE;
  RECT r = toPixels(form.place(), dpi_);
  createWindow(exStyle, kFormClass, widen(form.caption()).c_str(), style, r,
               form.showInTaskbar() ? nullptr : backend.hiddenOwner());
  dpi_ = dpiOf(hwnd_);
  form.attachView(this);
  for (ui::Control* c : form.allControls()) {
    auto view = std::make_unique<ControlViewImpl>(backend, *this, *c);
    views_.push_back(std::move(view));
  }
  // Containers before their children: allControls() is in design order, and a container is
  // always placed before what it holds.
  for (auto& view : views_) view->createWindow();
  // Fonts are made with the window rather than at first paint, so what a window holds does
  // not depend on which of its captions happened to be drawn.
  for (ui::Control* c : form.allControls()) backend.font(c->font(), dpi_);
  applyStyles();
  place(false);
}

FormWindow::~FormWindow() {
  release();
  views_.clear();
  if (hwnd_) {
    HWND hwnd = std::exchange(hwnd_, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
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
    case ui::FormProperty::Visible:
      if (model_.visible()) {
        if (!placedOnce_ && model_.centred()) place(true);
        placedOnce_ = true;
        ShowWindow(hwnd_, model_.noActivate() ? SW_SHOWNOACTIVATE : SW_SHOW);
        if (!model_.noActivate()) SetForegroundWindow(hwnd_);
      } else {
        ShowWindow(hwnd_, SW_HIDE);
      }
      backend_.refreshPolls();
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
  }
}

void FormWindow::startDrag() {
  // Only while the left button is held: otherwise the system's move loop may follow the pointer.
  // The button is the one the mouse message carries, the logical primary button: the physical
  // state (GetAsyncKeyState) is the other button when the user has swapped them.
  if (IsZoomed(hwnd_) || !(mouseKeys & MK_LBUTTON)) return;
  ReleaseCapture();
  SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void FormWindow::release() {
  if (!attached_) return;
  attached_ = false;
  for (auto& [id, timer] : timers_) KillTimer(hwnd_, id);
  timers_.clear();
  for (auto& view : views_) view->release();
  // From here the window's messages go to the default procedure: none reaches the model.
  if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
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
  SetTimer(hwnd_, id, static_cast<UINT>(timer->interval()), nullptr);
  return id;
}

void FormWindow::removeTimer(UINT_PTR id) {
  KillTimer(hwnd_, id);
  timers_.erase(id);
}

LRESULT FormWindow::handle(UINT message, WPARAM wp, LPARAM lp) {
  if (hwnd_ == backend_.trayWindow && message == backend_.trayMessage && backend_.onTrayNotify) {
    backend_.onTrayNotify(lp);
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (auto it = timers_.find(wp); it != timers_.end()) {
        it->second->Tick();
        return 0;
      }
      break;
    case WM_CLOSE:
      // Alt+F4 or another program's polite close: the form decides, through its model, so the
      // model never loses track of its window. The program never ends this way.
      model_.requestClose();
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      for (auto& view : views_) {
        if (view->hwnd()) {
          view->update(ui::Property::Place);
          view->update(ui::Property::Font);
          view->update(ui::Property::Value);
        }
      }
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    }
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
    case WM_DISPLAYCHANGE:
    case WM_POWERBROADCAST:
    case WM_WTSSESSION_CHANGE:
      if (backend_.onSystemMessage) backend_.onSystemMessage(message, wp, lp);
      return message == WM_QUERYENDSESSION || message == WM_POWERBROADCAST ? TRUE : 0;
  }
  static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  if (message == taskbarCreated && backend_.onSystemMessage) {
    backend_.onSystemMessage(message, wp, lp);
    return 0;
  }
  return Container::handle(message, wp, lp);
}

// --- WindowBase ---

void WindowBase::registerClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WindowBase::proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.style = CS_DBLCLKS;
  for (const wchar_t* name : {kFormClass, kPanelClass, kSwitchClass, kProgButtonClass}) {
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

HWND WindowBase::createWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text,
                              DWORD style, RECT place, HWND parent) {
  return CreateWindowExW(exStyle, className, text, style, place.left, place.top,
                         place.right - place.left, place.bottom - place.top, parent, nullptr,
                         backend_.instance(), this);
}

LRESULT CALLBACK WindowBase::proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<WindowBase*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wp, lp);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wp, lp);
  }
  return self->handle(message, wp, lp);
}

LRESULT WindowBase::handle(UINT message, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd_, message, wp, lp);
}

// --- Backend ---

Backend::Backend(HINSTANCE instance) : instance_(instance) {
  WindowBase::registerClasses(instance);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &Backend::postProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"LumoraPost";
  RegisterClassExW(&wc);
  postWindow_ = CreateWindowExW(0, L"LumoraPost", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
  SetWindowLongPtrW(postWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  hiddenOwner_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"LumoraPost", L"", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr);
}

Backend::~Backend() {
  posted_.clear();
  forms_.clear();
  if (hiddenOwner_) DestroyWindow(hiddenOwner_);
  if (postWindow_) DestroyWindow(postWindow_);
}

void Backend::create(ui::Form& form) {
  forms_[&form] = std::make_unique<FormWindow>(*this, form);
}

void Backend::post(std::function<void()> work) {
  posted_.push_back(std::move(work));
  PostMessageW(postWindow_, kPostedWork, 0, 0);
}

LRESULT CALLBACK Backend::postProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == kPostedWork) {
    auto* self = reinterpret_cast<Backend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && !self->posted_.empty()) {
      auto work = std::move(self->posted_.front());
      self->posted_.pop_front();
      work();
    }
    return 0;
  }
  // The hidden owner is a top-level window another program may ask to close (a polite
  // taskkill closes them all); closing it would take every form it owns with it.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(hwnd, message, wp, lp);
}

void Backend::forget(FormWindow* window) {
  // Out of the table at once (its model may be freed before the posted work runs), freed later.
  auto it = forms_.find(&window->form());
  if (it == forms_.end() || it->second.get() != window) return;
  std::shared_ptr<FormWindow> leaving(std::move(it->second));
  forms_.erase(it);
  post([leaving]() mutable { leaving.reset(); });
}

HWND Backend::windowOf(const ui::Form& form) const {
  auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second->hwnd();
}

HWND Backend::windowOf(const ui::Control& control) {
  auto* view = static_cast<ControlViewImpl*>(control.view());
  return view ? view->hwnd() : nullptr;
}

void Backend::copyImage(const ui::Control& from, ui::Control& to) {
  auto* source = static_cast<ControlViewImpl*>(from.view());
  auto* target = static_cast<ControlViewImpl*>(to.view());
  Container* sourcePanel = source ? source->container() : nullptr;
  Container* targetPanel = target ? target->container() : nullptr;
  if (!sourcePanel || !targetPanel) return;
  RECT size;
  GetClientRect(targetPanel->hwnd(), &size);
  WindowDc screen(targetPanel->hwnd());
  UniqueBitmap image(
      CreateCompatibleBitmap(screen.get(), std::max(1L, size.right), std::max(1L, size.bottom)));
  {
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    SelectObjectScope select(dc.get(), image.get());
    RECT sourceClient;
    GetClientRect(sourcePanel->hwnd(), &sourceClient);
    // The source paints from its top-left corner; what does not fit is cut off.
    IntersectClipRect(dc.get(), 0, 0, size.right, size.bottom);
    sourcePanel->paintTo(dc.get(), sourceClient);
  }
  targetPanel->persistent = std::move(image);
  InvalidateRect(targetPanel->hwnd(), nullptr, FALSE);
}

HWND Backend::ownerWindow() const {
  for (auto& [form, window] : forms_)
    if (form->visible() && window->hwnd()) return window->hwnd();
  return nullptr;
}

void Backend::unregisterWindow(WindowBase* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

void Backend::refreshPolls() {
  for (WindowBase* w : windows_)
    if (w->isSwitch()) w->setPolling(w->hwnd() && IsWindowVisible(w->hwnd()));
}

HFONT Backend::font(const ui::Font& f, int dpi) {
  auto key = std::make_tuple(f.face, static_cast<int>(f.points * 100 + 0.5), f.bold, f.charset,
                             f.systemDefault, dpi);
  auto& slot = fonts_[key];
  if (!slot) {
    // Controls without a font of their own use the program's user-interface face, regular
    // 9 points: the design's small captions and text boxes ("Green" in 495 twips, 270-twip
    // boxes) fit it, where a wide system face (DejaVu Sans where Wine has no Tahoma) clips them.
    ui::Font use = f.systemDefault ? ui::Font{} : f;
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(use.points * dpi / 72.0 + 0.5);
    lf.lfWeight = use.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = static_cast<BYTE>(use.charset);
    std::wstring face = widen(use.face);
    face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    lf.lfQuality = CLEARTYPE_QUALITY;
    slot.reset(CreateFontIndirectW(&lf));
  }
  return slot.get();
}

HBRUSH Backend::brush(ui::Colour colour) {
  auto& slot = brushes_[colour];
  if (!slot) slot.reset(CreateSolidBrush(colourRef(colour)));
  return slot.get();
}

}  // namespace win32
