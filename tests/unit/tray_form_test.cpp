#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "tray/Menu.h"
#include "tray/TrayForm.h"

namespace {

struct TrayFormTest : ::testing::Test {
  std::vector<std::string> events;
  fakes::Host host;
  fakes::Shell shell;
  fakes::NotifyArea notify;
  fakes::SignInEntry signIn;
  tray::Icon icon{notify};
  ui::Form mainWindow{"Form1", &host};
  tray::TrayForm cd{icon, notify, shell, signIn, mainWindow};

  TrayFormTest() {
    notify.onEvent = [this](const std::string& e) { events.push_back("icon " + e); };
    mainWindow.Load = [this] {
      events.push_back(cd.visible() ? "Form1 load, cd visible" : "Form1 load");
    };
  }
  void release(int message) { cd.trayNotify(message); }
};

TEST(TrayCallback, OnlyButtonReleasesOpenTheMenu) {
  EXPECT_EQ(tray::trayAction(0x0202), tray::TrayAction::OpenMenu);  // left up
  EXPECT_EQ(tray::trayAction(0x0205), tray::TrayAction::OpenMenu);  // right up
  for (int message : {0x0200, 0x0201, 0x0203, 0x0204, 0x0206, 0x0207, 0x0208, 0x0209, 0})
    EXPECT_EQ(tray::trayAction(message), tray::TrayAction::None) << std::hex << message;
  // Only the low word carries the mouse message.
  EXPECT_EQ(tray::trayAction(0x00010202), tray::TrayAction::OpenMenu);
  EXPECT_EQ(tray::trayAction(0x02020000), tray::TrayAction::None);
}

TEST(TrayMenu, EntriesInOrderWithExactCaptions) {
  tray::Menu m = tray::trayMenu();
  EXPECT_EQ(m.name, "cd");
  std::vector<std::pair<std::string, int>> shown;
  for (const tray::MenuItem& item : m.items) shown.push_back({item.caption, item.command});
  const int pause = m.items.at(5).command;  // the pause sub-menu has its own tests
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, int>>{
                       {"Display", tray::kDisplay},
                       {"Tavik:Health: ", tray::kHealth},
                       {"About", tray::kNoCommand},  // opens its sub-menu only
                       {"Start with Windows", tray::kStartWithWindows},
                       {"Night light", tray::kNightLight},
                       {"Pause reminders", pause},
                       {"Exit", tray::kExit}}));
  ASSERT_EQ(m.items[2].items.size(), 1u);
  EXPECT_EQ(m.items[2].items[0].caption, "About APP");
  EXPECT_EQ(m.items[2].items[0].command, tray::kAboutApp);
  EXPECT_EQ(tray::findCommand(m, tray::kAboutApp), &m.items[2].items[0]);
  EXPECT_EQ(tray::findCommand(m, tray::kNoCommand + 99), nullptr);
  // While a prompt is up its answers come first, a separator line between them and the rest.
  tray::Menu up = tray::trayMenu({.prompt = true});
  std::vector<std::string> first;
  for (std::size_t n = 0; n < 5; ++n) first.push_back(up.items.at(n).caption);
  EXPECT_EQ(first,
            (std::vector<std::string>{"Rest now", "Later", "Skip this rest", "", "Display"}));
}

TEST_F(TrayFormTest, StartHidesItselfOpensTheMainWindowThenAddsTheIcon) {
  cd.start();
  EXPECT_EQ(events, (std::vector<std::string>{"Form1 load", "icon add"}));
  EXPECT_FALSE(cd.visible());
  EXPECT_TRUE(mainWindow.visible());
  EXPECT_EQ(host.created, (std::vector<std::string>{"Form1"}));  // the unseen form has no window
  EXPECT_EQ(cd.caption(), "Form3");
  EXPECT_EQ(cd.border(), ui::Border::Sizable);

  ASSERT_EQ(notify.added.size(), 1u);
  const tray::NotifyRecord& r = notify.added[0];
  EXPECT_EQ(r.cbSize, 88u);
  EXPECT_EQ(r.hWnd, 0xCD00u);
  EXPECT_EQ(r.uID, 0x1D0Cu);
  EXPECT_EQ(r.hIcon, 0x1D0Cu);
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 0x0200u);
  EXPECT_TRUE(std::all_of(r.szTip.begin(), r.szTip.end(), [](char c) { return c == 0; }));
}

