#include "cli/calculate_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/cli_dialogs.h"
#include "cli/cli_names.h"
#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/base/messages_log.h"
#include "core/engine/calc_options.h"
#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/engine/fit_report.h"
#include "core/engine/processing.h"
#include "core/exchange/grid.h"
#include "core/exchange/population.h"
#include "core/store/data_kavrel.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"
#include "core/store/settings.h"

namespace kavrel::cli {

int RunList(const CalculateOptions& options, std::ostream& out, std::ostream& err) {
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return kError;
  TableCursor& diseases = set.data.KavrelTable1();
  out << "InputId,DiseaseName,ICDcode";
  for (int s = 0; s < kSexCount; ++s) {
    for (auto column : kInputFlagColumns[s]) out << ',' << column;
  }
  out << ",MOutput,FOutput,IncidencePopRate\n";
  diseases.First();
  for (int k = 0; k < diseases.RecordCount(); ++k) {
    if (k > 0) diseases.Next();
    out << diseases.Key() << ',' << CsvField(diseases.FieldText("DiseaseName")) << ','
        << CsvField(diseases.FieldText("ICDcode"));
    for (int s = 0; s < kSexCount; ++s) {
      for (auto column : kInputFlagColumns[s])
        out << ',' << (diseases.FieldBoolean(column) ? 1 : 0);
    }
    for (auto column : {"MOutput", "FOutput", "IncidencePopRate"}) {
      out << ',' << (diseases.FieldBoolean(column) ? 1 : 0);
    }
    out << '\n';
  }
  return 0;
}

int RunCalculate(const CalculateOptions& options, std::ostream& out, std::ostream& err) {
  const int sex = ChosenSex(options, err);
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection, options.save)) return kError;

  PopulationSeries population;
  if (!set.session.LoadPopulation(population)) return kError;

  const auto loaded = set.session.LoadDisease(
      options.disease, sex, kOriginalInputs | (options.adjusted ? kAdjustedInputs : kRecordOnly));
  if (!loaded) return kError;
  Tdiseaseam& disease = *loaded;
  DiseaseStore store = set.session.Store();

  // The disease's stored options of the sex (defaults where none), then the command line's.
  CalculationRequest request;
  request.OptionChanges = options.options;
  request.ApplyTrends = options.trends;
  request.TrendsLoaded = options.adjusted;
  auto prepared = PrepareCalculation(disease, store, request);
  if (const auto* refusal = std::get_if<std::string>(&prepared)) {
    err << *refusal << '\n';
    return kUsage;
  }
  CalcOptions calcOptions = std::get<CalcOptions>(prepared);
  calcOptions.IntervalLevel = options.intervalLevel / 100.0;
  std::array<Series, kSexCount> otherCause{};
  const ModelEnvironment calculation{set.maxAge, population.AllCauseMortality, otherCause, set.log,
                                     &population.PopulationNumbers};
  if (!SufficientInput(disease, sex)) {
    err << kInsufficientInputMessage << '\n';
    return kUsage;
  }
  // A value that could not be read while loading fails the command as a fault of the model does.
  if (set.Failed()) return set.FailedExit(err);
  if (!RunCalculation(disease, calculation, calcOptions, set.dialogs)) return set.FailedExit(err);

  const bool reportOnly = options.reportOption != nullptr && options.reportOption->count() > 0 &&
                          (options.reportFile.empty() || options.reportFile == "-");
  if (reportOnly) {
    out << FitReportCsv(BuildFitReport(disease, sex, set.maxAge, &population.PopulationNumbers));
  } else {
    if (!options.reportFile.empty()) {
      // The report beside the outputs, from the same calculation.
      WriteTextFile(
          options.reportFile,
          FitReportCsv(BuildFitReport(disease, sex, set.maxAge, &population.PopulationNumbers)));
    }
    static constexpr const char* kColumns[kVariableCount] = {
        "Incidence", "Prevalence", "Remission",   "Case fatality",
        "Duration",  "Mortality",  "RR mortality"};
    out << "Age";
    for (const char* column : kColumns) out << ',' << column;
    if (options.intervals) {
      for (const char* column : kColumns) out << ',' << column << " lower," << column << " upper";
    }
    out << '\n';
  }
  const OutputIntervals& intervals = disease.Intervals[static_cast<std::size_t>(sex)];
  if (options.intervals && !reportOnly && !intervals.Present) {
    err << NoIntervalsMessage(intervals) << '\n';
  }
  for (int a = 0; a <= set.maxAge && !reportOnly; ++a) {
    out << a;
    for (int v = 0; v < kVariableCount; ++v)
      out << ',' << CsvNumber(disease.OutputSeries[v][sex][a]);
    for (int v = 0; options.intervals && v < kVariableCount; ++v) {
      if (intervals.Present) {
        out << ',' << CsvNumber(intervals.Lower[v][a]) << ',' << CsvNumber(intervals.Upper[v][a]);
      } else {
        out << ",,";
      }
    }
    out << '\n';
  }
  if (set.Failed()) return set.FailedExit(err);
  if (options.save) {
    set.dialogs.AnswerQuestionsWith(DialogButton::kYes);
    // The result with the options it was made with, in one transaction.
    store.SaveResult(disease, true);
  }
  return 0;
}

void RegisterCalculate(Commands& commands) {
  const std::string collectionHelp =
      "Collection that takes over an older data set's patterns and schedules";
  auto list = std::make_shared<CalculateOptions>();
  CLI::App* listCommand = commands.Add(
      "list", "List the diseases of a data set file with their flags (CSV)",
      [list](std::ostream& out, std::ostream& err) { return RunList(*list, out, err); });
  AddDatasetTarget(listCommand, *list, collectionHelp);

  auto calculate = std::make_shared<CalculateOptions>();
  CLI::App* command = commands.Add(
      "calculate", "Calculate one disease for one sex and print its outputs by single year of age",
      [calculate](std::ostream& out, std::ostream& err) {
        return RunCalculate(*calculate, out, err);
      });
  AddDiseaseTarget(command, *calculate, collectionHelp);
  command->add_flag("--adjusted", calculate->adjusted,
                    "Start from the stored adjusted (single-year) inputs");
  command->add_flag("--trends", calculate->trends, "Apply the stored time trends");
  calculate->reportOption =
      command
          ->add_option("--report", calculate->reportFile,
                       "The fit report (Variable,Age group,Input,Output,Deviation): alone, "
                       "printed instead of the outputs; --report FILE writes it into FILE and "
                       "prints the outputs as well")
          ->expected(0, 1);
  command->add_option("--option", calculate->options,
                      "A calculation option, COLUMN=VALUE (for example Agegroup=5)");
  command->add_flag("--intervals", calculate->intervals,
                    "Add each output's lower and upper limits (<Variable> lower, <Variable> "
                    "upper): the fit over all ages gives them when every input it uses carries its "
                    "precision (Count and Denominator, or Lower and Upper)");
  command
      ->add_option("--interval-level", calculate->intervalLevel,
                   "The level of the intervals in percent (default 95)")
      ->check(CLI::Range(50.0, 99.9));
  command->add_flag("--save", calculate->save,
                    "Save the result (replacing a stored one) and the options");
}

}  // namespace kavrel::cli
