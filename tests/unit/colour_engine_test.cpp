#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

#include "Fakes.h"
#include "colour/GammaEngine.h"
#include "colour/Night.h"

namespace {

using colour::Amounts;
using colour::at;
using colour::contrastAdjust;
using colour::GammaEngine;
using colour::levelAdjust;
using colour::Ramp;
using colour::SendResult;

// A ramp whose entries differ per channel, so that channel mix-ups show.
Ramp distinctRamp() {
  Ramp r{};
  for (int i = 0; i < 256; ++i) {
    r[at(0, i)] = static_cast<std::uint16_t>(257 * i);
    r[at(1, i)] = static_cast<std::uint16_t>(256 * i + 50);
    r[at(2, i)] = static_cast<std::uint16_t>(240 * i + 4000);  // within the limit at brightness -50
  }
  return r;
}

// Slider amounts in the table's order: brightness, contrast, red, green, blue.
Amounts sliders(int brightness, int contrast = 100, int red = 0, int green = 0, int blue = 0) {
  return {brightness, contrast, red, green, blue};
}

TEST(LevelFormula, KnownFigures) {
  EXPECT_EQ(levelAdjust(-50, 65535), 32768);  // 32767.5, half to even
  EXPECT_EQ(levelAdjust(-50, 257), 128);      // 128.5, half to even
  EXPECT_EQ(levelAdjust(-50, 259), 130);      // 129.5, half to even upwards
  EXPECT_EQ(levelAdjust(50, 0), 32768);       // 65535 - 32767.5 = 32767.5
  EXPECT_EQ(levelAdjust(50, 65535), 65535);
  EXPECT_EQ(levelAdjust(1, 0), 655);         // 655.35
  EXPECT_EQ(levelAdjust(-1, 65535), 64880);  // 64879.65
  EXPECT_EQ(levelAdjust(-100, 65535), 0);
  EXPECT_EQ(levelAdjust(100, 0), 65535);
}

TEST(LevelFormula, MatchesDoubleDivisionRoundedHalfToEven) {
  // The integer arithmetic must agree with a double division rounded to nearest, halves even.
  for (int a : {-50, -37, -1, 1, 13, 49, 50}) {
    for (int v = 0; v <= 65535; v += 13) {
      const double exact =
          a < 0 ? (100.0 + a) * v / 100.0 : 65535.0 - (100.0 - a) * (65535.0 - v) / 100.0;
      const double rounded = std::nearbyint(exact);  // default mode: to nearest, ties to even
      ASSERT_EQ(levelAdjust(a, static_cast<std::uint16_t>(v)), rounded) << a << " " << v;
    }
  }
}

TEST(ContrastFormula, KnownFigures) {
  EXPECT_EQ(contrastAdjust(50, 257), 128);
  EXPECT_EQ(contrastAdjust(1, 32767), 328);
  EXPECT_EQ(contrastAdjust(1, 32768), 65208);
  EXPECT_EQ(contrastAdjust(50, 0), 0);
  EXPECT_EQ(contrastAdjust(50, 32768), 49152);  // -32768 -> -16384
}

TEST(ContrastFormula, WhiteStaysWhiteAtEveryContrast) {
  for (int k = 1; k <= 100; ++k) {
    EXPECT_EQ(contrastAdjust(k, 65535), 65535) << "k=" << k;
    // Every entry of the upper half stays in the upper half.
    for (int v = 32768; v <= 65535; v += 111)
      ASSERT_GE(contrastAdjust(k, static_cast<std::uint16_t>(v)), 32768) << k << " " << v;
  }
}

struct EngineTest : ::testing::Test {
  fakes::GammaDisplay display;
  fakes::DisplaySet displays{display};
  GammaEngine engine{displays};
};

TEST_F(EngineTest, CaptureTakesTheDisplaysRampAndSendsNothing) {
  display.ramp = distinctRamp();
  EXPECT_TRUE(engine.capture());
  EXPECT_EQ(engine.baseRamp(), distinctRamp());
  EXPECT_TRUE(display.sent.empty());
}

TEST_F(EngineTest, FailedCaptureStartsFromTheIdentityRamp) {
  display.getFails = true;
  EXPECT_FALSE(engine.capture());
  EXPECT_EQ(engine.baseRamp(), colour::identityRamp());
  display.getFails = false;
  engine.adjust(sliders(-50));
  EXPECT_EQ(display.ramp[at(0, 255)], 32768);  // not black
}

// Each family alone gives exactly the figures of its own formula; families compose entry by entry
// in the order brightness, contrast, balance.
TEST(AdjustedRamp, FamiliesAloneAndTogether) {
  const Ramp base = distinctRamp();
  using Entry = std::function<int(int channel, std::uint16_t v)>;
  const struct {
    const char* what;
    Amounts amounts;
    Entry expected;
  } cases[] = {
      {"neutral", sliders(0), [](int, std::uint16_t v) { return v; }},
      {"brightness -30", sliders(-30), [](int, std::uint16_t v) { return levelAdjust(-30, v); }},
      {"brightness 45", sliders(45), [](int, std::uint16_t v) { return levelAdjust(45, v); }},
      {"contrast 70", sliders(0, 70), [](int, std::uint16_t v) { return contrastAdjust(70, v); }},
      {"contrast 1", sliders(0, 1), [](int, std::uint16_t v) { return contrastAdjust(1, v); }},
      {"balance -5 10 7", sliders(0, 100, -5, 10, 7),
       [](int c, std::uint16_t v) {
         return levelAdjust(c == 0 ? -5 : c == 1 ? 10 : 7, v);
       }},
      {"green alone", sliders(0, 100, 0, 20, 0),
       [](int c, std::uint16_t v) { return c == 1 ? levelAdjust(20, v) : v; }},
      {"brightness then contrast", sliders(-20, 80),
       [](int, std::uint16_t v) { return contrastAdjust(80, levelAdjust(-20, v)); }},
      {"contrast then blue", sliders(0, 70, 0, 0, 10),
       [](int c, std::uint16_t v) {
         const std::uint16_t k = contrastAdjust(70, v);
         return c == 2 ? levelAdjust(10, k) : k;
       }},
      {"all five", sliders(15, 90, -10, 5, -25),
       [](int c, std::uint16_t v) {
         return levelAdjust(c == 0   ? -10
                            : c == 1 ? 5
                                     : -25,
                            contrastAdjust(90, levelAdjust(15, v)));
       }},
  };
  for (const auto& t : cases) {
    const Ramp ramp = colour::adjustedRamp(base, t.amounts);
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 256; ++i)
        ASSERT_EQ(ramp[at(c, i)], t.expected(c, base[at(c, i)]))
            << t.what << ", channel " << c << ", entry " << i;
  }
  // Brightness -20 then contrast 80 on the identity ramp stays dimmed: white 65535 -> 52428
  // (signed -13108) -> -10486.4, so 55050; the middle entry 32896 -> 26317 -> 21054.
  const Ramp ramp = colour::adjustedRamp(colour::identityRamp(), sliders(-20, 80));
  EXPECT_EQ(ramp[at(0, 255)], 55050);
  EXPECT_EQ(ramp[at(2, 128)], 21054);
}

