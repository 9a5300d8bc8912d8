#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <functional>
#include <utility>
#include <vector>
#include <string>

#include "rest_fixture_test.h"
#include "settings/Values.h"

namespace {

using RestWindows = RestFixture;

// Opens the prompt the way the clock does.
void openPrompt(RestFixture& f) {
  f.switchOn();
  f.tickUntil(14, 52, 0);
  ASSERT_NE(f.rest.prompt(), nullptr);
}

bool centredOn(const ui::Control& c, int screenWidth) {
  return std::abs(2 * c.place().left + c.place().width - screenWidth) <= 1;
}

TEST_F(RestWindows, PromptSitsAboveTheTaskbarAtTheRightEdgeWithoutTakingFocus) {
  openPrompt(*this);
  const rest::PromptWindow& p = *rest.prompt();
  EXPECT_EQ(p.place().left, 1280 * 15 - 4980);
  EXPECT_EQ(p.place().top, 760 * 15 - 1350);
  EXPECT_EQ(p.alpha(), 220);
  EXPECT_TRUE(p.topmost());
  EXPECT_TRUE(p.noActivate());
  EXPECT_EQ(formsCreated("Form2"), 1);  // its window came from the host
}

// The taskbar along the top edge: the work area ends at the screen's bottom.
struct TopTaskbarScreen : fakes::Screen {
  ui::Rect workArea() override {
    return {0, 40 * 15, pixels.width * 15, (pixels.height - 40) * 15};
  }
};

TEST_F(RestWindows, PromptSitsOnTheWorkAreaBottomWhateverEdgeAndDpi) {
  TopTaskbarScreen top;
  top.pixels = {1920, 1080};
  rest::PromptWindow p(rest, top, &host);
  p.show();
  EXPECT_EQ(p.place().left, 1920 * 15 - 4980);
  EXPECT_EQ(p.place().top, 1080 * 15 - 1350);
  // Docked after sign-in: the primary at 144 DPI, 10 twips a pixel there, not the system's 15.
  screen.pixels = {2880, 1620};
  screen.dpi = 144;
  rest::PromptWindow docked(rest, screen, &host);
  docked.show();
  EXPECT_EQ(docked.dpi(), 144);
  EXPECT_EQ(docked.place(), (ui::Rect{2880 * 10 - 4980, 1580 * 10 - 1350, 4980, 1350}));
}

TEST_F(RestWindows, RestNowOpensTheRestScreenAndDropsThePromptAfterItsHandler) {
  openPrompt(*this);
  rest::PromptWindow* prompt = rest.prompt();
  prompt->Label1.Click();
  EXPECT_TRUE(prompt->closed());  // still alive: its own handler has only just returned
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_FALSE(host.queue.empty());
  ASSERT_NE(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.Pdtipshow(), 1);
  EXPECT_EQ(rest.restCounting(), 1);
  host.run();
  EXPECT_EQ(formsCreated("Form3"), 1);
}

// Monitors beside the 1280 x 800 primary, each rectangle in twips at its own DPI: one right of
// it at 144 DPI (1536 x 864 pixels, 10 twips a pixel) and one left of it at 96 DPI.
const ui::Monitor kRightAt144{{1280 * 10, 0, 1536 * 10, 864 * 10}, 144, false};
const ui::Monitor kLeft{{-1024 * 15, 0, 1024 * 15, 768 * 15}, 96, false};

TEST_F(RestWindows, RestScreenCoversEveryMonitorAndCentresItsControlsOnEach) {
  struct Desktop {
    const char* what;
    ui::Size primary;
    std::vector<ui::Monitor> others;
    bool listed = true;
  };
  const std::vector<Desktop> desktops = {
      {"1280 x 800", {1280, 800}, {}},
      {"1024 x 768", {1024, 768}, {}},
      {"2561 x 1440", {2561, 1440}, {}},
      {"a second monitor at 144 DPI", {1280, 800}, {kRightAt144}},
      {"three, one left of the primary", {1280, 800}, {kLeft, kRightAt144}},
      {"none listed: the primary screen", {1600, 900}, {}, false},
  };
  int opened = 0;
  for (const Desktop& d : desktops) {
    SCOPED_TRACE(d.what);
    screen.pixels = d.primary;
    screen.others = d.others;
    screen.noMonitors = !d.listed;
    std::vector<ui::Monitor> expected = screen.monitors();
    if (!d.listed) expected = {{{0, 0, d.primary.width * 15, d.primary.height * 15}, 0, true}};
    rest.restNow();
    const std::vector<rest::RestScreen*> screens = rest.restScreens();
    ASSERT_EQ(screens.size(), expected.size());
    opened += static_cast<int>(screens.size());
    for (std::size_t i = 0; i < screens.size(); ++i) {
      const rest::RestScreen& s = *screens[i];
      const int width = expected[i].area.width;
      EXPECT_EQ(s.place(), expected[i].area);
      EXPECT_EQ(s.dpi(), expected[i].dpi);  // made on its monitor, at its DPI
      EXPECT_TRUE(s.visible());
      EXPECT_EQ(s.alpha(), 200);
      EXPECT_FALSE(s.topmost());

      EXPECT_TRUE(centredOn(s.Text1, width));
      EXPECT_TRUE(centredOn(s.Picture1, width));
      EXPECT_TRUE(centredOn(s.imgclose, width));
      EXPECT_EQ(s.Text1.place().top, 1560);
      EXPECT_EQ(s.Picture1.place().top, 2880);
      EXPECT_EQ(s.imgclose.place().top, 5280);
      EXPECT_EQ(s.imgclose.place().width, 900);
      EXPECT_EQ(s.Picture2.place(), (ui::Rect{5880, 7680, 2775, 615}));

      EXPECT_EQ(s.Label1.container(), &s.Picture1);
      EXPECT_EQ(s.Label1.place(), (ui::Rect{0, 0, 13215, 2055}));
      EXPECT_EQ(s.Label1.text(), "Start");
      EXPECT_EQ(s.Text1.text(), "Time\xEF\xBC\x9A");  // full-width colon
    }
  }
  // Each new rest closed the screens before it.
  host.run();
  EXPECT_EQ(formsCreated("Form3"), opened);
}

// Reminders on; the next prompt comes and is accepted.
void restNow(RestFixture& f) {
  f.switchOn();
  for (int guard = 0; guard < 86400 && !f.rest.prompt(); ++guard) f.tick();
  ASSERT_NE(f.rest.prompt(), nullptr);
  f.rest.prompt()->Label1.Click();
  f.host.run();
}

// Whichever way a rest ends, the screens of every monitor close together and the close image's
// steps run once: as many new working periods begin as with a single monitor.
TEST_F(RestWindows, RestScreensOfEveryMonitorCloseTogether) {
  host.views = true;
  screen.others = {kRightAt144};
  const std::vector<std::pair<const char*, std::function<void()>>> ends = {
      {"the close image on the second monitor", [&] { rest.restScreens()[1]->imgclose.Click(); }},
      {"a close request on the second monitor", [&] { rest.restScreens()[1]->requestClose(); }},
      {"the close image on the primary monitor", [&] { rest.restScreens()[0]->imgclose.Click(); }},
      {"the end of the rest", [&] { tick(5 * 60 - 1); }},
  };
  for (const auto& [what, end] : ends) {
    SCOPED_TRACE(what);
    restNow(*this);
    tick();
    const std::vector<rest::RestScreen*> screens = rest.restScreens();
    ASSERT_EQ(screens.size(), 2u);
    for (const rest::RestScreen* s : screens) EXPECT_EQ(s->Label1.text(), "0:4:59");
    end();
    EXPECT_TRUE(rest.restScreens().empty());
    EXPECT_EQ(rest.Pdtipshow(), 0);
    host.run();
  }
}

TEST_F(RestWindows, MonitorsThatComeAndGoDuringARestAreFollowed) {
  const ui::Monitor primary{{0, 0, 1280 * 15, 800 * 15}, 96, true};
  const ui::Monitor rightAt96{{1280 * 15, 0, 1536 * 15, 864 * 15}, 96, false};
  struct Change {
    const char* what;
    std::vector<ui::Monitor> before;
    std::function<void(fakes::Screen&)> change;
    std::vector<ui::Monitor> after;  // the monitors covered then
    bool primaryKept;
    int opened;  // new windows
  };
  const std::vector<Change> changes = {
      {"one plugged in",
       {},
       [&](fakes::Screen& s) { s.others = {kRightAt144}; },
       {primary, kRightAt144},
       true,
       1},
      {"one unplugged", {kRightAt144}, [](fakes::Screen& s) { s.others = {}; }, {primary}, true, 0},
      {"a DPI changed",
       {kRightAt144},
       [&](fakes::Screen& s) { s.others = {rightAt96}; },
       {primary, rightAt96},
       true,
       1},
      {"none listed for a moment",
       {kRightAt144},
       [](fakes::Screen& s) { s.noMonitors = true; },
       {primary, kRightAt144},
       true,
       0},
      {"the primary resized",
       {kLeft},
       [](fakes::Screen& s) {
         s.pixels = {1024, 768};
       },
       {kLeft, {{0, 0, 1024 * 15, 768 * 15}, 96, true}},
       false,
       1},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    screen = fakes::Screen{};
    screen.others = c.before;
    restNow(*this);
    tick(10);
    rest::RestScreen* first = rest.restScreen();
    const int created = formsCreated("Form3");
    c.change(screen);
    rest.monitorsChanged();
    EXPECT_EQ(first->closed(), !c.primaryKept);
    host.run();
    std::vector<ui::Rect> covered, expected;
    for (const rest::RestScreen* s : rest.restScreens()) {
      covered.push_back(s->place());
      EXPECT_TRUE(s->visible());
      EXPECT_EQ(s->Label1.text(), "0:4:50");  // a new one too, not "Start"
    }
    for (const ui::Monitor& m : c.after) expected.push_back(m.area);
    std::sort(covered.begin(), covered.end(), [](auto& a, auto& b) { return a.left < b.left; });
    std::sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.left < b.left; });
    EXPECT_EQ(covered, expected);
    EXPECT_EQ(formsCreated("Form3") - created, c.opened);

