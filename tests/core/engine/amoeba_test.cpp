#include "core/engine/amoeba.h"

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "core/base/errors.h"
#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"

namespace kavrel {
namespace {

// A minimiser over a cost given as a function, recording every point it was asked about.
class FunctionAmoeba final : public Tamoeba {
 public:
  using Function = std::function<double(std::span<const double>)>;
  FunctionAmoeba(int n, const SimplexSettings& options, UserDialogs& dialogs, MessagesLog& log,
                 Function f)
      : Tamoeba(n, options, dialogs, log), f_(std::move(f)) {}
  double Cost(std::span<const double> p) override {
    calls.emplace_back(p.begin(), p.end());
    return f_(p);
  }
  std::vector<std::vector<double>> calls;

 private:
  Function f_;
};

struct AmoebaFixture : ::testing::Test {
  FunctionAmoeba Make(int n, FunctionAmoeba::Function f) {
    return FunctionAmoeba(n, options, dialogs, log, std::move(f));
  }
  SimplexSettings options;
  ScriptedDialogs dialogs;
  MessagesLog log{[] { return std::string("08:30:00"); }};
};

double Bowl(std::span<const double> p) {
  return 1.0 + (p[0] - 3.0) * (p[0] - 3.0) + 2.0 * (p[1] + 1.0) * (p[1] + 1.0);
}

TEST_F(AmoebaFixture, FindsTheMinimumOfABowl) {
  auto amoeba = Make(2, Bowl);
  amoeba.Start = {-2.0, -2.4};
  amoeba.Minimize();
  EXPECT_TRUE(amoeba.Converged);
  EXPECT_FALSE(amoeba.MaxIterReached);
  EXPECT_NEAR(amoeba.Best[0], 3.0, 1e-3);
  EXPECT_NEAR(amoeba.Best[1], -1.0, 1e-3);
  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(AmoebaFixture, SolvesRosenbrocksValley) {
  auto amoeba = Make(2, [](auto p) {
    const double a = 1.0 - p[0];
    const double b = p[1] - p[0] * p[0];
    return a * a + 100.0 * b * b;
  });
  amoeba.Start = {-1.2, 1.0};
  amoeba.Minimize();
  EXPECT_FALSE(amoeba.MaxIterReached);
  EXPECT_NEAR(amoeba.Best[0], 1.0, 1e-6);
  EXPECT_NEAR(amoeba.Best[1], 1.0, 1e-6);
}

TEST_F(AmoebaFixture, InitialSimplexIsMultiplicative) {
  options.MaxIterations = "1";
  auto limited = Make(2, Bowl);
  limited.Start = {-2.0, 0.0};
  limited.Minimize();
  ASSERT_GE(limited.calls.size(), 3u);
  EXPECT_EQ(limited.calls[0], (std::vector<double>{-0.1, 0.0}));  // -2 x 0.05
  EXPECT_EQ(limited.calls[1], (std::vector<double>{-2.0, 0.1}));  // a start of 0 moves to 0.1
  EXPECT_EQ(limited.calls[2], (std::vector<double>{-2.0, 0.0}));  // the start itself

  auto one = Make(1, [](auto p) { return p[0] * p[0]; });
  one.Start = {0.0};
  one.Minimize();
  EXPECT_EQ(one.calls[0], std::vector<double>{0.1});
  EXPECT_EQ(one.calls[1], std::vector<double>{0.0});
}

TEST_F(AmoebaFixture, ZeroCostEverywhereStopsAtTheFirstRanking) {
  auto amoeba = Make(2, [](auto) { return 0.0; });
  amoeba.Start = {1.0, 1.0};
  amoeba.Minimize();
  EXPECT_TRUE(amoeba.Converged);
  EXPECT_EQ(amoeba.Iter, 1);
  EXPECT_EQ(amoeba.Spread, amoeba.Precision / 2);
  // Ties keep the earlier index.
  EXPECT_EQ(amoeba.Lowest, 0);
  EXPECT_EQ(amoeba.Highest, 1);
  EXPECT_EQ(amoeba.NextHighest, 0);
  EXPECT_EQ(amoeba.Best, (std::vector<double>{0.05, 1.0}));
}

TEST_F(AmoebaFixture, IterationLimit) {
  struct Case {
    bool warn;
    bool expectReached;
  };
  for (const Case c : {Case{true, true}, Case{false, false}}) {
    options.MaxIterations = "1";
    options.WarnOnMaxIterations = c.warn;
    auto amoeba = Make(2, Bowl);
    amoeba.Start = {-2.0, -2.4};
    amoeba.Minimize();
    EXPECT_EQ(amoeba.Iter, 1);
    EXPECT_TRUE(amoeba.Converged);
    EXPECT_EQ(amoeba.MaxIterReached, c.expectReached);
    // The lowest vertex of the first ranking: the start moved to -0.1 in its first coordinate.
    EXPECT_EQ(amoeba.Best, (std::vector<double>{-0.1, -2.4}));
    EXPECT_TRUE(dialogs.History().empty());
  }
}

TEST_F(AmoebaFixture, AsksForMoreIterations) {
  options.MaxIterations = "5";
  options.AskMoreIterations = true;
  dialogs.Push(DialogButton::kYes);
  dialogs.Push(DialogButton::kNo);
  auto amoeba = Make(2, Bowl);
  amoeba.Start = {-2.0, -2.4};
  amoeba.Minimize();
  EXPECT_TRUE(dialogs.AllAnswered());
  const std::vector<std::string> question(
      2,
      "The downhill simplex method has reached the maximum number of \n"
      "iterations. Do you want more iterations?");
  EXPECT_EQ(dialogs.Texts(), question);
  EXPECT_EQ(dialogs.History()[0].kind, DialogKind::kConfirmation);
  EXPECT_TRUE(amoeba.MaxIterReached);
  EXPECT_EQ(amoeba.Iter, 5);
}

TEST_F(AmoebaFixture, LimitReachedIsRememberedAcrossRuns) {
  options.MaxIterations = "3";
  auto amoeba = Make(1, [](auto p) { return 1.0 + (p[0] - 1) * (p[0] - 1); });
  amoeba.Start = {5.0};
  amoeba.Minimize();
  ASSERT_TRUE(amoeba.MaxIterReached);
  amoeba.MaxIter = 1000;
  amoeba.Minimize();
  EXPECT_LT(amoeba.Iter, 1000);
  EXPECT_TRUE(amoeba.MaxIterReached);
  EXPECT_NEAR(amoeba.Best[0], 1.0, 1e-3);
}

TEST_F(AmoebaFixture, NoParametersMeansNothingToDo) {
  auto amoeba =
      Make(0, [](auto) -> double { throw std::logic_error("no cost with no parameters"); });
  amoeba.Minimize();
  EXPECT_TRUE(amoeba.calls.empty());
  EXPECT_EQ(amoeba.Iter, 0);
  EXPECT_TRUE(amoeba.Best.empty());
}

TEST_F(AmoebaFixture, FaultEndsTheRunAtTheLowestVertex) {
  const std::vector<FunctionAmoeba::Function> faults = {
      [](auto p) { return p[0] > 2.0 ? std::numeric_limits<double>::quiet_NaN() : Bowl(p); },
      [](auto p) -> double {
        if (p[0] > 2.0) throw ArithmeticError("overflow");
        return Bowl(p);
      },
  };
  for (const auto& f : faults) {
    log.Clear();
    auto amoeba = Make(2, f);
    amoeba.Start = {1.0, 0.0};  // heads for x = 3, so it must try beyond x = 2
    amoeba.Minimize();
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"  08:30:00# Internal error: downhill simplex method"});
    EXPECT_EQ(amoeba.Best, amoeba.Vertices[amoeba.Lowest]);
    EXPECT_LE(amoeba.Best[0], 2.0);
  }
}

TEST_F(AmoebaFixture, SettingsTextsAreConverted) {
  options.Precision = "1.0E-05";
  options.MaxIterations = "250";
  options.Simplex = "0.10";
  options.Alpha = "1.5";
  options.Beta = "0.4";
  options.Gamma = "2.5";
  auto amoeba = Make(3, Bowl);
  EXPECT_EQ(amoeba.Precision, 1e-5);
  EXPECT_EQ(amoeba.MaxIter, 250);
  EXPECT_EQ(amoeba.SimplexScale, 0.1);
  EXPECT_EQ(amoeba.Alpha, 1.5);
  EXPECT_EQ(amoeba.Beta, 0.4);
  EXPECT_EQ(amoeba.Gamma, 2.5);
  EXPECT_EQ(amoeba.Dim, 3);
  EXPECT_EQ(amoeba.LastIndex, 2);
  EXPECT_EQ(amoeba.Vertices.size(), 4u);
  EXPECT_EQ(amoeba.Costs.size(), 4u);

  options.Precision = "1,0E-05";
  EXPECT_THROW(Make(2, Bowl), std::invalid_argument);
  options.Precision = "1.0E-05";
  options.MaxIterations = "-3";
  EXPECT_THROW(Make(2, Bowl), std::invalid_argument);
  options.MaxIterations = "";
  EXPECT_THROW(Make(2, Bowl), std::invalid_argument);
}

TEST(SimplexSettingsTest, DefaultsResetAndInputForms) {
  SimplexSettings state;
  state.Precision = "1.0E-03";
  state.WarnOnMaxIterations = false;
  state.AskMoreIterations = true;
  state.ResetDefaults();
  EXPECT_EQ(state.Precision, "1.0E-09");
  EXPECT_EQ(state.MaxIterations, "1000");
  EXPECT_EQ(state.Simplex, "0.05");
  EXPECT_EQ(state.Alpha, "1.0");
  EXPECT_EQ(state.Beta, "0.5");
  EXPECT_EQ(state.Gamma, "2.0");
  EXPECT_TRUE(state.WarnOnMaxIterations);
  EXPECT_FALSE(state.AskMoreIterations);

  EXPECT_TRUE(SimplexSettings::MaxIterationsFits("999999"));
  EXPECT_FALSE(SimplexSettings::MaxIterationsFits("1000000"));
  EXPECT_FALSE(SimplexSettings::MaxIterationsFits("12a"));
  EXPECT_TRUE(SimplexSettings::PrecisionFits("1.0E-12"));
  EXPECT_FALSE(SimplexSettings::PrecisionFits("1.0E-1"));
  EXPECT_FALSE(SimplexSettings::PrecisionFits("2.0E-09"));
  EXPECT_TRUE(SimplexSettings::SimplexFits("0.05"));
  EXPECT_FALSE(SimplexSettings::SimplexFits("1.05"));
  EXPECT_TRUE(SimplexSettings::AlphaFits("1.0"));
  EXPECT_FALSE(SimplexSettings::AlphaFits("10"));
  EXPECT_TRUE(SimplexSettings::BetaFits("0.5"));
  EXPECT_FALSE(SimplexSettings::BetaFits("1.5"));
  EXPECT_TRUE(SimplexSettings::GammaFits("2.0"));
}

// A criterion that is a parabola in its single parameter, minimised from its numeric settings
// (as the disease fit's minimiser is made).
class Parabola final : public CostFunction {
 public:
  double Cost(std::span<const double> p) override { return 1.0 + (p[0] + 1.5) * (p[0] + 1.5); }
};

TEST(DisamoebaTest, MinimisesTheDiseaseCriterion) {
  Parabola criterion;
  ScriptedDialogs dialogs;
  MessagesLog log;
  Tdelegatingamoeba amoeba(1, SimplexNumbers{}, dialogs, log, criterion);
  amoeba.Start = {-2.0};
  amoeba.Minimize();
  EXPECT_NEAR(amoeba.Best[0], -1.5, 1e-3);
}

TEST(DelegatingAmoebaTest, CurveAndMortalityFitsUseTheirTargetsCost) {
  struct Target final : CostFunction {
    double Cost(std::span<const double> p) override { return 2.0 + std::fabs(p[0] - 0.25); }
  } target;
  ScriptedDialogs dialogs;
  MessagesLog log;
  Tmathamoeba curve(1, SimplexSettings{}, dialogs, log, target);
  Tmortamoeba mortality(1, SimplexSettings{}, dialogs, log, target);
  for (Tamoeba* amoeba : {static_cast<Tamoeba*>(&curve), static_cast<Tamoeba*>(&mortality)}) {
    amoeba->Start = {1.0};
    amoeba->Minimize();
    EXPECT_NEAR(amoeba->Best[0], 0.25, 1e-3);
  }
}

}  // namespace
}  // namespace kavrel
