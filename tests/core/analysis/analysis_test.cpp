#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/analysis/analysis_output.h"
#include "core/analysis/analysis_storage.h"
#include "core/analysis/analysis_window.h"
#include "core/analysis/sensitivity.h"
#include "core/analysis/uncertainty.h"
#include "core/base/messages_log.h"
#include "core/base/progress.h"
#include "core/engine/disease_store.h"
#include "core/exchange/population.h"
#include "core/store/data_kavrel.h"
#include "core/store/datasets.h"
#include "example_data.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

TEST(SummaryTest, SearchOnConstructedRunSets) {
  // 50 runs 1 ... 50 around a central value of 25.5: the 50% interval covers 25 positions.
  std::vector<double> runs;
  for (int k = 1; k <= 50; ++k) runs.push_back(k);
  const auto found = SearchIntervals(runs, 25.5, {0.5, 0.6, 0.7, 0.8, 0.9});
  EXPECT_GE(found[0].second - found[0].first, 25);
  for (std::size_t i = 1; i < found.size(); ++i) {
    EXPECT_LE(found[i].first, found[i - 1].first);  // wider intervals go on from narrower ones
    EXPECT_GE(found[i].second, found[i - 1].second);
  }
  // Every run above the central value: p is 0 and the lower bound stays at the smallest run.
  const auto above = SearchIntervals({2, 3, 4, 5}, 1.0, {0.5});
  EXPECT_EQ(above[0].first, 0);
  // An interval that 500 rounds cannot reach keeps what was reached: with two runs at the central
  // value 0 the window widens by the least step, 1e-6, takes in both zeros (half the runs) and
  // never gets near the run at 5 that 60% needs.
  const auto stuck = SearchIntervals({0.0, 0.0, 5.0, 10.0}, 0.0, {0.6});
  EXPECT_EQ(stuck[0], std::make_pair(0, 2));

  Tuncertsummary summary;
  summary.SetIntervals({1, 5});
  EXPECT_EQ(summary.LabelsText(), "50% 90% ");
  std::vector<Tresultin> results(4);
  for (int k = 0; k < 4; ++k) results[k].Outputs[kPrevalence].fill(0.1 * (k + 1));
  std::array<Series, kVariableCount> central{};
  central[kPrevalence].fill(0.25);
  summary.Compute(results, central, 10);
  // From the central 0.25 the window takes 0.2 ... 0.3 (one step), then 0.1 ... 0.4, which covers
  // 3/4 of the runs: enough for 50%; 90% cannot be reached with four runs and keeps 0.1 ... 0.4.
  EXPECT_DOUBLE_EQ(summary.Intervals[0].Bounds[kPrevalence][0][3], 0.1);
  EXPECT_DOUBLE_EQ(summary.Intervals[0].Bounds[kPrevalence][1][3], 0.4);
  EXPECT_DOUBLE_EQ(summary.Intervals[1].Bounds[kPrevalence][1][3], 0.4);
}

TEST(SensitivityStepsTest, LabelsAndLimits) {
  const auto labels = [](int count, int percent) {
    std::vector<std::string> texts;
    for (const auto& step : BuildSteps(count, percent)) texts.push_back(step.Label);
    return texts;
  };
  EXPECT_EQ(labels(3, 5),
            (std::vector<std::string>{"-15%", "-10%", "-5%", "0%", "+5%", "+10%", "+15%"}));
  EXPECT_EQ(labels(30, 5).front(), "-95%");  // k = -20 gives just below -1
  EXPECT_EQ(labels(30, 25).front(), "-100%");
  EXPECT_EQ(labels(0, 5), std::vector<std::string>{"0%"});
}

// The example data set, Stroke (stored adjusted incidence, remission and case fatality), opened
// as the analysis window opens a disease.
struct AnalysisTest : ::testing::Test {
  void SetUp() override {
    const std::string program = dir.File("bin");
    install::BuildTemplates(program);
    install::BuildExampleData(program, dir.File("data"));
    file = dir.File("data/data/Example.mdb");
    maxAge = ProbeHighestAge(data, file);
    data.OpenDataset(file);
    ASSERT_EQ(LoadMortality(population, data, dialogs, log, maxAge), PopulationLoad::kLoaded);
    ASSERT_TRUE(data.KavrelTable1().Locate("DiseaseName", "Stroke"));
    disease.TakeRecord(data.KavrelTable1());
    DiseaseStore store{data, dialogs, maxAge};
    store.LoadProcessedFlags(disease);
    for (int s = 0; s < kSexCount; ++s) store.LoadAdjusted(disease, s);
    disease.InputPresent = disease.Processed;
    disease.Sex = kMales;
    disease.TrendsOn = false;
  }
  AnalysisSetup Setup(int threads) {
    AnalysisSetup setup{maxAge, population.AllCauseMortality, log, {}, threads};
    setup.Options.Simplex.WarnOnMaxIterations = false;
    setup.Options.Simplex.AskMoreIterations = false;
    return setup;
  }