    // The rest goes on on every screen and ends them all.
    tick();
    for (const rest::RestScreen* s : rest.restScreens()) EXPECT_EQ(s->Label1.text(), "0:4:49");
    EXPECT_EQ(rest.restCounting(), 1);
    tick(5 * 60 - 11);
    EXPECT_TRUE(rest.restScreens().empty());
    EXPECT_EQ(rest.Pdtipshow(), 0);
  }

  // Without a rest on screen a new monitor gets nothing: not with the prompt up, nor after a rest
  // closed early.
  screen = fakes::Screen{};
  switchOn();
  for (int guard = 0; guard < 86400 && !rest.prompt(); ++guard) tick();
  ASSERT_NE(rest.prompt(), nullptr);
  screen.others = {kRightAt144};
  rest.monitorsChanged();
  EXPECT_TRUE(rest.restScreens().empty());
  screen.others = {};
  rest.prompt()->Label1.Click();
  rest.restScreen()->imgclose.Click();
  ASSERT_EQ(rest.restCounting(), 0);
  screen.others = {kRightAt144};
  rest.monitorsChanged();
  EXPECT_TRUE(rest.restScreens().empty());
  host.run();
}

TEST_F(RestWindows, ClosingTheRestScreenStartsANewWorkingPeriod) {
  openPrompt(*this);
  rest.prompt()->Label1.Click();
  host.run();
  clock.set(14, 58, 20);
  rest::RestScreen* s = rest.restScreen();
  s->imgclose.Click();
  EXPECT_TRUE(s->closed());
  EXPECT_EQ(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.Pdtipshow(), 0);
  EXPECT_EQ(Text1.text(), "15:43");
  EXPECT_EQ(Label5.text(), "15:43");
  host.run();
}

