#include "controls/ProgButton.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace controls {

namespace {

using ui::rgb;

constexpr std::array<Palette, 9> kSchemes = {{
    {rgb(248, 246, 242), rgb(233, 227, 211), rgb(226, 215, 182), rgb(239, 233, 215),
     rgb(251, 244, 223), rgb(239, 213, 133), rgb(203, 166, 57), rgb(237, 224, 187),
     rgb(204, 168, 62)},
    {rgb(247, 248, 242), rgb(231, 233, 211), rgb(222, 226, 182), rgb(237, 239, 215),
     rgb(249, 251, 223), rgb(230, 239, 133), rgb(190, 203, 57), rgb(233, 237, 187),
     rgb(192, 204, 62)},
    {rgb(242, 248, 243), rgb(211, 233, 213), rgb(182, 226, 186), rgb(215, 239, 217),
     rgb(223, 251, 225), rgb(133, 239, 142), rgb(57, 203, 70), rgb(187, 237, 191),
     rgb(62, 204, 74)},
    {rgb(242, 248, 247), rgb(211, 233, 231), rgb(182, 226, 222), rgb(215, 239, 237),
     rgb(223, 251, 249), rgb(133, 239, 230), rgb(57, 203, 190), rgb(187, 237, 233),
     rgb(62, 204, 192)},
    {rgb(243, 242, 248), rgb(213, 211, 233), rgb(186, 182, 226), rgb(217, 215, 239),
     rgb(225, 223, 251), rgb(142, 133, 239), rgb(70, 57, 203), rgb(191, 187, 237),
     rgb(74, 62, 204)},
    {rgb(248, 242, 247), rgb(233, 211, 231), rgb(226, 182, 222), rgb(239, 215, 237),
     rgb(251, 223, 249), rgb(239, 133, 230), rgb(203, 57, 190), rgb(237, 187, 233),
     rgb(204, 62, 192)},
    {rgb(248, 242, 242), rgb(233, 211, 211), rgb(226, 182, 182), rgb(239, 215, 215),
     rgb(251, 223, 223), rgb(239, 133, 133), rgb(203, 57, 57), rgb(237, 187, 187),
     rgb(204, 62, 62)},
    {rgb(250, 253, 254), rgb(228, 243, 252), rgb(199, 230, 249), rgb(237, 247, 253),
     rgb(225, 247, 255), rgb(67, 208, 255), rgb(63, 112, 233), rgb(63, 226, 246),
     rgb(23, 139, 211)},
    {rgb(231, 243, 232), rgb(225, 219, 225), rgb(179, 189, 179), rgb(226, 238, 226),
     rgb(223, 251, 223), rgb(108, 255, 108), rgb(26, 228, 26), rgb(217, 244, 217),
     rgb(188, 184, 188)},
}};

// The code point that starts at text[at] (UTF-8); a broken sequence gives its first byte.
char32_t codePointAt(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (extra == 0 || at + static_cast<std::size_t>(extra) >= text.size()) return lead;
  char32_t cp = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char next = byte(at + static_cast<std::size_t>(k));
    if ((next & 0xC0) != 0x80) return lead;
    cp = (cp << 6) | (next & 0x3F);
  }
  return cp;
}

}  // namespace

std::optional<Palette> progButtonScheme(int color) {
  if (color < 1 || color > 9) return std::nullopt;
  return kSchemes[static_cast<std::size_t>(color - 1)];
}

long long roundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kLimit = 9.0e18;
  value = std::clamp(value, -kLimit, kLimit);
  double floor = std::floor(value);
  double diff = value - floor;
  long long result = static_cast<long long>(floor);
  if (diff > 0.5 || (diff == 0.5 && result % 2 != 0)) ++result;
  return result;
}

int splitRow(int height) {
  return static_cast<int>(roundHalfEven(height / 2.0));
}

double progressPercent(int value, int min, int max) {
  // Differences in 64 bits: they cannot overflow, wherever the host puts the bounds.
  long long span = static_cast<long long>(max) - min;
  if (span == 0) return 0.0;
  double percent =
      static_cast<double>(static_cast<long long>(value) - min) / static_cast<double>(span) * 100.0;
  return percent == 0.0 ? 0.0 : percent;  // never "-0.00%"
}

