// config.ini as any bytes: a file that cannot be read is neither read nor rewritten; a save writes
// its values and keeps every byte it does not own, in the file's own encoding; [night] read whole
// from whatever the file holds stays within its ranges.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "colour/Night.h"
#include "settings/Keys.h"
#include "settings/ProfileText.h"

namespace {

// A file in memory, on a system whose ANSI code page is UTF-8.
struct MemoryFile final : settings::ProfileFile {
  std::string bytes;
  bool readable = true;
  std::string path() const override { return "config.ini"; }
  std::optional<std::string> load(std::size_t) override {
    return readable ? std::optional(bytes) : std::nullopt;
  }
  bool replace(const std::string& b) override {
    if (!readable) return false;
    bytes = b;
    return true;
  }
  std::string fromAnsi(std::string_view text) override { return std::string(text); }
  std::string toAnsi(std::string_view text) override { return std::string(text); }
};

// Nothing is shown: a save that fails is seen in the file.
struct NoShell final : ui::Shell {
  void openUrl(const std::string&) override {}
  void messageBox(const std::string&, const std::string&, ui::MessageIcon) override {}
  std::unique_ptr<ui::FileReader> openProgramFile(const std::string&) override { return nullptr; }
  bool askYesNo(const std::string&, const std::string&) override { return false; }
  bool runElevated(const std::string&) override { return false; }
  void quit() override {}
  void playSound(ui::SystemSound) override {}
  void log(const std::string&) override {}
};

// Every key the program stores, by section.
std::vector<std::pair<std::string, std::string>> storedKeys() {
  namespace k = settings::keys;
  std::vector<std::pair<std::string, std::string>> all;
  for (const char* key : {k::kInterval, k::kLength, k::kOn, k::kLater, k::kLaters, k::kPausedUntil,
                          k::kSound, k::kWarn})
    all.emplace_back(k::kRestSection, key);
  for (const char* key :
       {k::kOn, k::kBrightness, k::kContrast, k::kRedBalance, k::kGreenBalance, k::kBlueBalance})
    all.emplace_back(k::kEyeSection, key);
  for (const auto& [key, fallback] : k::kShortcuts) all.emplace_back(k::kKeysSection, key);
  for (const char* key : {k::kNightOn, k::kNightMode, k::kNightFrom, k::kNightTo, k::kNightDay,
                          k::kNightNight, k::kNightFade, k::kNightLat, k::kNightLon})
    all.emplace_back(k::kNightSection, key);
  return all;
}

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  MemoryFile file;
  file.readable = in.ConsumeIntegralInRange(0, 7) != 0;
  static const auto keys = storedKeys();
  const auto& [section, key] = keys[in.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1)];
  // The characters of stored numbers, times, moments and shortcuts, never at either end.
  std::string value = in.ConsumeRandomLengthString(24);
  std::replace_if(
      value.begin(), value.end(),
      [](char c) {
        return !std::isalnum(c & 0xFF) &&
               std::string_view(":.-+ ").find(c) == std::string_view::npos;
      },
      'x');
  if (!value.empty()) value.front() = value.back() = '1';
  const std::string before = file.bytes = in.ConsumeRemainingBytesAsString();
  const std::string xiuxi = file.read("dsxx", "xiuxi", "none");
  if (!file.readable || (before.starts_with("\xFF\xFE") && before.size() % 2)) {
    check(xiuxi == "none" && !file.write({{section, key, value}}) && file.bytes == before);
    return 0;
  }
  // A new section goes at the end: every byte before it stays, through any encoding.
  std::string names = before;
  std::erase(names, '\0');
  std::transform(names.begin(), names.end(), names.begin(), [](char c) { return c | 0x20; });
  check(file.write({{"fuzz", "k", "1"}}) && file.read("fuzz", "k", "none") == "1");
  check(names.find("fuzz") != std::string::npos || file.bytes.starts_with(before));
  check(file.write({{section, key, value}}) && file.read(section, key, "none") == value);
  if (section != "dsxx" || key != "xiuxi") check(file.read("dsxx", "xiuxi", "none") == xiuxi);
  check(file.read("fuzz", "k", "none") == "1");
  NoShell shell;
  settings::Ini ini(file, shell);
  const colour::NightSettings night = colour::readNightSettings(ini);
  check(night.from >= 0 && night.from < 1440 && night.to >= 0 && night.to < 1440);
  check(night.day >= 1900 && night.day <= 6500 && night.night >= 1900 && night.night <= 6500);
  check(night.fade >= 0 && night.fade <= 120 && night.lat.has_value() == night.lon.has_value());
  check(!night.lat || (std::abs(*night.lat) <= 90 && std::abs(*night.lon) <= 180));
  return 0;
}
