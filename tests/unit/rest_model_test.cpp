// The rest engine driven through random, seeded sequences of everything that can happen to it,
// with its invariants checked after every event. A failing sequence prints its seed and event.
#include <chrono>
#include <random>

#include "rest/Holds.h"
#include "rest_fixture_test.h"
#include "settings/Values.h"

namespace {

using S = rest::Stage;

struct Model : RestFixture {
  bool outside = false;  // working hours
  std::int64_t breakFrom = -1;
  int idleSeconds = 0;   // one-second wakes in a row that nothing needed
  bool planned = false;  // the last event was a wake as planned
  void TestBody() override {}
  explicit Model(unsigned seed) {
    rest.outsideHoursUntil = [this](const ui::LocalTime& now) -> std::optional<long long> {
      if (!outside) return std::nullopt;
      return rest::absoluteMinute(now) + 60;
    };
    Text2.setText(std::to_string(1 + seed % 6));  // prompts often, short breaks between some
    Text3.setText("2");
    breakEvery.setText("1");
    breakSeconds.setText("10");
    clock.busyWith = ui::Busy::Call;
    rest.setok_Click(1);
    switchOn();
  }

  // One event of the kind given; true when it was a tick (kinds 0 to 3).
  bool act(int kind, std::mt19937& random) {
    const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
    switch (kind) {
      case 0:
        clock.advance(1 + pick(3));
        break;
      case 1:
        clock.advance(Timer1.interval() / 1000);  // as planned
        break;
      case 2:
        clock.advance(5 + pick(50));  // a late tick
        break;
      case 3:
        clock.advance(120 + pick(4 * 3600));  // asleep, or the clock moved on
        break;
      case 4:
        rest.pause(pick(2) ? rest::PauseFor::HalfHour : rest::PauseFor::Tomorrow);
        break;
      case 5:
        rest.pause(1 + pick(3));
        break;
      case 6:
        rest.resume();
        break;
      case 7:
        rest.restNow();
        break;
      case 8:
        rest.later();
        break;
      case 9:
        rest.decline();
        break;
      case 10:
        clock.busy = !clock.busy;
        break;
      case 11:
        SafeSwitch2.setValue(!SafeSwitch2.Value());
        break;
      case 12:
        outside = !outside;
        rest.hoursChanged();
        break;
      case 13:
        rest.monitorsChanged();
        break;
      case 14:
        rest.sessionLocked(pick(2) == 0);
        break;
      case 15:
        if (clock.lastInput)
          clock.comeBack();
        else
          clock.leave();
        break;
      case 16:
        if (rest.shortBreak()) rest.shortBreak()->Label1.Click();
        break;
      case 17:
        if (rest.restScreen()) rest.restScreen()->imgclose.Click();
        break;
      default:
        if (rest.prompt()) rest.prompt()->Label2.Click();
        break;
    }
    planned = kind == 1;
    if (kind > 3) return false;
    Timer1.Tick();
    return true;
  }