TEST_F(EngineTest, AdjustBuildsFromTheBaseAndSendsOnce) {
  display.ramp = distinctRamp();
  engine.capture();
  EXPECT_EQ(engine.adjust(sliders(-30, 100, 0, 12)), SendResult::Applied);
  EXPECT_EQ(engine.adjust(sliders(10)), SendResult::Applied);  // not on top of the last ramp
  EXPECT_EQ(display.sent.size(), 2u);
  EXPECT_EQ(engine.workRamp(), colour::adjustedRamp(distinctRamp(), sliders(10)));
  EXPECT_EQ(display.ramp, engine.workRamp());
  EXPECT_EQ(engine.adjust(sliders(0)), SendResult::Applied);
  EXPECT_EQ(display.ramp, distinctRamp());
}

// Fails its first calls, then behaves; or reports success but keeps its ramp, as Windows does
// for ramps outside its limit; or keeps 8 bits per entry, as an X server does.
struct OddDisplay : fakes::GammaDisplay {
  int failures = 0;
  bool keeps = false, eightBit = false;
  bool set(const ui::Ramp& r) override {
    if (failures-- > 0 || keeps) {
      sent.push_back(r);
      return keeps;
    }
    fakes::GammaDisplay::set(r);
    if (eightBit)
      for (auto& v : ramp) v = static_cast<std::uint16_t>((v >> 8) * 257);
    return true;
  }
};