// Esc is the close image; the countdown's name, which screen readers read, follows the caption
// only every ten seconds.
TEST_F(RestWindows, RestScreenEscClosesItAndItsCountdownIsAnnouncedEveryTenSeconds) {
  openPrompt(*this);
  rest.prompt()->Label1.Click();
  host.run();
  rest::RestScreen* s = rest.restScreen();
  EXPECT_FALSE(rest.prompt()) << "the prompt has gone";
  std::vector<std::string> names;
  for (int i = 0; i < 25; ++i) {
    tick();
    if (names.empty() || names.back() != s->Label1.accessName())
      names.push_back(s->Label1.accessName());
    EXPECT_EQ(s->Label1.text(), caption());
  }
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "0:4:59");
  EXPECT_EQ(names[1], "0:4:49");
  EXPECT_EQ(names[2], "0:4:39");
  EXPECT_EQ(caption(), "0:4:35");

  EXPECT_TRUE(s->keyDown(ui::Key::Escape));
  EXPECT_TRUE(s->closed());
  EXPECT_EQ(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.Pdtipshow(), 0);
  host.run();
}

// Every way out of the prompt and the rest screen, a close request from outside included,
// takes their steps. Closing frees the form in work posted before the work that drops its
// views, as the program's own teardown does: no view may touch a freed control then, nor after
// the whole reminder goes with its windows open.
TEST_F(RestWindows, ClosedFormsLeaveNoViewPointingIntoThem) {
  host.views = true;
  const std::vector<std::pair<const char*, std::function<void()>>> closes = {
      {"Do Not", [&] { rest.prompt()->Label2.Click(); }},
      {"a close request on the prompt (Do Not)", [&] { rest.prompt()->requestClose(); }},
      {"rest now, then a close request on the rest screen (its close image)",
       [&] {
         rest.prompt()->Label1.Click();
         host.run();
         rest.restScreen()->requestClose();
       }},
  };
  switchOn();
  for (const auto& [what, close] : closes) {
    SCOPED_TRACE(what);
    rest.dsxxadd();
    const int due = settings::parseClockTime(Text1.text()).value();
    tickUntil(due / 60, due % 60);
    ASSERT_NE(rest.prompt(), nullptr);
    close();
    host.run();
    EXPECT_EQ(rest.prompt(), nullptr);
    EXPECT_EQ(rest.restScreen(), nullptr);
    EXPECT_EQ(rest.Pdtipshow(), 0);  // so reminders go on
  }
  {
    rest::Rest open{controls(), clock, screen, &host, ini, shell};
    open.restNow();
  }
  host.run();
}

TEST_F(RestWindows, WithoutAHostTheRestCycleStillRuns) {
  rest::Rest hostless{controls(), clock, screen, nullptr, ini, shell};
  hostless.connect();
  switchOn();
  tickUntil(14, 52, 0);
  ASSERT_NE(hostless.prompt(), nullptr);
  hostless.prompt()->Label1.Click();
  ASSERT_NE(hostless.restScreen(), nullptr);
  hostless.restScreen()->imgclose.Click();
  EXPECT_EQ(hostless.restScreen(), nullptr);
  EXPECT_EQ(hostless.Pdtipshow(), 0);
  EXPECT_EQ(Text1.text(), "15:37");
  tick();  // drops the closed forms
  EXPECT_EQ(hostless.prompt(), nullptr);
}

}  // namespace
