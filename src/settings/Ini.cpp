#include "settings/Ini.h"

#include "settings/Keys.h"

namespace settings {

namespace {

// Cuts UTF-8 text to at most max bytes without splitting a character.
std::string cutToBytes(std::string text, std::size_t max) {
  if (text.size() <= max) return text;
  std::size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

std::string Ini::readini(const std::string& section, const std::string& key) {
  std::string value = store_.read(section, key, key);
  // A stored NUL ends the value, as it ends every consumer's reading of it.
  if (auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
  return cutToBytes(std::move(value), kMaxValueBytes);
}

void Ini::writeini(const std::vector<ui::ProfileEntry>& entries) {
  if (store_.write(entries) || failureReported_) return;
  failureReported_ = true;
  shell_.messageBox("Lumora cannot save its settings to\n" + store_.path() +
                        "\n\nChanges made in this session may be lost. Check that the folder "
                        "can be written to.",
                    ui::kProgramTitle, ui::MessageIcon::Warning);
}

void saveAll(Ini& ini, const SavedSettings& s) {
  std::vector<ui::ProfileEntry> entries = {{keys::kRestSection, keys::kInterval, s.mei},
                                           {keys::kRestSection, keys::kLength, s.xiuxi},
                                           {keys::kRestSection, keys::kOn, s.restOn}};
  for (const auto& [key, value] : s.colour)
    entries.push_back({keys::kEyeSection, key, std::to_string(value)});
  entries.push_back({keys::kEyeSection, keys::kOn, s.eyeOn});
  ini.writeini(entries);
}

}  // namespace settings
