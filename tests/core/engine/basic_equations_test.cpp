#include "core/engine/basic_equations.h"

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/model_fixture.h"

namespace kavrel {
namespace {

using testing::ModelFixture;

// One year of the two-state system S' = -iS + rC, C' = iS - (r + f)C, D' = fC by classical
// Runge-Kutta in extended precision: an independent solution to check the closed form against.
std::array<long double, 3> RungeKuttaYear(long double i, long double r, long double f,
                                          std::array<long double, 3> y, int steps) {
  const long double h = 1.0L / steps;
  auto deriv = [&](const std::array<long double, 3>& s) {
    return std::array<long double, 3>{-i * s[0] + r * s[1], i * s[0] - (r + f) * s[1], f * s[1]};
  };
  for (int n = 0; n < steps; ++n) {
    auto k1 = deriv(y);
    std::array<long double, 3> t;
    for (int c = 0; c < 3; ++c) t[c] = y[c] + h / 2 * k1[c];
    auto k2 = deriv(t);
    for (int c = 0; c < 3; ++c) t[c] = y[c] + h / 2 * k2[c];
    auto k3 = deriv(t);
    for (int c = 0; c < 3; ++c) t[c] = y[c] + h * k3[c];
    auto k4 = deriv(t);
    for (int c = 0; c < 3; ++c) y[c] += h / 6 * (k1[c] + 2 * k2[c] + 2 * k3[c] + k4[c]);
  }
  return y;
}

TEST(BasicEquationsTest, ClosedFormStepAgreesWithNumericalIntegration) {
  // Zeros, equal hazards (every combination repeats values), the double root r = 0, i = f, and
  // hazards far above anything seen in practice.
  const std::vector<double> grid = {0.0, 1e-6, 0.001, 0.05, 0.5, 3.0, 20.0};
  for (double i : grid) {
    for (double r : grid) {
      for (double f : grid) {
        ModelFixture fx(0);
        fx.SetHazards(i, r, f);
        Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                           fx.allCause, fx.log, 0.0);
        eq.Healthy[0] = 800.0;
        eq.Diseased[0] = 150.0;
        eq.DiseaseDeaths[0] = 50.0;
        ASSERT_TRUE(eq.Advance(0));
        const auto exact = RungeKuttaYear(i, r, f, {800.0L, 150.0L, 50.0L}, 20000);
        const double model[3] = {eq.Healthy[1], eq.Diseased[1], eq.DiseaseDeaths[1]};
        for (int c = 0; c < 3; ++c) {
          const double want = static_cast<double>(exact[c]);
          // Relative to the value, with a floor of one person for values far below the cohort.
          EXPECT_NEAR(model[c], want, 1e-9 * std::max(std::fabs(want), 1.0))
              << "state " << c << " at i=" << i << " r=" << r << " f=" << f;
        }
      }
    }
  }
}

TEST(BasicEquationsTest, NearlyDoubleRootStaysContinuous) {
  // q tiny but not 0: the step must approach the double-root solution, not lose its digits.
  ModelFixture exactFx(0), nearFx(0);
  exactFx.SetHazards(0.01, 0.0, 0.01);
  nearFx.SetHazards(0.01, 1e-14, 0.01 + 1e-13);
  Tbasicequations exact(exactFx.disease.ModelSeries, exactFx.disease.PopRateIncidence,
                        exactFx.disease.Sex, exactFx.allCause, exactFx.log, 0.0);
  Tbasicequations near(nearFx.disease.ModelSeries, nearFx.disease.PopRateIncidence,
                       nearFx.disease.Sex, nearFx.allCause, nearFx.log, 0.0);
  ASSERT_TRUE(exact.Advance(0));
  ASSERT_TRUE(near.Advance(0));
  EXPECT_EQ(exact.RootTerm[0], 0.0);
  EXPECT_GT(near.RootTerm[0], 0.0);
  EXPECT_NEAR(near.Healthy[1], exact.Healthy[1], 1e-9);
  EXPECT_NEAR(near.Diseased[1], exact.Diseased[1], 1e-9);
  EXPECT_NEAR(near.DiseaseDeaths[1], exact.DiseaseDeaths[1], 1e-9);
}

TEST(BasicEquationsTest, KnownYears) {
  struct Case {
    const char* name;
    double i, r, f;
    double healthy, diseased, deaths;
  };
  const Case cases[] = {
      // Incidence alone: q = l = 0.1.
      {"incidence only", 0.1, 0.0, 0.0, 1000 * std::exp(-0.1), 1000 * (1 - std::exp(-0.1)), 0.0},
      // r = 0 and i = f: people fall ill and die although q = 0.
      {"double root", 0.01, 0.0, 0.01, 1000 * std::exp(-0.01), 10 * std::exp(-0.01),
       1000 - 1010 * std::exp(-0.01)},
      {"nothing happens", 0.0, 0.0, 0.0, 1000.0, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    ModelFixture fx(0);
    fx.SetHazards(c.i, c.r, c.f);
    Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                       fx.allCause, fx.log, 0.0);
    eq.Step(0);
    EXPECT_NEAR(eq.Healthy[1], c.healthy, 1e-9) << c.name;
    EXPECT_NEAR(eq.Diseased[1], c.diseased, 1e-9) << c.name;
    EXPECT_NEAR(eq.DiseaseDeaths[1], c.deaths, 1e-9) << c.name;
    EXPECT_EQ(fx.log.Count(), 0u) << c.name;
  }
  ModelFixture fx(0);
  fx.SetHazards(0.01, 0.0, 0.01);
  Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                     fx.allCause, fx.log, 0.0);
  eq.Step(0);
  EXPECT_NEAR(eq.Healthy[1], 990.0498, 1e-4);
}

