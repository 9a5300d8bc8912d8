#pragma once
// Basic value types of the form toolkit. Places and sizes are twips (1/1440 inch); colours are
// 0x00BBGGRR. Pixels exist only in the Win32 backend.
#include <cstdint>
#include <string>

namespace ui {

constexpr int kTwipsPerPixelAt96Dpi = 15;

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool contains(Point p) const {
    return p.x >= left && p.x < right() && p.y >= top && p.y < bottom();
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

using Colour = std::uint32_t;

constexpr Colour rgb(int red, int green, int blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr Colour hex(std::uint32_t rrggbb) {
  return rgb(static_cast<int>(rrggbb >> 16), static_cast<int>(rrggbb >> 8),
             static_cast<int>(rrggbb));
}
constexpr int red(Colour c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int green(Colour c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blue(Colour c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

// A feature row's title while the feature is on.
constexpr Colour kFeatureOnColour = rgb(34, 139, 34);

// A system colour, resolved by the backend (the high bit marks it, as the Windows designer does).
constexpr Colour kSystemButtonFace = 0x8000000F;
constexpr Colour kSystemWindowText = 0x80000008;
constexpr Colour kSystemWindow = 0x80000005;
constexpr bool isSystemColour(Colour c) {
  return (c & 0x80000000u) != 0;
}

struct Font {
  std::string face = "微软雅黑";  // UTF-8
  double points = 9;
  bool bold = false;
  int charset = 134;
  // The control carries no font of its own: the backend uses the user-interface font.
  bool systemDefault = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// The program's face at a size, as the window designs give their fonts.
inline Font designFont(double points, bool bold = false) {
  return {.points = points, .bold = bold};
}

enum class Align { Left, Centre };

// Mouse buttons and shift state as the events report them.
enum MouseButton { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

struct MouseArgs {
  int button = 0;  // the button pressed or released; for moves, the buttons held
  int shift = 0;
  Point at;  // twips, relative to the control
};

}  // namespace ui
