// The Win32 backend for real: windows, sizes in pixels, styles, input written back into the model.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "Pump.h"
#include "controls/SafeSwitch.h"
#include "ui/Form.h"
#include "win32/Backend.h"
#include "win32/Dpi.h"
#include "win32/Services.h"

namespace {

template <class Pred>
bool pumpUntil(Pred done, int milliseconds = 3000) {
  DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  while (!done()) {
    if (GetTickCount() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    pump();
  }
  return true;
}

// Milliseconds until done() holds, by the performance counter; 5000 or more when it never does.
template <class Pred>
double msUntil(Pred done) {
  LARGE_INTEGER frequency{}, start{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (;;) {
    const bool held = done();
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    if (held || ms >= 5000) return ms;
    Sleep(5);
  }
}

struct TestForm : ui::Form {
  ui::Label label{"label"};
  ui::TextBox text{"text"};
  ui::PictureBox panel{"panel"};
  ui::Slider slider{"slider"};
  ui::Timer timer{"timer"};
  ui::PictureBox cover{"cover"};

  explicit TestForm(ui::FormHost* host) : ui::Form("Test", host) {
    setCaption("Test");
    setPlace({0, 0, 9615, 4725});
    setBackColour(ui::hex(0xF3F8FB));
    label.setPlace({120, 120, 1500, 300});
    label.setText("Hello");
    text.setPlace({5000, 120, 1500, 300});
    panel.setPlace({1500, 1500, 3000, 1200});
    slider.setPlace({150, 150, 2535, 255});
    cover.setPlace({0, 1000, 9615, 3000});
    add(label);
    add(text);
    add(panel);
    add(slider, &panel);
    add(timer);
    add(cover);
  }
};

struct BackendTest : ::testing::Test {
  win32::Backend backend{GetModuleHandleW(nullptr)};
};

// Size in pixels, no taskbar button, layered alpha and topmost; design order is stacking order.
TEST_F(BackendTest, FormWindowTakesTheFormsLooksAndStacksItsControlsInDesignOrder) {
  TestForm form(&backend);
  form.setAlpha(220);
  form.setTopmost(true);
  form.show();
  HWND hwnd = backend.windowOf(form);
  ASSERT_TRUE(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  int dpi = win32::dpiOf(hwnd);
  EXPECT_EQ(r.right - r.left, MulDiv(9615, dpi, 1440));
  EXPECT_EQ(r.bottom - r.top, MulDiv(4725, dpi, 1440));
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 220);
  EXPECT_TRUE(flags & LWA_ALPHA);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // The cover, placed last, lies in front of the panel placed before it.
  EXPECT_EQ(GetWindow(hwnd, GW_CHILD), win32::Backend::windowOf(form.cover));
  EXPECT_EQ(GetWindow(win32::Backend::windowOf(form.cover), GW_HWNDNEXT),
            win32::Backend::windowOf(form.panel));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  form.hide();
  EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(BackendTest, ChildWindowsFollowTheModel) {
  TestForm form(&backend);
  form.show();
  HWND panel = win32::Backend::windowOf(form.panel);
  ASSERT_TRUE(panel);
  EXPECT_EQ(GetParent(panel), backend.windowOf(form));
  form.panel.setVisible(false);
  EXPECT_FALSE(IsWindowVisible(panel));
  form.panel.setVisible(true);
  form.panel.setPlace({3000, 1500, 1500, 600});
  RECT r;
  GetWindowRect(panel, &r);
  MapWindowPoints(nullptr, backend.windowOf(form), reinterpret_cast<POINT*>(&r), 2);
  int dpi = win32::dpiOf(panel);
  EXPECT_EQ(r.left, MulDiv(3000, dpi, 1440));
  EXPECT_EQ(r.right - r.left, MulDiv(1500, dpi, 1440));
}

TEST_F(BackendTest, TrackbarMovesReachTheModelAndCodeMovesReachTheTrackbar) {
  TestForm form(&backend);
  form.slider.setRange(-50, 50);
  int changes = 0;
  form.slider.Change = [&] { ++changes; };
  form.show();
  HWND panel = win32::Backend::windowOf(form.panel);
  HWND trackbar = win32::Backend::windowOf(form.slider);
  ASSERT_TRUE(trackbar);
  EXPECT_EQ(GetParent(trackbar), panel);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0), -50);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0), 50);
  // The user drags: the trackbar tells its parent.
  SendMessageW(trackbar, TBM_SETPOS, TRUE, -20);
  SendMessageW(panel, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(trackbar));
  EXPECT_EQ(form.slider.value(), -20);
  EXPECT_EQ(changes, 1);
  // Code sets the value: the trackbar follows and no second change comes back from it.
  form.slider.setValue(33);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPOS, 0, 0), 33);
  pump();
  EXPECT_EQ(changes, 2);
  // A new range reaches both ends of the trackbar.
  form.slider.setRange(-100, 100);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0), -100);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0), 100);
}

