#pragma once
// Night light: the warmth of a colour temperature, the [night] schedule and the sun's times. Pure
// functions of the moment and the settings, as the rest schedule is.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "settings/Ini.h"
#include "ui/System.h"

namespace colour {

// The range of the warmth, in kelvin: the white-point table's ends. The coolest changes nothing.
inline constexpr int kWarmestKelvin = 1900;
inline constexpr int kCoolestKelvin = 6500;

// Red, green and blue factors of the white at kelvin (clamped into the range).
std::array<double, 3> warmthFactors(int kelvin);

struct NightSettings {
  bool on = true;
  bool sun = false;    // from sunset to sunrise at lat/lon
  int from = 21 * 60;  // minutes of the day
  int to = 7 * 60;
  int day = kCoolestKelvin;
  int night = 3400;
  int fade = 30;
  std::optional<double> lat;  // both or neither
  std::optional<double> lon;
  friend bool operator==(const NightSettings&, const NightSettings&) = default;
};

// The [night] section, each value defaulted or clamped on its own as the colour values are; what
// cannot be used as it stands is named in the store's ignored values.
NightSettings readNightSettings(settings::Ini& ini);
// A decimal number of degrees ("51.5", "-0.12") within [-limit, limit].
std::optional<double> degrees(std::string_view text, double limit);

enum class SunDay { Normal, PolarDay, PolarNight };
struct SunTimes {
  SunDay kind = SunDay::Normal;
  int sunrise = 0;  // local minutes of the day
  int sunset = 0;
};
// On the local date of `date`, whose utcOffset places the times in local time.
SunTimes sunTimes(double lat, double lon, const ui::LocalTime& date);

struct NightState {
  int kelvin = kCoolestKelvin;
  bool fading = false;
  int secondsToChange = 0;   // until the warmth next starts to change, or the fade ends
  std::string tip;           // "Warm until 07:00", "Night light from 21:00" or nothing
  bool sunFallback = false;  // mode=sun without a valid location: the times were used
};
NightState nightAt(const NightSettings& s, const ui::LocalTime& now);

}  // namespace colour
