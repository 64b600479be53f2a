// The fit over all ages at once, on inputs made from known smooth hazards through the model and
// published as a statistics office would: population-weighted means over five-year groups,
// rounded to three significant digits. An exact answer exists; the fit must find it.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/calc_options.h"
#include "core/engine/demo_disease.h"
#include "core/engine/disease.h"
#include "core/engine/fit_report.h"
#include "core/engine/processing.h"
#include "core/shell/calc_windows.h"

namespace kavrel {
namespace {

double ThreeDigits(double value) {
  if (value == 0.0) return 0.0;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2e", value);
  return std::stod(buffer);
}

struct Case {
  const char* Name;
  int MaxAge;
  std::vector<int> Given;  // the published variables
  bool IncidenceAsRate = false;
  bool Trends = false;
  bool ExactCaseFatality = false;  // case fatality given and not fitted
  double Remission = 0.0;          // the true remission, constant (0: given as 0 and exact)
  int Width = 5;                   // years per published group
};

struct Fixture {
  explicit Fixture(const Case& c)
      : maxAge(c.MaxAge), allCause(DemoAllCauseMortality(c.MaxAge)), disease("Synthetic") {
    for (int s = 0; s < kSexCount; ++s) {
      for (int a = 0; a <= kHighestPossibleAge; ++a)
        population[s][a] = 1000.0 * std::exp(-0.012 * a);
    }
  }
  ModelEnvironment Env() {
    return ModelEnvironment{maxAge, allCause, otherCause, log, &population};
  }

  // The truth through the model, then the published group figures of the given variables.
  void Publish(const Case& c) {
    Tdisease truth("truth");
    truth.Sex = kMales;
    truth.IncidenceIsHazard = true;
    for (int a = 0; a <= maxAge; ++a) {
      truth.InputSeries[kIncidence][kMales][a] = 0.00004 * std::exp(0.08 * a);
      truth.InputSeries[kRemission][kMales][a] = c.Remission;
      truth.InputSeries[kCaseFatality][kMales][a] = 0.005 * std::exp(0.045 * a);
    }
    if (c.Trends) {
      truth.Trends[0].Blocks = {{-20, 0, 0.985}};
      truth.TrendsOn = truth.CheckTrends();
      disease.Trends = truth.Trends;
      processing.TrendApplyChecked = true;
    }
    truth.CalculatePlain(Env(), false);
    hazards = truth.ModelSeries;
    disease.Sex = kMales;
    disease.IncidenceIsHazard = !c.IncidenceAsRate;
    std::vector<int> given = c.Given;
    if (c.Remission == 0.0) given.push_back(kRemission);
    for (int v : given) {
      const Series& source = v == kIncidence && c.IncidenceAsRate ? truth.PopRateIncidence
                                                                  : truth.ModelSeries[v][kMales];
      disease.InputPresent[v][kMales] = true;
      auto& rows = disease.InputRows[v][kMales];
      for (int lage = 0; lage <= maxAge; lage += c.Width) {
        const int hage = std::min(lage + c.Width, maxAge + 1);
        Tinputdat row;
        row.Index = static_cast<int>(rows.size());
        row.Lage = lage;
        row.Hage = hage;
        row.Waarde = ThreeDigits(GroupMean(source, lage, hage, maxAge, &population[kMales]));
        rows.push_back(row);
        for (int a = lage; a < hage; ++a) disease.InputSeries[v][kMales][a] = row.Waarde;
      }
    }
    options.FitMethod = 1;
    // The old ages' true incidence passes the default maximum of 0.1.
    options.MaximumValue[0] = "1";
    // The truth has nobody diseased at birth; the group mean of 0-4 is no birth prevalence.
    options.PrevalenceAtBirth = false;
    options.Exact = {false, c.Remission == 0.0, c.ExactCaseFatality};
  }

  bool Calculate() {
    simplex.WarnOnMaxIterations = false;
    simplex.AskMoreIterations = false;
    return RunCalculation(disease, Env(), OptionsOfWindows(options, simplex, processing), dialogs);
  }

