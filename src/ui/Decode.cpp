#include "ui/Decode.h"

#include <limits>
#include <memory>

// A small, widely used single-header decoder, built here with only the two formats the
// pictures come in and no file access.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 4096
#include <stb_image.h>

namespace ui {

PixelImage decodePicture(std::span<const unsigned char> bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    return {};
  int width = 0;
  int height = 0;
  int channels = 0;
  std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                            &channels, 4),
      stbi_image_free);
  if (!rgba || width <= 0 || height <= 0) return {};
  PixelImage image{width, height, {}};
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto premultiply = [](unsigned c, unsigned a) { return (c * a + 127) / 255; };
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const stbi_uc* p = rgba.get() + 4 * i;
    const unsigned a = p[3];
    image.pixels[i] = (a << 24) | (premultiply(p[0], a) << 16) | (premultiply(p[1], a) << 8) |
                      premultiply(p[2], a);
  }
  return image;
}

}  // namespace ui
