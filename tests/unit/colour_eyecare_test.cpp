#include <gtest/gtest.h>

#include "Fakes.h"
#include "colour/DefaultRamp.h"
#include "colour/EyeCare.h"
#include "controls/SafeSwitch.h"
#include "settings/Values.h"

namespace {

using colour::at;
using colour::levelAdjust;
using colour::Ramp;

// What the display holds when the program starts: an earlier run's darkened ramp.
Ramp startRamp() {
  Ramp r{};
  for (std::size_t n = 0; n < r.size(); ++n) r[n] = static_cast<std::uint16_t>((n % 256) * 230);
  return r;
}

// The default ramp of monitor.txt in these tests, not the identity so that it shows.
Ramp fileRamp() {
  Ramp r{};
  for (int i = 0; i < 256; ++i) {
    r[at(0, i)] = static_cast<std::uint16_t>(250 * i + 10);
    r[at(1, i)] = static_cast<std::uint16_t>(255 * i);
    r[at(2, i)] = static_cast<std::uint16_t>(256 * i + 100);
  }
  return r;
}

Ramp levelled(const Ramp& base, int red, int green, int blue) {
  Ramp r = base;
  const int amounts[3] = {red, green, blue};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) r[at(c, i)] = levelAdjust(amounts[c], base[at(c, i)]);
  return r;
}

struct EyeCareTest : ::testing::Test {
  controls::SafeSwitch SafeSwitch1{"SafeSwitch1"};
  ui::Slider Slider1{"Slider1"}, Slider2{"Slider2"};
  ui::Slider Slider3_0{"Slider3", 0}, Slider3_1{"Slider3", 1}, Slider3_2{"Slider3", 2};
  ui::Label colo1{"colo", 1}, colo3{"colo", 3};
  ui::Image edit0{"edit", 0};
  ui::Label Label2_0{"Label2", 0};
  ui::PictureBox ppset{"ppset"};
  ui::Image Image7{"Image7"};
  ui::Label colourStatus{"colourStatus"};
  ui::Timer nightTimer{"nightTimer"};
  colour::NightControls night;

  fakes::GammaDisplay display;
  fakes::DisplaySet displays{{{"\\\\.\\DISPLAY1", &display}}};
  fakes::ProfileStore store;
  fakes::Shell shell;
  fakes::Clock clock;  // by day: night light leaves the ramps alone
  settings::Ini ini{store, shell};
  colour::GammaEngine engine{displays};
  colour::EyeCare eye{
      {.sliders =
           {{{&Slider1, &colo1}, {&Slider2, &colo3}, {&Slider3_0}, {&Slider3_1}, {&Slider3_2}}},
       .edit0 = edit0,
       .Label2_0 = Label2_0,
       .ppset = ppset,
       .colourStatus = colourStatus,
       .nightTimer = nightTimer,
       .night = night},
      engine,
      ini,
      shell,
      clock};

  EyeCareTest() {
    display.ramp = startRamp();
    shell.files[colour::kDefaultRampFile] = fakes::rampFileText(fileRamp());
    edit0.setVisible(false);
    ppset.setVisible(false);
    Label2_0.setForeColour(colour::kEyeOffColour);
    // Designed ranges that colorload replaces.
    Slider2.setRange(0, 10);
    eye.connect();
    SafeSwitch1.Click = [this](bool value) { eye.SafeSwitch1_Click(value); };
    Image7.Click = [this] { eye.Image7_Click(); };
    eye.colorload();
    eye.nightLight().fillRows();  // as the panel opens
  }

  void store5(const std::string& l, const std::string& d, const std::string& r,
              const std::string& g, const std::string& b) {
    store.values[{"eye", "liangdu"}] = l;
    store.values[{"eye", "duibidu"}] = d;
    store.values[{"eye", "rgbr"}] = r;
    store.values[{"eye", "rgbg"}] = g;
    store.values[{"eye", "rgbb"}] = b;
  }
  std::vector<int> sliders() const {
    return {Slider1.value(), Slider2.value(), Slider3_0.value(), Slider3_1.value(),
            Slider3_2.value()};
  }
};

