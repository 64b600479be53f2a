// Fitting and saving one disease of the example data set. The fit is compared with BM_TwoExp
// (engine_bench.cpp); saving with the smallest commit that reaches the disk on the same file.

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "core/analysis/analysis_runs.h"
#include "core/analysis/uncertainty.h"
#include "core/base/messages_log.h"
#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/calc_options.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/engine/processing.h"
#include "core/exchange/population.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/datasets.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// A private copy of the example data set, opened, with its population loaded and one disease's
// inputs read.
struct ExampleSetup {
  explicit ExampleSetup(const std::string& diseaseName) : disease(diseaseName) {
    dir = fs::temp_directory_path() / ("kavrel-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = (dir / "Example.mdb").string();
    fs::copy_file(KAVREL_EXAMPLE_DATASET, file, fs::copy_options::overwrite_existing);
    maxAge = ProbeHighestAge(data, file);
    data.OpenDataset(file);
    LoadMortality(population, data, dialogs, log, maxAge);
    data.KavrelTable1().Locate("DiseaseName", diseaseName);
    disease.TakeRecord(data.KavrelTable1());
    DiseaseStore store{data, dialogs, maxAge};
    store.LoadInputs(disease);
    disease.Sex = kMales;
  }
  ~ExampleSetup() {
    data.CloseDataset();
    fs::remove_all(dir);
  }

  fs::path dir;
  std::string file;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  MessagesLog log;
  PopulationSeries population;
  std::array<Series, kSexCount> otherCause{};
  int maxAge = 0;
  Tdiseaseam disease;
  CalcOptions options;
};

void Fit(benchmark::State& state, bool trends, int method = 0) {
  ExampleSetup setup("Ischaemic heart disease");
  setup.options.Method = method == 1 ? FitMethod::kAllAges : FitMethod::kPerAgeGroup;
  if (trends) {
    setup.disease.Trends[0].Blocks = {{-20, 0, 0.985}};
    setup.disease.TrendsOn = setup.disease.CheckTrends();
  }
  const ModelEnvironment env{setup.maxAge, setup.population.AllCauseMortality, setup.otherCause,
                             setup.log, &setup.population.PopulationNumbers};
  for (auto _ : state) {
    setup.disease.Calculate(env, setup.options, setup.dialogs);
    benchmark::DoNotOptimize(setup.disease.ModelSeries[kPrevalence][kMales][50]);
  }
}

// Prevalence, disease mortality and remission 0, one sex, the default options.
void BM_FitPrevalenceMortality(benchmark::State& state) { Fit(state, false); }
BENCHMARK(BM_FitPrevalenceMortality)->Unit(benchmark::kMillisecond);

// The same fitted over all ages at once (the groups' fit, then the joint least-squares problem);
// compared with BM_FitPrevalenceMortality.
void BM_FitAllAges(benchmark::State& state) { Fit(state, false, 1); }
BENCHMARK(BM_FitAllAges)->Unit(benchmark::kMillisecond);

// The fit over all ages on the same inputs given their precision, as a register would publish
// them: each group's value as a count among the group's persons (person-years for the rates).
// With intervals (95 %), and without; the first at most twice the second.
void FitPrecise(benchmark::State& state, double level) {
  ExampleSetup setup("Ischaemic heart disease");
  setup.options.Method = FitMethod::kAllAges;
  setup.options.IntervalLevel = level;
  LoadPopulation(setup.population, setup.data, setup.dialogs, setup.maxAge);
  const Series& persons = setup.population.PopulationNumbers[kMales];
  for (int v = 0; v < kVariableCount; ++v) {
    for (Tinputdat& row : setup.disease.InputRows[v][kMales]) {
      if (v == kDuration || v == kRRMortality) continue;
      double denominator = 0.0;
      for (int a = row.Lage; a < row.Hage && a <= setup.maxAge; ++a) denominator += persons[a];
      row.Precision = {InputPrecision::Kind::kCount, std::round(row.Waarde * denominator),
                       denominator, 0.0, 0.0};
      row.Waarde = row.Precision.Count / denominator;
    }
  }
  const ModelEnvironment env{setup.maxAge, setup.population.AllCauseMortality, setup.otherCause,
                             setup.log, &setup.population.PopulationNumbers};
  bool intervals = false;
  for (auto _ : state) {
    setup.disease.Calculate(env, setup.options, setup.dialogs);
    intervals = setup.disease.Intervals[kMales].Present;
    benchmark::DoNotOptimize(setup.disease.ModelSeries[kPrevalence][kMales][50]);
  }
  if (intervals != (level > 0.0)) {
    state.SkipWithError(NoIntervalsMessage(setup.disease.Intervals[kMales]).c_str());
  }
}
void BM_FitAllAgesWithIntervals(benchmark::State& state) { FitPrecise(state, 0.95); }
BENCHMARK(BM_FitAllAgesWithIntervals)->Unit(benchmark::kMillisecond);
void BM_FitAllAgesWithoutIntervals(benchmark::State& state) { FitPrecise(state, 0.0); }
BENCHMARK(BM_FitAllAgesWithoutIntervals)->Unit(benchmark::kMillisecond);

// The same with incidence falling 1.5 % a year over the last 20 years.
void BM_FitWithTrends(benchmark::State& state) { Fit(state, true); }
BENCHMARK(BM_FitWithTrends)->Unit(benchmark::kMillisecond);

// Saving one sex's result: seven output rows of 101 values and the adjusted inputs, in one
// transaction, replacing what the previous iteration saved.
void BM_SaveOutputs(benchmark::State& state) {
  ExampleSetup setup("Stroke");
  for (int v = 0; v < kVariableCount; ++v) setup.disease.OutputSeries[v][kMales].fill(0.01 * v);
  DiseaseStore store{setup.data, setup.dialogs, setup.maxAge};
  for (auto _ : state) {
    Database::Transaction transaction(setup.data.Dataset());
    for (int v = 0; v < kVariableCount; ++v) {
      setup.data.ExecDataset("delete from Output" + std::string(kVariableTableWords[v]) +
                             " where InputId=5 and Sex='Males'");
    }
    store.SaveOutputs(setup.disease);
    transaction.Commit();
  }
}
BENCHMARK(BM_SaveOutputs)->Unit(benchmark::kMicrosecond);

// An empty transaction committed on the same file: SQLite writes nothing for it.
void BM_EmptyCommit(benchmark::State& state) {
  ExampleSetup setup("Stroke");
  for (auto _ : state) {
    Database::Transaction transaction(setup.data.Dataset());
    transaction.Commit();
  }
}
BENCHMARK(BM_EmptyCommit)->Unit(benchmark::kMicrosecond);

// The smallest commit that reaches the disk: one flag of one disease, on the same file. Every
// save pays this journal-and-sync cost once.
void BM_OneRowCommit(benchmark::State& state) {
  ExampleSetup setup("Stroke");
  bool flag = false;
  for (auto _ : state) {
    Database::Transaction transaction(setup.data.Dataset());
    flag = !flag;
    setup.data.ExecDataset(std::string("update InputDiseases set MOutput=") +
                           (flag ? "True" : "False") + " where InputId=5");
    transaction.Commit();
  }
}
BENCHMARK(BM_OneRowCommit)->Unit(benchmark::kMicrosecond);

// 100 iterations of the uncertainty analysis of the same disease: its prevalence and mortality
// inputs drawn (normal, coefficient 0.1), each iteration fitted, the summary computed.
void Uncertainty(benchmark::State& state, int threads) {
  ExampleSetup setup("Ischaemic heart disease");
  Tdiseaseam& disease = setup.disease;
  disease.Processed = disease.InputPresent;  // the loaded inputs stand in for saved adjusted ones
  const std::array<bool, kVariableCount> checked{false, true, false, false, false, true, false};
  Tuncertklas analysis(disease, {});
  analysis.Reset(kMales, checked, FiveYearGroups(setup.maxAge, "Standard"), 0.1);
  analysis.Iterations = 100;
  AnalysisSetup run{setup.maxAge, setup.population.AllCauseMortality, setup.log, setup.options,
                    threads};
  run.Options.Simplex.WarnOnMaxIterations = false;
  NoProgress progress;
  std::array<Series, kVariableCount> central{};
  for (int v = 0; v < kVariableCount; ++v) central[v] = disease.InputSeries[v][kMales];
  for (auto _ : state) {
    RandomSource random(5, 12345u);
    const auto inputs = analysis.DrawInputs(kMales, random);
    analysis.Runs = RunCalculations(disease, inputs, run, progress);
    analysis.Summary.Compute(analysis.Runs, central, setup.maxAge);
    benchmark::DoNotOptimize(analysis.Summary.Intervals[0].Bounds[kPrevalence][0][50]);
  }
}

void BM_Uncertainty100(benchmark::State& state) { Uncertainty(state, 1); }
BENCHMARK(BM_Uncertainty100)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Uncertainty100Parallel(benchmark::State& state) { Uncertainty(state, 0); }
BENCHMARK(BM_Uncertainty100Parallel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kavrel
