#include <gtest/gtest.h>

#include "Fakes.h"
#include "colour/Backlight.h"

namespace {

TEST(Backlight, PercentMapsToEachMonitorsOwnScaleRounded) {
  for (auto [percent, maximum, value] :
       {std::tuple{40, 50, 20}, {33, 75, 25}, {1, 50, 1}, {100, 255, 255}, {150, 80, 80}})
    EXPECT_EQ(colour::toMonitor(percent, maximum), value) << percent << " of " << maximum;
  EXPECT_EQ(colour::toPercent(25, 75), 33);
  EXPECT_EQ(colour::toPercent(5, 0), 0);  // a monitor that lies about its maximum
}

TEST(Backlight, OneExchangeInFlightPerMonitorAndTheLatestValueWins) {
  colour::LatestWins q;
  q.want("a", 10);
  EXPECT_EQ(q.next(), (std::pair<std::string, int>{"a", 10}));
  for (int v : {20, 30, 40}) q.want("a", v);  // quick presses during a slow exchange
  q.want("b", 5);
  EXPECT_EQ(q.next(), (std::pair<std::string, int>{"b", 5}));  // a is still in flight
  EXPECT_EQ(q.next(), std::nullopt);
  q.done("a");
  EXPECT_EQ(q.next(), (std::pair<std::string, int>{"a", 40}));
}

TEST(Backlight, KeysMoveTheBacklightFirstAndTheRampBelowIt) {
  // backlight, gamma, darker, a monitor answers -> backlight, gamma
  for (auto [b, g, darker, answers, b2, g2] : {std::tuple{5, 0, true, true, 0, 0},
                                               {0, 0, true, true, 0, -5},
                                               {0, -50, true, true, 0, -50},
                                               {0, -3, false, true, 0, 0},
                                               {0, 0, false, true, 10, 0},
                                               {95, 0, false, true, 100, 0},
                                               {100, 0, false, true, 100, 5},
                                               {60, 10, true, true, 60, 5},
                                               {40, 0, true, false, 40, -5}}) {
    const colour::Brightness next = colour::brightnessStep({b, g}, darker, answers);
    EXPECT_EQ(std::pair(next.backlight, next.gamma), std::pair(b2, g2)) << b << "/" << g;
  }
}

struct Monitors : colour::MonitorControl {
  std::vector<std::string> calls;
  void list(int delay) override { calls.push_back("list " + std::to_string(delay)); }
  void send(const std::string& id, int v) override {
    calls.push_back(id + "=" + std::to_string(v));
  }
};

TEST(Backlight, GreyedWithItsReasonWhenNoneAnswersAndAMonitorThatLiesIsNamed) {
  fakes::ProfileStore store;
  fakes::Shell shell;
  settings::Ini ini{store, shell};
  ui::Slider slider{"s"};
  ui::Label percent{"p"}, status{"t"};
  Monitors monitors;
  colour::Backlight b{{slider, percent, status}, monitors, ini};
  b.connect();
  b.load();  // no level: nothing is asked and nothing stored
  EXPECT_FALSE(b.storedEntry());
  b.use();
  monitors.Listed({});
  EXPECT_FALSE(slider.enabled());
  EXPECT_EQ(slider.accessName(), std::string("Backlight: ") + colour::kNoDdcStatus);
  b.eyeCare(true);
  b.displayChanged();
  monitors.Listed({{"D1 A", 25, 50}});
  EXPECT_TRUE(slider.enabled());
  EXPECT_EQ(percent.text(), "50 %");  // what the monitor holds, sent nowhere
  b.setLevel(20);
  EXPECT_EQ(monitors.calls, (std::vector<std::string>{"list 0", "list 1500", "D1 A=10"}));
  monitors.Sent("D1 A", 10, colour::Outcome::Ignored);
  EXPECT_EQ(status.text(), "D1 A reports success but keeps its own brightness.");
}

}  // namespace
