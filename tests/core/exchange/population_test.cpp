#include "core/exchange/population.h"

#include <cmath>

#include <gtest/gtest.h>

#include "core/base/messages_log.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

struct PopulationTest : StoreFixture {
  void SetUp() override { OpenNewDataset("Set.mdb", 100); }

  void Mortality(int lage, int hage, double males, double females) {
    data.ExecDataset("insert into TotalMortality values (" + std::to_string(lage) + ", " +
                     std::to_string(hage) + ", " + StatementReal(males) + ", " +
                     StatementReal(females) + ")");
  }
  // Groups 0, 1-4, 5-9, ..., up to the group starting at last, with a Gompertz-like rate.
  void LifeTable(int last, int lastHage) {
    Mortality(0, 1, 0.005, 0.004);
    Mortality(1, 5, 0.0004, 0.0003);
    for (int a = 5; a <= last; a += 5) {
      const double rate = 0.00005 * std::exp(0.09 * (a + 2));
      Mortality(a, a == last ? lastHage : a + 5, rate, 0.7 * rate);
    }
  }

  MessagesLog log;
  PopulationSeries population;
};

TEST_F(PopulationTest, SplineBelowTheOpenGroupAndTheOldAgeCurveAbove) {
  LifeTable(85, 101);  // 85+ as the open top group
  ASSERT_EQ(LoadMortality(population, data, dialogs, log, 100), PopulationLoad::kLoaded);
  EXPECT_EQ(population.LastSplineAge, 84);
  const auto& males = population.AllCauseMortality[kMales];
  // The spline passes through its nodes: group 0 at age 0, 1-4 at 2.5, 5-9 at 7, ...
  EXPECT_NEAR(males[0], 0.005, 1e-12);
  EXPECT_NEAR(males[7], 0.00005 * std::exp(0.09 * 7), 1e-12);
  EXPECT_NEAR(males[82], 0.00005 * std::exp(0.09 * 82), 1e-10);
  // Above 84 the curve carries on rising, below the data's own steepness at most.
  for (int a = 85; a <= 100; ++a) {
    EXPECT_GT(males[a], males[a - 1]) << a;
    EXPECT_LT(males[a], 1.0) << a;
  }
  EXPECT_LT(population.AllCauseMortality[kFemales][90], males[90]);
}

TEST_F(PopulationTest, ASingleYearTopGroupMakesEveryGroupANode) {
  LifeTable(95, 100);
  Mortality(100, 101, 0.4, 0.3);
  ASSERT_EQ(LoadMortality(population, data, dialogs, log, 100), PopulationLoad::kLoaded);
  EXPECT_EQ(population.LastSplineAge, 100);
  EXPECT_NEAR(population.AllCauseMortality[kMales][100], 0.4, 1e-12);
}

TEST_F(PopulationTest, MissingOrUnusableMortality) {
  dialogs.Push(DialogButton::kNo);
  EXPECT_EQ(LoadMortality(population, data, dialogs, log, 100), PopulationLoad::kMissing);
  EXPECT_EQ(dialogs.Texts().back(), kMortalityMissingQuestion);
  dialogs.Push(DialogButton::kYes);
  EXPECT_EQ(LoadMortality(population, data, dialogs, log, 100), PopulationLoad::kProvideNow);

  LifeTable(95, 101);
  data.ExecDataset("update TotalMortality set Females=0 where Lage=40");
  EXPECT_EQ(LoadMortality(population, data, dialogs, log, 100), PopulationLoad::kFailed);
  EXPECT_EQ(dialogs.Texts().back(),
            "The total mortality of Females at ages 40-44 is not above 0, so it cannot be "
            "converted to single years of age.");
  for (int a = 0; a <= 100; ++a) {
    EXPECT_TRUE(std::isfinite(population.AllCauseMortality[kFemales][a])) << a;
  }
}

TEST_F(PopulationTest, PopulationNumbersAreSpreadEvenly) {
  data.ExecDataset("insert into Population values (0, 5, 5000, 4800)");
  data.ExecDataset("insert into Population values (5, 90, 850000, 900000)");
  population.AllCauseMortality[kMales][3] = 0.25;
  ASSERT_EQ(LoadPopulation(population, data, dialogs, 100), PopulationLoad::kLoaded);
  for (int a = 0; a <= 4; ++a) EXPECT_EQ(population.PopulationNumbers[kMales][a], 1000.0);
  EXPECT_EQ(population.PopulationNumbers[kFemales][4], 960.0);
  EXPECT_EQ(population.PopulationNumbers[kMales][89], 10000.0);
  EXPECT_EQ(population.PopulationNumbers[kMales][90], 0.1);  // no group covers the top ages
  EXPECT_EQ(population.AllCauseMortality[kMales][3], 0.25);  // mortality untouched

  PopulationSeries empty;
  dialogs.Push(DialogButton::kNo);
  data.ExecDataset("delete * from Population");
  EXPECT_EQ(LoadPopulation(empty, data, dialogs, 100), PopulationLoad::kMissing);
  EXPECT_EQ(dialogs.Texts().back(), kPopulationMissingQuestion);
}

}  // namespace
}  // namespace kavrel