// A failed call is tried again a few times; a success is checked by reading the ramp back.
TEST(EngineSend, RetriesAndReadsBack) {
  constexpr std::size_t kAll = GammaEngine::kSendAttempts;
  struct Row {
    int failures;
    bool keeps, eightBit;
    Amounts amounts;
    SendResult result;
    std::size_t sends;
  };
  std::vector<Row> rows{{2, false, false, sliders(-20), SendResult::Applied, 3},
                        {100, false, false, sliders(-20), SendResult::Refused, kAll},
                        {0, true, false, sliders(0, 40), SendResult::Refused, kAll},
                        {0, true, false, sliders(0), SendResult::Applied, 1},  // already held
                        {0, false, true, sliders(0, 50), SendResult::Applied, 1}};
  for (int a = -50; a <= 50; a += 7)
    rows.push_back({0, false, true, sliders(a), SendResult::Applied, 1});
  for (const Row& row : rows) {
    OddDisplay display;
    display.failures = row.failures;
    display.keeps = row.keeps;
    display.eightBit = row.eightBit;
    fakes::DisplaySet displays{display};
    GammaEngine engine{displays};
    engine.capture();
    SCOPED_TRACE(testing::Message() << row.failures << row.keeps << row.eightBit << row.amounts[0]);
    EXPECT_EQ(engine.adjust(row.amounts), row.result);
    EXPECT_EQ(display.sent.size(), row.sends);
    const Ramp kept = row.result == SendResult::Applied
                          ? colour::adjustedRamp(colour::identityRamp(), row.amounts)
                          : colour::identityRamp();
    if (!row.eightBit) EXPECT_EQ(display.ramp, kept);
  }
}

TEST_F(EngineTest, ResendSendsTheLastRampAgain) {
  engine.capture();
  EXPECT_EQ(engine.resend(), SendResult::Applied);  // nothing sent yet: nothing to do
  EXPECT_TRUE(display.sent.empty());
  engine.adjust(sliders(-25));
  const Ramp wanted = display.ramp;
  display.ramp = colour::identityRamp();  // the system reset the display
  EXPECT_EQ(engine.resend(), SendResult::Applied);
  EXPECT_EQ(display.ramp, wanted);
  // After the gate refused a ramp, a reset still brings back the last one sent.
  EXPECT_EQ(engine.adjust(sliders(0, 1)), SendResult::Unreadable);
  display.ramp = colour::identityRamp();
  EXPECT_EQ(engine.resend(), SendResult::Unreadable);
  EXPECT_EQ(display.ramp, wanted);
}

// GdiIcmGammaRange = 256 counts only once a display took a ramp past the default limit and read
// it back; until then the ramp pulled in is sent, the whole one tried once per listing.
TEST_F(EngineTest, TheLiftIsTrustedOnlyOnceARampPastTheLimitWasReadBack) {
  displays.lifted = display.limited = true;  // asked for, applied from the next sign-in
  engine.capture();
  EXPECT_EQ(engine.adjust(sliders(-50, 100, -50)), SendResult::Limited);
  EXPECT_EQ(engine.adjust(sliders(-49, 100, -50)), SendResult::Limited);
  EXPECT_EQ(display.sent.size(), GammaEngine::kSendAttempts + 2u);
  EXPECT_NE(displays.reports.at(0).find("error 87"), std::string::npos);
  display.limited = false;
  display.getFails = true;  // taken, but not read back
  EXPECT_EQ(engine.resend(), SendResult::Limited);
  display.getFails = false;
  EXPECT_EQ(engine.resend(), SendResult::Applied);
  EXPECT_TRUE(engine.limitLifted());
}

