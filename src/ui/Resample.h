#pragma once
// Smooth scaling of the embedded pictures to a control's pixel size: every target pixel is the
// average of the source area it covers when shrinking, and a linear blend of its nearest source
// pixels when enlarging. Pixels are 32-bit with premultiplied alpha, so each byte is averaged
// on its own and transparent grounds stay clean at the edges.
#include <cstdint>
#include <vector>

namespace ui {

struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // top row first
};

// The image at width x height; the same image when the size is unchanged, an empty one for an
// empty source or size.
PixelImage resample(const PixelImage& source, int width, int height);

}  // namespace ui
