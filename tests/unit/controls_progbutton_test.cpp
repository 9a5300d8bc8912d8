// The gradient button / progress bar: property rules, repaint arithmetic and the drawing plan.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "controls/ProgButton.h"

namespace {

using controls::DrawPlan;
using controls::Gradient;
using controls::PixelRect;
using controls::ProgButton;

// Text measured as 7 pixels a character and 16 high.
ui::Size measure(const std::string& text) {
  return {static_cast<int>(text.size()) * 7, 16};
}

TEST(ProgButtonArithmetic, SplitRowRoundsHalvesToEven) {
  EXPECT_EQ(controls::splitRow(41), 20);
  EXPECT_EQ(controls::splitRow(43), 22);
  EXPECT_EQ(controls::splitRow(40), 20);
  EXPECT_EQ(controls::splitRow(1), 0);
  EXPECT_EQ(controls::splitRow(3), 2);
}

TEST(ProgButtonArithmetic, PercentageFillAndText) {
  double half = controls::progressPercent(50, 0, 100);
  EXPECT_EQ(controls::progressFillWidth(half, 296), 148);
  EXPECT_EQ(controls::progressText(half, "."), "50.00%");
  EXPECT_EQ(controls::progressText(controls::progressPercent(1, 0, 3), "."), "33.33%");
  EXPECT_EQ(controls::progressText(37.5, ","), "37,50%");
  EXPECT_EQ(controls::progressText(controls::progressPercent(-5, -10, 10), "."), "25.00%");
  // round16(33.33) = 33; 33 * 296 / 100 = 97.68
  EXPECT_EQ(controls::progressFillWidth(controls::progressPercent(1, 0, 3), 296), 98);
  // 50 * 5 / 100 = 2.5 rounds to even
  EXPECT_EQ(controls::progressFillWidth(50.0, 5), 2);
  EXPECT_EQ(controls::progressFillWidth(50.0, 7), 4);  // 3.5
}

TEST(ProgButtonArithmetic, EqualBoundsAndExtremeBoundsNeverFail) {
  EXPECT_EQ(controls::progressPercent(7, 7, 7), 0.0);
  EXPECT_EQ(controls::progressText(controls::progressPercent(7, 7, 7), "."), "0.00%");
  // Differences that do not fit 32 bits.
  double p = controls::progressPercent(INT_MAX, INT_MIN, INT_MAX);
  EXPECT_DOUBLE_EQ(p, 100.0);
  // A percentage far beyond 16 bits saturates instead of overflowing.
  EXPECT_EQ(controls::progressFillWidth(1e9, 296), 96990);  // 32767 * 296 / 100
  EXPECT_EQ(controls::progressText(controls::progressPercent(0, 0, -3), "."), "0.00%");
}

TEST(ProgButtonArithmetic, TextRectIsCentredWithHalfEvenRounding) {
  // (296 - 35) / 2 = 130.5 -> 130; (40 - 16) / 2 = 12
  EXPECT_EQ(controls::centredTextRect(296, 40, {35, 16}), (PixelRect{130, 12, 165, 28}));
  // (296 - 33) / 2 = 131.5 -> 132
  EXPECT_EQ(controls::centredTextRect(296, 41, {33, 16}).left, 132);
}

TEST(ProgButtonProperties, ValueIsLoweredToMaxThenRaisedToMin) {
  ProgButton b{"b"};
  b.setValue(150);
  EXPECT_EQ(b.Value(), 100);
  b.setValue(-3);
  EXPECT_EQ(b.Value(), 0);
  b.setMax(10);  // not clamped again
  b.setValue(50);
  EXPECT_EQ(b.Value(), 10);
  b.setMin(20);  // Max < Min: Min wins
  b.setValue(15);
  EXPECT_EQ(b.Value(), 20);
  b.setValue(5);
  EXPECT_EQ(b.Value(), 20);
}

TEST(ProgButtonProperties, LoweringMaxKeepsValueAndTheFillGrowsPastTheEdge) {
  ProgButton b{"b"};
  b.setValue(80);
  b.setMax(40);
  EXPECT_EQ(b.Value(), 80);
  DrawPlan plan = b.redraw(297, 40, measure, ".");
  EXPECT_EQ(plan.text, "200.00%");
  EXPECT_EQ(b.fillWidth(), 592);
}

TEST(ProgButtonProperties, InvalidColorKeepsThePaletteAlreadyLoaded) {
  ProgButton never{"never"};
  never.setColor(0);
  DrawPlan black = never.redraw(100, 30, measure, ".");
  for (const Gradient& g : black.gradients) {
    EXPECT_EQ(g.from, 0u);
    EXPECT_EQ(g.to, 0u);
  }
  EXPECT_EQ(black.borderColour, 0u);

  ProgButton kept{"kept"};
  kept.setColor(8);
  kept.setColor(10);
  EXPECT_EQ(kept.palette(), *controls::progButtonScheme(8));
  DrawPlan plan = kept.redraw(100, 30, measure, ".");
  EXPECT_EQ(plan.borderColour, ui::rgb(23, 139, 211));
  kept.setColor(-70000);
  EXPECT_EQ(kept.palette(), *controls::progButtonScheme(8));

  ProgButton fresh{"fresh"};  // Color 1 by default, loaded at the first repaint
  EXPECT_EQ(fresh.redraw(100, 30, measure, ".").borderColour, ui::rgb(204, 168, 62));
}

TEST(ProgButtonProperties, SchemesHaveNineSlotsInTableOrder) {
  auto nine = *controls::progButtonScheme(9);
  EXPECT_EQ(nine[controls::kTopFrom], ui::rgb(231, 243, 232));
  EXPECT_EQ(nine[controls::kFillTopTo], ui::rgb(108, 255, 108));
  EXPECT_EQ(nine[controls::kBorder], ui::rgb(188, 184, 188));
  auto five = *controls::progButtonScheme(5);
  EXPECT_EQ(five[controls::kBottomTo], ui::rgb(217, 215, 239));
  EXPECT_EQ(five[controls::kFillBottomFrom], ui::rgb(70, 57, 203));
  EXPECT_FALSE(controls::progButtonScheme(0));
  EXPECT_FALSE(controls::progButtonScheme(10));
}

TEST(ProgButtonAccessKey, TakenFromTheLastSingleAmpersand) {
  EXPECT_EQ(controls::captionAccessKey("&OK"), U'O');
  EXPECT_EQ(controls::captionAccessKey("&Save &Quit"), U'Q');
  EXPECT_EQ(controls::captionAccessKey("Quit&"), char32_t{0});
  EXPECT_FALSE(controls::captionAccessKey("Plain"));
  EXPECT_EQ(controls::captionAccessKey("&Fish && Chips"), U'F');  // "&&" shows one "&"
  EXPECT_EQ(controls::captionAccessKey("Fish && Chips"), char32_t{0});
  EXPECT_EQ(controls::captionAccessKey("A&&&B"), U'B');
  EXPECT_EQ(controls::captionAccessKey("确定(&确)"), U'确');
}

TEST(ProgButtonAccessKey, SetterRules) {
  ProgButton b{"b"};
  b.setCaption("&Go");
  EXPECT_EQ(b.accessKey(), U'G');
  b.setCaption("No key");
  EXPECT_EQ(b.accessKey(), U'G');  // kept
  b.setCaption("End&");
  EXPECT_EQ(b.accessKey(), char32_t{0});
  EXPECT_EQ(b.Caption(), "End&");

  ProgButton stored{"stored"};
  stored.loadStored(std::nullopt, std::nullopt, std::nullopt, std::string("&Stored"), 1,
                    std::nullopt);
  EXPECT_EQ(stored.accessKey(), char32_t{0});
  EXPECT_EQ(stored.Caption(), "&Stored");
}

TEST(ProgButtonProperties, LoadStoredTakesValuesUnclampedWithDefaults) {
  ProgButton b{"b"};
  b.loadStored(500, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(b.Value(), 500);
  EXPECT_EQ(b.Min(), 0);
  EXPECT_EQ(b.Max(), 100);
  EXPECT_EQ(b.Caption(), "Command");
  EXPECT_EQ(b.Style(), 0);
  EXPECT_EQ(b.Color(), 1);
}

struct ProgButtonEvents : ::testing::Test {
  ProgButton b{"b"};
  std::vector<std::string> events;
  void SetUp() override {
    b.MouseDown = [this](const ui::MouseArgs& a) {
      events.push_back("Down " + std::to_string(a.button) + " pressed " +
                       (b.pressed() ? "1" : "0"));
    };
    b.MouseUp = [this](const ui::MouseArgs&) { events.push_back("Up"); };
    b.MouseMove = [this](const ui::MouseArgs&) { events.push_back("Move"); };
    b.Click = [this] { events.push_back("Click"); };
    b.DblClick = [this] { events.push_back("DblClick"); };
  }
};

TEST_F(ProgButtonEvents, AnyButtonPressesAndMouseClickWorksInEveryKind) {
  b.setStyle(1);
  b.mouseDown({ui::kRightButton, 0, {}});
  EXPECT_TRUE(b.pressed());
  b.mouseUp({ui::kRightButton, 0, {}});
  EXPECT_FALSE(b.pressed());
  b.setStyle(0);
  b.mouseMove({});
  b.click();
  b.dblClick();
  EXPECT_EQ(events,
            (std::vector<std::string>{"Down 2 pressed 0", "Up", "Move", "Click", "DblClick"}));
}

TEST_F(ProgButtonEvents, EnterAndAccessKeyOnlyForStyleOne) {
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

TEST(ProgButtonPlan, ProgressAtHalfOnA297PixelBar) {
  ProgButton b{"tippro"};
  b.setValue(50);
  DrawPlan plan = b.redraw(297, 41, measure, ".");
  auto s = *controls::progButtonScheme(1);
  EXPECT_EQ(plan.width, 297);
  EXPECT_EQ(plan.height, 41);
  EXPECT_EQ(plan.corner, 5);
  ASSERT_EQ(plan.gradients.size(), 4u);
  EXPECT_EQ(plan.gradients[0],
            (Gradient{{0, 0, 297, 20}, s[controls::kTopFrom], s[controls::kTopTo]}));
  EXPECT_EQ(plan.gradients[1],
            (Gradient{{0, 20, 297, 41}, s[controls::kBottomFrom], s[controls::kBottomTo]}));
  EXPECT_EQ(plan.gradients[2],
            (Gradient{{0, 0, 148, 20}, s[controls::kFillTopFrom], s[controls::kFillTopTo]}));
  EXPECT_EQ(plan.gradients[3],
            (Gradient{{0, 20, 148, 41}, s[controls::kFillBottomFrom], s[controls::kFillBottomTo]}));
  EXPECT_EQ(plan.border, (PixelRect{0, 0, 296, 40}));
  EXPECT_EQ(plan.borderColour, s[controls::kBorder]);
  EXPECT_EQ(plan.text, "50.00%");
  // (296 - 42) / 2 = 127, (40 - 16) / 2 = 12
  EXPECT_EQ(plan.textRect, (PixelRect{127, 12, 169, 28}));
  EXPECT_EQ(b.textRect(), plan.textRect);
  EXPECT_FALSE(plan.focusRect);
}

TEST(ProgButtonPlan, ProgressKindShowsNeitherPressNorFocusNorCaption) {
  ProgButton b{"b"};
  b.setCaption("Hidden");
  b.mouseDown({ui::kLeftButton, 0, {}});
  b.focusGained();
  DrawPlan plan = b.redraw(100, 20, measure, ".");
  EXPECT_EQ(plan.gradients.size(), 2u);  // value 0: no fill
  EXPECT_EQ(plan.text, "0.00%");
  EXPECT_FALSE(plan.focusRect);
}

TEST(ProgButtonPlan, EqualBoundsDrawAnEmptyBar) {
  ProgButton b{"b"};
  b.setMax(0);
  DrawPlan plan = b.redraw(100, 20, measure, ".");
  EXPECT_EQ(plan.gradients.size(), 2u);
  EXPECT_EQ(plan.text, "0.00%");
  EXPECT_EQ(b.fillWidth(), 0);
}

TEST(ProgButtonPlan, PressedButtonAddsFillsToTheRightEdge) {
  ProgButton b{"b"};
  b.setStyle(1);
  b.setCaption("&OK");
  DrawPlan normal = b.redraw(80, 43, measure, ".");
  EXPECT_EQ(normal.gradients.size(), 2u);
  EXPECT_EQ(normal.text, "&OK");
  b.mouseDown({ui::kLeftButton, 0, {}});
  DrawPlan pressed = b.redraw(80, 43, measure, ".");
  ASSERT_EQ(pressed.gradients.size(), 4u);
  EXPECT_EQ(pressed.gradients[1].rect, (PixelRect{0, 22, 80, 43}));
  EXPECT_EQ(pressed.gradients[2].rect, (PixelRect{0, 0, 79, 22}));
  EXPECT_EQ(pressed.gradients[3].rect, (PixelRect{0, 22, 79, 43}));
}

TEST(ProgButtonPlan, FocusRectComesFromTheEdgesOfTheLastRepaint) {
  ProgButton b{"b"};
  b.setStyle(2);
  b.redraw(80, 30, measure, ".");
  b.focusGained();
  EXPECT_EQ(b.redraw(120, 40, measure, ".").focusRect, (PixelRect{3, 3, 76, 26}));
  b.focusLost();
  EXPECT_FALSE(b.redraw(120, 40, measure, ".").focusRect);
  b.focusGained();
  EXPECT_EQ(b.focusRect(), (PixelRect{3, 3, 116, 36}));
}

}  // namespace
