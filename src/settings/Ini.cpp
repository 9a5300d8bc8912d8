#include "settings/Ini.h"

#include <algorithm>

#include "settings/Keys.h"
#include "settings/Values.h"

namespace settings {

namespace {

// What a person knows each section as.
std::string sectionName(const std::string& section) {
  if (section == keys::kRestSection) return "rest reminders";
  if (section == keys::kEyeSection) return "eye care";
  if (section == keys::kNightSection) return "night light";
  if (section == keys::kKeysSection) return "shortcuts";
  return section;
}

// "rest reminders (mei, xiuxi); eye care (liangdu)": the sections in the order first written.
std::string unsavedText(const std::vector<ui::ProfileEntry>& entries) {
  std::vector<std::pair<std::string, std::string>> sections;
  for (const ui::ProfileEntry& entry : entries) {
    auto known = std::find_if(sections.begin(), sections.end(),
                              [&](const auto& s) { return s.first == entry.section; });
    if (known == sections.end())
      sections.emplace_back(entry.section, entry.key);
    else
      known->second += ", " + entry.key;
  }
  std::string text;
  for (const auto& [section, keyList] : sections)
    text += (text.empty() ? "" : "; ") + sectionName(section) + " (" + keyList + ")";
  return text;
}

}  // namespace

std::string Ini::readini(const std::string& section, const std::string& key) {
  for (const auto& [s, k, value] : pending_)
    if (s == section && k == key) return value.value_or(key);
  std::string value = store_.read(section, key, key);
  // A stored NUL ends the value, as it ends every consumer's reading of it.
  if (auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
  return value;
}

int Ini::number(const char* section, const char* key, int min, int max, int fallback) {
  const std::string text = readini(section, key);
  const int value = storedSliderValue(text, min, max, fallback);
  if (text != key && trimBlanks(text) != std::to_string(value))
    ignored.add(section, key, text, std::to_string(value));
  return value;
}

int Ini::whole(const char* section, const char* key, int min, int max, int fallback) {
  const std::string text = readini(section, key);
  const std::optional<int> value = wholeNumber(text, min, max);
  if (!value && text != key) ignored.add(section, key, text, std::to_string(fallback));
  return value.value_or(fallback);
}

bool Ini::flag(const char* section, const char* key, bool fallback) {
  const std::string text = readini(section, key);
  const bool value = storedFlag(text, fallback);
  if (text != key && trimBlanks(text) != (value ? "1" : "0"))
    ignored.add(section, key, text, value ? "1" : "0");
  return value;
}

bool Ini::writeini(const std::vector<ui::ProfileEntry>& entries) {
  bool news = pending_.empty();
  for (const ui::ProfileEntry& entry : entries) {
    auto same = std::find_if(pending_.begin(), pending_.end(), [&](const ui::ProfileEntry& p) {
      return p.section == entry.section && p.key == entry.key;
    });
    news = news || same == pending_.end() || same->value != entry.value;
    if (same == pending_.end())
      pending_.push_back(entry);
    else
      same->value = entry.value;
  }
  // A slider that stores the same waiting value at every step costs the window nothing.
  return news && savePending();
}

bool Ini::savePending() {
  if (pending_.empty() || store_.write(pending_)) {
    pending_.clear();
    named_ = 0;
    return true;
  }
  SaveWaits();
  if (!std::exchange(failureReported_, true)) tell();
  return false;
}

std::string Ini::pendingText() const {
  return unsavedText(pending_) + " to " + store_.path();
}

void Ini::saveBeforeExit() {
  if (!savePending() && pending_.size() > named_) tell();
}

void Ini::tell() {
  named_ = pending_.size();
  const std::string why = store_.readOnly()
                              ? "The file is read-only: clear its read-only mark to save."
                              : "Check that the folder can be written to and that no other "
                                "program holds the file.";
  std::string text = "Lumora cannot save its settings to\n" + store_.path() + "\n\n" + why +
                     "\n\nNot saved: " + unsavedText(pending_) + ".";
  shell_.messageBox(text, ui::kProgramTitle, ui::MessageIcon::Warning);
  std::replace(text.begin(), text.end(), '\n', ' ');
  shell_.log(text);
}

void saveAll(Ini& ini, const SavedSettings& s) {
  std::vector<ui::ProfileEntry> entries = {{keys::kRestSection, keys::kInterval, s.mei},
                                           {keys::kRestSection, keys::kLength, s.xiuxi},
                                           {keys::kRestSection, keys::kOn, s.restOn}};
  for (const auto& [key, value] : s.colour)
    entries.push_back({keys::kEyeSection, key, std::to_string(value)});
  entries.push_back({keys::kEyeSection, keys::kOn, s.eyeOn});
  entries.insert(entries.end(), s.more.begin(), s.more.end());
  ini.writeini(entries);
}

}  // namespace settings
