#pragma once
// The switch's artwork, drawn anew for every DPI: eight frames per skin set and the on/off
// outlines. Frames are 32-bit pixels laid out as a top-down 32-bit DIB (0x00RRGGBB), so the
// backend can copy them straight into a DIB section.
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

// The lettering of a frame (UTF-8), empty for the disabled frames.
std::string switchLettering(int skinSet, int frame);
// Whether the frames carry their lettering; skin set 1 leaves it to the backend, which draws
// it with a system font (the built-in pixel font has Latin capitals only).
bool switchDrawsLettering(int skinSet);
// Where the lettering of a frame is centred and its colour, at a DPI.
PixelRect switchLetteringBox(int skinSet, int frame, int dpi);
ui::Colour switchLetteringColour(int skinSet);

// One frame (0 to 7) of a skin set at a DPI; pixels outside the frame's outline are
// kSwitchTransparent.
PixelBuffer switchFrame(int skinSet, int frame, int dpi);
// The eight frames stacked vertically, frame 0 at the top.
PixelBuffer switchStrip(int skinSet, int dpi);

}  // namespace controls
