#include <gtest/gtest.h>

#include <algorithm>

#include "app_fixture_test.h"
#include "app/MainWindow.h"
#include "app/Move.h"
#include "app/Program.h"
#include "colour/EyeCare.h"
#include "rest/Rest.h"

namespace {

using Controls = std::vector<const ui::Control*>;

// Top-left of a control in the window's coordinates.
ui::Rect inWindow(const ui::Control& c) {
  ui::Rect r = c.place();
  for (const ui::Control* p = c.container(); p; p = p->container()) {
    r.left += p->place().left;
    r.top += p->place().top;
  }
  return r;
}

bool covers(const ui::Rect& outer, const ui::Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && inner.right() <= outer.right() &&
         inner.bottom() <= outer.bottom();
}

TEST_F(MainWindowTest, StoredRestSettingsReachTheTextBoxesAndTheSwitch) {
  stored("dsxx", "mei", "30");
  stored("dsxx", "xiuxi", "10");
  stored("dsxx", "pdrun", "1");
  app::MainWindow& w = start();
  EXPECT_EQ(w.Text2.text(), "30");
  EXPECT_EQ(w.Text3.text(), "10");
  EXPECT_EQ(w.rest().restOn(), "1");
  EXPECT_TRUE(w.SafeSwitch2.Value());
  EXPECT_TRUE(w.edit[1].visible());
  // The first rest time follows the stored interval: 14:07 + 30.
  EXPECT_EQ(w.Label5.text(), "14:37");
  EXPECT_EQ(w.rest().Pdtipshow(), 0);
}

TEST_F(MainWindowTest, MissingFileGivesDefaultRestTimesAndTheFourFlagReadsInOrder) {
  app::MainWindow& w = start();
  EXPECT_EQ(w.Text2.text(), "45");
  EXPECT_EQ(w.Text3.text(), "5");
  // The colour values are read (and a damaged one named) also while eye care stays off.
  EXPECT_EQ(reads(), (std::vector<std::string>{
                         "read dsxx/mei",          "read dsxx/xiuxi",      "read dsxx/pdrun",
                         "read eye/pdrun",         "read eye/liangdu",     "read eye/duibidu",
                         "read eye/rgbr",          "read eye/rgbg",        "read eye/rgbb",
                         "read night/on",          "read night/from",      "read night/to",
                         "read night/day",         "read night/night",     "read night/fade",
                         "read night/mode",        "read night/lat",       "read night/lon",
                         "read hours/on",          "read hours/days",      "read hours/from",
                         "read hours/to",          "read dsxx/later",      "read dsxx/laters",
                         "read dsxx/paused_until", "read dsxx/sound",      "read dsxx/warn",
                         "read micro/on",          "read micro/every",     "read micro/seconds",
                         "read busy/calls",        "read busy/apps",       "read dsxx/later_until",
                         "read dsxx/laters_used",  "read backlight/level", "read backlight/owed",
                         "read keys/darker",       "read keys/brighter",   "read keys/eyecare",
                         "read keys/nightlight"}));
  EXPECT_TRUE(w.SafeSwitch2.Value());  // a missing flag means reminders on
  EXPECT_FALSE(w.SafeSwitch1.Value());
}

// Stored rest values that are whole numbers of minutes in range are taken; anything else gives
// the defaults 45 and 5. Blanks around a number are allowed, as the system's profile functions drop
// them anyway; a minus sign is part of a number, so "-0" is 0.
TEST_F(MainWindowTest, StoredRestValuesAreWholeMinutesInRangeOrTheDefaults) {
  struct Case {
    const char* stored;
    const char* mei;    // interval, 0 to 1440
    const char* xiuxi;  // length, 1 to 1440
  };
  const Case cases[] = {
      {" 45 ", "45", "45"},
      {"45abc", "45", "5"},
      {"-0", "0", "5"},
      {"1e3", "45", "5"},
      {"99999999999999999999", "45", "5"},
      {"30", "30", "30"},
      {"\t030 ", "30", "30"},
      {"0", "0", "5"},
      {"1440", "1440", "1440"},
      {"1441", "45", "5"},
      {"-5", "45", "5"},
      {"+3", "45", "5"},
      {"2.5", "45", "5"},
      {"", "45", "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored \"") + c.stored + "\"");
    stored("dsxx", "mei", c.stored);
    stored("dsxx", "xiuxi", c.stored);
    app::MainWindow& w = start();
    EXPECT_EQ(w.Text2.text(), c.mei);
    EXPECT_EQ(w.Text3.text(), c.xiuxi);
    EXPECT_EQ(w.dhhour[0].text(), c.mei);
    EXPECT_EQ(w.dhhour[1].text(), c.xiuxi);
  }
}

