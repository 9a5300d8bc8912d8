// Cost of building one ramp for each kind of colour adjustment, without a display in the way.
#include <benchmark/benchmark.h>

#include "Fakes.h"
#include "colour/GammaEngine.h"

namespace {

// Accepts every ramp and cannot read one back, so a send costs only the engine's own work.
class NoDisplay : public ui::GammaDisplay {
 public:
  bool get(ui::Ramp&) override { return false; }
  bool set(const ui::Ramp&) override { return true; }
};

// Moves the sliders through -50..50 in turn, so no two consecutive builds are alike.
void adjust(benchmark::State& state, bool readBack, colour::Amounts (*amounts)(int)) {
  NoDisplay none;
  fakes::GammaDisplay echo;  // reads back what it was given: a send includes the read-back check
  echo.keepsSent = false;
  fakes::DisplaySet displays{readBack ? static_cast<ui::GammaDisplay&>(echo) : none};
  colour::GammaEngine engine(displays);
  engine.capture();
  engine.setBaseRamp(colour::identityRamp());
  int p = 0;
  for (auto _ : state) {
    p = p >= 50 ? -50 : p + 1;
    benchmark::DoNotOptimize(engine.adjust(amounts(p)));
    benchmark::ClobberMemory();
  }
}

colour::Amounts brightness(int p) {
  return {p, 100, 0, 0, 0};
}
colour::Amounts contrast(int p) {
  return {0, (p + 50) % 100 + 1, 0, 0, 0};
}  // runs 1..100
colour::Amounts balance(int p) {
  return {0, 100, p, -p, p / 2};
}
// Every family away from neutral: the most work one slider move can cost.
colour::Amounts allFive(int p) {
  return {p / 2, 80, p / 2 + 1, -p / 2, p / 2 - 1};
}

}  // namespace

BENCHMARK_CAPTURE(adjust, brightness, false, brightness)->Name("ramp/brightness");
BENCHMARK_CAPTURE(adjust, contrast, false, contrast)->Name("ramp/contrast");
BENCHMARK_CAPTURE(adjust, balance, false, balance)->Name("ramp/colour_balance");
BENCHMARK_CAPTURE(adjust, all, false, allFive)->Name("ramp/all_five");
BENCHMARK_CAPTURE(adjust, readback, true, brightness)->Name("ramp/brightness_with_readback");

BENCHMARK_MAIN();
