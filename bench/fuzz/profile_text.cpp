// config.ini as people leave it: whatever the text holds, a value written is read back, and
// every other key of every section reads as it did before.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ProfileText.h"

namespace {

constexpr std::array<const char*, 4> kSections = {"dsxx", "eye", "EYE", "other"};
constexpr std::array<const char*, 5> kKeys = {"mei", "xiuxi", "pdrun", "MEI", "liangdu"};

void check(bool ok) {
  if (!ok) std::abort();
}

bool sameName(std::string a, std::string b) {
  for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return a == b;
}

// A value that reads back as written: one line, no surrounding blanks or quotes.
std::string plainValue(std::string v) {
  v = v.substr(0, v.find_first_of("\r\n"));
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.pop_back();
  if (!v.empty() &&
      (v.front() == ' ' || v.front() == '\t' || v.front() == '"' || v.front() == '\''))
    v.insert(0, "v");
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::string section = kSections[in.ConsumeIntegralInRange<std::size_t>(0, kSections.size() - 1)];
  std::string key = kKeys[in.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1)];
  bool remove = in.ConsumeIntegralInRange(0, 7) == 0;
  std::string value = plainValue(in.ConsumeRandomLengthString(32));
  std::string other = kSections[in.ConsumeIntegralInRange<std::size_t>(0, kSections.size() - 1)];
  std::string text = in.ConsumeRemainingBytesAsString();

  std::optional<std::string> written = remove ? std::nullopt : std::optional(value);
  std::string after = settings::withProfileValue(text, section, key, written);
  check(settings::profileValue(after, section, key) == written);
  for (const std::string& s : {section, other}) {
    for (const char* k : kKeys) {
      if (sameName(s, section) && sameName(k, key)) continue;
      check(settings::profileValue(after, s, k) == settings::profileValue(text, s, k));
    }
  }
  // Nothing is lost: the old text is all there, in order, less only the lines of that key.
  if (!remove && settings::profileValue(text, section, key) == std::nullopt)
    check(after.size() > text.size());
  return 0;
}
