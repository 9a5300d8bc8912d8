#include <gtest/gtest.h>

#include "Fakes.h"
#include "colour/Backlight.h"

namespace {

using colour::Outcome;

TEST(Backlight, PercentMapsToEachMonitorsOwnScaleRounded) {
  for (auto [percent, maximum, value] : {std::tuple{40, 100, 40},
                                         {40, 50, 20},
                                         {33, 75, 25},
                                         {1, 50, 1},
                                         {100, 255, 255},
                                         {0, 80, 0},
                                         {150, 80, 80}})
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
  q.done("a");
  EXPECT_EQ(q.next(), std::nullopt);
}

TEST(Backlight, KeysMoveTheBacklightFirstAndTheRampBelowIt) {
  struct Row {
    int backlight, gamma;
    bool darker, answers;
    int newBacklight, newGamma;
  };
  for (const Row& r : {Row{40, 0, true, true, 30, 0},
                       {5, 0, true, true, 0, 0},
                       {0, 0, true, true, 0, -5},
                       {0, -50, true, true, 0, -50},
                       {0, -5, false, true, 0, 0},
                       {0, -3, false, true, 0, 0},
                       {0, 0, false, true, 10, 0},
                       {95, 0, false, true, 100, 0},
                       {100, 0, false, true, 100, 5},
                       {60, 10, true, true, 60, 5},
                       {40, 0, true, false, 40, -5},
                       {40, 50, false, false, 40, 50}}) {
    const colour::Brightness b =
        colour::brightnessStep({r.backlight, r.gamma}, r.darker, r.answers);
    EXPECT_EQ(b.backlight, r.newBacklight) << r.backlight << "/" << r.gamma << " " << r.darker;
    EXPECT_EQ(b.gamma, r.newGamma) << r.backlight << "/" << r.gamma << " " << r.darker;
  }
}

struct Monitors : colour::MonitorControl {
  std::vector<std::string> calls;
  void list(int delay) override { calls.push_back("list " + std::to_string(delay)); }
  void send(const std::string& id, int v) override {
    calls.push_back(id + "=" + std::to_string(v));
  }
};

struct BacklightTest : ::testing::Test {
  fakes::ProfileStore store;
  fakes::Shell shell;
  settings::Ini ini{store, shell};
  ui::Slider slider{"s"};
  ui::Label percent{"p"}, status{"t"};
  Monitors monitors;
  colour::Backlight b{{slider, percent, status}, monitors, ini};
  BacklightTest() { b.connect(); }
  std::string stored(const std::string& key) { return store.values[{"backlight", key}]; }
};

TEST_F(BacklightTest, OriginalStoredBeforeTheFirstChangeAndGivenBackWhenEyeCareGoesOff) {
  store.values[{"backlight", "level"}] = "40";
  b.load();  // a stored level asks the monitors at start
  b.eyeCare(true);
  EXPECT_EQ(monitors.calls, std::vector<std::string>{"list 0"});
  monitors.Listed({{"D1 A", 70, 100}, {"D2 B", 30, 50}});
  EXPECT_EQ(stored("was D1 A"), "70");
  EXPECT_EQ(stored("was D2 B"), "30");
  EXPECT_EQ(b.tipLine(), "Backlight 40 %");
  b.setLevel(60);
  EXPECT_EQ(stored("was D1 A"), "70");  // the first value stays
  monitors.Sent("D1 A", 60, Outcome::Done);
  b.eyeCare(false);
  EXPECT_EQ(std::vector(monitors.calls.end() - 2, monitors.calls.end()),
            (std::vector<std::string>{"D1 A=70", "D2 B=30"}));
  EXPECT_EQ(b.tipLine(), "");
  monitors.Sent("D1 A", 70, Outcome::Done);  // back: the next change stores it afresh
  EXPECT_FALSE(store.values.contains({"backlight", "was D1 A"}));
  EXPECT_EQ(stored("was D2 B"), "30");  // not confirmed yet: kept for the next chance
  EXPECT_EQ(b.storedEntry()->value, "60");
}

TEST_F(BacklightTest, GreyedWithItsReasonWhenNoneAnswersAndAMonitorThatLiesIsNamed) {
  EXPECT_FALSE(b.storedEntry());  // no level: nothing is asked and nothing stored
  EXPECT_TRUE(monitors.calls.empty());
  b.use();
  monitors.Listed({});
  EXPECT_FALSE(slider.enabled());
  EXPECT_EQ(status.text(), colour::kNoDdcStatus);
  EXPECT_EQ(slider.accessName(), std::string("Backlight: ") + colour::kNoDdcStatus);
  b.eyeCare(true);
  b.displayChanged();
  monitors.Listed({{"D1 A", 25, 50}});
  EXPECT_TRUE(slider.enabled());
  EXPECT_EQ(percent.text(), "50 %");  // what the monitor holds, sent nowhere
  EXPECT_EQ(monitors.calls, (std::vector<std::string>{"list 0", "list 1500"}));
  b.setLevel(20);
  monitors.Sent("D1 A", 10, Outcome::Ignored);
  EXPECT_EQ(status.text(), "D1 A reports success but keeps its own brightness.");
}

}  // namespace
