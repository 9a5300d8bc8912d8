#include <gtest/gtest.h>

#include "Fakes.h"
#include "settings/Ini.h"

namespace {

struct IniTest : ::testing::Test {
  fakes::ProfileStore store;
  fakes::Shell shell;
  settings::Ini ini{store, shell};
};

TEST_F(IniTest, MissingKeyOrFileReadsAsTheKeyNameAndAnEmptyValueAsEmpty) {
  EXPECT_EQ(ini.readini("dsxx", "mei"), "mei");
  store.values[{"dsxx", "xiuxi"}] = "5";
  EXPECT_EQ(ini.readini("dsxx", "pdrun"), "pdrun");
  EXPECT_EQ(ini.readini("dsxx", "xiuxi"), "5");
  // The key's name is the fallback asked of the store, not a value made up afterwards.
  EXPECT_EQ(store.log.front(), "read dsxx/mei");
  store.values[{"dsxx", "pdrun"}] = "";
  EXPECT_EQ(ini.readini("dsxx", "pdrun"), "");
}

TEST_F(IniTest, AValueIsReadWholeUpToANul) {
  store.values[{"busy", "apps"}] = std::string(10000, 'x');
  EXPECT_EQ(ini.readini("busy", "apps"), std::string(10000, 'x'));
  store.values[{"dsxx", "mei"}] = std::string("45\0x", 4);
  EXPECT_EQ(ini.readini("dsxx", "mei"), "45");
}

TEST_F(IniTest, NoValueRemovesTheKey) {
  ini.writeini("eye", "pdrun", "1");
  EXPECT_EQ(store.at("eye", "pdrun"), "1");
  ini.writeini("eye", "pdrun", std::nullopt);
  EXPECT_FALSE(store.has("eye", "pdrun"));
  EXPECT_EQ(ini.readini("eye", "pdrun"), "pdrun");
}

// A save that fails waits: its values stay in force, storing one again unchanged costs no retry,
// the next save brings them along. The message names the file, why it cannot be written and what
// was not saved, once, and again at exit only for what it did not name.
TEST_F(IniTest, ASaveThatFailsWaitsAndIsNamedOnce) {
  store.writable = false;
  EXPECT_FALSE(
      ini.writeini({{"dsxx", "mei", "45"}, {"eye", "liangdu", "3"}, {"dsxx", "xiuxi", "5"}}));
  EXPECT_FALSE(ini.writeini("eye", "liangdu", "3"));
  EXPECT_EQ(ini.readini("eye", "liangdu"), "3");
  EXPECT_EQ(store.saves, 1);
  EXPECT_FALSE(ini.savePending());
  ini.saveBeforeExit();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.logged.size(), 1u);
  const std::string& text = shell.messages[0].text;
  EXPECT_NE(text.find("C:\\Lumora\\config.ini"), std::string::npos);
  EXPECT_NE(text.find("folder can be written"), std::string::npos);
  EXPECT_NE(text.find("Not saved: rest reminders (mei, xiuxi); eye care (liangdu)."),
            std::string::npos);
  store.readOnlyFile = true;
  EXPECT_FALSE(ini.writeini("night", "from", "21:00"));
  ini.saveBeforeExit();
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_NE(shell.messages[1].text.find("The file is read-only"), std::string::npos);
  EXPECT_NE(shell.messages[1].text.find("eye care (liangdu); night light (from)."),
            std::string::npos);
  store.writable = true;
  EXPECT_TRUE(ini.writeini("eye", "duibidu", "90"));
  EXPECT_FALSE(ini.pending());
  EXPECT_EQ(store.at("night", "from"), "21:00");
}

TEST_F(IniTest, SaveAllWritesTheNineKeysInOrder) {
  settings::SavedSettings s;
  s.mei = "45";
  s.xiuxi = "abc";  // stored exactly as typed
  s.restOn = "1";
  s.colour = {{"liangdu", -7}, {"duibidu", 100}, {"rgbr", 0}, {"rgbg", 0}, {"rgbb", 12}};
  s.eyeOn = "0";
  s.more = {{"backlight", "level", "40"}};
  settings::saveAll(ini, s);
  std::vector<std::string> expected = {"write dsxx/mei=45",     "write dsxx/xiuxi=abc",
                                       "write dsxx/pdrun=1",    "write eye/liangdu=-7",
                                       "write eye/duibidu=100", "write eye/rgbr=0",
                                       "write eye/rgbg=0",      "write eye/rgbb=12",
                                       "write eye/pdrun=0",     "write backlight/level=40"};
  EXPECT_EQ(store.log, expected);
  EXPECT_EQ(store.saves, 1);
}

}  // namespace
