#include "win32/Accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string>

#include "win32/Dpi.h"
#include "win32/SystemLibrary.h"
#include "win32/Text.h"

namespace win32 {

namespace {

// oleacc.dll and oleaut32.dll are loaded from the system folder when first needed: the program
// imports only libraries the system itself keeps (oleacc is not one of them), so no copy beside
// the program can ever be loaded in their place.
struct AccessLibrary {
  HMODULE oleacc = loadSystemLibrary(L"oleacc.dll");
  HMODULE oleaut = loadSystemLibrary(L"oleaut32.dll");
  decltype(&CreateStdAccessibleObject) createStd =
      findFunction<decltype(createStd)>(oleacc, "CreateStdAccessibleObject");
  decltype(&LresultFromObject) fromObject =
      findFunction<decltype(fromObject)>(oleacc, "LresultFromObject");
  decltype(&AccessibleObjectFromWindow) fromWindow =
      findFunction<decltype(fromWindow)>(oleacc, "AccessibleObjectFromWindow");
  decltype(&SysAllocString) allocString =
      findFunction<decltype(allocString)>(oleaut, "SysAllocString");

  bool ready() const { return createStd && fromObject && fromWindow && allocString; }
};

const AccessLibrary& library() {
  static const AccessLibrary loaded;
  return loaded;
}

bool isSystemControl(const ui::Control& c) {
  return c.kind() == ui::Kind::TextBox || c.kind() == ui::Kind::Slider ||
         c.kind() == ui::Kind::CommandButton;
}

bool isChildId(const VARIANT& v) {
  return v.vt == VT_I4;
}

class Accessible final : public IAccessible {
 public:
  Accessible(const AccessSite& site, HWND hwnd, IAccessible* standard)
      : site_(site), hwnd_(hwnd), standard_(standard) {}
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, __uuidof(IAccessible))) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: clients use the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!alive()) return RPC_E_DISCONNECTED;
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    *count = static_cast<long>(children().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!alive()) return RPC_E_DISCONNECTED;
    ui::Control* c = childOf(child);
    if (!c) return E_INVALIDARG;
    HWND window = ui::isWindowed(c->kind()) ? site_.windowOf(*c) : nullptr;
    if (!window) return S_FALSE;  // a simple element of this object
    return library().fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch,
                                reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return describe(child, name, &IAccessible::get_accName,
                    [](const ui::Control& c) { return c.accessName(); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return describe(child, value, &IAccessible::get_accValue,
                    [](const ui::Control& c) { return c.accessValue(); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return describe(child, out, &IAccessible::get_accDescription, [](const ui::Control& c) {
      return c.toolTip() == c.accessName() ? std::string() : c.toolTip();
    });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    ui::Control* c = described(child);
    if (!c) return isSelf(child) ? standard_->get_accRole(child, role) : E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = roleCode(c->role());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    ui::Control* c = described(child);
    if (!c) return isSelf(child) ? standard_->get_accState(child, state) : E_INVALIDARG;
    LONG s = stateCode(*c, hasFocus(*c));
    // A system control's own object knows its focus and selection.
    if (isSelf(child) && isSystemControl(*c)) {
      VARIANT standard{};  // VT_EMPTY, without importing oleaut32 for VariantInit
      if (SUCCEEDED(standard_->get_accState(child, &standard)) && standard.vt == VT_I4)
        s |= standard.lVal & ~(STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE);
    }
    state->vt = VT_I4;
    state->lVal = s;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    if (!help) return E_POINTER;
    *help = nullptr;
    if (!alive()) return RPC_E_DISCONNECTED;
    return isSelf(child) ? standard_->get_accHelp(child, help) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (!alive()) return RPC_E_DISCONNECTED;
    return isSelf(child) ? standard_->get_accHelpTopic(file, child, topic) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    if (!keys) return E_POINTER;
    *keys = nullptr;
    if (!alive()) return RPC_E_DISCONNECTED;
    return isSelf(child) ? standard_->get_accKeyboardShortcut(child, keys) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    std::vector<ui::Control*> list = children();
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!ui::isWindowed(list[i]->kind()) && hasFocus(*list[i])) {
        focus->vt = VT_I4;
        focus->lVal = static_cast<LONG>(i + 1);
        return S_OK;
      }
    }
    return standard_->get_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!alive()) return RPC_E_DISCONNECTED;
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return describe(child, action, &IAccessible::get_accDefaultAction, defaultActionName);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (!alive()) return RPC_E_DISCONNECTED;
    return isSelf(child) ? standard_->accSelect(flags, child) : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    if (isSelf(child)) return standard_->accLocation(left, top, width, height, child);
    ui::Control* c = childOf(child);
    if (!c) return E_INVALIDARG;
    int dpi = dpiOf(hwnd_);
    const ui::Rect& p = c->place();
    // A line's extent may run backwards.
    POINT corners[2] = {{twipsToPixels(std::min(p.left, p.right()), dpi),
                         twipsToPixels(std::min(p.top, p.bottom()), dpi)},
                        {twipsToPixels(std::max(p.left, p.right()), dpi),
                         twipsToPixels(std::max(p.top, p.bottom()), dpi)}};
    MapWindowPoints(hwnd_, nullptr, corners, 2);
    *left = corners[0].x;
    *top = corners[0].y;
    *width = corners[1].x - corners[0].x;
    *height = corners[1].y - corners[0].y;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    long count = static_cast<long>(children().size());
    long from = -1;
    if (isSelf(start))
      from = 0;
    else if (childOf(start))
      from = start.lVal;
    if (from < 0) return E_INVALIDARG;
    long to = 0;
    if (from == 0 && direction == NAVDIR_FIRSTCHILD)
      to = 1;
    else if (from == 0 && direction == NAVDIR_LASTCHILD)
      to = count;
    else if (from > 0 && direction == NAVDIR_NEXT)
      to = from + 1;
    else if (from > 0 && direction == NAVDIR_PREVIOUS)
      to = from - 1;
    else if (from == 0)
      return standard_->accNavigate(direction, start, end);
    else
      return DISP_E_MEMBERNOTFOUND;
    if (to < 1 || to > count) {
      end->vt = VT_EMPTY;
      return S_FALSE;
    }
    end->vt = VT_I4;
    end->lVal = to;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    if (!alive()) return RPC_E_DISCONNECTED;
    POINT at{x, y};
    ScreenToClient(hwnd_, &at);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, at)) {
      hit->vt = VT_EMPTY;
      return S_FALSE;
    }
    // A child window in front wins; then the topmost windowless control under the point.
    HWND window = ChildWindowFromPointEx(hwnd_, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (window && window != hwnd_) {
      IDispatch* object = nullptr;
      if (SUCCEEDED(library().fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch,
                                         reinterpret_cast<void**>(&object))) &&
          object) {
        hit->vt = VT_DISPATCH;
        hit->pdispVal = object;
        return S_OK;
      }
    }
    AccessTarget t = target();
    int dpi = dpiOf(hwnd_);
    ui::Point twips{pixelsToTwips(at.x, dpi), pixelsToTwips(at.y, dpi)};
    const std::vector<ui::Control*>& all = t.control ? t.control->children() : t.form->controls();
    ui::Control* under = ui::windowlessAt(all, twips);
    std::vector<ui::Control*> list = children();
    auto found = std::find(list.begin(), list.end(), under);
    hit->vt = VT_I4;
    hit->lVal = found == list.end() ? CHILDID_SELF : static_cast<LONG>(found - list.begin() + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!alive()) return RPC_E_DISCONNECTED;
    ui::Control* c = described(child);
    if (!c) return isSelf(child) ? standard_->accDoDefaultAction(child) : E_INVALIDARG;
    // Only what a person could click: never a hidden control or one behind the open panel.
    return c->form()->reachable(*c) && c->activate() ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~Accessible() { standard_->Release(); }

  // The window and its model may go while a client still holds this object.
  bool alive() const { return IsWindow(hwnd_) && site_.targetOf(hwnd_).form; }
  AccessTarget target() const { return site_.targetOf(hwnd_); }
  std::vector<ui::Control*> children() const {
    AccessTarget t = target();
    return accessChildren(*t.form, t.control);
  }
  static bool isSelf(const VARIANT& child) {
    return isChildId(child) && child.lVal == CHILDID_SELF;
  }
  ui::Control* childOf(const VARIANT& child) const {
    if (!isChildId(child)) return nullptr;
    std::vector<ui::Control*> list = children();
    if (child.lVal < 1 || child.lVal > static_cast<long>(list.size())) return nullptr;
    return list[static_cast<std::size_t>(child.lVal - 1)];
  }
  // The control a request is about: a child, or the control whose window this is.
  ui::Control* described(const VARIANT& child) const {
    return isSelf(child) ? target().control : childOf(child);
  }
  bool hasFocus(const ui::Control& c) const {
    ui::Form* form = c.form();
    if (!form || form->focused() != &c) return false;
    HWND focus = GetFocus();
    HWND formWindow = site_.windowOf(*form);
    return focus && formWindow && (focus == formWindow || IsChild(formWindow, focus));
  }
  // A text about a child or the control whose window this is; the system's own object answers
  // for the window of a form.
  template <class Standard, class TextOf>
  HRESULT describe(VARIANT child, BSTR* out, Standard standard, TextOf textOf) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!alive()) return RPC_E_DISCONNECTED;
    ui::Control* c = described(child);
    if (!c) return isSelf(child) ? (standard_->*standard)(child, out) : E_INVALIDARG;
    const std::string utf8 = textOf(*c);
    if (utf8.empty()) return S_FALSE;
    *out = library().allocString(widen(utf8).c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  LONG refs_ = 1;
  const AccessSite& site_;
  HWND hwnd_;
  IAccessible* standard_;
};

}  // namespace