// The icon's tip follows the next rest time and the switch; the rest of the record stays.
TEST_F(MainWindowTest, TheIconTipShowsTheNextRest) {
  auto tip = [](const tray::NotifyRecord& r) { return std::string(r.szTip.data()); };
  app::MainWindow& w = start();
  // Added after the main window's load, the icon comes with its first tip.
  ASSERT_EQ(notify.added.size(), 1u);
  EXPECT_EQ(tip(notify.added.back()), "Next rest at 14:52");

  w.SafeSwitch2.setValue(false);
  EXPECT_EQ(tip(notify.modified.back()), "Rest reminders are off");
  clock.set(15, 0, 30);
  w.SafeSwitch2.setValue(true);
  EXPECT_EQ(tip(notify.modified.back()), "Next rest at 15:45");

  w.Text2.userTyped("30");
  w.setok[1].Click();
  EXPECT_EQ(tip(notify.modified.back()), "Next rest at 15:30");
  for (const tray::NotifyRecord& r : notify.modified) {
    EXPECT_EQ(r.hWnd, notify.added[0].hWnd);
    EXPECT_EQ(r.hIcon, notify.added[0].hIcon);
    EXPECT_EQ(r.szTip.back(), '\0');
  }

  program->taskbarCreated();  // a restarted shell gets the tip with the icon
  EXPECT_EQ(tip(notify.added.back()), "Next rest at 15:30");
  const std::size_t sent = notify.modified.size();
  program->mainWindow().rest().dsxxadd();  // the same minute: nothing new to send
  EXPECT_EQ(notify.modified.size(), sent);
}

TEST_F(MainWindowTest, OnlyZeroSwitchesRemindersOff) {
  for (const char* flag : {"0", "1", "", "pdrun", "yes"}) {
    SCOPED_TRACE(flag);
    stored("dsxx", "pdrun", flag);
    app::MainWindow& w = start();
    bool on = std::string(flag) != "0";
    EXPECT_EQ(w.SafeSwitch2.Value(), on);
    EXPECT_EQ(w.edit[1].visible(), on);
    EXPECT_EQ(w.rest().restOn(), on ? "1" : "0");
  }
}

TEST_F(MainWindowTest, OnlyExactlyOneSwitchesEyeCareOn) {
  for (const char* flag : {"1", "0", "", "11", "1 ", "true"}) {
    SCOPED_TRACE(flag);
    stored("eye", "pdrun", flag);
    stored("eye", "liangdu", "-20");
    app::MainWindow& w = start();
    bool on = std::string(flag) == "1";
    EXPECT_EQ(w.SafeSwitch1.Value(), on);
    EXPECT_EQ(w.edit[0].visible(), on);
    EXPECT_EQ(w.Label2[0].foreColour(), on ? ui::rgb(34, 139, 34) : ui::rgb(0, 0, 0));
    EXPECT_EQ(w.Slider1.value(), on ? -20 : 0);
    EXPECT_EQ(w.eyeCare().eyeOn(), on ? std::optional<std::string>("1") : std::nullopt);
    EXPECT_FALSE(w.ppset.visible());
  }
}

TEST_F(MainWindowTest, EyeCareOnReadsItsValuesAfterTheFlags) {
  stored("eye", "pdrun", "1");
  start();
  std::vector<std::string> r = reads();
  ASSERT_EQ(r.size(), 45u);
  EXPECT_EQ(r[3], "read eye/pdrun");
  EXPECT_EQ(r[18], "read eye/liangdu");
  EXPECT_EQ(r[22], "read eye/rgbb");
}

TEST_F(MainWindowTest, ControlsNeverSeenAreHiddenOrOutsideTheWindow) {
  app::MainWindow& w = start();
  for (const ui::Control* c : Controls{&w.Text1, &w.Command3})
    EXPECT_FALSE(c->visible()) << c->name();
  for (const ui::Control* c : Controls{&w.zhuan, &w.form2tip, &w.okdsxxadd})
    EXPECT_GE(c->place().left, w.place().width) << c->name();
}

