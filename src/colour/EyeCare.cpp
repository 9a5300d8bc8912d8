#include "colour/EyeCare.h"

#include <algorithm>
#include <string_view>

#include "colour/DefaultRamp.h"
#include "settings/Values.h"

namespace colour {

namespace {

constexpr const char* kSection = settings::keys::kEyeSection;

}  // namespace

EyeCare::EyeCare(const EyeCareControls& controls, GammaEngine& engine, settings::Ini& ini,
                 ui::Shell& shell, ui::Clock& clock)
    : c_(controls),
      engine_(engine),
      ini_(ini),
      shell_(shell),
      night_(controls.night, controls.nightTimer, engine, ini, shell, clock) {}

void EyeCare::connect() {
  for (std::size_t n = 0; n < kSliderCount; ++n) slider(n).Change = [this, n] { Slider_Change(n); };
  night_.connect();
  night_.Sent = [this](SendResult result) { show(result); };
  night_.TipChanged = [this] { TipChanged(); };
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
  // Read now so that a damaged value is named at start, also while eye care is off.
  for (const SliderRow& row : kSliders)
    ini_.number(kSection, row.key, row.min, row.max, row.neutral);
  night_.load();
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
      const SliderRow& row = kSliders[n];
      slider(n).setValue(ini_.number(kSection, row.key, row.min, row.max, row.neutral));
    }
    loading_ = false;
    eyeOn_ = std::string("1");  // a bare literal here trips a GCC 12 -Wrestrict false positive
    night_.setEyeCare(true);
    show(engine_.adjust(amounts()));
  } else {
    c_.edit0.setVisible(false);
    c_.ppset.setVisible(false);
    eyeOn_ = std::string("0");
    Command3_Click();
    c_.Label2_0.setForeColour(kEyeOffColour);
    night_.setEyeCare(false);
  }
}

void EyeCare::Image7_Click(std::vector<ui::ProfileEntry> more) {
  std::optional<std::vector<ui::ProfileEntry>> entries = night_.typedRows();
  if (!entries) return;
  c_.ppset.setVisible(false);
  entries->insert(entries->end(), more.begin(), more.end());
  // The night rows and the sliders are one save: the file is swapped once.
  for (const auto& [key, value] : storedValues())
    entries->push_back({kSection, key, std::to_string(value)});
  ini_.writeini(*entries);
}

std::string EyeCare::tipLines() const {
  // A refusal first: the tip holds few lines, and hidden, nothing else shows it.
  std::vector<std::string> lines;
  const bool on = eyeOn_ == "1";
  if (on && engine_.result() == SendResult::Unreadable)
    lines.push_back("Colours not applied: too dark");
  if (on && engine_.result() == SendResult::Refused)
    lines.push_back("The display refused the colours");
  if (std::string night = night_.tipLine(); !night.empty()) lines.push_back(std::move(night));
  if (on && engine_.result() == SendResult::Limited) lines.push_back("Limited by Windows");
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += "\n";
    text += line;
  }
  return text;
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
    // Judged as a captured base is: against the default limit only where no lift is asked for.
    if (parsed.ramp && (unreadable(*parsed.ramp) ||
                        (!engine_.limitRequested() && !withinDefaultGammaLimit(*parsed.ramp)))) {
      // Sending it could leave a screen nobody can read; the identity is what it should hold.
      parsed.error = "a ramp too dark or too far from the standard one";
      engine_.setBaseRamp(identityRamp());
    }
    if (parsed.error.empty()) {
      engine_.setBaseRamp(*parsed.ramp);
    } else {
      // A partly read file must not reach the display: baseRamp keeps what it held, or the
      // identity set above for a ramp too dark.
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
    night_.tick();
  } else
    engine_.refresh();  // nothing to put back, but a display plugged in is known when it comes on
}

void EyeCare::show(SendResult result) {
  if (std::string tip = tipLines(); tip != shownTip_) {
    shownTip_ = std::move(tip);
    TipChanged();
  }
  std::string status;
  if (result == SendResult::Refused)
    status = refusedStatus();
  else if (result == SendResult::Limited)
    status = kLimitedStatus;
  else if (result == SendResult::Unreadable)
    status = kUnreadableStatus;
  else if (night_.sunFallback())
    status = kSunFallbackStatus;
  c_.colourStatus.setText(status);
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
