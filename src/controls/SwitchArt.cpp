#include "controls/SwitchArt.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "controls/SafeSwitch.h"

namespace controls {

namespace {

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb of(int r, int g, int b) {
  return {double(r), double(g), double(b)};
}
Rgb grey(int v) {
  return of(v, v, v);
}
Rgb mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb lighten(Rgb c, double t) {
  return mix(c, grey(255), t);
}
Rgb darken(Rgb c, double t) {
  return mix(c, grey(0), t);
}

// Shapes and paints work in the 96-DPI design's coordinates; the canvas samples them at its own
// resolution (4 x 4 samples a pixel), so edges are smooth at every DPI and exact at 96.
class Canvas {
 public:
  Canvas(int width, int height, ui::Size design)
      : width_(width),
        height_(height),
        sx_(double(width) / design.width),
        sy_(double(height) / design.height),
        pixels_(std::size_t(width) * std::size_t(height)) {}

  void clear(Rgb colour) { std::fill(pixels_.begin(), pixels_.end(), colour); }

  template <class Inside, class Paint>
  void fill(Inside inside, Paint paint) {
    constexpr int kSamples = 4;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        Rgb sum;
        int hits = 0;
        for (int j = 0; j < kSamples; ++j) {
          for (int i = 0; i < kSamples; ++i) {
            double dx = (x + (i + 0.5) / kSamples) / sx_;
            double dy = (y + (j + 0.5) / kSamples) / sy_;
            if (!inside(dx, dy)) continue;
            Rgb c = paint(dx, dy);
            sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
            ++hits;
          }
        }
        if (hits == 0) continue;
        Rgb average{sum.r / hits, sum.g / hits, sum.b / hits};
        Rgb& px = pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
        px = mix(px, average, double(hits) / (kSamples * kSamples));
      }
    }
  }

  PixelBuffer finish(const SwitchOutline& outline) const {
    PixelBuffer out{width_, height_, std::vector<std::uint32_t>(pixels_.size())};
    auto channel = [](double v) { return std::uint32_t(std::clamp(int(std::lround(v)), 0, 255)); };
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        std::size_t at = std::size_t(y) * std::size_t(width_) + std::size_t(x);
        const Rgb& c = pixels_[at];
        out.pixels[at] = outline.contains(x, y)
                             ? (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b)
                             : 0x00FF0000u;
      }
    }
    return out;
  }

 private:
  int width_, height_;
  double sx_, sy_;
  std::vector<Rgb> pixels_;
};

auto rect(double x0, double y0, double x1, double y1) {
  return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}
auto roundRect(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    double cx = std::clamp(x, x0 + radius, x1 - radius);
    double cy = std::clamp(y, y0 + radius, y1 - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}
auto circle(double cx, double cy, double radius) {
  return [=](double x, double y) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}
auto flat(Rgb c) {
  return [=](double, double) { return c; };
}
auto vertical(double y0, double y1, Rgb top, Rgb bottom) {
  return [=](double, double y) {
    return mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0));
  };
}

enum FrameState { kNormal, kInside, kPressed, kDisabled };

struct SkinColours {
  std::array<Rgb, 4> on, off;  // by FrameState
};

const SkinColours kSkin0{{of(173, 228, 120), of(194, 237, 151), of(100, 184, 72), grey(172)},
                         {grey(201), grey(218), grey(184), grey(232)}};
const SkinColours kSkin1{{of(70, 132, 196), of(96, 176, 231), of(82, 130, 184), grey(157)},
                         {of(222, 159, 49), of(245, 203, 67), of(213, 150, 60), grey(157)}};
const Rgb kSmallOn = of(83, 211, 54);
const Rgb kSmallOff = of(1, 117, 170);
const Rgb kSmallRim = of(6, 81, 119);

// Tab and knob places of the design (96 DPI), by skin set and value.
constexpr int kKnob0 = 23;  // skin 0: a square knob as tall as the switch
constexpr int kKnob1 = 20;  // skin 1: the knob's end of the outline is cut for this width