// Refusals judged before the pull and after it: every slider every 10, 17 warmths from 1900 to
// 6500 K, dimming 100 % and 90 %, the identity and three bases a display or monitor.txt may
// hold. Minutes long: run by name with --gtest_also_run_disabled_tests.
TEST(Gate, DISABLED_SweepRefusalsBeforeAndAfterThePull) {
  std::vector<Ramp> bases(4, colour::identityRamp());
  for (int n = 0; n < 768; ++n) {  // a calibration curve, a tint, a dimmer blue
    const int c = n / 256, i = n % 256;
    bases[1][n] = static_cast<std::uint16_t>(65535 * std::pow(i / 255.0, 1.1 + 0.05 * c));
    bases[2][n] = static_cast<std::uint16_t>(std::min(65535, 250 * i + 10 + 45 * c));
    bases[3][n] = static_cast<std::uint16_t>(257 * i * (c == 2 ? 0.85 : 0.97));
  }
  long long all = 0, before = 0, after = 0;
  for (const Ramp& base : bases) {
    for (int s = 0; s < 161051; ++s) {  // 11^5: each slider's value s's digit in base 11
      const Ramp adjusted = colour::adjustedRamp(
          base, sliders(s % 11 * 10 - 50, std::max(1, s / 11 % 11 * 10), s / 121 % 11 * 10 - 50,
                        s / 1331 % 11 * 10 - 50, s / 14641 * 10 - 50));
      for (int w = 0; w < 34; ++w) {  // 17 warmths, each at both dimmings
        std::array<double, 3> f = colour::warmthFactors(1900 + 4600 * (w / 2) / 16);
        for (double& x : f) x *= w % 2 ? 0.9 : 1.0;
        const Ramp ramp = colour::scaledRamp(adjusted, f);
        ++all;
        before += colour::unreadable(ramp);
        after += colour::gate(ramp, false).result == SendResult::Unreadable;
      }
    }
    std::printf("base %d: %lld ramps, refused %lld before, %lld after\n", base[at(2, 255)], all,
                before, after);  // so far
  }
  EXPECT_LT(after, before);
}

// The gate pulls a ramp in before judging it (brightness -40 and red -40 at 2500 K is an evening
// fade that stopped short); a level at exactly 1 % (655) is collapsed.
TEST(Gate, PullsInFirstThenJudges) {
  Ramp low = colour::identityRamp();  // 65 entries of every channel just above 1 %
  for (std::size_t n = 0; n < low.size(); ++n)
    if (n % 256 < 65) low[n] = 656;
  Ramp lower = low;  // and at it
  std::replace(lower.begin(), lower.end(), std::uint16_t{656}, std::uint16_t{655});
  const Ramp evening =
      colour::scaledRamp(colour::adjustedRamp(colour::identityRamp(), sliders(-40, 100, -40)),
                         colour::warmthFactors(2500));
  const std::tuple<Ramp, bool, SendResult> rows[] = {{lower, false, SendResult::Unreadable},
                                                     {low, false, SendResult::Applied},
                                                     {evening, false, SendResult::Limited},
                                                     {evening, true, SendResult::Unreadable}};
  for (const auto& [ramp, lifted, result] : rows)
    EXPECT_EQ(colour::gate(ramp, lifted).result, result) << ramp[0] << lifted;
}

TEST(DefaultGammaLimit, BoundaryIsHighByteWithin128OfTheIndex) {
  Ramp r = colour::identityRamp();
  EXPECT_TRUE(colour::withinDefaultGammaLimit(r));
  r[at(2, 255)] = 127 << 8;  // 255 - 127 = 128
  EXPECT_TRUE(colour::withinDefaultGammaLimit(r));
  r[at(2, 255)] = 126 << 8;  // 129 away
  EXPECT_FALSE(colour::withinDefaultGammaLimit(r));
  r = colour::identityRamp();
  r[at(1, 0)] = 129 << 8;
  EXPECT_FALSE(colour::withinDefaultGammaLimit(r));
}

