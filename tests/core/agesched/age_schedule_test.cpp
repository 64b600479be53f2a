#include "core/agesched/age_schedule.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "core/agesched/age_schedule_window.h"
#include "core/agesched/curves.h"
#include "core/agesched/patterns.h"
#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/disease.h"
#include "core/store/data_kavrel.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// One disease, variable and sex with age-group input, the options at their defaults.
struct ScheduleFixture : ::testing::Test {
  explicit ScheduleFixture(int maxAge = 100) : maxAge(maxAge) { options.ResetAgeRange(maxAge); }

  void Groups(std::initializer_list<Tinputdat> rows) {
    disease.InputRows[variable][kMales] = rows;
    disease.InputPresent[variable][kMales] = true;
  }
  AgeScheduleContext Context() {
    return AgeScheduleContext{disease, variable, maxAge,  population,
                              options, simplex,  dialogs, log};
  }

  int maxAge;
  int variable = kIncidence;
  Tdiseaseam disease{"d"};
  std::array<Series, kSexCount> population{};
  FitOptionsWindowState options;
  SimplexSettings simplex;
  ScriptedDialogs dialogs;
  MessagesLog log;
  AgeScheduleWorkspace ws;
};

Tinputdat Row(int lage, int hage, double value) { return {0, kMales, lage, hage, value, {}}; }

using ScheduleTest = ScheduleFixture;

TEST_F(ScheduleTest, PiecewiseLinearWorkedExamples) {
  maxAge = 9;
  Groups({Row(0, 5, 1.0), Row(5, 10, 2.0)});  // midpoints 2 and 7
  const auto ctx = Context();
  Tlinearinterpol(ws, ctx).Execute();
  const double expected[] = {1, 1, 1, 1.2, 1.4, 1.6, 1.8, 2.0, 2, 2};
  for (int a = 0; a <= 9; ++a) EXPECT_NEAR(ws.Adjusted[a], expected[a], 1e-12) << a;

  maxAge = 100;
  Groups({Row(0, 101, 0.25)});
  const auto whole = Context();
  Tlinearinterpol(ws, whole).Execute();
  for (int a = 0; a <= 100; ++a) EXPECT_EQ(ws.Adjusted[a], 0.25);
}

TEST_F(ScheduleTest, PolynomialAndSplineNodes) {
  // A straight line through the midpoints 2.5, 7.5, 12.5 is reproduced by both.
  Groups({Row(0, 5, 2.5), Row(5, 10, 7.5), Row(10, 15, 12.5)});
  options.AddLow = false;
  options.AddHigh = false;
  const auto ctx = Context();
  Tpolynomialinterpol(ws, ctx).Execute();
  EXPECT_NEAR(ws.Adjusted[40], 40.0, 1e-9);
  // The end points: "default" (any case) is 0; the age-0 point pins the spline there.
  options.AddLow = true;
  options.LowValue = "DEFAULT";
  Tcubicsplineinterpol(ws, ctx).Execute();
  EXPECT_NEAR(ws.Adjusted[0], 0.0, 1e-12);
  EXPECT_NEAR(ws.Adjusted[5], 5.0, 2.0);

  // Opening moves end points that the input's groups would refuse just outside them.
  options.AddHigh = true;
  options.HighAge = 10;
  options.LowAge = 3;
  AgeScheduleWindow window(ctx, options);
  window.Open();
  EXPECT_EQ(options.HighAge, ctx.MaxAge + 5);
  EXPECT_EQ(options.LowAge, 0);
  window.RunInterpolation(2);
  window.RunInterpolation(1);
  EXPECT_EQ(dialogs.ErrorsShown(), 0);
  options.AddHigh = false;

  // Refusals leave Adjusted as it was.
  ws.Adjusted.fill(9.0);
  window.Workspace.Adjusted.fill(9.0);
  options.AddHigh = true;
  options.HighAge = 10;  // inside the groups' span
  window.RunInterpolation(2);
  EXPECT_EQ(dialogs.Texts().back().rfind("The high end point (age 10) must lie above the last age "
                                         "group's midpoint (",
                                         0),
            0u);
  EXPECT_EQ(window.Workspace.Adjusted[3], 9.0);
  options.HighAge = 95;
  options.HighValue = "0.5x";
  window.RunInterpolation(1);
  EXPECT_EQ(dialogs.Texts().back(), "The high end point value \"0.5x\" is not a number");
  EXPECT_EQ(window.Workspace.Adjusted[3], 9.0);
  Groups({Row(0, 101, 1.0)});
  options.AddLow = options.AddHigh = false;
  window.RunInterpolation(2);
  EXPECT_EQ(dialogs.Texts().back(), "A cubic spline needs at least two points");
}

