#include "rest/RestSchedule.h"

namespace rest {

namespace {

constexpr int kMinutesPerDay = 1440;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Days since 1970-01-01 of a civil date; linear in the day, so a day past the month's end counts
// on into the next month.
long long daysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yoe = year - era * 400;
  const long long mp = (month + 9) % 12;
  const long long doy = (153 * mp + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Minutes of local time since 1970, seconds dropped.
long long absoluteMinute(const ui::LocalTime& t) {
  return daysFromCivil(t.year, t.month, t.day) * kMinutesPerDay + t.hour * 60LL + t.minute;
}

int minuteOfDay(long long absolute) {
  return static_cast<int>((absolute % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay);
}

}  // namespace

std::optional<int> wholeMinutes(std::string_view text, int min, int max) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    // Past every bound in either sign: stop before a long run of digits overflows.
    if (value > max && value > -static_cast<long long>(min)) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < min || value > max) return std::nullopt;
  return static_cast<int>(value);
}

std::string intervalOrDefault(const std::string& stored) {
  return std::to_string(
      wholeMinutes(stored, kMinInterval, kMaxInterval).value_or(kDefaultInterval));
}

std::string lengthOrDefault(const std::string& stored) {
  return std::to_string(wholeMinutes(stored, kMinLength, kMaxLength).value_or(kDefaultLength));
}

std::string formatTimeOfDay(int minute) {
  minute = minuteOfDay(minute);
  std::string text = "00:00";
  text[0] = static_cast<char>('0' + minute / 600);
  text[1] = static_cast<char>('0' + minute / 60 % 10);
  text[3] = static_cast<char>('0' + minute % 60 / 10);
  text[4] = static_cast<char>('0' + minute % 10);
  return text;
}

std::optional<int> parseTimeOfDay(std::string_view text) {
  auto colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  auto hour = wholeMinutes(text.substr(0, colon), 0, 23);
  auto minute = wholeMinutes(text.substr(colon + 1), 0, 59);
  if (!hour || !minute) return std::nullopt;
  return *hour * 60 + *minute;
}

std::string Countdown::caption() const {
  return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(seconds);
}

int RestSchedule::newPeriod(const ui::LocalTime& now, const Elapsed& elapsed, int intervalMinutes) {
  const long long nowMinute = absoluteMinute(now);
  next_ = minuteOfDay(nowMinute + intervalMinutes);
  // With M = 0 the current minute is due at once; with M = 1440 the same minute is due again
  // tomorrow, so the current minute counts as checked.
  checkedThrough_ = nowMinute - (intervalMinutes == 0 ? 1 : 0);
  lastSeenMs_ = elapsed.monotonicMs;
  return *next_;
}

void RestSchedule::startCountdown(int n) {
  // N minutes as hours, minutes and a seconds field of 60 that stands for the minute begun.
  countdown_.hours = static_cast<std::int16_t>((n - 1) / 60);
  countdown_.minutes = static_cast<std::int16_t>((n - 1) % 60);
  countdown_.seconds = 60;
  counting_ = true;
}

TickOutcome RestSchedule::onTick(const ui::LocalTime& now, const Elapsed& elapsed,
                                 const Reminder& reminder) {
  const long long nowMinute = absoluteMinute(now);
  const long long firstUnchecked = checkedThrough_ ? *checkedThrough_ + 1 : nowMinute;
  const std::int64_t gapMs = lastSeenMs_ ? elapsed.monotonicMs - *lastSeenMs_ : 0;
  checkedThrough_ = nowMinute;
  lastSeenMs_ = elapsed.monotonicMs;

  TickOutcome out;
  if (!reminder.on) return out;  // a countdown that runs does not advance either
  out.due = dueCheck(nowMinute, firstUnchecked, gapMs, reminder);
  if (counting_) {
    out.counted = true;
    counting_ = !advanceCountdown();
  }
  out.countdown = countdown_;
  return out;
}

Due RestSchedule::dueCheck(long long nowMinute, long long firstUnchecked, std::int64_t gapMs,
                           const Reminder& reminder) const {
  if (reminder.prompted || !next_) return Due::Nothing;
  // The next rest time is a time of day; its first occurrence after the last minute checked is
  // due when it is the current minute, and was skipped when it lies before it (the wall clock
  // jumped: sleep, hibernation, a clock set forward). Minutes are counted on the local calendar,
  // so midnight is nothing special; a clock set back holds no occurrence (the time comes round
  // again normally).
  const long long occurrence = firstUnchecked + minuteOfDay(*next_ - firstUnchecked);
  if (occurrence == nowMinute) return Due::Prompt;
  if (occurrence > nowMinute) return Due::Nothing;
  // Skipped. Time away is measured on the monotonic counter, so a clock set forward is none; away
  // for at least a rest's length, the person has rested.
  return gapMs >= reminder.lengthMinutes * 60000LL ? Due::NewPeriod : Due::Prompt;
}

// One second less; true when the rest has ended.
bool RestSchedule::advanceCountdown() {
  Countdown& c = countdown_;
  --c.seconds;
  if (c.seconds == 0 && c.minutes > 0) {
    c.seconds = 60;
    --c.minutes;
  } else if (c.seconds == 0 && c.minutes == 0 && c.hours > 0) {
    c.seconds = 60;
    c.minutes = 59;
    --c.hours;
  }
  return c.ended();
}

}  // namespace rest