// Every display attached gets the adjustment built from its own base and is checked on its own.
struct TwoDisplays : ::testing::Test {
  fakes::GammaDisplay first, second;
  fakes::DisplaySet displays{{{"\\\\.\\DISPLAY1", &first}, {"\\\\.\\DISPLAY2", &second}}};
  GammaEngine engine{displays};

  TwoDisplays() {
    second.ramp = distinctRamp();
    EXPECT_TRUE(engine.capture());
  }
};

TEST_F(TwoDisplays, EachDisplayIsAdjustedFromItsOwnBase) {
  EXPECT_EQ(engine.adjust(sliders(-20, 80, 0, 0, -5)), SendResult::Applied);
  EXPECT_EQ(first.ramp, colour::adjustedRamp(colour::identityRamp(), sliders(-20, 80, 0, 0, -5)));
  EXPECT_EQ(second.ramp, colour::adjustedRamp(distinctRamp(), sliders(-20, 80, 0, 0, -5)));
  // The default ramp becomes the base of both.
  Ramp file = distinctRamp();
  file[at(1, 7)] = 1234;
  engine.setBaseRamp(file);
  EXPECT_EQ(engine.sendBase(), SendResult::Applied);
  EXPECT_EQ(first.ramp, file);
  EXPECT_EQ(second.ramp, file);
}

TEST_F(TwoDisplays, ARefusalNamesItsDisplayAndTheOtherStillFollows) {
  second.refuses = true;
  EXPECT_EQ(engine.adjust(sliders(-30)), SendResult::Refused);
  EXPECT_EQ(engine.refused(), std::vector<std::string>{"\\\\.\\DISPLAY2"});
  EXPECT_EQ(first.ramp, colour::adjustedRamp(colour::identityRamp(), sliders(-30)));
  EXPECT_EQ(second.ramp, distinctRamp());
  second.refuses = false;
  EXPECT_EQ(engine.adjust(sliders(-31)), SendResult::Applied);
  EXPECT_TRUE(engine.refused().empty());
}

TEST_F(TwoDisplays, ADisplayRemovedMidDragIsDroppedAtTheNextChange) {
  engine.adjust(sliders(-10));
  // Unplugged: its device context fails every call until the displays are listed again.
  second.refuses = second.getFails = true;
  EXPECT_EQ(engine.adjust(sliders(-12)), SendResult::Refused);
  EXPECT_EQ(engine.refused(), std::vector<std::string>{"\\\\.\\DISPLAY2"});
  EXPECT_EQ(first.ramp, colour::adjustedRamp(colour::identityRamp(), sliders(-12)));

  // The display change: the list is read again, the last adjustment goes to what is attached,
  // and a display plugged in meanwhile is captured first and then adjusted.
  fakes::GammaDisplay third;
  third.ramp = distinctRamp();
  displays.attached = {{"\\\\.\\DISPLAY1", &first}, {"\\\\.\\DISPLAY3", &third}};
  first.ramp = colour::identityRamp();  // the change also reset the ramp
  const std::size_t secondSends = second.sent.size();
  EXPECT_EQ(engine.resend(), SendResult::Applied);
  EXPECT_EQ(engine.displayCount(), 2u);
  EXPECT_EQ(second.sent.size(), secondSends);
  EXPECT_EQ(first.ramp, colour::adjustedRamp(colour::identityRamp(), sliders(-12)));
  EXPECT_EQ(third.ramp, colour::adjustedRamp(distinctRamp(), sliders(-12)));
  // Known displays keep the base they had, not the adjusted ramp they show.
  EXPECT_EQ(engine.adjust(sliders(0)), SendResult::Applied);
  EXPECT_EQ(first.ramp, colour::identityRamp());
}

