#include <cmath>

#include <gtest/gtest.h>

#include "core/engine/basic_equations.h"
#include "core/engine/disease.h"
#include "engine/model_fixture.h"

namespace kavrel {
namespace {

using testing::ModelFixture;

Ttrendhazard Blocks(std::initializer_list<Trendblok> blocks) { return Ttrendhazard{blocks}; }

TEST(TrendFactorTest, YearsInsideAndBeforeTheBlocks) {
  const auto one = Blocks({{-10, 0, 1.02}});
  const auto two = Blocks({{-10, 0, 1.02}, {-20, -11, 1.05}});
  struct Case {
    const Ttrendhazard* trend;
    int t;
    double factor;
  };
  const Case cases[] = {
      {&one, 0, 1.0},
      {&one, -5, 1.0 / std::pow(1.02, 5)},
      {&one, -10, 1.0 / std::pow(1.02, 10)},
      {&one, -30, 1.0 / std::pow(1.02, 10)},
      // The year between -11 and -10 carries no change.
      {&two, -10, 1.0 / std::pow(1.02, 10)},
      {&two, -11, 1.0 / std::pow(1.02, 10)},
      {&two, -15, 1.0 / (std::pow(1.02, 10) * std::pow(1.05, 4))},
      {&two, -20, 1.0 / (std::pow(1.02, 10) * std::pow(1.05, 9))},
      {&two, -60, 1.0 / (std::pow(1.02, 10) * std::pow(1.05, 9))},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(TrendFactor(*c.trend, c.t), c.factor, 1e-14) << c.t;
  }
  EXPECT_EQ(TrendFactor(Ttrendhazard{}, -7), 1.0);
}

TEST(TrendFactorTest, CheckFindsTheEarliestYear) {
  Tdisease d("x");
  EXPECT_FALSE(d.CheckTrends());
  EXPECT_EQ(d.TrendStart, 0);
  d.Trends[2].Blocks = {{-5, 0, 1.1}, {-12, -6, 0.9}};
  d.Trends[0].Blocks = {{-8, -1, 1.02}};
  EXPECT_TRUE(d.CheckTrends());
  EXPECT_EQ(d.TrendStart, -12);
}

// The trend model at age a must equal the plain model run along the cohort's own history: at age
// k the hazards of calendar year k - a, or of the first trend year before it.
void ExpectCohortHistory(int a, int trendStart) {
  ModelFixture trend(a);
  trend.SetHazards(0.02, 0.05, 0.03);
  for (int k = 0; k <= a; ++k) trend.SetHazardsAt(k, 0.001 * (k + 1), 0.05, 0.01 + 0.001 * k);
  trend.disease.Trends[0].Blocks = {{-10, 0, 1.02}, {-20, -11, 1.05}};
  trend.disease.Trends[2].Blocks = {{trendStart, -3, 0.97}};
  ASSERT_TRUE(trend.disease.CheckTrends());
  ASSERT_EQ(trend.disease.TrendStart, trendStart);
  Tdynbasicequations dyn(trend.disease.ModelSeries, trend.disease.PopRateIncidence,
                         trend.disease.Sex, trend.allCause, trend.log, 0.0,
                         trend.disease.TrendStart,
                         [&](int h, int t) { return trend.disease.TrendFactor(h, t); });
  dyn.Step(a);

  ModelFixture plain(a);
  for (int k = 0; k <= a; ++k) {
    const int year = std::max(k - a, trendStart);
    const auto& m = trend.disease.ModelSeries;
    plain.SetHazardsAt(k, m[kIncidence][kMales][k] * trend.disease.TrendFactor(0, year),
                       m[kRemission][kMales][k] * trend.disease.TrendFactor(1, year),
                       m[kCaseFatality][kMales][k] * trend.disease.TrendFactor(2, year));
  }
  Tbasicequations eq(plain.disease.ModelSeries, plain.disease.PopRateIncidence, plain.disease.Sex,
                     plain.allCause, plain.log, 0.0);
  for (int k = 0; k <= a; ++k) eq.Advance(k);
  EXPECT_NEAR(dyn.Healthy[a + 1], eq.Healthy[a + 1], 1e-9) << a;
  EXPECT_NEAR(dyn.Diseased[a + 1], eq.Diseased[a + 1], 1e-9) << a;
  EXPECT_NEAR(dyn.DiseaseDeaths[a + 1], eq.DiseaseDeaths[a + 1], 1e-9) << a;
  EXPECT_EQ(trend.log.Count(), 0u);
}

TEST(TrendModelTest, EachAgeFollowsItsOwnCohort) {
  // Born after the first trend year (n <= 0), born exactly then, and born long before it.
  for (int a : {0, 15, 20, 30, 40, 100}) ExpectCohortHistory(a, -20);
}

TEST(TrendModelTest, FactorsDuringAStep) {
  // Incidence block -10 ... 0 of 1.02: the cohort aged 30 ends its step at the present factor 1.
  ModelFixture fx(30);
  fx.SetHazards(0.01, 0.0, 0.01);
  fx.disease.Trends[0].Blocks = {{-10, 0, 1.02}};
  fx.disease.CheckTrends();
  Tdynbasicequations dyn(fx.disease.ModelSeries, fx.disease.PopRateIncidence, fx.disease.Sex,
                         fx.allCause, fx.log, 0.0, fx.disease.TrendStart,
                         [&](int h, int t) { return fx.disease.TrendFactor(h, t); });
  dyn.Step(30);
  EXPECT_EQ(dyn.IncidenceFactor(), 1.0);
  EXPECT_EQ(dyn.RemissionFactor(), 1.0);
  dyn.Step(25);
  EXPECT_EQ(dyn.IncidenceFactor(), 1.0);
}

TEST(TrendModelTest, UnitTrendsReproduceThePlainModel) {
  ModelFixture plain(100);
  ModelFixture trend(100);
  for (auto* fx : {&plain, &trend}) {
    for (int a = 0; a <= 100; ++a) fx->SetHazardsAt(a, 0.0005 * std::exp(0.05 * a), 0.02, 0.03);
    fx->disease.InputSeries[kPrevalence][kMales][0] = 0.002;
  }
  trend.disease.Trends[1].Blocks = {{-30, 0, 1.0}};
  trend.disease.TrendsOn = trend.disease.CheckTrends();
  ASSERT_TRUE(trend.disease.TrendsOn);
  plain.disease.CalculatePlain(plain.Env(), true);
  trend.disease.CalculatePlain(trend.Env(), true);
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= 100; ++a) {
      EXPECT_NEAR(trend.disease.ModelSeries[v][kMales][a], plain.disease.ModelSeries[v][kMales][a],
                  1e-12 * std::max(1.0, std::fabs(plain.disease.ModelSeries[v][kMales][a])))
          << v << " " << a;
    }
  }
}

TEST(TrendModelTest, RisingIncidenceMeansLessPrevalenceThanTheStationaryModel) {
  // Incidence rose 3 % a year: the old lived their youth at lower incidence, so today's
  // prevalence is below what present incidence alone would build up.
  ModelFixture plain(80);
  ModelFixture trend(80);
  for (auto* fx : {&plain, &trend}) fx->SetHazards(0.01, 0.0, 0.02);
  trend.disease.Trends[0].Blocks = {{-40, 0, 1.03}};
  trend.disease.TrendsOn = trend.disease.CheckTrends();
  plain.disease.CalculatePlain(plain.Env(), false);
  trend.disease.CalculatePlain(trend.Env(), false);
  EXPECT_NEAR(trend.disease.ModelSeries[kPrevalence][kMales][0],
              plain.disease.ModelSeries[kPrevalence][kMales][0], 1e-12);
  for (int a = 5; a <= 80; a += 5) {
    EXPECT_LT(trend.disease.ModelSeries[kPrevalence][kMales][a],
              plain.disease.ModelSeries[kPrevalence][kMales][a])
        << a;
  }
}

}  // namespace
}  // namespace kavrel