TEST_F(MainWindowTest, EveryContainerStacksWindowlessControlsBehindWindowedOnes) {
  app::MainWindow& w = start();
  auto check = [](const std::vector<ui::Control*>& children) {
    auto firstWindowed = std::find_if(children.begin(), children.end(),
                                      [](ui::Control* c) { return ui::isWindowed(c->kind()); });
    for (auto it = firstWindowed; it != children.end(); ++it)
      EXPECT_TRUE(ui::isWindowed((*it)->kind()) || (*it)->kind() == ui::Kind::Timer)
          << (*it)->name() << " lies in front of a windowed control";
  };
  check(w.controls());
  for (ui::Control* c : w.allControls())
    if (!c->children().empty()) check(c->children());
  EXPECT_EQ(*(w.controls().end() - 2), &w.ppset);  // the program's save retry timer comes last
}

TEST_F(MainWindowTest, PencilsOpenTheirSubPanelAtTheSamePlace) {
  app::MainWindow& w = start();
  w.edit[0].Click();
  EXPECT_TRUE(w.ppset.visible());
  EXPECT_TRUE(w.eyeset.visible());
  EXPECT_FALSE(w.xxset.visible());
  EXPECT_EQ(w.eyeset.place().left, 120);
  EXPECT_EQ(w.eyeset.place().top, 120);

  w.edit[1].Click();
  EXPECT_TRUE(w.ppset.visible());
  EXPECT_TRUE(w.xxset.visible());
  EXPECT_FALSE(w.eyeset.visible());
  EXPECT_EQ(w.xxset.place().left, 120);
  EXPECT_EQ(w.xxset.place().top, 120);

  w.Image8.Click();
  EXPECT_FALSE(w.ppset.visible());
}

// The hide image, or a close request from outside (Alt+F4) that takes its step.
TEST_F(MainWindowTest, AnOpenPanelSurvivesHidingToTheTray) {
  app::MainWindow& w = start();
  w.edit[1].Click();
  for (auto hide : {+[](app::MainWindow& m) { m.Image1.Click(); },
                    +[](app::MainWindow& m) { m.requestClose(); }}) {
    hide(w);
    EXPECT_FALSE(w.visible());
    EXPECT_EQ(shell.quits, 0);
    EXPECT_TRUE(notify.removed.empty());
    program->trayForm().xs_Click();
    EXPECT_TRUE(w.visible());
    EXPECT_TRUE(w.xxset.shown());
  }
}

TEST_F(MainWindowTest, ThePopUpCoversBothSwitchesAndBothPencils) {
  app::MainWindow& w = start();
  ui::Rect popUp = inWindow(w.ppset);
  for (const ui::Control* c : Controls{&w.SafeSwitch1, &w.SafeSwitch2, &w.edit[0], &w.edit[1]})
    EXPECT_TRUE(covers(popUp, inWindow(*c))) << c->name() << c->index();
}

TEST_F(MainWindowTest, CloseSavesAllThenRemovesTheIconThenQuits) {
  stored("eye", "pdrun", "1");
  app::MainWindow& w = start();
  w.Text2.userTyped("abc");  // saved exactly as typed
  w.Slider1.setValue(-7);
  w.Slider3[2].setValue(12);
  std::size_t before = store.log.size();
  w.image2.Click();
  EXPECT_EQ(logFrom(before), (std::vector<std::string>{
                                 "write dsxx/mei=abc", "write dsxx/xiuxi=5", "write dsxx/pdrun=1",
                                 "write eye/liangdu=-7", "write eye/duibidu=100",
                                 "write eye/rgbr=0", "write eye/rgbg=0", "write eye/rgbb=12",
                                 "write eye/pdrun=1", "icon remove", "quit"}));
}

TEST_F(MainWindowTest, EyeCareNeverTouchedRemovesItsFlagOnSave) {
  stored("eye", "pdrun", "0");
  app::MainWindow& w = start();
  w.image2.Click();
  EXPECT_FALSE(store.has("eye", "pdrun"));
  EXPECT_EQ(store.at("eye", "duibidu"), "100");
}

