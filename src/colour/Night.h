#pragma once
// Night light: the warmth of a colour temperature, the [night] schedule and the sun's times. Pure
// functions of the moment and the settings, as the rest schedule is.
#include <array>
#include <optional>
#include <string>

#include "settings/Ini.h"
#include "ui/System.h"

namespace colour {

inline constexpr int kNeutralKelvin = 6500;
inline constexpr int kWarmestKelvin = 1900;

// Red, green and blue factors of the white point at kelvin (clamped to 1900-6500), 1 for none.
std::array<double, 3> warmthFactors(int kelvin);

struct NightSettings {
  bool on = true;
  bool sun = false;    // mode=sun: from sunset to sunrise at lat/lon
  int from = 21 * 60;  // minutes of the day
  int to = 7 * 60;
  int day = kNeutralKelvin;
  int night = 3400;
  int fade = 30;              // minutes
  std::optional<double> lat;  // both or neither
  std::optional<double> lon;
  friend bool operator==(const NightSettings&, const NightSettings&) = default;
};

// The [night] section, each value defaulted or clamped on its own as the colour values are.
NightSettings readNightSettings(settings::Ini& ini);
void writeNightSettings(settings::Ini& ini, const NightSettings& s);
// "HH:MM" in 24 hours as minutes of the day; nothing for anything else.
std::optional<int> parseClockTime(const std::string& text);
std::string clockText(int minutes);
// A decimal number of degrees clamped to +-limit; nothing for anything else.
std::optional<double> parseDegrees(const std::string& text, double limit);

enum class SunDay { Normal, PolarDay, PolarNight };
struct SunTimes {
  SunDay kind = SunDay::Normal;
  int sunrise = 0, sunset = 0;  // local minutes of the day
};
// Sunrise and sunset (upper limb at the horizon with standard refraction) on the local date of
// `date`, whose utcOffset places them in local time.
SunTimes sunTimes(double lat, double lon, const ui::LocalTime& date);

struct NightState {
  int kelvin = kNeutralKelvin;
  bool fading = false;
  int secondsToChange = 0;   // until the warmth next starts to change (or midnight)
  std::string tip;           // "Warm until 07:00", "Night light from 21:00" or nothing
  bool sunFallback = false;  // sun mode without a valid location: the times were used
};

NightState nightAt(const NightSettings& s, const ui::LocalTime& now);

}  // namespace colour
