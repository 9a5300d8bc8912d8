#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "colour/GammaEngine.h"
#include "win32/GammaDisplay.h"

namespace {

// Puts the display's ramp back however the test ends: the ramp outlives the program.
struct RampRestorer {
  win32::GammaDisplay& display;
  ui::Ramp original;
  ~RampRestorer() { display.set(original); }
};

int largestDifference(const ui::Ramp& a, const ui::Ramp& b) {
  int largest = 0;
  for (std::size_t n = 0; n < a.size(); ++n)
    largest = std::max(largest, std::abs(static_cast<int>(a[n]) - static_cast<int>(b[n])));
  return largest;
}

TEST(GammaDisplay, SetsAndReadsBackTheRamp) {
  win32::GammaDisplay display;
  ui::Ramp original{};
  ASSERT_TRUE(display.get(original))
      << "GetDeviceGammaRamp failed: this display has no gamma ramp (an X server without "
         "XF86VidMode gamma, such as Xvfb, or 32-bit libXxf86vm missing)";
  RampRestorer restorer{display, original};

  ui::Ramp dimmer{};
  for (std::size_t n = 0; n < dimmer.size(); ++n)
    dimmer[n] = static_cast<std::uint16_t>(257 * (n % 256) * 8 / 10);
  ASSERT_TRUE(display.set(dimmer));
  ui::Ramp back{};
  ASSERT_TRUE(display.get(back));
  EXPECT_LE(largestDifference(back, dimmer), 257);
  // Red, green and blue land in their own tables.
  EXPECT_LT(back[255], 65535 - 257 * 40);
  EXPECT_LT(back[511], 65535 - 257 * 40);
  EXPECT_LT(back[767], 65535 - 257 * 40);

  ASSERT_TRUE(display.set(original));
  ASSERT_TRUE(display.get(back));
  EXPECT_LE(largestDifference(back, original), 257);
}

// Each display attached to the desktop has a device context of its own that takes a ramp, and
// the engine's send to all of them reads back.
TEST(GammaDisplay, EveryDisplayIsSentARampThatReadsBack) {
  win32::GammaDisplay desktop;
  ui::Ramp original{};
  ASSERT_TRUE(desktop.get(original)) << "GetDeviceGammaRamp failed: no display gamma ramp";
  RampRestorer restorer{desktop, original};

  win32::GammaDisplays displays;
  std::vector<ui::AttachedDisplay> attached = displays.enumerate();
  ASSERT_FALSE(attached.empty());
  for (const ui::AttachedDisplay& d : attached)
    EXPECT_EQ(d.name.rfind("\\\\.\\DISPLAY", 0), 0u) << d.name;

  colour::GammaEngine engine{displays};
  EXPECT_TRUE(engine.capture());
  EXPECT_EQ(engine.displayCount(), attached.size());
  EXPECT_EQ(engine.adjust({-25, 90, 0, -3, 0}), colour::SendResult::Applied);
  for (ui::AttachedDisplay& d : attached) {
    ui::Ramp back{};
    ASSERT_TRUE(d.gamma->get(back)) << d.name;
    EXPECT_LE(largestDifference(back, engine.workRamp()), 257) << d.name;
  }
}

}  // namespace
