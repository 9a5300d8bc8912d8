// The switch's artwork: sizes per DPI, outlines, frames and their lettering.
#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/SwitchArt.h"

namespace {

using controls::switchFrame;
using controls::switchOutline;

TEST(SwitchArt, FrameSizesFollowTheDpi) {
  EXPECT_EQ(controls::switchFrameSizeAt(0, 96), (ui::Size{78, 23}));
  EXPECT_EQ(controls::switchFrameSizeAt(1, 96), (ui::Size{74, 24}));
  EXPECT_EQ(controls::switchFrameSizeAt(7, 96), (ui::Size{36, 16}));
  auto frame = switchFrame(0, 0, 144);
  EXPECT_EQ(frame.width, 117);
  EXPECT_EQ(frame.height, 35);
  EXPECT_EQ(controls::switchStrip(1, 96).height, 192);
}

TEST(SwitchArt, Skin0OutlineCutsOnlyTheFourCorners) {
  auto o = switchOutline(0, true, 96);
  for (auto [x, y] : {std::pair{0, 0}, {77, 0}, {0, 22}, {77, 22}}) EXPECT_FALSE(o.contains(x, y));
  int inside = 0;
  for (auto v : o.inside) inside += v;
  EXPECT_EQ(inside, 78 * 23 - 4);
  auto big = switchOutline(0, false, 192);  // the cut scales with the DPI
  EXPECT_FALSE(big.contains(1, 1));
  EXPECT_TRUE(big.contains(2, 0));
  EXPECT_FALSE(big.contains(155, 45));
}

TEST(SwitchArt, Skin1OutlineStepsAndCutsTheKnobEnd) {
  auto on = switchOutline(1, true, 96);
  EXPECT_FALSE(on.contains(1, 0));
  EXPECT_TRUE(on.contains(2, 0));
  EXPECT_FALSE(on.contains(0, 1));
  EXPECT_TRUE(on.contains(1, 1));
  EXPECT_FALSE(on.contains(0, 22));
  EXPECT_TRUE(on.contains(53, 0));
  EXPECT_FALSE(on.contains(54, 0));
  EXPECT_FALSE(on.contains(54, 23));
  EXPECT_TRUE(on.contains(54, 1));
  auto off = switchOutline(1, false, 96);
  EXPECT_FALSE(off.contains(19, 23));
  EXPECT_TRUE(off.contains(20, 23));
  EXPECT_FALSE(off.contains(72, 0));
  EXPECT_TRUE(off.contains(72, 1));
}

TEST(SwitchArt, SmallOutlineIsAPillWithTheTopRowAtTheKnob) {
  auto on = switchOutline(2, true, 96);
  auto off = switchOutline(2, false, 96);
  for (int x = 0; x < 36; ++x) {
    EXPECT_EQ(on.contains(x, 0), x >= 25 && x <= 30) << x;
    EXPECT_EQ(off.contains(x, 0), x >= 5 && x <= 10) << x;
  }
  for (int row = 1; row <= 4; ++row) {  // steps 4 to 1 under the top row
    EXPECT_FALSE(on.contains(4 - row, row)) << row;
    EXPECT_TRUE(on.contains(5 - row, row)) << row;
    EXPECT_FALSE(on.contains(31 + row, row)) << row;
  }
  for (int cut = 5; cut >= 1; --cut) {  // steps 5 to 1 from the bottom row up
    EXPECT_FALSE(off.contains(cut - 1, 10 + cut)) << cut;
    EXPECT_TRUE(off.contains(cut, 10 + cut)) << cut;
  }
}

TEST(SwitchArt, FramesAreTransparentRedExactlyOutsideTheirOutline) {
  for (int skin : {0, 1, 2}) {
    for (int frame = 0; frame < 8; ++frame) {
      auto pixels = switchFrame(skin, frame, 96);
      auto outline = switchOutline(skin, frame < 4, 96);
      for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
          ASSERT_EQ(pixels.colourAt(x, y) == controls::kSwitchTransparent, !outline.contains(x, y))
              << "skin " << skin << " frame " << frame << " at " << x << "," << y;
    }
  }
}

TEST(SwitchArt, TabShadesAndLetteringFollowTheFrame) {
  auto at = [](int skin, int frame, int x, int y) {
    return switchFrame(skin, frame, 96).colourAt(x, y);
  };
  EXPECT_GT(ui::green(at(0, 0, 4, 19)) - ui::red(at(0, 0, 4, 19)), 40);  // green tab
  EXPECT_GT(ui::red(at(0, 1, 4, 19)), ui::red(at(0, 0, 4, 19)));         // lighter inside
  EXPECT_LT(ui::green(at(0, 2, 4, 19)), ui::green(at(0, 0, 4, 19)));     // darker pressed
  EXPECT_EQ(ui::red(at(0, 3, 4, 19)), ui::green(at(0, 3, 4, 19)));       // grey disabled
  auto orange = at(1, 4, 70, 18);
  EXPECT_GT(ui::red(orange), ui::blue(orange) + 100);
  // The small skin has no hover or pressed look.
  EXPECT_EQ(switchFrame(2, 4, 96).pixels, switchFrame(2, 5, 96).pixels);
  EXPECT_EQ(switchFrame(2, 4, 96).pixels, switchFrame(2, 6, 96).pixels);
}

TEST(SwitchArt, LetteringFollowsTheFrameAndScalesWithTheDpi) {
  struct Case {
    int skin, frame;
    const char* text;
    ui::Colour colour;
    bool shadow;
    bool plain = false;  // a switch beside its own label
  } cases[] = {
      {0, 0, "OPENED", ui::rgb(255, 255, 255), true},
      {0, 5, "CLOSED", ui::rgb(96, 96, 96), false},
      {0, 3, "", {}, false},  // disabled
      {1, 2, "已开启", ui::rgb(255, 255, 255), false},
      {1, 6, "已关闭", ui::rgb(255, 255, 255), false},
      {1, 7, "", {}, false},
      {2, 1, "ON", ui::rgb(255, 255, 255), true},
      {2, 4, "OFF", ui::rgb(255, 255, 255), true},
      {9, 7, "", {}, false},
      {0, 1, "On", ui::rgb(255, 255, 255), true, true},
      {0, 6, "Off", ui::rgb(96, 96, 96), false, true},
      {0, 7, "", {}, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "skin " << c.skin << " frame " << c.frame);
    auto at96 = controls::switchLettering(c.skin, c.frame, 96, c.plain);
    EXPECT_EQ(at96.text, c.text);
    if (at96.text.empty()) continue;
    EXPECT_EQ(at96.colour, c.colour);
    EXPECT_EQ(at96.shadow.has_value(), c.shadow);
    // The box lies on the tab, clear of the knob, at every DPI.
    for (int dpi : {96, 144, 168}) {
      auto l = controls::switchLettering(c.skin, c.frame, dpi, c.plain);
      auto frame = switchFrame(c.skin, c.frame, dpi);
      auto outline = switchOutline(c.skin, c.frame < 4, dpi);
      int mid = (l.box.top + l.box.bottom) / 2, quarter = l.box.width() / 4;
      ui::Colour tab = frame.colourAt(l.box.left + l.box.width() / 2, mid);
      for (int x : {l.box.left + quarter, l.box.right - 1 - quarter}) {
        EXPECT_TRUE(outline.contains(x, mid)) << dpi;
        EXPECT_LT(std::abs(ui::green(frame.colourAt(x, mid)) - ui::green(tab)), 30) << dpi;
      }
      EXPECT_EQ(l.emHeight, controls::scaledPixels(at96.emHeight, dpi));
      EXPECT_EQ(l.shadowOffset, controls::scaledPixels(1, dpi));
    }
    // Light lettering carries a shadow darker than its tab.
    if (c.shadow) {
      ui::Colour tab =
          switchFrame(c.skin, c.frame, 96).colourAt(at96.box.left + 2, at96.box.top + 2);
      EXPECT_LT(ui::green(*at96.shadow) + 40, ui::green(tab));
    }
  }
  // The small tab's lettering is shorter than the large tabs'.
  EXPECT_LT(controls::switchLettering(2, 0, 96).emHeight,
            controls::switchLettering(0, 0, 96).emHeight);
}

}  // namespace