PixelRect letteringBoxAt96(int skinSet, bool on) {
  switch (skinSet) {
    case 0:
      return on ? PixelRect{1, 1, 78 - kKnob0, 22} : PixelRect{kKnob0, 1, 77, 22};
    case 1:
      return on ? PixelRect{1, 1, 74 - kKnob1, 23} : PixelRect{kKnob1, 1, 73, 23};
    default:
      return on ? PixelRect{1, 2, 20, 15} : PixelRect{16, 2, 35, 15};
  }
}

void drawSkin0(Canvas& canvas, bool on, FrameState state) {
  Rgb tab = (on ? kSkin0.on : kSkin0.off)[std::size_t(state)];
  canvas.clear(darken(tab, 0.22));
  canvas.fill(rect(1, 1, 77, 22), vertical(1, 22, lighten(tab, 0.2), darken(tab, 0.04)));

  double kx = on ? 78 - kKnob0 : 0;
  bool disabled = state == kDisabled;
  canvas.fill(rect(kx, 0, kx + kKnob0, 23), flat(disabled ? grey(190) : grey(165)));
  canvas.fill(rect(kx + 1, 1, kx + kKnob0 - 1, 22), disabled
                                                        ? vertical(1, 22, grey(248), grey(238))
                                                        : vertical(1, 22, grey(248), grey(228)));
  for (int line : {7, 11, 15})
    canvas.fill(rect(kx + line, 7, kx + line + 1, 16), flat(disabled ? grey(218) : grey(188)));
}

void drawSkin1(Canvas& canvas, bool on, FrameState state) {
  Rgb tab = (on ? kSkin1.on : kSkin1.off)[std::size_t(state)];
  canvas.clear(darken(tab, 0.3));
  // Glossy: a bright upper half with a sharp edge at the middle, a deeper lower half.
  canvas.fill(rect(1, 1, 73, 12), vertical(1, 12, lighten(tab, 0.5), lighten(tab, 0.2)));
  canvas.fill(rect(1, 12, 73, 23), vertical(12, 23, tab, lighten(tab, 0.12)));

  double kx = on ? 74 - kKnob1 : 0;
  canvas.fill(rect(kx, 1, kx + kKnob1, 23), flat(grey(120)));
  canvas.fill(rect(kx + 1, 2, kx + kKnob1 - 1, 22), vertical(2, 22, grey(238), grey(192)));
  for (int line : {8, 11}) canvas.fill(rect(kx + line, 7, kx + line + 1, 17), flat(grey(150)));
}

void drawSkin2(Canvas& canvas, bool on) {
  Rgb pill = on ? kSmallOn : kSmallOff;
  canvas.clear(kSmallRim);
  canvas.fill(roundRect(1, 2, 35, 15, 6.5), vertical(2, 15, lighten(pill, 0.25), pill));

  double cx = on ? 28 : 8;
  canvas.fill(circle(cx, 8, 8), flat(kSmallRim));
  canvas.fill(circle(cx, 8, 7), vertical(1, 15, of(232, 246, 253), of(150, 205, 238)));
}

}  // namespace