TEST(EndPointValueTest, Texts) {
  EXPECT_EQ(ReadEndPointValue("default", '.'), 0.0);
  EXPECT_EQ(ReadEndPointValue(" Default ", ','), 0.0);
  EXPECT_EQ(ReadEndPointValue("0,0125", ','), 0.0125);
  EXPECT_EQ(ReadEndPointValue("0.0125", '.'), 0.0125);
  EXPECT_EQ(ReadEndPointValue("0.0125", ','), std::nullopt);
  EXPECT_EQ(ReadEndPointValue("12abc", '.'), std::nullopt);
  EXPECT_EQ(ReadEndPointValue("", '.'), std::nullopt);
}

TEST_F(ScheduleTest, MovingAverageWindows) {
  for (int a = 0; a <= 110; ++a) ws.Original[a] = a * a;
  ws.Adjusted.fill(-1.0);
  const auto ctx = Context();
  Tmovingaverage average(ws, ctx);
  EXPECT_EQ(average.Period, 5);
  average.Execute();
  const auto mean = [this](int from, int to) {
    double s = 0;
    for (int a = from; a <= to; ++a) s += ws.Original[a];
    return s / (to - from + 1);
  };
  EXPECT_EQ(ws.Adjusted[0], 0.0);
  EXPECT_NEAR(ws.Adjusted[1], mean(0, 2), 1e-9);
  EXPECT_NEAR(ws.Adjusted[2], mean(0, 4), 1e-9);
  EXPECT_NEAR(ws.Adjusted[98], mean(96, 100), 1e-9);
  EXPECT_NEAR(ws.Adjusted[99], mean(98, 100), 1e-9);
  EXPECT_EQ(ws.Adjusted[100], 10000.0);
  EXPECT_EQ(ws.Adjusted[101], -1.0);  // outside the range: as before

  options.Period = 6;  // even, from stored preferences: the next odd one
  EXPECT_EQ(Tmovingaverage(ws, ctx).Period, 7);
  options.Period = 5;
  options.Lower = 10;
  options.Higher = 12;
  AgeScheduleWindow window(ctx, options);
  window.Workspace.Adjusted.fill(3.0);
  window.RunSmoothing();
  EXPECT_EQ(dialogs.Texts().back(),
            "The age range 10 to 12 is narrower than the moving average period of 5 years");
  EXPECT_EQ(window.Workspace.Adjusted[11], 3.0);
}

TEST_F(ScheduleTest, ManualAdjustmentStaysInsideTheAges) {
  Groups({Row(0, 101, 0.5)});
  const auto ctx = Context();
  AgeScheduleWindow window(ctx, options);
  window.Open();
  EXPECT_EQ(window.ManualCaption(), "&Manual adjust");
  window.ManualAdjust();
  EXPECT_EQ(window.ManualCaption(), "Stop &Manual");
  EXPECT_FALSE(window.OthersEnabled());
  EXPECT_FALSE(window.InterpolationEnabled());
  EXPECT_FALSE(window.ApplyToEnabled());
  ASSERT_NE(window.Manual(), nullptr);
  EXPECT_EQ(window.Workspace.Adjusted[40], 0.5);
  window.Manual()->SetPoint(40.4, 0.7);
  window.Manual()->SetPoint(-3, 9.0);
  window.Manual()->SetPoint(250, 9.0);
  EXPECT_EQ(window.Workspace.Adjusted[40], 0.7);
  EXPECT_EQ(window.Workspace.Adjusted[101], 0.0);
  window.ManualAdjust();  // stop
  EXPECT_EQ(window.Manual(), nullptr);
  EXPECT_TRUE(window.OthersEnabled());
  window.ManualAdjust();
  window.Close();  // closing during manual adjustment ends it
  EXPECT_FALSE(window.Workspace.ManualMode);
  EXPECT_EQ(window.ManualCaption(), "&Manual adjust");
}

