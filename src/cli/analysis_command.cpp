#include "cli/analysis_command.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <variant>

#include "cli/cli_names.h"
#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/analysis/analysis_storage.h"
#include "core/analysis/sensitivity.h"
#include "core/analysis/uncertainty.h"
#include "core/base/progress.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/engine/processing.h"
#include "core/exchange/population.h"
#include "core/store/layout.h"

namespace kavrel::cli {

namespace {

// Progress as a line on standard error, a mark per tenth of the runs.
class StderrProgress final : public Progress {
 public:
  explicit StderrProgress(std::ostream& err) : err_(err) {}
  void Start(int total) override {
    total_ = total;
    done_ = 0;
    err_ << "Running " << total << " calculations ";
  }
  void Advance(int units) override {
    const int before = total_ > 0 ? 10 * done_ / total_ : 0;
    done_ += units;
    const int after = total_ > 0 ? 10 * done_ / total_ : 0;
    for (int k = before; k < after; ++k) err_ << '.';
  }
  void Finish() override { err_ << '\n'; }
  bool CancelRequested() const override { return false; }

 private:
  std::ostream& err_;
  int total_ = 0;
  int done_ = 0;
};

// The disease as the analysis window opens it: processed flags, adjusted inputs and trends of
// both sexes (the chosen sex's trends last), the saved inputs as the inputs, and the stored
// calculation options of the sex in the windows.
struct AnalysisSession {
  explicit AnalysisSession(std::ostream& err) : set(err) {}

  int Open(const AnalysisOptions& options, std::ostream& err) {
    sex = ChosenSex(options, err);
    if (!set.Open(options.dataset, options.collection, options.save || !options.saveKind.empty())) {
      return kError;
    }
    if (!set.session.LoadPopulation(population, false)) return kError;
    disease = set.session.LoadDisease(options.disease, sex, kAdjustedInputs);
    if (!disease) return kError;
    TableCursor& diseases = set.data.KavrelTable1();
    if (!diseases.FieldBoolean(kOutputFlagColumns[sex])) {
      set.dialogs.ShowError("There are no stored results of " + options.disease + " for " +
                            std::string(kSexNames[sex]) +
                            ": the analyses vary them around the stored results. Calculate and "
                            "save them first (kavrel-cli calculate --save).");
      return kError;
    }
    disease->InputPresent = disease->Processed;
    disease->Sex = static_cast<std::uint8_t>(sex);
    // The disease's stored options of the sex as they are; nothing may stop a run to ask.
    CalculationRequest request;
    request.CheckOptions = false;
    request.TrendsLoaded = true;
    request.Unattended = true;
    DiseaseStore store = set.session.Store();
    const CalcOptions calcOptions =
        std::get<CalcOptions>(PrepareCalculation(*disease, store, request));
    disease->TrendsOn = disease->CheckTrends() && calcOptions.ApplyTrends;
    setup = std::make_unique<AnalysisSetup>(AnalysisSetup{set.maxAge, population.AllCauseMortality,
                                                          set.log, calcOptions, options.threads,
                                                          &population.PopulationNumbers});
    for (int v = 0; v < kVariableCount; ++v) checked[v] = disease->Processed[v][sex];
    if (!options.variables.empty()) {
      checked.fill(false);
      for (const std::string& name : CommaList(options.variables)) {
        const int v = VariableByName(name);
        if (v < 0 || !disease->Processed[v][sex]) {
          err << "--variables: " << name << " has no stored adjusted input for this sex\n";
          return kUsage;
        }
        checked[v] = true;
      }
    }
    if (std::none_of(checked.begin(), checked.end(), [](bool c) { return c; })) {
      err << options.disease << " has no stored adjusted inputs for this sex to vary\n";
      return kUsage;
    }
    return 0;
  }

  TDataKavrel& data() { return set.data; }

