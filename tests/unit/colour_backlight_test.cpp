#include <gtest/gtest.h>

#include <array>

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

TEST(Backlight, KeysMoveEveryDisplaysBacklightFirstAndTheRampOnlyWhereNoneCanMove) {
  struct Row {
    std::vector<int> levels;  // each answering display's; none: only the ramp moves
    int gamma;
    bool darker;
    std::vector<int> after;
    int gammaAfter;
  };
  for (Row r :
       {Row{{5}, 0, true, {0}, 0}, Row{{0}, 0, true, {0}, -5}, Row{{0}, -50, true, {0}, -50},
        Row{{0}, -3, false, {0}, 0}, Row{{0}, 0, false, {10}, 0}, Row{{95}, 0, false, {100}, 0},
        Row{{100}, 0, false, {100}, 5}, Row{{60}, 10, true, {60}, 5}, Row{{}, 0, true, {}, -5},
        Row{{40, 0}, 0, true, {30, 0}, 0}, Row{{0, 0}, 0, true, {0, 0}, -5},
        Row{{100, 60}, 0, false, {100, 70}, 0}, Row{{100, 100}, 0, false, {100, 100}, 5},
        Row{{50, 5}, -10, false, {50, 5}, -5}}) {
    const int gamma = colour::stepDisplays(r.levels, r.gamma, r.darker);
    EXPECT_EQ(std::pair(r.levels, gamma), std::pair(r.after, r.gammaAfter))
        << r.gamma << (r.darker ? " darker" : " brighter");
  }
}

struct Monitors : colour::MonitorControl {
  std::vector<std::string> calls;
  void list(int delay) override { calls.push_back("list " + std::to_string(delay)); }
  void send(const std::string& id, int v) override {
    calls.push_back(id + "=" + std::to_string(v));
  }
};

TEST(Backlight, EveryMeansAnswersBeforeTheListingAndAValueGoesOnlyToItsOwn) {
  Monitors panel;
  Monitors ddc;
  colour::AllMonitors all({&panel, &ddc});
  std::vector<std::string> listed;
  all.Listed = [&](const std::vector<colour::MonitorState>& m) {
    for (const colour::MonitorState& s : m) listed.push_back(s.id);
  };
  all.list(1500);
  EXPECT_EQ(ddc.calls, std::vector<std::string>{"list 1500"});
  ddc.Listed({{"Fake 0"}});
  EXPECT_TRUE(listed.empty());  // the panel has not answered yet
  panel.Listed({{"Built-in display"}});
  EXPECT_EQ(listed, (std::vector<std::string>{"Built-in display", "Fake 0"}));
  all.send("Fake 0", 30);
  all.send("Gone", 30);
  EXPECT_EQ(ddc.calls.back(), "Fake 0=30");
  EXPECT_EQ(panel.calls, std::vector<std::string>{"list 1500"});
}

struct BacklightTest : ::testing::Test {
  fakes::ProfileStore store;
  fakes::Shell shell;
  settings::Ini ini{store, shell};
  ui::Label caption{"c"};
  ui::Slider slider{"s"};
  ui::Label percent{"p"};
  ui::Label status{"t"};
  ui::Timer wait{"w"};
  ui::Label sameCaption{"sc"};
  controls::SafeSwitch same{"same"};
  std::array<ui::Label, 2> names{ui::Label{"n", 0}, ui::Label{"n", 1}};
  std::array<ui::Slider, 2> sliders{ui::Slider{"d", 0}, ui::Slider{"d", 1}};
  std::array<ui::Label, 2> percents{ui::Label{"dp", 0}, ui::Label{"dp", 1}};
  Monitors monitors;
  std::optional<colour::Backlight> b;

  // A start: the stored settings read, eye care as stored.
  colour::Backlight& start(bool eyeOn) {
    const std::vector<colour::DisplayRow> rows{{&names[0], &sliders[0], &percents[0]},
                                               {&names[1], &sliders[1], &percents[1]}};
    b.emplace(
        colour::BacklightControls{caption, slider, percent, status, wait, sameCaption, same, rows},
        monitors, ini);
    b->connect();
    b->load();
    b->eyeCare(eyeOn);
    return *b;
  }
  std::string stored(const std::string& key) {
    auto it = store.values.find({"backlight", key});
    return it == store.values.end() ? "" : it->second;
  }
  std::string lastCall() { return monitors.calls.empty() ? "" : monitors.calls.back(); }
};

TEST_F(BacklightTest, GreyedWithItsReasonOnlyOnceAskedAndAMonitorThatLiesIsNamed) {
  start(false);  // no level: nothing is asked and nothing stored
  EXPECT_TRUE(b->storedEntries().empty());
  EXPECT_EQ(status.text(), "");  // not asked yet: no verdict
  b->askMonitors();
  EXPECT_EQ(percent.text(), "");  // asked, no answer yet: no "0 %" no monitor holds
  monitors.Listed({});
  EXPECT_FALSE(slider.enabled());
  EXPECT_EQ(percent.text(), "");
  EXPECT_EQ(slider.accessName(), std::string("Backlight: ") + colour::kNoDdcStatus);
  b->eyeCare(true);
  b->displayChanged();
  monitors.Listed({{"A", 1, 25, 50}});
  EXPECT_TRUE(slider.enabled());
  EXPECT_EQ(percent.text(), "50 %");  // what the monitor holds, sent nowhere
  b->setLevel(20);
  EXPECT_EQ(monitors.calls, (std::vector<std::string>{"list 0", "list 1500", "A=10"}));
  monitors.Sent("A", 10, colour::Outcome::Ignored);
  EXPECT_EQ(status.text(), "A reports success but keeps its own brightness.");
}