  TempDir dir;
  std::string file;
  int maxAge = 0;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  MessagesLog log;
  PopulationSeries population;
  Tdiseaseam disease{"Stroke"};
  NoProgress progress;
  std::array<bool, kVariableCount> checked{true, false, true, true, false, false, false};
};

TEST_F(AnalysisTest, ParallelUncertaintyEqualsSequential) {
  std::array<std::vector<Tresultin>, 2> runs;
  std::array<Tuncertsummary, 2> summaries;
  for (int pass = 0; pass < 2; ++pass) {
    Tuncertklas analysis(disease, {0, 0, 1, 2, 0, 0, 0});
    analysis.Reset(kMales, checked, FiveYearGroups(maxAge, "Standard"), 0.1);
    analysis.Iterations = 12;
    RandomSource random(5, 20261210u);
    ASSERT_TRUE(analysis.Start(disease, checked, random, Setup(pass == 0 ? 1 : 4), data, dialogs,
                               progress));
    EXPECT_TRUE(analysis.HasResults);
    runs[pass] = analysis.Runs;
    summaries[pass] = analysis.Summary;
  }
  ASSERT_EQ(runs[0].size(), 12u);
  for (std::size_t k = 0; k < 12; ++k) {
    for (int v = 0; v < kVariableCount; ++v)
      EXPECT_EQ(runs[0][k].Outputs[v], runs[1][k].Outputs[v]);
  }
  EXPECT_EQ(summaries[0].Intervals[4].Bounds[kPrevalence][1],
            summaries[1].Intervals[4].Bounds[kPrevalence][1]);
  // The bounds are order statistics of the runs.
  double low = 1.0, high = 0.0;
  for (const auto& run : runs[0]) {
    low = std::min(low, run.Outputs[kPrevalence][70]);
    high = std::max(high, run.Outputs[kPrevalence][70]);
  }
  EXPECT_GE(summaries[0].Intervals[4].Bounds[kPrevalence][0][70], low);
  EXPECT_LE(summaries[0].Intervals[4].Bounds[kPrevalence][1][70], high);
  EXPECT_LT(low, high);  // the drawn inputs do spread the outputs

  Tuncertklas few(disease, {});
  few.Iterations = 1;
  RandomSource random(5, 1u);
  EXPECT_FALSE(few.Start(disease, checked, random, Setup(1), data, dialogs, progress));
  EXPECT_EQ(dialogs.Texts().back(), kTooFewIterations);
}

// A run of an analysis fits on the shared disease without changing it, and gives the outputs the
// disease's own calculation of the same inputs gives, number for number, with both fitting
// methods.
TEST_F(AnalysisTest, SharedFitRunsEqualTheDiseasesOwnCalculation) {
  std::array<Series, kSexCount> other{};
  const ModelEnvironment env{maxAge, population.AllCauseMortality, other, log,
                             &population.PopulationNumbers};
  disease.Sex = kMales;
  disease.TrendsOn = false;
  for (int v : {kIncidence, kCaseFatality}) disease.InputPresent[v][kMales] = true;
  disease.CalculatePlain(env, false);
  for (int v : {kPrevalence, kMortality}) {
    disease.InputSeries[v][kMales] = disease.ModelSeries[v][kMales];
    disease.InputPresent[v][kMales] = true;
  }
  for (int v : {kIncidence, kCaseFatality}) disease.InputPresent[v][kMales] = false;
  RunInputs varied{};
  for (int v = 0; v < kVariableCount; ++v) varied[v] = disease.InputSeries[v][kMales];
  for (double& value : varied[kPrevalence]) value *= 1.1;
  for (const FitMethod method : {FitMethod::kPerAgeGroup, FitMethod::kAllAges}) {
    AnalysisSetup setup = Setup(2);
    setup.Options.Method = method;
    setup.PopulationNumbers = &population.PopulationNumbers;
    const auto before = disease.ModelSeries;
    const auto runs = RunCalculations(disease, {varied, varied}, setup, progress);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(disease.ModelSeries, before);
    auto own = CopyForCalculation(disease);
    for (int v = 0; v < kVariableCount; ++v) own->InputSeries[v][kMales] = varied[v];
    ASSERT_TRUE(own->Calculate(env, setup.Options, dialogs));
    own->CopyToOutput();
    for (int v = 0; v < kVariableCount; ++v) {
      EXPECT_EQ(runs[0].Outputs[v], own->OutputSeries[v][kMales]) << static_cast<int>(method);
      EXPECT_EQ(runs[1].Outputs[v], runs[0].Outputs[v]);
    }
  }
}

