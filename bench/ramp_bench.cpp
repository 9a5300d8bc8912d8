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

// Reads back what it was given: a send includes the engine's read-back check.
class EchoDisplay : public ui::GammaDisplay {
 public:
  bool get(ui::Ramp& ramp) override {
    ramp = last_;
    return true;
  }
  bool set(const ui::Ramp& ramp) override {
    last_ = ramp;
    return true;
  }

 private:
  ui::Ramp last_{};
};

// Slider positions -50..50 in turn, so no two consecutive builds are alike.
int nextPosition(int& p) {
  p = p >= 50 ? -50 : p + 1;
  return p;
}

template <class Display>
void brightness(benchmark::State& state) {
  Display display;
  fakes::DisplaySet displays{display};
  colour::GammaEngine engine(displays);
  engine.capture();
  engine.setBaseRamp(colour::identityRamp());
  int p = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(engine.adjust({nextPosition(p), 100, 0, 0, 0}));
    benchmark::ClobberMemory();
  }
}

void contrast(benchmark::State& state) {
  NoDisplay display;
  fakes::DisplaySet displays{display};
  colour::GammaEngine engine(displays);
  engine.capture();
  engine.setBaseRamp(colour::identityRamp());
  int p = 0;
  for (auto _ : state) {
    // The contrast slider runs 1..100.
    benchmark::DoNotOptimize(engine.adjust({0, (nextPosition(p) + 50) % 100 + 1, 0, 0, 0}));
    benchmark::ClobberMemory();
  }
}

void colourBalance(benchmark::State& state) {
  NoDisplay display;
  fakes::DisplaySet displays{display};
  colour::GammaEngine engine(displays);
  engine.capture();
  engine.setBaseRamp(colour::identityRamp());
  int p = 0;
  for (auto _ : state) {
    const int a = nextPosition(p);
    benchmark::DoNotOptimize(engine.adjust({0, 100, a, -a, a / 2}));
    benchmark::ClobberMemory();
  }
}

// Every family away from neutral: the most work one slider move can cost.
void allFive(benchmark::State& state) {
  NoDisplay display;
  fakes::DisplaySet displays{display};
  colour::GammaEngine engine(displays);
  engine.capture();
  engine.setBaseRamp(colour::identityRamp());
  int p = 0;
  for (auto _ : state) {
    const int a = nextPosition(p) / 2;
    benchmark::DoNotOptimize(engine.adjust({a, 80, a + 1, -a, a - 1}));
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(brightness<NoDisplay>)->Name("ramp/brightness");
BENCHMARK(contrast)->Name("ramp/contrast");
BENCHMARK(colourBalance)->Name("ramp/colour_balance");
BENCHMARK(allFive)->Name("ramp/all_five");
BENCHMARK(brightness<EchoDisplay>)->Name("ramp/brightness_with_readback");

BENCHMARK_MAIN();
