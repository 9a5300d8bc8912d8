// monitor.txt as it can arrive: any bytes give either a whole ramp or a message, never both, and
// the same outcome whether the file is read at once or in pieces of any size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "colour/DefaultRamp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 17 + 1;  // the first byte picks the size of a read
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  colour::DefaultRampResult whole = colour::parseDefaultRamp(text);
  if (whole.ramp.has_value() == !whole.error.empty()) std::abort();

  colour::DefaultRampReader reader;
  for (std::size_t at = 0; at < text.size() && reader.feed(text.substr(at, piece)); at += piece) {
  }
  colour::DefaultRampResult pieces = reader.finish();
  if (pieces.ramp != whole.ramp || pieces.error != whole.error) std::abort();
  return 0;
}