TEST(BasicEquationsTest, BirthPrevalenceSetsTheCohortAtBirth) {
  ModelFixture fx(0);
  Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                     fx.allCause, fx.log, 1.0);
  EXPECT_EQ(eq.Healthy[0], 0.0);
  EXPECT_EQ(eq.Diseased[0], 1000.0);
  EXPECT_EQ(eq.DiseaseDeaths[0], 0.0);
  eq.Reset(0.25);
  EXPECT_EQ(eq.Healthy[0], 750.0);
  EXPECT_EQ(eq.Diseased[0], 250.0);
}

TEST(BasicEquationsTest, NoHazardsKeepBirthPrevalenceThroughLife) {
  ModelFixture fx;
  fx.disease.InputSeries[kPrevalence][kMales][0] = 0.05;
  fx.disease.CalculatePlain(fx.Env(), true);
  for (int a = 0; a <= fx.maxAge; ++a) {
    EXPECT_DOUBLE_EQ(fx.disease.ModelSeries[kPrevalence][kMales][a], 0.05) << a;
    EXPECT_EQ(fx.disease.ModelSeries[kMortality][kMales][a], 0.0) << a;
    EXPECT_EQ(fx.disease.ModelSeries[kRRMortality][kMales][a], 1.0) << a;
  }
  EXPECT_EQ(fx.log.Count(), 0u);
}

TEST(BasicEquationsTest, DerivedVariablesOfACohortBornDiseased) {
  // Everyone diseased at birth, no remission, no new cases: the deaths follow C' = -fC, so the
  // disease mortality is 2 tanh(f / 2) of those alive, all of whom are diseased.
  const double f = 0.3;
  const double allCause = 0.5;
  ModelFixture fx(0, allCause);
  fx.SetHazards(0.0, 0.0, f);
  Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                     fx.allCause, fx.log, 1.0);
  eq.Step(0);
  const auto& m = fx.disease.ModelSeries;
  const double mortality = 2.0 * std::tanh(f / 2.0);
  EXPECT_NEAR(m[kMortality][kMales][0], mortality, 1e-12);
  EXPECT_NEAR(eq.DiseaseMortality[0], mortality, 1e-12);
  EXPECT_DOUBLE_EQ(m[kPrevalence][kMales][0], 1.0);
  EXPECT_DOUBLE_EQ(m[kRRMortality][kMales][0], f / allCause + 1.0);
  EXPECT_EQ(fx.disease.PopRateIncidence[0], 0.0);
  // Step-level duration: the exit hazard is f plus the other-cause part of all-cause mortality.
  EXPECT_NEAR(m[kDuration][kMales][0], 1.0 / (f + allCause - mortality), 1e-12);
}

