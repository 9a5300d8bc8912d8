#include "rest/Rest.h"

#include <utility>

#include "rest/PromptWindow.h"
#include "rest/RestScreen.h"

namespace rest {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr ui::Colour kRestOnColour = ui::rgb(34, 139, 34);
constexpr ui::Colour kRestOffColour = 0;
const std::string kOn = "1";
const std::string kOff = "0";

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

long long absoluteSecond(const ui::LocalTime& t) {
  return daysFromCivil(t.year, t.month, t.day) * 86400LL + t.hour * 3600LL + t.minute * 60LL +
         t.second;
}

long long floorDiv(long long a, long long b) {
  long long q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::string countdownCaption(int hours, int minutes, int seconds) {
  return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(seconds);
}

}  // namespace

std::optional<int> wholeMinutes(std::string_view text, int min, int max) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > max) return std::nullopt;  // also keeps a long run of digits from overflowing
  }
  if (value < min) return std::nullopt;
  return static_cast<int>(value);
}

std::string intervalOrDefault(const std::string& stored) {
  return std::to_string(
      wholeMinutes(stored, kMinInterval, kMaxInterval).value_or(kDefaultInterval));
}

std::string lengthOrDefault(const std::string& stored) {
  return std::to_string(wholeMinutes(stored, kMinLength, kMaxLength).value_or(kDefaultLength));
}

