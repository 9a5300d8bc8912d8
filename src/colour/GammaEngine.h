#pragma once
// The display's gamma ramp: capture, the brightness, contrast and colour balance formulas, and
// checked sends. The work ramp is built from baseRamp through every slider at once, so the
// adjustments add up instead of the last one moved replacing the others.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
// The ramp moved towards the identity just as far as the default limit needs, by one factor for
// every entry, so what it does (dimmer, warmer) keeps its character.
Ramp withinDefaultLimit(const Ramp& ramp);
// White (the top of the brightest channel) under 40 % of full scale, or the levels collapsed
// (in every channel more than a quarter of the entries at or under 1 %): the screen could not be
// read.
bool unreadable(const Ramp& ramp);
// Each channel times its factor (red, green, blue).
Ramp scaledRamp(const Ramp& ramp, const std::array<double, 3>& factors);

enum class SendResult {
  Applied,     // the display reads back what was sent
  Limited,     // applied after moving it towards the identity, as far as Windows' limit needs
  Refused,     // the display failed or ignored every attempt; it keeps its previous ramp
  Unreadable,  // never sent: the screen would be too dark to read
};

// What the gate makes of a ramp on its way to a display.
struct Gated {
  SendResult result;  // Applied: as built; Limited: pulled in; Unreadable: not to be sent
  Ramp ramp;          // what may be sent
  std::string why;    // for Unreadable, what is wrong with it
};
// The gate every ramp passes, whoever built it: unless the limit is lifted, the ramp is first
// pulled towards the identity as far as Windows' default limit needs, and only then judged
// readable or not, since the pull makes it brighter and spreads its levels.
Gated gate(const Ramp& ramp, bool limitLifted);

// Every display attached to the desktop, each with its own base ramp: the same adjustment goes to
// each, built from that display's base, and each send is checked on its own.
class GammaEngine {
 public:
  // Attempts per send; some drivers fail the first call.
  static constexpr int kSendAttempts = 3;
  // How far an entry read back may lie from the one sent (displays keep 8 bits per entry).
  static constexpr int kReadBackTolerance = 256;

  explicit GammaEngine(ui::DisplaySet& displays) : displays_(displays) {}

  // Reads every display's ramp into its base. A display whose ramp cannot be read starts from the
  // identity ramp (an all-zero base would black it out at the first adjustment); false then.
  // A ramp past the limit or unreadable starts from the identity too, silently: a program that
  // ended without restoring the display left it.
  bool capture();

  // The first display's ramps (the identity ramp when there is no display).
  const Ramp& baseRamp() const;
  const Ramp& workRamp() const;
  // The default ramp becomes every display's base.
  void setBaseRamp(const Ramp& ramp);

  // Eye care on: each display's work ramp = its base through every slider's amount, then the
  // warmth and the dimming; sends them.
  SendResult adjust(const Amounts& amounts);
  // Eye care off: each display's base alone; warmth and dimming wait for the next adjust.
  SendResult sendBase();
  // Each sends only when eye care is on and the value changed. Dimming: 100 is none, 90 leaves
  // the composed ramp at 90 %.
  SendResult setWarmth(int kelvin) { return change(kelvin_, kelvin); }
  SendResult setDimming(int percent) { return change(dimming_, percent); }
  // After the system reset the displays' ramps or changed the displays: enumerates them again,
  // capturing the base of any new one, and sends the last adjustment to each; when the gate
  // refuses that, each display gets back the last ramp it accepted. Applied when nothing was
  // sent yet.
  SendResult resend();
  // Lists the displays again without sending anything.
  void refresh() { enumerate(true); }

  SendResult result() const { return result_; }  // the last send's
  // Names of the displays that refused the last send.
  const std::vector<std::string>& refused() const { return refused_; }
  std::size_t displayCount() const { return outputs_.size(); }
  // Windows takes any ramp: GdiIcmGammaRange says so and a display has accepted a ramp outside
  // the default limit. Windows reads the value only at sign-in, so the value alone proves nothing.
  bool limitLifted() const { return limitLifted_; }
  // GdiIcmGammaRange asks for the whole range, in force now or from the next sign-in.
  bool limitRequested() const { return requested_; }

 private:
  struct Output {
    std::string name;
    std::unique_ptr<ui::GammaDisplay> gamma;
    Ramp base{};
    Ramp work{};  // the last ramp it accepted
  };
  enum class Sent { ReadBack, Unchecked, Failed };

  void enumerate(bool keepBases);
  SendResult sendAll();
  SendResult change(int& value, int to);
  // One display's send as the gate let it through (Applied, Limited or Refused); while the lift
  // is requested but unproven, the ramp as built is tried first.
  SendResult sendGated(Output& output, const Ramp& built, const Gated& gated);
  Sent send(Output& output, const Ramp& ramp, std::string& why);
  void report(const std::string& line);

  ui::DisplaySet& displays_;
  std::vector<Output> outputs_;
  std::optional<Amounts> last_;  // nothing: eye care off
  bool sent_ = false;
  SendResult result_ = SendResult::Applied;
  int kelvin_ = 6500;
  int dimming_ = 100;
  bool limitLifted_ = false;
  bool requested_ = false;
  bool liftTried_ = false;  // a display refused a ramp past the limit since the last listing
  std::vector<std::string> refused_;
  std::vector<std::string> reported_;  // log lines written since the last send that went through
  bool captureFailed_ = false;
};

}  // namespace colour
