// Stored values as people leave them in config.ini: the colour sliders take any text into their
// range and a whole number as it is; a whole number, a time, a moment, a number of degrees or a
// list of programs that reads formats and reads again the same; a shortcut that reads can be
// registered and reads the same in any case.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Shortcut.h"
#include "colour/Night.h"
#include "rest/Holds.h"
#include "rest/Rest.h"
#include "settings/Values.h"
#include "ui/Text.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

void slider(const std::string& text, int min, int max, int neutral) {
  int v = settings::storedSliderValue(text, min, max, neutral);
  check(v >= min && v <= max);
  // A whole number in range is taken as it is by both readers.
  if (std::optional<int> whole = settings::wholeNumber(text, min, max)) check(v == *whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  slider(text, -50, 50, 0);
  slider(text, 1, 100, 100);
  if (std::optional<int> m = settings::wholeNumber(text, rest::kMinInterval, rest::kMaxInterval))
    check(settings::wholeNumber(std::to_string(*m), rest::kMinInterval, rest::kMaxInterval) == m);
  if (std::optional<int> t = settings::parseClockTime(text))
    check(*t >= 0 && *t < 1440 && settings::parseClockTime(settings::clockText(*t)) == t);
  if (std::optional<long long> m = rest::parseMoment(text))
    check(rest::parseMoment(rest::formatMoment(*m)) == m);
  if (std::optional<double> degrees = colour::degrees(text, 90))
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
  // A shortcut that reads is one the system can register, and reads the same in any case.
  if (std::optional<app::Shortcut> key = app::parseShortcut(text)) {
    int most = 24;  // F1-F24
    if (key->key == app::KeyKind::Letter) most = 25;
    if (key->key == app::KeyKind::Digit) most = 9;
    check(key->modifiers <= 15 && key->number >= 0 && key->number <= most);
    check(key->key == app::KeyKind::None || key->modifiers || key->key == app::KeyKind::Function);
    check(app::parseShortcut(ui::asciiLower(text)) == key);
  }
  return 0;
}