TEST(BasicEquationsTest, IncidenceAsPopulationRate) {
  ModelFixture fx(0);
  fx.SetHazards(0.2, 0.0, 0.0);
  Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                     fx.allCause, fx.log, 0.0);
  eq.Step(0);
  // New cases per person-year among all alive = i x mean healthy / mean alive.
  const double healthyMean = (1000.0 + eq.Healthy[1]) / 2.0;
  EXPECT_NEAR(fx.disease.PopRateIncidence[0], 0.2 * healthyMean / 1000.0, 1e-12);
  EXPECT_LT(fx.disease.PopRateIncidence[0], 0.2);
}

TEST(BasicEquationsTest, RepeatingAStepWithOtherHazardsGivesTheFreshResult) {
  // The fit changes the hazards of an age and steps it again: only the hazards of that age and
  // the cohort at that age may matter.
  ModelFixture fx(3);
  fx.SetHazards(0.02, 0.1, 0.05);
  Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                     fx.allCause, fx.log, 0.0);
  eq.Step(0);
  eq.Step(1);
  fx.SetHazardsAt(1, 0.5, 0.0, 0.3);
  eq.Step(1);
  const double healthy = eq.Healthy[2];
  const double prevalence = fx.disease.ModelSeries[kPrevalence][kMales][1];

  ModelFixture fresh(3);
  fresh.SetHazards(0.02, 0.1, 0.05);
  fresh.SetHazardsAt(1, 0.5, 0.0, 0.3);
  Tbasicequations eq2(fresh.disease.ModelSeries, fresh.disease.PopRateIncidence, fresh.disease.Sex,
                      fresh.allCause, fresh.log, 0.0);
  eq2.Step(0);
  eq2.Step(1);
  EXPECT_EQ(healthy, eq2.Healthy[2]);
  EXPECT_EQ(prevalence, fresh.disease.ModelSeries[kPrevalence][kMales][1]);
}

TEST(BasicEquationsTest, ZeroAllCauseMortalityStopsThatAgeAfterMortality) {
  ModelFixture fx(10);
  fx.SetHazards(0.01, 0.0, 0.02);
  fx.allCause[kMales][4] = 0.0;
  auto& m = fx.disease.ModelSeries;
  fx.disease.CalculatePlain(fx.Env(), false);
  EXPECT_EQ(fx.log.CountOf(kBasicEquationsError), 1u);
  EXPECT_EQ(fx.log.Lines().at(0), "  12:00:00# Internal error: basic equations");
  // Mortality of age 4 is written; RR mortality, prevalence and the population rate are not,
  // and keep what the calculation started with (the input series, all 0 here).
  EXPECT_GT(m[kMortality][kMales][4], 0.0);
  EXPECT_EQ(m[kRRMortality][kMales][4], 0.0);
  EXPECT_EQ(m[kPrevalence][kMales][4], 0.0);
  EXPECT_EQ(fx.disease.PopRateIncidence[4], 0.0);
  // The ages around it are calculated.
  for (int a : {3, 5, 10}) {
    EXPECT_GT(m[kPrevalence][kMales][a], 0.0) << a;
    EXPECT_GT(m[kRRMortality][kMales][a], 1.0) << a;
  }
}

TEST(BasicEquationsTest, OverflowingHazardLeavesTheYearUnwritten) {
  ModelFixture fx(2);
  fx.SetHazards(0.01, 0.0, 0.02);
  fx.SetHazardsAt(1, 1e200, 0.0, 0.02);
  Tbasicequations eq(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                     fx.allCause, fx.log, 0.0);
  eq.Step(0);
  const double before = eq.Healthy[2];
  eq.Step(1);
  EXPECT_EQ(fx.log.CountOf(kBasicEquationsError), 1u);
  EXPECT_EQ(eq.RootTerm[1], 0.0);
  EXPECT_EQ(eq.Healthy[2], before);
  for (int a = 0; a <= 2; ++a) {
    EXPECT_TRUE(std::isfinite(fx.disease.ModelSeries[kPrevalence][kMales][a])) << a;
  }
}

}  // namespace
}  // namespace kavrel