// The fit over all ages in an analysis: 100 runs on four threads equal one thread's, number for
// number (each fit solves alone, on its own thread).
TEST_F(AnalysisTest, AllAgesFitRunsEqualOnAnyNumberOfThreads) {
  // Stroke as prevalence and mortality (from its stored hazards) with remission given: incidence
  // and case fatality are fitted. Set up again for each pass: a run reloads the stored outputs.
  const auto asPrevalenceAndMortality = [&] {
    std::array<Series, kSexCount> other{};
    disease.Sex = kMales;
    disease.TrendsOn = false;
    for (int v : {kIncidence, kCaseFatality}) disease.InputPresent[v][kMales] = true;
    disease.CalculatePlain(
        ModelEnvironment{maxAge, population.AllCauseMortality, other, log, nullptr}, false);
    for (int v : {kPrevalence, kMortality}) {
      disease.InputSeries[v][kMales] = disease.ModelSeries[v][kMales];
      disease.InputPresent[v][kMales] = disease.Processed[v][kMales] = true;
    }
    for (int v : {kIncidence, kCaseFatality}) {
      disease.InputPresent[v][kMales] = disease.Processed[v][kMales] = false;
    }
  };
  const PerVariableAndSex<Series> stored = disease.InputSeries;
  checked = {false, true, false, false, false, true, false};
  std::array<std::vector<Tresultin>, 2> runs;
  for (int pass = 0; pass < 2; ++pass) {
    disease.InputSeries = stored;
    asPrevalenceAndMortality();
    Tuncertklas analysis(disease, {0, 0, 1, 2, 0, 0, 0});
    analysis.Reset(kMales, checked, FiveYearGroups(maxAge, "Standard"), 0.1);
    analysis.Iterations = 100;
    RandomSource random(5, 20261211u);
    AnalysisSetup setup = Setup(pass == 0 ? 1 : 4);
    setup.Options.Method = FitMethod::kAllAges;
    setup.Options.Exact = {false, true, false};
    setup.PopulationNumbers = &population.PopulationNumbers;
    ASSERT_TRUE(analysis.Start(disease, checked, random, setup, data, dialogs, progress));
    runs[pass] = analysis.Runs;
  }
  ASSERT_EQ(runs[0].size(), 100u);
  for (std::size_t k = 0; k < runs[0].size(); ++k) {
    for (int v = 0; v < kVariableCount; ++v)
      ASSERT_EQ(runs[0][k].Outputs[v], runs[1][k].Outputs[v]) << k << " " << v;
  }
}

