// The main window without a mouse: Tab order per panel, Space and Enter, Esc, shortcut texts.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "app_fixture_test.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "colour/EyeCare.h"
#include "rest/Rest.h"

namespace {

struct KeyboardTest : MainWindowTest {
  app::MainWindow& start(bool eyeOn, bool restOn) {
    stored("eye", "pdrun", eyeOn ? "1" : "0");
    stored("dsxx", "pdrun", restOn ? "1" : "0");
    return MainWindowTest::start();
  }
};

// Presses keys written as letters: T Tab, t Shift+Tab, S Space, E Enter, X Esc.
void press(ui::Form& form, const std::string& keys) {
  for (char k : keys) {
    switch (k) {
      case 'T':
        form.keyDown(ui::Key::Tab);
        break;
      case 't':
        form.keyDown(ui::Key::Tab, true);
        break;
      case 'S':
        form.keyDown(ui::Key::Space);
        break;
      case 'E':
        form.keyDown(ui::Key::Enter);
        break;
      case 'X':
        form.keyDown(ui::Key::Escape);
        break;
    }
  }
}

std::string where(const app::MainWindow& w) {
  if (!w.visible()) return "hidden";
  if (!w.ppset.visible()) return "window";
  return w.eyeset.visible() ? "colour panel" : "rest panel";
}

TEST_F(KeyboardTest, TabOrderSpaceEnterAndEscPerPanel) {
  struct Case {
    bool eyeOn, restOn;
    const char* keys;
    const char* focused;  // the focused control's name
    const char* shows;
  };
  const Case cases[] = {
      {false, false, "T", "Eye care", "window"},
      // Hidden pencils are skipped; Tab wraps round, Shift+Tab goes back.
      {false, false, "TTT", "Hide to the tray", "window"},
      {false, false, "TTTTT", "Eye care", "window"},
      {false, false, "t", "Close", "window"},
      {false, true, "TTT", "Rest settings", "window"},
      {true, true, "TTT", "Colour settings", "window"},
      {true, true, "TTTT", "Rest settings", "window"},
      {true, true, "TTTTTtt", "Colour settings", "window"},
      // Space on a switch runs its Click: eye care on brings its pencil into the order.
      {false, false, "TSTT", "Colour settings", "window"},
      {false, false, "TETT", "Colour settings", "window"},
      // A pencil opens its panel, which takes the focus and keeps Tab inside it.
      {true, true, "TTTE", "Brightness", "colour panel"},
      {true, true, "TTTST", "Contrast", "colour panel"},
      {true, true, "TTTEt", "OK", "colour panel"},
      {true, true, "TTTETTTTTTT", "Night light to", "colour panel"},
      {true, true, "TTTETTTTTTTTTTTTTTT", "Brightness", "colour panel"},
      {true, true, "TTTTE", "Rest length in minutes", "rest panel"},
      {true, true, "TTTTETT", "Sound as a rest starts and ends", "rest panel"},
      {true, true, "TTTTETTT", "Dim the screen before a rest", "rest panel"},
      {true, true, "TTTTETTTT", "Short breaks", "rest panel"},
      {true, true, "TTTTETTTTT", "Minutes between short breaks", "rest panel"},
      {true, true, "TTTTETTTTTTTTTTTT", "Monday", "rest panel"},
      {true, true, "TTTTETTTTTTTTTTTTTTTTTTTT", "OK", "rest panel"},
      // Esc and Back close the panel and the focus returns to its pencil; Enter is OK.
      {true, true, "TTTTEX", "Rest settings", "window"},
      {true, true, "TTTTETTTTTTTTTTTTTTTTTTTTE", "Rest settings", "window"},
      {true, true, "TTTTEE", "Rest settings", "window"},
      {true, true, "TTTEE", "Colour settings", "window"},
      {true, true, "TTTEX", "Colour settings", "window"},
      {true, true, "TTTETTTTTTTTTTTTTE", "Colour settings", "window"},
      // Esc with no panel hides the window, as the hide image does; Enter there does nothing.
      {true, true, "X", "", "hidden"},
      {true, true, "TE", "Eye care", "window"},
      {true, true, "E", "", "window"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keys) + (c.eyeOn ? " eye on" : " eye off") +
                 (c.restOn ? " rest on" : " rest off"));
    app::MainWindow& w = start(c.eyeOn, c.restOn);
    press(w, c.keys);
    EXPECT_EQ(w.focused() ? w.focused()->accessName() : "", c.focused);
    EXPECT_EQ(where(w), c.shows);
    program.reset();
  }
}

TEST_F(KeyboardTest, SwitchesToggleThroughTheirClickAndTheMarkShowsOnlyForTheKeyboard) {
  app::MainWindow& w = start(false, true);
  EXPECT_FALSE(w.focusMarkShown());
  w.setFocus(&w.SafeSwitch2);  // as a click into it leaves it
  EXPECT_FALSE(w.focusMarkShown());
  press(w, "tS");
  EXPECT_EQ(w.focused(), &w.SafeSwitch1);
  EXPECT_TRUE(w.focusMarkShown());
  EXPECT_TRUE(w.SafeSwitch1.Value());
  EXPECT_TRUE(w.SafeSwitch1.checked());
  EXPECT_EQ(w.eyeCare().eyeOn(), "1");
  EXPECT_TRUE(w.edit[0].visible());
  press(w, "TS");
  EXPECT_FALSE(w.SafeSwitch2.Value());
  EXPECT_EQ(w.rest().restOn(), "0");
  // A switch that cannot be used ignores the keys.
  w.SafeSwitch2.setEnable(false);
  w.SafeSwitch2.Click = [](bool) { ADD_FAILURE() << "a disabled switch raised Click"; };
  press(w, "S");
  EXPECT_FALSE(w.SafeSwitch2.Value());
}