TEST_F(TrayFormTest, ReleasesOpenTheMenuAndDisplayShowsTheHiddenWindowOrLeavesItAlone) {
  cd.start();
  release(0x0201);  // a press: the callback's table has the rest
  release(0x0202);
  EXPECT_EQ(notify.menusShown, std::vector<std::string>{"cd"});
  EXPECT_TRUE(shell.opened.empty());  // dismissed: nothing runs
  mainWindow.hide();
  notify.choice = tray::kDisplay;
  release(0x0205);
  EXPECT_TRUE(mainWindow.visible());
  release(0x0202);
  EXPECT_TRUE(mainWindow.visible());
  EXPECT_EQ(notify.menusShown.size(), 3u);
  EXPECT_FALSE(cd.visible());
  EXPECT_EQ(notify.removed.size(), 0u);
  EXPECT_EQ(shell.quits, 0);
}

TEST_F(TrayFormTest, WebPagesOpenOnTheProductHost) {
  cd.start();
  notify.choice = tray::kHealth;
  release(0x0202);
  notify.choice = tray::kAboutApp;
  release(0x0202);
  EXPECT_EQ(shell.opened,
            (std::vector<std::string>{"http://www.tavik.example/do/health.html",
                                      "http://www.tavik.example/apps/lumora/index.html?v=1.0"}));
}

TEST_F(TrayFormTest, ExitRemovesTheSameRecordThenQuits) {
  cd.start();
  notify.choice = tray::kExit;
  release(0x0205);
  ASSERT_EQ(notify.removed.size(), 1u);
  EXPECT_EQ(notify.removed[0].hWnd, notify.added[0].hWnd);
  EXPECT_EQ(notify.removed[0].uID, notify.added[0].uID);
  EXPECT_EQ(shell.quits, 1);
  EXPECT_FALSE(icon.present());
}

TEST_F(TrayFormTest, StartWithWindowsShowsTheEntryAsItIsAndTurnsItOverOnClick) {
  struct Case {
    const char* what;
    bool present, disabled, refuses;
    bool checked;               // as the menu shows it
    bool written;               // what the click asks for
    bool presentAfter, warned;  // the entry afterwards, a message shown
  };
  const Case cases[] = {
      {"no entry", false, false, false, false, true, true, false},
      {"entry", true, false, false, true, false, false, false},
      {"entry disabled in Task Manager", true, true, false, false, true, true, false},
      {"write refused", false, false, true, false, true, false, true},
  };
  cd.start();
  notify.choice = tray::kStartWithWindows;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    signIn = {};
    signIn.present = c.present;
    signIn.disabled = c.disabled;
    signIn.refuses = c.refuses;
    shell.messages.clear();
    release(0x0205);
    EXPECT_EQ(tray::findCommand(notify.lastMenu, tray::kStartWithWindows)->checked, c.checked);
    EXPECT_EQ(signIn.writes, std::vector<bool>{c.written});
    EXPECT_EQ(signIn.present, c.presentAfter);
    ASSERT_EQ(shell.messages.size(), c.warned ? 1u : 0u);
    EXPECT_EQ(shell.quits, 0);
  }
  EXPECT_EQ(shell.messages[0].text,
            "Lumora could not add itself to the programs that start with Windows.");
}

TEST_F(TrayFormTest, TaskbarRestartReaddsTheIconUntilItIsRemoved) {
  cd.start();
  cd.taskbarCreated();
  ASSERT_EQ(notify.added.size(), 2u);
  EXPECT_EQ(notify.added[1].hWnd, notify.added[0].hWnd);
  EXPECT_EQ(notify.added[1].hIcon, notify.added[0].hIcon);
  // The new taskbar may have kept the icon: it is still there and its tip still follows.
  EXPECT_TRUE(icon.present());
  icon.setTip("Rest now");
  EXPECT_STREQ(notify.modified.back().szTip.data(), "Rest now");
  icon.remove();
  cd.taskbarCreated();
  EXPECT_EQ(notify.added.size(), 2u);
}

}  // namespace