TEST_F(EyeCareTest, LoadCapturesAndSetsNeutralSlidersWithoutSending) {
  EXPECT_EQ(sliders(), (std::vector<int>{0, 100, 0, 0, 0}));
  EXPECT_EQ(Slider1.min(), -50);
  EXPECT_EQ(Slider1.max(), 50);
  EXPECT_EQ(Slider2.min(), 1);
  EXPECT_EQ(Slider2.max(), 100);
  EXPECT_EQ(Slider3_2.min(), -50);
  EXPECT_EQ(colo1.text(), "0");
  EXPECT_EQ(colo3.text(), "100");
  EXPECT_EQ(engine.baseRamp(), startRamp());
  EXPECT_TRUE(display.sent.empty());  // the designed contrast range moved the slider twice
  EXPECT_EQ(colourStatus.text(), "");
  EXPECT_FALSE(edit0.visible());
  EXPECT_EQ(Label2_0.foreColour(), colour::kEyeOffColour);
  EXPECT_FALSE(eye.eyeOn());
}

TEST_F(EyeCareTest, FailedCaptureStartsFromIdentityAndSaysSo) {
  display.getFails = true;
  eye.colorload();
  EXPECT_EQ(engine.baseRamp(), colour::identityRamp());
  EXPECT_FALSE(colourStatus.text().empty());
  display.getFails = false;
  Slider1.setValue(-10);
  EXPECT_EQ(display.ramp, levelled(colour::identityRamp(), -10, -10, -10));
  EXPECT_EQ(colourStatus.text(), "");
}

TEST_F(EyeCareTest, EverySliderMoveBuildsTheRampFromAllFive) {
  Slider1.setValue(-30);
  EXPECT_EQ(colo1.text(), "-30");
  EXPECT_EQ(display.ramp, levelled(startRamp(), -30, -30, -30));
  Slider2.setValue(70);
  EXPECT_EQ(colo3.text(), "70");
  for (std::size_t n = 0; n < 768; ++n)
    ASSERT_EQ(display.ramp[n], colour::contrastAdjust(70, levelAdjust(-30, startRamp()[n])));
  Slider3_0.setValue(-5);
  Slider3_2.setValue(7);
  Slider3_1.setValue(10);
  EXPECT_EQ(display.ramp, colour::adjustedRamp(startRamp(), {-30, 70, -5, 10, 7}));
  // Back to neutral one by one: the others stay in force.
  Slider1.setValue(0);
  Slider2.setValue(100);
  EXPECT_EQ(display.ramp, levelled(startRamp(), -5, 10, 7));
  EXPECT_EQ(colo1.text(), "0");
}

TEST_F(EyeCareTest, SwitchingOnRestoresTheFileRampThenAppliesTheStoredBrightness) {
  store5("-20", "100", "0", "0", "0");
  SafeSwitch1.setValue(true);
  ASSERT_EQ(display.sent.size(), 1u);  // one ramp, never the base or one slider at a time first
  EXPECT_EQ(display.ramp, levelled(fileRamp(), -20, -20, -20));
  EXPECT_EQ(engine.baseRamp(), fileRamp());
  EXPECT_TRUE(edit0.visible());
  EXPECT_EQ(Label2_0.foreColour(), ui::rgb(34, 139, 34));
  EXPECT_EQ(eye.eyeOn(), "1");
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(colo1.text(), "-20");
}

TEST_F(EyeCareTest, TheStoredValuesAddUpOnTheDefaultRamp) {
  store5("-20", "80", "0", "0", "10");
  store.log.clear();
  SafeSwitch1.setValue(true);
  EXPECT_EQ(sliders(), (std::vector<int>{-20, 80, 0, 0, 10}));
  ASSERT_EQ(display.sent.size(), 1u);
  EXPECT_EQ(display.ramp, colour::adjustedRamp(fileRamp(), {-20, 80, 0, 0, 10}));
  EXPECT_EQ(store.log,
            (std::vector<std::string>{"read eye/liangdu", "read eye/duibidu", "read eye/rgbr",
                                      "read eye/rgbg", "read eye/rgbb"}));
}

TEST_F(EyeCareTest, StoredValuesAreRoundedClampedOrNeutral) {
  store5("12.5", "abc", "-80", "13.5", "");
  SafeSwitch1.setValue(true);
  EXPECT_EQ(sliders(), (std::vector<int>{12, 100, -50, 14, 0}));
  // Keys never written read back as their own names: all neutral, nothing but the base sent.
  store.values.clear();
  display.sent.clear();
  SafeSwitch1.setValue(true);
  EXPECT_EQ(sliders(), (std::vector<int>{0, 100, 0, 0, 0}));
  EXPECT_EQ(display.ramp, fileRamp());
}

