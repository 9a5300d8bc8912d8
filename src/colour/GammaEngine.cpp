#include "colour/GammaEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "colour/Night.h"

namespace colour {

namespace {

// n / d rounded to nearest, halves to the even neighbour; d > 0, n of either sign.
long long divideRoundingHalfEven(long long n, long long d) {
  long long q = n / d;
  long long r = n % d;
  if (r < 0) {  // make q the floor so that 0 <= r < d
    --q;
    r += d;
  }
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
  return q;
}

}  // namespace

std::uint16_t levelAdjust(int a, std::uint16_t v) {
  a = std::clamp(a, -100, 100);
  long long result = v;
  if (a < 0) {
    result = divideRoundingHalfEven(static_cast<long long>(100 + a) * v, 100);
  } else if (a > 0) {
    // The whole of 65535 - (100 - a)(65535 - v)/100 is rounded, not just the quotient: rounding
    // the quotient first sends halves to the odd neighbour.
    result = divideRoundingHalfEven(6553500 - static_cast<long long>(100 - a) * (65535 - v), 100);
  }
  return static_cast<std::uint16_t>(std::clamp(result, 0LL, 65535LL));
}

std::uint16_t contrastAdjust(int k, std::uint16_t v) {
  k = std::clamp(k, 0, 100);
  const long long s = v < 32768 ? v : static_cast<long long>(v) - 65536;
  long long t = divideRoundingHalfEven(s * k, 100);
  // The upper half stays in the upper half: otherwise white (signed -1) turns black at k <= 50.
  if (s < 0 && t >= 0) t = -1;
  return static_cast<std::uint16_t>(t < 0 ? t + 65536 : t);
}

Ramp adjustedRamp(const Ramp& base, const Amounts& amounts) {
  Ramp ramp = base;
  // Each formula acts on one entry at a time, so applying them slider by slider over the whole
  // ramp is the same as taking every entry through all of them in turn.
  for (std::size_t n = 0; n < kSliderCount; ++n) {
    const SliderRow& slider = kSliders[n];
    const int amount = amounts[n];
    if (amount == slider.neutral) continue;
    const int first = slider.channel == kAllChannels ? 0 : slider.channel;
    const int last = slider.channel == kAllChannels ? kChannels - 1 : slider.channel;
    const auto each = [&](auto formula) {
      for (std::size_t e = at(first, 0); e < at(last, 0) + kEntries; ++e)
        ramp[e] = formula(amount, ramp[e]);
    };
    if (slider.formula == Formula::Level)
      each([](int a, std::uint16_t v) { return levelAdjust(a, v); });
    else
      each([](int a, std::uint16_t v) { return contrastAdjust(a, v); });
  }
  return ramp;
}

Ramp identityRamp() {
  Ramp ramp{};
  for (int c = 0; c < kChannels; ++c)
    for (int i = 0; i < kEntries; ++i) ramp[at(c, i)] = static_cast<std::uint16_t>(257 * i);
  return ramp;
}

bool withinDefaultGammaLimit(const Ramp& ramp) {
  for (int c = 0; c < kChannels; ++c)
    for (int i = 0; i < kEntries; ++i)
      if (std::abs((ramp[at(c, i)] >> 8) - i) > 128) return false;
  return true;
}

namespace {

const Ramp& identity() {
  static const Ramp ramp = identityRamp();
  return ramp;
}

// The identity plus `share` / 1024 of the way to ramp.
Ramp blended(const Ramp& ramp, int share) {
  Ramp out{};
  for (std::size_t n = 0; n < ramp.size(); ++n) {
    const long long to = identity()[n];
    out[n] = static_cast<std::uint16_t>(
        to + divideRoundingHalfEven((static_cast<long long>(ramp[n]) - to) * share, 1024));
  }
  return out;
}

}  // namespace

Ramp withinDefaultLimit(const Ramp& ramp) {
  if (withinDefaultGammaLimit(ramp)) return ramp;
  // The identity is within the limit; the largest share that still is, to 1/1024.
  int inside = 0;
  int outside = 1024;
  while (outside - inside > 1) {
    const int share = (inside + outside) / 2;
    if (withinDefaultGammaLimit(blended(ramp, share)))
      inside = share;
    else
      outside = share;
  }
  return blended(ramp, inside);
}

namespace {

// What makes the ramp unreadable; empty when it can be read.
std::string unreadableWhy(const Ramp& ramp) {
  constexpr int kOnePercent = 655;  // 1 % of 65535: a level there is collapsed as well
  bool collapsed = true;
  int white = 0;
  for (int c = 0; c < kChannels; ++c) {
    white = std::max<int>(white, ramp[at(c, kEntries - 1)]);
    const auto first = ramp.begin() + at(c, 0);
    collapsed = collapsed && std::count_if(first, first + kEntries, [](std::uint16_t v) {
                               return v <= kOnePercent;
                             }) > kEntries / 4;
  }
  if (white * 10 < 65535 * 4) return "white under 40 % of full scale";
  return collapsed ? "the levels collapse in every channel" : "";
}

}  // namespace

bool unreadable(const Ramp& ramp) {
  return !unreadableWhy(ramp).empty();
}

Gated gate(const Ramp& ramp, bool limitLifted) {
  Gated gated{SendResult::Applied, ramp, {}};
  if (!limitLifted && !withinDefaultGammaLimit(ramp)) {
    gated.result = SendResult::Limited;
    gated.ramp = withinDefaultLimit(ramp);
  }
  gated.why = unreadableWhy(gated.ramp);
  if (!gated.why.empty()) gated.result = SendResult::Unreadable;
  return gated;
}

Ramp scaledRamp(const Ramp& ramp, const std::array<double, 3>& factors) {
  if (factors == std::array<double, 3>{1, 1, 1}) return ramp;  // by day: a slider drag's case
  Ramp out = ramp;
  // Entries are not negative: + 0.5 rounds halves up, as lround does, at a fraction of its cost.
  for (int c = 0; c < kChannels; ++c)
    for (int i = 0; i < kEntries; ++i)
      out[at(c, i)] = static_cast<std::uint16_t>(ramp[at(c, i)] * factors[c] + 0.5);
  return out;
}

void GammaEngine::enumerate(bool keepBases) {
  std::vector<Output> outputs;
  captureFailed_ = false;
  requested_ = displays_.limitLifted();
  limitLifted_ = limitLifted_ && requested_;
  liftTried_ = false;  // a display change or a new sign-in's unlock may have brought the lift
  for (ui::AttachedDisplay& attached : displays_.enumerate()) {
    Output output{attached.name, std::move(attached.gamma)};
    auto known = std::find_if(outputs_.begin(), outputs_.end(),
                              [&](const Output& o) { return o.name == output.name; });
    if (keepBases && known != outputs_.end()) {
      output.base = known->base;
      output.work = known->work;
      outputs.push_back(std::move(output));
      continue;
    }
    if (!output.gamma->get(output.base)) {
      output.base = identityRamp();
      captureFailed_ = true;
    } else if (unreadable(output.base) || (!requested_ && !withinDefaultGammaLimit(output.base))) {
      output.base = identityRamp();  // left by a program that ended without restoring it
    }
    output.work = output.base;
    outputs.push_back(std::move(output));
  }
  // The old ways to the displays go only now: a display removed is never reached through them.
  outputs_ = std::move(outputs);
}

bool GammaEngine::capture() {
  enumerate(false);
  return !captureFailed_;
}

const Ramp& GammaEngine::baseRamp() const {
  return outputs_.empty() ? identity() : outputs_.front().base;
}

const Ramp& GammaEngine::workRamp() const {
  return outputs_.empty() ? identity() : outputs_.front().work;
}

void GammaEngine::setBaseRamp(const Ramp& ramp) {
  for (Output& output : outputs_) output.base = ramp;
}

SendResult GammaEngine::adjust(const Amounts& amounts) {
  last_ = amounts;
  return sendAll();
}

SendResult GammaEngine::sendBase() {
  last_.reset();
  return sendAll();
}

SendResult GammaEngine::change(int& value, int to) {
  if (value == to) return result_;
  value = to;
  return last_ ? sendAll() : result_;
}

// The one way to the displays: every ramp, whoever built it, passes the same gate.
SendResult GammaEngine::sendAll() {
  sent_ = true;
  std::array<double, 3> factors = warmthFactors(kelvin_);
  for (double& f : factors) f *= std::clamp(dimming_, 0, 100) / 100.0;
  std::vector<std::pair<Ramp, Gated>> ramps;  // as built, and as the gate lets it through
  for (const Output& output : outputs_) {
    const Ramp built = last_ ? scaledRamp(adjustedRamp(output.base, *last_), factors) : output.base;
    Gated gated = gate(built, limitLifted_);
    if (gated.result == SendResult::Unreadable) {
      report(output.name + ": colours not sent, the screen would be unreadable (" + gated.why +
             ")");
      result_ = SendResult::Unreadable;
      return result_;
    }
    ramps.emplace_back(built, std::move(gated));
  }
  refused_.clear();
  result_ = SendResult::Applied;
  for (std::size_t n = 0; n < outputs_.size(); ++n) {
    const SendResult one = sendGated(outputs_[n], ramps[n].first, ramps[n].second);
    if (one == SendResult::Refused) refused_.push_back(outputs_[n].name);
    if (one == SendResult::Refused || result_ == SendResult::Applied) result_ = one;
  }
  if (refused_.empty()) reported_.clear();  // the next refusal is news again
  return result_;
}

SendResult GammaEngine::sendGated(Output& output, const Ramp& built, const Gated& gated) {
  std::string why;
  // GdiIcmGammaRange asks for any ramp, but Windows reads it only at sign-in: until a display
  // has taken a ramp past the default limit, the whole ramp is tried once per listing of the
  // displays and the one pulled in sent when it is refused.
  if (gated.result == SendResult::Limited && requested_ && !liftTried_) {
    const Gated whole = gate(built, true);
    if (whole.result == SendResult::Applied) {
      if (send(output, whole.ramp, why) == Sent::ReadBack) {
        limitLifted_ = true;
        return SendResult::Applied;
      }
      liftTried_ = true;
      report(output.name + ": a ramp past the default limit was refused although " +
             "GdiIcmGammaRange is 256 (Windows applies it from the next sign-in): " + why);
    }
  }
  if (send(output, gated.ramp, why) == Sent::Failed) {
    report(output.name + ": colours not accepted: " + why);
    return SendResult::Refused;
  }
  return gated.result;
}

SendResult GammaEngine::resend() {
  if (!sent_) return SendResult::Applied;
  enumerate(true);
  if (sendAll() == SendResult::Unreadable) {
    // The reset display would otherwise stay as the system left it.
    std::string why;
    for (Output& output : outputs_) send(output, output.work, why);
  }
  return result_;
}

GammaEngine::Sent GammaEngine::send(Output& output, const Ramp& ramp, std::string& why) {
  for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
    if (!output.gamma->set(ramp)) {
      why = output.gamma->failure();
      if (why.empty()) why = "the display refused the ramp";
      continue;
    }
    // Windows may return success for a ramp it ignored, so only the ramp read back counts.
    Ramp back{};
    const bool readBack = output.gamma->get(back);
    bool same = true;
    for (std::size_t n = 0; n < ramp.size() && same && readBack; ++n)
      same = std::abs(static_cast<int>(back[n]) - static_cast<int>(ramp[n])) <= kReadBackTolerance;
    if (same) {
      output.work = ramp;
      return readBack ? Sent::ReadBack : Sent::Unchecked;  // unread: nothing to check against
    }
    why = "the display reported success but kept its previous ramp";
  }
  return Sent::Failed;
}

void GammaEngine::report(const std::string& line) {
  if (std::find(reported_.begin(), reported_.end(), line) != reported_.end()) return;
  reported_.push_back(line);  // a fade refused step after step is written once
  displays_.report(line);
}

}  // namespace colour
