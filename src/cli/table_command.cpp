#include "cli/table_command.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>

#include "cli/cli_names.h"
#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/agesched/age_groups.h"
#include "core/analysis/analysis_output.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/export.h"
#include "core/exchange/population.h"
#include "core/results/result_table.h"
#include "core/store/layout.h"

namespace kavrel::cli {

namespace {

void Line(std::ostream& out, const std::vector<std::string>& fields) {
  for (std::size_t k = 0; k < fields.size(); ++k) out << (k > 0 ? "," : "") << CsvField(fields[k]);
  out << '\n';
}

// The index of a "Rates per:" multiplier; -1 for another number.
int RatesIndex(int ratesPer) {
  const auto* found = std::find(kRatesPerTable.begin(), kRatesPerTable.end(), ratesPer);
  return found == kRatesPerTable.end() ? -1 : static_cast<int>(found - kRatesPerTable.begin());
}

std::string Now(const char* format) {
  const std::time_t now = std::time(nullptr);
  char buffer[64];
  std::strftime(buffer, sizeof buffer, format, std::localtime(&now));
  return buffer;
}

}  // namespace

int RunTable(const TableOptions& options, std::ostream& out, std::ostream& err) {
  const int ratesIndex = RatesIndex(options.ratesPer);
  if (ratesIndex < 0 || options.decimals < 0 || options.decimals > 10) {
    err << "--rates-per takes 1, 100, 1000, 10000, 100000 or 1000000; --decimals 0 to 10\n";
    return kUsage;
  }
  const int sex = ChosenSex(options, err);
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return kError;
  PopulationSeries population;
  if (!set.session.LoadPopulation(population)) return kError;
  // As the inspection window loads a disease: inputs, adjusted inputs, stored outputs.
  const auto loaded = set.session.LoadDisease(options.disease, sex,
                                              kOriginalInputs | kAdjustedInputs | kStoredOutputs);
  if (!loaded) return kError;
  // A table with values that could not be read is not printed: zeros in their place would pass.
  if (set.Failed()) return set.FailedExit(err);
  Tdiseaseam& disease = *loaded;

  Tagegrouplist groups = FiveYearGroups(set.maxAge, "Standard");
  if (options.schedule > 0) {
    if (!set.data.CollectionIsOpen()) {
      set.dialogs.ShowError("Age group schedules live in a collection: name one with --collection");
      return kError;
    }
    FillFromSchedule(groups, set.data, options.schedule, set.maxAge);
    if (groups.Groups.empty()) {
      set.dialogs.ShowError("The collection has no age group schedule " +
                            std::to_string(options.schedule));
      return kError;
    }
  }
  Tkolomlijst list(TableEnvironment{population.PopulationNumbers, population.AllCauseMortality,
                                    set.maxAge, disease.IncidenceIsHazard});
  list.BuildRows(groups, sex);
  AddStandardColumns(
      list, disease, sex,
      options.input == "original" ? InputColumns::kOriginal : InputColumns::kAdjusted,
      ColumnVisibility{}, options.incidence == "hazard");
  list.Recalculate(!options.numbers, options.decimals, ratesIndex);
  const TableText text = BuildTableText(list, options.decimals);
  Line(out, text.Groups);
  Line(out, text.Headers);
  for (std::size_t r = 0; r < text.Rows.size(); ++r) {
    if (r + 2 == text.Rows.size()) continue;  // the blank row before "All ages"
    Line(out, text.Rows[r]);
  }
  return set.Failed() ? set.FailedExit(err) : 0;
}

int RunExportCommand(const ExportOptions& options, std::ostream&, std::ostream& err) {
  const int ratesIndex = RatesIndex(options.ratesPer);
  if (ratesIndex < 0 || options.decimals < 0 || options.decimals > 10) {
    err << "--rates-per takes 1, 100, 1000, 10000, 100000 or 1000000; --decimals 0 to 10\n";
    return kUsage;
  }
  ExportWindowState window;
  window.Format = options.format == "xls"       ? ExportFormat::kExcel
                  : options.format == "xlsx"    ? ExportFormat::kXlsx
                  : options.format == "prevent" ? ExportFormat::kPrevent
                                                : ExportFormat::kCsv;
  for (const std::string& analysis : options.include) {
    (analysis == "sensitivity" ? window.IncludeSensitivity : window.IncludeUncertainty) = true;
  }
  if (!options.include.empty() && !window.IsTableFormat()) {
    err << "--include goes with the csv, xls and xlsx formats\n";
    return kUsage;
  }
  window.Numbers = options.numbers == "rates"     ? ExportNumbers::kRates
                   : options.numbers == "numbers" ? ExportNumbers::kNumbers
                                                  : ExportNumbers::kBoth;
  window.RatesIndex = ratesIndex;
  window.Decimals = options.decimals;

  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return kError;
  PopulationSeries population;
  if (!set.session.LoadPopulation(population)) return kError;
  if (options.diseases == "all") {
    window.Diseases = ExportDiseases::kAll;
  } else {
    // Named diseases: the positions among those with results, as the check list numbers them.
    window.Diseases = ExportDiseases::kSelected;
    std::vector<std::string> names = CommaList(options.diseases);
    TableCursor& diseases = set.data.KavrelTable1();
    int withOutput = 0;
    diseases.First();
    for (int k = 0; k < diseases.RecordCount(); ++k) {
      if (k > 0) diseases.Next();
      if (!diseases.FieldBoolean("MOutput") && !diseases.FieldBoolean("FOutput")) continue;
      const auto found = std::find(names.begin(), names.end(), diseases.FieldText("DiseaseName"));
      if (found != names.end()) {
        window.Selected.push_back(withOutput);
        names.erase(found);
      }
      ++withOutput;
    }
    if (!names.empty()) {
      err << "--diseases: no disease with results named " << names.front() << '\n';
      return kUsage;
    }
  }
  const Tagegrouplist groups =
      AgeGroupsForFormat(window.Format, 0, set.data, set.dialogs, set.maxAge);
  ExportContext context{set.data,
                        set.dialogs,
                        set.maxAge,
                        population.PopulationNumbers,
                        population.AllCauseMortality,
                        Now("%x"),
                        Now("%X"),
                        options.incidence == "hazard",
                        [&set](const Tdisease& disease, int sex, bool sensitivity, bool uncertainty,
                               Tkolomlijst& list, const AnalysisTableWriter& write) {
                          WriteStoredAnalysisTables(set.data, set.log, set.maxAge, disease, sex,
                                                    sensitivity, uncertainty, list, write);
                        }};
  return RunExport(window, groups, options.out, context) ? 0 : kError;
}

void RegisterTable(Commands& commands) {
  auto table = std::make_shared<TableOptions>();
  CLI::App* command = commands.Add(
      "table", "The stored results of one disease and sex as a result table (CSV)",
      [table](std::ostream& out, std::ostream& err) { return RunTable(*table, out, err); });
  AddDiseaseTarget(command, *table);
  command->add_flag("--numbers", table->numbers, "Numbers instead of rates");
  command->add_option("--rates-per", table->ratesPer, "1, 100, 1000, 10000, 100000 or 1000000");
  command->add_option("--decimals", table->decimals, "Decimals, 0 to 10");
  command->add_option("--schedule", table->schedule, "Age group schedule number (collection)");
  command->add_option("--input", table->input, "adjusted or original input columns")
      ->check(CLI::IsMember({"adjusted", "original"}));
  command
      ->add_option("--incidence", table->incidence,
                   "Output incidence as a hazard among the healthy or as a rate in the whole "
                   "population (default)")
      ->check(CLI::IsMember({"hazard", "rate"}));

  auto options = std::make_shared<ExportOptions>();
  CLI::App* exportCommand =
      commands.Add("export", "Export the results of a data set to a file (overwritten)",
                   [options](std::ostream& out, std::ostream& err) {
                     return RunExportCommand(*options, out, err);
                   });
  AddDatasetTarget(exportCommand, *options);
  exportCommand->add_option("--format", options->format, "csv, xls, xlsx or prevent")
      ->required()
      ->check(CLI::IsMember({"csv", "xls", "xlsx", "prevent"}));
  exportCommand
      ->add_option("--include", options->include,
                   "Stored analyses after each table: sensitivity,uncertainty")
      ->delimiter(',')
      ->check(CLI::IsMember({"sensitivity", "uncertainty"}));
  exportCommand->add_option("--out", options->out, "File to write")->required();
  exportCommand->add_option("--diseases", options->diseases, "all, or NAME[,NAME...]");
  exportCommand->add_option("--numbers", options->numbers, "rates, numbers or both")
      ->check(CLI::IsMember({"rates", "numbers", "both"}));
  exportCommand->add_option("--rates-per", options->ratesPer,
                            "1, 100, 1000, 10000, 100000 or 1000000");
  exportCommand->add_option("--decimals", options->decimals, "Decimals, 0 to 10");
  exportCommand
      ->add_option("--incidence", options->incidence,
                   "Output incidence of the csv and xls tables: hazard or rate (default)")
      ->check(CLI::IsMember({"hazard", "rate"}));
}

}  // namespace kavrel::cli