// A stored value is a number when it is a decimal with an optional sign and an optional fraction
// after a point, with blanks around it; it is rounded, halves to even, and clamped into the
// slider's range. Anything else (the key's own name, exponents, trailing text) gives neutral.
TEST(StoredSliderValue, NumbersAreRoundedAndClampedAnythingElseIsNeutral) {
  const struct {
    const char* text;
    int brightness;  // -50..50, neutral 0
    int contrast;    // 1..100, neutral 100
  } cases[] = {
      {" 45 ", 45, 45},
      {"\t-7\t", -7, 1},
      {"+7", 7, 7},
      {"-0", 0, 1},
      {"12.5", 12, 12},
      {"13.5", 14, 14},
      {"-12.5", -12, 1},
      {"12.51", 13, 13},
      {"-0.5", 0, 1},
      {"12.", 12, 12},
      {".5", 0, 1},
      {"-80", -50, 1},
      {"0", 0, 1},
      {"99999999999999999999", 50, 100},
      {"-99999999999999999999.5", -50, 1},
      {"45abc", 0, 100},
      {"1e3", 0, 100},
      {"abc", 0, 100},
      {"", 0, 100},
      {".", 0, 100},
      {"-", 0, 100},
      {"1.2.3", 0, 100},
      {"0x10", 0, 100},
      {"5 5", 0, 100},
      {"duibidu", 0, 100},
  };
  for (const auto& t : cases) {
    EXPECT_EQ(settings::storedSliderValue(t.text, -50, 50, 0), t.brightness)
        << "[" << t.text << "]";
    EXPECT_EQ(settings::storedSliderValue(t.text, 1, 100, 100), t.contrast) << "[" << t.text << "]";
  }
}

TEST_F(EyeCareTest, SwitchingOffClosesThePanelAndReturnsToNeutral) {
  store5("-20", "80", "0", "0", "10");
  store.log.clear();
  SafeSwitch1.setValue(true);
  ppset.setVisible(true);
  // While the restore's message box is up, the off steps before it have run and those after not.
  shell.files.clear();
  bool checked = false;
  shell.onMessage = [&] {
    checked = true;
    EXPECT_EQ(eye.eyeOn(), "0");
    EXPECT_FALSE(ppset.visible());
    EXPECT_FALSE(edit0.visible());
    EXPECT_EQ(Label2_0.foreColour(), ui::rgb(34, 139, 34));
    EXPECT_EQ(sliders(), (std::vector<int>{0, 100, 0, 0, 0}));
  };
  SafeSwitch1.setValue(false);
  EXPECT_TRUE(checked);
  EXPECT_EQ(Label2_0.foreColour(), colour::kEyeOffColour);
  EXPECT_EQ(sliders(), (std::vector<int>{0, 100, 0, 0, 0}));
  EXPECT_EQ(colo1.text(), "0");
  EXPECT_EQ(colo3.text(), "100");
  EXPECT_EQ(display.ramp, fileRamp());  // the base loaded when switching on
}

TEST_F(EyeCareTest, SwitchingOnShowsTheRowBeforeTheRestore) {
  shell.files.clear();
  bool checked = false;
  shell.onMessage = [&] {
    checked = true;
    EXPECT_TRUE(edit0.visible());
    EXPECT_EQ(Label2_0.foreColour(), ui::rgb(34, 139, 34));
    EXPECT_FALSE(eye.eyeOn());
  };
  SafeSwitch1.setValue(true);
  EXPECT_TRUE(checked);
  EXPECT_EQ(eye.eyeOn(), "1");
}

TEST_F(EyeCareTest, MissingFileWarnsOncePerSwitchAndSendsTheCapturedRamp) {
  shell.files.clear();
  store5("-20", "100", "0", "0", "0");
  SafeSwitch1.setValue(true);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text,
            "Not found the default data file, can only be restored to the state before the "
            "adjustment!");
  EXPECT_EQ(shell.messages[0].title, "tips");
  EXPECT_EQ(shell.messages[0].icon, ui::MessageIcon::Warning);
  EXPECT_EQ(display.sent, (std::vector<Ramp>{levelled(startRamp(), -20, -20, -20)}));
  SafeSwitch1.setValue(false);
  EXPECT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(display.ramp, startRamp());
}

