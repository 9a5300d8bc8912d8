#include "ui/Resample.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

struct Tap {
  int index;
  double weight;
};

// For each target position along one axis, the source positions it draws on and their weights
// (summing to 1).
std::vector<std::vector<Tap>> axisTaps(int from, int to) {
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
  double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    auto& out = taps[static_cast<std::size_t>(i)];
    if (to > from) {
      double u = std::clamp((i + 0.5) * scale - 0.5, 0.0, from - 1.0);
      int a = static_cast<int>(u);
      double f = u - a;
      out.push_back({a, 1.0 - f});
      if (f > 0 && a + 1 < from) out.push_back({a + 1, f});
    } else {
      double begin = i * scale;
      double end = (i + 1) * scale;
      for (int j = static_cast<int>(begin); j < from && j < end; ++j) {
        double overlap = std::min(end, j + 1.0) - std::max(begin, static_cast<double>(j));
        if (overlap > 0) out.push_back({j, overlap / scale});
      }
    }
  }
  return taps;
}

std::uint32_t blend(const std::vector<Tap>& taps, const std::uint32_t* line, int stride) {
  double sum[4] = {0, 0, 0, 0};
  for (const Tap& t : taps) {
    std::uint32_t p = line[static_cast<std::ptrdiff_t>(t.index) * stride];
    for (int c = 0; c < 4; ++c) sum[c] += t.weight * ((p >> (8 * c)) & 0xFF);
  }
  std::uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    auto v = static_cast<std::uint32_t>(std::clamp(std::lround(sum[c]), 0L, 255L));
    out |= v << (8 * c);
  }
  return out;
}

}  // namespace

PixelImage resample(const PixelImage& source, int width, int height) {
  if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0 ||
      source.pixels.size() != static_cast<std::size_t>(source.width) * source.height)
    return {};
  if (width == source.width && height == source.height) return source;

  // Rows first, then columns.
  auto xs = axisTaps(source.width, width);
  std::vector<std::uint32_t> wide(static_cast<std::size_t>(width) * source.height);
  for (int y = 0; y < source.height; ++y) {
    const std::uint32_t* line = &source.pixels[static_cast<std::size_t>(y) * source.width];
    for (int x = 0; x < width; ++x)
      wide[static_cast<std::size_t>(y) * width + x] =
          blend(xs[static_cast<std::size_t>(x)], line, 1);
  }
  auto ys = axisTaps(source.height, height);
  PixelImage out{width, height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out.pixels[static_cast<std::size_t>(y) * width + x] =
          blend(ys[static_cast<std::size_t>(y)], &wide[static_cast<std::size_t>(x)], width);
  return out;
}

}  // namespace ui
