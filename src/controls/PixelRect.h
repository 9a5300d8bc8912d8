#pragma once
// A rectangle in a control's own pixels: edges, right and bottom exclusive as GDI takes them.

namespace controls {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace controls
