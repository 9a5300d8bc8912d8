// The switch's artwork: sizes per DPI, outlines, frame colours.
#include <gtest/gtest.h>

#include "controls/SwitchArt.h"

namespace {

using controls::switchFrame;
using controls::switchOutline;

int insideCount(const controls::SwitchOutline& o) {
  int n = 0;
  for (auto v : o.inside) n += v;
  return n;
}

TEST(SwitchArt, FrameSizesAt96And144Dpi) {
  EXPECT_EQ(controls::switchFrameSizeAt(0, 96), (ui::Size{78, 23}));
  EXPECT_EQ(controls::switchFrameSizeAt(1, 96), (ui::Size{74, 24}));
  EXPECT_EQ(controls::switchFrameSizeAt(2, 96), (ui::Size{36, 16}));
  EXPECT_EQ(controls::switchFrameSizeAt(7, 96), (ui::Size{36, 16}));
  EXPECT_EQ(controls::switchFrameSizeAt(0, 144), (ui::Size{117, 35}));
  EXPECT_EQ(controls::switchFrameSizeAt(2, 144), (ui::Size{54, 24}));
  auto frame = switchFrame(0, 0, 144);
  EXPECT_EQ(frame.width, 117);
  EXPECT_EQ(frame.height, 35);
  auto strip = controls::switchStrip(1, 96);
  EXPECT_EQ(strip.width, 74);
  EXPECT_EQ(strip.height, 192);
}

TEST(SwitchArt, Skin0OutlineCutsOnlyTheFourCorners) {
  for (bool on : {true, false}) {
    auto o = switchOutline(0, on, 96);
    EXPECT_FALSE(o.contains(0, 0));
    EXPECT_FALSE(o.contains(77, 0));
    EXPECT_FALSE(o.contains(0, 22));
    EXPECT_FALSE(o.contains(77, 22));
    EXPECT_TRUE(o.contains(1, 0));
    EXPECT_TRUE(o.contains(0, 1));
    EXPECT_EQ(insideCount(o), 78 * 23 - 4);
  }
}

TEST(SwitchArt, Skin1OutlineStepsAndCutsTheKnobEnd) {
  auto on = switchOutline(1, true, 96);
  // 2-pixel step at the corners: two columns of the outer row, one of the next.
  EXPECT_FALSE(on.contains(0, 0));
  EXPECT_FALSE(on.contains(1, 0));
  EXPECT_TRUE(on.contains(2, 0));
  EXPECT_FALSE(on.contains(0, 1));
  EXPECT_TRUE(on.contains(1, 1));
  EXPECT_FALSE(on.contains(0, 23));
  EXPECT_FALSE(on.contains(0, 22));
  // The top and bottom rows are cut for the 20 pixels at the knob's end.
  EXPECT_TRUE(on.contains(53, 0));
  EXPECT_FALSE(on.contains(54, 0));
  EXPECT_FALSE(on.contains(54, 23));
  EXPECT_TRUE(on.contains(54, 1));
  EXPECT_TRUE(on.contains(73, 2));

  auto off = switchOutline(1, false, 96);
  EXPECT_FALSE(off.contains(19, 0));
  EXPECT_TRUE(off.contains(20, 0));
  EXPECT_TRUE(off.contains(71, 0));
  EXPECT_FALSE(off.contains(72, 0));
  EXPECT_TRUE(off.contains(72, 1));
}

TEST(SwitchArt, SmallOutlineIsAPillWithTheTopRowAtTheKnob) {
  auto on = switchOutline(2, true, 96);
  for (int x = 0; x < 36; ++x) EXPECT_EQ(on.contains(x, 0), x >= 25 && x <= 30) << x;
  auto off = switchOutline(2, false, 96);
  for (int x = 0; x < 36; ++x) EXPECT_EQ(off.contains(x, 0), x >= 5 && x <= 10) << x;
  // Steps 4, 3, 2, 1 below the top row, 5 to 1 from the bottom row up.
  for (int row = 1; row <= 4; ++row) {
    EXPECT_FALSE(on.contains(4 - row, row)) << row;
    EXPECT_TRUE(on.contains(5 - row, row)) << row;
    EXPECT_FALSE(on.contains(31 + row, row)) << row;
    EXPECT_TRUE(on.contains(30 + row, row)) << row;
  }
  for (int cut = 5; cut >= 1; --cut) {
    int row = 15 - (5 - cut);
    EXPECT_FALSE(off.contains(cut - 1, row)) << row;
    EXPECT_TRUE(off.contains(cut, row)) << row;
  }
  EXPECT_TRUE(on.contains(0, 5));
  EXPECT_TRUE(on.contains(35, 10));
}

TEST(SwitchArt, OutlinesKeepTheirShapeAtOtherDpis) {
  auto o = switchOutline(0, true, 192);
  EXPECT_EQ(o.width, 156);
  EXPECT_EQ(o.height, 46);
  EXPECT_FALSE(o.contains(0, 0));
  EXPECT_FALSE(o.contains(1, 1));
  EXPECT_TRUE(o.contains(2, 0));
  EXPECT_FALSE(o.contains(155, 45));
  EXPECT_TRUE(o.contains(78, 23));
}

TEST(SwitchArt, PixelsOutsideTheOutlineAreTransparentRed) {
  for (int skin : {0, 1, 2}) {
    for (int frame = 0; frame < 8; ++frame) {
      auto pixels = switchFrame(skin, frame, 96);
      auto outline = switchOutline(skin, frame < 4, 96);
      for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
          bool red = pixels.colourAt(x, y) == controls::kSwitchTransparent;
          ASSERT_EQ(red, !outline.contains(x, y))
              << "skin " << skin << " frame " << frame << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(SwitchArt, TabColoursFollowTheFrame) {
  // A point in the tab away from the lettering and the gloss: the tab's main colour family.
  auto greenness = [](ui::Colour c) { return ui::green(c) - ui::red(c); };
  auto normal = switchFrame(0, 0, 96).colourAt(4, 19);
  auto inside = switchFrame(0, 1, 96).colourAt(4, 19);
  auto pressed = switchFrame(0, 2, 96).colourAt(4, 19);
  auto disabled = switchFrame(0, 3, 96).colourAt(4, 19);
  EXPECT_GT(greenness(normal), 40);
  EXPECT_GT(ui::red(inside), ui::red(normal));        // lighter
  EXPECT_LT(ui::green(pressed), ui::green(normal));   // darker
  EXPECT_EQ(ui::red(disabled), ui::green(disabled));  // grey
  // Off: grey tab on the right, knob on the left.
  auto offTab = switchFrame(0, 4, 96).colourAt(74, 19);
  EXPECT_EQ(ui::red(offTab), ui::green(offTab));
  EXPECT_NEAR(ui::red(offTab), 201, 12);
  // Skin 1 off is orange, small skin on is green.
  auto orange = switchFrame(1, 4, 96).colourAt(70, 18);
  EXPECT_GT(ui::red(orange), ui::blue(orange) + 100);
  auto pill = switchFrame(2, 0, 96).colourAt(3, 12);
  EXPECT_GT(ui::green(pill), ui::red(pill) + 80);
  // The small skin's normal, pointer-inside and pressed frames are identical.
  EXPECT_EQ(switchFrame(2, 4, 96).pixels, switchFrame(2, 5, 96).pixels);
  EXPECT_EQ(switchFrame(2, 4, 96).pixels, switchFrame(2, 6, 96).pixels);
}

TEST(SwitchArt, LetteringOnlyOnEnabledFrames) {
  EXPECT_EQ(controls::switchLettering(0, 0), "OPENED");
  EXPECT_EQ(controls::switchLettering(0, 5), "CLOSED");
  EXPECT_EQ(controls::switchLettering(1, 2), "已开启");
  EXPECT_EQ(controls::switchLettering(1, 6), "已关闭");
  EXPECT_EQ(controls::switchLettering(2, 1), "ON");
  EXPECT_EQ(controls::switchLettering(-4, 4), "OFF");
  EXPECT_EQ(controls::switchLettering(0, 3), "");
  EXPECT_EQ(controls::switchLettering(2, 7), "");
  // The enabled frames differ from the disabled ones by their white lettering.
  auto countWhite = [](const controls::PixelBuffer& b) {
    int n = 0;
    for (auto p : b.pixels) n += p == 0xFFFFFFu;
    return n;
  };
  EXPECT_GT(countWhite(switchFrame(0, 0, 96)), 40);
  EXPECT_EQ(countWhite(switchFrame(0, 3, 96)), 0);
  EXPECT_GT(countWhite(switchFrame(2, 4, 96)), 15);
  EXPECT_EQ(countWhite(switchFrame(2, 7, 96)), 0);
}

}  // namespace
