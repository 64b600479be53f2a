#include "core/engine/trend_window.h"

#include <gtest/gtest.h>

#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"

namespace kavrel {
namespace {

TEST(TrendWindowTest, PercentagesAndFactors) {
  struct Case {
    double percent;
    double factor;
    const char* shown;
  };
  for (const Case& c : {Case{2, 1.02, "2"}, Case{-50, 1 / 1.5, "-50"}, Case{-10, 1 / 1.1, "-10"},
                        Case{0, 1, "0"}, Case{12.5, 1.125, "12.5"}}) {
    EXPECT_DOUBLE_EQ(PercentToFactor(c.percent), c.factor) << c.percent;
    EXPECT_EQ(FactorToPercentText(c.factor), c.shown) << c.percent;
  }
  EXPECT_DOUBLE_EQ(PercentToFactor(10) * PercentToFactor(-10), 1.0);
  EXPECT_EQ(FactorToPercentText(1.025, ','), "2,5");
}

TEST(TrendWindowTest, PeriodsBackFromThePresent) {
  Tdisease disease("Stroke");
  disease.Sex = kFemales;
  ScriptedDialogs dialogs;
  TrendWindow window(disease, dialogs);
  EXPECT_EQ(window.Caption(), "Past trends for Stroke, Females");
  EXPECT_FALSE(window.BlockControlsEnabled);
  window.ChooseHazard(0);  // incidence, no periods yet
  EXPECT_EQ(window.Number, 0);
  EXPECT_EQ(window.NumberMax, 1);
  EXPECT_FALSE(window.AddEnabled);
  window.SetNumber(1);  // a new period, ending now
  EXPECT_EQ(window.End, 0);
  EXPECT_TRUE(window.AddEnabled);
  window.SetStart(-10);
  window.SetValueText("2");
  ASSERT_TRUE(window.Add());
  const Trendblok& first = disease.Trends[0].Blocks.front();
  EXPECT_EQ(first.Startt, -10);
  EXPECT_EQ(first.Endt, 0);
  EXPECT_DOUBLE_EQ(first.Waarde, 1.02);
  EXPECT_FALSE(window.AddEnabled);  // the new block is shown
  EXPECT_TRUE(window.DeleteEnabled);

  // The next new period ends the year before: End -11, Start at most -11.
  window.SetNumber(2);
  EXPECT_EQ(window.End, -11);
  EXPECT_EQ(window.StartMax, -11);
  window.SetStart(-5);  // above its limit: held at -11
  EXPECT_EQ(window.Start, -11);
  window.SetStart(-30);
  window.SetValueText("lots");
  EXPECT_FALSE(window.Add());
  EXPECT_EQ(dialogs.Texts().back(), kInvalidPercentMessage);
  window.SetValueText("-50");
  ASSERT_TRUE(window.Add());
  EXPECT_EQ(window.ValueText, "-50");

  // Leaving the value of a shown period changes it; a bad text keeps the old one.
  window.SetNumber(1);
  EXPECT_FALSE(window.DeleteEnabled);  // only the last period can go
  EXPECT_FALSE(window.LeaveValue("x"));
  EXPECT_EQ(window.ValueText, "2");
  EXPECT_TRUE(window.LeaveValue("3"));
  EXPECT_DOUBLE_EQ(disease.Trends[0].Blocks.front().Waarde, 1.03);

  EXPECT_TRUE(window.Close());
  EXPECT_TRUE(disease.TrendsOn);
  EXPECT_EQ(disease.TrendStart, -30);

  // Deleting every period and closing: no trends.
  window.ChooseHazard(0);
  window.Delete();
  window.Delete();
  EXPECT_EQ(window.Number, 0);
  EXPECT_FALSE(window.Close());
  EXPECT_FALSE(disease.TrendsOn);
}

}  // namespace
}  // namespace kavrel
