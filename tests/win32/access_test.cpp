// The program's windows as assistive technology and the keyboard reach them: every control's
// name, role and state through the system's accessibility functions, keys through the message
// loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "Pump.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "controls/ProgButton.h"
#include "colour/EyeCare.h"
#include "colour/GammaEngine.h"
#include "rest/Rest.h"
#include "rest/RestScreen.h"
#include "win32/Backend.h"
#include "win32/Dpi.h"
#include "win32/Services.h"
#include "win32/Text.h"

namespace {

// One accessible element as a screen reader reads it.
struct Element {
  std::string name, value;
  long role = 0, state = 0;
  RECT place{};
};

std::string fromBstr(BSTR b) {
  std::string s = b ? win32::narrow(b) : std::string();
  SysFreeString(b);
  return s;
}

Element describe(IAccessible* object, long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  Element e;
  BSTR b = nullptr;
  if (object->get_accName(child, &b) == S_OK) e.name = fromBstr(b);
  b = nullptr;
  if (object->get_accValue(child, &b) == S_OK) e.value = fromBstr(b);
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) e.role = v.lVal;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) e.state = v.lVal;
  long l = 0, t = 0, w = 0, h = 0;
  if (SUCCEEDED(object->accLocation(&l, &t, &w, &h, child))) e.place = {l, t, l + w, t + h};
  return e;
}

// Every element under an object, depth first, as a screen reader walks it.
void walk(IAccessible* object, std::vector<Element>& out) {
  long count = 0;
  ASSERT_EQ(object->get_accChildCount(&count), S_OK);
  if (count == 0) return;
  std::vector<VARIANT> children(static_cast<std::size_t>(count));
  long got = 0;
  HRESULT hr = AccessibleChildren(object, 0, count, children.data(), &got);
  ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr << " count " << count;
  for (long i = 0; i < got; ++i) {
    VARIANT& c = children[static_cast<std::size_t>(i)];
    if (c.vt == VT_DISPATCH) {
      IAccessible* sub = nullptr;
      if (c.pdispVal &&
          SUCCEEDED(c.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&sub)))) {
        out.push_back(describe(sub, CHILDID_SELF));
        walk(sub, out);
        sub->Release();
      }
      if (c.pdispVal) c.pdispVal->Release();
    } else if (c.vt == VT_I4) {
      out.push_back(describe(object, c.lVal));
    }
  }
}

IAccessible* objectOf(HWND hwnd) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

struct AccessTest : ::testing::Test {
  win32::Backend backend{GetModuleHandleW(nullptr)};
  fakes::Clock clock;
  fakes::GammaDisplay gamma;
  fakes::DisplaySet displays{gamma};
  fakes::ProfileStore store;
  win32::Screen screen;
  fakes::Shell shell;
  fakes::NotifyArea notify;
  fakes::SignInEntry signIn;
  std::unique_ptr<app::Program> program;