  OpenedDataset set;
  PopulationSeries population;
  std::unique_ptr<Tdiseaseam> disease;
  std::unique_ptr<AnalysisSetup> setup;
  std::array<bool, kVariableCount> checked{};
  int sex = kMales;
};

}  // namespace

int RunRandom(int generator, long long seed, int count, std::ostream& out, std::ostream& err) {
  if (seed < 0 || seed > 4294967295LL) {
    err << "--seed " << seed << ": a seed from 0 to 4294967295\n";
    return kUsage;
  }
  RandomSource random(generator, static_cast<std::uint32_t>(seed));
  for (int k = 0; k < count; ++k) out << CsvNumber(random.Next()) << '\n';
  return 0;
}

// Keeps an analysis within a few gigabytes of memory.
constexpr int kMaxIterations = 200000;

int RunUncertainty(const AnalysisOptions& options, std::ostream& out, std::ostream& err) {
  std::array<int, kVariableCount> distributions{};
  for (const std::string& choice : options.distributions) {
    const auto equals = choice.find('=');
    const int v = equals == std::string::npos ? -1 : VariableByName(choice.substr(0, equals));
    const std::string kind =
        equals == std::string::npos ? "" : Simplified(choice.substr(equals + 1));
    const auto found =
        std::find_if(kDistributionNames.begin(), kDistributionNames.end(),
                     [&](std::string_view name) { return Simplified(std::string(name)) == kind; });
    if (v < 0 || found == kDistributionNames.end()) {
      err << "--distribution " << choice
          << ": VARIABLE=normal|uniform|triangular|poisson|binomial\n";
      return kUsage;
    }
    distributions[v] = static_cast<int>(found - kDistributionNames.begin());
  }
  std::vector<int> intervals;
  for (const std::string& text : CommaList(options.intervals)) {
    const auto found =
        std::find_if(kIntervalTable.begin(), kIntervalTable.end(),
                     [&](const IntervalLevel& l) { return IntervalLabel(l.Level) == text + "%"; });
    if (found == kIntervalTable.end()) {
      err << "--intervals: " << text << " is not one of 50,60,70,80,90,95,99\n";
      return kUsage;
    }
    intervals.push_back(found->Number);
  }
  std::sort(intervals.begin(), intervals.end());
  if (options.generator < 0 || options.generator > 6) {
    err << "--generator takes 0 to 6\n";
    return kUsage;
  }
  if (!std::isfinite(options.coefficient) || options.coefficient < 0.0 ||
      options.coefficient > 10.0) {
    err << "--coefficient " << options.coefficient << ": a variation coefficient from 0 to 10\n";
    return kUsage;
  }
  // -1 (the default) seeds from the clock; any other seed is the generator's 32-bit runtime seed.
  if (options.seed != -1 && (options.seed < 0 || options.seed > 4294967295LL)) {
    err << "--seed " << options.seed << ": a seed from 0 to 4294967295\n";
    return kUsage;
  }
  // Every run's seven output series are kept until the summary is made.
  const double bytesPerRun = kVariableCount * kAgeCount * sizeof(double) * 2.0;
  const double needed = bytesPerRun * std::max(options.iterations, 0);
  if (options.iterations > kMaxIterations) {
    err << "--iterations " << options.iterations << ": at most " << kMaxIterations
        << " (each iteration keeps about " << static_cast<int>(bytesPerRun / 1024)
        << " KB; that many would need about " << static_cast<long long>(needed / 1048576.0)
        << " MB)\n";
    return kUsage;
  }
  if (needed > 100.0 * 1048576.0) {
    err << options.iterations << " iterations keep about "
        << static_cast<long long>(needed / 1048576.0) << " MB of results in memory\n";
  }

  AnalysisSession session(err);
  if (const int code = session.Open(options, err); code != 0) return code;
  Tdiseaseam& disease = *session.disease;
  Tuncertklas analysis(disease, distributions);
  analysis.Reset(session.sex, session.checked, FiveYearGroups(session.set.maxAge, "Standard"),
                 options.coefficient);
  analysis.Summary.SetIntervals(intervals);
  analysis.Iterations = options.iterations;
  analysis.FromFit = options.fromFit;
  const std::uint32_t seed =
      options.seed >= 0 ? static_cast<std::uint32_t>(options.seed) : ClockSeed();
  RandomSource random(options.generator, seed);
  StderrProgress progress(err);
  if (!analysis.Start(disease, session.checked, random, *session.setup, session.data(),
                      session.set.dialogs, progress)) {
    return options.iterations < 2 ? kUsage : kError;
  }
  const int sex = session.sex;
  const int maxAge = session.set.maxAge;
  out << "Variable,Central,Age,Value\n";
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= maxAge; ++a) {
      out << kVariableCaptions[v] << ",Central," << a << ','
          << CsvNumber(disease.OutputSeries[v][sex][a]) << '\n';
    }
  }
  out << "Variable,Interval,Boundary,Age,Value\n";
  for (int v = 0; v < kVariableCount; ++v) {
    for (const auto& interval : analysis.Summary.Intervals) {
      for (int side = 0; side < 2; ++side) {
        for (int a = 0; a <= maxAge; ++a) {
          out << kVariableCaptions[v] << ',' << interval.Label << ','
              << (side == 0 ? "Lower" : "Upper") << ',' << a << ','
              << CsvNumber(interval.Bounds[v][side][a]) << '\n';
        }
      }
    }
  }
  if (session.set.Failed()) return session.set.FailedExit(err);
  if (!options.saveKind.empty()) {
    session.set.dialogs.AnswerQuestionsWith(DialogButton::kOK);
    const bool full = options.saveKind == "full";
    if (!PrepareSet(full ? AnalysisSet::kUncert : AnalysisSet::kUncertSum, session.data(),
                    session.set.dialogs, disease.InputId, sex, maxAge)) {
      return kError;
    }
    if (full) {
      StoreRuns(session.data(), disease, sex, analysis.Runs, maxAge);
    } else {
      StoreSummary(session.data(), disease, sex, analysis.Summary, maxAge);
    }
  }
  return 0;
}

