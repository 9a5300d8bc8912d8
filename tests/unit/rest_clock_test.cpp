#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rest/Holds.h"
#include "rest_fixture_test.h"
#include "settings/Values.h"

namespace {

using RestClock = RestFixture;

TEST_F(RestClock, PromptsOnTheFirstTickOfTheDueMinuteAndOnlyOnce) {
  switchOn();  // 14:07:30, M = 45
  ASSERT_EQ(Text1.text(), "14:52");
  tickUntil(14, 51, 59);
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(rest.Pdtipshow(), 0);

  tick();  // 14:52:00
  ASSERT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(rest.prompt()->Label1.text(), "Let's take a 5 minute rest");
  EXPECT_TRUE(rest.prompt()->visible());
  EXPECT_EQ(rest.Pdtipshow(), 1);

  // Left unanswered: the rest of the minute, and the same time of day tomorrow, show no second one.
  rest::PromptWindow* first = rest.prompt();
  tick(59);
  tickUntil(14, 52, 30);  // a day later
  EXPECT_EQ(rest.prompt(), first);
  EXPECT_EQ(formsCreated("Form2"), 1);
}

TEST_F(RestClock, DoNotStartsANewWorkingPeriodFromTheCurrentMinute) {
  switchOn();
  tickUntil(14, 52, 0);
  tick(10);
  ASSERT_NE(rest.prompt(), nullptr);
  rest.prompt()->Label2.Click();
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(rest.Pdtipshow(), 0);
  EXPECT_EQ(Text1.text(), "15:37");
  EXPECT_EQ(Label5.text(), "15:37");
  host.run();

  tickUntil(15, 36, 59);
  EXPECT_EQ(rest.prompt(), nullptr);
  tick();
  ASSERT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(formsCreated("Form2"), 2);
}

// Time left in seconds as the countdown caption shows it.
int secondsShown(const std::string& caption) {
  int h = -1, m = -1, s = -1;
  EXPECT_EQ(std::sscanf(caption.c_str(), "%d:%d:%d", &h, &m, &s), 3) << caption;
  return h * 3600 + m * 60 + s;
}

struct RestLength : RestFixture, ::testing::WithParamInterface<int> {};

TEST_P(RestLength, ARestOfNMinutesTakesNTimesSixtyTicks) {
  const int n = GetParam();
  Text3.setText(std::to_string(n));
  switchOn();
  tickUntil(14, 52, 0);
  ASSERT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(rest.prompt()->Label1.text(), "Let's take a " + std::to_string(n) + " minute rest");

  rest.prompt()->Label1.Click();
  EXPECT_EQ(rest.prompt(), nullptr);
  ASSERT_NE(rest.restScreen(), nullptr);
  EXPECT_TRUE(rest.restScreen()->visible());
  EXPECT_EQ(caption(), "Start");
  EXPECT_EQ(rest.Pdtipshow(), 1);
  EXPECT_EQ(rest.restCounting(), 1);
  host.run();

  std::vector<std::string> captions;
  for (int t = 1; t < n * 60; ++t) {
    tick();
    ASSERT_NE(rest.restScreen(), nullptr) << "ended early at tick " << t;
    captions.push_back(caption());
    ASSERT_EQ(secondsShown(captions.back()), n * 60 - t) << captions.back();
    // The seconds field runs 60..1, never 0, before the end.
    ASSERT_NE(rest.restSeconds(), 0);
    ASSERT_LE(rest.restSeconds(), 60);
  }
  // Every counting tick but the last copies the countdown panel into the snapshot panel.
  ASSERT_EQ(host.copies.size(), static_cast<std::size_t>(n * 60 - 1));
  EXPECT_EQ(host.copies.front().first->name(), "Picture1");
  EXPECT_EQ(host.copies.front().second->name(), "Picture2");
  const std::string last = captions.back();
  EXPECT_EQ(last, "0:0:1");

  tick();  // tick N*60 ends the rest
  EXPECT_EQ(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.restCounting(), 0);
  EXPECT_EQ(rest.restMinutes() + rest.restSeconds(), 0);
  EXPECT_EQ(rest.Pdtipshow(), 0);
  EXPECT_EQ(shell.sounds, (std::vector{ui::SystemSound::RestStart, ui::SystemSound::RestEnd}));
  const ui::LocalTime end = clock.now();
  EXPECT_EQ(Text1.text(), settings::clockText(end.hour * 60 + end.minute + 45));

  if (n == 1) EXPECT_EQ(captions.front(), "0:0:59");
  if (n == 3) {
    EXPECT_EQ(captions[0], "0:2:59");
    EXPECT_EQ(captions[58], "0:2:1");
    EXPECT_EQ(captions[59], "0:1:60");
    EXPECT_EQ(captions[60], "0:1:59");
    EXPECT_EQ(captions[119], "0:0:60");
    EXPECT_EQ(captions[120], "0:0:59");
  }
  if (n == 60) EXPECT_EQ(captions.front(), "0:59:59");
  if (n == 61) {
    EXPECT_EQ(captions[0], "1:0:59");
    EXPECT_EQ(captions[58], "1:0:1");
    EXPECT_EQ(captions[59], "0:59:60");
  }
  if (n == 121) EXPECT_EQ(captions[59], "1:59:60");

  // Counters stay at zero until the next rest starts.
  tick(5);
  EXPECT_EQ(rest.restCounting(), 0);
  EXPECT_EQ(rest.restSeconds(), 0);
}

INSTANTIATE_TEST_SUITE_P(Minutes, RestLength, ::testing::Values(1, 3, 60, 61, 121));

// A rest asked for runs to its end, reminders switched off or not; nothing else comes then.
TEST_F(RestClock, RemindersOffDuringARestLetItCountDownToItsEnd) {
  Text3.setText("3");
  switchOn();
  tickUntil(14, 52, 0);
  rest.prompt()->Label1.Click();
  tick(70);
  SafeSwitch2.setValue(false);
  tick();
  EXPECT_EQ(caption(), "0:1:49");
  tick(109);
  EXPECT_EQ(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.tip(), "Rest reminders are off");
  EXPECT_EQ(Timer1.interval(), 60'000);
}

TEST_F(RestClock, RemindersOffNeverPrompt) {
  switchOn();
  SafeSwitch2.setValue(false);
  tick(86400 + 120);
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(formsCreated("Form2"), 0);
}

// Closed early, the rest is over: no countdown runs on unseen to move the next rest again.
TEST_F(RestClock, ClosingTheRestScreenEarlyEndsTheRest) {
  Text3.setText("2");
  switchOn();
  tickUntil(14, 52, 0);
  rest.prompt()->Label1.Click();
  tick(30);  // 14:52:30
  rest.restScreen()->imgclose.Click();
  EXPECT_EQ(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.Pdtipshow(), 0);
  EXPECT_EQ(Text1.text(), "15:37");
  EXPECT_EQ(rest.restCounting(), 0);
  tick(120);
  EXPECT_EQ(Text1.text(), "15:37");
}

TEST_F(RestClock, IntervalZeroPromptsOnTheNextTickAndAgainAfterTheRest) {
  Text2.setText("0");
  Text3.setText("1");
  switchOn();
  EXPECT_EQ(Text1.text(), "14:07");
  tick();
  ASSERT_NE(rest.prompt(), nullptr);
  rest.prompt()->Label2.Click();  // Do Not
  host.run();
  tick();
  ASSERT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(formsCreated("Form2"), 2);

  rest.prompt()->Label1.Click();
  tick(60);  // the rest's end closes it, and with M = 0 it is due again at once
  EXPECT_EQ(rest.restCounting(), 0);
  EXPECT_EQ(rest.restScreen(), nullptr);
  tick();
  EXPECT_NE(rest.prompt(), nullptr);
}

TEST_F(RestClock, IntervalZeroSetInTheLastSecondOfAMinuteStillPrompts) {
  Text2.setText("0");
  clock.set(14, 7, 59);
  switchOn();  // next rest 14:07, yet the next tick falls in 14:08
  tick();
  EXPECT_NE(rest.prompt(), nullptr);
}

TEST_F(RestClock, SkipAsLongAsARestStartsANewWorkingPeriod) {
  switchOn();  // N = 5
  tickUntil(14, 51, 50);
  clock.advance(299);
  Timer1.Tick();  // asleep through the due minute 14:52
  EXPECT_NE(rest.prompt(), nullptr) << "a gap shorter than the rest still prompts";
  EXPECT_EQ(rest.Pdtipshow(), 1);
  rest.prompt()->Label2.Click();
  host.run();

  ASSERT_EQ(Text1.text(), "15:41");  // Do Not at 14:56
  clock.set(15, 40, 50);
  Timer1.Tick();
  clock.advance(300);
  Timer1.Tick();
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(Text1.text(), "16:30");  // 15:45 + 45
  EXPECT_EQ(Label5.text(), "16:30");
}

TEST_F(RestClock, SkipAcrossMidnightAndOverDays) {
  clock.set(23, 25, 0);
  switchOn();
  ASSERT_EQ(Text1.text(), "00:10");
  tickUntil(23, 59, 58);
  clock.advance(14 * 60);  // 00:13:58 the next day: away 14 minutes
  Timer1.Tick();
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(Text1.text(), "00:58");

  Text3.setText("30");  // a longer rest than the time away now prompts
  clock.set(0, 57, 0);
  Timer1.Tick();
  clock.advance(20 * 60);
  Timer1.Tick();
  EXPECT_NE(rest.prompt(), nullptr);

  clock.advance(3 * 86400 + 600);  // asleep three days: the prompt goes, a period starts at 01:27
  Timer1.Tick();
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(Text1.text(), "02:12");
}

// The wall clock jumps forward over the due minute while no time passes: not a rest.
TEST_F(RestClock, AClockSetForwardAcrossTheDueMinuteStillPrompts) {
  struct Case {
    const char* what;
    int startHour, startMinute;  // switched on at hh:mm:30 with M = 45: due 45 minutes later
    int jumpFromHour, jumpFromMinute, jumpFromSecond, jumpToHour, jumpToMinute;
  };
  const Case cases[] = {
      {"daylight saving, due 02:30", 1, 45, 1, 59, 59, 3, 0},
      {"manual correction, due 14:52", 14, 7, 14, 40, 0, 15, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    clock.set(c.startHour, c.startMinute, 30);
    SafeSwitch2.setValue(false);
    switchOn();
    tickUntil(c.jumpFromHour, c.jumpFromMinute, c.jumpFromSecond);
    ASSERT_EQ(rest.prompt(), nullptr);
    clock.set(c.jumpToHour, c.jumpToMinute, 0);
    Timer1.Tick();
    ASSERT_NE(rest.prompt(), nullptr);
    EXPECT_EQ(rest.Pdtipshow(), 1);
    rest.prompt()->Label2.Click();
    host.run();
  }
}

// Working hours 15:00 to 16:00 on weekdays, from Monday 14:07:30 (M = 45): a start outside
// them, their start, the clock moved across their end and their start, a pause ending outside.
TEST_F(RestClock, WorkingHoursHoldRemindersAndTheFirstRestComesAnIntervalAfterTheyBegin) {
  switchOn();
  rest.setHours({true, {true, true, true, true, true}, 15 * 60, 16 * 60});
  EXPECT_EQ(rest.stage(), rest::Stage::OutsideHours);
  EXPECT_EQ(rest.tip(), "Reminders start at 15:00");
  EXPECT_EQ(rest.nextRest(), "15:45");
  tickUntil(15, 0, 0);  // the rest due at 14:52 never came
  EXPECT_EQ(formsCreated("Form2"), 0);
  EXPECT_EQ(rest.stage(), rest::Stage::Working);
  tickUntil(15, 44, 59);
  EXPECT_EQ(rest.prompt(), nullptr);
  tick();
  ASSERT_NE(rest.prompt(), nullptr);
  clock.set(16, 30);  // moved across the end: the prompt goes until Tuesday
  tick();
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(rest.tip(), "Reminders start at 15:00 Tue");
  clock.time.day = 8;  // and across Tuesday's start
  clock.set(15, 20);
  tick();
  EXPECT_EQ(rest.tip(), "Next rest at 16:05");
  rest.pause(60);  // ends at 16:20, outside them: quietly
  tickUntil(16, 21, 0);
  EXPECT_EQ(rest.tip(), "Reminders start at 15:00 Wed");
  EXPECT_TRUE(formsCreated("Form2") == 1 && !store.has("dsxx", "paused_until"));
}

TEST_F(RestClock, ADayIntervalPromptsTheSameMinuteTomorrow) {
  Text2.setText("1440");
  switchOn();  // 14:07:30
  ASSERT_EQ(Text1.text(), "14:07");
  tick(3600);
  EXPECT_EQ(rest.prompt(), nullptr);
  tickUntil(14, 6, 59);  // the next day
  EXPECT_EQ(rest.prompt(), nullptr);
  tick();  // 14:07:00 the next day
  ASSERT_NE(rest.prompt(), nullptr);

  rest.prompt()->Label2.Click();  // Do Not: again a day later, not at once
  host.run();
  EXPECT_EQ(Text1.text(), "14:07");
  tick(120);
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(formsCreated("Form2"), 1);
}

TEST_F(RestClock, ClockSetBackSkipsNothing) {
  switchOn();
  tickUntil(14, 51, 50);
  clock.set(13, 0, 0);
  Timer1.Tick();
  EXPECT_EQ(rest.prompt(), nullptr);
  tickUntil(14, 51, 59);
  EXPECT_EQ(rest.prompt(), nullptr);
  tick();
  EXPECT_NE(rest.prompt(), nullptr);
}

TEST_F(RestClock, NoPromptDuringARest) {
  Text2.setText("1");
  switchOn();
  tickUntil(14, 8, 0);
  rest.prompt()->Label1.Click();
  tick(5);
  // Reminders turned off and on again mid-rest schedule the next time inside the rest.
  SafeSwitch2.setValue(false);
  SafeSwitch2.setValue(true);
  ASSERT_EQ(Text1.text(), "14:09");
  tickUntil(14, 9, 30);
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(formsCreated("Form2"), 1);
  EXPECT_NE(rest.restScreen(), nullptr);
}

TEST_F(RestClock, MinuteWakesKeepThePromptsMinuteAndTheWarningLiftsAsThePromptEnds) {
  store.values[{"micro", "on"}] = "0";  // the minute wakes alone; short breaks add their own
  rest.loadSettings();
  for (auto end : {&rest::Rest::decline, &rest::Rest::later, &rest::Rest::restNow}) {
    Text3.setText("1");
    rest.resume();
    SafeSwitch2.setValue(false);
    switchOn();
    dims.clear();
    int wakes = 0;
    for (; !rest.prompt() && wakes < 200; ++wakes) wake();
    EXPECT_EQ(settings::clockText(clock.time.hour * 60 + clock.time.minute), Label5.text());
    EXPECT_EQ(std::pair(clock.time.second, wakes), std::pair(0, 44 + 60));
    EXPECT_EQ(dims, (std::vector{99, 98, 97, 96, 95, 94, 93, 92, 91, 90}));
    (rest.*end)();
    EXPECT_EQ(dims.back(), 100);
  }
}

// Time away counts as rest; full-screen work holds the prompt back. Reminders are switched on at
// 14:07:30 with M = 45 and N = 5 (due 14:52); each case lives through its story and ends with
// whether a prompt is up and the next rest time.
struct Away {
  const char* name;
  std::function<void(RestFixture&)> live;
  bool promptUp;
  const char* next;
};

struct TimeAway : RestFixture, ::testing::WithParamInterface<Away> {};

TEST_P(TimeAway, CountsAsRestOnlyWhenItLastsARestsLength) {
  switchOn();
  GetParam().live(*this);
  EXPECT_EQ(rest.prompt() != nullptr, GetParam().promptUp);
  EXPECT_EQ(rest.Pdtipshow(), GetParam().promptUp ? 1 : 0);
  EXPECT_EQ(Text1.text(), GetParam().next);
  EXPECT_EQ(Label5.text(), GetParam().next);
}

const Away kAway[] = {
    {"IdleJustUnderNPrompts",
     [](RestFixture& f) {
       f.tickUntil(14, 47, 1);
       f.clock.leave();
       f.tickUntil(14, 52, 0);  // idle 4:59 at the due minute
       ASSERT_NE(f.rest.prompt(), nullptr);
       f.clock.comeBack();
       f.tick(5);
     },
     true, "14:52"},
    {"IdleJustOverNNoPromptAndTheReturnStartsAPeriod",
     [](RestFixture& f) {
       f.tickUntil(14, 46, 59);
       f.clock.leave();
       f.tickUntil(14, 53, 10);  // idle 5:00 by 14:51:59: the due minute passes quietly
       ASSERT_EQ(f.rest.prompt(), nullptr);
       ASSERT_EQ(f.Text1.text(), "14:52");
       f.clock.comeBack();
       f.tick();  // 14:53:11: back, rested
     },
     false, "15:38"},
    {"IdleOfNAfterThePromptClosesItOnTheReturn",
     [](RestFixture& f) {
       f.tickUntil(14, 51, 0);
       f.clock.leave();
       f.tickUntil(14, 56, 0);
       ASSERT_NE(f.rest.prompt(), nullptr);
       f.clock.comeBack();
       f.tick();
       f.host.run();
     },
     false, "15:41"},
    {"LockOfNMinutes",
     [](RestFixture& f) {
       f.tickUntil(14, 50, 0);
       f.rest.sessionLocked(true);
       f.clock.leave();  // the locked desktop reports no input
       f.tickUntil(14, 55, 0);
       f.rest.sessionLocked(false);
       f.tick();
     },
     false, "15:40"},
    {"LockShorterThanNChangesNothing",
     [](RestFixture& f) {
       f.tickUntil(14, 50, 0);
       f.rest.sessionLocked(true);
       f.clock.leave();
       f.tickUntil(14, 54, 59);
       f.rest.sessionLocked(false);
       f.tick(3);
     },
     true, "14:52"},
    {"AsleepADayWithThePromptUp",
     [](RestFixture& f) {
       f.tickUntil(14, 52, 0);
       ASSERT_NE(f.rest.prompt(), nullptr);
       f.clock.advance(86400 + 120);
       f.tick();
       f.host.run();
     },
     false, "15:39"},
    {"SleepThroughARestEndsItsScreen",
     [](RestFixture& f) {
       f.tickUntil(14, 52, 0);
       ASSERT_NE(f.rest.prompt(), nullptr);
       f.rest.prompt()->Label1.Click();
       f.tick(10);
       ASSERT_NE(f.rest.restScreen(), nullptr);
       ASSERT_EQ(f.caption(), "0:4:50");
       ASSERT_EQ(f.rest.tip(), "Resting until 14:57");
       f.clock.advance(119);  // asleep two minutes
       f.tick();
       ASSERT_NE(f.rest.restScreen(), nullptr);
       ASSERT_EQ(f.caption(), "0:2:50") << "minutes asleep count as rested";
       f.clock.advance(10 * 60);  // asleep again, past the end
       f.tick();                  // 15:04:11
       ASSERT_EQ(f.rest.restScreen(), nullptr);
       ASSERT_EQ(f.rest.restCounting(), 0);
     },
     false, "15:49"},
    {"BusyAcrossTheDueMinuteShort",
     [](RestFixture& f) {
       f.tickUntil(14, 51, 30);
       f.clock.busy = true;
       f.tickUntil(14, 52, 20);
       ASSERT_EQ(f.rest.prompt(), nullptr);
       ASSERT_EQ(f.rest.tip(), "Rest due when the full-screen program ends");
       f.clock.busy = false;
       f.tick();
       ASSERT_NE(f.rest.prompt(), nullptr);
       EXPECT_EQ(f.rest.prompt()->Label1.text(), "Let's take a 5 minute rest");
       f.tick(60);
     },
     true, "14:52"},
    {"BusyLongerThanNStillPromptsAfterwards",
     [](RestFixture& f) {
       f.tickUntil(14, 51, 0);
       f.clock.busy = true;
       f.clock.leave();  // a film: no input, yet no rest
       f.tickUntil(15, 10, 0);
       ASSERT_EQ(f.rest.prompt(), nullptr);
       f.clock.busy = false;
       f.tick();
       ASSERT_NE(f.rest.prompt(), nullptr);
       f.rest.prompt()->Label2.Click();  // Do Not: the schedule goes on from here
       f.host.run();
       f.tick(10);
     },
     false, "15:55"},
    {"LaterUpToItsLimitThenTimeAwayEndsTheRow",
     [](RestFixture& f) {
       f.store.values[{"dsxx", "laters"}] = "1";
       f.rest.loadSettings();
       f.tickUntil(14, 52, 30);
       ASSERT_TRUE(f.rest.prompt()->Later.activate());
       f.tickUntil(14, 57, 59);  // a minute begun counts as gone: back at 14:58, not 14:57:30
       ASSERT_EQ(f.rest.prompt(), nullptr);
       f.tick();
       ASSERT_NE(f.rest.prompt(), nullptr);
       ASSERT_FALSE(f.rest.prompt()->Later.activate());
       ASSERT_EQ(f.rest.prompt()->Later.toolTip(), "Already put off as often as allowed in a row");
       ASSERT_TRUE(f.rest.prompt()->laterNote.visible());
       ASSERT_EQ(f.rest.prompt()->laterNote.text(), f.rest.prompt()->Later.toolTip());
       f.clock.leave();
       f.tickUntil(15, 4, 0);
       f.clock.comeBack();
       f.tick();
       ASSERT_TRUE(f.rest.canPutOff());
     },
     false, "15:49"},
    {"HiddenAnAbsenceIsNoticedOnItsSecond",
     [](RestFixture& f) {
       for (f.clock.leave(); f.rest.tip() != "Away: counted as a rest";) f.wake();  // 14:07:30
       f.clock.comeBack();
       f.wake();  // back at 14:12:33, not at the next minute
     },
     false, "14:57"},
    {"PauseAcrossMidnightARestartAndAnEndWhileAway",
     [](RestFixture& f) {
       f.tickUntil(14, 10, 0);
       f.rest.pause(rest::PauseFor::Tomorrow);
       ASSERT_EQ(f.store.at("dsxx", "paused_until"), "2026-12-08 00:00");
       f.store.values[{"dsxx", "paused_until"}] = "2026-12-08 00:30";  // as a restart reads it
       f.rest.loadSettings();
       ASSERT_EQ(f.rest.tip(), "Reminders paused until 00:30 Tue");
       ASSERT_EQ(f.Label4.text(), "PAUSED UNTIL");
       ASSERT_EQ(f.Label5.text(), "00:30 Tue") << "the main window says when reminders resume";
       f.tickUntil(23, 50, 0);
       f.clock.leave();
       f.tickUntil(0, 45, 0);  // the pause ended at 00:30 with nobody here
       ASSERT_EQ(f.rest.prompt(), nullptr);
       f.clock.comeBack();
       f.tick();
     },
     false, "01:30"},
};

TEST_F(RestClock, ALaterAndItsCountOutliveARestartAndADamagedEndIsIgnored) {
  store.values[{"dsxx", "laters"}] = "2";
  rest.loadSettings();
  switchOn();
  tickUntil(14, 52, 30);
  rest.later();
  EXPECT_EQ(store.at("dsxx", "later_until"), "2026-12-07 14:58");
  EXPECT_EQ(store.at("dsxx", "laters_used"), "1");
  tickUntil(14, 55, 0);
  rest::Rest again{controls(), clock, screen, &host, ini, shell};  // the program started again
  again.connect();
  again.setRestOn("1");
  again.dsxxadd();
  again.loadSettings();
  EXPECT_EQ(Label5.text(), "14:58");
  tickUntil(14, 58, 0);
  ASSERT_NE(again.prompt(), nullptr);
  again.later();
  ASSERT_FALSE(again.canPutOff()) << "the count went on from 1";
  again.restNow();
  EXPECT_FALSE(store.values.contains({"dsxx", "laters_used"}));

  store.values[{"dsxx", "paused_until"}] = "2046-12-07 06:30";  // reminders off for 20 years
  again.loadSettings();
  EXPECT_FALSE(again.paused());
  EXPECT_EQ(shell.logged.size(), 1u);
  host.run();
}

INSTANTIATE_TEST_SUITE_P(Rest, TimeAway, ::testing::ValuesIn(kAway),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Short breaks: due every M minutes of plain work; away for a break's length counts as one; never
// in a rest, a pause, a prompt, a hold or two minutes before a rest. None moves the rest's time.
TEST(ShortBreaks, DueSkippedAndCounted) {
  using S = rest::Stage;
  const rest::BreakSettings on{true, 20, 20};
  const struct {
    rest::Stage stage;
    long long toRest;  // seconds
    std::int64_t idleMs;
    ui::Busy busy;
    bool at19, at20;
  } rows[] = {
      {S::Working, 3600, 0, ui::Busy::No, false, true},
      {S::Working, 3600, 25'000, ui::Busy::No, false, false},
      {S::Working, 3600, 25'000, ui::Busy::Call, false, false},
      {S::Working, 120, 0, ui::Busy::No, false, false},
      {S::Working, 121, 0, ui::Busy::No, false, true},
      {S::Working, 3600, 0, ui::Busy::Listed, false, false},
      {S::Prompt, 0, 0, ui::Busy::No, false, false},
      {S::Resting, 3600, 0, ui::Busy::No, false, false},
      {S::Paused, 3600, 0, ui::Busy::No, false, false},
      {S::Held, 0, 0, ui::Busy::FullScreen, false, false},
  };
  for (const auto& row : rows) {
    rest::ShortBreaks breaks;
    breaks.restart(0);
    EXPECT_EQ(breaks.msToNext(on, 0), 1'200'000);
    rest::Elapsed e{19 * 60'000, row.idleMs, row.busy};
    EXPECT_EQ(breaks.onTick(on, e, row.stage, row.toRest), row.at19);
    e.monotonicMs = 20 * 60'000 + (row.idleMs ? 19 * 60'000 : 0);
    EXPECT_EQ(breaks.onTick(on, e, row.stage, row.toRest), row.at20) << static_cast<int>(row.stage);
    // Whatever happened, the next one is a full interval on.
    EXPECT_EQ(breaks.msToNext(on, e.monotonicMs), 1'200'000);
  }
  // A film watched full screen without input is no break: the next one keeps its time.
  rest::ShortBreaks film;
  film.restart(0);
  EXPECT_FALSE(film.onTick(on, {600'000, 600'000, ui::Busy::FullScreen}, S::Working, 3600));
  EXPECT_EQ(film.msToNext(on, 600'000), 600'000);
  rest::ShortBreaks off;
  EXPECT_EQ(off.msToNext({false, 20, 20}, 0), std::nullopt);
  EXPECT_FALSE(off.onTick({false, 20, 20}, {99 * 60'000}, S::Working, 3600));
}

// A call is a device in use (a 64-bit stop of 0) by a program that runs, or of which that cannot
// be known, for at most four hours; the listed programs are plain file names, matched on the file
// name of the program in front.
TEST(Holds, CallsListedProgramsAndTheirReason) {
  constexpr std::int64_t kHour = 3'600'000;
  const struct {
    bool packaged;
    std::optional<std::uint64_t> stop;
    std::optional<bool> running;
    std::int64_t inUseMs;
    bool call;
  } uses[] = {{false, 0, true, kHour, true},         {false, 0, false, kHour, false},
              {false, 133, true, kHour, false},      {false, std::nullopt, true, kHour, false},
              {true, 0, true, kHour, true},          {true, 0, false, kHour, false},
              {true, 0, std::nullopt, kHour, true},  {true, 0, std::nullopt, 4 * kHour + 1, false},
              {false, 0, true, 4 * kHour + 1, false}};
  for (const auto& u : uses)
    EXPECT_EQ(rest::inCall({"x", u.packaged, u.stop, u.running, u.inUseMs}), u.call) << u.inUseMs;
  EXPECT_EQ(rest::consentPath("C:#Program Files#Talk#talk.exe"),
            "C:\\Program Files\\Talk\\talk.exe");

  const rest::AppList list = rest::parseAppList(" obs64.exe; ;VLC.exe;");
  EXPECT_EQ(list.names, (std::vector<std::string>{"obs64.exe", "VLC.exe"}));
  EXPECT_TRUE(list.error.empty());
  EXPECT_TRUE(rest::listedProgram(list.names, "C:\\Apps\\vlc.EXE"));
  EXPECT_FALSE(rest::listedProgram(list.names, "C:\\obs64.exe\\other.exe"));
  EXPECT_FALSE(rest::listedProgram(list.names, ""));
  for (const char* bad : {"C:\\obs64.exe", "a/b.exe", "*.exe", "..", "x.exe;what?", "a\tb"}) {
    const rest::AppList refused = rest::parseAppList(bad);
    EXPECT_TRUE(refused.names.empty()) << bad;
    EXPECT_NE(refused.error.find("is not a program's file name"), std::string::npos) << bad;
  }
  EXPECT_EQ(rest::holdReason(ui::Busy::FullScreen, true, true), ui::Busy::FullScreen);
  EXPECT_EQ(rest::holdReason(ui::Busy::No, true, true), ui::Busy::Call);
  EXPECT_EQ(rest::holdReason(ui::Busy::No, false, true), ui::Busy::Listed);
  EXPECT_EQ(rest::holdReason(ui::Busy::No, false, false), ui::Busy::No);
}

// Hidden, the clock wakes at minute boundaries and at the short break's moment only; the break
// shows without the focus above the prompt's place, counts down, goes, and moves no rest.
TEST_F(RestClock, AShortBreakComesOnTimeWithoutTheFocusAndGoes) {
  switchOn();  // 14:07:30, due 14:52
  int wakes = 0;
  for (; !rest.shortBreak() && wakes < 40; ++wakes) wake();
  ASSERT_NE(rest.shortBreak(), nullptr);
  EXPECT_EQ(std::pair(clock.time.minute, clock.time.second), std::pair(27, 30));
  EXPECT_EQ(wakes, 21);  // 20 minute boundaries and the break's own moment
  EXPECT_TRUE(rest.shortBreak()->noActivate());
  EXPECT_TRUE(rest.shortBreak()->topmost());
  EXPECT_EQ(rest.shortBreak()->Label2.text(), "20 seconds");
  EXPECT_EQ(rest.stage(), rest::Stage::ShortBreak);
  EXPECT_EQ(rest.tip(), "Short break");
  tick(19);
  ASSERT_NE(rest.shortBreak(), nullptr);
  EXPECT_EQ(rest.shortBreak()->Label2.text(), "1 second");
  tick();
  EXPECT_EQ(rest.shortBreak(), nullptr);
  EXPECT_EQ(Text1.text(), "14:52");
  EXPECT_EQ(rest.tip(), "Next rest at 14:52");
  // A click ends the next one early; the one after that would be within two minutes of the rest.
  tickUntil(14, 47, 50);
  ASSERT_NE(rest.shortBreak(), nullptr);
  rest.shortBreak()->Label1.Click();
  host.run();
  EXPECT_EQ(rest.shortBreak(), nullptr);
  tickUntil(14, 52, 0);
  EXPECT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(formsCreated("Form4"), 2);
}

// A name that is no plain file name is refused with the panel's other faults; nothing is stored.
// Short breaks every 0 minutes (one a tick) are refused, typed or stored.
TEST_F(RestClock, OkRefusesAProgramThatIsNoFileNameAndStoresTheRowsInOneSave) {
  apps.setText("obs64.exe;C:\\vlc.exe");
  breakEvery.setText("0");
  setok1.Click();
  const std::string& refused = shell.messages.back().text;
  EXPECT_NE(refused.find("\"C:\\vlc.exe\" is not a program's file name"), std::string::npos);
  EXPECT_NE(refused.find("short breaks must be a whole number of minutes from 1"), refused.npos);
  EXPECT_TRUE(store.values.empty());
  apps.setText("obs64.exe;vlc.exe");
  breakEvery.setText("15");
  breaks.setValue(false);
  setok1.Click();
  EXPECT_EQ(store.values.at({"busy", "apps"}), "obs64.exe;vlc.exe");
  EXPECT_EQ(store.values.at({"micro", "on"}), "0");
  EXPECT_EQ(store.values.at({"micro", "every"}), "15");
  EXPECT_EQ(store.saves, 1);
  store.values[{"micro", "every"}] = "0";
  rest.loadSettings();
  EXPECT_EQ(breakEvery.text(), "20");
}

// A prompt up as a call begins goes, the tip naming the caller, and comes back as it ends.
TEST_F(RestClock, ACallTakesThePromptAwayAndBringsItBackWithinSeconds) {
  switchOn();
  tickUntil(14, 52, 0);
  ASSERT_NE(rest.prompt(), nullptr);
  clock.busy = true;
  clock.busyWith = ui::Busy::Call;
  clock.caller = "talk.exe";
  tick();
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_EQ(rest.tip(), "Rest due after the call (talk.exe)");
  tick(600);
  clock.busy = false;
  tick();
  EXPECT_NE(rest.prompt(), nullptr);
}
