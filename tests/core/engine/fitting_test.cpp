#include <cmath>
#include <numeric>

#include <gtest/gtest.h>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/basic_equations.h"
#include "core/engine/calc_options.h"
#include "core/engine/demo_disease.h"
#include "core/engine/disease.h"
#include "core/engine/fitter.h"
#include "core/engine/processing.h"
#include "core/shell/calc_windows.h"

namespace kavrel {
namespace {

// A fitting disease whose model and highest age a test can set up, to evaluate the criterion
// of one age group by itself.

// A population with a life-table mortality, the windows at their defaults, and scripted dialogs.
struct FitFixture : ::testing::Test {
  explicit FitFixture(int maxAge = 100) : maxAge(maxAge), allCause(DemoAllCauseMortality(maxAge)) {}

  ModelEnvironment Env() { return ModelEnvironment{maxAge, allCause, otherCause, log, nullptr}; }
  // What a calculation from the windows as they stand uses.
  CalcOptions Options() const { return OptionsOfWindows(options, simplex, processing); }

  // Inputs of the listed variables taken from a plain calculation with known hazards, so that a
  // fit has an exact answer to find.
  template <typename Hazards>
  void InputsFromModel(Tdisease& disease, Hazards hazards, std::initializer_list<int> given) {
    Tdisease truth("truth");
    truth.Sex = disease.Sex;
    for (int a = 0; a <= maxAge; ++a) {
      hazards(a, truth.InputSeries[kIncidence][truth.Sex][a],
              truth.InputSeries[kRemission][truth.Sex][a],
              truth.InputSeries[kCaseFatality][truth.Sex][a]);
    }
    truth.CalculatePlain(Env(), false);
    expected = truth.ModelSeries;
    for (int v : given) {
      disease.InputPresent[v][disease.Sex] = true;
      disease.InputSeries[v][disease.Sex] = truth.ModelSeries[v][truth.Sex];
    }
  }