ui::Colour PixelBuffer::colourAt(int x, int y) const {
  std::uint32_t p = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  return ui::rgb(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
}

bool SwitchOutline::contains(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  return inside[std::size_t(y) * std::size_t(width) + std::size_t(x)] != 0;
}

int scaledPixels(int pixelsAt96, int dpi) {
  if (dpi <= 0) dpi = 96;
  return int((static_cast<long long>(pixelsAt96) * dpi + 48) / 96);
}

ui::Size switchFrameSizeAt(int skinSet, int dpi) {
  ui::Size base = switchFrameSize(switchSkinSet(skinSet));
  return {scaledPixels(base.width, dpi), scaledPixels(base.height, dpi)};
}

namespace {

// The outline of the 96-DPI design.
bool insideAt96(int skinSet, bool on, int x, int y) {
  ui::Size size = switchFrameSize(skinSet);
  int w = size.width;
  int h = size.height;
  int fromEdge = std::min(y, h - 1 - y);  // row counted from the nearer of top and bottom
  int fromSide = std::min(x, w - 1 - x);
  switch (skinSet) {
    case 0:
      return !(fromEdge == 0 && fromSide == 0);
    case 1: {
      if (fromEdge < 2 && fromSide < 2 - fromEdge) return false;
      bool knobEnd = on ? x >= w - kKnob1 : x < kKnob1;
      return !(fromEdge == 0 && knobEnd);
    }
    default:
      if (y == 0) return on ? x >= 25 && x <= 30 : x >= 5 && x <= 10;
      return fromEdge >= 5 || fromSide >= 5 - fromEdge;
  }
}

}  // namespace

SwitchOutline switchOutline(int skinSet, bool on, int dpi) {
  skinSet = switchSkinSet(skinSet);
  ui::Size base = switchFrameSize(skinSet);
  ui::Size size = switchFrameSizeAt(skinSet, dpi);
  SwitchOutline outline{size.width, size.height,
                        std::vector<std::uint8_t>(std::size_t(size.width * size.height))};
  // Each pixel takes the design pixel under its centre, so the steps keep their proportions.
  for (int y = 0; y < size.height; ++y) {
    int by = std::min(base.height - 1, (2 * y + 1) * base.height / (2 * size.height));
    for (int x = 0; x < size.width; ++x) {
      int bx = std::min(base.width - 1, (2 * x + 1) * base.width / (2 * size.width));
      outline.inside[std::size_t(y * size.width + x)] = insideAt96(skinSet, on, bx, by) ? 1 : 0;
    }
  }
  return outline;
}

SwitchLettering switchLettering(int skinSet, int frame, int dpi, bool plain) {
  skinSet = switchSkinSet(skinSet);
  SwitchLettering out;
  if (frame < 0 || frame > 7 || frame % 4 == kDisabled) return out;
  bool on = frame < 4;
  auto state = FrameState(frame % 4);
  PixelRect box = letteringBoxAt96(skinSet, on);
  out.box = {scaledPixels(box.left, dpi), scaledPixels(box.top, dpi), scaledPixels(box.right, dpi),
             scaledPixels(box.bottom, dpi)};
  out.shadowOffset = scaledPixels(1, dpi);
  // Character heights whose capitals are as tall as the design's lettering at 96 DPI: 7 pixels
  // on the large tabs, 5 on the small pill.
  std::optional<Rgb> shadow;
  switch (skinSet) {
    case 0:
      out.text = on ? "OPENED" : "CLOSED";
      out.emHeight = scaledPixels(10, dpi);
      if (on)
        shadow = darken(kSkin0.on[std::size_t(state)], 0.35);
      else
        out.colour = ui::rgb(96, 96, 96);
      break;
    case 1:
      out.text = on ? "已开启" : "已关闭";
      out.emHeight = scaledPixels(12, dpi);
      break;
    default:
      // The small skin has no hover or pressed look.
      out.text = on ? "ON" : "OFF";
      out.emHeight = scaledPixels(7, dpi);
      shadow = darken(on ? kSmallOn : kSmallOff, 0.35);
      break;
  }
  if (plain) out.text = on ? "On" : "Off";
  if (shadow)
    out.shadow = ui::rgb(int(std::lround(shadow->r)), int(std::lround(shadow->g)),
                         int(std::lround(shadow->b)));
  return out;
}

PixelBuffer switchFrame(int skinSet, int frame, int dpi) {
  skinSet = switchSkinSet(skinSet);
  frame = std::clamp(frame, 0, 7);
  bool on = frame < 4;
  auto state = FrameState(frame % 4);
  ui::Size size = switchFrameSizeAt(skinSet, dpi);
  Canvas canvas(size.width, size.height, switchFrameSize(skinSet));
  if (skinSet == 0)
    drawSkin0(canvas, on, state);
  else if (skinSet == 1)
    drawSkin1(canvas, on, state);
  else
    drawSkin2(canvas, on);
  return canvas.finish(switchOutline(skinSet, on, dpi));
}

PixelBuffer switchStrip(int skinSet, int dpi) {
  ui::Size size = switchFrameSizeAt(skinSet, dpi);
  PixelBuffer strip{size.width, size.height * 8, {}};
  strip.pixels.reserve(std::size_t(size.width) * std::size_t(size.height) * 8);
  for (int frame = 0; frame < 8; ++frame) {
    PixelBuffer one = switchFrame(skinSet, frame, dpi);
    strip.pixels.insert(strip.pixels.end(), one.pixels.begin(), one.pixels.end());
  }
  return strip;
}

}  // namespace controls