int progressFillWidth(double percent, int rightEdge) {
  long long whole = std::clamp<long long>(roundHalfEven(percent), -32768, 32767);
  long long fill = roundHalfEven(static_cast<double>(whole * rightEdge) / 100.0);
  return static_cast<int>(std::clamp<long long>(fill, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

std::string progressText(double percent, std::string_view decimalSeparator) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", percent);
  std::string text = buffer;
  if (text == "-0.00") text = "0.00";
  std::size_t dot = text.find('.');
  if (dot != std::string::npos) text.replace(dot, 1, decimalSeparator);
  return text + "%";
}

PixelRect centredTextRect(int rightEdge, int bottomEdge, ui::Size textSize) {
  PixelRect r;
  r.left = static_cast<int>(roundHalfEven(rightEdge / 2.0 - textSize.width / 2.0));
  r.top = static_cast<int>(roundHalfEven(bottomEdge / 2.0 - textSize.height / 2.0));
  r.right = r.left + textSize.width;
  r.bottom = r.top + textSize.height;
  return r;
}

std::optional<char32_t> captionAccessKey(std::string_view caption) {
  if (caption.find('&') == std::string_view::npos) return std::nullopt;
  char32_t key = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (i + 1 < caption.size() && caption[i + 1] == '&') {
      ++i;  // a literal "&"
      continue;
    }
    key = i + 1 < caption.size() ? codePointAt(caption, i + 1) : 0;
  }
  return key;
}

ProgButton::ProgButton(std::string name, int index)
    : ui::Control(ui::Kind::ProgButton, std::move(name), index) {}

void ProgButton::loadScheme() {
  if (auto scheme = progButtonScheme(color_)) palette_ = *scheme;
}

void ProgButton::repaint(ui::Property property) {
  // The palette follows every repaint, so a later invalid Color keeps the colours already drawn.
  loadScheme();
  changed(property);
}

void ProgButton::setValue(int value) {
  if (value > max_) value = max_;
  if (value < min_) value = min_;
  value_ = value;
  repaint(ui::Property::Value);
}

void ProgButton::setCaption(std::string caption) {
  if (auto key = captionAccessKey(caption)) accessKey_ = *key;
  caption_ = std::move(caption);
  repaint(ui::Property::Text);
}

void ProgButton::loadStored(std::optional<int> value, std::optional<int> min,
                            std::optional<int> max, std::optional<std::string> caption,
                            std::optional<int> style, std::optional<int> color) {
  value_ = value.value_or(0);
  min_ = min.value_or(0);
  max_ = max.value_or(100);
  caption_ = caption.value_or("Command");
  style_ = style.value_or(0);
  color_ = color.value_or(1);
  repaint(ui::Property::Look);
}

void ProgButton::mouseDown(const ui::MouseArgs& args) {
  MouseDown(args);
  pressed_ = true;
  repaint(ui::Property::Look);
}

void ProgButton::mouseUp(const ui::MouseArgs& args) {
  MouseUp(args);
  pressed_ = false;
  repaint(ui::Property::Look);
}

void ProgButton::release(const ui::MouseArgs& args, bool captured, bool inside) {
  mouseUp(args);
  if (args.button != ui::kLeftButton) return;
  bool afterDoubleClick = std::exchange(afterDoubleClick_, false);
  if (captured && inside && !afterDoubleClick) click();
}

void ProgButton::click() {
  Click();
  repaint(ui::Property::Look);
}

void ProgButton::dblClick() {
  afterDoubleClick_ = true;
  DblClick();
  repaint(ui::Property::Look);
}

void ProgButton::accessKeyPressed() {
  if (style_ == 1) Click();
}

void ProgButton::keyDown(int keyCode) {
  // The key arrives at the focused control, so the focus is already where Enter leaves it.
  if (keyCode == kEnterKey && style_ == 1) Click();
}

void ProgButton::focusGained() {
  focusRect_ = {3, 3, rightEdge_ - 3, bottomEdge_ - 3};
  focused_ = true;
  repaint(ui::Property::Look);
}

void ProgButton::focusLost() {
  focused_ = false;
  repaint(ui::Property::Look);
}

ui::Role ProgButton::role() const {
  return style_ == 0 ? ui::Role::ProgressBar : ui::Role::PushButton;
}

std::string ProgButton::accessValue() const {
  if (style_ != 0) return {};
  return progressText(progressPercent(value_, min_, max_), separator_);
}

bool ProgButton::activate() {
  if (style_ == 0 || !enabled()) return false;
  click();
  return true;
}

DrawPlan ProgButton::redraw(int width, int height, const Measure& measure,
                            std::string_view decimalSeparator) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  DrawPlan plan;
  plan.width = width;
  plan.height = height;
  plan.corner = kCornerSize;
  rightEdge_ = width - 1;
  bottomEdge_ = height - 1;
  loadScheme();
  const Palette& p = palette_;
  int m = splitRow(height);

  // Two gradients from the left edge to `right`, split at row m, coloured from four slots
  // in a row starting at `first`.
  auto halves = [&](int right, int first) {
    plan.gradients.push_back({{0, 0, right, m}, p[first], p[first + 1]});
    plan.gradients.push_back({{0, m, right, height}, p[first + 2], p[first + 3]});
  };
  halves(width, kTopFrom);

  if (style_ != 0) {
    if (pressed_) halves(rightEdge_, kFillTopFrom);
    plan.text = caption_;
  } else {
    double percent = progressPercent(value_, min_, max_);
    fillWidth_ = progressFillWidth(percent, rightEdge_);
    // A fill of no width (or less, below Min) draws nothing; one past the right edge is clipped.
    if (fillWidth_ > 0) halves(fillWidth_, kFillTopFrom);
    plan.text = progressText(percent, decimalSeparator);
  }

  separator_ = decimalSeparator;
  plan.border = {0, 0, rightEdge_, bottomEdge_};
  plan.borderColour = p[kBorder];
  plan.textColour = 0;
  ui::Size size = measure ? measure(plan.text) : ui::Size{};
  textRect_ = centredTextRect(rightEdge_, bottomEdge_, size);
  plan.textRect = textRect_;
  if (style_ != 0 && focused_) plan.focusRect = focusRect_;
  return plan;
}

}  // namespace controls
