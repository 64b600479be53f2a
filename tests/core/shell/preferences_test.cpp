#include "core/shell/preferences.h"

#include <gtest/gtest.h>

#include "core/agesched/age_schedule.h"
#include "core/analysis/analysis_window.h"
#include "core/engine/amoeba.h"
#include "core/exchange/export.h"
#include "core/shell/calc_windows.h"
#include "core/store/data_kavrel.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

struct PreferencesTest : StoreFixture {
  void SetUp() override { OpenNewCollection(); }

  // Every window away from its defaults.
  void ChangeEverything() {
    view.InputLineWidth = 7;
    view.OutputLines[kMortality] = {false, true, Rgb(1, 2, 3)};
    view.UncertaintyColours[7] = Rgb(9, 8, 7);
    view.OutputVisible[kVariableCount] = false;
    view.RatesIndex = 3;
    view.Numbers = true;
    calc.AgeGroupWidth = 5;
    calc.CubicSpline = true;
    calc.MaximumValue[2] = "1.5";
    calc.Weight[kPrevalence] = 12;
    calc.Ignore[kDuration] = true;
    calc.Exact[1] = true;
    calc.OpenTable = true;
    simplex.MaxIterations = "4000";
    simplex.AskMoreIterations = true;
    fit.WeightByPopulation = true;
    fit.HighValue = "0.25";
    fit.Period = 7;
    analysis.DefaultValue = "0.2";
    analysis.Generator = 2;
    exportWindow.Numbers = ExportNumbers::kRates;
    exportWindow.Decimals = 6;
    input = {4, 2};
    uncertainty = {1, 9};
  }

  ViewOptionsState view;
  CalcOptionsWindowState calc;
  SimplexSettings simplex;
  FitOptionsWindowState fit;
  AnalysisOptionsState analysis;
  ExportWindowState exportWindow;
  DisplaySettings input, population, pattern, uncertainty;
  PreferenceWindows windows{view,         calc,  simplex,    fit,     analysis,
                            exportWindow, input, population, pattern, uncertainty};
  Tpreferences preferences;
};

// The calculation settings of a set are stored as they always were, column by column and text
// by text, though they are now kept in the options row type of a disease.
TEST_F(PreferencesTest, CalculationSettingsStoredAsBefore) {
  preferences.Restore(windows);
  ASSERT_TRUE(preferences.Save("Defaults", windows, data, dialogs));
  QueryResult& row = data.QueryCollection("select * from CalcPrefs");
  ASSERT_EQ(row.RecordCount(), 1);
  const struct {
    const char* column;
    const char* text;
  } expected[] = {{"Agegroup", "6"},        {"InciValue", "0.1"},
                  {"RemiValue", "0.5"},     {"CfatValue", "2.0"},
                  {"InciEnforce", "10"},    {"Graphopen", "True"},
                  {"Tableopen", "False"},   {"PrevWeight", "1"},
                  {"DuraIgn", "True"},      {"MaxIterWarn", "True"},
                  {"AdditIter", "False"},   {"MaxIter", "1000"},
                  {"Precision", "1.0E-09"}, {"Gamma", "2.0"},
                  {"FitMethod", "0"},       {"FitSmoothness", "Automatic"},
                  {"FitReport", "10"}};
  for (const auto& c : expected) {
    EXPECT_EQ(row.AsText(row.FieldIndex(c.column)), c.text) << c.column;
  }
}

