#include "core/engine/disease.h"

#include <cmath>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "core/base/errors.h"
#include "core/engine/basic_equations.h"
#include "core/engine/demo_disease.h"
#include "engine/model_fixture.h"

namespace kavrel {
namespace {

using testing::ModelFixture;

TEST(DiseaseTest, CreationDefaults) {
  Tdisease editing("Asthma");
  Tdiseaseam processing("Asthma");
  EXPECT_EQ(editing.DiseaseName, "Asthma");
  for (const Tdisease* d :
       {static_cast<const Tdisease*>(&editing), static_cast<const Tdisease*>(&processing)}) {
    EXPECT_TRUE(d->IncidenceIsHazard);
    EXPECT_FALSE(d->Calculated[kMales] || d->Calculated[kFemales]);
    EXPECT_FALSE(d->TrendsOn);
    EXPECT_EQ(d->Equations, nullptr);
    for (int s = 0; s < kSexCount; ++s) {
      for (int v = 0; v < kVariableCount; ++v) {
        EXPECT_FALSE(d->Processed[v][s]);
        EXPECT_TRUE(d->InputRows[v][s].empty());
      }
    }
    for (const auto& trend : d->Trends) EXPECT_TRUE(trend.Blocks.empty());
    EXPECT_EQ(d->CalcSettings.Records[kFemales], CalcSettingsRecord{});
  }
}

TEST(DiseaseTest, CalculationFillsOnlyTheDataSetsAges) {
  ModelFixture fx(85);
  fx.disease.Sex = kFemales;
  fx.SetHazards(0.01, 0.05, 0.02);
  fx.disease.InputSeries[kPrevalence][kFemales][0] = 0.01;
  fx.disease.CalculatePlain(fx.Env(), true);
  const auto& m = fx.disease.ModelSeries;
  EXPECT_EQ(fx.disease.BirthPrevalence[kFemales], 0.01);
  EXPECT_EQ(fx.disease.Equations, nullptr);
  for (int a = 0; a <= 85; ++a) {
    EXPECT_GT(m[kPrevalence][kFemales][a], 0.0) << a;
    EXPECT_GT(m[kDuration][kFemales][a], 0.0) << a;
    EXPECT_DOUBLE_EQ(fx.otherCause[kFemales][a], 0.01 - m[kMortality][kFemales][a]) << a;
  }
  for (int a = 86; a < kAgeCount; ++a) {
    for (int v = 0; v < kVariableCount; ++v) EXPECT_EQ(m[v][kFemales][a], 0.0) << v << " " << a;
    EXPECT_EQ(fx.otherCause[kFemales][a], 0.0) << a;
  }
  EXPECT_EQ(GroupLabel(85, 86, 85), "85+");
}

TEST(DiseaseTest, CalculationRejectsAnImpossibleHighestAge) {
  ModelFixture fx(100);
  fx.maxAge = 111;
  EXPECT_THROW(fx.disease.CalculatePlain(fx.Env(), false), std::invalid_argument);
}

TEST(DiseaseTest, SeparateCalculationsRunSideBySide) {
  // No shared state: the same calculation on two threads gives the sequential result.
  auto run = [](int sex, Series& prevalence) {
    MessagesLog log;
    const auto allCause = DemoAllCauseMortality(100);
    std::array<Series, kSexCount> otherCause{};
    Tdisease disease("Demonstration disease");
    FillDemoHazards(disease, 100);
    disease.Sex = static_cast<std::uint8_t>(sex);
    for (int repeat = 0; repeat < 20; ++repeat) {
      disease.CalculatePlain({100, allCause, otherCause, log}, false);
    }
    prevalence = disease.ModelSeries[kPrevalence][sex];
  };
  Series sequential[2];
  Series parallel[2];
  run(0, sequential[0]);
  run(1, sequential[1]);
  std::thread t0(run, 0, std::ref(parallel[0]));
  std::thread t1(run, 1, std::ref(parallel[1]));
  t0.join();
  t1.join();
  EXPECT_EQ(sequential[0], parallel[0]);
  EXPECT_EQ(sequential[1], parallel[1]);
}

// The duration algorithm applied literally, year by year, to check the faster form against.
double LiteralDuration(const Tdisease& d, int j, int maxAge, const Series& other) {
  const int s = d.Sex;
  const auto& m = d.ModelSeries;
  auto g = [&](int k) { return m[kRemission][s][k] + m[kCaseFatality][s][k] + other[k]; };
  const double iota = m[kIncidence][s][j];
  if (iota <= 0 || std::exp(-iota) == 1) return 0.0;
  std::array<double, kAgeCount> P{}, T{};
  const double e = std::exp(-iota);
  double gj = g(j);
  if (gj == 0) {
    P[j] = 1;
    T[j] = 0.5;
  } else if (gj == iota) {
    P[j] = iota * e / (1 - e);
    T[j] = 1 / gj - 1 / (std::exp(gj) - 1);
  } else {
    const double K = (std::exp(-gj) - e) / (1 - e);
    P[j] = iota / (iota - gj) * K;
    T[j] = 1 / gj - iota / ((iota - gj) * gj) * K;
  }
  for (int k = j + 1; k <= maxAge - 1; ++k) {
    const double gk = g(k);
    if (gk == 0) {
      P[k] = P[k - 1];
      T[k] = P[k - 1];
    } else {
      P[k] = std::exp(-gk) * P[k - 1];
      T[k] = (1 - std::exp(-gk)) * P[k - 1] / gk;
    }
  }
  const double gt = g(maxAge);
  if (gt == 0) {
    T[maxAge] = j == maxAge ? 1000 : 1000 * P[maxAge - 1];
  } else {
    T[maxAge] = j == maxAge ? 1 / gt : P[maxAge - 1] / gt;
  }
  double sum = 0;
  for (int k = j; k <= maxAge; ++k) sum += T[k];
  return sum;
}

TEST(DurationTest, MatchesTheYearByYearSum) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> hazard(0.0, 0.3);
  for (int maxAge : {0, 1, 2, 50, 110}) {
    ModelFixture fx(maxAge);
    for (int a = 0; a <= maxAge; ++a) {
      fx.SetHazardsAt(a, a % 7 == 3 ? 0.0 : hazard(random), hazard(random), hazard(random));
      fx.otherCause[kMales][a] = hazard(random) / 10;
    }
    // An onset age whose exit hazard equals its incidence exactly.
    if (maxAge >= 2) {
      fx.SetHazardsAt(1, 0.25, 0.125, 0.125);
      fx.otherCause[kMales][1] = 0.0;
    }
    fx.disease.CalculateDuration(maxAge, fx.otherCause[kMales]);
    for (int j = 0; j <= maxAge; ++j) {
      const double want = LiteralDuration(fx.disease, j, maxAge, fx.otherCause[kMales]);
      EXPECT_NEAR(fx.disease.ModelSeries[kDuration][kMales][j], want, 1e-12 * std::max(1.0, want))
          << "maxAge " << maxAge << " onset " << j;
    }
  }
}

TEST(DurationTest, ConstantExitHazardGivesItsInverse) {
  // With one exit hazard g at every age, the mean time diseased after onset is 1/g, whatever
  // the incidence and including the g = incidence case.
  struct Case {
    double incidence, remission, caseFatality, other;
  };
  const Case cases[] = {{0.01, 0.05, 0.02, 0.01}, {0.2, 0.1, 0.05, 0.05}, {0.08, 0.0, 0.0, 0.08}};
  for (const auto& c : cases) {
    ModelFixture fx(60);
    fx.SetHazards(c.incidence, c.remission, c.caseFatality);
    fx.otherCause[kMales].fill(c.other);
    fx.disease.CalculateDuration(60, fx.otherCause[kMales]);
    const double g = c.remission + c.caseFatality + c.other;
    for (int j = 0; j <= 60; ++j) {
      EXPECT_NEAR(fx.disease.ModelSeries[kDuration][kMales][j], 1.0 / g, 1e-10) << j;
    }
  }
}

TEST(DurationTest, ZeroIncidenceAndNoExitAtTheTop) {
  ModelFixture fx(10);
  fx.SetHazards(0.05, 0.0, 0.0);
  fx.SetHazardsAt(3, 0.0, 0.0, 0.0);
  fx.disease.CalculateDuration(10, fx.otherCause[kMales]);
  const auto& duration = fx.disease.ModelSeries[kDuration][kMales];
  EXPECT_EQ(duration[3], 0.0);
  // Nobody leaves the diseased state: the open top age holds them for 1000 years.
  EXPECT_EQ(duration[10], 1000.0);
  EXPECT_DOUBLE_EQ(duration[9], 0.5 + 1000.0);
  EXPECT_DOUBLE_EQ(duration[0], 0.5 + 9.0 + 1000.0);
}

TEST(DurationTest, OverflowRaisesAnArithmeticError) {
  ModelFixture fx(5);
  fx.SetHazards(0.05, 0.0, 0.0);
  fx.otherCause[kMales].fill(-1000.0);
  EXPECT_THROW(fx.disease.CalculateDuration(5, fx.otherCause[kMales]), ArithmeticError);
}

}  // namespace
}  // namespace kavrel
