#include "colour/EyeCare.h"

#include <algorithm>
#include <string_view>

#include "colour/DefaultRamp.h"

namespace colour {

namespace {

constexpr int kLevelMin = -50, kLevelMax = 50, kLevelNeutral = 0;
constexpr int kContrastMin = 1, kContrastMax = 100, kContrastNeutral = 100;

constexpr const char* kSection = "eye";
constexpr std::array<const char*, 3> kBalanceKeys = {"rgbr", "rgbg", "rgbb"};

std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

}  // namespace

int storedSliderValue(const std::string& text, int min, int max, int neutral) {
  std::string_view s = trimSpaces(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  const std::size_t dot = s.find('.');
  const std::string_view whole = s.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? "" : s.substr(dot + 1);
  if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction))
    return neutral;

  long magnitude = 0;  // saturates: anything this large is clamped anyway
  for (char ch : whole)
    if (magnitude < 1000000) magnitude = magnitude * 10 + (ch - '0');
  // Rounded on the decimal digits themselves, so halves are exact.
  if (!fraction.empty()) {
    const bool aboveHalf =
        fraction[0] > '5' ||
        (fraction[0] == '5' && fraction.find_first_not_of('0', 1) != std::string_view::npos);
    const bool exactlyHalf =
        fraction[0] == '5' && fraction.find_first_not_of('0', 1) == std::string_view::npos;
    if (aboveHalf || (exactlyHalf && magnitude % 2 != 0)) ++magnitude;
  }
  const long value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<long>(value, min, max));
}

EyeCare::EyeCare(const EyeCareControls& controls, GammaEngine& engine, settings::Ini& ini,
                 ui::Shell& shell)
    : c_(controls), engine_(engine), ini_(ini), shell_(shell) {}

void EyeCare::connect() {
  c_.Slider1.Change = [this] { Slider1_Change(); };
  c_.Slider2.Change = [this] { Slider2_Change(); };
  for (int i = 0; i < 3; ++i) c_.Slider3[i]->Change = [this, i] { Slider3_Change(i); };
  c_.Image7.Click = [this] { Image7_Click(); };
  c_.SafeSwitch1.Click = [this](bool value) { SafeSwitch1_Click(value); };
}

void EyeCare::colorload() {
  const bool captured = engine_.capture();
  // New bounds can move a designed value, which would send a ramp per move; the display already
  // shows baseRamp, which is where the neutral sliders leave it.
  loading_ = true;
  c_.Slider1.setRange(kLevelMin, kLevelMax);
  c_.Slider1.setValue(kLevelNeutral);
  c_.Slider2.setRange(kContrastMin, kContrastMax);
  c_.Slider2.setValue(kContrastNeutral);
  for (ui::Slider* slider : c_.Slider3) {
    slider->setRange(kLevelMin, kLevelMax);
    slider->setValue(kLevelNeutral);
  }
  loading_ = false;
  c_.colo1.setText(std::to_string(c_.Slider1.value()));
  c_.colo3.setText(std::to_string(c_.Slider2.value()));
  c_.colourStatus.setText(captured ? "" : kCaptureFailedStatus);
}

void EyeCare::Slider1_Change() {
  c_.colo1.setText(std::to_string(c_.Slider1.value()));
  if (!loading_) show(engine_.setbright(c_.Slider1.value()));
}

void EyeCare::Slider2_Change() {
  c_.colo3.setText(std::to_string(c_.Slider2.value()));
  if (!loading_) show(engine_.setcontrast(c_.Slider2.value()));
}

void EyeCare::Slider3_Change(int /*index*/) {
  if (loading_) return;
  // Whichever slider moved, all three channels are rebuilt from baseRamp.
  for (int channel = 0; channel < 3; ++channel)
    engine_.setchannel(c_.Slider3[channel]->value(), channel);
  show(engine_.sendWork());
}

void EyeCare::SafeSwitch1_Click(bool value) {
  if (value) {
    c_.edit0.setVisible(true);
    c_.Label2_0.setForeColour(kEyeOnColour);
    Command3_Click();
    // Each assignment that moves a slider applies its family alone, so the display ends with the
    // last family that differs from neutral.
    c_.Slider1.setValue(
        storedSliderValue(ini_.readini(kSection, "liangdu"), kLevelMin, kLevelMax, kLevelNeutral));
    c_.Slider2.setValue(storedSliderValue(ini_.readini(kSection, "duibidu"), kContrastMin,
                                          kContrastMax, kContrastNeutral));
    for (int i = 0; i < 3; ++i)
      c_.Slider3[i]->setValue(storedSliderValue(ini_.readini(kSection, kBalanceKeys[i]), kLevelMin,
                                                kLevelMax, kLevelNeutral));
    eyeOn_ = std::string("1");  // a bare literal here trips a GCC 12 -Wrestrict false positive
  } else {
    c_.edit0.setVisible(false);
    c_.ppset.setVisible(false);
    eyeOn_ = std::string("0");
    Command3_Click();
    c_.Label2_0.setForeColour(kEyeOffColour);
  }
}

void EyeCare::Image7_Click() {
  c_.ppset.setVisible(false);
  ini_.writeini(kSection, "liangdu", std::to_string(c_.Slider1.value()));
  ini_.writeini(kSection, "duibidu", std::to_string(c_.Slider2.value()));
  for (int i = 0; i < 3; ++i)
    ini_.writeini(kSection, kBalanceKeys[i], std::to_string(c_.Slider3[i]->value()));
}

void EyeCare::Command3_Click() {
  c_.Slider1.setValue(kLevelNeutral);
  c_.Slider2.setValue(kContrastNeutral);
  for (ui::Slider* slider : c_.Slider3) slider->setValue(kLevelNeutral);

  if (auto text = shell_.readProgramFile(kDefaultRampFile)) {
    DefaultRampResult parsed = parseDefaultRamp(*text);
    if (parsed.ramp) {
      engine_.setBaseRamp(*parsed.ramp);
    } else {
      // A partly read file must not reach the display: baseRamp stays as it was.
      shell_.messageBox(std::string("The default data file ") + kDefaultRampFile + " is damaged (" +
                            parsed.error +
                            "), can only be restored to the state before the adjustment!",
                        kTipsTitle, ui::MessageIcon::Warning);
    }
  } else {
    shell_.messageBox(kMissingDefaultRampText, kTipsTitle, ui::MessageIcon::Warning);
  }
  show(engine_.sendBase());
}

void EyeCare::displayReset() {
  if (eyeOn_ == "1") show(engine_.resend());
}

void EyeCare::show(SendResult result) {
  c_.colourStatus.setText(result == SendResult::Applied ? "" : kRefusedStatus);
}

}  // namespace colour
