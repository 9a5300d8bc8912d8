// monitor.txt as it can arrive: any bytes give either a whole ramp or a message, never both.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "colour/DefaultRamp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  colour::DefaultRampResult result = colour::parseDefaultRamp(text);
  if (result.ramp.has_value() == !result.error.empty()) std::abort();
  return 0;
}
