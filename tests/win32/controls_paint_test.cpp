// The switch's window region and frames, and the gradient button's painting, with real GDI.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "controls/ProgButton.h"
#include "controls/SafeSwitch.h"
#include "controls/SwitchArt.h"
#include "win32/FocusMark.h"
#include "win32/Handles.h"
#include "win32/PictureCache.h"
#include "win32/ProgButtonPaint.h"
#include "win32/SwitchPaint.h"

namespace {

using namespace win32;

LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, message, wp, lp);
}

const wchar_t* testClass() {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = plainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ControlsPaintTest";
    return RegisterClassW(&wc);
  }();
  return atom ? L"ControlsPaintTest" : nullptr;
}

struct Windows : ::testing::Test {
  UniqueWindow parent;
  void SetUp() override {
    parent.reset(CreateWindowExW(0, testClass(), L"parent", WS_POPUP, 0, 0, 400, 200, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(parent);
  }
  HWND child(int width, int height) {
    return CreateWindowExW(0, testClass(), L"", WS_CHILD | WS_VISIBLE, 10, 10, width, height,
                           parent.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  }
};

// A 32-bit top-down DIB selected into a memory DC, to paint on and read back.
struct Surface {
  UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
  UniqueBitmap bitmap;
  std::uint32_t* bits = nullptr;
  int width, height;
  HGDIOBJ old = nullptr;
  Surface(int w, int h)
      : bitmap(dibSection(w, h, std::vector<std::uint32_t>(std::size_t(w) * std::size_t(h)))),
        width(w),
        height(h) {
    DIBSECTION dib{};
    GetObjectW(bitmap.get(), sizeof(dib), &dib);
    bits = static_cast<std::uint32_t*>(dib.dsBm.bmBits);
    old = SelectObject(dc.get(), bitmap.get());
  }
  ~Surface() { SelectObject(dc.get(), old); }
  // As ui::Colour (0x00BBGGRR).
  ui::Colour at(int x, int y) const {
    GdiFlush();
    std::uint32_t p = bits[y * width + x];
    return ui::rgb(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
  }
};

TEST_F(Windows, SwitchRegionCutsTheCornersOfARealWindow) {
  controls::SafeSwitch sw{"SafeSwitch1"};
  UniqueWindow window(child(78, 23));
  ASSERT_TRUE(window);
  HRGN region = switchRegion(sw, 96);
  ASSERT_NE(region, nullptr);
  ASSERT_NE(SetWindowRgn(window.get(), region, FALSE), 0);

  UniqueRegion applied(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(window.get(), applied.get()), ERROR);
  for (POINT corner : {POINT{0, 0}, POINT{77, 0}, POINT{0, 22}, POINT{77, 22}})
    EXPECT_FALSE(PtInRegion(applied.get(), corner.x, corner.y)) << corner.x << "," << corner.y;
  EXPECT_TRUE(PtInRegion(applied.get(), 39, 11));
  EXPECT_TRUE(PtInRegion(applied.get(), 1, 0));
  EXPECT_TRUE(PtInRegion(applied.get(), 76, 22));
  RECT box;
  GetRgnBox(applied.get(), &box);
  EXPECT_EQ(box.right, 78);
  EXPECT_EQ(box.bottom, 23);
}

// Paints one frame of a skin at a DPI: the frame's pointer state comes from the model.
struct PaintedFrame {
  Surface surface;
  controls::PixelBuffer art;
  controls::SwitchLettering lettering;
  PaintedFrame(int skin, bool on, bool enabled, int dpi, bool highContrast = false)
      : surface(controls::switchFrameSizeAt(skin, dpi).width,
                controls::switchFrameSizeAt(skin, dpi).height) {
    controls::SafeSwitch sw{"s"};
    sw.setskin(skin);
    sw.setValue(on);
    sw.setEnable(enabled);
    paintSwitch(surface.dc.get(), sw, dpi, highContrast);
    art = controls::switchFrame(skin, sw.frameIndex(), dpi);
    lettering = controls::switchLettering(skin, sw.frameIndex(), dpi);
  }
  // Pixels of the frame's tab the lettering changed, and those of them in the lettering's colour
  // or in a tone between it and the tab (its smooth edges).
  struct Ink {
    int changed = 0, full = 0, blended = 0;
  };
  Ink ink(controls::PixelRect box, ui::Colour colour) const {
    Ink out;
    auto close = [](int a, int b) { return std::abs(a - b) <= 24; };
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        ui::Colour tab = art.colourAt(x, y), got = surface.at(x, y);
        if (got == tab) continue;
        ++out.changed;
        if (close(ui::red(got), ui::red(colour)) && close(ui::green(got), ui::green(colour)) &&
            close(ui::blue(got), ui::blue(colour)))
          ++out.full;
        else if ((ui::red(got) - ui::red(tab)) * (ui::red(colour) - ui::red(got)) > 0)
          ++out.blended;
      }
    }
    return out;
  }
};

TEST(SwitchPaint, LetteringIsDrawnSmoothInItsColourOnEnabledFrames) {
  struct Case {
    int skin;
    bool on;
    int dpi;
  } cases[] = {{0, true, 96},  {0, false, 96}, {1, true, 96},   {1, false, 96},
               {2, false, 96}, {0, true, 168}, {0, false, 144}, {2, true, 168}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "skin " << c.skin << " on " << c.on << " at " << c.dpi);
    PaintedFrame frame(c.skin, c.on, true, c.dpi);
    const controls::SwitchLettering& l = frame.lettering;
    ASSERT_FALSE(l.text.empty());
    auto ink = frame.ink(l.box, l.colour);
    int scale = c.dpi * c.dpi / (96 * 96);
    EXPECT_GT(ink.full, 8 * scale);
    // Nothing drawn outside the lettering's box (plus its shadow's offset).
    controls::PixelRect outside{0, 0, frame.art.width, frame.art.height};
    int changedAll = frame.ink(outside, l.colour).changed;
    controls::PixelRect grown{l.box.left, l.box.top, l.box.right,
                              std::min(l.box.bottom + l.shadowOffset, frame.art.height)};
    EXPECT_EQ(changedAll, frame.ink(grown, l.colour).changed);
    // Antialiased edges: the lettering blends into the tab instead of stepping in whole pixels.
    if (c.dpi > 96) EXPECT_GT(ink.blended, ink.full / 4) << ink.blended << " of " << ink.full;

    PaintedFrame disabled(c.skin, c.on, false, c.dpi);
    EXPECT_TRUE(disabled.lettering.text.empty());
    EXPECT_EQ(disabled.ink(outside, l.colour).changed, 0);
  }
}

// With high contrast on, the lettering takes the system's colours on a plain box, so the state
// reads as clearly as the system's own text. (Wine keeps high contrast off: the flag is passed.)
TEST(SwitchPaint, HighContrastLetteringUsesTheSystemColours) {
  for (bool value : {true, false}) {
    PaintedFrame frame(0, value, true, 144, true);
    const controls::PixelRect& box = frame.lettering.box;
    auto ground = static_cast<ui::Colour>(GetSysColor(value ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    auto text =
        static_cast<ui::Colour>(GetSysColor(value ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    EXPECT_EQ(frame.surface.at(box.left, box.top), ground) << value;
    EXPECT_EQ(frame.surface.at(box.right - 1, box.bottom - 1), ground) << value;
    EXPECT_GT(frame.ink(box, text).full, 20) << value;
  }
}

// The focus mark: dotted, two pixels outside the control and kept inside the container; with high
// contrast on, framed solid in the system's text colour.
TEST(FocusMark, ShowsOnEverySideAndIsFramedSolidUnderHighContrast) {
  for (bool highContrast : {false, true}) {
    Surface s(60, 30);
    RECT client{0, 0, 60, 30};
    FillRect(s.dc.get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    win32::drawFocusMark(s.dc.get(), {10, -1, 40, 20}, client, highContrast);  // above the top
    const ui::Colour white = ui::hex(0xFFFFFF);
    auto marked = [&](int x0, int y0, int x1, int y1) {  // pixels off white along a side
      int n = 0;
      for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y) n += s.at(x, y) != white;
      return n;
    };
    // Sides at x 8 and 41, y 0 (kept inside) and 21; nothing inside or outside them.
    for (auto [x0, y0, x1, y1] : {std::array{8, 0, 41, 0}, std::array{8, 21, 41, 21},
                                  std::array{8, 0, 8, 21}, std::array{41, 0, 41, 21}}) {
      int length = (x1 - x0) + (y1 - y0) + 1;
      if (highContrast)
        EXPECT_EQ(marked(x0, y0, x1, y1), length) << x0 << "," << y0;
      else
        EXPECT_GE(2 * marked(x0, y0, x1, y1), length - 1) << x0 << "," << y0;
    }
    EXPECT_EQ(marked(12, 5, 37, 16), 0) << highContrast;
    EXPECT_EQ(marked(43, 0, 59, 29) + marked(0, 23, 59, 29), 0) << highContrast;
    if (highContrast)
      EXPECT_EQ(s.at(20, 0), static_cast<ui::Colour>(GetSysColor(COLOR_WINDOWTEXT)));
  }
}

TEST(ProgButtonPaint, HalfwayBarFillsTheLeftHalf) {
  controls::ProgButton bar{"tippro"};
  bar.setValue(50);
  Surface surface(297, 41);
  paintProgButton(surface.dc.get(), nullptr, bar, nullptr);
  EXPECT_EQ(bar.fillWidth(), 148);
  auto scheme = *controls::progButtonScheme(1);
  auto similar = [](ui::Colour a, ui::Colour b) {
    return std::abs(ui::red(a) - ui::red(b)) <= 5 && std::abs(ui::green(a) - ui::green(b)) <= 5 &&
           std::abs(ui::blue(a) - ui::blue(b)) <= 5;
  };
  // A vertical gradient from `from` at `top` to `to` at `bottom`, within rounding.
  auto gradientAt = [](ui::Colour from, ui::Colour to, int y, int top, int bottom) {
    double t = double(y - top) / (bottom - top);
    auto lerp = [t](int a, int b) { return int(a + (b - a) * t + 0.5); };
    return ui::rgb(lerp(ui::red(from), ui::red(to)), lerp(ui::green(from), ui::green(to)),
                   lerp(ui::blue(from), ui::blue(to)));
  };
  using namespace controls;
  for (int y : {1, 10, 19}) {
    EXPECT_TRUE(
        similar(surface.at(20, y), gradientAt(scheme[kFillTopFrom], scheme[kFillTopTo], y, 0, 20)))
        << y;
    EXPECT_TRUE(similar(surface.at(270, y), gradientAt(scheme[kTopFrom], scheme[kTopTo], y, 0, 20)))
        << y;
  }
  for (int y : {20, 30, 38}) {
    EXPECT_TRUE(similar(surface.at(20, y),
                        gradientAt(scheme[kFillBottomFrom], scheme[kFillBottomTo], y, 20, 41)))
        << y;
    EXPECT_TRUE(
        similar(surface.at(270, y), gradientAt(scheme[kBottomFrom], scheme[kBottomTo], y, 20, 41)))
        << y;
  }
  // The fill ends at column 148.
  EXPECT_TRUE(similar(surface.at(147, 30), surface.at(100, 30)));
  EXPECT_TRUE(similar(surface.at(148, 30), surface.at(200, 30)));
  EXPECT_FALSE(similar(surface.at(147, 30), surface.at(148, 30)));
  // The border: RoundRect leaves out its right and bottom edges, so it runs along rows 0 and 39.
  EXPECT_EQ(surface.at(150, 0), scheme[controls::kBorder]);
  EXPECT_EQ(surface.at(150, 39), scheme[controls::kBorder]);
  EXPECT_NE(surface.at(150, 40), scheme[controls::kBorder]);
  // Black text somewhere in the text rectangle.
  controls::PixelRect t = bar.textRect();
  int dark = 0;
  for (int y = t.top; y < t.bottom; ++y)
    for (int x = t.left; x < t.right; ++x) dark += ui::red(surface.at(x, y)) < 80;
  EXPECT_GT(dark, 10);
}

TEST_F(Windows, ProgButtonOutlineFollowsTheClientSize) {
  controls::ProgButton button{"b"};
  button.setStyle(1);
  button.setCaption("&OK");
  UniqueWindow window(child(80, 30));
  {
    WindowDc dc(window.get());
    paintProgButton(dc.get(), window.get(), button, nullptr);
  }
  UniqueRegion applied(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(window.get(), applied.get()), ERROR);
  EXPECT_FALSE(PtInRegion(applied.get(), 0, 0));
  EXPECT_TRUE(PtInRegion(applied.get(), 40, 15));
  EXPECT_TRUE(PtInRegion(applied.get(), 0, 15));
}

TEST_F(Windows, ProgButtonMouseAndKeysReachTheModel) {
  controls::ProgButton button{"b"};
  button.setStyle(1);
  button.setCaption("&Go");
  int clicks = 0;
  button.Click = [&] { ++clicks; };
  UniqueWindow window(child(80, 30));
  LRESULT result = 0;
  HWND w = window.get();
  EXPECT_TRUE(
      handleProgButtonInput(w, button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), result));
  EXPECT_TRUE(button.pressed());
  EXPECT_TRUE(handleProgButtonInput(w, button, WM_LBUTTONUP, 0, MAKELPARAM(6, 6), result));
  EXPECT_FALSE(button.pressed());
  EXPECT_EQ(clicks, 1);
  // A release outside the control is no click.
  handleProgButtonInput(w, button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), result);
  handleProgButtonInput(w, button, WM_LBUTTONUP, 0, MAKELPARAM(300, 6), result);
  EXPECT_EQ(clicks, 1);
  handleProgButtonInput(w, button, WM_KEYDOWN, VK_RETURN, 0, result);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(handleProgButtonInput(w, button, WM_SYSCHAR, L'g', 0, result));
  EXPECT_EQ(clicks, 3);
  EXPECT_FALSE(handleProgButtonInput(w, button, WM_SYSCHAR, L'x', 0, result));
  EXPECT_EQ(clicks, 3);
}

}  // namespace
