#include "win32/Backend.h"

#include <algorithm>

#include "win32/FormWindow.h"
#include "win32/SystemWindow.h"
#include "win32/Text.h"
#include "win32/View.h"
#include "win32/Window.h"

namespace win32 {

COLORREF colourRef(ui::Colour colour) {
  if (ui::isSystemColour(colour)) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour);
}

Backend::Backend(HINSTANCE instance) : instance_(instance) {
  Window::registerClasses(instance);
  system_ = std::make_unique<SystemWindow>(*this, [this] { runPosted(); });
}

Backend::~Backend() {
  posted_.clear();
  forms_.clear();
  system_.reset();
}

void Backend::create(ui::Form& form) {
  forms_[&form] = std::make_unique<FormWindow>(*this, form);
}

void Backend::post(std::function<void()> work) {
  {
    std::lock_guard lock(postedLock_);
    posted_.push_back(std::move(work));
  }
  PostMessageW(system_->hwnd(), SystemWindow::kPostedWork, 0, 0);
}

void Backend::runPosted() {
  std::function<void()> work;
  {
    std::lock_guard lock(postedLock_);
    if (posted_.empty()) return;
    work = std::move(posted_.front());
    posted_.pop_front();
  }
  work();
}

void Backend::forget(FormWindow* window) {
  // Out of the table at once (its model may be freed before the posted work runs), freed later.
  auto it = forms_.find(&window->form());
  if (it == forms_.end() || it->second.get() != window) return;
  std::shared_ptr<FormWindow> leaving(std::move(it->second));
  forms_.erase(it);
  post([leaving]() mutable { leaving.reset(); });
}

bool Backend::translateKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  ui::Key key = ui::Key::Other;
  switch (message.wParam) {
    case VK_TAB:
      key = ui::Key::Tab;
      break;
    case VK_RETURN:
      key = ui::Key::Enter;
      break;
    case VK_SPACE:
      key = ui::Key::Space;
      break;
    case VK_ESCAPE:
      key = ui::Key::Escape;
      break;
    default: {
      // A box or trackbar that is hidden or under the open panel takes no keys.
      auto* view = dynamic_cast<View*>(Window::from(message.hwnd));
      return view && view->attached() && !view->control().form()->reachable(view->control());
    }
  }
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  for (auto& [form, window] : forms_)
    if (window->hwnd() == root) return window->keyDown(key, message);
  return false;
}

AccessTarget Backend::Access::targetOf(HWND hwnd) const {
  // Only form and control windows answer for a form; the system window answers for none.
  Window* window = Window::from(hwnd);
  if (auto* form = dynamic_cast<FormWindow*>(window)) return {&form->form(), nullptr};
  if (auto* view = dynamic_cast<View*>(window); view && view->attached())
    return {&view->formWindow().form(), &view->control()};
  return {};
}

HWND Backend::windowOf(const ui::Form& form) const {
  auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second->hwnd();
}

HWND Backend::windowOf(const ui::Control& control) {
  auto* view = static_cast<View*>(control.view());
  return view ? view->hwnd() : nullptr;
}

void Backend::copyImage(const ui::Control& from, ui::Control& to) {
  auto* source = static_cast<View*>(from.view());
  auto* target = static_cast<View*>(to.view());
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