  app::MainWindow& start(bool eyeOn) {
    store.values[{"eye", "pdrun"}] = eyeOn ? "1" : "0";
    store.values[{"dsxx", "pdrun"}] = "1";
    program = std::make_unique<app::Program>(
        app::Services{backend, clock, displays, store, screen, shell, notify, signIn});
    program->start();
    app::MainWindow& w = program->mainWindow();
    if (!w.visible()) w.show();
    SetForegroundWindow(backend.windowOf(w));
    pump();
    return w;
  }
  void pump() { ::pump(&backend); }
  // A key press as the message loop receives it, at the window with the focus.
  void press(WPARAM key, HWND fallback) {
    HWND to = GetFocus() ? GetFocus() : fallback;
    PostMessageW(to, WM_KEYDOWN, key, 1);
    PostMessageW(to, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
    pump();
  }
  // A screen reader's default action on a windowless control of the window.
  HRESULT doDefault(app::MainWindow& w, ui::Control& c) {
    std::vector<ui::Control*> list = win32::accessChildren(w, nullptr);
    IAccessible* object = objectOf(backend.windowOf(w));
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = static_cast<LONG>(std::find(list.begin(), list.end(), &c) - list.begin() + 1);
    HRESULT hr = object ? object->accDoDefaultAction(child) : E_FAIL;
    if (object) object->Release();
    pump();
    return hr;
  }
  std::vector<Element> everything(HWND hwnd) {
    std::vector<Element> all;
    IAccessible* object = objectOf(hwnd);
    EXPECT_TRUE(object);
    if (!object) return all;
    walk(object, all);
    object->Release();
    return all;
  }
};

const Element* find(const std::vector<Element>& all, const std::string& name, bool shown = true) {
  for (const Element& e : all)
    if (e.name == name && !(e.state & STATE_SYSTEM_INVISIBLE) == shown) return &e;
  return nullptr;
}

int countRole(const std::vector<Element>& all, long role) {
  int n = 0;
  for (const Element& e : all) n += e.role == role && !(e.state & STATE_SYSTEM_INVISIBLE);
  return n;
}

TEST_F(AccessTest, EveryControlOfTheMainWindowAndBothPanelsHasANameARoleAndAState) {
  app::MainWindow& w = start(false);
  HWND hwnd = backend.windowOf(w);
  ASSERT_TRUE(hwnd);

  struct Expect {
    const char* name;
    long role;
    bool checked;
  };
  std::vector<Element> all = everything(hwnd);
  for (const Expect& x : {Expect{"Eye care", ROLE_SYSTEM_CHECKBUTTON, false},
                          Expect{"Rest reminders", ROLE_SYSTEM_CHECKBUTTON, true},
                          Expect{"Rest settings", ROLE_SYSTEM_PUSHBUTTON, false},
                          Expect{"Hide to the tray", ROLE_SYSTEM_PUSHBUTTON, false},
                          Expect{"Close", ROLE_SYSTEM_PUSHBUTTON, false},
                          Expect{"Eyes Better", ROLE_SYSTEM_STATICTEXT, false},
                          Expect{"Tavik Lumora", ROLE_SYSTEM_STATICTEXT, false},
                          Expect{"NEXT TIME", ROLE_SYSTEM_STATICTEXT, false}}) {
    SCOPED_TRACE(x.name);
    const Element* e = find(all, x.name);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->role, x.role);
    EXPECT_EQ((e->state & STATE_SYSTEM_CHECKED) != 0, x.checked);
    EXPECT_LT(e->place.left, e->place.right);
  }
  // Hidden until eye care is on; the panels' controls are made when a panel first opens.
  EXPECT_TRUE(find(all, "Colour settings", false));
  EXPECT_FALSE(find(all, "Colour settings"));
  EXPECT_FALSE(find(all, "OK"));
  EXPECT_EQ(countRole(all, ROLE_SYSTEM_SLIDER), 0);
  EXPECT_NE(doDefault(w, w.edit[0]), S_OK);

  // The windowless hide image has its own place and is found there.
  RECT image = find(all, "Hide to the tray")->place;
  IAccessible* main = objectOf(backend.windowOf(w.pmenu));
  ASSERT_TRUE(main);
  VARIANT hit;
  VariantInit(&hit);
  ASSERT_EQ(main->accHitTest((image.left + image.right) / 2, (image.top + image.bottom) / 2, &hit),
            S_OK);
  ASSERT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(describe(main, hit.lVal).name, "Hide to the tray");
  main->Release();
  RECT expected;
  GetWindowRect(backend.windowOf(w.pmenu), &expected);
  EXPECT_EQ(image.left - expected.left, MulDiv(8010, win32::dpiOf(hwnd), 1440));

  // The colour panel: its sliders (the backlight's among them), the night's boxes and buttons,
  // Back and OK.
  store.values[{"eye", "pdrun"}] = "1";
  w.edit_Click(0);
  pump();
  all = everything(hwnd);
  EXPECT_EQ(countRole(all, ROLE_SYSTEM_SLIDER), 7);
  ASSERT_TRUE(find(all, "Brightness"));
  EXPECT_EQ(find(all, "Brightness")->value, std::to_string(w.Slider1.value()));
  for (const char* name : {"Back", "OK", "Allow stronger settings"}) {
    const Element* e = find(all, name);
    ASSERT_TRUE(e) << name;
    EXPECT_EQ(e->role, ROLE_SYSTEM_PUSHBUTTON) << name;
  }
  EXPECT_EQ(countRole(all, ROLE_SYSTEM_TEXT), 4);
  // A screen reader presses only what a person could: not the pencil under the panel.
  EXPECT_NE(doDefault(w, w.edit[1]), S_OK);

