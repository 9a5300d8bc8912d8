#include "colour/Night.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "settings/Keys.h"
#include "settings/Values.h"

namespace colour {

namespace {

namespace keys = settings::keys;

struct WhitePoint {
  int kelvin;
  double green;  // red is 1 throughout this range
  double blue;
};

// The white of a blackbody at each temperature as sRGB shows it, relative to 6500 K: the
// chromaticity from the Planckian locus approximation of Kim et al. (2002), taken to linear sRGB
// with the IEC 61966-2-1 matrix, divided by 6500 K's, scaled to a brightest channel of 1 and
// encoded with the sRGB transfer curve (the ramp's output is an encoded level). Blue, out of
// gamut below about 1900 K, is clipped at 0.
constexpr std::array<WhitePoint, 20> kWhitePoints{{
    {6500, 1.0000, 1.0000}, {6250, 0.9900, 0.9741}, {6000, 0.9793, 0.9465}, {5750, 0.9676, 0.9173},
    {5500, 0.9549, 0.8861}, {5250, 0.9411, 0.8529}, {5000, 0.9261, 0.8175}, {4750, 0.9096, 0.7797},
    {4500, 0.8916, 0.7394}, {4250, 0.8718, 0.6963}, {4000, 0.8500, 0.6498}, {3750, 0.8265, 0.6003},
    {3500, 0.8007, 0.5477}, {3250, 0.7721, 0.4915}, {3000, 0.7401, 0.4308}, {2750, 0.7038, 0.3645},
    {2500, 0.6623, 0.2908}, {2250, 0.6141, 0.2048}, {2000, 0.5579, 0.0862}, {1900, 0.5328, 0.0000},
}};
static_assert(kWhitePoints.front().kelvin == kCoolestKelvin &&
              kWhitePoints.back().kelvin == kWarmestKelvin);

constexpr int kDaySeconds = 24 * 3600;

int sinceSeconds(int t, int event) {
  return ((t - event) % kDaySeconds + kDaySeconds) % kDaySeconds;
}

}  // namespace

std::array<double, 3> warmthFactors(int kelvin) {
  kelvin = std::clamp(kelvin, kWarmestKelvin, kCoolestKelvin);
  std::size_t n = 1;
  while (kWhitePoints[n].kelvin > kelvin) ++n;
  const WhitePoint& hot = kWhitePoints[n - 1];
  const WhitePoint& cool = kWhitePoints[n];
  const double t = static_cast<double>(hot.kelvin - kelvin) / (hot.kelvin - cool.kelvin);
  return {1.0, hot.green + t * (cool.green - hot.green), hot.blue + t * (cool.blue - hot.blue)};
}

std::optional<double> degrees(std::string_view text, double limit) {
  const std::optional<double> value = settings::decimalNumber(text);
  if (!value || std::abs(*value) > limit) return std::nullopt;
  return value;
}

NightSettings readNightSettings(settings::Ini& ini) {
  NightSettings s;
  auto read = [&](const char* key) { return ini.readini(keys::kNightSection, key); };
  auto number = [&](const char* key, int min, int max, int fallback) {
    return ini.number(keys::kNightSection, key, min, max, fallback);
  };
  // A key that is not there reads as its own name, and is no fault.
  auto usable = [&](const char* key, const std::string& value, bool fine, const std::string& used) {
    if (!fine && value != key) ini.ignored.add(keys::kNightSection, key, value, used);
    return fine;
  };
  s.on = ini.flag(keys::kNightSection, keys::kNightOn, s.on);
  const std::string from = read(keys::kNightFrom);
  const std::string to = read(keys::kNightTo);
  if (const auto t = settings::parseClockTime(from);
      usable(keys::kNightFrom, from, t.has_value(), settings::clockText(s.from)))
    s.from = *t;
  if (const auto t = settings::parseClockTime(to);
      usable(keys::kNightTo, to, t.has_value(), settings::clockText(s.to)))
    s.to = *t;
  s.day = number(keys::kNightDay, kWarmestKelvin, kCoolestKelvin, s.day);
  s.night = number(keys::kNightNight, kWarmestKelvin, kCoolestKelvin, s.night);
  s.fade = number(keys::kNightFade, 0, 120, s.fade);
  const std::string mode(settings::trimBlanks(read(keys::kNightMode)));
  s.sun =
      usable(keys::kNightMode, mode, mode == "sun" || mode == "times", "times") && mode == "sun";
  // A place out of range is no place: the times rule then, as without one.
  const std::string lat = read(keys::kNightLat);
  const std::string lon = read(keys::kNightLon);
  s.lat = degrees(lat, 90);
  s.lon = degrees(lon, 180);
  usable(keys::kNightLat, lat, s.lat.has_value(), "");
  usable(keys::kNightLon, lon, s.lon.has_value(), "");
  if (!s.lat || !s.lon) {
    s.lat = std::nullopt;
    s.lon = std::nullopt;
  }
  return s;
}

// The sun's declination and the equation of time from the low-precision solar coordinates of
// Meeus' Astronomical Algorithms (as NOAA's solar calculator uses them) at the local date's solar
// noon, with the sun's centre 90.833 degrees from the zenith at sunrise and sunset.
SunTimes sunTimes(double lat, double lon, const ui::LocalTime& date) {
  using std::cos, std::sin;
  constexpr double kRad = std::numbers::pi / 180;
  // Days from 2000-01-01 12:00 UTC to the UTC midnight of the local date.
  const double days = static_cast<double>(settings::daysFromCivil(date.year, date.month, date.day) -
                                          settings::daysFromCivil(2000, 1, 1)) -
                      0.5;
  // Minutes from that midnight to the solar noon that falls on the local date (date line too).
  double noon = 720 - 4 * lon;
  noon -= 1440 * std::floor((noon + date.utcOffset) / 1440);
  const double c = (days + noon / 1440) / 36525;  // Julian centuries
  const double l0 = (280.46646 + c * 36000.76983) * kRad;
  const double m = (357.52911 + c * 35999.05029) * kRad;
  const double e = 0.016708634 - c * 0.000042037;
  const double omega = (125.04 - 1934.136 * c) * kRad;
  const double centre =
      sin(m) * (1.914602 - c * 0.004817) + sin(2 * m) * 0.019993 + sin(3 * m) * 0.000289;
  const double lambda = l0 + (centre - 0.00569 - 0.00478 * sin(omega)) * kRad;
  const double eps = (23.4392911 - c * 0.0130042 + 0.00256 * cos(omega)) * kRad;
  const double decl = std::asin(sin(eps) * sin(lambda));
  const double v = std::pow(std::tan(eps / 2), 2);
  const double eqtime = 4 / kRad *
                        (v * sin(2 * l0) - 2 * e * sin(m) + 4 * e * v * sin(m) * cos(2 * l0) -
                         0.5 * v * v * sin(4 * l0) - 1.25 * e * e * sin(2 * m));
  const double cosHourAngle =
      cos(90.833 * kRad) / (cos(lat * kRad) * cos(decl)) - std::tan(lat * kRad) * std::tan(decl);
  if (std::abs(cosHourAngle) > 1) return {cosHourAngle > 1 ? SunDay::PolarNight : SunDay::PolarDay};
  const double half = 4 * std::acos(cosHourAngle) / kRad;
  const double at = noon - eqtime + date.utcOffset;
  const auto minute = [](double t) {
    return (static_cast<int>(std::lround(t)) % 1440 + 1440) % 1440;
  };
  return {SunDay::Normal, minute(at - half), minute(at + half)};
}

NightState nightAt(const NightSettings& s, const ui::LocalTime& now) {
  NightState state;
  const int t = now.hour * 3600 + now.minute * 60 + now.second;
  state.secondsToChange = kDaySeconds - t;  // the sun's times move daily
  if (!s.on) return state;
  int from = s.from * 60;
  int to = s.to * 60;
  double level = 0;
  state.sunFallback = s.sun && !s.lat;
  if (s.sun && s.lat) {
    const SunTimes sun = sunTimes(*s.lat, *s.lon, now);
    from = sun.sunset * 60;  // both 0 where the sun neither rises nor sets today
    to = sun.sunrise * 60;
    if (sun.kind == SunDay::PolarNight) {
      level = 1;
      state.tip = "Warm all day";
    }
  }
  if (from != to) {
    const int fade = s.fade * 60;
    auto faded = [&](int seconds) { return fade == 0 ? 1.0 : std::min(1.0, 1.0 * seconds / fade); };
    // A window shorter than the fade turns back from where its fade had got to.
    const int nightLength = sinceSeconds(to, from);
    const double dusk = faded(nightLength) * (1 - faded(kDaySeconds - nightLength));
    const double top = dusk + (1 - dusk) * faded(nightLength);
    const int sinceFrom = sinceSeconds(t, from);
    const int sinceTo = sinceSeconds(t, to);
    const bool evening = sinceFrom < sinceTo;
    const int elapsed = evening ? sinceFrom : sinceTo;
    level = evening ? dusk + (1 - dusk) * faded(sinceFrom) : top * (1 - faded(sinceTo));
    state.fading = elapsed < fade;
    state.secondsToChange =
        std::min({state.secondsToChange, kDaySeconds - sinceFrom, kDaySeconds - sinceTo});
    if (state.fading) state.secondsToChange = fade - elapsed;
    state.tip = evening ? "Warm until " + settings::clockText(to / 60)
                        : "Night light from " + settings::clockText(from / 60);
  }
  // Even steps in mired look even to the eye; kelvin would rush through the warm end.
  const double mired = 1e6 / s.day + level * (1e6 / s.night - 1e6 / s.day);
  state.kelvin = static_cast<int>(std::lround(1e6 / mired));
  return state;
}

}  // namespace colour