  int maxAge;
  MessagesLog log{[] { return std::string("12:00:00"); }};
  std::array<Series, kSexCount> allCause;
  std::array<Series, kSexCount> otherCause{};
  CalcOptionsWindowState options;
  SimplexSettings simplex;
  ProcessingWindowState processing;
  ScriptedDialogs dialogs;
  PerVariableAndSex<Series> expected{};
};

void IhdHazards(int a, double& i, double& r, double& f) {
  i = 0.00003 * std::exp(0.085 * a);
  r = 0.0;
  f = 0.004 * std::exp(0.05 * a);
}

using FittingTest = FitFixture;

TEST_F(FittingTest, ErrorTermCases) {
  Tdiseaseam d("d");
  const ModelEnvironment env = Env();
  const CalcOptions calcOptions = Options();
  Tfitter f(d, env, calcOptions);
  f.Weights[kMales] = {11, 21, 1, 1, 31, 1, 1};
  d.InputSeries[kPrevalence][kMales][10] = 0.02;
  f.Model[kPrevalence][kMales][10] = 0.03;
  EXPECT_NEAR(f.ErrorTerm(kPrevalence, 10), 21 * 0.25, 1e-12);  // w (m/x - 1)^2
  f.Model[kDuration][kMales][10] = 0.004;                       // input 0 pulls the model to 0
  EXPECT_NEAR(f.ErrorTerm(kDuration, 10), 31 * 16.0, 1e-9);
  // Incidence given as a rate in the population is compared with the model's population rate.
  d.InputSeries[kIncidence][kMales][10] = 0.001;
  f.Model[kIncidence][kMales][10] = 0.002;
  f.PopRate[10] = 0.0009;
  EXPECT_NEAR(f.ErrorTerm(kIncidence, 10), 11 * 1.0, 1e-12);
  d.IncidenceIsHazard = false;
  EXPECT_NEAR(f.ErrorTerm(kIncidence, 10), 11 * 0.01, 1e-12);
}

// Each term of the criterion by itself, on one age group of width 1 at age 30.
TEST_F(FittingTest, CriterionTermsOneByOne) {
  Tdiseaseam d("d");
  const ModelEnvironment env = Env();
  const CalcOptions calcOptions = Options();
  Tfitter f(d, env, calcOptions);
  f.AgeGroupWidth = 1;
  f.CurrentAgeGroup = 30;
  f.PrepareModel();
  f.Weights[kMales].fill(1.0);
  f.HazardMax = {1.0, 0, 1.0, 1.0};
  f.EnforceWeight = {10, 0, 10, 10};
  f.ParamCount = 3;
  f.ParamVar = {kIncidence, kRemission, kCaseFatality};
  const std::array<double, 3> p = {std::log(0.01), std::log(0.1), std::log(0.05)};

  // Nothing available and every hazard below its maximum: no term at all.
  f.Cost(p);
  EXPECT_EQ(f.FitCriterion, 0.0);
  EXPECT_NEAR(f.Model[kIncidence][kMales][30], 0.01, 1e-15);

  // A hazard above its maximum: (hazard - maximum) x (enforcement + 0.5).
  f.HazardMax[kRemission] = 0.04;
  f.Cost(p);
  EXPECT_NEAR(f.FitCriterion, (0.1 - 0.04) * 10.5, 1e-12);
  f.HazardMax[kRemission] = 1.0;

  // An available variable adds its error term.
  f.Available[kPrevalence][kMales] = true;
  d.InputSeries[kPrevalence][kMales][30] = 0.05;
  f.Cost(p);
  const double prevalence = f.Model[kPrevalence][kMales][30];
  EXPECT_NEAR(f.FitCriterion, std::pow(prevalence / 0.05 - 1.0, 2), 1e-12);
  f.Available[kPrevalence][kMales] = false;

  // Mortality available without case fatality: 100 x case fatality where mortality input is 0,
  // besides mortality's own term (w (1000 m)^2 at input 0).
  f.Available[kMortality][kMales] = true;
  f.Cost(p);
  const double mortality = f.Model[kMortality][kMales][30];
  EXPECT_NEAR(f.FitCriterion, std::pow(1000 * mortality, 2) + 100 * 0.05, 1e-9);
  f.Available[kMortality][kMales] = false;

  // The floor penalty: a parameter below -12 where the data show disease, here prevalence above
  // 0 (incidence, remission and case fatality all count it).
  f.Available[kPrevalence][kMales] = true;
  const std::array<double, 3> low = {-13.0, -14.0, std::log(0.05)};
  f.Cost(low);
  const double lowPrevalence = f.Model[kPrevalence][kMales][30];
  EXPECT_NEAR(f.FitCriterion, std::pow(lowPrevalence / 0.05 - 1.0, 2) + 1.0 + 4.0, 1e-9);
}

// Incidence, prevalence and remission (0) made from known hazards: the fit is run (prevalence's
// course gives case fatality) and finds case fatality where prevalence carries it.
TEST_F(FittingTest, CaseFatalityFromIncidencePrevalenceAndRemission) {
  Tdiseaseam d("IHD");
  InputsFromModel(d, IhdHazards, {kIncidence, kPrevalence, kRemission});
  options.Exact = {true, true, false};
  ASSERT_TRUE(RunCalculation(d, Env(), Options(), dialogs))
      << (dialogs.Texts().empty() ? "" : dialogs.Texts().back());
  for (int a = 40; a <= 85; a += 5) {
    EXPECT_NEAR(d.ModelSeries[kPrevalence][kMales][a] / expected[kPrevalence][kMales][a], 1.0, 0.05)
        << a;
    EXPECT_NEAR(d.ModelSeries[kCaseFatality][kMales][a] / expected[kCaseFatality][kMales][a], 1.0,
                0.25)
        << a;
  }
}

// The fit reads the disease and gives its result back: the disease is as it was until the
// calculation takes the result, which is then exactly what the fit returned.
TEST_F(FittingTest, TheFitReadsTheDiseaseAndReturnsItsResult) {
  Tdiseaseam d("IHD");
  InputsFromModel(d, IhdHazards, {kPrevalence, kMortality, kRemission});
  const auto before = d.ModelSeries;
  const ModelEnvironment env = Env();
  const CalcOptions calcOptions = Options();
  const Tdisease& readOnly = d;
  const FitResult result = Tfitter(readOnly, env, calcOptions).Run(dialogs);
  EXPECT_EQ(d.ModelSeries, before);
  EXPECT_GT(result.Model[kPrevalence][kMales][60], 0.0);
  ASSERT_TRUE(d.Calculate(env, calcOptions, dialogs));
  EXPECT_EQ(d.ModelSeries, result.Model);
  EXPECT_EQ(d.PopRateIncidence, result.PopRateIncidence);
}

TEST_F(FittingTest, AgeGroupsAndTheirEnds) {
  Tdiseaseam d("d");
  maxAge = 85;
  const ModelEnvironment env = Env();
  const CalcOptions calcOptions = Options();
  Tfitter f(d, env, calcOptions);
  EXPECT_EQ(f.AgeGroupWidth, 6);  // the options' default width
  EXPECT_EQ(85 / 6 + 1, 15);      // 15 groups
  EXPECT_EQ(f.AgeGroupEnd(0), 5);
  EXPECT_EQ(f.AgeGroupEnd(13), 83);
  EXPECT_EQ(f.AgeGroupEnd(14), 85);  // the last group: ages 84 and 85
}

TEST_F(FittingTest, SmoothingAnchorsAndWindows) {
  Series ramp{};
  for (int a = 0; a <= 100; ++a) ramp[a] = (a % 6 == 3) ? 1.0 * a : 0.0;  // values at 3, 9, 15
  Series linear = ramp;
  Tdiseaseam::SmoothLinear(linear, 6, 100);
  for (int a = 0; a <= 3; ++a) EXPECT_EQ(linear[a], ramp[a]) << a;      // ages 0 ... h keep
  for (int a = 3; a <= 99; ++a) EXPECT_NEAR(linear[a], a, 1e-12) << a;  // lines through anchors
  EXPECT_EQ(linear[100], ramp[100]);  // after the last anchor (99) values keep
  Series five{};
  for (int a = 0; a <= 100; ++a) five[a] = (a % 5 == 2) ? 2.0 * a : 0.0;  // anchors 2, 7, 12
  Tdiseaseam::SmoothLinear(five, 5, 100);
  EXPECT_NEAR(five[5], 10.0, 1e-12);

  Series bumps{};
  for (int a = 0; a <= 100; ++a) bumps[a] = a * a;
  Series seven = bumps;
  Tdiseaseam::SmoothMovingAverage(seven, 6, 100);  // even width: windows of 7
  const auto mean = [&bumps](int from, int to) {
    double s = 0;
    for (int a = from; a <= to; ++a) s += bumps[a];
    return s / (to - from + 1);
  };
  EXPECT_EQ(seven[0], 0.0);
  EXPECT_NEAR(seven[1], mean(0, 2), 1e-9);  // growing windows at the start
  EXPECT_NEAR(seven[2], mean(0, 4), 1e-9);
  EXPECT_NEAR(seven[3], mean(0, 6), 1e-9);
  EXPECT_NEAR(seven[50], mean(47, 53), 1e-9);
  EXPECT_NEAR(seven[98], mean(96, 100), 1e-9);  // shrinking windows at the end
  EXPECT_NEAR(seven[99], mean(98, 100), 1e-9);
  EXPECT_EQ(seven[100], bumps[100]);
  Series window5 = bumps;
  Tdiseaseam::SmoothMovingAverage(window5, 5, 100);
  EXPECT_NEAR(window5[50], mean(48, 52), 1e-9);

  // The spline passes through its knots (0, 3, 9, ..., 99, 100) and cuts negative values to 0.
  Series wave{};
  for (int a = 0; a <= 100; ++a) wave[a] = std::sin(a / 7.0) - 0.2;
  Series spline = wave;
  Tdiseaseam::SmoothSpline(spline, 6, 100);
  for (int knot : {0, 3, 9, 51, 93, 100}) {
    EXPECT_NEAR(spline[knot], std::max(0.0, wave[knot]), 1e-12) << knot;
  }
  for (double v : spline) EXPECT_GE(v, 0.0);
}

TEST_F(FittingTest, HazardsOnlyFallBackToThePlainCalculation) {
  Tdiseaseam fitted("fitted");
  Tdisease plain("plain");
  FillDemoHazards(fitted, maxAge);
  FillDemoHazards(plain, maxAge);
  for (int v : {kIncidence, kRemission, kCaseFatality}) fitted.InputPresent[v][kMales] = true;
  auto controls = Options();
  ASSERT_TRUE(fitted.Calculate(Env(), controls, dialogs));
  const auto fittedOther = otherCause;
  plain.CalculatePlain(Env(), options.PrevalenceAtBirth);
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= maxAge; ++a) {
      EXPECT_EQ(fitted.ModelSeries[v][kMales][a], plain.ModelSeries[v][kMales][a]);
    }
  }
  EXPECT_EQ(fittedOther, otherCause);
  EXPECT_EQ(log.Count(), 0);
  // The window settings are kept in the disease's options record.
  EXPECT_EQ(fitted.CalcSettings.Records[kMales].CuSplinesmooth, false);
}

