#pragma once
// The colour sliders as one table: what each stores, its range and neutral value, and the formula
// it adds to the work ramp. A further slider is a row here plus its control in the design.
#include <array>
#include <cstddef>

#include "settings/Keys.h"

namespace colour {

enum class Formula { Level, Contrast };

inline constexpr int kAllChannels = -1;

struct SliderRow {
  const char* key;      // under the "eye" section
  const char* control;  // the slider in the main window's design, by name and index
  int index;
  int caption;  // index of the colo label that shows the value; -1 for none
  int min, max, neutral;
  Formula formula;
  int channel;  // 0 red, 1 green, 2 blue, or kAllChannels
};

// In the order the work ramp is built, which is also the order of reading and storing.
inline constexpr std::array<SliderRow, 5> kSliders{{
    {settings::keys::kBrightness, "Slider1", -1, 1, -50, 50, 0, Formula::Level, kAllChannels},
    {settings::keys::kContrast, "Slider2", -1, 3, 1, 100, 100, Formula::Contrast, kAllChannels},
    {settings::keys::kRedBalance, "Slider3", 0, -1, -50, 50, 0, Formula::Level, 0},
    {settings::keys::kGreenBalance, "Slider3", 1, -1, -50, 50, 0, Formula::Level, 1},
    {settings::keys::kBlueBalance, "Slider3", 2, -1, -50, 50, 0, Formula::Level, 2},
}};

inline constexpr std::size_t kSliderCount = kSliders.size();

// One amount per slider, in the table's order.
using Amounts = std::array<int, kSliderCount>;

}  // namespace colour
