// The on/off switch's state machine: frames, events, hover poll, presses, skins and sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/SafeSwitch.h"

namespace {

using controls::SafeSwitch;

struct RecordingView : ui::ControlView {
  std::vector<ui::Property> updates;
  void update(ui::Property p) override { updates.push_back(p); }
  int repaints() const {
    int n = 0;
    for (auto p : updates) n += p == ui::Property::Value;
    return n;
  }
};

struct SwitchTest : ::testing::Test {
  SafeSwitch sw{"SafeSwitch1"};
  RecordingView view;
  std::vector<std::string> events;

  void SetUp() override {
    sw.attachView(&view);
    sw.Click = [this](bool v) { events.push_back(v ? "Click(1)" : "Click(0)"); };
    sw.MouseIn = [this] { events.push_back("MouseIn"); };
    sw.MouseOut = [this] { events.push_back("MouseOut"); };
  }
};

TEST_F(SwitchTest, AssigningValueAlwaysRepaintsAndRaisesClick) {
  sw.setValue(true);
  sw.setValue(true);
  sw.setValue(false);
  EXPECT_EQ(events, (std::vector<std::string>{"Click(1)", "Click(1)", "Click(0)"}));
  EXPECT_EQ(view.repaints(), 3);
  EXPECT_EQ(sw.frameIndex(), 4);
}

TEST_F(SwitchTest, PollRaisesHoverEventsOnlyOnChange) {
  sw.poll(true);
  EXPECT_EQ(sw.frameIndex(), 1);
  sw.poll(true);  // no change: nothing drawn
  int drawn = view.repaints();
  sw.poll(false);
  EXPECT_EQ(sw.frameIndex(), 0);
  EXPECT_EQ(view.repaints(), drawn + 1);
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn", "MouseOut"}));

  sw.setValue(false);
  sw.poll(true);
  EXPECT_EQ(sw.frameIndex(), 5);
}

TEST_F(SwitchTest, PressAndReleaseInsideToggles) {
  sw.poll(true);
  sw.buttonDown(ui::kLeftButton);
  EXPECT_EQ(sw.frameIndex(), 2);
  EXPECT_FALSE(sw.pendingValue());
  sw.buttonUp(ui::kLeftButton);
  EXPECT_FALSE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 5);

  sw.buttonDown(ui::kLeftButton);
  EXPECT_EQ(sw.frameIndex(), 6);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_TRUE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 1);
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn", "Click(0)", "Click(1)"}));
}

TEST_F(SwitchTest, ReleaseAfterThePollSawThePointerLeaveChangesNothing) {
  sw.poll(true);
  sw.buttonDown(ui::kLeftButton);
  sw.poll(false);
  EXPECT_EQ(sw.frameIndex(), 0);  // the pressed frame gives way even with the button held
  sw.buttonUp(ui::kLeftButton);
  EXPECT_TRUE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn", "MouseOut"}));
}

TEST_F(SwitchTest, PressAndReleaseBeforeTheFirstPollChangeNothing) {
  sw.buttonDown(ui::kLeftButton);
  EXPECT_EQ(sw.frameIndex(), 2);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_TRUE(sw.Value());
  EXPECT_TRUE(events.empty());
}

TEST_F(SwitchTest, PressBeforeTheFirstPollStillTogglesAfterIt) {
  sw.buttonDown(ui::kLeftButton);
  sw.poll(true);
  EXPECT_EQ(sw.frameIndex(), 1);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_FALSE(sw.Value());
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn", "Click(0)"}));
}

TEST_F(SwitchTest, RightAndMiddleButtonsAreIgnored) {
  sw.poll(true);
  for (int button : {ui::kRightButton, ui::kMiddleButton}) {
    sw.buttonDown(button);
    sw.buttonUp(button);
  }
  EXPECT_TRUE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 1);
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn"}));
}

TEST_F(SwitchTest, ReleaseWithoutAPressOnTheSwitchChangesNothing) {
  // A drag that starts elsewhere and ends over the switch.
  sw.poll(true);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_TRUE(sw.Value());
  // And a second release after a completed toggle does not toggle again.
  sw.buttonDown(ui::kLeftButton);
  sw.buttonUp(ui::kLeftButton);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_FALSE(sw.Value());
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn", "Click(0)"}));
}