// What the user types stays where it was typed: the model's copy of the text is not written
// back over it, which would put the caret at the start.
TEST_F(BackendTest, TypingKeepsTheCaretAndReachesTheModel) {
  TestForm form(&backend);
  form.text.setText("45");
  std::vector<std::string> changes;
  form.text.Change = [&] { changes.push_back(form.text.text()); };
  form.show();
  HWND edit = win32::Backend::windowOf(form.text);
  ASSERT_TRUE(edit);
  SetFocus(edit);
  struct Edit {
    int selStart, selEnd;
    const wchar_t* typed;
    const char* expected;
    int caret;
  };
  const Edit edits[] = {
      {2, 2, L"3", "453", 3},  // typed at the end
      {0, 3, L"30", "30", 2},  // replacing a selection
      {2, 2, L"\b\b", "", 0},  // BackSpace twice
      {0, 0, L"12", "12", 2},
  };
  for (const Edit& e : edits) {
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(e.selStart), e.selEnd);
    for (const wchar_t* c = e.typed; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(form.text.text(), e.expected) << e.expected;
    EXPECT_EQ(static_cast<int>(start), e.caret) << e.expected;
    EXPECT_EQ(static_cast<int>(end), e.caret) << e.expected;
  }
  EXPECT_EQ(changes, (std::vector<std::string>{"453", "3", "30", "3", "", "1", "12"}));
  // Text set by code still reaches the box.
  form.text.setText("7");
  wchar_t shown[8] = L"";
  GetWindowTextW(edit, shown, 8);
  EXPECT_STREQ(shown, L"7");
}

// A press belongs to the control that took it until the release: moves elsewhere go to it,
// and the release elsewhere clicks nothing.
TEST_F(BackendTest, APressKeepsItsControlUntilRelease) {
  TestForm form(&backend);
  form.show();
  HWND hwnd = backend.windowOf(form);
  std::vector<std::string> seen;
  form.label.MouseMove = [&](const ui::MouseArgs& m) {
    seen.push_back("label move " + std::to_string(m.button));
  };
  form.MouseMove = [&](const ui::MouseArgs&) { seen.push_back("form move"); };
  form.label.Click = [&] { seen.push_back("label click"); };
  int dpi = win32::dpiOf(hwnd);
  auto at = [&](int x, int y) { return MAKELPARAM(MulDiv(x, dpi, 1440), MulDiv(y, dpi, 1440)); };
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(200, 200));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(3000, 200));  // slid off the label
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at(3000, 200));
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, at(3000, 200));
  EXPECT_EQ(seen, (std::vector<std::string>{"label move 1", "form move"}));
}

