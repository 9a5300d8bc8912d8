// The switch's artwork: sizes per DPI, outlines, frames.
#include <gtest/gtest.h>

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

  auto white = [](const controls::PixelBuffer& b) {
    int n = 0;
    for (auto p : b.pixels) n += p == 0xFFFFFFu;
    return n;
  };
  EXPECT_GT(white(switchFrame(0, 0, 96)), 40);  // OPENED
  EXPECT_EQ(white(switchFrame(0, 3, 96)), 0);
  EXPECT_GT(white(switchFrame(2, 4, 96)), 15);  // OFF
  EXPECT_EQ(white(switchFrame(2, 7, 96)), 0);
  EXPECT_EQ(controls::switchLettering(1, 6), "已关闭");
  EXPECT_EQ(controls::switchLettering(1, 7), "");
}

}  // namespace