TEST_F(AnalysisTest, StoredSummaryAndVariantsRoundTrip) {
  Tuncertklas analysis(disease, {});
  analysis.Reset(kMales, checked, FiveYearGroups(maxAge, "Standard"), 0.1);
  analysis.Iterations = 4;
  RandomSource random(2, 7u);
  ASSERT_TRUE(analysis.Start(disease, checked, random, Setup(2), data, dialogs, progress));
  ASSERT_TRUE(PrepareSet(AnalysisSet::kUncertSum, data, dialogs, disease.InputId, kMales, maxAge));
  EXPECT_TRUE(data.DatasetHasTable("UncertSumRRMortality"));
  StoreSummary(data, disease, kMales, analysis.Summary, maxAge);
  const auto loaded = LoadStoredSummary(data, disease.InputId, kMales, maxAge, log);
  ASSERT_EQ(loaded.Intervals.size(), 5u);
  for (int a = 0; a <= maxAge; ++a) {
    EXPECT_NEAR(loaded.Intervals[2].Bounds[kMortality][1][a],
                analysis.Summary.Intervals[2].Bounds[kMortality][1][a], 1e-14);
  }
  // Storing again asks; Cancel deletes nothing; OK deletes nothing yet: the store replaces the
  // sex's rows in its own transaction, so an interruption in between loses nothing.
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(PrepareSet(AnalysisSet::kUncertSum, data, dialogs, disease.InputId, kMales, maxAge));
  EXPECT_EQ(dialogs.Texts().back(), "Uncertainty summary data already exists. Overwrite?");
  EXPECT_EQ(data.QueryDataset("select * from UncertSumIncidence").RecordCount(), 10);
  EXPECT_TRUE(
      PrepareSet(AnalysisSet::kUncertSum, data, dialogs, disease.InputId, kFemales, maxAge));
  dialogs.Push(DialogButton::kOK);
  EXPECT_TRUE(PrepareSet(AnalysisSet::kUncertSum, data, dialogs, disease.InputId, kMales, maxAge));
  EXPECT_EQ(data.QueryDataset("select * from UncertSumIncidence").RecordCount(), 10);
  StoreSummary(data, disease, kMales, analysis.Summary, maxAge);
  EXPECT_EQ(data.QueryDataset("select * from UncertSumIncidence").RecordCount(), 10);

  Tsensklas sensitivity(disease);
  sensitivity.StepCount = 1;
  sensitivity.RebuildSteps();
  const std::array<bool, kVariableCount> one{true, false, false, false, false, false, false};
  ASSERT_TRUE(sensitivity.Start(disease, one, Setup(2), data, dialogs, progress));
  ASSERT_EQ(sensitivity.Results.Variants.size(), 3u);
  EXPECT_EQ(sensitivity.Results.Variants[0].Variant, "-5%");
  EXPECT_EQ(sensitivity.Results.Variants[0].VarName, "Incidence");
  // More incidence, more prevalence.
  EXPECT_LT(sensitivity.Results.Variants[0].Outputs[kPrevalence][70],
            sensitivity.Results.Variants[2].Outputs[kPrevalence][70]);
  ASSERT_TRUE(PrepareSet(AnalysisSet::kSense, data, dialogs, disease.InputId, kMales, maxAge));
  StoreVariants(data, disease, kMales, sensitivity.Results, maxAge);
  const auto variants = LoadStoredVariants(data, disease.InputId, kMales, maxAge);
  ASSERT_EQ(variants.Variants.size(), 3u);
  // In numeric order, not as the texts sort ("+5%" before "-5%").
  EXPECT_EQ(variants.Variants[0].Variant, "-5%");
  EXPECT_EQ(variants.Variants[1].Variant, "0%");
  EXPECT_EQ(variants.Variants[2].Variant, "+5%");
  EXPECT_NEAR(variants.Variants[2].Outputs[kPrevalence][70],
              sensitivity.Results.Variants[2].Outputs[kPrevalence][70], 1e-15);

  Tkolomlijst list(
      TableEnvironment{population.PopulationNumbers, population.AllCauseMortality, maxAge, true});
  list.BuildRows(FiveYearGroups(maxAge, "Standard"), kMales);
  AddSensitivityColumns(list, disease, kMales, variants.Variants[0], ColumnVisibility{});
  ASSERT_EQ(list.Columns.size(), 16u);
  EXPECT_EQ(list.Columns[8]->Group, "Sensitivity output");
  Tkolomlijst table(
      TableEnvironment{population.PopulationNumbers, population.AllCauseMortality, maxAge, true});
  table.BuildRows(FiveYearGroups(maxAge, "Standard"), kMales);
  AddUncertaintyColumns(table, kDuration, disease, kMales, analysis.Summary);
  ASSERT_EQ(table.Columns.size(), 1u + 2u * 5u);
  EXPECT_EQ(table.Columns[1]->Group, "UI 50%");
  EXPECT_EQ(UncertaintyGraphLines(kDuration, analysis.Summary).size(), 11u);
  EXPECT_EQ(UncertaintyTableTitle("Stroke", kRRMortality),
            "Uncertainty results, Stroke RR mortality");

  // An export's "Include": the three stored variants, then the seven uncertainty tables, each
  // with its columns on the export's rows; the women have nothing stored.
  std::vector<std::pair<std::string, std::size_t>> written;
  const auto write = [&](const std::string& title) {
    written.emplace_back(title, table.Columns.size());
    for (const auto& column : table.Columns) EXPECT_EQ(column->Cells.size(), table.Rows.size());
  };
  table.Columns.clear();
  WriteStoredAnalysisTables(data, log, maxAge, disease, kMales, true, true, table, write);
  ASSERT_EQ(written.size(), 3u + 7u);
  EXPECT_EQ(written[0], std::make_pair(SensitivityTableTitle(variants.Variants[0]), 16ul));
  EXPECT_EQ(written[3], std::make_pair(UncertaintyTableTitle("Stroke", kIncidence), 11ul));
  EXPECT_TRUE(table.Columns.empty());
  written.clear();
  WriteStoredAnalysisTables(data, log, maxAge, disease, kFemales, true, true, table, write);
  EXPECT_TRUE(written.empty());
  WriteStoredAnalysisTables(data, log, maxAge, disease, kMales, false, true, table, write);
  EXPECT_EQ(written.size(), 7u);
}