TEST_F(MainWindowTest, SessionEndSavesWithoutEnding) {
  app::MainWindow& w = start();
  w.Text3.userTyped("7");
  program->sessionEnding();
  EXPECT_EQ(store.at("dsxx", "xiuxi"), "7");
  EXPECT_EQ(store.at("dsxx", "pdrun"), "1");
  EXPECT_EQ(shell.quits, 0);
  EXPECT_TRUE(notify.removed.empty());
}

TEST_F(MainWindowTest, TrayExitSavesNothingAnExitRequestSavesAndTheUninstallerRestores) {
  for (int way : {0, 1, 2}) {  // tray Exit, the installer's request, the uninstaller's
    SCOPED_TRACE(way);
    gamma.ramp = colour::identityRamp();
    stored("night", "on", "0");
    stored("eye", "pdrun", "1");
    stored("eye", "liangdu", "-20");
    const std::string typed = std::to_string(7 + way);
    start().Text3.userTyped(typed);
    const int saves = store.saves;
    if (way == 0) {
      notify.choice = tray::kExit;
      program->trayNotify(0x0205);
    } else {
      program->exitRequested(way == 2);
    }
    EXPECT_EQ(store.saves - saves, way == 0 ? 0 : 1);
    EXPECT_EQ(store.has("dsxx", "xiuxi") && store.at("dsxx", "xiuxi") == typed, way != 0);
    EXPECT_EQ(store.at("eye", "liangdu"), "-20");  // saved before the ramp is restored
    EXPECT_EQ(gamma.ramp[255], way == 2 ? 65535 : 52428);
    EXPECT_EQ(logFrom(store.log.size() - 2), (std::vector<std::string>{"icon remove", "quit"}));
  }
}

TEST_F(MainWindowTest, IconOnlyStartRunsTheLoadStepAndShowsTheWindowOnlyOnDisplay) {
  stored("eye", "pdrun", "1");
  stored("eye", "liangdu", "-20");
  app::MainWindow& w = start(true);
  EXPECT_EQ(notify.added.size(), 1u);
  EXPECT_TRUE(w.loaded());
  EXPECT_FALSE(w.visible());
  // Reminders and eye care run as after a plain start.
  EXPECT_TRUE(w.Timer1.running());
  EXPECT_EQ(w.Label5.text(), "14:52");
  EXPECT_EQ(w.Slider1.value(), -20);
  EXPECT_EQ(gamma.ramp[255], 52428);  // 0.8 x 65535
  clock.set(14, 51, 30);  // the warning before the rest dims eye care's ramp on the screen
  w.Timer1.Tick();
  EXPECT_LT(gamma.ramp[255], 52428);
  notify.choice = tray::kDisplay;
  program->trayNotify(0x0202);
  EXPECT_TRUE(w.visible());
}

TEST(IconOnlyStart, OnlyTheTraySwitchInAnyCase) {
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{}, false},       {{"/tray"}, true},      {{"/TRAY"}, true},
      {{"-Tray"}, true}, {{"x", "/tray"}, true}, {{"/tray2"}, false},
      {{"tray"}, false}, {{"/tra"}, false},      {{"\\tray"}, false},
      {{""}, false},
  };
  for (const auto& [arguments, expected] : cases)
    EXPECT_EQ(app::iconOnlyStart(arguments), expected) << ::testing::PrintToString(arguments);
}