// Incidence given as a rate in the whole population with remission and case fatality: the model's
// population rate reproduces the input at every age, the hazard lies above it by the share with
// the disease, and the input itself is left as entered.
TEST_F(FittingTest, HazardsOnlyWithIncidenceAsAPopulationRate) {
  Tdiseaseam truth("truth");
  FillDemoHazards(truth, maxAge);
  truth.CalculatePlain(Env(), false);
  Tdiseaseam fitted("fitted");
  FillDemoHazards(fitted, maxAge);
  fitted.IncidenceIsHazard = false;
  fitted.InputSeries[kIncidence][kMales] = truth.PopRateIncidence;
  for (int v : {kIncidence, kRemission, kCaseFatality}) fitted.InputPresent[v][kMales] = true;
  options.PrevalenceAtBirth = false;
  auto controls = Options();
  ASSERT_TRUE(fitted.Calculate(Env(), controls, dialogs));
  EXPECT_EQ(fitted.InputSeries[kIncidence][kMales], truth.PopRateIncidence);
  for (int a = 0; a <= maxAge; ++a) {
    EXPECT_NEAR(fitted.PopRateIncidence[a], truth.PopRateIncidence[a],
                1e-10 * truth.PopRateIncidence[a])
        << a;
    EXPECT_NEAR(fitted.ModelSeries[kIncidence][kMales][a], truth.ModelSeries[kIncidence][kMales][a],
                1e-9 * truth.ModelSeries[kIncidence][kMales][a])
        << a;
    EXPECT_NEAR(fitted.ModelSeries[kPrevalence][kMales][a],
                truth.ModelSeries[kPrevalence][kMales][a], 1e-9)
        << a;
  }
  EXPECT_GT(fitted.ModelSeries[kIncidence][kMales][80], fitted.PopRateIncidence[80]);
  EXPECT_EQ(log.Count(), 0);
}