std::string formatTimeOfDay(int minuteOfDay) {
  minuteOfDay = ((minuteOfDay % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
  const int hour = minuteOfDay / 60;
  const int minute = minuteOfDay % 60;
  std::string text = "00:00";
  text[0] = static_cast<char>('0' + hour / 10);
  text[1] = static_cast<char>('0' + hour % 10);
  text[3] = static_cast<char>('0' + minute / 10);
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

Rest::Rest(RestControls controls, ui::Clock& clock, ui::Screen& screen, ui::FormHost* host,
           settings::Ini& ini, ui::Shell& shell)
    : c_(controls), clock_(clock), display_(screen), host_(host), ini_(ini), shell_(shell) {}

Rest::~Rest() = default;

void Rest::connect() {
  c_.Timer1.Tick = [this] { Timer1_Timer(); };
  c_.SafeSwitch2.Click = [this](bool value) { SafeSwitch2_Click(value); };
  c_.setok1.Click = [this] { setok_Click(c_.setok1.index()); };
  c_.setno1.Click = [this] { setno_Click(c_.setno1.index()); };
  c_.form2tip.Click = [this] { form2tip_Click(); };
  c_.okdsxxadd.Click = [this] { okdsxxadd_Click(); };
}

void Rest::dsxxadd() {
  // A setting that is not a whole number in range is never applied: it goes back to the value in
  // force, as the panel closes here in any case.
  if (auto m = wholeMinutes(c_.Text2.text(), kMinInterval, kMaxInterval)) interval_ = *m;
  if (auto n = wholeMinutes(c_.Text3.text(), kMinLength, kMaxLength)) length_ = *n;
  c_.Text2.setText(std::to_string(interval_));
  c_.Text3.setText(std::to_string(length_));

  c_.dhhour[0]->setText(c_.Text2.text());
  c_.dhhour[1]->setText(c_.Text3.text());
  c_.ppset.setVisible(false);

  const ui::LocalTime now = clock_.now();
  const int currentMinute = now.hour * 60 + now.minute;  // seconds dropped
  c_.Text1.setText(formatTimeOfDay(currentMinute + interval_));
  c_.Label5.setText(c_.Text1.text());

  // With M = 0 the current minute is due at once; with M = 1440 the same minute is due again
  // tomorrow, so the current minute counts as checked.
  lastSeenMs_ = clock_.monotonicMs();
  checkedThrough_ = floorDiv(absoluteSecond(now), 60) - (interval_ == 0 ? 1 : 0);
}

void Rest::SafeSwitch2_Click(bool value) {
  if (value) {
    dsxxadd();
    restOn_ = kOn;
    c_.Label2_1.setForeColour(kRestOnColour);
    c_.edit1.setVisible(true);
  } else {
    restOn_ = kOff;
    c_.Label2_1.setForeColour(kRestOffColour);
    c_.edit1.setVisible(false);
  }
}

void Rest::setok_Click(int /*index*/) {
  const bool intervalOk = wholeMinutes(c_.Text2.text(), kMinInterval, kMaxInterval).has_value();
  const bool lengthOk = wholeMinutes(c_.Text3.text(), kMinLength, kMaxLength).has_value();
  if (!intervalOk || !lengthOk) {
    std::string text;
    if (!intervalOk)
      text += "The rest interval (\"every ... minutes\") must be a whole number of minutes from " +
              std::to_string(kMinInterval) + " to " + std::to_string(kMaxInterval) + ".";
    if (!lengthOk) {
      if (!text.empty()) text += "\n";
      text += "The rest length (\"Rest ... minutes\") must be a whole number of minutes from " +
              std::to_string(kMinLength) + " to " + std::to_string(kMaxLength) + ".";
    }
    shell_.messageBox(text, "Lumora", ui::MessageIcon::Warning);
    return;
  }
  dsxxadd();
  ini_.writeini("dsxx", "mei", c_.Text2.text());
  ini_.writeini("dsxx", "xiuxi", c_.Text3.text());
}

void Rest::setno_Click(int /*index*/) {
  c_.ppset.setVisible(false);
  // Valid typed values stay and take effect at the next new working period; invalid ones would
  // only be thrown away then, so they go back to the values in force now.
  if (!wholeMinutes(c_.Text2.text(), kMinInterval, kMaxInterval))
    c_.Text2.setText(std::to_string(interval_));
  if (!wholeMinutes(c_.Text3.text(), kMinLength, kMaxLength))
    c_.Text3.setText(std::to_string(length_));
}

void Rest::okdsxxadd_Click() {
  dsxxadd();
}

int Rest::typedLengthOrCurrent() const {
  return wholeMinutes(c_.Text3.text(), kMinLength, kMaxLength).value_or(length_);
}

void Rest::form2tip_Click() {
  const int n = typedLengthOrCurrent();
  if (n < 60) {
    restHours_ = 0;
    restMinutes_ = static_cast<std::int16_t>(n);
  } else {
    restHours_ = static_cast<std::int16_t>(n / 60);
    restMinutes_ = static_cast<std::int16_t>(n % 60);
    if (restMinutes_ == 0) {
      restMinutes_ = 60;
      --restHours_;
    }
  }
  restSeconds_ = 60;
  restCounting_ = 1;
  --restMinutes_;
}

void Rest::Timer1_Timer() {
  retired_.clear();  // forms closed without a host to drop them; no handler of theirs is running

  const ui::LocalTime now = clock_.now();
  const long long nowMinute = floorDiv(absoluteSecond(now), 60);
  const std::int64_t nowMs = clock_.monotonicMs();
  const std::optional<std::int64_t> previousMs = lastSeenMs_;
  const long long firstUnchecked = checkedThrough_ ? *checkedThrough_ + 1 : nowMinute;
  lastSeenMs_ = nowMs;
  checkedThrough_ = nowMinute;

  if (restOn_ != kOn) return;

  // Due check. The next rest time is a time of day; its first occurrence after the last minute
  // already checked is due when it is the current minute, and was skipped when it lies before it
  // (the wall clock jumped: sleep, hibernation, a clock set forward). Minutes are counted on the
  // local calendar, so midnight is nothing special; a clock set back holds no occurrence (the
  // time comes round again normally).
  if (Pdtipshow == 0) {
    if (auto due = parseTimeOfDay(c_.Text1.text())) {
      const long long occurrence =
          firstUnchecked +
          ((*due - firstUnchecked % kMinutesPerDay) % kMinutesPerDay + kMinutesPerDay) %
              kMinutesPerDay;
      if (occurrence == nowMinute) {
        showPrompt();
      } else if (occurrence < nowMinute) {
        // Time away, on the monotonic counter: a clock set forward is no time away. Away for at
        // least a rest's length: that was the rest.
        const std::int64_t gap = previousMs ? nowMs - *previousMs : 0;
        if (gap >= typedLengthOrCurrent() * 60000LL)
          dsxxadd();
        else
          showPrompt();
      }
    }
  }

  if (restCounting_ != 1) return;
  --restSeconds_;
  if (restSeconds_ == 0 && restMinutes_ > 0) {
    restSeconds_ = 60;
    --restMinutes_;
  } else if (restSeconds_ == 0 && restMinutes_ == 0 && restHours_ > 0) {
    restSeconds_ = 60;
    restMinutes_ = 59;
    --restHours_;
  }
  const bool ended = restHours_ == 0 && restMinutes_ == 0 && restSeconds_ == 0;
  if (screen_) {
    screen_->refreshSnapshot();
    if (!ended) screen_->Label1.setText(countdownCaption(restHours_, restMinutes_, restSeconds_));
  }
  if (ended) endRest();
}

void Rest::showPrompt() {
  if (!prompt_) {
    prompt_ = std::make_unique<PromptWindow>(*this, display_, host_);
    PromptWindow* opened = prompt_.get();
    prompt_->Unload = [this, opened] {
      if (prompt_.get() == opened) retire(prompt_);
    };
  }
  prompt_->show();
  // The typed text as it stands; text that is no length is not quoted, the length in force is.
  const std::string length = wholeMinutes(c_.Text3.text(), kMinLength, kMaxLength)
                                 ? c_.Text3.text()
                                 : std::to_string(length_);
  if (prompt_) prompt_->Label1.setText("Let's take a " + length + " minute rest");
  Pdtipshow = 1;
}

void Rest::closePrompt() {
  if (prompt_) prompt_->close();
}

void Rest::showRestScreen() {
  if (screen_) screen_->close();  // a rest restarted while its screen is open gets a fresh one
  screen_ = std::make_unique<RestScreen>(*this, display_, host_);
  RestScreen* opened = screen_.get();
  screen_->Unload = [this, opened] {
    if (screen_.get() == opened) retire(screen_);
  };
  screen_->show();
}

void Rest::endRest() {
  restCounting_ = 0;
  dsxxadd();
  closePrompt();
  if (screen_) {
    screen_->imgclose_Click();
  } else {
    // The screen was closed early: its close steps run all the same, without a window.
    okdsxxadd_Click();
    Pdtipshow = 0;
  }
}

template <class F>
void Rest::retire(std::unique_ptr<F>& form) {
  std::shared_ptr<ui::Form> closed(std::move(form));
  if (host_)
    host_->post([closed]() mutable { closed.reset(); });
  else
    retired_.push_back(std::move(closed));
}

}  // namespace rest
