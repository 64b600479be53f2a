// Speed of the model and the minimiser, each against a floor measured in the same run: the
// figures that matter are ratios to BM_TwoExp, which hold on a noisy machine.

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/basic_equations.h"
#include "core/engine/demo_disease.h"
#include "core/engine/disease.h"

namespace kavrel {
namespace {

constexpr int kMaxAge = 100;

// The floor: two exponentials of varying arguments, as one model step needs.
void BM_TwoExp(benchmark::State& state) {
  double x = 0.1;
  for (auto _ : state) {
    const double a = std::exp(-x);
    const double b = std::exp(-(x + 0.05));
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    x += 1e-7;
    if (x > 1.0) x = 0.1;
  }
}
BENCHMARK(BM_TwoExp);

struct DemoSetup {
  DemoSetup() : allCause(DemoAllCauseMortality(kMaxAge)), disease("Demonstration disease") {
    FillDemoHazards(disease, kMaxAge);
    disease.ModelSeries = disease.InputSeries;
  }
  MessagesLog log;
  std::array<Series, kSexCount> allCause;
  std::array<Series, kSexCount> otherCause{};
  Tdisease disease;
};

// Runs part of a step for ages 0 ... kMaxAge over and over, on a model whose cohort was filled
// by one pass.
template <typename Part>
void CycleAges(benchmark::State& state, Part part) {
  DemoSetup setup;
  Tbasicequations equations(setup.disease.ModelSeries, setup.disease.PopRateIncidence,
                            setup.disease.Sex, setup.allCause, setup.log, 0.0);
  for (int a = 0; a <= kMaxAge; ++a) equations.Step(a);
  int a = 0;
  for (auto _ : state) {
    part(equations, a);
    benchmark::ClobberMemory();
    if (++a > kMaxAge) a = 0;
  }
}

void BM_ModelStep(benchmark::State& state) {
  CycleAges(state, [](Tbasicequations& equations, int a) { equations.Step(a); });
}
BENCHMARK(BM_ModelStep);

void BM_PlainCalculation(benchmark::State& state) {
  DemoSetup setup;
  const ModelEnvironment env{kMaxAge, setup.allCause, setup.otherCause, setup.log, nullptr};
  for (auto _ : state) {
    setup.disease.CalculatePlain(env, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PlainCalculation);

void BM_TrendCalculation(benchmark::State& state) {
  DemoSetup setup;
  setup.disease.Trends[0].Blocks = {{-10, 0, 1.02}, {-20, -11, 1.01}};
  setup.disease.Trends[2].Blocks = {{-20, 0, 0.98}};
  setup.disease.TrendsOn = setup.disease.CheckTrends();
  const ModelEnvironment env{kMaxAge, setup.allCause, setup.otherCause, setup.log, nullptr};
  for (auto _ : state) {
    setup.disease.CalculatePlain(env, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TrendCalculation);

// The two halves of a step, to see where its time goes.
void BM_AdvanceOnly(benchmark::State& state) {
  CycleAges(state, [](Tbasicequations& equations, int a) { equations.Advance(a); });
}
BENCHMARK(BM_AdvanceOnly);

void BM_DeriveOnly(benchmark::State& state) {
  CycleAges(state, [](Tbasicequations& equations, int a) { equations.Derive(a); });
}
BENCHMARK(BM_DeriveOnly);

class RosenbrockAmoeba final : public Tamoeba {
 public:
  using Tamoeba::Tamoeba;
  double Cost(std::span<const double> p) override {
    const double a = 1.0 - p[0];
    const double b = p[1] - p[0] * p[0];
    return a * a + 100.0 * b * b;
  }
};

void BM_AmoebaRosenbrock(benchmark::State& state) {
  MessagesLog log;
  ScriptedDialogs dialogs;
  SimplexSettings options;  // precision 1.0E-09
  int iterations = 0;
  for (auto _ : state) {
    RosenbrockAmoeba amoeba(2, options, dialogs, log);
    amoeba.Start = {-1.2, 1.0};
    amoeba.Minimize();
    iterations = amoeba.Iter;
    benchmark::DoNotOptimize(amoeba.Best.data());
  }
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_AmoebaRosenbrock);

}  // namespace
}  // namespace kavrel