TEST(EveryDisplay, AFailedCaptureOnOneStartsThatOneFromTheIdentity) {
  fakes::GammaDisplay first, second;
  first.ramp = distinctRamp();
  second.getFails = true;
  fakes::DisplaySet displays{{{"\\\\.\\DISPLAY1", &first}, {"\\\\.\\DISPLAY2", &second}}};
  GammaEngine engine{displays};
  EXPECT_FALSE(engine.capture());
  second.getFails = false;
  engine.adjust(sliders(-50));
  EXPECT_EQ(first.ramp, colour::adjustedRamp(distinctRamp(), sliders(-50)));
  EXPECT_EQ(second.ramp[at(0, 255)], 32768);  // from the identity, not black
}

// A ramp Windows refuses by default only shows as a refusal line, so the ramps the sliders build
// from the identity ramp stay within its limit: every family alone over its whole range, and every
// mix of brightness and balance within half their range with contrast from 60. Beyond that,
// families that push the same way together (brightness -50 with red -50 halves red twice) go past
// the limit, and Windows' refusal is reported like any other.
TEST(DefaultGammaLimit, SliderRampsFromTheIdentityStayWithinIt) {
  const Ramp identity = colour::identityRamp();
  for (int a = -50; a <= 50; ++a) {
    ASSERT_TRUE(colour::withinDefaultGammaLimit(colour::adjustedRamp(identity, sliders(a))))
        << "brightness " << a;
    ASSERT_TRUE(
        colour::withinDefaultGammaLimit(colour::adjustedRamp(identity, sliders(0, 100, a, a, a))))
        << "balance " << a;
  }
  for (int k = 1; k <= 100; ++k)
    ASSERT_TRUE(colour::withinDefaultGammaLimit(colour::adjustedRamp(identity, sliders(0, k))))
        << "contrast " << k;
  // Each channel's balance is independent of the others, so one balance amount on all three
  // covers every mix of them.
  for (int b = -25; b <= 25; b += 5)
    for (int k = 60; k <= 100; k += 5)
      for (int r = -25; r <= 25; r += 5)
        ASSERT_TRUE(
            colour::withinDefaultGammaLimit(colour::adjustedRamp(identity, sliders(b, k, r, r, r))))
            << b << " " << k << " " << r;
  EXPECT_FALSE(
      colour::withinDefaultGammaLimit(colour::adjustedRamp(identity, sliders(-50, 100, -50))));
}

// The published figures the warmth table comes from: the Planckian locus approximation of Kim et
// al. (2002), the IEC 61966-2-1 matrix and transfer curve, relative to 6500 K.
std::array<double, 3> publishedWhite(double t) {
  // clang-format off
  const double x = t <= 4000 ? -0.2661239e9 / (t * t * t) - 0.2343589e6 / (t * t) + 877.6956 / t + 0.179910
                             : -3.0258469e9 / (t * t * t) + 2.1070379e6 / (t * t) + 222.6347 / t + 0.240390;
  const double y = t <= 2222 ? -1.1063814 * x * x * x - 1.34811020 * x * x + 2.18555832 * x - 0.20219683
                 : t <= 4000 ? -0.9549476 * x * x * x - 1.37418593 * x * x + 2.09137015 * x - 0.16748867
                             : 3.0817580 * x * x * x - 5.87338670 * x * x + 3.75112997 * x - 0.37001483;
  // clang-format on
  const double X = x / y, Z = (1 - x - y) / y;
  return {3.2406 * X - 1.5372 - 0.4986 * Z, -0.9689 * X + 1.8758 + 0.0415 * Z,
          0.0557 * X - 0.2040 + 1.0570 * Z};
}

TEST(Warmth, FactorsFollowThePublishedWhitePoints) {
  const std::array<double, 3> d65 = publishedWhite(6500);
  for (int k : {6500, 5600, 4100, 3400, 2700, 2000, 1900}) {
    std::array<double, 3> c = publishedWhite(k);
    for (int n = 0; n < 3; ++n) c[n] = std::max(0.0, c[n] / d65[n]);
    const double top = *std::max_element(c.begin(), c.end());
    const std::array<double, 3> f = colour::warmthFactors(k);
    for (int n = 0; n < 3; ++n) {
      const double v = c[n] / top,
                   encoded = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
      EXPECT_NEAR(f[n], encoded, 0.008) << k << " K channel " << n;
    }
  }
}