TEST_F(EyeCareTest, DamagedFileIsReportedAndNothingPartialIsSent) {
  std::string text = fakes::rampFileText(fileRamp());
  shell.files[colour::kDefaultRampFile] = "100\r\n200\r\nbroken\r\n" + text;
  SafeSwitch1.setValue(true);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].text.find("monitor.txt"), std::string::npos);
  EXPECT_NE(shell.messages[0].text.find("line 3"), std::string::npos) << shell.messages[0].text;
  EXPECT_EQ(shell.messages[0].title, "Lumora");
  EXPECT_EQ(shell.messages[0].icon, ui::MessageIcon::Warning);
  EXPECT_EQ(engine.baseRamp(), startRamp());
  ASSERT_EQ(display.sent.size(), 1u);
  EXPECT_EQ(display.sent[0], startRamp());
}

TEST_F(EyeCareTest, OkHidesThePanelAndStoresExactlyTheFiveValuesInOrder) {
  SafeSwitch1.setValue(true);
  ppset.setVisible(true);
  Slider1.setValue(-7);
  Slider2.setValue(64);
  Slider3_0.setValue(3);
  Slider3_2.setValue(-50);
  store.log.clear();
  store.saves = 0;
  Image7.Click();
  EXPECT_FALSE(ppset.visible());
  EXPECT_EQ(store.log, (std::vector<std::string>{"write eye/liangdu=-7", "write eye/duibidu=64",
                                                 "write eye/rgbr=3", "write eye/rgbg=0",
                                                 "write eye/rgbb=-50"}));
  EXPECT_EQ(store.saves, 1);
}

TEST_F(EyeCareTest, RefusedRampShowsAStatusLineAndTheSlidersStay) {
  display.refuses = true;
  Slider1.setValue(-40);
  EXPECT_EQ(colourStatus.text(), colour::kRefusedStatus);
  EXPECT_EQ(Slider1.value(), -40);
  EXPECT_EQ(colo1.text(), "-40");
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(display.ramp, startRamp());
  display.refuses = false;
  Slider1.setValue(-10);
  EXPECT_EQ(colourStatus.text(), "");
}

TEST_F(EyeCareTest, WithSeveralDisplaysTheRefusalLineNamesTheOneThatRefused) {
  fakes::GammaDisplay second;
  displays.attached.push_back({"\\\\.\\DISPLAY2", &second});
  eye.colorload();
  second.refuses = true;
  Slider1.setValue(-40);
  EXPECT_EQ(colourStatus.text(),
            "\\\\.\\DISPLAY2 did not accept this colour setting and keeps its previous colours.");
  EXPECT_EQ(display.ramp, levelled(startRamp(), -40, -40, -40));
  display.refuses = true;
  Slider1.setValue(-41);
  EXPECT_EQ(colourStatus.text(),
            "\\\\.\\DISPLAY1, \\\\.\\DISPLAY2 did not accept this colour setting and keep their "
            "previous colours.");
  display.refuses = second.refuses = false;
  Slider1.setValue(-42);
  EXPECT_EQ(colourStatus.text(), "");
  EXPECT_EQ(second.ramp, levelled(fakes::GammaDisplay().ramp, -42, -42, -42));
}

TEST_F(EyeCareTest, DisplayResetResendsTheLastRampOnlyWhileEyeCareIsOn) {
  eye.displayReset();  // never switched: nothing to put back
  EXPECT_TRUE(display.sent.empty());

  store5("0", "100", "0", "-15", "0");
  SafeSwitch1.setValue(true);
  const Ramp applied = display.ramp;
  EXPECT_EQ(applied, levelled(fileRamp(), 0, -15, 0));
  display.ramp = colour::identityRamp();  // a mode change reset it
  eye.displayReset();
  EXPECT_EQ(display.ramp, applied);

  SafeSwitch1.setValue(false);
  const std::size_t sends = display.sent.size();
  // A display plugged in while eye care is off gets nothing until eye care comes on again.
  fakes::GammaDisplay second;
  displays.attached.push_back({"\\\\.\\DISPLAY2", &second});
  eye.displayReset();
  EXPECT_EQ(display.sent.size(), sends);
  EXPECT_TRUE(second.sent.empty());
  SafeSwitch1.setValue(true);
  EXPECT_EQ(second.ramp, levelled(fileRamp(), 0, -15, 0));
}