TEST_F(SwitchTest, DisabledSwitchIgnoresClicksAndHover) {
  sw.setEnable(false);
  EXPECT_EQ(sw.frameIndex(), 3);
  sw.poll(true);
  sw.buttonDown(ui::kLeftButton);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_TRUE(sw.Value());
  EXPECT_EQ(sw.frameIndex(), 3);
  EXPECT_FALSE(sw.hovering());
  EXPECT_TRUE(events.empty());

  sw.setValue(false);
  EXPECT_EQ(sw.frameIndex(), 7);
}

TEST_F(SwitchTest, ReEnablingWhileHoveringShowsThePointerInsideFrame) {
  sw.poll(true);
  sw.setEnable(false);
  sw.poll(false);  // ignored: Hovering stays as it was
  EXPECT_TRUE(sw.hovering());
  sw.setEnable(true);
  EXPECT_EQ(sw.frameIndex(), 1);
  sw.poll(false);
  EXPECT_EQ(sw.frameIndex(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"MouseIn", "MouseOut"}));
}

TEST_F(SwitchTest, PressInterruptedByDisablingDoesNotCompleteLater) {
  sw.poll(true);
  sw.buttonDown(ui::kLeftButton);
  sw.setEnable(false);
  sw.setEnable(true);
  sw.buttonUp(ui::kLeftButton);
  EXPECT_TRUE(sw.Value());
}

TEST_F(SwitchTest, EveryOtherSkinGivesTheSmallSetAndResizesAtOnce) {
  sw.setPlace({300, 450, 0, 0});
  EXPECT_EQ(sw.place(), (ui::Rect{300, 450, 1170, 345}));
  for (int skin : {2, -1, 99}) {
    sw.setskin(skin);
    EXPECT_EQ(sw.skin(), skin);
    EXPECT_EQ(sw.skinSet(), 2);
    EXPECT_EQ(sw.frameSize(), (ui::Size{36, 16}));
    EXPECT_EQ(sw.place(), (ui::Rect{300, 450, 540, 240})) << skin;
  }
  sw.setskin(1);
  EXPECT_EQ(sw.place(), (ui::Rect{300, 450, 1110, 360}));
  EXPECT_EQ(sw.frameSize(), (ui::Size{74, 24}));
  EXPECT_TRUE(events.empty());  // a skin change raises nothing
}

TEST_F(SwitchTest, HostResizeReturnsToTheSkinSizeWithoutRepainting) {
  int drawn = view.repaints();
  sw.setWidth(5000);
  sw.setHeight(10);
  sw.setLeft(60);
  EXPECT_EQ(sw.place(), (ui::Rect{60, 0, 1170, 345}));
  EXPECT_EQ(view.repaints(), drawn);
}

TEST_F(SwitchTest, LoadStoredAppliesValueThenEnableThenSkin) {
  std::vector<std::string> order;
  sw.Click = [&](bool v) {
    order.push_back(std::string("Click ") + (v ? "1" : "0") + " enable " +
                    (sw.Enable() ? "1" : "0") + " skin " + std::to_string(sw.skin()));
  };
  sw.loadStored(false, false, 1);
  EXPECT_EQ(order, (std::vector<std::string>{"Click 0 enable 1 skin 0"}));
  EXPECT_FALSE(sw.Enable());
  EXPECT_EQ(sw.frameIndex(), 7);
  EXPECT_EQ(sw.place().width, 1110);

  SafeSwitch fresh{"fresh"};
  bool clicked = false;
  fresh.Click = [&](bool v) { clicked = v; };
  fresh.loadStored(std::nullopt, std::nullopt, std::nullopt);  // defaults
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(fresh.Enable());
  EXPECT_EQ(fresh.skin(), 0);
  EXPECT_EQ(fresh.frameIndex(), 0);
}

TEST_F(SwitchTest, SettingValueWhileHoveringShowsThePointerInsideFrameOfTheNewValue) {
  sw.poll(true);
  sw.setValue(false);
  EXPECT_EQ(sw.frameIndex(), 5);
}

}  // namespace
