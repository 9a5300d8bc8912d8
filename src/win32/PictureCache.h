#pragma once
// The embedded pictures, decoded once and kept as pixels, with smooth-scaled copies for the
// sizes asked for.
#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "ui/Pictures.h"
#include "ui/Resample.h"
#include "win32/Handles.h"

namespace win32 {

class PictureCache {
 public:
  PictureCache() = default;
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // Draws the picture stretched to the rectangle, blending its transparent ground.
  void draw(HDC dc, ui::Picture picture, const RECT& to);

 private:
  void decodeAll();
  HBITMAP scaled(ui::Picture picture, int width, int height);

  bool decoded_ = false;
  std::array<ui::PixelImage, static_cast<std::size_t>(ui::Picture::RestClose) + 1> originals_;
  std::map<std::tuple<ui::Picture, int, int>, UniqueBitmap> bitmaps_;
};

int resourceId(ui::Picture picture);

// A top-down 32-bit DIB section holding width x height pixels, top row first; null when it
// cannot be made.
UniqueBitmap dibSection(int width, int height, const std::vector<std::uint32_t>& pixels);

}  // namespace win32