TEST_F(PreferencesTest, SaveAndReadEveryColumn) {
  EXPECT_EQ(preferences.Name, "Preset");
  EXPECT_FALSE(preferences.Save("Preset", windows, data, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kCannotSaveDefaults);

  ChangeEverything();
  calc.FitMethod = 1;
  calc.FitSmoothness = "0.25";
  calc.FitReportPercent = 25;
  preferences.Table.Age[2] = 4;
  // A collection written before the fitting method: the columns come with the first save.
  data.ExecCollection("Alter table CalcPrefs Drop column FitSmoothness");
  data.ExecCollection("Alter table CalcPrefs Drop column FitMethod");
  ASSERT_TRUE(preferences.Save("Mine", windows, data, dialogs));
  EXPECT_EQ(data.QueryCollection("select FitMethod, FitSmoothness from CalcPrefs").AsText(1),
            "0.25");
  EXPECT_EQ(preferences.PrefID, 1);
  for (const char* table : {"TablePrefs", "GraphPrefs", "CalcPrefs", "FitSensPrefs"}) {
    EXPECT_EQ(data.QueryCollection(std::string("select * from ") + table).RecordCount(), 1)
        << table;
  }
  // The stored colour is the plain decimal of red + 256 green + 65536 blue.
  EXPECT_EQ(data.QueryCollection("select mortuitcol from GraphPrefs").AsText(0),
            std::to_string(Rgb(1, 2, 3)));

  // Back to the defaults, then the set read again: every window as it was saved.
  const ViewOptionsState savedView = view;
  const CalcOptionsWindowState savedCalc = calc;
  const SimplexSettings savedSimplex = simplex;
  const FitOptionsWindowState savedFit = fit;
  preferences.Restore(windows);
  EXPECT_EQ(preferences.Name, "Preset");
  EXPECT_EQ(calc.AgeGroupWidth, 6);
  EXPECT_EQ(view.InputLineWidth, 2);
  EXPECT_EQ(view.OutputLineWidth, 3);
  EXPECT_EQ(view.UncertaintyLineWidth, 2);
  EXPECT_EQ(input.Decimals, 4);
  EXPECT_EQ(fit.LowValue, "Default");
  dialogs.Push(0);
  ASSERT_TRUE(preferences.Read(windows, data, dialogs));
  EXPECT_EQ(preferences.Name, "Mine");
  EXPECT_EQ(view, savedView);
  EXPECT_EQ(calc, savedCalc);
  EXPECT_EQ(simplex, savedSimplex);
  EXPECT_EQ(fit.HighValue, savedFit.HighValue);
  EXPECT_EQ(fit.Period, 7);
  EXPECT_TRUE(fit.WeightByPopulation);
  EXPECT_EQ(analysis.DefaultValue, "0.2");
  EXPECT_EQ(analysis.Generator, 2);
  EXPECT_EQ(exportWindow.Numbers, ExportNumbers::kRates);
  EXPECT_EQ(exportWindow.Decimals, 6);
  EXPECT_EQ(input.RatesIndex, 4);
  EXPECT_EQ(uncertainty.Decimals, 9);
  EXPECT_EQ(preferences.Table.Age[2], 4);
}

TEST_F(PreferencesTest, OverwriteDuplicatesAndBrokenSets) {
  ASSERT_TRUE(preferences.Save("First", windows, data, dialogs));
  ASSERT_TRUE(preferences.Save("Second", windows, data, dialogs));
  EXPECT_EQ(preferences.PrefID, 2);
  // Another set's name is refused; the current set's own name asks, then replaces it.
  EXPECT_FALSE(preferences.Save("First", windows, data, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kDuplicatePreferenceName);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(preferences.Save("Second", windows, data, dialogs));
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(preferences.Save("Second", windows, data, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kOverwriteCurrentSet);
  EXPECT_EQ(preferences.PrefID, 3);
  EXPECT_EQ(data.QueryCollection("select * from CalcPrefs where PrefId=2").RecordCount(), 0);
  EXPECT_EQ(data.QueryCollection("select * from Preferences").RecordCount(), 2);

  // A set whose CalcPrefs row is missing: the calculation settings stay, the rest is read.
  data.ExecCollection("delete from CalcPrefs where PrefId=1");
  data.ExecCollection("update TablePrefs set inputdec=7 where PrefID=1");
  calc.AgeGroupWidth = 11;
  preferences.Calc.Options.Agegroup = 11;
  dialogs.Push(0);
  ASSERT_TRUE(preferences.Read(windows, data, dialogs));
  EXPECT_EQ(input.Decimals, 7);
  EXPECT_EQ(calc.AgeGroupWidth, 11);

  // A stored integer that is not a number: the read ends, nothing changes.
  data.ExecCollection("update GraphPrefs set inpspin='wide' where PrefID=3");
  view.InputLineWidth = 5;
  dialogs.Push(1);
  EXPECT_FALSE(preferences.Read(windows, data, dialogs));
  EXPECT_EQ(preferences.Name, "First");
  EXPECT_EQ(view.InputLineWidth, 5);

  dialogs.Push(0);
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(preferences.Delete(data, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), "Are you sure you want to delete preference set First?");
  EXPECT_EQ(data.QueryCollection("select * from TablePrefs where PrefID=1").RecordCount(), 0);
  EXPECT_EQ(preferences.Name, "First");  // deleting does not change the current set

  // An "Age groups" button with no choice resets that window's grouping.
  preferences.Table.Age[0] = 3;
  dialogs.Push(-1);
  preferences.ChooseAgeGroups(0, data, dialogs);
  EXPECT_EQ(preferences.Table.Age[0], 0);
}

}  // namespace
}  // namespace kavrel
