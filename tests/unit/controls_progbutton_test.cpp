// The gradient button / progress bar: property rules, repaint arithmetic and the drawing plan.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "controls/ProgButton.h"

namespace {

using namespace controls;

// Text measured as 7 pixels a character and 16 high.
ui::Size measure(const std::string& text) {
  return {static_cast<int>(text.size()) * 7, 16};
}

TEST(ProgButtonArithmetic, SplitRowAndRoundingHalvesToEven) {
  EXPECT_EQ(splitRow(41), 20);
  EXPECT_EQ(splitRow(43), 22);
  EXPECT_EQ(splitRow(40), 20);
  EXPECT_EQ(progressFillWidth(50.0, 5), 2);  // 2.5
  EXPECT_EQ(progressFillWidth(50.0, 7), 4);  // 3.5
  // (296 - 35) / 2 = 130.5 -> 130; (296 - 33) / 2 = 131.5 -> 132
  EXPECT_EQ(centredTextRect(296, 40, {35, 16}), (PixelRect{130, 12, 165, 28}));
  EXPECT_EQ(centredTextRect(296, 41, {33, 16}).left, 132);
}

TEST(ProgButtonArithmetic, PercentageText) {
  EXPECT_EQ(progressText(progressPercent(1, 0, 3), "."), "33.33%");
  EXPECT_EQ(progressFillWidth(progressPercent(1, 0, 3), 296), 98);  // 33 * 296 / 100
  EXPECT_EQ(progressText(37.5, ","), "37,50%");
  EXPECT_EQ(progressText(progressPercent(-5, -10, 10), "."), "25.00%");
}

TEST(ProgButtonArithmetic, DegenerateBoundsNeverFail) {
  EXPECT_EQ(progressText(progressPercent(7, 7, 7), "."), "0.00%");
  EXPECT_DOUBLE_EQ(progressPercent(INT_MAX, INT_MIN, INT_MAX), 100.0);  // beyond 32 bits
  EXPECT_EQ(progressFillWidth(1e9, 296), 96990);                        // saturates at 32767 %
  EXPECT_EQ(progressText(progressPercent(0, 0, -3), "."), "0.00%");     // never "-0.00%"
}

TEST(ProgButtonProperties, ValueIsLoweredToMaxThenRaisedToMin) {
  ProgButton b{"b"};
  b.setValue(150);
  EXPECT_EQ(b.Value(), 100);
  b.setValue(-3);
  EXPECT_EQ(b.Value(), 0);
  b.setMax(10);
  b.setMin(20);
  b.setValue(15);
  EXPECT_EQ(b.Value(), 20);  // Max < Min: Min wins
}

TEST(ProgButtonProperties, LoweringMaxKeepsValueAndTheFillPassesTheEdge) {
  ProgButton b{"b"};
  b.setValue(80);
  b.setMax(40);
  EXPECT_EQ(b.Value(), 80);
  EXPECT_EQ(b.redraw(297, 40, measure, ".").text, "200.00%");
  EXPECT_EQ(b.fillWidth(), 592);
}

TEST(ProgButtonProperties, InvalidColorKeepsThePaletteAlreadyLoaded) {
  ProgButton never{"never"};
  never.setColor(0);
  DrawPlan black = never.redraw(100, 30, measure, ".");
  for (const Gradient& g : black.gradients) EXPECT_EQ(g.from | g.to, 0u);
  EXPECT_EQ(black.borderColour, 0u);

  ProgButton kept{"kept"};
  kept.setColor(8);
  kept.setColor(10);
  EXPECT_EQ(kept.redraw(100, 30, measure, ".").borderColour, ui::rgb(23, 139, 211));
  EXPECT_EQ(kept.palette(), *progButtonScheme(8));

  ProgButton fresh{"fresh"};  // Color 1, loaded at the first repaint
  EXPECT_EQ(fresh.redraw(100, 30, measure, ".").borderColour, ui::rgb(204, 168, 62));
}

TEST(ProgButtonAccessKey, TakenFromTheLastSingleAmpersand) {
  EXPECT_EQ(captionAccessKey("&Save &Quit"), U'Q');
  EXPECT_EQ(captionAccessKey("Quit&"), char32_t{0});
  EXPECT_FALSE(captionAccessKey("Plain"));
  EXPECT_EQ(captionAccessKey("&Fish && Chips"), U'F');  // "&&" shows one "&"
  EXPECT_EQ(captionAccessKey("Fish && Chips"), char32_t{0});
  EXPECT_EQ(captionAccessKey("A&&&B"), U'B');
  EXPECT_EQ(captionAccessKey("确定(&确)"), U'确');

  ProgButton b{"b"};
  b.setCaption("&Go");
  b.setCaption("No key");
  EXPECT_EQ(b.accessKey(), U'G');  // kept
  b.setCaption("End&");
  EXPECT_EQ(b.accessKey(), char32_t{0});
  ProgButton stored{"stored"};
  stored.loadStored(500, std::nullopt, std::nullopt, std::string("&Stored"), 1, std::nullopt);
  EXPECT_EQ(stored.accessKey(), char32_t{0});
  EXPECT_EQ(stored.Value(), 500);  // stored as it is
  EXPECT_EQ(stored.Max(), 100);
}

TEST(ProgButtonEvents, MouseForEveryKindKeysOnlyForStyleOne) {
  ProgButton b{"b"};
  std::vector<std::string> events;
  b.MouseDown = [&](const ui::MouseArgs& a) {
    events.push_back("Down " + std::to_string(a.button) + (b.pressed() ? " pressed" : ""));
  };
  b.MouseUp = [&](const ui::MouseArgs&) { events.push_back("Up"); };
  b.Click = [&] { events.push_back("Click"); };
  b.DblClick = [&] { events.push_back("DblClick"); };
  b.mouseDown({ui::kRightButton, 0, {}});
  EXPECT_TRUE(b.pressed());
  b.mouseUp({ui::kRightButton, 0, {}});
  EXPECT_FALSE(b.pressed());
  b.click();
  b.dblClick();
  EXPECT_EQ(events, (std::vector<std::string>{"Down 2", "Up", "Click", "DblClick"}));

  events.clear();
  b.setCaption("&Go");
  for (int style : {0, 2, 1}) {
    b.setStyle(style);
    b.keyDown(ProgButton::kEnterKey);
    b.accessKeyPressed();
    b.keyDown(32);  // Space does nothing
  }
  EXPECT_EQ(events, (std::vector<std::string>{"Click", "Click"}));
  EXPECT_FALSE(b.pressed());
}

// A release is a click only for the left button, inside, over a press the control captured, and
// not when it ends a double click.
TEST(ProgButtonEvents, AReleaseClicksOnlyAfterItsOwnLeftPress) {
  struct Case {
    int button;
    bool captured, inside, afterDoubleClick;
    int clicks;
  } cases[] = {
      {ui::kLeftButton, true, true, false, 1},  {ui::kLeftButton, false, true, false, 0},
      {ui::kLeftButton, true, false, false, 0}, {ui::kRightButton, true, true, false, 0},
      {ui::kLeftButton, true, true, true, 1},
  };
  for (const Case& c : cases) {
    ProgButton b{"b"};
    int clicks = 0, ups = 0;
    b.Click = [&] { ++clicks; };
    b.MouseUp = [&](const ui::MouseArgs&) { ++ups; };
    if (c.afterDoubleClick) b.dblClick();
    b.release({c.button, 0, {}}, c.captured, c.inside);
    // The release ending a double click clicks nothing; the next one does.
    if (c.afterDoubleClick) b.release({c.button, 0, {}}, c.captured, c.inside);
    EXPECT_EQ(clicks, c.clicks) << c.button << c.captured << c.inside << c.afterDoubleClick;
    EXPECT_EQ(ups, c.afterDoubleClick ? 2 : 1);
  }
}

TEST(ProgButtonPlan, ProgressAtHalfOnA297PixelBar) {
  ProgButton b{"tippro"};
  b.setValue(50);
  b.mouseDown({ui::kLeftButton, 0, {}});  // the progress kind shows no press or focus
  b.focusGained();
  DrawPlan plan = b.redraw(297, 41, measure, ".");
  auto s = *progButtonScheme(1);
  EXPECT_EQ(plan.corner, 5);
  ASSERT_EQ(plan.gradients.size(), 4u);
  EXPECT_EQ(plan.gradients[0], (Gradient{{0, 0, 297, 20}, s[kTopFrom], s[kTopTo]}));
  EXPECT_EQ(plan.gradients[1], (Gradient{{0, 20, 297, 41}, s[kBottomFrom], s[kBottomTo]}));
  EXPECT_EQ(plan.gradients[2], (Gradient{{0, 0, 148, 20}, s[kFillTopFrom], s[kFillTopTo]}));
  EXPECT_EQ(plan.gradients[3], (Gradient{{0, 20, 148, 41}, s[kFillBottomFrom], s[kFillBottomTo]}));
  EXPECT_EQ(plan.border, (PixelRect{0, 0, 296, 40}));
  EXPECT_EQ(plan.text, "50.00%");
  EXPECT_EQ(plan.textRect, (PixelRect{127, 12, 169, 28}));  // (296 - 42) / 2, (40 - 16) / 2
  EXPECT_FALSE(plan.focusRect);

  b.setMax(0);
  b.setMin(0);
  plan = b.redraw(297, 41, measure, ".");  // Max == Min: an empty bar
  EXPECT_EQ(plan.gradients.size(), 2u);
  EXPECT_EQ(plan.text, "0.00%");
}

TEST(ProgButtonPlan, ButtonPressFillsToTheRightEdgeAndFocusUsesTheLastEdges) {
  ProgButton b{"b"};
  b.setStyle(1);
  b.setCaption("&OK");
  EXPECT_EQ(b.redraw(80, 30, measure, ".").gradients.size(), 2u);
  b.focusGained();
  b.mouseDown({ui::kLeftButton, 0, {}});
  DrawPlan pressed = b.redraw(80, 43, measure, ".");
  ASSERT_EQ(pressed.gradients.size(), 4u);
  EXPECT_EQ(pressed.gradients[2].rect, (PixelRect{0, 0, 79, 22}));
  EXPECT_EQ(pressed.gradients[3].rect, (PixelRect{0, 22, 79, 43}));
  EXPECT_EQ(pressed.text, "&OK");
  EXPECT_EQ(pressed.focusRect, (PixelRect{3, 3, 76, 26}));  // from the 80 x 30 repaint
  b.focusLost();
  EXPECT_FALSE(b.redraw(80, 43, measure, ".").focusRect);
}

}  // namespace
