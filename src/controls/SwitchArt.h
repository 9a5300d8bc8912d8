#pragma once
// The switch's artwork, drawn anew for every DPI: eight frames per skin set, their lettering and
// the on/off outlines. Frames are 32-bit pixels laid out as a top-down 32-bit DIB (0x00RRGGBB), so
// the backend can copy them straight into a DIB section.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controls/PixelRect.h"
#include "ui/Types.h"

namespace controls {

// The transparency colour: pixels outside the outline are painted with it.
constexpr ui::Colour kSwitchTransparent = ui::rgb(255, 0, 0);

struct PixelBuffer {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

  ui::Colour colourAt(int x, int y) const;
};

// Which pixels belong to the switch (the rest are neither drawn nor hit by the mouse).
struct SwitchOutline {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> inside;  // 1 inside, top row first

  bool contains(int x, int y) const;
};

// A length of the 96-DPI design at another DPI, rounded as the backend sizes windows.
int scaledPixels(int pixelsAt96, int dpi);
// The frame size of a skin set (0, 1, 2) at a DPI; the switch's window has this size.
ui::Size switchFrameSizeAt(int skinSet, int dpi);

// The outline in force when the switch is on or off.
SwitchOutline switchOutline(int skinSet, bool on, int dpi);

// The lettering of a frame. The frames leave it out: the backend draws it with the program's
// face, smooth at the target size, since a pixel font scaled to other DPIs looks blocky.
struct SwitchLettering {
  std::string text;  // UTF-8, empty for the disabled frames
  PixelRect box;     // the text is centred in it
  ui::Colour colour = ui::rgb(255, 255, 255);
  std::optional<ui::Colour> shadow;  // drawn shadowOffset pixels lower, under light lettering
  int shadowOffset = 0;
  int emHeight = 0;  // the font's character height in pixels
  bool bold = true;
};
// plain: "On" and "Off" in the skin's colours, for a switch whose row label names it.
SwitchLettering switchLettering(int skinSet, int frame, int dpi, bool plain = false);

// One frame (0 to 7) of a skin set at a DPI; pixels outside the frame's outline are
// kSwitchTransparent.
PixelBuffer switchFrame(int skinSet, int frame, int dpi);
// The eight frames stacked vertically, frame 0 at the top.
PixelBuffer switchStrip(int skinSet, int dpi);

}  // namespace controls