TEST_F(BacklightTest, StoredLevelsAreSentAndTheOwnValueKeptWhateverTheMonitorReports) {
  store.values[{"backlight", "level"}] = "0";
  start(true);
  EXPECT_EQ(slider.value(), 0);
  monitors.Listed({{"A=1", 1, 150, 100}, {"B", 2, 30, 50}});
  EXPECT_EQ(slider.value(), 0);  // the stored level, not what the monitor holds
  EXPECT_EQ(monitors.calls, (std::vector<std::string>{"list 0", "A=1=0", "B=0"}));
  EXPECT_EQ(stored("was A_1"), "150");  // a "=" in its name does not end the key
  EXPECT_EQ(b->tipLine(), "Backlight 0 %");
  b->eyeCare(false);
  EXPECT_EQ(monitors.calls.at(3), "A=1=150");  // its own 150, though it claims a maximum of 100
  monitors.Sent("A=1", 150, colour::Outcome::Done);
  EXPECT_EQ(stored("was A_1"), "");
  EXPECT_EQ(stored("owed"), "was B");
  // Eye care on again sends the level, never the stored own value.
  b->eyeCare(true);
  EXPECT_EQ(lastCall(), "B=0");
  EXPECT_EQ(stored("was A_1"), "150");
}

TEST_F(BacklightTest, TheOwnValueOutlivesAGiveBackCutShortAndComesBackAtTheNextStart) {
  store.values[{"backlight", "level"}] = "40";
  start(true);
  monitors.Listed({{"A", 1, 70, 100}});
  EXPECT_EQ(lastCall(), "A=40");
  b->eyeCare(false);  // while 40 is in flight
  EXPECT_EQ(lastCall(), "A=70");
  monitors.Sent("A", 40, colour::Outcome::Done);  // the level ends after eye care went off
  EXPECT_EQ(stored("was A"), "70");
  monitors.Sent("A", 70, colour::Outcome::Failed);  // and the give-back fails
  EXPECT_EQ(stored("was A"), "70");
  // Next start, eye care off and no level stored (killed before any save): still owed.
  store.values.erase({"backlight", "level"});
  monitors.calls.clear();
  start(false);
  EXPECT_EQ(monitors.calls, (std::vector<std::string>{"list 0"}));
  monitors.Listed({{"A", 1, 40, 100}});
  EXPECT_EQ(lastCall(), "A=70");
  EXPECT_EQ(b->tipLine(), "");
  monitors.Sent("A", 70, colour::Outcome::Done);
  EXPECT_EQ(stored("was A"), "");
  EXPECT_EQ(stored("owed"), "");
}

TEST_F(BacklightTest, EachDisplayItsOwnLevelKeptByItsNameWhenTheNumbersChange) {
  store.values[{"backlight", "level"}] = "50";
  start(true);
  monitors.Listed({{"Dell", 1, 50, 100}, {"Built-in display", 2, 20, 50}});
  same.setValue(false);  // each display its own row, at the level they shared
  EXPECT_EQ(names[1].text(), "Built-in display");
  sliders[1].setValue(30);
  EXPECT_EQ(lastCall(), "Built-in display=15");
  EXPECT_EQ(b->step(true, 0), 0);  // a key: each display one step
  EXPECT_EQ(b->tipLine(), "Backlight 40 %, 20 %");
  store.write(b->storedEntries());
  start(true);  // the displays swapped numbers
  monitors.Listed({{"Built-in display", 1, 10, 50}, {"Dell", 2, 70, 100}});
  EXPECT_EQ(b->levels(),
            (std::vector<std::pair<std::string, int>>{{"Built-in display", 20}, {"Dell", 40}}));
  EXPECT_EQ(sliders[0].value(), 20);
  same.setValue(true);  // every display again at the common slider's level
  EXPECT_EQ(b->tipLine(), "Backlight 50 %");
  EXPECT_TRUE(slider.visible() && !sliders[0].visible());
}

TEST_F(BacklightTest, BackPutsTheLevelWhereItWasAndAKeyWaitsForTheFirstAnswer) {
  store.values[{"backlight", "level"}] = "40";
  start(true);
  int pressed = 0;
  b->afterListing([&pressed] { ++pressed; });
  EXPECT_EQ(pressed, 0);
  EXPECT_TRUE(wait.running());
  monitors.Listed({{"A", 1, 70, 100}});
  EXPECT_EQ(pressed, 1);
  EXPECT_FALSE(wait.running());
  b->panelOpened();
  b->setLevel(90);
  EXPECT_EQ(lastCall(), "A=90");
  b->panelBack();
  EXPECT_EQ(lastCall(), "A=40");
  EXPECT_EQ(slider.value(), 40);
  // A monitor that never answers: the key moves the ramp after the wait.
  start(true);
  b->afterListing([&pressed] { ++pressed; });
  wait.Tick();
  EXPECT_EQ(pressed, 2);
  b->afterListing([&pressed] { ++pressed; });
  EXPECT_EQ(pressed, 3);
  monitors.Listed({});
  EXPECT_EQ(b->tipLine(), "");  // a level stored, eye care on, but no monitor takes it
}

}  // namespace