// PyEphem 4.1.4's times (the upper limb, 34' of refraction) in local clock time: London, Sydney,
// Quito, Suva and Apia (either side of the date line), Reykjavik, Tromso's polar day and night.
TEST(SunTimes, WithinTwoMinutesOfAReferenceCalculator) {
  using enum colour::SunDay;
  // clang-format off
  const std::tuple<double, double, int, int, int, int, int, colour::SunDay> cases[] = {
      {51.5074, -0.1278, 6, 21, 60, 283, 1282, Normal}, {-33.8688, 151.2093, 12, 21, 660, 341, 1205, Normal},
      {-0.1807, -78.4678, 1, 1, -300, 373, 1102, Normal}, {-18.1416, 178.4419, 9, 15, 720, 362, 1081, Normal},
      {-13.8333, -171.7667, 11, 1, 780, 353, 1109, Normal}, {64.1466, -21.9426, 12, 1, 0, 646, 947, Normal},
      {69.6492, 18.9553, 6, 21, 120, 0, 0, PolarDay}, {69.6492, 18.9553, 12, 21, 60, 0, 0, PolarNight}};
  // clang-format on
  for (const auto& [lat, lon, month, day, offset, rise, set, kind] : cases) {
    const colour::SunTimes sun = colour::sunTimes(lat, lon, {2026, month, day, 0, 0, 0, offset});
    EXPECT_TRUE(sun.kind == kind && std::abs(sun.sunrise - rise) <= 2 &&
                std::abs(sun.sunset - set) <= 2)
        << lat << ": " << sun.sunrise << " " << sun.sunset;
  }
  // Any year: Tromso at the equinox, where a day's error moves the times by 4 minutes. NOAA's
  // formulas on the proleptic Gregorian calendar (within a minute of the rows above).
  for (const auto& [year, rise, set] :
       {std::tuple{1999, 346, 1080}, {2099, 342, 1083}, {2100, 344, 1082}, {2101, 345, 1081}}) {
    const colour::SunTimes sun = colour::sunTimes(69.6492, 18.9553, {year, 3, 20, 0, 0, 0, 60});
    EXPECT_TRUE(std::abs(sun.sunrise - rise) <= 2 && std::abs(sun.sunset - set) <= 2)
        << year << ": " << sun.sunrise << " " << sun.sunset;
  }
}