TEST_F(FittingTest, AllHazardsExactRunsTheFinalPassOnly) {
  Tdiseaseam fitted("fitted");
  Tdisease plain("plain");
  FillDemoHazards(fitted, maxAge);
  FillDemoHazards(plain, maxAge);
  for (int v : {kIncidence, kRemission, kCaseFatality, kPrevalence}) {
    fitted.InputPresent[v][kMales] = true;
  }
  options.Exact = {true, true, true};
  options.PrevalenceAtBirth = false;
  auto controls = Options();
  ASSERT_TRUE(fitted.Calculate(Env(), controls, dialogs));
  const ModelEnvironment env = Env();
  EXPECT_EQ(Tfitter(fitted, env, controls).ParamCount, 0);
  plain.CalculatePlain(Env(), false);
  EXPECT_EQ(fitted.ModelSeries[kPrevalence][kMales], plain.ModelSeries[kPrevalence][kMales]);
}

// A maximum that is no number, or lies outside what a maximum can be (a negative one would hold the
// hazard where no input allows it), stops the calculation before anything is changed.
TEST_F(FittingTest, AMaximumThatIsNotANumberStopsTheCalculation) {
  const struct {
    int hazard;
    const char* text;
    const char* message;
  } cases[] = {
      {1, "0,5x", "The hazards maximum of Remission is not a valid number"},
      {0, "-0.1", "The hazards maximum of Incidence must lie between 1e-12 and 1000"},
      {2, "0", "The hazards maximum of Case fatality must lie between 1e-12 and 1000"},
      {2, "5000", "The hazards maximum of Case fatality must lie between 1e-12 and 1000"},
  };
  for (const auto& c : cases) {
    Tdiseaseam d("d");
    InputsFromModel(d, IhdHazards, {kPrevalence, kMortality});
    const auto before = d.ModelSeries;
    const auto kept = options.MaximumValue;
    options.MaximumValue[static_cast<std::size_t>(c.hazard)] = c.text;
    auto controls = Options();
    const std::size_t shown = dialogs.Texts().size();
    EXPECT_FALSE(d.Calculate(Env(), controls, dialogs)) << c.text;
    ASSERT_EQ(dialogs.Texts().size(), shown + 1) << c.text;
    EXPECT_EQ(dialogs.Texts().back(), c.message);
    EXPECT_EQ(d.ModelSeries, before);
    options.MaximumValue = kept;
  }
}