TEST_F(KeyboardTest, TypedRestTimesAreStoredByEnterAndBadOnesKeepThePanelOpen) {
  app::MainWindow& w = start(true, true);
  press(w, "TTTTE");
  ASSERT_EQ(w.focused(), &w.Text3);
  w.Text3.userTyped("7");
  press(w, "T");
  w.Text2.userTyped("30");
  press(w, "E");
  EXPECT_EQ(where(w), "window");
  EXPECT_EQ((store.values[{"dsxx", "xiuxi"}]), "7");
  EXPECT_EQ((store.values[{"dsxx", "mei"}]), "30");

  press(w, "E");  // the focus is back on the pencil
  w.Text2.userTyped("abc");
  const std::size_t before = shell.messages.size();
  press(w, "E");
  EXPECT_EQ(where(w), "rest panel");
  ASSERT_EQ(shell.messages.size(), before + 1);
  EXPECT_NE(shell.messages.back().text.find("1440"), std::string::npos);
  EXPECT_EQ((store.values[{"dsxx", "mei"}]), "30");
}

// With eye care off night light does nothing: the tray shows it so and the tip says what its
// key did. Every damaged value of every section is named in one message at start, with the value
// used instead.
TEST_F(KeyboardTest, TheTrayMenuShowsTheNightLightShortcutAsStored) {
  store.values[{"keys", "nightlight"}] = "ctrl + shift+N";
  // clang-format off
  const std::array<std::string, 4> damaged[] = {
      {"micro", "every", "0", "20"}, {"micro", "seconds", "99999", "20"},
      {"backlight", "level", "150", "100"}, {"dsxx", "later", "0", "5"}, {"dsxx", "sound", "yes", "1"},
      {"eye", "liangdu", "abc", "0"}, {"night", "on", "yes", "1"}, {"night", "fade", "600", "120"},
      {"night", "lat", "95", "nothing"}, {"night", "from", "25:00", "21:00"},
      {"busy", "apps", "C:\\x.exe", "nothing"}, {"keys", "darker", "Ctrl+PgDn", "Ctrl+Alt+PageDown"}};
  // clang-format on
  for (const auto& [section, key, value, used] : damaged) store.values[{section, key}] = value;
  start(false, false);
  ASSERT_EQ(shell.messages.size(), 1u);
  for (const auto& [section, key, value, used] : damaged)
    EXPECT_NE((shell.messages[0].text + "\n")
                  .find("\n[" + section + "] " + key + "=" + value + " (uses " + used + ")\n"),
              std::string::npos)
        << key << shell.messages[0].text;
  program->readShortcuts();
  EXPECT_EQ(shell.messages.size(), 1u);  // named once
  program->trayNotify(0x0205);           // right button released over the icon
  const tray::MenuItem* item = tray::findCommand(notify.lastMenu, tray::kNightLight);
  EXPECT_EQ(item->caption, "Night light\tctrl + shift+N");
  EXPECT_TRUE(!item->checked && !item->enabled);
  for (const char* tip : {"Night light off", "Night light on, once eye care is on"}) {
    program->shortcut(app::kNightLight);
    EXPECT_EQ(std::string(notify.modified.back().szTip.data()),
              "Rest reminders are off\n" + std::string(tip));
  }
}

}  // namespace

// Each text reads as the shortcut of its plain spelling, or not at all ("none").
TEST(ShortcutText, ModifiersKeysSpacingAndCase) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {" ctrl +ALT+ page down ", "Ctrl+Alt+PageDown"}, {"Alt+CTRL+pagedown", "Ctrl+Alt+PageDown"},
      {"Shift+Win+home", "Shift+Win+Home"}, {"win+CTRL+shift+alt+F24", "Ctrl+Alt+Shift+Win+F24"},
      {"Alt+x", "Alt+X"}, {"Ctrl+7", "Ctrl+7"}, {"Ctrl+Insert", "Ctrl+Insert"}, {"Ctrl+Delete", "Ctrl+Delete"},
      {"Alt+Left", "Alt+Left"}, {"Alt+Down", "Alt+Down"}, {"F13", "F13"}, {"", ""}, {"  ", ""},
      {"Home", "none"}, {"x", "none"}, {"Ctrl+Alt", "none"}, {"Ctrl+", "none"}, {"+End", "none"},
      {"Ctrl+PgDn", "none"}, {"Control+End", "none"}, {"Ctrl+F25", "none"}, {"Ctrl+F0", "none"},
      {"Ctrl+End+Home", "none"}, {"Ctrl+Alt+ß", "none"}};
  // clang-format on
  for (const auto& [text, plain] : cases)
    EXPECT_EQ(app::parseShortcut(text),
              std::string_view(plain) == "none" ? std::nullopt : app::parseShortcut(plain))
        << text;
  // The plain spellings themselves, field by field.
  EXPECT_EQ(app::parseShortcut("Ctrl+Alt+PageDown"),
            (app::Shortcut{app::kCtrl | app::kAlt, app::KeyKind::PageDown, 0}));
  EXPECT_EQ(app::parseShortcut("Alt+X"), (app::Shortcut{app::kAlt, app::KeyKind::Letter, 23}));
  EXPECT_EQ(app::parseShortcut("Ctrl+7"), (app::Shortcut{app::kCtrl, app::KeyKind::Digit, 7}));
  EXPECT_EQ(app::parseShortcut("Ctrl+Alt+Shift+Win+F24"),
            (app::Shortcut{15, app::KeyKind::Function, 24}));
  EXPECT_EQ(app::parseShortcut(""), app::Shortcut{});
}