int RunSensitivity(const AnalysisOptions& options, std::ostream& out, std::ostream& err) {
  if (options.steps < 0 || options.steps > 100 || options.stepPercent < 1 ||
      options.stepPercent > 100) {
    err << "--steps takes 0 to 100, --step-percent 1 to 100\n";
    return kUsage;
  }
  AnalysisSession session(err);
  if (const int code = session.Open(options, err); code != 0) return code;
  Tdiseaseam& disease = *session.disease;
  Tsensklas analysis(disease);
  analysis.StepCount = options.steps;
  analysis.StepPercent = options.stepPercent;
  analysis.RebuildSteps();
  StderrProgress progress(err);
  if (!analysis.Start(disease, session.checked, *session.setup, session.data(), session.set.dialogs,
                      progress)) {
    return kError;
  }
  out << "Variable,Variant,Output,Age,Value\n";
  for (const auto& variant : analysis.Results.Variants) {
    for (int v = 0; v < kVariableCount; ++v) {
      for (int a = 0; a <= session.set.maxAge; ++a) {
        out << variant.VarName << ',' << variant.Variant << ',' << kVariableCaptions[v] << ',' << a
            << ',' << CsvNumber(variant.Outputs[v][a]) << '\n';
      }
    }
  }
  if (session.set.Failed()) return session.set.FailedExit(err);
  if (options.save) {
    session.set.dialogs.AnswerQuestionsWith(DialogButton::kOK);
    if (!PrepareSet(AnalysisSet::kSense, session.data(), session.set.dialogs, disease.InputId,
                    session.sex, session.set.maxAge)) {
      return kError;
    }
    StoreVariants(session.data(), disease, session.sex, analysis.Results, session.set.maxAge);
  }
  return 0;
}

void RegisterAnalysis(Commands& commands) {
  auto analysis = std::make_shared<AnalysisOptions>();
  CLI::App* uncertainty = commands.Add(
      "uncertainty", "Monte Carlo uncertainty analysis of one disease and sex (CSV summary)",
      [analysis](std::ostream& out, std::ostream& err) {
        return RunUncertainty(*analysis, out, err);
      });
  CLI::App* sensitivity =
      commands.Add("sensitivity", "Sensitivity analysis: each input scaled by steps (CSV variants)",
                   [analysis](std::ostream& out, std::ostream& err) {
                     return RunSensitivity(*analysis, out, err);
                   });
  for (CLI::App* command : {uncertainty, sensitivity}) {
    AddDiseaseTarget(command, *analysis);
    command->add_option("--variables", analysis->variables,
                        "Input variables to vary, comma-separated (default: all adjusted)");
    command->add_option("--threads", analysis->threads, "Worker threads (default: every core)")
        ->check(CLI::Range(0, 256));
  }
  uncertainty->add_option("--iterations", analysis->iterations, "Number of iterations")->required();
  uncertainty->add_option("--distribution", analysis->distributions,
                          "VARIABLE=normal|uniform|triangular|poisson|binomial");
  uncertainty->add_option("--coefficient", analysis->coefficient,
                          "Default variation coefficient (0.1)");
  uncertainty->add_option("--intervals", analysis->intervals,
                          "Interval levels in percent, e.g. 50,90,95");
  uncertainty->add_option("--generator", analysis->generator, "Random generator 0 to 6");
  uncertainty->add_option("--seed", analysis->seed, "Runtime seed value (default: clock)");
  uncertainty->add_flag("--from-fit", analysis->fromFit,
                        "Uncertainty from the fit: draw the fitted hazards from their joint "
                        "distribution, which the fit over all ages gives when every input carries "
                        "its precision (no distributions of the inputs; --distribution and "
                        "--coefficient are not used)");
  uncertainty->add_option("--save", analysis->saveKind, "Store the summary or full runs")
      ->check(CLI::IsMember({"summary", "full"}));
  sensitivity->add_option("--steps", analysis->steps, "Number of steps each way (3)");
  sensitivity->add_option("--step-percent", analysis->stepPercent, "Step in percent (5)");
  sensitivity->add_flag("--save", analysis->save, "Store the variants");

  struct RandomOptions {
    int generator = 5;
    long long seed = 0;
    int count = 10;
  };
  auto random = std::make_shared<RandomOptions>();
  CLI::App* command =
      commands.Add("random", "The first numbers of a random number generator",
                   [random](std::ostream& out, std::ostream& err) {
                     return RunRandom(random->generator, random->seed, random->count, out, err);
                   });
  command->add_option("--generator", random->generator, "0 to 6")->check(CLI::Range(0, 6));
  command->add_option("--seed", random->seed, "Runtime seed value")->required();
  command->add_option("--count", random->count, "How many")->check(CLI::Range(0, 100000000));
}

}  // namespace kavrel::cli