  // The rest panel: its two boxes, the short breaks' two, the programs that hold a rest, the
  // working hours' two and their days (check buttons read by name and state), Back and OK.
  w.edit_Click(1);
  pump();
  all = everything(hwnd);
  EXPECT_EQ(countRole(all, ROLE_SYSTEM_SLIDER), 0);
  EXPECT_EQ(countRole(all, ROLE_SYSTEM_TEXT), 7);
  ASSERT_TRUE(find(all, "Monday") && find(all, "Saturday"));
  EXPECT_EQ(find(all, "Saturday")->role, ROLE_SYSTEM_CHECKBUTTON);
  EXPECT_EQ(find(all, "Monday")->state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
  EXPECT_EQ(find(all, "Saturday")->state & STATE_SYSTEM_CHECKED, 0);
  ASSERT_TRUE(find(all, "Seconds a short break lasts"));
  ASSERT_TRUE(find(all, "Minutes between rests"));
  EXPECT_EQ(find(all, "Minutes between rests")->value, w.Text2.text());
  EXPECT_TRUE(find(all, "Back"));
  EXPECT_TRUE(find(all, "OK"));
}

TEST_F(AccessTest, KeysMoveTheFocusAndToggleASwitchThroughTheMessageLoop) {
  app::MainWindow& w = start(false);
  HWND hwnd = backend.windowOf(w);
  HWND eyeSwitch = win32::Backend::windowOf(w.SafeSwitch1);
  auto eyeCare = [&] {
    IAccessible* object = objectOf(eyeSwitch);
    Element e = object ? describe(object, CHILDID_SELF) : Element{};
    if (object) object->Release();
    return e;
  };
  EXPECT_FALSE(eyeCare().state & STATE_SYSTEM_CHECKED);

  press(VK_TAB, hwnd);
  EXPECT_EQ(GetFocus(), eyeSwitch);
  EXPECT_TRUE(eyeCare().state & STATE_SYSTEM_FOCUSED);
  press(VK_SPACE, hwnd);
  EXPECT_TRUE(w.SafeSwitch1.Value());
  EXPECT_TRUE(eyeCare().state & STATE_SYSTEM_CHECKED);
  EXPECT_EQ(w.eyeCare().eyeOn(), "1");
  press(VK_RETURN, hwnd);
  EXPECT_FALSE(eyeCare().state & STATE_SYSTEM_CHECKED);

  // Into the colour panel: the focus goes to the first slider, arrows belong to the trackbar.
  press(VK_RETURN, hwnd);  // eye care on again: its pencil comes back
  press(VK_TAB, hwnd);
  press(VK_TAB, hwnd);
  EXPECT_EQ(GetFocus(), hwnd);  // a windowless pencil: the form keeps the system's focus
  std::vector<Element> all = everything(hwnd);
  ASSERT_TRUE(find(all, "Colour settings"));
  EXPECT_TRUE(find(all, "Colour settings")->state & STATE_SYSTEM_FOCUSED);
  press(VK_RETURN, hwnd);
  EXPECT_TRUE(w.eyeset.shown());
  EXPECT_EQ(GetFocus(), win32::Backend::windowOf(w.Slider1));
  int before = w.Slider1.value();
  press(VK_LEFT, hwnd);
  EXPECT_EQ(w.Slider1.value(), before - 1);
  press(VK_ESCAPE, hwnd);
  EXPECT_FALSE(w.ppset.visible());
  EXPECT_EQ(w.focused(), &w.edit[0]);

  // Esc with no panel hides the window.
  press(VK_ESCAPE, hwnd);
  EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(AccessTest, TheRestScreenReadsItsTextsAndEscClosesIt) {
  app::MainWindow& w = start(false);
  w.rest().restNow();
  pump();
  rest::RestScreen* screen = w.rest().restScreen();
  ASSERT_TRUE(screen);
  HWND hwnd = backend.windowOf(*screen);
  std::vector<Element> all = everything(hwnd);
  for (const Element& x :
       {Element{"Close", "", ROLE_SYSTEM_PUSHBUTTON}, Element{"Start", "", ROLE_SYSTEM_STATICTEXT},
        Element{"Time：", "Time：", ROLE_SYSTEM_TEXT}}) {
    const Element* e = find(all, x.name);
    ASSERT_TRUE(e) << x.name;
    EXPECT_EQ(e->role, x.role) << x.name;
    EXPECT_EQ(e->value, x.value) << x.name;
  }
  press(VK_ESCAPE, hwnd);
  pump();
  EXPECT_FALSE(w.rest().restScreen());
}

TEST_F(AccessTest, TheGradientBarIsAProgressBarWhoseValueIsItsPercentage) {
  struct BarForm : ui::Form {
    controls::ProgButton bar{"bar"};
    explicit BarForm(ui::FormHost* host) : ui::Form("Bar", host) {
      setPlace({0, 0, 6000, 1500});
      bar.setPlace({120, 120, 4455, 615});
      bar.setValue(25);
      add(bar);
    }
  } form(&backend);
  form.show();
  pump();
  IAccessible* object = objectOf(win32::Backend::windowOf(form.bar));
  ASSERT_TRUE(object);
  Element e = describe(object, CHILDID_SELF);
  EXPECT_EQ(e.role, ROLE_SYSTEM_PROGRESSBAR);
  EXPECT_TRUE(e.value == "25.00%" || e.value == "25,00%") << e.value;
  form.bar.setValue(50);
  pump();
  EXPECT_EQ(describe(object, CHILDID_SELF).value.substr(0, 2), "50");
  object->Release();
}

}  // namespace