// A damaged default ramp file or a dark base gives the identity, a dark setting is refused, and
// one past Windows' limit is sent as far as the limit allows, with a line and a tip.
TEST_F(EyeCareTest, TheRampRules) {
  shell.files[colour::kDefaultRampFile] = fakes::rampFileText(Ramp{});
  SafeSwitch1.setValue(true);
  EXPECT_NE(shell.messages.at(0).text.find("monitor.txt is damaged"), std::string::npos);
  EXPECT_EQ(display.ramp, colour::identityRamp());
  display.ramp = levelled(colour::identityRamp(), -70, -70, -70);
  eye.colorload();
  EXPECT_EQ(engine.baseRamp(), colour::identityRamp());
  Slider2.setValue(1);  // two levels: collapsed
  EXPECT_EQ(colourStatus.text(), colour::kUnreadableStatus);
  EXPECT_EQ(eye.tipLines(), "Colours not applied: too dark\nNight light from 21:00");
  EXPECT_EQ(displays.reports.at(0).find("\\\\.\\DISPLAY1: colours not sent"), 0u);
  EXPECT_EQ(display.ramp, levelled(colour::identityRamp(), -70, -70, -70));  // not sent
  Slider1.setValue(-50);
  Slider2.setValue(100);
  Slider3_2.setValue(-50);
  EXPECT_EQ(colourStatus.text(), colour::kLimitedStatus);
  EXPECT_EQ(eye.tipLines(), "Night light from 21:00\nLimited by Windows");
}

}  // namespace

// The panel's night rows: a wrong field is named and nothing stored; the sun's times at a place,
// clamped to polar night, or the times and a line without one. Allow stronger asks first.
TEST_F(EyeCareTest, NightRowsAndAllowStronger) {
  SafeSwitch1.setValue(true);
  // field typed, what the message starts with; each fault comes before those of later rows
  for (const auto& [field, typed, says] : {std::tuple{&night.lat, "0x1A", "Sunset"},
                                           {&night.lat, "1e1", "Sunset"},
                                           {&night.from, "07:00", "\"From\" and"},
                                           {&night.from, "9pm", "\"From\" needs"}}) {
    field->userTyped(typed);
    night.lon.userTyped("0");
    Image7.Click();
    EXPECT_EQ(shell.messages.back().text.find(says), 0u) << typed;
    EXPECT_FALSE(store.has("night", "from"));
  }
  night.from.userTyped("22:00");
  night.sun.setValue(true);
  night.lat.userTyped(" 51.5");
  night.lon.userTyped("-0.12");
  store.saves = 0;
  Image7.Click();
  EXPECT_EQ(store.saves, 1);  // the night rows and the sliders together
  EXPECT_EQ(store.at("night", "mode") + store.at("night", "lat"), "sun51.5");
  EXPECT_EQ(eye.tipLines(), "Night light from 15:52");  // London's sunset on 7 December
  // A place out of range or not in decimal degrees is no place: the times rule.
  for (const char* lat : {"89.9", "1e308", "0x1A", "x"}) {
    store.values[{"night", "lat"}] = lat;
    eye.colorload();
    eye.nightLight().tick();
    const bool polar = lat[0] == '8';
    EXPECT_EQ(eye.tipLines(), polar ? "Warm all day" : "Night light from 22:00") << lat;
    EXPECT_EQ(colourStatus.text(), polar ? "" : colour::kSunFallbackStatus) << lat;
  }
  EXPECT_NE(ini.ignored.message().find("\n[night] lat=1e308 (uses nothing)"), std::string::npos);
  store.values[{"night", "lat"}] = "51.5";  // a latitude alone is no place
  store.values.erase({"night", "lon"});
  eye.colorload();
  eye.nightLight().tick();
  EXPECT_EQ(colourStatus.text(), colour::kSunFallbackStatus);
  night.allowStronger.Click();  // answered No
  shell.yes = true;
  night.allowStronger.Click();
  EXPECT_EQ(shell.messages.back().text.find("Stronger settings"), 0u);
  EXPECT_EQ(shell.opened, std::vector<std::string>{colour::kAllowStrongerSwitch});
}

