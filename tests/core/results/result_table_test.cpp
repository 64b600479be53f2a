#include "core/results/result_table.h"

#include <functional>

#include <gtest/gtest.h>

#include "core/agesched/age_groups.h"
#include "core/engine/disease.h"

namespace kavrel {
namespace {

// Highest age 9, groups 0-4 and 5+, 100 persons at each age 0-4 and 200 at 5-9, so every
// figure below can be checked by hand.
struct TableFixture : ::testing::Test {
  TableFixture() {
    for (int a = 0; a <= 9; ++a) population[kMales][a] = a < 5 ? 100.0 : 200.0;
    mortality[kMales][9] = 0.5;
    groups.Groups.push_back(std::make_unique<Tagegroup>(0, 5, 9));
    groups.Groups.push_back(std::make_unique<Tagegroup>(5, 9));
    list.BuildRows(groups, kMales);
  }
  Series Make(std::function<double(int)> f) {
    Series s{};
    for (int a = 0; a <= 9; ++a) s[a] = f(a);
    return s;
  }
  std::vector<std::string> Texts(const Tkolomnew& column) {
    std::vector<std::string> texts;
    for (const auto& cell : column.Cells) texts.push_back(cell.Text);
    return texts;
  }

  std::array<Series, kSexCount> population{};
  std::array<Series, kSexCount> mortality{};
  TableEnvironment env{population, mortality, 9, true};
  Tkolomlijst list{env};
  Tagegrouplist groups;
};

using ResultTableTest = TableFixture;

TEST_F(ResultTableTest, RowsAndTheirLabels) {
  ASSERT_EQ(list.Rows.size(), 3u);
  EXPECT_EQ(list.Rows[0].Label, "0-4");
  EXPECT_EQ(list.Rows[1].Label, "5+");
  EXPECT_EQ(list.Rows[2].Label, "0+");  // "All ages" covers 0 to the last group's end
  EXPECT_EQ(list.Rows[2].PopTotal, 1500.0);
  EXPECT_EQ(Tagegroup(10, 11, 100).Label, "10");
}

TEST_F(ResultTableTest, PlainColumnRatesAndNumbers) {
  const Series prevalence = Make([](int a) { return 0.01 * a; });
  Tkolomnew column(list, true, true, true, &prevalence, "Prevalence", "Output");
  column.Recalculate(list, true, 2, 2);
  EXPECT_EQ(Texts(column), (std::vector<std::string>{"20.00", "70.00", "53.33"}));
  EXPECT_EQ(column.UnitSuffix, " (rates * 1000)");
  EXPECT_DOUBLE_EQ(column.Cells[0].Value, 0.02);
  column.Recalculate(list, false, 2, 2);
  EXPECT_EQ(Texts(column), (std::vector<std::string>{"10", "70", "80"}));
  EXPECT_EQ(column.UnitSuffix, " (numbers)");
  column.Recalculate(list, true, 3, 0);
  EXPECT_EQ(column.UnitSuffix, " (rates)");
  // Halves round to even in numbers mode.
  const Series half = Make([](int a) { return a == 0 ? 0.025 : 0.0; });  // 2.5 persons
  Tkolomnew halves(list, true, true, true, &half, "x", "");
  halves.Recalculate(list, false, 0, 0);
  EXPECT_EQ(halves.Cells[0].Text, "2");
  // A row without people shows "NA".
  population[kMales].fill(0.0);
  Tkolomlijst empty(env);
  empty.BuildRows(groups, kMales);
  Tkolomnew none(empty, true, true, true, &prevalence, "Prevalence", "");
  none.Recalculate(empty, true, 2, 0);
  EXPECT_EQ(none.Cells[0].Text, "NA");
  EXPECT_EQ(none.Cells[0].Value, 0.0);
}

TEST_F(ResultTableTest, HazardInputColumn) {
  const Series incidence = Make([](int a) { return 0.001 * (a + 1); });
  Tkolomnewhaz column(list, true, true, false, &incidence, "Incidence", "Input");
  column.Recalculate(list, false, 3, 2);  // never numbers
  EXPECT_EQ(Texts(column), (std::vector<std::string>{"3.000", "8.000", "NA"}));
  EXPECT_EQ(column.UnitSuffix, " (rates * 1000)");
  // Duration input: no multiplier on the values, the suffix all the same.
  Tkolomnewhaz duration(list, true, false, false, &incidence, "Duration", "Input");
  duration.Recalculate(list, true, 3, 2);
  EXPECT_EQ(duration.Cells[0].Text, "0.003");
  EXPECT_EQ(duration.UnitSuffix, " (rates * 1000)");
}

TEST_F(ResultTableTest, IncidenceConversions) {
  const Series incidence = Make([](int) { return 0.01; });
  const Series prevalence = Make([](int) { return 0.1; });
  Tkolomnewinci column(list, true, true, true, &prevalence, &incidence, "Incidence", "Output",
                       false);
  struct Case {
    bool givenAsHazard, hazards;
    double rate;
  };
  const Case cases[] = {
      {true, true, 0.01},         // hazards shown as hazards
      {true, false, 0.009},       // hazards shown as rates in the population: x (1 - p)
      {false, true, 0.01 / 0.9},  // population rates shown as hazards: / (1 - p)
      {false, false, 0.01},       // population rates as they are
  };
  for (const Case& c : cases) {
    list.Env.IncidenceIsHazard = c.givenAsHazard;
    column.SetHazardMode(c.hazards);
    column.Recalculate(list, true, 6, 0);
    EXPECT_NEAR(column.Cells[0].Value, c.rate, 1e-15) << c.givenAsHazard << c.hazards;
  }
  // Numbers count new cases in the whole population even with hazards chosen, and the rates
  // afterwards stay population rates until hazards are chosen again.
  list.Env.IncidenceIsHazard = true;
  column.SetHazardMode(true);
  column.Recalculate(list, false, 2, 0);
  EXPECT_NEAR(column.Cells[0].Value, 4.5, 1e-12);  // 0.9 x 0.01 x 500 new cases
  EXPECT_EQ(column.UnitSuffix, " (numbers)");
  column.Recalculate(list, true, 4, 0);
  EXPECT_NEAR(column.Cells[0].Value, 0.009, 1e-15);
}

TEST_F(ResultTableTest, WeightedColumns) {
  const Series remission = Make([](int) { return 0.2; });
  const Series prevalence = Make([](int a) { return a < 5 ? 0.0 : 0.1; });
  Tkolomnewremicfat column(list, true, true, true, &prevalence, &remission, "Remission", "");
  column.Recalculate(list, true, 3, 0);
  EXPECT_EQ(Texts(column), (std::vector<std::string>{"0.000", "0.200", "0.200"}));  // no cases: 0
  column.Recalculate(list, false, 3, 0);
  EXPECT_EQ(column.Cells[1].Text, "20");  // 0.2 x 0.1 x 1000

  const Series duration = Make([](int a) { return 1.0 * a; });
  const Series incidence = Make([](int) { return 0.01; });
  Tkolomnewdura dura(list, true, false, false, &incidence, &duration, "Duration", "");
  dura.Recalculate(list, false, 2, 3);  // never numbers, decimals as asked
  EXPECT_EQ(Texts(dura), (std::vector<std::string>{"2.00", "7.00", "5.33"}));
  EXPECT_EQ(dura.UnitSuffix, " (years)");
  Tkolomnewrrmort rr(list, true, false, false, &incidence, &duration, "RR mortality", "");
  rr.Recalculate(list, true, 1, 0);
  EXPECT_EQ(rr.UnitSuffix, " (ratio)");
}

TEST_F(ResultTableTest, MeanAgeOfOnset) {
  const Series incidence = Make([](int) { return 0.01; });
  const Series prevalence{};
  Tkolomnewonset onset(list, true, false, true, &prevalence, &incidence, "Age of onset", "");
  onset.Recalculate(list, true, 4, 0);
  // 0-4: ages weighted by 1 case each: mean 2, plus half a year.
  EXPECT_NEAR(onset.Cells[0].Value, 2.5, 1e-12);
  // 5+: ages 5 ... 8 with 2 cases each (sum of a q = 52, of q = 8), then from age 9 to 130 a
  // population halving every year from 200: q' = 1, 0.5, ... (sums 2 and 9 x 2 + 2 = 20).
  EXPECT_NEAR(onset.Cells[1].Value, (52.0 + 20.0) / (8.0 + 2.0) + 0.5, 1e-9);
  EXPECT_NEAR(onset.Cells[2].Value, (62.0 + 20.0) / (13.0 + 2.0) + 0.5, 1e-9);
  EXPECT_EQ(onset.UnitSuffix, " (years)");
}

TEST_F(ResultTableTest, TextCaptionsAndBlocks) {
  Tdisease disease("Asthma");
  for (int a = 0; a <= 9; ++a) {
    disease.InputSeries[kIncidence][kMales][a] = 0.01;
    disease.OutputSeries[kPrevalence][kMales][a] = 0.1;
  }
  disease.InputPresent[kIncidence][kMales] = true;
  disease.InputPresent[kDuration][kMales] = true;
  disease.Calculated[kMales] = true;
  ColumnVisibility visible;
  visible.Input[kDuration] = false;
  AddStandardColumns(list, disease, kMales, InputColumns::kProcessing, visible, false);
  ASSERT_EQ(list.Columns.size(), 2u + 8u);
  EXPECT_EQ(list.Columns[1]->Caption, "Duration");
  EXPECT_EQ(list.Columns.back()->Caption, "Age of onset");
  list.Recalculate(true, 2, 3);
  const TableText text = BuildTableText(list, 2);
  ASSERT_EQ(text.Headers.size(), 1u + 9u);  // the hidden input duration left out
  EXPECT_EQ(text.Headers[1], "Incidence (rates * 10000)");
  EXPECT_EQ(text.Groups[1], "Input");
  EXPECT_EQ(text.Groups[2], "Output");
  ASSERT_EQ(text.Rows.size(), 4u);
  EXPECT_EQ(text.Rows[2], std::vector<std::string>(10, ""));
  EXPECT_EQ(text.Rows[3][0], "All ages");
  EXPECT_EQ(text.Rows[3][1], "NA");
  EXPECT_EQ(TableCaption("Males, Disease: Asthma", false, 3),
            "Males, Disease: Asthma (Rates * 10,000)");
  EXPECT_EQ(TableCaption("T", true, 3), "T (Numbers)");
  EXPECT_EQ(TableCaption("T", false, 0), "T (Rates)");
  EXPECT_EQ(StoreDataLines("Example", "T (Rates)", kFemales, "10-12-2026", "12:00"),
            (std::vector<std::string>{"Kavrel input and output, database Example",
                                      "T (Rates), sex: Females", "Written 10-12-2026, 12:00"}));
  const PrintLayout print = BuildPrintLayout(list, "Example", "T", "d", "t");
  EXPECT_EQ(print.PageHeader[1], "Dataset: Example, T");
  EXPECT_EQ(print.Inputs.Columns.size(), 2u);  // printed whether visible or not
  EXPECT_EQ(print.Outputs.Columns.size(), 8u);
  EXPECT_EQ(print.Inputs.Labels.back(), "All ages");
  EXPECT_EQ(print.Outputs.Columns[0][0], "Incidence");
}

// Limits follow each output where asked and present; a group's limits hold its output between
// them.
TEST_F(ResultTableTest, LimitsBesideTheOutputs) {
  Tdisease disease("Asthma");
  for (int a = 0; a <= 9; ++a) {
    for (int v = 0; v < kVariableCount; ++v) disease.OutputSeries[v][kMales][a] = 0.01 * (a + 1);
  }
  disease.Calculated[kMales] = true;
  OutputIntervals& intervals = disease.Intervals[kMales];
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= 9; ++a) {
      intervals.Lower[v][a] = 0.8 * disease.OutputSeries[v][kMales][a];
      intervals.Upper[v][a] = 1.25 * disease.OutputSeries[v][kMales][a];
    }
  }
  ColumnVisibility visible;
  visible.Limits = true;
  AddStandardColumns(list, disease, kMales, InputColumns::kProcessing, visible, false);
  EXPECT_EQ(list.Columns.size(), 8u) << "no intervals present: no limits";
  list.Clear();
  list.BuildRows(groups, kMales);
  intervals.Present = true;
  AddStandardColumns(list, disease, kMales, InputColumns::kProcessing, visible, false);
  ASSERT_EQ(list.Columns.size(), 3u * 7u + 1u);
  EXPECT_EQ(list.Columns[3]->Caption, "Prevalence");
  EXPECT_EQ(list.Columns[4]->Caption, "Prevalence lower");
  EXPECT_EQ(list.Columns[5]->Caption, "Prevalence upper");
  list.Recalculate(true, 4, 0);
  for (std::size_t c = 0; c + 2 < list.Columns.size(); c += 3) {
    for (std::size_t r = 0; r < list.Rows.size(); ++r) {
      const double value = list.Columns[c]->Cells[r].Value;
      EXPECT_LE(list.Columns[c + 1]->Cells[r].Value, value) << list.Columns[c]->Caption;
      EXPECT_GE(list.Columns[c + 2]->Cells[r].Value, value) << list.Columns[c]->Caption;
    }
  }
}

TEST(FiveYearGroupsTest, Labels) {
  const auto groups = FiveYearGroups(100, "5-year groups");
  ASSERT_EQ(groups.Groups.size(), 21u);
  EXPECT_EQ(groups.Groups[19]->Label, "95-99");
  EXPECT_EQ(groups.Groups[20]->Label, "100+");
}

}  // namespace
}  // namespace kavrel
