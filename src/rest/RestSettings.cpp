// The rest's settings: what the load step reads, the rest panel's OK and Back, the switch, and
// what is kept across restarts.
// GCC 12 at -O3 warns wrongly of an uninitialised string in ui::Control::setText (see Rest.cpp).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <utility>

#include "rest/Holds.h"
#include "rest/Rest.h"
#include "settings/Keys.h"
#include "settings/Values.h"

namespace rest {

namespace {

constexpr ui::Colour kRestOffColour = 0;
const std::string kOn = "1";
const std::string kOff = "0";
namespace keys = settings::keys;

}  // namespace

void Rest::connect() {
  c_.Timer1.Tick = [this] { Timer1_Timer(); };
  c_.SafeSwitch2.Click = [this](bool value) { SafeSwitch2_Click(value); };
  c_.setok1.Click = [this] { setok_Click(c_.setok1.index()); };
  c_.setno1.Click = [this] { setno_Click(c_.setno1.index()); };
  c_.form2tip.Click = [this] { form2tip_Click(); };
  c_.okdsxxadd.Click = [this] { okdsxxadd_Click(); };
}

void Rest::loadSettings() {
  laterMinutes_ = ini_.whole(keys::kRestSection, keys::kLater, 1, 60, kDefaultLater);
  latersLimit_ = ini_.whole(keys::kRestSection, keys::kLaters, 0, 10, kDefaultLaters);
  // A pause ends within a day; one stored further ahead is damaged (it would keep reminders off
  // for years) and is ignored, as is its line in the log.
  pausedUntil_ = parseMoment(ini_.readini(keys::kRestSection, keys::kPausedUntil));
  if (pausedUntil_ && *pausedUntil_ > latestStoredEnd(clock_.now())) {
    shell_.log("config.ini: [dsxx] paused_until=" + formatMoment(*pausedUntil_) +
               " is more than a day ahead; ignored");
    pausedUntil_.reset();
  }
  c_.sound.setValue(ini_.flag(keys::kRestSection, keys::kSound, true));
  c_.warn.setValue(ini_.flag(keys::kRestSection, keys::kWarn, true));
  breaks_ = {ini_.flag(keys::kBreakSection, keys::kBreakOn, true),
             ini_.whole(keys::kBreakSection, keys::kBreakEvery, kMinBreakEvery, kMaxBreakEvery,
                        kDefaultBreakEvery),
             ini_.whole(keys::kBreakSection, keys::kBreakSeconds, kMinBreakSeconds,
                        kMaxBreakSeconds, kDefaultBreakSeconds)};
  c_.breaks.setValue(breaks_.on);
  c_.breakEvery.setText(std::to_string(breaks_.everyMinutes));
  c_.breakSeconds.setText(std::to_string(breaks_.seconds));
  c_.calls.setValue(ini_.flag(keys::kBusySection, keys::kCalls, true));
  // An absent key reads as its own name; a damaged list holds nothing.
  std::string apps = ini_.readini(keys::kBusySection, keys::kApps);
  if (apps == keys::kApps) apps.clear();
  if (const AppList list = parseAppList(apps); !list.error.empty()) {
    ini_.ignored.add(keys::kBusySection, keys::kApps, apps, "");
    apps.clear();
  }
  c_.apps.setText(apps);
  applyHolds();
  followHours(clock_.now());
  on(Event::Tick);  // the stored pause, or none: the stage follows
  restoreLater();
  showNextTime();
  TipChanged();
}

void Rest::restoreLater() {
  const std::optional<long long> until =
      parseMoment(ini_.readini(keys::kRestSection, keys::kLaterUntil));
  const int used = ini_.whole(keys::kRestSection, keys::kLatersUsed, 0, 10, 0);
  if (!until) return;
  const ui::LocalTime now = clock_.now();
  const long long minute = absoluteMinute(now);
  if (*until > latestStoredEnd(now)) {
    shell_.log("config.ini: [dsxx] later_until=" + formatMoment(*until) +
               " is more than a day ahead; ignored");
  } else if (*until > minute) {
    // Still to come: the prompt returns at its time, and the count goes on from where it was.
    schedule_.resumeLater(now, pausedUntil_ ? std::nullopt : until, used);
    laterUntil_ = until;
    if (!pausedUntil_) c_.Text1.setText(settings::clockText(*until));
    on(Event::Later);
  } else if (minute - *until < length_) {
    // Came back less than a rest's length ago: a restart is no rest, the count goes on.
    schedule_.resumeLater(now, std::nullopt, used);
    laterUntil_ = until;
  }
}

void Rest::storeLater() {
  if (schedule_.laters() == 0) laterUntil_.reset();
  const int used = schedule_.laters();
  if (stored_ == std::pair(laterUntil_, used)) return;  // nothing new to save
  stored_ = {laterUntil_, used};
  ini_.writeini({{keys::kRestSection, keys::kLaterUntil,
                  laterUntil_ ? std::optional(formatMoment(*laterUntil_)) : std::nullopt},
                 {keys::kRestSection, keys::kLatersUsed,
                  used > 0 ? std::optional(std::to_string(used)) : std::nullopt}});
}

void Rest::dsxxadd() {
  startPeriod();
  on(Event::NewPeriod);
}

void Rest::startPeriod() {
  // A setting that is not a whole number in range is never applied: it goes back to the value in
  // force, as the panel closes here in any case.
  interval_ = typedInterval().value_or(interval_);
  length_ = typedLength().value_or(length_);
  c_.Text2.setText(std::to_string(interval_));
  c_.Text3.setText(std::to_string(length_));

  c_.dhhour[0]->setText(c_.Text2.text());
  c_.dhhour[1]->setText(c_.Text3.text());
  c_.ppset.setVisible(false);

  c_.Text1.setText(
      settings::clockText(schedule_.newPeriod(clock_.now(), {clock_.monotonicMs()}, interval_)));
  // A rest, time away or a fresh start: the eyes' clock starts again too.
  shortBreaks_.restart(clock_.monotonicMs());
  showNextTime();
  TipChanged();
}

void Rest::showNextTime() {
  const ui::LocalTime now = clock_.now();
  if (stage_ == Stage::Paused && pausedUntil_) {
    c_.Label4.setText("PAUSED UNTIL");
    c_.Label5.setText(untilText(*pausedUntil_, now));
  } else if (stage_ == Stage::OutsideHours && hoursFrom_) {
    c_.Label4.setText("REMINDERS START");
    c_.Label5.setText(untilText(*hoursFrom_, now));
  } else {
    c_.Label4.setText("NEXT TIME");
    c_.Label5.setText(c_.Text1.text());
  }
}

void Rest::SafeSwitch2_Click(bool value) {
  restOn_ = value ? kOn : kOff;
  c_.Label2_1.setForeColour(value ? ui::kFeatureOnColour : kRestOffColour);
  c_.edit1.setVisible(value);
  // Switched on, a working period starts whatever the stage: the next rest time is now + M.
  if (value) startPeriod();
  on(value ? Event::RemindersOn : Event::RemindersOff);
}

void Rest::setok_Click(int /*index*/) {
  std::string text;
  const auto rule = [&text](const char* setting, const char* unit, int min, int max) {
    if (!text.empty()) text += "\n";
    text += std::string(setting) + " must be a whole number of " + unit + " from " +
            std::to_string(min) + " to " + std::to_string(max) + ".";
  };
  if (!typedInterval())
    rule("The rest interval (\"every ... minutes\")", "minutes", kMinInterval, kMaxInterval);
  if (!typedLength())
    rule("The rest length (\"Rest ... minutes\")", "minutes", kMinLength, kMaxLength);
  const auto every = settings::wholeNumber(c_.breakEvery.text(), kMinBreakEvery, kMaxBreakEvery);
  const auto seconds =
      settings::wholeNumber(c_.breakSeconds.text(), kMinBreakSeconds, kMaxBreakSeconds);
  if (!every) rule("The minutes between short breaks", "minutes", kMinBreakEvery, kMaxBreakEvery);
  if (!seconds)
    rule("The seconds a short break lasts", "seconds", kMinBreakSeconds, kMaxBreakSeconds);
  if (const AppList apps = parseAppList(c_.apps.text()); !apps.error.empty())
    text += (text.empty() ? "" : "\n") + apps.error;
  std::string hoursFault;
  const std::optional<WorkingHours> hours = c_.hours.typed(hoursFault);
  text += (text.empty() || hoursFault.empty() ? "" : "\n") + hoursFault;
  if (!text.empty()) return shell_.messageBox(text, ui::kProgramTitle, ui::MessageIcon::Warning);
  setHours(*hours);
  breaks_ = {c_.breaks.Value(), *every, *seconds};
  applyHolds();
  dsxxadd();
  // One save for the panel: the file is swapped once.
  ini_.writeini(
      withHours({{keys::kRestSection, keys::kInterval, c_.Text2.text()},
                 {keys::kRestSection, keys::kLength, c_.Text3.text()},
                 {keys::kRestSection, keys::kSound, c_.sound.Value() ? kOn : kOff},
                 {keys::kRestSection, keys::kWarn, c_.warn.Value() ? kOn : kOff},
                 {keys::kBreakSection, keys::kBreakOn, breaks_.on ? kOn : kOff},
                 {keys::kBreakSection, keys::kBreakEvery, std::to_string(breaks_.everyMinutes)},
                 {keys::kBreakSection, keys::kBreakSeconds, std::to_string(breaks_.seconds)},
                 {keys::kBusySection, keys::kCalls, c_.calls.Value() ? kOn : kOff},
                 {keys::kBusySection, keys::kApps, c_.apps.text()}},
                hours_));
}

void Rest::applyHolds() {
  clock_.holdFor(c_.calls.Value(), parseAppList(c_.apps.text()).names);
}

void Rest::setno_Click(int /*index*/) {
  c_.ppset.setVisible(false);
  // Valid typed values stay and take effect at the next new working period; invalid ones would
  // only be thrown away then, so they go back to the values in force now.
  if (!typedInterval()) c_.Text2.setText(std::to_string(interval_));
  if (!typedLength()) c_.Text3.setText(std::to_string(length_));
  c_.breakEvery.setText(std::to_string(breaks_.everyMinutes));
  c_.breakSeconds.setText(std::to_string(breaks_.seconds));
  c_.breaks.setValue(breaks_.on);
  c_.hours.show(hours_);
}

void Rest::setHours(const WorkingHours& hours) {
  hours_ = hours;
  c_.hours.show(hours);
  hoursChanged();
}

void Rest::okdsxxadd_Click() {
  dsxxadd();
}

std::optional<int> Rest::typedInterval() const {
  return settings::wholeNumber(c_.Text2.text(), kMinInterval, kMaxInterval);
}

std::optional<int> Rest::typedLength() const {
  return settings::wholeNumber(c_.Text3.text(), kMinLength, kMaxLength);
}

}  // namespace rest
