#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>
#include <string>

#include "rest_fixture_test.h"

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

TEST_F(RestWindows, PromptDesign) {
  openPrompt(*this);
  const rest::PromptWindow& p = *rest.prompt();
  EXPECT_EQ(p.caption(), "Form2");
  EXPECT_EQ(p.border(), ui::Border::None);
  EXPECT_EQ(p.place().width, 4980);
  EXPECT_EQ(p.place().height, 1350);
  EXPECT_EQ(p.Label3.text(), "Tavik Lumora");
  EXPECT_EQ(p.Label2.text(), "Do Not");
  EXPECT_TRUE(p.Label1.transparent());
  // The unused controls lie hidden below the client area.
  for (const ui::Control* hidden :
       {static_cast<const ui::Control*>(&p.tip), static_cast<const ui::Control*>(&p.tippro)}) {
    EXPECT_FALSE(hidden->visible()) << hidden->name();
    EXPECT_GE(hidden->place().top, 1350) << hidden->name();
  }
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

TEST_F(RestWindows, PromptSitsOnTheWorkAreaBottomWhateverEdgeTheTaskbarIsOn) {
  TopTaskbarScreen top;
  top.pixels = {1920, 1080};
  rest::PromptWindow p(rest, top, &host);
  p.show();
  EXPECT_EQ(p.place().left, 1920 * 15 - 4980);
  EXPECT_EQ(p.place().top, 1080 * 15 - 1350);
}

TEST_F(RestWindows, RestNowOpensTheRestScreenAndDropsThePromptAfterItsHandler) {
  openPrompt(*this);
  rest::PromptWindow* prompt = rest.prompt();
  prompt->Label1.Click();
  EXPECT_TRUE(prompt->closed());  // still alive: its own handler has only just returned
  EXPECT_EQ(rest.prompt(), nullptr);
  EXPECT_FALSE(host.queue.empty());
  ASSERT_NE(rest.restScreen(), nullptr);
  EXPECT_EQ(rest.Pdtipshow, 1);
  EXPECT_EQ(rest.restCounting(), 1);
  host.run();
  EXPECT_EQ(formsCreated("Form3"), 1);
}

TEST_F(RestWindows, RestScreenCoversTheScreenAndCentresItsControls) {
  for (ui::Size px : {ui::Size{1280, 800}, ui::Size{1024, 768}, ui::Size{2561, 1440}}) {
    SCOPED_TRACE(px.width);
    screen.pixels = px;
    rest.showRestScreen();
    const rest::RestScreen& s = *rest.restScreen();
    const int width = px.width * 15;
    EXPECT_EQ(s.place(), (ui::Rect{0, 0, width, px.height * 15}));
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
  // Each new rest screen closed the one before it.
  host.run();
  EXPECT_EQ(formsCreated("Form3"), 3);
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
  EXPECT_EQ(rest.Pdtipshow, 0);
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
  EXPECT_EQ(rest.Pdtipshow, 0);
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
    const int due = rest::parseTimeOfDay(Text1.text()).value();
    tickUntil(due / 60, due % 60);
    ASSERT_NE(rest.prompt(), nullptr);
    close();
    host.run();
    EXPECT_EQ(rest.prompt(), nullptr);
    EXPECT_EQ(rest.restScreen(), nullptr);
    EXPECT_EQ(rest.Pdtipshow, 0);  // so reminders go on
  }
  {
    rest::Rest open{controls(), clock, screen, &host, ini, shell};
    open.showRestScreen();
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
  EXPECT_EQ(hostless.Pdtipshow, 0);
  EXPECT_EQ(Text1.text(), "15:37");
  tick();  // drops the closed forms
  EXPECT_EQ(hostless.prompt(), nullptr);
}

}  // namespace
