#include <gtest/gtest.h>

#include <string>

#include "rest/Hours.h"
#include "rest_fixture_test.h"
#include "settings/Values.h"

namespace {

using RestSchedule = RestFixture;

// The one reader of times of day ([night] from and to, the time of paused_until), of stored
// moments and of 0/1 flags.
TEST(RestSettings, TimesOfDayMomentsAndFlags) {
  EXPECT_EQ(settings::clockText(9 * 60 + 5), "09:05");
  EXPECT_EQ(settings::clockText(-5), "23:55");
  const std::pair<const char*, std::optional<int>> times[] = {{"12:30", 750},
                                                              {"00:10", 10},
                                                              {"7:05", 425},
                                                              {" 07:05\t", 425},
                                                              {"23:59", 1439},
                                                              {"24:00", std::nullopt},
                                                              {"24:30", std::nullopt},
                                                              {"12:60", std::nullopt},
                                                              {"21:000", std::nullopt},
                                                              {"7:5", std::nullopt},
                                                              {" 07 : 05 ", std::nullopt},
                                                              {"-0:05", std::nullopt},
                                                              {"+1:05", std::nullopt},
                                                              {"1230", std::nullopt},
                                                              {"", std::nullopt},
                                                              {"123:00", std::nullopt},
                                                              {":05", std::nullopt}};
  for (const auto& [text, minute] : times)
    EXPECT_EQ(settings::parseClockTime(text), minute) << text;
  const long long may1 = rest::absoluteMinute({2026, 5, 1, 0, 0, 0});
  const std::pair<const char*, std::optional<long long>> moments[] = {
      {"2026-05-01 07:05", may1 + 425},    {" 2026-05-01 07:05 ", may1 + 425},
      {"2026-05-01 07:05x", std::nullopt}, {"2026-05-00 07:05", std::nullopt},
      {"2026-02-29 07:05", std::nullopt},  {"2026-13-01 07:05", std::nullopt},
      {"2026-05- 1 07:05", std::nullopt},  {"2026-05-01 24:30", std::nullopt},
      {"1969-12-31 23:00", std::nullopt}};
  for (const auto& [text, minute] : moments) EXPECT_EQ(rest::parseMoment(text), minute) << text;
  EXPECT_EQ(rest::formatMoment(rest::absoluteMinute({2100, 3, 1, 7, 5, 0})), "2100-03-01 07:05");
  const ui::LocalTime late{2026, 5, 1, 23, 40, 10};
  const long long lateMinute = rest::absoluteMinute(late);
  EXPECT_EQ(rest::pauseEnd(late, rest::PauseFor::HalfHour), lateMinute + 30);
  EXPECT_EQ(rest::pauseEnd(late, rest::PauseFor::Hour), lateMinute + 60);
  EXPECT_EQ(rest::pauseEnd(late, rest::PauseFor::Tomorrow), lateMinute + 20);
  // "Later" at a minute's very start comes back exactly its minutes on; a rest ends the row.
  rest::RestSchedule schedule;
  EXPECT_EQ(schedule.later({2026, 5, 1, 14, 52, 0}, 5),
            rest::absoluteMinute({2026, 5, 1, 14, 57, 0}));
  EXPECT_EQ(schedule.later({2026, 5, 1, 14, 52, 1}, 5),
            rest::absoluteMinute({2026, 5, 1, 14, 58, 0}));
  EXPECT_EQ(schedule.laters(), 2);
  schedule.startCountdown(5, 0);
  EXPECT_EQ(schedule.laters(), 0);
  for (const auto& [text, fallback, flag] : {std::tuple{" 0 ", true, false},
                                             {"1", false, true},
                                             {"0.4", true, true},
                                             {"0.4", false, false}})
    EXPECT_EQ(settings::storedFlag(text, fallback), flag) << text;
}

// Working hours over a week from Monday 2026-12-07 by the wall clock: "" inside, else when they
// next begin.
TEST(RestHours, AWeekOverMidnightDaysOffAndClockChanges) {
  const rest::WorkingHours week{true}, night{true, {true}, 22 * 60, 6 * 60},
      weekend{true, {0, 0, 0, 0, 0, 1, 1}, 0, 0}, sunday{true, {0, 0, 0, 0, 0, 0, 1}, 150, 600},
      autumn{true, sunday.days, 60, 150};
  // clang-format off
  const std::tuple<rest::WorkingHours, int, int, int, const char*> table[] = {
      {week, 7, 8, 59, "2026-12-07 09:00"}, {week, 7, 9, 0, ""}, {week, 7, 17, 59, ""},
      {week, 7, 18, 0, "2026-12-08 09:00"},
      {week, 11, 18, 0, "2026-12-14 09:00"},  // Friday evening: Monday next
      {{}, 12, 3, 0, ""},                     // off: always
      {night, 7, 23, 0, ""}, {night, 8, 5, 59, ""},  // Monday's, on Tuesday
      {night, 8, 6, 0, "2026-12-14 22:00"}, {night, 7, 0, 30, "2026-12-07 22:00"},  // Sunday off
      {weekend, 11, 23, 59, "2026-12-12 00:00"}, {weekend, 13, 23, 59, ""},
      // Spring forward, 01:59 to 03:00: the 02:30 that never comes is passed, in force at 03:00.
      {sunday, 13, 1, 59, "2026-12-13 02:30"}, {sunday, 13, 3, 0, ""},
      // Autumn back, 03:00 to 02:00, hours 01:00 to 02:30: 02:10 is inside both times it comes.
      {autumn, 13, 2, 45, "2026-12-20 01:00"}, {autumn, 13, 2, 10, ""}};
  // clang-format on
  for (const auto& [hours, day, hour, minute, begins] : table) {
    const auto until = rest::closedUntil(hours, {2026, 12, day, hour, minute, 0});
    EXPECT_EQ(until ? rest::formatMoment(*until) : "", begins)
        << day << " " << hour << ":" << minute;
  }
  EXPECT_EQ(rest::tipText({rest::Stage::OutsideHours, {}, {}, 1440 * 20'000}, {2024, 10, 3}),
            "Reminders start tomorrow");
  EXPECT_EQ(rest::hoursStatus(week), "09:00-18:00 mon,tue,wed,thu,fri");
  // Stored: day names in any case with blanks; anything else keeps its default and is named.
  fakes::ProfileStore store;
  fakes::Shell shell;
  settings::Ini ini{store, shell};
  store.values = {{{"hours", "on"}, "1"},
                  {{"hours", "days"}, " Sat , SUN"},
                  {{"hours", "from"}, "7:5"},
                  {{"hours", "to"}, "24:00"}};
  EXPECT_EQ(rest::readWorkingHours(ini), (rest::WorkingHours{true, weekend.days}));
  EXPECT_NE(ini.ignored.message().find("[hours] from=7:5 (uses 09:00)\n[hours] to=24:00"),
            std::string::npos);
  for (const char* bad : {"", "mon,,tue", "monday", "mon;tue"}) {
    store.values = {{{"hours", "on"}, "yes"}, {{"hours", "days"}, bad}};
    settings::Ini damaged{store, shell};
    EXPECT_EQ(rest::readWorkingHours(damaged), rest::WorkingHours{});
    EXPECT_NE(damaged.ignored.message().find("on=yes (uses 0)\n[hours] days=" + std::string(bad)),
              std::string::npos);
  }
}

TEST_F(RestSchedule, DsxxaddAppliesTheSettingsAndSetsTheNextTime) {
  Text2.setText("20");
  Text3.setText("7");
  ppset.setVisible(true);
  rest.dsxxadd();  // 14:07:30: seconds are dropped
  EXPECT_EQ(dhhour0.text(), "20");
  EXPECT_EQ(dhhour1.text(), "7");
  EXPECT_FALSE(ppset.visible());
  EXPECT_EQ(Text1.text(), "14:27");
  EXPECT_EQ(Label5.text(), "14:27");
}

TEST_F(RestSchedule, NextTimeWrapsAtMidnight) {
  clock.set(23, 50, 40);
  Text2.setText("20");
  rest.dsxxadd();
  EXPECT_EQ(Text1.text(), "00:10");
  Text2.setText("1440");
  rest.dsxxadd();
  EXPECT_EQ(Text1.text(), "23:50");
  Text2.setText("0");
  rest.dsxxadd();
  EXPECT_EQ(Text1.text(), "23:50");
}

TEST_F(RestSchedule, SwitchOnSchedulesAndColoursTheRowOffLeavesTheTime) {
  switchOn();
  EXPECT_EQ(rest.restOn(), "1");
  EXPECT_EQ(Text1.text(), "14:52");
  EXPECT_EQ(Label2_1.foreColour(), ui::rgb(34, 139, 34));
  EXPECT_TRUE(edit1.visible());

  clock.set(15, 0, 0);
  SafeSwitch2.setValue(false);
  EXPECT_EQ(rest.restOn(), "0");
  EXPECT_EQ(Text1.text(), "14:52");
  EXPECT_EQ(Label2_1.foreColour(), 0u);
  EXPECT_FALSE(edit1.visible());

  SafeSwitch2.setValue(true);
  EXPECT_EQ(Text1.text(), "15:45");
}

TEST_F(RestSchedule, OkAppliesAndStoresTheSettings) {
  switchOn();
  ppset.setVisible(true);
  Text2.userTyped("30");
  Text3.userTyped(" 10");
  const int saves = store.saves;
  // Working hours: a time that is none is named and keeps the panel open, nothing stored.
  hours.on.setValue(true);
  EXPECT_TRUE(hours.days[5].activate());  // as Space or a screen reader's "Check"
  EXPECT_TRUE(hours.days[5].checked() && hours.days[5].accessName() == "Saturday");
  hours.from.userTyped("25:00");
  setok1.Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].text.find("Working hours \"From\" needs"), std::string::npos);
  EXPECT_TRUE(ppset.visible());
  EXPECT_EQ(store.saves, saves);
  shell.messages.clear();
  hours.from.userTyped("8:30");
  setok1.Click();
  EXPECT_EQ(store.saves - saves, 1);  // the panel's values, one swap of the file
  EXPECT_EQ(store.at("hours", "days") + store.at("hours", "from"), "mon,tue,wed,thu,fri,sat08:30");
  EXPECT_EQ(rest.stage(), rest::Stage::Working);  // Monday 14:07 is inside
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(ppset.visible());
  EXPECT_EQ(Text1.text(), "14:37");
  EXPECT_EQ(dhhour0.text(), "30");
  EXPECT_EQ(dhhour1.text(), "10");
  EXPECT_EQ(store.at("dsxx", "mei"), "30");
  EXPECT_EQ(store.at("dsxx", "xiuxi"), "10");
}

TEST_F(RestSchedule, OkWithInvalidInputNamesTheFieldAndChangesNothing) {
  struct Case {
    std::string interval, length;
    bool intervalBad, lengthBad;
  };
  const Case cases[] = {
      {"", "5", true, false},      {"abc", "5", true, false}, {"-5", "5", true, false},
      {"1441", "5", true, false},  {"4.5", "5", true, false}, {"45", "0", false, true},
      {"45", "1441", false, true}, {"45", "", false, true},   {"x", "y", true, true},
      {"45", "2,5", false, true},  {"1e3", "5", true, false},
  };
  switchOn();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval + " / " + c.length);
    shell.messages.clear();
    store.log.clear();
    ppset.setVisible(true);
    Text2.userTyped(c.interval);
    Text3.userTyped(c.length);
    setok1.Click();
    ASSERT_EQ(shell.messages.size(), 1u);
    const std::string& text = shell.messages[0].text;
    EXPECT_EQ(text.find("rest interval") != std::string::npos, c.intervalBad) << text;
    EXPECT_EQ(text.find("0 to 1440") != std::string::npos, c.intervalBad) << text;
    EXPECT_EQ(text.find("rest length") != std::string::npos, c.lengthBad) << text;
    EXPECT_EQ(text.find("1 to 1440") != std::string::npos, c.lengthBad) << text;
    EXPECT_TRUE(ppset.visible());
    EXPECT_EQ(Text1.text(), "14:52");
    EXPECT_EQ(Text2.text(), c.interval);  // left for the user to correct
    EXPECT_EQ(dhhour0.text(), "45");
    EXPECT_EQ(dhhour1.text(), "5");
    EXPECT_TRUE(store.log.empty());
  }
}