TEST(CommandLine, EveryCommandItsRangeAndTheArgumentNamed) {
  auto parsed = [](const std::vector<std::string>& arguments) {
    const app::ParsedCommand p = app::parseCommand(arguments);
    return p.command ? app::commandText(*p.command) : p.error.empty() ? "none" : "! " + p.error;
  };
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "none"},
      {{"/tray"}, "none"},
      {{"/Brightness", "-50"}, "/brightness -50"},
      {{"-BRIGHTNESS", "+50"}, "/brightness 50"},
      {{"/tray", "/backlight", "0"}, "/backlight 0"},
      {{"/backlight", "100", "-tray"}, "/backlight 100"},
      {{"/backlight", "40", "Built-in", "display"}, "/backlight 40 Built-in display"},
      {{"/eyecare", "ON"}, "/eyecare on"},
      {{"/nightlight", "off"}, "/nightlight off"},
      {{"/pause", "1440"}, "/pause 1440"},
      {{"/pause", "Tomorrow"}, "/pause tomorrow"},
      {{"/resume"}, "/resume"},
      {{"-REST"}, "/rest"},
      {{"/status"}, "/status"},
      {{"/?"}, "/?"},
      {{"/brightness", "51"}, "! /brightness needs a whole number from -50 to 50, not \"51\"."},
      {{"/brightness"}, "! /brightness needs a whole number from -50 to 50."},
      {{"/backlight", "-1"}, "! /backlight needs a whole number from 0 to 100, not \"-1\"."},
      {{"/backlight", "5.5"}, "! /backlight needs a whole number from 0 to 100, not \"5.5\"."},
      {{"/pause", "0"}, "! /pause needs whole minutes from 1 to 1440, or tomorrow, not \"0\"."},
      {{"/pause", "99999999999"},
       "! /pause needs whole minutes from 1 to 1440, or tomorrow, not "
       "\"99999999999\"."},
      {{"/eyecare", "1"}, "! /eyecare needs on or off, not \"1\"."},
      {{"/status", "x"},
       "! Lumora takes one command at a time: \"x\" after /status is not "
       "understood."},
      {{"/dim"}, "! Lumora does not know \"/dim\". Lumora.exe /? lists the commands."},
      {{"status"}, "! Lumora does not know \"status\". Lumora.exe /? lists the commands."}};
  for (const auto& [arguments, want] : cases)
    EXPECT_EQ(parsed(arguments), want) << ::testing::PrintToString(arguments);
  // The running copy takes only the text a copy sends; help is answered where it was asked.
  EXPECT_EQ(app::receivedCommand("/pause tomorrow"), (app::Command{app::Verb::Pause, 0, ""}));
  EXPECT_EQ(app::receivedCommand("/backlight 5 2"), (app::Command{app::Verb::Backlight, 5, "2"}));
  for (const char* text : {"/PAUSE tomorrow", "/pause  5", "/pause 5 ", "/tray", "/?", "",
                           "/brightness 60", "/rest\n", "/eyecare on /tray"})
    EXPECT_EQ(app::receivedCommand(text), std::nullopt) << text;
}

TEST_F(MainWindowTest, CommandsActThroughTheControlsAndStoreInOneSave) {
  app::MainWindow& w = start(true);
  const int saves = store.saves;
  // Brightness with eye care off: eye care on first, as a person would, then one save.
  EXPECT_EQ(program->command("/brightness -20")->exitCode, app::kDone);
  EXPECT_TRUE(w.SafeSwitch1.Value());
  EXPECT_EQ(w.Slider1.value(), -20);
  EXPECT_EQ(gamma.ramp[255], 52428);  // 0.8 x 65535
  EXPECT_EQ(store.saves, saves + 1);
  EXPECT_EQ((store.values[{"eye", "pdrun"}]), "1");
  EXPECT_EQ((store.values[{"eye", "liangdu"}]), "-20");
  EXPECT_EQ((store.values[{"eye", "duibidu"}]), "100");  // all five, as the panel's OK
  // Refused or ignored: nothing changes.
  EXPECT_EQ(program->command("/backlight 50")->exitCode, app::kRefused);
  EXPECT_EQ(program->command("/brightness 99"), std::nullopt);
  EXPECT_EQ(store.saves, saves + 1);
  EXPECT_EQ(w.Slider1.value(), -20);
  EXPECT_EQ(program->command("/pause 90")->exitCode, app::kDone);
  EXPECT_EQ((store.values[{"dsxx", "paused_until"}]), "2026-12-07 15:37");
  EXPECT_EQ(program->command("/status")->output,
            "eyecare=on\nbrightness=-20\nbacklight=none\nnightlight=on\nwarmth=6500\n"
            "nextrest=\nhours=always\npaused_until=2026-12-07 15:37\n");
}

// Monitors that answer only when the test lists them.
struct LateMonitors : colour::MonitorControl {
  void list(int) override {}
  void send(const std::string&, int) override {}
};