// A close request from outside (Alt+F4, another program's WM_CLOSE) goes through the model:
// without a handler the form is hidden as the model knows it; with one, the handler decides.
TEST_F(BackendTest, ACloseRequestGoesThroughTheForm) {
  TestForm form(&backend);
  form.show();
  HWND hwnd = backend.windowOf(form);
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.visible());
  EXPECT_FALSE(IsWindowVisible(hwnd));
  form.show();
  EXPECT_TRUE(IsWindowVisible(hwnd));
  form.CloseRequest = [&] { form.close(); };
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(form.closed());
  pump();
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(BackendTest, ANewRangeRedrawsTheThumbWhereTheUnchangedValueNowSits) {
  TestForm form(&backend);
  form.slider.setRange(0, 10);
  form.show();
  HWND trackbar = win32::Backend::windowOf(form.slider);
  ASSERT_TRUE(trackbar);
  auto thumbCentre = [&] {
    RECT thumb{};
    SendMessageW(trackbar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    return (thumb.left + thumb.right) / 2;
  };
  RECT channel{};
  SendMessageW(trackbar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  int atStart = thumbCentre();
  // Value 0 stays 0, but it moves from the left end to the middle of -50..50.
  form.slider.setRange(-50, 50);
  ASSERT_EQ(form.slider.value(), 0);
  UpdateWindow(trackbar);
  int middle = (channel.left + channel.right) / 2;
  EXPECT_LT(atStart, middle - 20);
  EXPECT_NEAR(thumbCentre(), middle, 3);
}

TEST_F(BackendTest, TimersTickOnTheMessageLoopAndPostedWorkRunsLater) {
  TestForm form(&backend);
  int ticks = 0;
  form.timer.Tick = [&] { ++ticks; };
  form.timer.setInterval(10);
  form.show();
  EXPECT_TRUE(pumpUntil([&] { return ticks >= 2; }));
  form.timer.setEnabled(false);
  pump();
  int stopped = ticks;
  Sleep(50);
  pump();
  EXPECT_EQ(ticks, stopped);

  bool ran = false;
  backend.post([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(pumpUntil([&] { return ran; }));
}

TEST_F(BackendTest, ClosingAFormFromItsOwnHandlerIsSafe) {
  auto form = std::make_unique<TestForm>(&backend);
  form->show();
  HWND hwnd = backend.windowOf(*form);
  form->label.Click = [&] { form->close(); };
  // A click on the label: press and release inside it (120, 120 twips = 8, 8 px at 96 DPI).
  int dpi = win32::dpiOf(hwnd);
  LPARAM at = MAKELPARAM(MulDiv(200, dpi, 1440), MulDiv(200, dpi, 1440));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
  EXPECT_TRUE(form->closed());
  pump();
  EXPECT_FALSE(IsWindow(hwnd));
}

// Wine swallows a fault inside a window procedure run by the system, so it is counted here.
LONG accessViolations = 0;
LONG CALLBACK countAccessViolation(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) ++accessViolations;
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(BackendTest, ClosedFormsChildWindowsGoWithoutReachingTheirFreedViews) {
  accessViolations = 0;
  void* handler = AddVectoredExceptionHandler(1, countAccessViolation);
  for (int i = 0; i < 3; ++i) {
    TestForm form(&backend);
    form.show();
    HWND hwnd = backend.windowOf(form);
    HWND panel = win32::Backend::windowOf(form.panel);
    ASSERT_TRUE(panel);
    form.close();
    pump();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindow(panel));
  }
  RemoveVectoredExceptionHandler(handler);
  EXPECT_EQ(accessViolations, 0);
}

// The program's own order: a form closed from its own handler is freed by its owner in work
// posted before the backend drops the form's window. Nothing may be written into its memory
// after that; the freed memory is filled here to see any write.
TEST_F(BackendTest, AFormFreedBeforeItsWindowGoesIsNeverWrittenAgain) {
  alignas(TestForm) static unsigned char memory[sizeof(TestForm)];
  constexpr unsigned char kFreed = 0xDD;
  auto* form = new (memory) TestForm(&backend);
  form->show();
  HWND hwnd = backend.windowOf(*form);
  bool freed = false;
  form->Unload = [&] {
    backend.post([&] {
      form->~TestForm();
      std::memset(memory, kFreed, sizeof(memory));
      freed = true;
    });
  };
  form->label.Click = [&] { form->close(); };
  int dpi = win32::dpiOf(hwnd);
  LPARAM at = MAKELPARAM(MulDiv(200, dpi, 1440), MulDiv(200, dpi, 1440));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(pumpUntil([&] { return freed && !IsWindow(hwnd); }));
  pump();
  int written = 0;
  for (unsigned char b : memory) written += b != kFreed;
  EXPECT_EQ(written, 0);
}

TEST(SystemServicesTest, MonitorsListThePrimaryFirstAndTheCounterRuns) {
  win32::Screen screen;
  const std::vector<ui::Monitor> monitors = screen.monitors();
  ASSERT_EQ(monitors.size(), static_cast<std::size_t>(GetSystemMetrics(SM_CMONITORS)));
  const ui::Monitor& primary = monitors.front();
  EXPECT_TRUE(primary.primary);
  EXPECT_EQ(primary.dpi, GetDeviceCaps(win32::WindowDc(nullptr).get(), LOGPIXELSX));
  EXPECT_EQ(primary.area.left, 0);
  EXPECT_EQ(primary.area.top, 0);
  EXPECT_EQ(MulDiv(primary.area.width, primary.dpi, 1440), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(MulDiv(primary.area.height, primary.dpi, 1440), GetSystemMetrics(SM_CYSCREEN));

  // The tick counts behind both are refreshed on the system's own schedule (every 15.6 ms on
  // Windows; under Wine whenever its server runs, later on a busy machine), so a reading may lag
  // by more than a short sleep: each is watched until it passes a mark, timed by a finer clock.
  win32::Clock clock;
  const std::int64_t before = clock.monotonicMs();
  const double took = msUntil([&] { return clock.monotonicMs() - before >= 500; });
  EXPECT_GE(took, 250);  // milliseconds, not a finer unit
  EXPECT_LT(took, 5000);

  // Input resets the idle time, which then grows; nothing here is full screen.
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dwFlags = MOUSEEVENTF_MOVE;
  move.mi.dx = 1;
  ASSERT_EQ(SendInput(1, &move, sizeof move), 1u);
  EXPECT_LT(clock.idleMs(), 200);
  EXPECT_LT(msUntil([&] { return clock.idleMs() >= 300; }), 5000);
  EXPECT_EQ(clock.userBusy(), ui::Busy::No);
}

struct TwoPanels : ui::Form {
  ui::PictureBox source{"source"};
  ui::Label text{"text"};
  ui::PictureBox target{"target"};
  explicit TwoPanels(ui::FormHost* host) : ui::Form("Panels", host) {
    setPlace({0, 0, 6000, 3000});
    source.setPlace({0, 0, 3000, 1500});
    source.setBackColour(ui::rgb(255, 0, 0));
    text.setPlace({0, 0, 600, 300});
    text.setBackColour(ui::rgb(0, 0, 255));
    target.setPlace({3000, 1500, 1500, 750});
    target.setBackColour(ui::rgb(0, 0, 0));
    add(source);
    add(text, &source);
    add(target);
  }
};

TEST_F(BackendTest, CopiedImageStaysInTheTargetPanel) {
  TwoPanels form(&backend);
  form.show();
  pump();
  backend.copyImage(form.source, form.target);
  HWND target = win32::Backend::windowOf(form.target);
  InvalidateRect(target, nullptr, FALSE);
  UpdateWindow(target);
  win32::WindowDc dc(target);
  // The source's top-left corner: its blue label over its red ground.
  EXPECT_EQ(GetPixel(dc.get(), 2, 2), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc.get(), 60, 30), RGB(255, 0, 0));
}

struct SwitchForm : ui::Form {
  controls::SafeSwitch sw{"SafeSwitch1"};
  explicit SwitchForm(ui::FormHost* host) : ui::Form("Switches", host) {
    setPlace({1500, 1500, 3000, 1500});
    sw.setPlace({300, 300, 1170, 345});
    add(sw);
  }
};

TEST_F(BackendTest, SwitchClickTogglesOnceAndThePollStopsWhileHidden) {
  SwitchForm form(&backend);
  form.sw.setValue(false);
  std::vector<bool> clicks;
  form.sw.Click = [&](bool value) { clicks.push_back(value); };
  form.show();
  HWND hwnd = win32::Backend::windowOf(form.sw);
  ASSERT_TRUE(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  int dpi = win32::dpiOf(hwnd);
  EXPECT_EQ(r.right - r.left, MulDiv(78, dpi, 96));
  EXPECT_EQ(r.bottom - r.top, MulDiv(23, dpi, 96));

  // The poll sees the pointer arrive; a press and release then toggle, with one Click.
  SetCursorPos(r.left + 10, r.top + 10);
  ASSERT_TRUE(pumpUntil([&] { return form.sw.hovering(); }));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(clicks, std::vector<bool>{true});
  EXPECT_TRUE(form.sw.Value());

  // Hidden, the switch no longer polls: the pointer leaving goes unnoticed.
  form.hide();
  SetCursorPos(0, 0);
  Sleep(200);
  pump();
  EXPECT_TRUE(form.sw.hovering());
  // Shown again, the poll resumes and sees the pointer gone.
  form.show();
  EXPECT_TRUE(pumpUntil([&] { return !form.sw.hovering(); }));
  // With the pointer gone, nothing polls until it comes back.
  EXPECT_FALSE(KillTimer(hwnd, 1));
}

}  // namespace
