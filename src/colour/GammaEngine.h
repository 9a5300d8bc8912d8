#pragma once
// The display's gamma ramp: capture, the brightness, contrast and colour balance formulas, and
// checked sends. The work ramp is built from baseRamp through every slider at once, so the
// adjustments add up instead of the last one moved replacing the others.
#include <cstdint>
#include <optional>
#include <string>

#include "colour/Sliders.h"
#include "ui/System.h"

namespace colour {

using ui::Ramp;

constexpr int kEntries = 256;
constexpr int kChannels = 3;

// Entry i of channel c (0 red, 1 green, 2 blue).
constexpr std::size_t at(int channel, int entry) {
  return static_cast<std::size_t>(channel * kEntries + entry);
}

// Level amount a (-100 to 100): negative scales v towards 0, positive scales its distance from
// 65535; rounded to nearest, halves to even, in exact integer arithmetic.
std::uint16_t levelAdjust(int a, std::uint16_t v);

// Contrast k (1 to 100 from the slider): v read as signed 16-bit is scaled by k/100 (rounded,
// halves to even). A negative entry never rounds up to 0, so the top of the range stays up.
std::uint16_t contrastAdjust(int k, std::uint16_t v);

// baseRamp taken entry by entry through each slider's formula in the table's order: brightness,
// then contrast, then each channel's balance. A neutral amount changes no entry.
Ramp adjustedRamp(const Ramp& base, const Amounts& amounts);

// 257 * i in every channel.
Ramp identityRamp();

// The limit Windows applies to ramps by default: each entry's high byte within 128 of its index.
bool withinDefaultGammaLimit(const Ramp& ramp);

enum class SendResult {
  Applied,  // the display reads back what was sent
  Refused,  // the display failed or ignored every attempt; it keeps its previous ramp
};

class GammaEngine {
 public:
  // Attempts per send; some drivers fail the first call.
  static constexpr int kSendAttempts = 3;
  // How far an entry read back may lie from the one sent (displays keep 8 bits per entry).
  static constexpr int kReadBackTolerance = 256;

  explicit GammaEngine(ui::GammaDisplay& display) : display_(display) {}

  // Reads the display's ramp into baseRamp. When that fails, baseRamp becomes the identity ramp
  // (an all-zero base would black out the screen at the first adjustment) and false is returned.
  bool capture();

  const Ramp& baseRamp() const { return baseRamp_; }
  void setBaseRamp(const Ramp& ramp) { baseRamp_ = ramp; }
  const Ramp& workRamp() const { return workRamp_; }

  // workRamp = baseRamp through every slider's amount; sends it.
  SendResult adjust(const Amounts& amounts);
  SendResult sendBase() { return send(baseRamp_); }
  // Sends the last ramp sent again (after the system reset the display's ramp). Applied when
  // nothing was sent yet.
  SendResult resend();
  const std::optional<Ramp>& lastSent() const { return lastSent_; }

 private:
  SendResult send(const Ramp& ramp);

  ui::GammaDisplay& display_;
  Ramp baseRamp_{};
  Ramp workRamp_{};
  std::optional<Ramp> lastSent_;
};

}  // namespace colour
