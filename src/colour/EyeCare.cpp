#include "colour/EyeCare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "colour/DefaultRamp.h"
#include "settings/Values.h"

namespace colour {

namespace {

constexpr const char* kSection = settings::keys::kEyeSection;
// During a fade the warmth is sent again at most this often.
constexpr int kFadeStepMs = 5000;

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

}  // namespace

int storedSliderValue(const std::string& text, int min, int max, int neutral) {
  std::string_view s = settings::trimBlanks(text);
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
                 ui::Shell& shell, ui::Clock& clock)
    : c_(controls), engine_(engine), ini_(ini), shell_(shell), clock_(clock) {}

void EyeCare::connect() {
  for (std::size_t n = 0; n < kSliderCount; ++n) slider(n).Change = [this, n] { Slider_Change(n); };
  c_.Image7.Click = [this] { Image7_Click(); };
  c_.SafeSwitch1.Click = [this](bool value) { SafeSwitch1_Click(value); };
  c_.nightTimer.Tick = [this] { nightTick(); };
  c_.night.warmth.Change = [this] {
    c_.night.warmthCaption.setText(std::to_string(c_.night.warmth.value() * 100) + " K");
  };
  c_.night.allowStronger.Click = [this] { allowStronger_Click(); };
}

void EyeCare::colorload() {
  const bool captured = engine_.capture();
  // New bounds can move a designed value, which would send a ramp per move; the display already
  // shows baseRamp, which is where the neutral sliders leave it.
  loading_ = true;
  for (std::size_t n = 0; n < kSliderCount; ++n) {
    slider(n).setRange(kSliders[n].min, kSliders[n].max);
    slider(n).setValue(kSliders[n].neutral);
  }
  loading_ = false;
  for (const SliderControl& s : c_.sliders)
    if (s.caption) s.caption->setText(std::to_string(s.slider->value()));
  c_.colourStatus.setText(captured ? "" : kCaptureFailedStatus);
  night_ = readNightSettings(ini_);
  c_.night.warmth.setRange(19, 65);
  c_.night.allowStronger.setVisible(!engine_.limitLifted());
}

Amounts EyeCare::amounts() const {
  Amounts a{};
  for (std::size_t n = 0; n < kSliderCount; ++n) a[n] = slider(n).value();
  return a;
}

void EyeCare::Slider_Change(std::size_t n) {
  if (ui::Label* caption = c_.sliders[n].caption)
    caption->setText(std::to_string(slider(n).value()));
  // Whichever slider moved, the work ramp is built from baseRamp through all of them.
  if (!loading_) show(engine_.adjust(amounts()));
}

void EyeCare::SafeSwitch1_Click(bool value) {
  if (value) {
    c_.edit0.setVisible(true);
    c_.Label2_0.setForeColour(ui::kFeatureOnColour);
    // The default ramp, the stored values and the warmth for now make one ramp, sent once: one
    // slider at a time would leave the screen half adjusted if a step were refused.
    loading_ = true;
    loadDefaultRamp();
    for (std::size_t n = 0; n < kSliderCount; ++n) {
      const SliderSpec& row = kSliders[n];
      slider(n).setValue(
          storedSliderValue(ini_.readini(kSection, row.key), row.min, row.max, row.neutral));
    }
    loading_ = false;
    eyeOn_ = std::string("1");  // a bare literal here trips a GCC 12 -Wrestrict false positive
    nightTick();
    show(engine_.adjust(amounts()));
  } else {
    c_.edit0.setVisible(false);
    c_.ppset.setVisible(false);
    eyeOn_ = std::string("0");
    Command3_Click();
    c_.Label2_0.setForeColour(kEyeOffColour);
    nightTick();
  }
}

void EyeCare::Image7_Click() {
  if (!storeNightRows()) return;
  c_.ppset.setVisible(false);
  for (const auto& [key, value] : storedValues())
    ini_.writeini(kSection, key, std::to_string(value));
}

void EyeCare::fillNightRows() {
  const auto degrees = [](const std::optional<double>& v) {
    char text[16] = "";
    if (v) std::snprintf(text, sizeof text, "%.7g", *v);
    return std::string(text);
  };
  c_.night.on.setValue(night_.on);
  c_.night.sun.setValue(night_.sun);
  c_.night.from.setText(clockText(night_.from));
  c_.night.to.setText(clockText(night_.to));
  c_.night.lat.setText(degrees(night_.lat));
  c_.night.lon.setText(degrees(night_.lon));
  c_.night.warmth.setValue((night_.night + 50) / 100);
  c_.night.warmth.Change();  // the caption, also when the value was already there
}

// The night rows as typed, stored in one step; a field that is not right is named and nothing
// is stored.
bool EyeCare::storeNightRows() {
  const std::optional<int> from = parseClockTime(c_.night.from.text());
  const std::optional<int> to = parseClockTime(c_.night.to.text());
  const std::string latText(settings::trimBlanks(c_.night.lat.text()));
  const std::string lonText(settings::trimBlanks(c_.night.lon.text()));
  const std::optional<double> lat = parseDegrees(latText), lon = parseDegrees(lonText);
  const bool noPlace = latText.empty() && lonText.empty() && !c_.night.sun.Value();
  const char* fault = !from     ? "\"From\" needs a time such as 21:00."
                      : !to     ? "\"To\" needs a time such as 07:00."
                      : noPlace ? nullptr
                      : !lat || !lon || std::abs(*lat) > 90 || std::abs(*lon) > 180
                          ? "Sunset and sunrise need a latitude (-90 to 90) and a longitude "
                            "(-180 to 180) in degrees, such as 51.5 and -0.12."
                          : nullptr;
  if (fault) {
    shell_.messageBox(fault, kTipsTitle, ui::MessageIcon::Warning);
    return false;
  }
  const NightSettings typed{
      c_.night.on.Value(),           c_.night.sun.Value(), *from, *to, night_.day,
      c_.night.warmth.value() * 100, night_.fade,          lat,   lon};
  if (typed == night_) return true;
  night_ = typed;
  namespace keys = settings::keys;
  const auto entry = [](const char* key, std::optional<std::string> v) {
    return ui::ProfileEntry{keys::kNightSection, key, std::move(v)};
  };
  ini_.writeini({entry(keys::kNightOn, night_.on ? "1" : "0"),
                 entry(keys::kNightMode, night_.sun ? "sun" : "times"),
                 entry(keys::kNightFrom, clockText(*from)), entry(keys::kNightTo, clockText(*to)),
                 entry(keys::kNightNight, std::to_string(night_.night)),
                 entry(keys::kNightLat, lat ? std::optional(latText) : std::nullopt),
                 entry(keys::kNightLon, lon ? std::optional(lonText) : std::nullopt)});
  nightTick();
  return true;
}

void EyeCare::nightTick() {
  nightState_ = nightAt(night_, clock_.now());
  const bool on = eyeOn_ == "1";
  // Hidden, the program wakes when the warmth next changes; during a fade every few seconds.
  c_.nightTimer.setInterval(nightState_.fading ? kFadeStepMs
                                               : std::max(1, nightState_.secondsToChange) * 1000);
  c_.nightTimer.setEnabled(on && night_.on);
  if (on) show(engine_.setWarmth(nightState_.kelvin));
  TipChanged();
}

void EyeCare::toggleNightLight() {
  night_.on = !night_.on;
  c_.night.on.setValue(night_.on);
  ini_.writeini(settings::keys::kNightSection, settings::keys::kNightOn, night_.on ? "1" : "0");
  nightTick();
}

std::string EyeCare::tipLines() const {
  if (eyeOn_ != "1") return "";
  std::string lines = night_.on ? nightState_.tip : "";
  if (engine_.result() == SendResult::Limited)
    lines += std::string(lines.empty() ? "" : "\n") + "Limited by Windows";
  return lines;
}

void EyeCare::allowStronger_Click() {
  if (!shell_.askYesNo(kAllowStrongerQuestion, ui::kProgramTitle)) return;
  const bool started = shell_.runElevated(kAllowStrongerSwitch);
  shell_.messageBox(started ? "Stronger settings take effect after you sign in to Windows again."
                            : "Windows did not allow the change; the limit stays.",
                    ui::kProgramTitle,
                    started ? ui::MessageIcon::Information : ui::MessageIcon::Warning);
}

std::vector<std::pair<std::string, int>> EyeCare::storedValues() const {
  std::vector<std::pair<std::string, int>> values;
  for (std::size_t n = 0; n < kSliderCount; ++n)
    values.emplace_back(kSliders[n].key, slider(n).value());
  return values;
}

void EyeCare::Command3_Click() {
  loading_ = true;
  for (std::size_t n = 0; n < kSliderCount; ++n) slider(n).setValue(kSliders[n].neutral);
  loading_ = false;
  loadDefaultRamp();
  show(engine_.sendBase());
}

void EyeCare::loadDefaultRamp() {
  if (auto file = shell_.openProgramFile(kDefaultRampFile)) {
    DefaultRampResult parsed = readDefaultRamp(*file);
    if (parsed.ramp && (unreadable(*parsed.ramp) || !withinDefaultGammaLimit(*parsed.ramp))) {
      // Sending it could leave a screen nobody can read; the identity is what it should hold.
      parsed.error = "a ramp too dark or too far from the standard one";
      engine_.setBaseRamp(identityRamp());
    }
    if (parsed.error.empty()) {
      engine_.setBaseRamp(*parsed.ramp);
    } else {
      // A partly read file must not reach the display: baseRamp stays as it was.
      shell_.messageBox(std::string("The default data file ") + kDefaultRampFile + " is damaged (" +
                            parsed.error +
                            "), can only be restored to the state before the adjustment!",
                        ui::kProgramTitle, ui::MessageIcon::Warning);
    }
  } else {
    shell_.messageBox(kMissingDefaultRampText, kTipsTitle, ui::MessageIcon::Warning);
  }
}

void EyeCare::displayReset() {
  if (eyeOn_ == "1") {
    show(engine_.resend());
    nightTick();
  } else
    engine_.refresh();  // nothing to put back, but a display plugged in is known when it comes on
}

void EyeCare::show(SendResult result) {
  c_.colourStatus.setText(result == SendResult::Refused      ? refusedStatus()
                          : result == SendResult::Limited    ? kLimitedStatus
                          : result == SendResult::Unreadable ? kUnreadableStatus
                          : nightState_.sunFallback          ? kSunFallbackStatus
                                                             : "");
}

std::string EyeCare::refusedStatus() const {
  const std::vector<std::string>& names = engine_.refused();
  // With one display, which display is plain; with several, the line says which refused.
  if (engine_.displayCount() < 2 || names.empty()) return kRefusedStatus;
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text + (names.size() == 1
                     ? " did not accept this colour setting and keeps its previous colours."
                     : " did not accept this colour setting and keep their previous colours.");
}

}  // namespace colour
