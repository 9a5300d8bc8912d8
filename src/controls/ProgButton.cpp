#include "controls/ProgButton.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

namespace controls {

namespace {

// Schemes 1 to 9, as 0xRRGGBB in palette-slot order.
constexpr std::array<std::array<std::uint32_t, kPaletteSlots>, 9> kSchemes = {{
    {0xF8F6F2, 0xE9E3D3, 0xE2D7B6, 0xEFE9D7, 0xFBF4DF, 0xEFD585, 0xCBA639, 0xEDE0BB, 0xCCA83E},
    {0xF7F8F2, 0xE7E9D3, 0xDEE2B6, 0xEDEFD7, 0xF9FBDF, 0xE6EF85, 0xBECB39, 0xE9EDBB, 0xC0CC3E},
    {0xF2F8F3, 0xD3E9D5, 0xB6E2BA, 0xD7EFD9, 0xDFFBE1, 0x85EF8E, 0x39CB46, 0xBBEDBF, 0x3ECC4A},
    {0xF2F8F7, 0xD3E9E7, 0xB6E2DE, 0xD7EFED, 0xDFFBF9, 0x85EFE6, 0x39CBBE, 0xBBEDE9, 0x3ECCC0},
    {0xF3F2F8, 0xD5D3E9, 0xBAB6E2, 0xD9D7EF, 0xE1DFFB, 0x8E85EF, 0x4639CB, 0xBFBBED, 0x4A3ECC},
    {0xF8F2F7, 0xE9D3E7, 0xE2B6DE, 0xEFD7ED, 0xFBDFF9, 0xEF85E6, 0xCB39BE, 0xEDBBE9, 0xCC3EC0},
    {0xF8F2F2, 0xE9D3D3, 0xE2B6B6, 0xEFD7D7, 0xFBDFDF, 0xEF8585, 0xCB3939, 0xEDBBBB, 0xCC3E3E},
    {0xFAFDFE, 0xE4F3FC, 0xC7E6F9, 0xEDF7FD, 0xE1F7FF, 0x43D0FF, 0x3F70E9, 0x3FE2F6, 0x178BD3},
    {0xE7F3E8, 0xE1DBE1, 0xB3BDB3, 0xE2EEE2, 0xDFFBDF, 0x6CFF6C, 0x1AE41A, 0xD9F4D9, 0xBCB8BC},
}};

// The code point that starts at text[at] (UTF-8); a broken sequence gives its first byte.
char32_t codePointAt(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  int extra = 0;  // continuation bytes after the lead byte
  if (lead >= 0xF0)
    extra = 3;
  else if (lead >= 0xE0)
    extra = 2;
  else if (lead >= 0xC0)
    extra = 1;
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
  Palette palette;
  std::ranges::transform(kSchemes[static_cast<std::size_t>(color - 1)], palette.begin(), ui::hex);
  return palette;
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
  value_ = std::max(std::min(value, max_), min_);
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
  ui::Size size = measure ? measure(plan.text) : ui::Size{};
  textRect_ = centredTextRect(rightEdge_, bottomEdge_, size);
  plan.textRect = textRect_;
  if (style_ != 0 && focused_) plan.focusRect = focusRect_;
  return plan;
}

}  // namespace controls
