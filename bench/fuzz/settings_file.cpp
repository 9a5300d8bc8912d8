// config.ini as any bytes: a file that cannot be read is neither read nor rewritten; a save writes
// its values and keeps every byte it does not own, in the file's own encoding.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

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
  bool replace(const std::string& b) override { return readable && (bytes = b, true); }
  std::string fromAnsi(std::string_view text) override { return std::string(text); }
  std::string toAnsi(std::string_view text) override { return std::string(text); }
};

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  MemoryFile file;
  file.readable = in.ConsumeIntegralInRange(0, 7) != 0;
  const char* key = in.ConsumeBool() ? "mei" : "liangdu";
  std::string value = in.ConsumeRandomLengthString(16);
  std::replace_if(
      value.begin(), value.end(), [](char c) { return !std::isalnum(c & 0xFF); }, 'x');
  const std::string before = file.bytes = in.ConsumeRemainingBytesAsString();
  const std::string xiuxi = file.read("dsxx", "xiuxi", "none");
  if (!file.readable || (before.starts_with("\xFF\xFE") && before.size() % 2)) {
    check(xiuxi == "none" && !file.write({{"dsxx", key, value}}) && file.bytes == before);
    return 0;
  }
  // A new section goes at the end: every byte before it stays, through any encoding.
  std::string names = before;
  std::erase(names, '\0');
  std::transform(names.begin(), names.end(), names.begin(), [](char c) { return c | 0x20; });
  check(file.write({{"fuzz", "k", "1"}}) && file.read("fuzz", "k", "none") == "1");
  check(names.find("fuzz") != std::string::npos || file.bytes.starts_with(before));
  check(file.write({{"dsxx", key, value}}) && file.read("dsxx", key, "none") == value);
  check(file.read("dsxx", "xiuxi", "none") == xiuxi && file.read("fuzz", "k", "none") == "1");
  return 0;
}
