#pragma once
// A button drawn entirely with gradients, or (Style 0) a progress bar with its percentage.
// The arithmetic and the drawing plan are portable; the backend runs the plan with GDI.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/PixelRect.h"
#include "ui/Control.h"

namespace controls {

// Palette slots of a colour scheme.
enum PaletteSlot {
  kTopFrom,
  kTopTo,
  kBottomFrom,
  kBottomTo,
  kFillTopFrom,
  kFillTopTo,
  kFillBottomFrom,
  kFillBottomTo,
  kBorder,
  kPaletteSlots
};
using Palette = std::array<ui::Colour, kPaletteSlots>;

// The palette of scheme 1 to 9, or nothing for any other number.
std::optional<Palette> progButtonScheme(int color);

// A vertical gradient from `from` at the top edge to `to` at the bottom edge.
struct Gradient {
  PixelRect rect;
  ui::Colour from = 0, to = 0;
  friend bool operator==(const Gradient&, const Gradient&) = default;
};

// Everything one repaint draws, in order: the window outline, the gradients, the rounded
// border (outline only), the text (black, transparent background, "&" marks the access key),
// and the focus mark.
struct DrawPlan {
  int width = 0, height = 0;  // the outline: a rounded rectangle (0, 0, width, height)
  int corner = 0;             // width and height of the corner ellipse
  std::vector<Gradient> gradients;
  PixelRect border;
  ui::Colour borderColour = 0;
  std::string text;
  PixelRect textRect;
  ui::Colour textColour = 0;
  std::optional<PixelRect> focusRect;
};

// Rounds to the nearest integer, halves to even.
long long roundHalfEven(double value);
// The row where the upper gradients end and the lower ones start.
int splitRow(int height);
// The percentage of value between min and max; 0 when max equals min.
double progressPercent(int value, int min, int max);
// The width of the progress fill for a percentage and the right edge (width - 1).
int progressFillWidth(double percent, int rightEdge);
// The percentage as "0.00%" with the user's decimal separator.
std::string progressText(double percent, std::string_view decimalSeparator);
// Centres a text of the measured size on a surface with the given edges (width - 1, height - 1).
PixelRect centredTextRect(int rightEdge, int bottomEdge, ui::Size textSize);

class ProgButton : public ui::Control {
 public:
  static constexpr int kCornerSize = 5;
  static constexpr int kEnterKey = 13;

  explicit ProgButton(std::string name, int index = -1);

  int Value() const { return value_; }
  void setValue(int value);  // lowered to Max, then raised to Min
  int Min() const { return min_; }
  void setMin(int min) { store(min_, min, ui::Property::Range); }
  int Max() const { return max_; }
  void setMax(int max) { store(max_, max, ui::Property::Range); }
  const std::string& Caption() const { return caption_; }
  void setCaption(std::string caption);  // also takes the access key from the last "&"
  int Style() const { return style_; }
  void setStyle(int style) { store(style_, style, ui::Property::Look); }
  int Color() const { return color_; }
  void setColor(int color) { store(color_, color, ui::Property::Look); }

  // Stored properties ("Value", "MyMin", "MyMax", "MyCaption", "MyType", "MyStyle"), taken as
  // they are: no clamping, no access key. A missing one reads as its stored default.
  void loadStored(std::optional<int> value, std::optional<int> min, std::optional<int> max,
                  std::optional<std::string> caption, std::optional<int> style,
                  std::optional<int> color);

  // A progress bar (Style 0) whose value is the percentage it shows, else a push button.
  ui::Role role() const override;
  std::string accessValue() const override;
  bool activate() override;

  // The access key (a Unicode code point), 0 when none.
  char32_t accessKey() const { return accessKey_; }
  bool focused() const { return focused_; }
  bool pressed() const { return pressed_; }
  const Palette& palette() const { return palette_; }
  // Results of the last repaint.
  int fillWidth() const { return fillWidth_; }
  const PixelRect& textRect() const { return textRect_; }
  const PixelRect& focusRect() const { return focusRect_; }

  // Input from the backend. Click and DblClick are the system's notifications for a completed
  // click; the Control's MouseDown, MouseUp, Click and DblClick events are raised (moves need
  // nothing of the button's own, so the backend raises MouseMove itself).
  void mouseDown(const ui::MouseArgs& args);
  void mouseUp(const ui::MouseArgs& args);
  // A release: MouseUp, then a click when the left button comes up inside the control over a
  // press it captured, unless the release ends a double click.
  void release(const ui::MouseArgs& args, bool captured, bool inside);
  void click();
  void dblClick();
  void accessKeyPressed();
  void keyDown(int keyCode);
  void focusGained();
  void focusLost();

  // Text size in pixels in the control's font (the hidden "&" characters included).
  using Measure = std::function<ui::Size(const std::string&)>;
  // The complete repaint of a client area of width x height pixels; records the palette, edges,
  // fill width and text rectangle as the repaint leaves them.
  DrawPlan redraw(int width, int height, const Measure& measure, std::string_view decimalSeparator);

 private:
  void loadScheme();
  void repaint(ui::Property property);
  // Stores the value and repaints, even when it is the value already held.
  void store(int& field, int value, ui::Property property) {
    field = value;
    repaint(property);
  }

  int value_ = 0;
  int min_ = 0;
  int max_ = 100;
  std::string caption_;
  int style_ = 0;
  int color_ = 1;
  char32_t accessKey_ = 0;
  bool focused_ = false;
  bool pressed_ = false;
  bool afterDoubleClick_ = false;
  Palette palette_{};
  int rightEdge_ = 0;
  int bottomEdge_ = 0;
  int fillWidth_ = 0;
  PixelRect textRect_;
  PixelRect focusRect_;
  std::string separator_ = ".";  // the decimal separator of the last repaint
};

// The access key a caption gives: nothing when it has no "&" (the key stays as it was),
// otherwise the character after the last single "&" ("&&" shows one "&" and marks nothing),
// or 0 when there is none.
std::optional<char32_t> captionAccessKey(std::string_view caption);

}  // namespace controls