// Daylight saving starts and ends in the night, with no message from the system: the timer's
// waits run in real seconds, yet the warmth and the tip follow the clock on the wall. Moments are
// met in order, a minute at a time, the timer ticking when its interval has passed.
TEST_F(EyeCareTest, TheNightFollowsTheClockAcrossItsChanges) {
  struct Moment {
    int hour, minute, kelvin;  // kelvin 0: mid-fade, not checked
    const char* tip;
  };
  struct Case {
    int month, day, offset, changeInHours, changeBy;
    bool sun;  // London's sunset to sunrise
    std::vector<Moment> moments;
  };
  const char* morning = "Night light from 21:00";
  const Case cases[] = {{3,
                         28,
                         60,
                         4,
                         60,
                         false,  // 02:00 becomes 03:00
                         {{1, 59, 3400, "Warm until 07:00"},
                          {3, 0, 3400, "Warm until 07:00"},
                          {6, 59, 3400, "Warm until 07:00"},
                          {7, 15, 4465, morning},
                          {7, 31, 6500, morning}}},
                        {10,
                         24,
                         120,
                         5,
                         -60,
                         false,  // 03:00 becomes 02:00
                         {{2, 59, 3400, "Warm until 07:00"},
                          {2, 0, 3400, "Warm until 07:00"},
                          {6, 59, 3400, "Warm until 07:00"},
                          {7, 15, 4465, morning},
                          {7, 31, 6500, morning}}},
                        {3,
                         28,
                         0,
                         3,
                         60,
                         true,  // 01:00 becomes 02:00
                         {{0, 59, 3400, "Warm until 05:42"},
                          {2, 0, 3400, "Warm until 06:42"},
                          {6, 50, 0, "Night light from 19:28"}}}};
  for (const Case& c : cases) {
    store.values[{"night", "mode"}] = c.sun ? "sun" : "times";
    store.values[{"night", "lat"}] = "51.5074";
    store.values[{"night", "lon"}] = "-0.1278";
    clock.time = {2026, c.month, c.day, 22, 0, 0, c.offset};
    clock.changeIn = c.changeInHours * 3600L;
    clock.changeBy = c.changeBy;
    SafeSwitch1.setValue(false);
    eye.colorload();
    SafeSwitch1.setValue(true);
    long waited = 0;
    for (const Moment& m : c.moments) {
      for (int minutes = 0; clock.time.hour != m.hour || clock.time.minute != m.minute; ++minutes) {
        ASSERT_LT(minutes, 24 * 60) << m.hour << ":" << m.minute;
        clock.advance(60);
        waited += 60;
        if (nightTimer.running() && waited * 1000 >= nightTimer.interval()) {
          waited = 0;
          nightTimer.Tick();
        }
      }
      const std::string at =
          std::to_string(c.month) + " " + std::to_string(m.hour) + ":" + std::to_string(m.minute);
      EXPECT_EQ(eye.tipLines(), m.tip) << at;
      if (m.kelvin)
        EXPECT_EQ(display.ramp, colour::scaledRamp(fileRamp(), colour::warmthFactors(m.kelvin)))
            << at;
    }
  }
}

// Under either limit the warmth slider offers no warmth the gate refuses, and shows each at once;
// Back gives the screen to the schedule again (by day, no warmth).
TEST_F(EyeCareTest, TheWarmthSliderShowsWhatItOffers) {
  for (bool lifted : {false, true}) {
    displays.lifted = lifted;
    eye.colorload();
    SafeSwitch1.setValue(true);
    eye.nightLight().fillRows();
    const Ramp day = display.ramp;
    // Every step of the slider shows: none is refused, none looks like its neighbour.
    Ramp previous{};
    for (int v = night.warmth.min(); v <= night.warmth.max(); ++v) {
      night.warmth.setValue(v);
      EXPECT_NE(colourStatus.text(), colour::kUnreadableStatus) << lifted << " " << v;
      EXPECT_NE(display.ramp, previous) << lifted << " " << v;
      EXPECT_EQ(display.ramp == day, v == 65) << lifted << " " << v;
      previous = display.ramp;
    }
    // Held back by the default limit, the panel says so beside the warmth.
    night.warmth.setValue(night.warmth.min());
    EXPECT_EQ(night.warmthCaption.text().find(", held back by Windows"),
              lifted ? std::string::npos : 6u)
        << night.warmthCaption.text();
    night.warmth.setValue(65);
    EXPECT_EQ(night.warmthCaption.text(), "6500 K");
    night.warmth.setValue(30);
    eye.nightLight().endPreview();
    EXPECT_EQ(display.ramp, day);
    SafeSwitch1.setValue(false);
  }
}