TEST_F(AnalysisTest, WindowModels) {
  AnalysisOptionsState analysisOptions;
  RandomSource random(5, 99u);
  AnalysisWindow window({data, dialogs, log, maxAge, population.AllCauseMortality, analysisOptions,
                         random, FiveYearGroups(maxAge, "Standard"), 2},
                        disease);
  window.Show();
  EXPECT_EQ(window.Variables, (std::vector<int>{kIncidence, kRemission, kCaseFatality}));
  EXPECT_EQ(window.StepsLabel(), "-15% -10% -5% 0% +5% +10% +15% ");
  for (int row = 0; row < 3; ++row) window.SetChecked(row, false);
  EXPECT_FALSE(window.StartEnabled());
  window.SetChecked(0, true);
  window.SetStepCount(1);
  NoProgress progress;
  ASSERT_TRUE(window.Start(progress));
  EXPECT_TRUE(window.ResultsEnabled());
  // Nothing may stop a run to ask.
  EXPECT_FALSE(window.RunOptions().Simplex.AskMoreIterations ||
               window.RunOptions().Simplex.WarnOnMaxIterations);
  // What "Show output" offers and draws: each variant, its original and varied outputs.
  const ViewOptionsState view;
  const auto items = SensitivityOutputItems(window.Sensitivity->Results);
  ASSERT_EQ(items.size(), 3u);  // one step each way and 0 %
  EXPECT_EQ(items.front(), "Incidence -5%");
  const Tsensresultin& variant = window.Sensitivity->Results.Variants.front();
  const auto lines = SensitivityPlotLines(disease, kMales, variant, view);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[2].Title, "Prevalence (o)");
  EXPECT_EQ(lines[3].Title, "Prevalence (s)");
  EXPECT_EQ(lines[3].Data, &variant.Outputs[kPrevalence]);
  EXPECT_EQ(SensitivityGraphTitle(variant),
            "Original (o) and sensitivity (s) results, Incidence, -5%");
  window.SetKind(AnalysisWindow::Kind::kUncertainty);
  EXPECT_FALSE(window.ResultsEnabled());
  EXPECT_EQ(window.IntervalsLabel(), "50% 60% 70% 80% 90% ");
  // Uncertainty graphs: the central value, then two lines per interval, one of them in the legend.
  const auto bands =
      UncertaintyPlotLines(kPrevalence, disease, kMales, window.Uncertainty->Summary, view);
  ASSERT_EQ(bands.size(), 11u);
  EXPECT_EQ(bands[0].Data, &disease.OutputSeries[kPrevalence][kMales]);
  EXPECT_EQ(bands[1].Title, "UI 50%");
  EXPECT_TRUE(bands[1].InLegend);
  EXPECT_FALSE(bands[2].InLegend);
  EXPECT_EQ(bands[1].LineColour, view.UncertaintyColours[1]);
  // Uncertainty from the fit needs no checked input, but a fit: a disease calculated plainly
  // (incidence, remission and case fatality given) is refused, saying why, and nothing is kept.
  window.FromFit = true;
  for (int row = 0; row < 3; ++row) window.SetChecked(row, false);
  EXPECT_TRUE(window.StartEnabled());
  try {
    window.Start(progress);
    ADD_FAILURE() << "a run from the fit of a plain calculation";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("needs a fit"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(window.ResultsEnabled());
  window.FromFit = false;
  window.SetChecked(0, true);
  window.SetKind(AnalysisWindow::Kind::kSensitivity);
  EXPECT_FALSE(window.ResultsEnabled());  // the earlier sensitivity results are gone

  // The settings window: a new distribution resets the other variables' hand-made parameters.
  window.SetKind(AnalysisWindow::Kind::kUncertainty);
  window.SetChecked(1, true);
  Tuncertklas& uncertainty = *window.Uncertainty;
  uncertainty.RebuildSpecs(kMales, {true, false, true, false, false, false, false},
                           FiveYearGroups(maxAge, "Standard"), 0.1);
  UncertaintySettingsWindow settings(uncertainty, {kIncidence, kRemission}, kMales,
                                     FiveYearGroups(maxAge, "Standard"), 0.1, dialogs);
  EXPECT_EQ(settings.VariableName(), "Incidence");
  EXPECT_EQ(settings.Grid.Cell(2, 0), "Stdev");
  EXPECT_EQ(settings.Grid.Cell(0, 1), "0-4");
  settings.StepRight();
  EXPECT_EQ(settings.VariableName(), "Remission");
  uncertainty.Specs[kIncidence]->Distributions[0]->Param = 123.0;
  settings.SetDistribution(2);  // triangular for remission
  EXPECT_EQ(settings.Grid.Cell(3, 0), "Low dev");
  EXPECT_NE(uncertainty.Specs[kIncidence]->Distributions[0]->Param, 123.0);
  // Input intervals of the shown variable into the summary's bounds.
  const double saved = uncertainty.SavedInputs[kRemission][kMales][40];
  EXPECT_LT(uncertainty.Summary.Intervals[4].Bounds[kRemission][0][40], saved);
  EXPECT_GT(uncertainty.Summary.Intervals[4].Bounds[kRemission][1][40], saved);
  // "Define": ten-year groups, the distributions made anew for them.
  Tagegrouplist tens;
  for (int low = 0; low <= maxAge; low += 10) {
    tens.Groups.push_back(std::make_unique<Tagegroup>(low, std::min(low + 10, maxAge + 1), maxAge));
  }
  settings.SetAgeGroups(tens);
  EXPECT_EQ(settings.Grid.RowCount(), static_cast<int>(tens.Groups.size()) + 1);
  EXPECT_EQ(settings.Grid.Cell(0, 1), "0-9");
  // "S&tore data": the grid with the lines that say where it came from.
  std::vector<std::string> header;
  settings.StoreData(
      [&](const TextGrid& grid, bool sideBySide, const std::vector<std::string>& lines, bool) {
        EXPECT_TRUE(sideBySide);
        EXPECT_EQ(grid.RowCount(), settings.Grid.RowCount());
        header = lines;
        return true;
      },
      "Example", "10-12-2026", "12:00");
  EXPECT_EQ(header, (std::vector<std::string>{"Kavrel input, database Example",
                                              "Written 10-12-2026, 12:00"}));
  settings.SetAgeGroups(FiveYearGroups(maxAge, "Standard"));
  settings.Grid.SetCell(3, 1, "abc");
  settings.CellsEdited('.');
  EXPECT_TRUE(dialogs.Texts().back().starts_with(kInvalidCellMessage));

  // A finished run: other intervals are computed from its runs, and "Save" stores those numbers
  // without running again.
  uncertainty.Iterations = 6;
  ASSERT_TRUE(window.Start(progress));
  const std::vector<Tresultin> runs = uncertainty.Runs;
  window.SetIntervals({2, 5});
  EXPECT_TRUE(window.ResultsEnabled());
  EXPECT_EQ(window.IntervalsLabel(), "60% 90% ");
  const double upper = uncertainty.Summary.Intervals[1].Bounds[kPrevalence][1][60];
  EXPECT_GT(upper, disease.OutputSeries[kPrevalence][kMales][60]);
  window.SaveFull = true;
  ASSERT_TRUE(window.Save());
  EXPECT_EQ(uncertainty.Runs.size(), runs.size());
  EXPECT_EQ(uncertainty.Runs.back().Outputs[kPrevalence], runs.back().Outputs[kPrevalence]);
  EXPECT_EQ(data.QueryDataset("select count(*) from UncertPrevalence").AsInteger(0), 6);

  analysisOptions.DefaultValue = "0,1x";
  EXPECT_FALSE(analysisOptions.Coefficient(dialogs));
  EXPECT_EQ(dialogs.Texts().back(), "'0,1x' is not a valid floating point value");
  window.Close();
  // What the window showed comes back when it opens again.
  EXPECT_TRUE(analysisOptions.LastUncertainty);
  EXPECT_TRUE(analysisOptions.LastSaveFull);
  analysisOptions.DefaultValue = "0.1";
  AnalysisWindow again({data, dialogs, log, maxAge, population.AllCauseMortality, analysisOptions,
                        random, FiveYearGroups(maxAge, "Standard"), 2},
                       disease);
  again.Show();
  EXPECT_EQ(again.CurrentKind(), AnalysisWindow::Kind::kUncertainty);
  EXPECT_TRUE(again.SaveFull);
  again.Close();
}

}  // namespace
}  // namespace kavrel