  int maxAge;
  std::array<Series, kSexCount> allCause;
  std::array<Series, kSexCount> population{};
  std::array<Series, kSexCount> otherCause{};
  MessagesLog log{[] { return std::string("12:00:00"); }};
  CalcOptionsWindowState options;
  SimplexSettings simplex;
  ProcessingWindowState processing;
  ScriptedDialogs dialogs;
  Tdiseaseam disease;
  PerVariableAndSex<Series> hazards{};
};

class JointFitTest : public ::testing::TestWithParam<Case> {};

TEST_P(JointFitTest, ReproducesThePublishedGroupsAndRecoversTheHazards) {
  const Case& c = GetParam();
  Fixture f(c);
  f.Publish(c);
  ASSERT_TRUE(f.Calculate()) << (f.dialogs.Texts().empty() ? "" : f.dialogs.Texts().back());
  const FitReport report = BuildFitReport(f.disease, kMales, c.MaxAge, &f.population);
  ASSERT_FALSE(report.Rows.empty());
  for (const FitReportRow& row : report.Rows) {
    if (row.Deviation) {
      EXPECT_LT(std::fabs(*row.Deviation), 0.02)
          << kVariableDisplayNames[row.Variable] << " " << row.Label << ": input " << row.Input
          << ", output " << row.Output;
    }
  }
  // The hazards the inputs determine, at ages 20 to 90.
  for (int a = 20; a <= std::min(90, c.MaxAge); ++a) {
    for (int v : {kIncidence, kCaseFatality}) {
      if (v == kCaseFatality && c.ExactCaseFatality) continue;  // the published steps, as given
      const double truth = f.hazards[v][kMales][a];
      EXPECT_NEAR(f.disease.ModelSeries[v][kMales][a] / truth, 1.0, 0.05)
          << kVariableDisplayNames[v] << " at " << a;
    }
    if (c.Remission > 0.0) {
      EXPECT_NEAR(f.disease.ModelSeries[kRemission][kMales][a] / c.Remission, 1.0, 0.10)
          << "remission at " << a;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, JointFitTest,
    ::testing::Values(
        Case{"PrevalenceMortality", 100, {kPrevalence, kMortality}},
        Case{"PrevalenceDurationRRMortality",
             100,
             {kPrevalence, kDuration, kRRMortality},
             false,
             false,
             false,
             0.02},
        Case{"IncidenceRatePrevalence", 100, {kIncidence, kPrevalence, kMortality}, true},
        Case{"HighestAge85", 85, {kPrevalence, kMortality}},
        Case{"HighestAge110", 110, {kPrevalence, kMortality}},
        Case{"WithTrends", 100, {kPrevalence, kMortality}, false, true},
        Case{"ExactCaseFatality", 100, {kPrevalence, kCaseFatality}, false, false, true},
        // Ten-year groups leave the hazards between their middles to the smoothness.
        Case{"TenYearsPrevalenceDurationRRMortality",
             100,
             {kPrevalence, kDuration, kRRMortality},
             false,
             false,
             false,
             0.02,
             10},
        Case{"TenYearsWithTrends", 100, {kPrevalence, kMortality}, false, true, false, 0.0, 10}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.Name); });

// Inputs no hazards can reproduce (prevalence 30 % too high for the incidence and mortality): the
// fit gives a compromise between them, weighted as asked, and does not fail.
TEST(JointFitCompromise, InconsistentInputsSplitTheDifferenceByWeight) {
  Case c{"Inconsistent", 100, {kIncidence, kPrevalence, kMortality}};
  std::array<double, 2> prevalenceMiss{};
  for (int heavy = 0; heavy < 2; ++heavy) {
    Fixture f(c);
    f.Publish(c);
    // A large population, so that the misses are evidence against the fit.
    for (double& persons : f.population[kMales]) persons *= 100.0;
    for (auto& row : f.disease.InputRows[kPrevalence][kMales]) row.Waarde *= 1.3;
    for (double& value : f.disease.InputSeries[kPrevalence][kMales]) value *= 1.3;
    f.options.Weight[kPrevalence] = heavy == 1 ? 20 : 1;
    // The messages window names the worst group beyond the preference's threshold.
    f.options.FitReportPercent = heavy == 1 ? 50 : 5;
    const std::size_t before = f.log.Count();
    ASSERT_TRUE(f.Calculate());
    EXPECT_EQ(f.log.Count() > before, heavy == 0);
    const FitReport report = BuildFitReport(f.disease, kMales, 100, &f.population);
    double prevalence = 0.0;
    double incidence = 0.0;
    for (const FitReportRow& row : report.Rows) {
      if (row.Lage != 60) continue;
      if (row.Variable == kPrevalence) prevalence = *row.Deviation;
      if (row.Variable == kIncidence) incidence = *row.Deviation;
    }
    EXPECT_LT(prevalence, 0.0);  // neither input met...
    EXPECT_GT(incidence, 0.0);   // ...the two missed from either side
    prevalenceMiss[heavy] = std::fabs(prevalence);
    for (int a = 0; a <= 100; ++a) {
      EXPECT_TRUE(std::isfinite(f.disease.OutputSeries[kPrevalence][kMales][a]));
    }
  }
  EXPECT_LT(prevalenceMiss[1], prevalenceMiss[0] / 3);  // more weight, closer
}

// A smoothness that is no number stops the calculation with a message before anything changes.
TEST(JointFitOptions, ASmoothnessThatIsNoNumberIsRefused) {
  Case c{"Refused", 100, {kPrevalence, kMortality}};
  for (const char* text : {"abc", "-1", "Auto"}) {
    Fixture f(c);
    f.Publish(c);
    f.options.FitSmoothness = text;
    EXPECT_FALSE(f.Calculate()) << text;
    ASSERT_FALSE(f.dialogs.Texts().empty());
    EXPECT_EQ(f.dialogs.Texts().back(),
              "The smoothness of the fit over all ages is not a valid number (0 or more) nor "
              "\"Automatic\"");
    EXPECT_FALSE(f.disease.Calculated[kMales]);
  }
  // The automatic choice, however written.
  for (const char* text : {"Automatic", " automatic ", ""}) {
    Fixture f(c);
    f.Publish(c);
    f.options.FitSmoothness = text;
    EXPECT_TRUE(f.Calculate()) << text;
  }
}

// The report's group means by hand: two ages, populations 100 and 300.
TEST(FitReportTest, GroupMeansWeightedByPersons) {
  Tdisease d("d");
  d.Sex = kMales;
  d.InputPresent[kPrevalence][kMales] = true;
  Tinputdat row;
  row.Lage = 10;
  row.Hage = 12;
  row.Waarde = 0.02;
  d.InputRows[kPrevalence][kMales] = {row};
  d.InputSeries[kPrevalence][kMales][10] = 0.02;
  d.InputSeries[kPrevalence][kMales][11] = 0.02;
  d.OutputSeries[kPrevalence][kMales][10] = 0.01;
  d.OutputSeries[kPrevalence][kMales][11] = 0.03;
  std::array<Series, kSexCount> persons{};
  persons[kMales][10] = 100.0;
  persons[kMales][11] = 300.0;
  const FitReport report = BuildFitReport(d, kMales, 100, &persons);
  ASSERT_EQ(report.Rows.size(), 1u);
  EXPECT_EQ(report.Rows[0].Label, "10-11");
  EXPECT_DOUBLE_EQ(report.Rows[0].Output, (0.01 * 100 + 0.03 * 300) / 400);  // 0.025
  EXPECT_NEAR(*report.Rows[0].Deviation, 0.25, 1e-12);
  EXPECT_EQ(FitReportCsv(report),
            "Variable,Age group,Input,Output,Deviation,Difference,Standardised residual,Count,"
            "Denominator,Lower,Upper\nPrevalence,10-11,0.02,0.025,0.25,0.005000000000000001,"
            "-0.6632813141651478,,,,\n");
  // 8 cases implied among 400 persons against 10 expected: half a standard error, no warning
  // however large the deviation.
  EXPECT_FALSE(FitReportWarning(report, "Asthma", kMales, 0.10).has_value());
  // The same miss among 40,000 persons is evidence: named with the method.
  persons[kMales][10] = 10000.0;
  persons[kMales][11] = 30000.0;
  FitReport many = BuildFitReport(d, kMales, 100, &persons);
  many.Method = "per age group";
  const auto line = FitReportWarning(many, "Asthma", kMales, 0.10);
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(*line,
            "Fit of Asthma, Males (per age group): Prevalence 10-11 input 0.02, output 0.025 "
            "(+25.0 %, 6.6 standard errors); 1 group beyond 10 %");
  EXPECT_FALSE(FitReportWarning(many, "Asthma", kMales, 0.30).has_value());
  // The precision given with the group decides: 2 cases of 100 persons.
  d.InputRows[kPrevalence][kMales][0].Precision = {InputPrecision::Kind::kCount, 2, 100, 0, 0};
  const FitReport counted = BuildFitReport(d, kMales, 100, &persons);
  EXPECT_NEAR(
      *counted.Rows[0].Residual,
      PrecisionResidual(kPrevalence, 0.02, 0.025, {InputPrecision::Kind::kCount, 2, 100, 0, 0}),
      1e-12);
  EXPECT_LT(std::fabs(*counted.Rows[0].Residual), 0.5);
  EXPECT_NE(FitReportCsv(counted).find(",2,100,,\n"), std::string::npos);
  // An input of 0: the difference and the standard errors, and it can be the worst group.
  d.InputRows[kPrevalence][kMales][0].Precision = {};
  d.InputSeries[kPrevalence][kMales][10] = 0.0;
  d.InputSeries[kPrevalence][kMales][11] = 0.0;
  const FitReport zero = BuildFitReport(d, kMales, 100, &persons);
  EXPECT_FALSE(zero.Rows[0].Deviation.has_value());
  EXPECT_DOUBLE_EQ(zero.Rows[0].Difference, 0.025);
  ASSERT_TRUE(zero.Rows[0].Residual.has_value());
  EXPECT_LT(*zero.Rows[0].Residual, -2.0);
  EXPECT_EQ(zero.Worst(), &zero.Rows[0]);
  EXPECT_EQ(zero.Beyond(0.10).size(), 1u);
}

// The worst group is the one that weighs most against the fit, not the largest relative miss of
// a tiny input; a hazard held at its maximum is said with its ages.
TEST(FitReportTest, WorstByEvidenceAndHazardsAtTheirMaximum) {
  Tdisease d("d");
  d.Sex = kMales;
  d.InputPresent[kMortality][kMales] = true;
  std::array<Series, kSexCount> persons{};
  for (int a = 0; a <= 100; ++a) persons[kMales][a] = 10000.0;
  // Age 28: 1.15e-05 fitted as 7.5e-05 (+552 %, a fraction of a death among 10,000 persons);
  // age 80: 0.05 fitted as 0.045 (-10 %, 50 deaths fewer).
  const struct {
    int age;
    double input;
    double output;
  } groups[] = {{28, 1.15e-05, 7.5e-05}, {80, 0.05, 0.045}};
  for (const auto& g : groups) {
    Tinputdat row;
    row.Lage = g.age;
    row.Hage = g.age + 1;
    row.Waarde = g.input;
    d.InputRows[kMortality][kMales].push_back(row);
    d.InputSeries[kMortality][kMales][g.age] = g.input;
    d.OutputSeries[kMortality][kMales][g.age] = g.output;
  }
  FitReport report = BuildFitReport(d, kMales, 100, &persons);
  ASSERT_NE(report.Worst(), nullptr);
  EXPECT_EQ(report.Worst()->Lage, 80);
  // Case fatality held at its maximum of 2 at ages 48-54 and at 100; remission given exactly.
  for (int a = 48; a <= 54; ++a) d.ModelSeries[kCaseFatality][kMales][a] = 2.03;
  d.ModelSeries[kCaseFatality][kMales][100] = 2.0;
  d.ModelSeries[kRemission][kMales].fill(0.9);
  report.AtMaximum = HazardsAtMaximum(d, kMales, 100, {0.1, 0.5, 2.0}, {false, true, false});
  ASSERT_EQ(report.AtMaximum.size(), 1u);
  report.Method = "all ages at once, smoothness 0.5 chosen from the data";
  EXPECT_EQ(FitReportWarning(report, "Gout", kMales, 0.10),
            "Fit of Gout, Males (all ages at once, smoothness 0.5 chosen from the data): Mortality "
            "80 input 0.05, output 0.045 (-10.0 %, 2.3 standard errors); 1 group beyond 10 %; Case "
            "fatality at its maximum of 2 at ages 48-54, 100");
}

}  // namespace
}  // namespace kavrel