// Moments of the default schedule (21:00 to 07:00, 30 minutes' fade, 6500 K by day, 3400 K at
// night); halfway in mired is 4465 K.
TEST(NightSchedule, FadesInMiredAcrossMidnightAndClockChanges) {
  // hour, minute, kelvin, fading, evening (the tip names the morning)
  const int cases[][5] = {{20, 59, 6500, 0, 0}, {21, 0, 6500, 1, 1}, {21, 15, 4465, 1, 1},
                          {21, 30, 3400, 0, 1}, {3, 0, 3400, 0, 1},  {7, 15, 4465, 1, 0},
                          {7, 30, 6500, 0, 0},  {12, 0, 6500, 0, 0}};
  colour::NightSettings s;
  for (const auto& c : cases) {
    const colour::NightState n = colour::nightAt(s, {2026, 3, 29, c[0], c[1], 0});
    EXPECT_EQ(n.kelvin, c[2]) << c[0] << ":" << c[1];
    EXPECT_EQ(n.fading, c[3] == 1) << c[0] << ":" << c[1];
    EXPECT_EQ(n.tip, c[4] ? "Warm until 07:00" : "Night light from 21:00") << c[0] << ":" << c[1];
  }
  EXPECT_EQ(colour::nightAt(s, {2026, 3, 29, 20, 0, 0}).secondsToChange,
            3600);  // the timer's next moment: the evening's change, and the morning's
  EXPECT_EQ(colour::nightAt(s, {2026, 3, 29, 3, 0, 0}).secondsToChange, 4 * 3600);
  colour::NightSettings polar = s;  // Tromso in December: warm all day
  polar.sun = true;
  polar.lat = 69.6492;
  polar.lon = 18.9553;
  const colour::NightState winter = colour::nightAt(polar, {2026, 12, 21, 12, 0, 0, 60});
  EXPECT_EQ(winter.kelvin, 3400);
  EXPECT_EQ(winter.tip, "Warm all day");
  // Summer time starts at 02:00, which becomes 03:00: a fade from 01:45 is over at 03:00.
  s.from = 105;
  EXPECT_EQ(colour::nightAt(s, {2026, 3, 29, 1, 59, 0}).kelvin, 4560);
  EXPECT_EQ(colour::nightAt(s, {2026, 3, 29, 3, 0, 0}).kelvin, 3400);
  s.to = s.from;  // no night
  EXPECT_EQ(colour::nightAt(s, {2026, 3, 29, 3, 0, 0}).kelvin, 6500);
  // Seeded random schedules, a minute at a time round the day: the warmth moves no faster than
  // its fade, so a night shorter than its fade turns back before it is fully warm.
  std::mt19937 random(39);
  for (int n = 0; n < 300; ++n) {
    colour::NightSettings r;
    r.from = static_cast<int>(random() % 1440);
    r.to = static_cast<int>(random() % 1440);
    r.fade = 1 + static_cast<int>(random() % 120);
    const auto mired = [&r](int m) {
      return 1e6 / colour::nightAt(r, {2026, 3, 10, m / 60, m % 60, 0}).kelvin;
    };
    for (int m = 0; m < 1440; ++m)
      ASSERT_LE(std::abs(mired(m) - mired((m + 1439) % 1440)),
                (1e6 / 3400 - 1e6 / 6500) / r.fade + 0.5)
          << r.from << "-" << r.to << " fade " << r.fade << " at " << m;
  }
}

// Every slider mix over their whole ranges, at both ends of the warmth: refused as unreadable, or
// sent inside the limit still dimmer or brighter and tinted the same way, as close to it as it can.
TEST(DefaultGammaLimit, EveryMixWithWarmthIsBroughtInsideWithItsTint) {
  const Ramp identity = colour::identityRamp();
  for (int k : {1900, 6500})
    for (int b = -50; b <= 50; b += 25)
      for (int c : {1, 50, 100})
        for (int r = -50; r <= 50; r += 50)
          for (int g = -50; g <= 50; g += 50)
            for (int bl = -50; bl <= 50; bl += 50) {
              const Ramp want =
                  colour::scaledRamp(colour::adjustedRamp(identity, sliders(b, c, r, g, bl)),
                                     colour::warmthFactors(k));
              if (colour::unreadable(want)) continue;
              const Ramp sent = colour::withinDefaultLimit(want);
              ASSERT_TRUE(colour::withinDefaultGammaLimit(sent)) << k << " " << b << " " << c;
              // Pulled in only as far as the limit needs, to 1/1024: some entry is at its edge.
              int reach = 0;
              for (int n = 0; n < 768; ++n)
                reach = std::max(reach, std::abs((sent[n] >> 8) - n % 256));
              if (!colour::withinDefaultGammaLimit(want)) ASSERT_EQ(reach, 128) << k << " " << b;
              for (int ch = 0; ch < 3; ++ch) {
                const int top = at(ch, 255), other = at((ch + 1) % 3, 255);
                ASSERT_EQ(want[top] < identity[top], sent[top] < identity[top]) << k << " " << b;
                ASSERT_EQ(want[top] < want[other], sent[top] < sent[other]) << k << " " << b;
              }
            }
  EXPECT_FALSE(colour::unreadable(colour::scaledRamp(identity, colour::warmthFactors(1900))));
  for (const auto& [white, refused] : {std::pair{0.35, true}, {0.42, false}})
    EXPECT_EQ(colour::unreadable(colour::scaledRamp(identity, {white, white, white})), refused);
}

}  // namespace