// Data made with each curve is fitted back. Linear is exact up to the minimiser's precision; the
// others are judged by the curve they give, to 1 % of the data's range, since several parameter
// sets can come close on a stretch of ages.
TEST_F(ScheduleTest, CurvesRecoverTheirOwnData) {
  options.Lower = 30;
  options.Higher = 80;
  simplex.MaxIterations = "20000";
  simplex.Precision = "1.0E-12";
  for (int a = 0; a <= 100; ++a) disease.ModelSeries[variable][kMales][a] = -1.0 - a;
  struct Case {
    int choice;
    std::function<double(int)> curve;
  };
  const Case cases[] = {
      {0, [](int a) { return 0.002 + 0.0004 * (a - 30); }},
      {1, [](int a) { return 0.00001 * a * a - 0.0004 * a + 0.01; }},
      {2, [](int a) { return 0.3 / (std::exp(-(a - 60) / 8.0) + 1.0); }},
      {3, [](int a) { return 0.0001 * std::pow(std::exp(0.04), a + 30); }},
      {4, [](int a) { return 0.01 + 0.0002 * a + 0.000003 * a * a; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kCurveNames[c.choice]);
    AgeScheduleWorkspace w;
    w.ApplyRadio = 1;
    double low = 1e9, high = -1e9;
    for (int a = 0; a <= 100; ++a) {
      w.Current[a] = c.curve(a);
      if (a >= 30 && a <= 80) {
        low = std::min(low, w.Current[a]);
        high = std::max(high, w.Current[a]);
      }
    }
    const auto ctx = Context();
    auto fit = MakeCurve(c.choice, w, ctx);
    fit->Execute();
    for (int a = 30; a <= 80; ++a) {
      EXPECT_NEAR(w.Adjusted[a], w.Current[a], (c.choice == 0 ? 1e-5 : 0.01) * (high - low)) << a;
    }
    EXPECT_EQ(w.Adjusted[29], -30.0);  // outside the range: the disease's own series
    EXPECT_EQ(w.Adjusted[81], -82.0);
    if (c.choice == 0) {
      auto* linear = static_cast<Tlineartwee*>(fit.get());
      EXPECT_NEAR(linear->a, 0.002, 1e-6);
      EXPECT_NEAR(linear->b, 0.0004, 1e-7);
    }
  }
}

TEST_F(ScheduleTest, CriterionForms) {
  options.Lower = 0;
  options.Higher = 2;
  ws.ApplyRadio = 0;
  ws.Original[0] = 1.0;
  ws.Original[1] = 2.0;
  ws.Original[2] = 3.0;
  population[kMales][0] = 10.0;
  population[kMales][1] = 0.0;  // an age without people does not count when weighted
  population[kMales][2] = 1.0;
  const auto ctx = Context();
  Tlineartwee line(ws, ctx);
  line.a = 2.0;
  line.b = 0.0;
  line.ComputeCurve();  // 2, 2, 2
  struct Case {
    bool weighted, means;
    double expected;
  };
  const Case cases[] = {
      {false, false, 1.0 + 0.0 + 1.0},
      {false, true, 0.0},                // same total: criterion 0
      {true, false, 100.0 + 0.0 + 1.0},  // the weight enters squared
      {true, true, (20.0 + 2.0 - 10.0 - 3.0) * (20.0 + 2.0 - 10.0 - 3.0)},
  };
  for (const Case& c : cases) {
    options.WeightByPopulation = c.weighted;
    options.UseMeanValues = c.means;
    EXPECT_NEAR(line.Criterion(), c.expected, 1e-12) << c.weighted << c.means;
  }
  // A candidate that cannot be evaluated never looks better than the others.
  options.WeightByPopulation = options.UseMeanValues = false;
  Tquadraticdrie quadratic(ws, ctx);
  const std::array<double, 3> wild = {0.0, 1e200, 0.0};
  EXPECT_EQ(quadratic.Cost(wild), kFailedCandidateCost);
  // The exponent's own penalty below -12.
  Tsimpexpotwee exponent(ws, ctx);
  const std::array<double, 2> low = {-13.0, -14.0};
  const double cost = exponent.Cost(low);
  EXPECT_NEAR(cost, exponent.Criterion() + 1.0 + 4.0, 1e-12);
}

TEST_F(ScheduleTest, SigmoidStepAndPolynomialDimensions) {
  const auto ctx = Context();
  Tsigmoiddrie sigmoid(ws, ctx);
  sigmoid.a = 0.4;
  sigmoid.b = 0.0;
  sigmoid.c = 50;
  sigmoid.ComputeCurve();
  EXPECT_EQ(ws.Adjusted[50], 0.4);
  EXPECT_EQ(ws.Adjusted[51], 0.0);
  options.PolynomialOrder = 1;
  Tpolynomialfitn polynomial(ws, ctx);
  EXPECT_EQ(polynomial.CoefCount, 2);
  EXPECT_EQ(polynomial.Coef.size(), 2u);
}

struct PatternTest : StoreFixture {
  void SetUp() override {
    OpenNewCollection();
    std::vector<Tpatinputdat> groups = {{0, 0, 50, 1.0}, {1, 50, 80, 3.0}};
    ASSERT_TRUE(SavePattern(data, dialogs, "Rising", groups, 1000.0));
  }
  Tdiseaseam disease{"d"};
  std::array<Series, kSexCount> population{};
  FitOptionsWindowState options;
  SimplexSettings simplex;
  MessagesLog log;
};

TEST_F(PatternTest, SaveLoadAndDeleteRules) {
  const auto loaded = LoadPattern(data, "Rising");
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_DOUBLE_EQ(loaded[1].Value, 0.003);  // typed per 1000
  std::vector<Tpatinputdat> groups = {{0, 0, 101, 1.0}};
  EXPECT_FALSE(SavePattern(data, dialogs, "", groups, 1.0));
  EXPECT_EQ(dialogs.Texts().back(), kPatternNameMissing);
  EXPECT_FALSE(SavePattern(data, dialogs, "Rising", groups, 1.0));
  EXPECT_EQ(dialogs.Texts().back(), kPatternNameInUse);
  EXPECT_EQ(LoadPattern(data, "Rising").size(), 2u);  // never overwritten

  EXPECT_FALSE(DeletePattern(data, dialogs, ""));
  EXPECT_EQ(dialogs.Texts().back(), kSelectPatternFirst);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(DeletePattern(data, dialogs, "Rising"));
  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(DeletePattern(data, dialogs, "Rising"));
  EXPECT_TRUE(PatternNames(data).empty());
}

TEST_F(PatternTest, PatternFitScalesAndKeepsTheExcessForRelativeRisk) {
  for (int variable : {kPrevalence, kRRMortality}) {
    SCOPED_TRACE(kVariableDisplayNames[variable]);
    disease.InputPresent[variable][kMales] = false;
    // The data: twice the pattern, or for relative risk twice the pattern's excess over 1.
    for (int a = 0; a <= 100; ++a) {
      const double shape = a < 50 ? 0.001 : 0.003;
      disease.InputSeries[variable][kMales][a] =
          variable == kRRMortality ? 1.0 + 2.0 * (shape - 1.0) : 2.0 * shape;
    }
    options.ResetAgeRange(100);
    const AgeScheduleContext ctx{disease, variable, 100,     population,
                                 options, simplex,  dialogs, log};
    AgeScheduleWindow window(ctx, options);
    window.Open();  // no input: works on Current
    EXPECT_FALSE(window.ApplyToEnabled());
    dialogs.Push(0);
    window.FitAgePattern(data);
    auto* fit = dynamic_cast<Tfitpattern*>(window.CurrentSchedule.get());
    ASSERT_NE(fit, nullptr);
    EXPECT_NEAR(fit->k, 2.0, 1e-4);
    // The last group (50 to 80) is carried up to the highest age before scaling.
    EXPECT_NEAR(window.Workspace.Adjusted[95], window.Workspace.Current[95], 1e-6);
  }
  // Relative risk: where the pattern is 1 (excess 0) it stays 1 whatever the scale.
  disease.InputSeries[kRRMortality][kMales].fill(1.0);
  std::vector<Tpatinputdat> flat = {{0, 0, 101, 1.0}};
  ASSERT_TRUE(SavePattern(data, dialogs, "Flat", flat, 1.0));
  const AgeScheduleContext ctx{disease, kRRMortality, 100,     population,
                               options, simplex,      dialogs, log};
  AgeScheduleWindow window(ctx, options);
  window.Open();
  ASSERT_TRUE(window.RunPattern(data, "Flat"));
  for (int a = 0; a <= 100; ++a) EXPECT_EQ(window.Workspace.Adjusted[a], 1.0);
}

TEST_F(PatternTest, NoPatternsStored) {
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(DeletePattern(data, dialogs, "Rising"));
  const AgeScheduleContext ctx{disease, kIncidence, 100,     population,
                               options, simplex,    dialogs, log};
  AgeScheduleWindow window(ctx, options);
  window.Open();
  window.FitAgePattern(data);
  EXPECT_EQ(dialogs.Texts().back(), kNoPatternsMessage);
}

TEST_F(ScheduleTest, WindowCommandsKeepApplyCancel) {
  Groups({Row(0, 50, 0.01), Row(50, 101, 0.03)});
  for (int a = 0; a <= 100; ++a) disease.InputSeries[variable][kMales][a] = 0.02;
  const auto ctx = Context();
  {
    AgeScheduleWindow window(ctx, options);
    window.Open();
    EXPECT_EQ(window.Caption(), "Adjusting d Incidence");
    EXPECT_EQ(window.Workspace.Original[49], 0.01);
    EXPECT_EQ(window.Workspace.Current[49], 0.02);
    EXPECT_EQ(options.LowValue, "0.02");
    EXPECT_TRUE(window.InterpolationEnabled());
    dialogs.Push(0);
    window.Interpolation();  // piecewise linear of the groups
    window.KeepResult();
    EXPECT_EQ(window.Workspace.Current, window.Workspace.Adjusted);
    window.SetApplyTo(1);
    EXPECT_FALSE(window.InterpolationEnabled());
    const Series kept = window.Workspace.Current;
    dialogs.Push(0);
    window.Smooth();  // smooths the kept result, not the original
    EXPECT_NEAR(window.Workspace.Adjusted[50],
                (kept[48] + kept[49] + kept[50] + kept[51] + kept[52]) / 5, 1e-12);
    window.KeepResult();
    window.Cancel();  // several kept results, then Cancel: the disease is unchanged
    EXPECT_FALSE(window.IsOpen());
    EXPECT_EQ(disease.InputSeries[variable][kMales][49], 0.02);
  }
  {
    AgeScheduleWindow window(ctx, options);
    window.Open();
    window.Workspace.Current[10] = -0.5;
    window.Apply();  // negatives become 0
    EXPECT_EQ(disease.ModelSeries[variable][kMales][10], 0.0);
    EXPECT_EQ(disease.InputSeries[variable][kMales][10], 0.0);
    EXPECT_EQ(disease.InputSeries[variable][kMales][11], 0.02);
  }
}

// "Apply" with an adjusted result on show that was not kept asks; each answer does what it says.
TEST_F(ScheduleTest, ApplyAsksAboutAnAdjustedResultNotKept) {
  Groups({Row(0, 50, 1.0), Row(50, 101, 3.0)});
  options.AddLow = options.AddHigh = false;
  const auto ctx = Context();
  // Cancel applies nothing; No applies the current series (the input, -1, as 0); Yes the
  // adjusted one.
  for (const DialogButton answer : {DialogButton::kCancel, DialogButton::kNo, DialogButton::kYes}) {
    disease.InputSeries[variable][kMales].fill(-1.0);
    AgeScheduleWindow window(ctx, options);
    window.Open();
    window.RunInterpolation(0);  // piecewise linear, on show, not kept
    const double adjusted = window.Workspace.Adjusted[60];
    ASSERT_GT(adjusted, 1.0);
    dialogs.Push(answer);
    EXPECT_EQ(window.Apply(), answer != DialogButton::kCancel);
    EXPECT_EQ(dialogs.Texts().back(), kKeepAndApplyQuestion);
    const double expected = answer == DialogButton::kCancel ? -1.0
                            : answer == DialogButton::kNo   ? 0.0
                                                            : adjusted;
    EXPECT_DOUBLE_EQ(disease.InputSeries[variable][kMales][60], expected);
  }
  // Kept first: no question.
  AgeScheduleWindow window(ctx, options);
  window.Open();
  window.RunInterpolation(0);
  window.KeepResult();
  const auto asked = dialogs.Texts().size();
  EXPECT_TRUE(window.Apply());
  EXPECT_EQ(dialogs.Texts().size(), asked);
}

}  // namespace
}  // namespace kavrel