// A command's answer is what happened: a change not stored exits 1 with what is in force and what
// was not saved, and a box never holds the caller (it comes after). A command the monitors cannot
// answer yet is offered again; one that changes nothing moves nothing.
TEST_F(MainWindowTest, CommandsTellWhatWasNotSavedAndNoBoxHoldsTheirCaller) {
  LateMonitors late;
  monitors = &late;
  app::MainWindow& w = start(true);
  EXPECT_EQ(program->command("/backlight 40"), std::nullopt);
  late.Listed({{"D1 A", 25, 50}});
  EXPECT_EQ(program->command("/backlight 40")->exitCode, app::kDone);
  EXPECT_EQ(store.at("backlight", "level"), "40");
  EXPECT_EQ(program->command("/eyecare off")->exitCode, app::kDone);
  EXPECT_EQ(store.at("eye", "pdrun"), "0");
  EXPECT_FALSE(w.SafeSwitch1.Value());
  const std::string next = w.Text1.text();
  clock.advance(600);
  EXPECT_EQ(program->command("/resume")->exitCode, app::kDone);  // not paused: nothing moves
  EXPECT_EQ(w.Text1.text(), next);

  store.writable = false;
  store.readOnlyFile = true;
  for (const char* command : {"/pause 30", "/eyecare on"}) {  // the second: no box again
    const std::optional<app::CommandReply> reply = program->command(command);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->exitCode, app::kRefused);
    EXPECT_EQ(reply->output.find(std::string(command) + " is in force now but was not saved: "), 0u)
        << reply->output;
    EXPECT_TRUE(shell.messages.empty());
  }
  EXPECT_NE(program->command("/pause 30")
                ->output.find(
                    "rest reminders (paused_until); eye care (pdrun) to C:\\Lumora\\config.ini.\n"),
            std::string::npos);        // what waits, from every save that failed
  EXPECT_TRUE(w.SafeSwitch1.Value());  // in force all the same
  const std::string status = program->command("/status")->output;
  EXPECT_TRUE(status.ends_with("\npaused_until=2026-12-07 14:47\n")) << status;
  host.run();
  // After the answers, in order: the missing monitor.txt of each switch, and the save's, once.
  ASSERT_EQ(shell.messages.size(), 4u);
  EXPECT_EQ(shell.messages[2].text.find("Lumora cannot save its settings"), 0u);
}

TEST_F(MainWindowTest, DisplayResetResendsTheRampAndARestFollowsTheMonitors) {
  stored("eye", "pdrun", "1");
  stored("eye", "liangdu", "-20");
  start();
  ui::Ramp adjusted = gamma.ramp;
  gamma.ramp = colour::identityRamp();  // the system dropped our ramp
  rest::Rest& rest = program->mainWindow().rest();
  rest.restNow();
  screen.others = {{{1280 * 15, 0, 1024 * 15, 768 * 15}, 96, false}};  // plugged in meanwhile
  program->displayReset();
  EXPECT_EQ(gamma.ramp, adjusted);
  EXPECT_EQ(rest.restScreens().size(), 2u);
}

TEST_F(MainWindowTest, TitleStripDragsOnlyWithTheLeftButtonHeld) {
  app::MainWindow& w = start();
  w.pmenu.MouseMove(ui::MouseArgs{0, 0, {100, 100}});
  w.title.MouseMove(ui::MouseArgs{ui::kRightButton, 0, {100, 100}});
  EXPECT_EQ(view.drags, 0);
  w.pmenu.MouseMove(ui::MouseArgs{ui::kLeftButton, 0, {100, 100}});
  w.title.MouseMove(ui::MouseArgs{ui::kLeftButton | ui::kRightButton, 0, {10, 10}});
  EXPECT_EQ(view.drags, 2);
  EXPECT_FALSE(app::StartWindowDrag(w, ui::MouseArgs{ui::kLeftButton, 0, {}}, true));
  EXPECT_EQ(view.drags, 2);
}

// A save that fails waits on a minute's timer that runs only then; the session's end tries it
// once more and names what was not saved.
TEST_F(MainWindowTest, ASaveThatFailsIsTriedEveryMinuteAndNamedAtTheEnd) {
  app::MainWindow& w = start();
  auto& retry = static_cast<ui::Timer&>(*w.find("saveRetry"));
  EXPECT_FALSE(retry.running());
  store.writable = false;
  program->shortcut(app::kNightLight);
  EXPECT_EQ(retry.interval(), 60000);
  retry.Tick();
  EXPECT_TRUE(retry.running());
  program->sessionEnding();
  EXPECT_NE(shell.messages.back().text.find("Not saved: night light (on)"), std::string::npos);
  store.writable = true;
  retry.Tick();
  EXPECT_FALSE(retry.running());
  EXPECT_TRUE(store.has("night", "on"));
}

}  // namespace
