// The on/off switch's state machine: frames, events, hover poll, presses, skins and sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/SafeSwitch.h"

namespace {

using Events = std::vector<std::string>;

struct SwitchTest : ::testing::Test, ui::ControlView {
  controls::SafeSwitch sw{"SafeSwitch1"};
  Events events;
  int repaints = 0;
  void update(ui::Property p) override { repaints += p == ui::Property::Value; }

  void SetUp() override {
    sw.attachView(this);
    sw.Click = [this](bool v) { events.push_back(v ? "Click(1)" : "Click(0)"); };
    sw.MouseIn = [this] { events.push_back("MouseIn"); };
    sw.MouseOut = [this] { events.push_back("MouseOut"); };
  }
  void press() { sw.buttonDown(ui::kLeftButton); }
  void release() { sw.buttonUp(ui::kLeftButton); }
};

TEST_F(SwitchTest, AssigningValueAlwaysRepaintsAndRaisesClick) {
  sw.setValue(true);
  sw.setValue(true);
  sw.setValue(false);
  EXPECT_EQ(events, (Events{"Click(1)", "Click(1)", "Click(0)"}));
  EXPECT_EQ(repaints, 3);
  EXPECT_EQ(sw.frameIndex(), 4);
  sw.poll(true);
  sw.setValue(true);  // the state frame keeps the hover
  EXPECT_EQ(sw.frameIndex(), 1);
}

TEST_F(SwitchTest, PollDrawsAndRaisesOnlyOnChange) {
  sw.poll(true);
  sw.poll(true);
  EXPECT_EQ(repaints, 1);
  sw.poll(false);
  EXPECT_EQ(sw.frameIndex(), 0);
  EXPECT_EQ(events, (Events{"MouseIn", "MouseOut"}));
}

TEST_F(SwitchTest, ReleaseAfterThePollSawThePointerLeaveChangesNothing) {
  sw.poll(true);
  press();
  sw.poll(false);
  EXPECT_EQ(sw.frameIndex(), 0);  // the pressed frame goes even with the button held
  release();
  EXPECT_TRUE(sw.Value());
  EXPECT_EQ(events, (Events{"MouseIn", "MouseOut"}));
}

TEST_F(SwitchTest, ALeftPressShowsThePointerInsideBeforeAnyPoll) {
  sw.buttonDown(ui::kRightButton);  // other buttons tell nothing
  EXPECT_FALSE(sw.hovering());
  press();  // a tap, or a click the instant the pointer arrived
  EXPECT_TRUE(sw.hovering());
  EXPECT_EQ(sw.frameIndex(), 2);
  release();
  EXPECT_FALSE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 5);
  press();  // and back
  EXPECT_EQ(sw.frameIndex(), 6);
  release();
  EXPECT_EQ(sw.frameIndex(), 1);
  sw.poll(true);  // already known: nothing raised again
  sw.poll(false);
  EXPECT_EQ(events, (Events{"MouseIn", "Click(0)", "Click(1)", "MouseOut"}));
}

TEST_F(SwitchTest, OnlyTheReleaseOfALeftPressOnTheSwitchToggles) {
  sw.poll(true);
  for (int button : {ui::kRightButton, ui::kMiddleButton}) {
    sw.buttonDown(button);
    sw.buttonUp(button);
  }
  release();  // a drag that started elsewhere
  EXPECT_TRUE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 1);
  press();
  release();
  release();  // a second release does not toggle back
  EXPECT_FALSE(sw.Value());
  EXPECT_EQ(events, (Events{"MouseIn", "Click(0)"}));
}

TEST_F(SwitchTest, DisabledSwitchIgnoresInputAndKeepsHovering) {
  sw.poll(true);
  sw.setEnable(false);
  EXPECT_EQ(sw.frameIndex(), 3);
  sw.poll(false);
  press();
  release();
  EXPECT_TRUE(sw.Value());
  EXPECT_TRUE(sw.hovering());
  EXPECT_EQ(sw.frameIndex(), 3);
  sw.setEnable(true);
  EXPECT_EQ(sw.frameIndex(), 1);
  EXPECT_EQ(events, (Events{"MouseIn"}));

  press();  // a press interrupted by disabling does not complete later
  sw.setEnable(false);
  sw.setEnable(true);
  release();
  EXPECT_TRUE(sw.Value());
}

TEST_F(SwitchTest, SkinsFixTheSizeAndEveryOtherValueIsTheSmallSet) {
  sw.setPlace({300, 450, 0, 0});
  EXPECT_EQ(sw.place(), (ui::Rect{300, 450, 1170, 345}));
  for (int skin : {2, -1, 99}) {
    sw.setskin(skin);
    EXPECT_EQ(sw.skinSet(), 2);
    EXPECT_EQ(sw.place(), (ui::Rect{300, 450, 540, 240})) << skin;
  }
  sw.setskin(1);
  EXPECT_EQ(sw.place(), (ui::Rect{300, 450, 1110, 360}));
  int drawn = repaints;
  sw.setWidth(5000);  // the host cannot resize it, and nothing is repainted
  sw.setLeft(60);
  EXPECT_EQ(sw.place(), (ui::Rect{60, 450, 1110, 360}));
  EXPECT_EQ(repaints, drawn);
  EXPECT_TRUE(events.empty());
}

TEST_F(SwitchTest, LoadStoredAppliesValueThenEnableThenSkin) {
  Events order;
  sw.Click = [&](bool v) {
    order.push_back(std::string(v ? "1" : "0") + (sw.Enable() ? " enabled" : " disabled") +
                    " skin " + std::to_string(sw.skin()));
  };
  sw.loadStored(false, false, 1);
  EXPECT_EQ(order, (Events{"0 enabled skin 0"}));
  EXPECT_EQ(sw.frameIndex(), 7);
  EXPECT_EQ(sw.place().width, 1110);
  sw.loadStored(std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(order.back(), "1 disabled skin 1");
  EXPECT_TRUE(sw.Enable());
  EXPECT_EQ(sw.skin(), 0);
}

}  // namespace
