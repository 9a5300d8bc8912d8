#include "colour/Night.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "colour/EyeCare.h"
#include "settings/Keys.h"
#include "settings/Values.h"

namespace colour {

namespace {

namespace keys = settings::keys;

struct WhitePoint {
  int kelvin;
  double green, blue;  // red is 1 throughout this range
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

constexpr int kDaySeconds = 24 * 3600;

int sinceSeconds(int t, int event) {
  return ((t - event) % kDaySeconds + kDaySeconds) % kDaySeconds;
}

}  // namespace

std::array<double, 3> warmthFactors(int kelvin) {
  kelvin = std::clamp(kelvin, 1900, 6500);
  std::size_t n = 1;
  while (kWhitePoints[n].kelvin > kelvin) ++n;
  const WhitePoint &hot = kWhitePoints[n - 1], &cool = kWhitePoints[n];
  const double t = static_cast<double>(hot.kelvin - kelvin) / (hot.kelvin - cool.kelvin);
  return {1.0, hot.green + t * (cool.green - hot.green), hot.blue + t * (cool.blue - hot.blue)};
}

std::optional<int> parseClockTime(const std::string& text) {
  const std::string_view s = settings::trimBlanks(text);
  const std::size_t colon = s.find(':');
  // One or two digits, a colon, two digits.
  if (colon < 1 || colon > 2 || s.size() != colon + 3) return std::nullopt;
  int hour = 0, minute = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (i == colon) continue;
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    int& part = i < colon ? hour : minute;
    part = part * 10 + (s[i] - '0');
  }
  if (hour > 23 || minute > 59) return std::nullopt;
  return hour * 60 + minute;
}

std::string clockText(int minutes) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60 % 24, minutes % 60);
  return text;
}

NightSettings readNightSettings(settings::Ini& ini) {
  NightSettings s;
  auto read = [&](const char* key) { return ini.readini(keys::kNightSection, key); };
  auto number = [&](const char* key, int min, int max, int fallback) {
    return storedSliderValue(read(key), min, max, fallback);
  };
  s.on = number(keys::kNightOn, 0, 1, 1) == 1;
  s.from = parseClockTime(read(keys::kNightFrom)).value_or(s.from);
  s.to = parseClockTime(read(keys::kNightTo)).value_or(s.to);
  s.day = number(keys::kNightDay, 1900, 6500, s.day);
  s.night = number(keys::kNightNight, 1900, 6500, s.night);
  s.fade = number(keys::kNightFade, 0, 120, s.fade);
  return s;
}

NightState nightAt(const NightSettings& s, const ui::LocalTime& now) {
  NightState state;
  const int t = now.hour * 3600 + now.minute * 60 + now.second;
  state.secondsToChange = kDaySeconds - t;
  if (!s.on) return state;
  const int from = s.from * 60, to = s.to * 60;
  double level = 0;
  if (from != to) {
    const int fade = s.fade * 60;
    auto faded = [&](int seconds) { return fade == 0 ? 1.0 : std::min(1.0, 1.0 * seconds / fade); };
    // A window shorter than the fade turns back from where its fade had got to.
    const int nightLength = sinceSeconds(to, from);
    const double dusk = faded(nightLength) * (1 - faded(kDaySeconds - nightLength));
    const double top = dusk + (1 - dusk) * faded(nightLength);
    const int sinceFrom = sinceSeconds(t, from), sinceTo = sinceSeconds(t, to);
    const bool evening = sinceFrom < sinceTo;
    const int elapsed = evening ? sinceFrom : sinceTo;
    level = evening ? dusk + (1 - dusk) * faded(sinceFrom) : top * (1 - faded(sinceTo));
    state.fading = elapsed < fade;
    state.secondsToChange =
        std::min({state.secondsToChange, kDaySeconds - sinceFrom, kDaySeconds - sinceTo});
    if (state.fading) state.secondsToChange = fade - elapsed;
    state.tip =
        evening ? "Warm until " + clockText(to / 60) : "Night light from " + clockText(from / 60);
  }
  // Even steps in mired look even to the eye; kelvin would rush through the warm end.
  const double mired = 1e6 / s.day + level * (1e6 / s.night - 1e6 / s.day);
  state.kelvin = static_cast<int>(std::lround(1e6 / mired));
  return state;
}

}  // namespace colour