// Prevalence and disease mortality made by the model from known hazards, remission 0: the fit
// must give back prevalence and mortality. The fitted hazards are constant within six-year groups
// and are then smoothed with the default options (linear interpolation between group midpoints
// and a 7-year moving average). On hazards that rise 5 to 9 % a year both smoothings overshoot a
// convex curve by 1 to 3 %, so where the smoothing has data on both sides (ages up to 90) the
// model stays within 5 % of the data; above the last anchor (ages 91 ... 100) the hazards stay
// at the top group's level while the true ones keep rising, and 25 % bounds the miss there.
// Ages where prevalence is below 1 in 1000 are left out: relative errors of tiny numbers carry
// no information.
TEST_F(FittingTest, FitReproducesPrevalenceAndMortality) {
  Tdiseaseam d("IHD");
  InputsFromModel(d, IhdHazards, {kPrevalence, kMortality, kRemission});
  auto controls = Options();
  ASSERT_TRUE(d.Calculate(Env(), controls, dialogs));
  const ModelEnvironment env = Env();
  EXPECT_EQ(Tfitter(d, env, controls).ParamCount, 3);
  for (int a = 20; a <= maxAge; ++a) {
    if (expected[kPrevalence][kMales][a] < 1e-3) continue;
    for (int v : {kPrevalence, kMortality}) {
      const double error = std::fabs(d.ModelSeries[v][kMales][a] / expected[v][kMales][a] - 1.0);
      EXPECT_LT(error, a <= 90 ? 0.05 : 0.25) << kVariableDisplayNames[v] << " at " << a;
    }
    EXPECT_LT(d.ModelSeries[kRemission][kMales][a], 1e-4);
  }
  EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(FittingTest, SufficiencyAndTheProcessingSequence) {
  struct Case {
    std::vector<int> given;
    bool sufficient;
  };
  const Case cases[] = {
      {{kIncidence, kCaseFatality, kRRMortality}, false},
      {{kIncidence, kCaseFatality, kRRMortality, kPrevalence}, true},
      {{kIncidence, kRemission, kCaseFatality}, true},
      {{kPrevalence, kMortality}, false},
  };
  for (const Case& c : cases) {
    Tdisease d("d");
    for (int v : c.given) d.InputPresent[v][kFemales] = true;
    d.FromOutput[kDuration][kFemales] = true;  // taken from output: does not count
    EXPECT_EQ(SufficientInput(d, kFemales), c.sufficient);
  }

  // Inputs the fit would not use (ignored) cannot determine a hazard: refused before the fit runs.
  struct Determinacy {
    std::vector<int> given;
    std::vector<int> ignored;
    bool exactFatality;
    const char* refusal;  // the start of the refusal, or null when the fit can run
    bool populationRate = false;
  };
  const Determinacy fits[] = {
      {{kPrevalence, kMortality, kRemission}, {}, false, nullptr},
      {{kPrevalence, kMortality, kRemission}, {kMortality}, false, "The inputs the fit would use"},
      // Prevalence's course with incidence and remission given determines case fatality.
      {{kIncidence, kPrevalence, kRemission}, {}, false, nullptr},
      {{kIncidence, kPrevalence, kRemission}, {}, true, nullptr},
      {{kIncidence, kPrevalence, kDuration}, {}, false, nullptr},
      {{kIncidence, kRemission, kCaseFatality}, {kCaseFatality}, false, nullptr},  // no fit
      // Incidence as a rate in the whole population, prevalence and remission 0.
      {{kIncidence, kPrevalence, kRemission}, {}, false, nullptr, true},
      // Two inputs for three hazards: remission and incidence trade off against each other.
      {{kPrevalence, kMortality}, {}, false, "The inputs the fit would use cannot determine "},
      {{kIncidence, kMortality}, {}, false, "The inputs the fit would use cannot determine "},
  };
  for (const Determinacy& c : fits) {
    Tdisease d("d");
    CalcOptions options;
    for (int v : c.given) d.InputPresent[v][kMales] = true;
    for (int v : c.ignored) options.Ignore[static_cast<std::size_t>(v)] = true;
    options.Exact[2] = c.exactFatality;
    d.IncidenceIsHazard = !c.populationRate;
    const auto refusal = UndeterminedFit(d, Env(), options);
    if (c.refusal == nullptr) {
      EXPECT_FALSE(refusal) << *refusal;
    } else {
      ASSERT_TRUE(refusal);
      EXPECT_EQ(refusal->rfind(c.refusal, 0), 0u) << *refusal;
    }
  }
  {
    Tdisease d("d");
    CalcOptions options;
    for (int v : {kPrevalence, kMortality, kRemission}) d.InputPresent[v][kMales] = true;
    options.Ignore[kMortality] = true;
    EXPECT_NE(UndeterminedFit(d, Env(), options)->find("stop ignoring Mortality"),
              std::string::npos);
  }

  Tdiseaseam d("d");
  d.InputPresent[kIncidence][kMales] = true;
  auto controls = Options();
  EXPECT_FALSE(RunCalculation(d, Env(), Options(), dialogs));
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{std::string(kInsufficientInputMessage)});
  EXPECT_FALSE(d.Calculated[kMales]);  // what "Save result" follows

  FillDemoHazards(d, maxAge);
  for (int v : {kRemission, kCaseFatality}) d.InputPresent[v][kMales] = true;
  d.Trends[0].Blocks = {{-10, 0, 1.05}};
  processing.TrendApplyChecked = false;  // trends defined but not applied
  ASSERT_TRUE(RunCalculation(d, Env(), Options(), dialogs));
  EXPECT_FALSE(d.TrendsOn);
  EXPECT_TRUE(d.Calculated[kMales]);
  EXPECT_EQ(d.OutputSeries[kPrevalence][kMales], d.ModelSeries[kPrevalence][kMales]);
  processing.TrendApplyChecked = true;
  ASSERT_TRUE(RunCalculation(d, Env(), Options(), dialogs));
  EXPECT_TRUE(d.TrendsOn);
  EXPECT_EQ(d.TrendStart, -10);
}

}  // namespace
}  // namespace kavrel