std::vector<ui::Control*> accessChildren(const ui::Form& form, const ui::Control* container) {
  const std::vector<ui::Control*>& all = container ? container->children() : form.controls();
  std::vector<ui::Control*> list;
  for (ui::Control* c : all)
    if (c->role() != ui::Role::None && c->insideContainer()) list.push_back(c);
  return list;
}

namespace {

LRESULT CALLBACK systemControlProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR data) {
  if (message == WM_GETOBJECT) {
    LRESULT result = 0;
    if (answerGetObject(*reinterpret_cast<const AccessSite*>(data), hwnd, wp, lp, result))
      return result;
  } else if (message == WM_NCDESTROY) {
    commonControls().removeSubclass(hwnd, &systemControlProc, id);
  }
  return commonControls().defSubclassProc(hwnd, message, wp, lp);
}

}  // namespace

void exposeSystemControl(const AccessSite& site, HWND hwnd) {
  if (auto subclass = commonControls().setSubclass)
    subclass(hwnd, &systemControlProc, 1, reinterpret_cast<DWORD_PTR>(&site));
}

bool answerGetObject(const AccessSite& site, HWND hwnd, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT || !library().ready() || !site.targetOf(hwnd).form)
    return false;
  IAccessible* standard = nullptr;
  if (FAILED(library().createStd(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&standard))) ||
      !standard)
    return false;
  auto* object = new Accessible(site, hwnd, standard);
  result = library().fromObject(__uuidof(IAccessible), wp, object);
  object->Release();  // LresultFromObject holds its own reference
  return true;
}

}  // namespace win32