  // What must hold after every event.
  void check(S before, bool ticked) {
    const S stage = rest.stage();
    const bool screens = !rest.restScreens().empty();
    ASSERT_LE(int(rest.prompt() != nullptr) + int(rest.shortBreak() != nullptr) + int(screens), 1);
    ASSERT_EQ(rest.prompt() != nullptr, stage == S::Prompt);
    ASSERT_EQ(rest.shortBreak() != nullptr, stage == S::ShortBreak);
    ASSERT_EQ(screens, stage == S::Resting);
    ASSERT_EQ(rest.restCounting() == 1, stage == S::Resting) << "a rest screen always counts down";
    const bool quiet = stage == S::Off || stage == S::Paused || stage == S::OutsideHours;
    const bool paused = store.values.contains({"dsxx", "paused_until"});
    if (stage != S::Resting) {
      ASSERT_EQ(stage == S::Off, !SafeSwitch2.Value());
      ASSERT_EQ(stage == S::Paused, SafeSwitch2.Value() && paused);
      ASSERT_EQ(stage == S::OutsideHours, SafeSwitch2.Value() && !paused && outside);
    }
    if (quiet || stage == S::Working || stage == S::Resting)
      ASSERT_TRUE(dims.empty() || dims.back() == 100) << "dimmed";
    // (A due moment a second away is not: a minute boundary, a short break, idle becoming a rest.)
    const bool second = Timer1.interval() == 1000;
    const bool needs = stage == S::Resting || stage == S::ShortBreak || stage == S::Prompt ||
                       stage == S::Held || stage == S::Warning;
    idleSeconds = second && !needs ? idleSeconds + int(planned) : 0;
    ASSERT_LT(idleSeconds, 3) << "a one-second timer with nothing to count";
    // A pause ends in the minute it was set to end in, not a minute late.
    if (stage == S::Paused && ticked)
      ASSERT_LT(rest::absoluteMinute(clock.time),
                rest::parseMoment(store.at("dsxx", "paused_until")));
    // A short break lasts its seconds, unless something else ended it.
    if (stage == S::ShortBreak && before != S::ShortBreak) {
      ASSERT_EQ(before, S::Working) << "a short break only in plain working time";
      breakFrom = clock.monotonic;
    }
    if (before == S::ShortBreak && stage == S::Working && ticked)
      ASSERT_GE(clock.monotonic - breakFrom, 10'000) << "a short break ended early";
    // The tip and /status follow the stage.
    const std::string tip = rest.tip();
    const std::string next = rest.nextRest();
    const auto starts = [&tip](const char* text) { return tip.rfind(text, 0) == 0; };
    switch (stage) {
      case S::Off:
        ASSERT_EQ(tip, "Rest reminders are off");
        ASSERT_EQ(next, "off");
        break;
      case S::Paused:
        ASSERT_TRUE(starts("Reminders paused until "));
        ASSERT_EQ(next, "");
        break;
      case S::OutsideHours:
        ASSERT_TRUE(starts("Reminders start "));  // "at 09:00 Mon", or "tomorrow" at midnight
        break;
      case S::Prompt:
        ASSERT_EQ(tip, "Rest now");
        break;
      case S::ShortBreak:
        ASSERT_EQ(tip, "Short break");
        break;
      case S::Resting:
        ASSERT_TRUE(starts("Resting until "));
        break;
      case S::Held:
        ASSERT_EQ(tip, "Rest due after the call");
        break;
      case S::Away:
        ASSERT_EQ(tip, "Away: counted as a rest");
        break;
      default:
        ASSERT_EQ(tip, "Next rest at " + Text1.text());
        ASSERT_EQ(next, Text1.text());
    }
  }
};

// At least 100,000 sequences of up to 50 events each, in a few seconds.
TEST(RestModel, NoOrderOfEventsBreaksTheStages) {
  const auto started = std::chrono::steady_clock::now();
  long events = 0;
  long reached[11] = {};
  constexpr unsigned kSequences = 100'000;
  for (unsigned seed = 0; seed < kSequences; ++seed) {
    std::mt19937 random(seed);
    Model m(seed);
    const int length = 1 + static_cast<int>(random() % 50);
    for (int n = 0; n < length; ++n, ++events) {
      // Time passes most often; every other event now and then.
      const int kind =
          random() % 3 ? static_cast<int>(random() % 3) : static_cast<int>(random() % 19);
      const S before = m.rest.stage();
      const bool ticked = m.act(kind, random);
      m.host.run();
      SCOPED_TRACE("seed " + std::to_string(seed) + ", event " + std::to_string(n) + ": " +
                   std::to_string(kind));
      m.check(before, ticked);
      ++reached[int(m.rest.stage())];
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%u sequences, %ld events, %.2f s\n", kSequences, events, seconds);
  for (long r : reached) EXPECT_GT(r, 0) << "a stage never reached";
}

// The faults found by hand, each first reproduced against the engine before its stages.
struct RestFaults : RestFixture {
  void toShortBreak() {
    switchOn();
    for (int i = 0; i < 3000 && !rest.shortBreak(); ++i) tick();
    ASSERT_NE(rest.shortBreak(), nullptr);
  }
};
TEST_F(RestFaults, F1_PauseDuringShortBreakIsAPause) {
  toShortBreak();
  rest.pause(rest::PauseFor::HalfHour);
  EXPECT_EQ(rest.shortBreak(), nullptr);
  EXPECT_EQ(rest.tip().rfind("Reminders paused", 0), 0u) << rest.tip();
}
TEST_F(RestFaults, F2_RestWithRemindersOffCountsDown) {
  switchOn();
  SafeSwitch2.setValue(false);
  rest.restNow();
  tick(5);
  ASSERT_NE(rest.restScreen(), nullptr);
  EXPECT_NE(caption(), "Start");
}
TEST_F(RestFaults, F3_RestDuringShortBreakEndsIt) {
  toShortBreak();
  rest.restNow();
  EXPECT_EQ(rest.shortBreak(), nullptr);
}
TEST_F(RestFaults, F4_RemindersOffWhileHeldStopsTheSecondTimer) {
  switchOn();
  clock.busy = true;
  tickUntil(14, 52, 5);
  SafeSwitch2.setValue(false);
  tick(10);
  EXPECT_NE(Timer1.interval(), 1000);
}
TEST_F(RestFaults, F5_PromptGoesDuringACall) {
  switchOn();
  tickUntil(14, 52, 1);
  ASSERT_NE(rest.prompt(), nullptr);
  clock.busy = true;
  clock.busyWith = ui::Busy::Call;
  tick(3);
  EXPECT_EQ(rest.prompt(), nullptr);
}
TEST(RestFaultsHolds, F6_StaleStoreAppEntryHoldsNothing) {
  EXPECT_FALSE(rest::inCall({"Talk_8wekyb3d8bbwe", true, 0, false, 3'600'000}));
}
TEST_F(RestFaults, F7_PausedUntilTomorrowSaysTomorrow) {
  switchOn();
  rest.pause(rest::PauseFor::Tomorrow);
  EXPECT_EQ(rest.tip(), "Reminders paused until tomorrow");
  EXPECT_EQ(Label4.text() + " " + Label5.text(), "PAUSED UNTIL tomorrow");
}
TEST_F(RestFaults, F8_ShortBreakTipAndUnit) {
  toShortBreak();
  EXPECT_EQ(rest.tip(), "Short break");
  EXPECT_EQ(rest.shortBreak()->Label2.text(), "20 seconds");
}
}  // namespace
