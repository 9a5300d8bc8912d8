#include <gtest/gtest.h>

#include <cmath>

#include "Fakes.h"
#include "colour/GammaEngine.h"

namespace {

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
    r[at(1, i)] = static_cast<std::uint16_t>(200 * i + 100);
    r[at(2, i)] = static_cast<std::uint16_t>(65535 - 150 * i);
  }
  return r;
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
  GammaEngine engine{display};
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
  engine.setbright(-50);
  EXPECT_EQ(display.ramp[at(0, 255)], 32768);  // not black
}

TEST_F(EngineTest, NeutralAdjustmentsReproduceTheBase) {
  display.ramp = distinctRamp();
  engine.capture();
  EXPECT_EQ(engine.setbright(0), SendResult::Applied);
  EXPECT_EQ(engine.workRamp(), distinctRamp());
  EXPECT_EQ(display.sent.back(), distinctRamp());
  engine.setbright(30);
  EXPECT_EQ(engine.setcontrast(100), SendResult::Applied);
  EXPECT_EQ(display.ramp, distinctRamp());
}

TEST_F(EngineTest, SetchannelBuildsOneChannelFromTheBaseAndSendsNothing) {
  display.ramp = distinctRamp();
  engine.capture();
  engine.setbright(-30);
  const Ramp before = engine.workRamp();
  const std::size_t sends = display.sent.size();
  engine.setchannel(20, 1);
  EXPECT_EQ(display.sent.size(), sends);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(engine.workRamp()[at(0, i)], before[at(0, i)]);
    EXPECT_EQ(engine.workRamp()[at(1, i)], levelAdjust(20, distinctRamp()[at(1, i)]));
    EXPECT_EQ(engine.workRamp()[at(2, i)], before[at(2, i)]);
  }
}

// Fails the first calls, then behaves.
struct FlakyDisplay : fakes::GammaDisplay {
  int failuresLeft = 0;
  bool set(const ui::Ramp& r) override {
    if (failuresLeft > 0) {
      --failuresLeft;
      sent.push_back(r);
      return false;
    }
    return fakes::GammaDisplay::set(r);
  }
};

// Reports success but keeps its ramp, as Windows does for ramps outside its limit.
struct SilentlyRefusingDisplay : fakes::GammaDisplay {
  bool set(const ui::Ramp& r) override {
    sent.push_back(r);
    return true;
  }
};

// Keeps 8 bits per entry, as an X server does.
struct EightBitDisplay : fakes::GammaDisplay {
  bool set(const ui::Ramp& r) override {
    sent.push_back(r);
    for (std::size_t n = 0; n < r.size(); ++n)
      ramp[n] = static_cast<std::uint16_t>((r[n] >> 8) * 257);
    return true;
  }
};

TEST(EngineSend, RetriesAFailedFirstCall) {
  FlakyDisplay display;
  display.failuresLeft = 2;
  GammaEngine engine{display};
  engine.capture();
  EXPECT_EQ(engine.setbright(-20), SendResult::Applied);
  EXPECT_EQ(display.sent.size(), 3u);
  EXPECT_EQ(display.ramp[at(0, 255)], levelAdjust(-20, 65535));
}

TEST(EngineSend, GivesUpAfterAFewAttempts) {
  FlakyDisplay display;
  display.failuresLeft = 100;
  GammaEngine engine{display};
  engine.capture();
  EXPECT_EQ(engine.setbright(-20), SendResult::Refused);
  EXPECT_EQ(display.sent.size(), static_cast<std::size_t>(GammaEngine::kSendAttempts));
  EXPECT_EQ(display.ramp, colour::identityRamp());
}

TEST(EngineSend, ASuccessThatDidNotTakeIsARefusal) {
  SilentlyRefusingDisplay display;
  GammaEngine engine{display};
  engine.capture();
  EXPECT_EQ(engine.setcontrast(40), SendResult::Refused);
  EXPECT_EQ(display.sent.size(), static_cast<std::size_t>(GammaEngine::kSendAttempts));
  // Sending what the display already holds reads back equal.
  EXPECT_EQ(engine.setcontrast(100), SendResult::Applied);
}

TEST(EngineSend, EightBitReadBackCountsAsApplied) {
  EightBitDisplay display;
  GammaEngine engine{display};
  engine.capture();
  for (int a = -50; a <= 50; a += 7) ASSERT_EQ(engine.setbright(a), SendResult::Applied) << a;
  EXPECT_EQ(engine.setcontrast(1), SendResult::Applied);
}

TEST_F(EngineTest, ResendSendsTheLastRampAgain) {
  engine.capture();
  EXPECT_EQ(engine.resend(), SendResult::Applied);  // nothing sent yet: nothing to do
  EXPECT_TRUE(display.sent.empty());
  engine.setbright(-25);
  const Ramp wanted = display.ramp;
  display.ramp = colour::identityRamp();  // the system reset the display
  EXPECT_EQ(engine.resend(), SendResult::Applied);
  EXPECT_EQ(display.ramp, wanted);
  EXPECT_EQ(engine.lastSent(), wanted);
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

// Every ramp the sliders can build from the identity ramp must be one Windows accepts without
// an extended gamma range. The limit is checked entry by entry and a balance ramp takes each
// channel from its own slider, so checking every amount on every channel covers every mix.
TEST_F(EngineTest, EverySliderRampFromTheIdentityStaysWithinTheDefaultLimit) {
  engine.capture();
  for (int a = -50; a <= 50; ++a) {
    engine.setbright(a);
    ASSERT_TRUE(colour::withinDefaultGammaLimit(engine.workRamp())) << "brightness " << a;
    for (int c = 0; c < 3; ++c) engine.setchannel(a, c);
    ASSERT_TRUE(colour::withinDefaultGammaLimit(engine.workRamp())) << "balance " << a;
  }
  for (int k = 1; k <= 100; ++k) {
    engine.setcontrast(k);
    ASSERT_TRUE(colour::withinDefaultGammaLimit(engine.workRamp())) << "contrast " << k;
  }
}

}  // namespace
