// Stored values as people leave them in config.ini: the colour sliders take any text into their
// range, the rest settings keep a whole number of minutes in range or fall back to the default,
// and a time, a moment, a number of degrees, a shortcut or a list of programs that reads formats
// and reads again the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Shortcut.h"
#include "colour/EyeCare.h"
#include "colour/Night.h"
#include "rest/Holds.h"
#include "rest/Rest.h"
#include "settings/Values.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void slider(const std::string& text, int min, int max, int neutral) {
  int v = colour::storedSliderValue(text, min, max, neutral);
  check(v >= min && v <= max);
}

void minutes(const std::string& text, std::string (*orDefault)(const std::string&), int min,
             int max, int fallback) {
  std::string taken = orDefault(text);
  std::optional<int> whole = rest::wholeMinutes(taken, min, max);
  check(whole.has_value());
  // Either the stored number itself or the default, never a third value.
  check(*whole == fallback || rest::wholeMinutes(text, min, max) == whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  slider(text, -50, 50, 0);
  slider(text, 1, 100, 100);
  minutes(text, rest::intervalOrDefault, rest::kMinInterval, rest::kMaxInterval,
          rest::kDefaultInterval);
  minutes(text, rest::lengthOrDefault, rest::kMinLength, rest::kMaxLength, rest::kDefaultLength);
  if (std::optional<int> t = settings::parseClockTime(text))
    check(*t >= 0 && *t < 1440 && settings::parseClockTime(settings::clockText(*t)) == t);
  if (std::optional<long long> m = rest::parseMoment(text))
    check(rest::parseMoment(rest::formatMoment(*m)) == m);
  if (std::optional<double> degrees = colour::parseDegrees(text, 90))
    check(std::isfinite(*degrees) && std::abs(*degrees) <= 90);
  // [busy] apps: a list that reads is plain file names, and reads again the same when joined.
  if (const rest::AppList apps = rest::parseAppList(text); apps.error.empty()) {
    std::string joined;
    for (const std::string& name : apps.names) {
      check(!name.empty() && name.find_first_of("\\/:;*?\"<>|") == std::string::npos);
      joined += name + ";";
    }
    check(rest::parseAppList(joined).names == apps.names);
  }
  if (std::optional<app::Shortcut> key = app::parseShortcut(text))
    check(app::parseShortcut(app::shortcutText(*key)) == key);
  return 0;
}