TEST_F(RestSchedule, CancelKeepsValidTypedValuesForLater) {
  switchOn();
  ppset.setVisible(true);
  Text2.userTyped("2");
  Text3.userTyped("8");
  setno1.Click();
  EXPECT_FALSE(ppset.visible());
  EXPECT_EQ(Text2.text(), "2");
  EXPECT_EQ(dhhour0.text(), "45");  // the row still shows the values in force
  EXPECT_EQ(Text1.text(), "14:52");
  EXPECT_TRUE(store.log.empty());

  tickUntil(14, 52, 0);  // the prompt already quotes the typed length
  ASSERT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(rest.prompt()->Label1.text(), "Let's take a 8 minute rest");
  rest.prompt()->Label2.Click();  // Do Not takes the typed interval over
  EXPECT_EQ(Text1.text(), "14:54");
  EXPECT_EQ(dhhour0.text(), "2");
  EXPECT_EQ(dhhour1.text(), "8");
}

TEST_F(RestSchedule, CancelPutsBackWhatIsNotAValidSetting) {
  switchOn();
  Text2.userTyped("soon");
  Text3.userTyped("-1");
  setno1.Click();
  EXPECT_EQ(Text2.text(), "45");
  EXPECT_EQ(Text3.text(), "5");
}

TEST_F(RestSchedule, ARestCycleNeverRunsOnInvalidTypedText) {
  switchOn();
  tickUntil(14, 51, 59);
  Text3.userTyped("");  // the panel is open, the user is halfway through typing
  Text2.userTyped("x");
  tick();
  ASSERT_NE(rest.prompt(), nullptr);
  EXPECT_EQ(rest.prompt()->Label1.text(), "Let's take a 5 minute rest");
  rest.prompt()->Label1.Click();
  EXPECT_EQ(rest.restMinutes(), 4);
  EXPECT_EQ(rest.restSeconds(), 60);
  rest.restScreen()->imgclose.Click();  // new working period with the values in force
  EXPECT_EQ(Text1.text(), "15:37");
  EXPECT_EQ(Text2.text(), "45");
  EXPECT_EQ(Text3.text(), "5");
}

TEST_F(RestSchedule, HiddenButtonsAreTheOperations) {
  switchOn();
  clock.set(16, 0, 0);
  okdsxxadd.Click();
  EXPECT_EQ(Text1.text(), "16:45");
  Text3.setText("2");
  form2tip.Click();
  EXPECT_EQ(rest.restCounting(), 1);
  EXPECT_EQ(rest.restMinutes(), 1);
  EXPECT_EQ(rest.restSeconds(), 60);
  // A running countdown is restarted.
  tick(30);
  form2tip.Click();
  EXPECT_EQ(rest.restMinutes(), 1);
  EXPECT_EQ(rest.restSeconds(), 60);
}

}  // namespace
