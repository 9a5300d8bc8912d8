#pragma once
// The default ramp file monitor.txt: 768 signed 16-bit decimal numbers, separated by commas or
// line breaks, entry by entry with the three channels of each entry in a row.
#include <optional>
#include <string>
#include <string_view>

#include "ui/System.h"

namespace colour {

inline constexpr const char* kDefaultRampFile = "monitor.txt";

struct DefaultRampResult {
  std::optional<ui::Ramp> ramp;
  std::string error;  // what is wrong with the file, when there is no ramp
};

// Reads the first 768 numbers; anything after them is ignored. Fewer numbers, a number outside
// -32768 to 32767 or text that is not a number gives no ramp and an error naming the fault.
DefaultRampResult parseDefaultRamp(std::string_view text);

}  // namespace colour
