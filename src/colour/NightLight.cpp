#include "colour/NightLight.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "settings/Keys.h"
#include "settings/Values.h"

namespace colour {

namespace {

// During a fade the warmth is sent again at most this often.
constexpr int kFadeStepMs = 5000;

}  // namespace

NightLight::NightLight(NightControls& controls, ui::Timer& timer, GammaEngine& engine,
                       settings::Ini& ini, ui::Shell& shell, ui::Clock& clock)
    : c_(controls), timer_(timer), engine_(engine), ini_(ini), shell_(shell), clock_(clock) {}

void NightLight::connect() {
  timer_.Tick = [this] { tick(); };
  c_.warmth.Change = [this] {
    std::string caption = std::to_string(c_.warmth.value() * 100) + " K";
    if (c_.warmth.value() * 100 < heldBelow_) caption += ", held back by Windows";
    c_.warmthCaption.setText(caption);
    // Moved by the user, the warmth shows on the screen at once, as the other sliders do.
    if (filling_ || !eyeOn_) return;
    preview_ = c_.warmth.value() * 100;
    Sent(engine_.setWarmth(*preview_));
  };
  c_.allowStronger.Click = [this] { allowStronger_Click(); };
}

void NightLight::load() {
  night_ = readNightSettings(ini_);
  // The slider offers only what can be shown: a warmth whose ramp the gate refuses does nothing.
  // Judged as if an asked-for lift were in force: once Windows applies it, nothing is pulled in.
  const auto judged = [this](int kelvin) {
    return gate(scaledRamp(identityRamp(), warmthFactors(kelvin)), engine_.limitRequested()).result;
  };
  int warmest = kWarmestKelvin;
  while (warmest < kCoolestKelvin && judged(warmest) == SendResult::Unreadable) warmest += 100;
  c_.warmth.setRange((warmest + 99) / 100, kCoolestKelvin / 100);
  // Warmer than this, Windows' default limit holds the warmth back: the caption says so.
  heldBelow_ = warmest;
  while (heldBelow_ < kCoolestKelvin && judged(heldBelow_) == SendResult::Limited)
    heldBelow_ += 100;
  c_.allowStronger.setVisible(!engine_.limitRequested());
}

void NightLight::fillRows() {
  const auto degrees = [](const std::optional<double>& v) {
    char text[16] = "";
    if (v) std::snprintf(text, sizeof text, "%.7g", *v);
    return std::string(text);
  };
  c_.on.setValue(night_.on);
  c_.sun.setValue(night_.sun);
  c_.from.setText(settings::clockText(night_.from));
  c_.to.setText(settings::clockText(night_.to));
  c_.lat.setText(degrees(night_.lat));
  c_.lon.setText(degrees(night_.lon));
  filling_ = true;
  c_.warmth.setValue((night_.night + 50) / 100);
  c_.warmth.Change();  // the caption, also when the value was already there
  filling_ = false;
}

std::optional<std::vector<ui::ProfileEntry>> NightLight::typedRows() {
  const std::optional<int> from = settings::parseClockTime(c_.from.text());
  const std::optional<int> to = settings::parseClockTime(c_.to.text());
  const std::string latText(settings::trimBlanks(c_.lat.text()));
  const std::string lonText(settings::trimBlanks(c_.lon.text()));
  const std::optional<double> lat = degrees(latText, 90);
  const std::optional<double> lon = degrees(lonText, 180);
  const bool noPlace = latText.empty() && lonText.empty() && !c_.sun.Value();
  // With the times ruling, equal times would be a night light that never comes on.
  const bool noNight = from && to && *from == *to && !c_.sun.Value();
  const char* fault = nullptr;
  if (!from)
    fault = "\"From\" needs a time such as 21:00.";
  else if (!to)
    fault = "\"To\" needs a time such as 07:00.";
  else if (noNight)
    fault = "\"From\" and \"To\" need different times, such as 21:00 and 07:00.";
  else if (!noPlace && (!lat || !lon))
    fault =
        "Sunset and sunrise need a latitude (-90 to 90) and a longitude (-180 to 180) in degrees, "
        "such as 51.5 and -0.12.";
  if (fault) {
    shell_.messageBox(fault, ui::kProgramTitle, ui::MessageIcon::Warning);
    return std::nullopt;
  }
  const NightSettings typed{c_.on.Value(),           c_.sun.Value(), *from, *to, night_.day,
                            c_.warmth.value() * 100, night_.fade,    lat,   lon};
  preview_.reset();
  std::vector<ui::ProfileEntry> entries;
  if (typed != night_) {
    night_ = typed;
    namespace keys = settings::keys;
    const auto entry = [](const char* key, std::optional<std::string> v) {
      return ui::ProfileEntry{keys::kNightSection, key, std::move(v)};
    };
    entries = {entry(keys::kNightOn, night_.on ? "1" : "0"),
               entry(keys::kNightMode, night_.sun ? "sun" : "times"),
               entry(keys::kNightFrom, settings::clockText(*from)),
               entry(keys::kNightTo, settings::clockText(*to)),
               entry(keys::kNightNight, std::to_string(night_.night)),
               entry(keys::kNightLat, lat ? std::optional(latText) : std::nullopt),
               entry(keys::kNightLon, lon ? std::optional(lonText) : std::nullopt)};
  }
  tick();  // the new warmth, or the schedule's again after the slider's
  return entries;
}

void NightLight::endPreview() {
  if (!preview_) return;
  preview_.reset();
  tick();
}

void NightLight::setEyeCare(bool on) {
  eyeOn_ = on;
  preview_.reset();
  toggledWhileOff_ = false;
  tick();
}

void NightLight::tick() {
  const ui::LocalTime now = clock_.now();
  state_ = nightAt(night_, now);
  // Hidden, the program wakes when the warmth next changes; during a fade every few seconds. A
  // wait is counted in real seconds, and Windows does not promise a message when daylight saving
  // starts or ends: a wait across the change would end an hour off on the new clock. Changes fall
  // on a whole or half hour of the local clock, so no wait runs past the next one.
  const int toHalfHour = 1800 - (now.minute * 60 + now.second) % 1800;
  const int wait = std::min(state_.secondsToChange, toHalfHour);
  timer_.setInterval(state_.fading ? kFadeStepMs : std::max(1, wait) * 1000);
  timer_.setEnabled(eyeOn_ && night_.on);
  if (eyeOn_) Sent(engine_.setWarmth(preview_.value_or(state_.kelvin)));
  TipChanged();
}

void NightLight::toggle() {
  night_.on = !night_.on;
  toggledWhileOff_ = !eyeOn_;
  c_.on.setValue(night_.on);
  ini_.writeini(settings::keys::kNightSection, settings::keys::kNightOn, night_.on ? "1" : "0");
  tick();
}

std::string NightLight::tipLine() const {
  if (eyeOn_) return night_.on ? state_.tip : "";
  // With eye care off, night light is named only once its switch was turned.
  if (!toggledWhileOff_) return "";
  if (night_.on) return "Night light on, once eye care is on";
  return "Night light off";
}

void NightLight::allowStronger_Click() {
  if (!shell_.askYesNo(kAllowStrongerQuestion, ui::kProgramTitle)) return;
  const bool started = shell_.runElevated(kAllowStrongerSwitch);
  shell_.messageBox(started ? "Stronger settings take effect after you sign in to Windows again."
                            : "Windows did not allow the change; the limit stays.",
                    ui::kProgramTitle,
                    started ? ui::MessageIcon::Information : ui::MessageIcon::Warning);
}

}  // namespace colour
