// kavrel-cli results: the stored results of one or more data sets as tidy CSV, for R, pandas or a
// spreadsheet. Long: one value per line (Dataset,Disease,Sex,Age,Variable,Value); wide: one line
// per data set, disease, sex and age.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/engine/disease.h"
#include "core/exchange/grid.h"
#include "core/exchange/input_import.h"
#include "core/results/result_table.h"
#include "core/store/layout.h"
#include "core/store/table_cursor.h"

namespace kavrel::cli {

namespace {

struct ResultsOptions {
  std::vector<std::string> datasets;
  std::string collection;
  std::string diseases = "all";
  std::string format = "long";
};

// The seven variables as the tables call them, incidence as the hazard, then the rate in the whole
// population.
std::vector<std::string> VariableNames() {
  std::vector<std::string> names;
  for (auto name : kVariableDisplayNames) names.emplace_back(name);
  names[kRRMortality] = "RR mortality";  // as the output columns write it
  names.emplace_back("Incidence (population rate)");
  return names;
}

int RunResults(const ResultsOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<std::string> wanted;
  if (options.diseases != "all") {
    std::stringstream list(options.diseases);
    for (std::string name; std::getline(list, name, ',');) wanted.push_back(name);
  }
  const bool wide = options.format == "wide";
  const std::vector<std::string> names = VariableNames();
  if (wide) {
    out << "Dataset,Disease,Sex,Age";
    for (const std::string& name : names) out << ',' << CsvField(name);
    out << '\n';
  } else {
    out << "Dataset,Disease,Sex,Age,Variable,Value\n";
  }
  std::vector<std::string> found;
  for (const std::string& file : options.datasets) {
    OpenedDataset set(err);
    if (!set.Open(file, options.collection)) return kError;
    const std::string dataset = std::filesystem::path(file).stem().string();
    Tdisease::Store store = set.session.Store();
    TableCursor& diseases = set.data.KavrelTable1();
    diseases.First();
    for (int k = 0; k < diseases.RecordCount(); ++k) {
      if (k > 0) diseases.Next();
      const std::string name = diseases.FieldText("DiseaseName");
      if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end()) {
        continue;
      }
      found.push_back(name);
      if (!diseases.FieldBoolean("MOutput") && !diseases.FieldBoolean("FOutput")) continue;
      const auto disease = DiseaseUnderCursor(store, kMales, kStoredOutputs);
      if (set.Failed()) return set.FailedExit(err);
      for (int sex = 0; sex < kSexCount; ++sex) {
        if (!diseases.FieldBoolean(kOutputFlagColumns[sex])) continue;
        std::array<Series, kVariableCount + 1> series{};
        for (int v = 0; v < kVariableCount; ++v) series[v] = disease->OutputSeries[v][sex];
        series[kIncidence] = OutputIncidenceHazard(*disease, sex);
        series[kVariableCount] = OutputIncidencePopulationRate(*disease, sex);
        const std::string head =
            CsvField(dataset) + ',' + CsvField(name) + ',' + std::string(kSexNames[sex]) + ',';
        for (int a = 0; a <= set.maxAge; ++a) {
          if (wide) {
            out << head << a;
            for (const Series& values : series) out << ',' << CsvNumber(values[a]);
            out << '\n';
          } else {
            for (std::size_t v = 0; v < series.size(); ++v) {
              out << head << a << ',' << CsvField(names[v]) << ',' << CsvNumber(series[v][a])
                  << '\n';
            }
          }
        }
      }
    }
  }
  for (const std::string& name : wanted) {
    if (std::find(found.begin(), found.end(), name) == found.end()) {
      err << "--diseases: no disease named " << name << " in the data sets\n";
      return kUsage;
    }
  }
  return 0;
}

struct ImportOptions {
  std::string dataset;
  std::string collection;
  std::string inputs;
};

// Inputs from a long CSV file into a data set: every refusal with its line, and nothing stored
// unless the whole file is fine.
int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<std::vector<std::string>> lines;
  try {
    lines = ReadCsvFile(options.inputs);
  } catch (const std::exception& error) {
    err << "Error: " << error.what() << '\n';
    return kError;
  }
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection, true)) return kError;
  const ImportOutcome outcome = ImportInputs(set.data, lines, set.maxAge);
  if (!outcome.Refusals.empty()) {
    for (const std::string& refusal : outcome.Refusals) err << refusal << '\n';
    err << "Nothing was imported: " << outcome.Refusals.size() << " refusal"
        << (outcome.Refusals.size() == 1 ? "" : "s") << ".\n";
    return kUsage;
  }
  out << "Disease,Imported\n";
  for (const std::string& name : outcome.Added) out << CsvField(name) << ",added\n";
  for (const std::string& name : outcome.Replaced) out << CsvField(name) << ",replaced\n";
  return 0;
}

}  // namespace

void RegisterResults(Commands& commands) {
  auto import = std::make_shared<ImportOptions>();
  CLI::App* importCommand = commands.Add(
      "import",
      "Add or replace diseases from a long CSV file (Disease,ICD,Sex,Variable,Age from,Age to,"
      "Value[,Incidence as population rate])",
      [import](std::ostream& out, std::ostream& err) { return RunImport(*import, out, err); });
  importCommand->add_option("DATASET", import->dataset, "Data set file")->required();
  importCommand->add_option("INPUTS", import->inputs, "CSV file of inputs")->required();
  importCommand->add_option("--collection", import->collection, "Collection file");

  auto options = std::make_shared<ResultsOptions>();
  CLI::App* command = commands.Add(
      "results", "The stored results of data sets as tidy CSV: long (one value per line) or wide",
      [options](std::ostream& out, std::ostream& err) { return RunResults(*options, out, err); });
  command->add_option("DATASET", options->datasets, "Data set files")->required();
  command->add_option("--collection", options->collection, "Collection file");
  command->add_option("--diseases", options->diseases, "all, or NAME[,NAME...]");
  command->add_option("--format", options->format, "long (default) or wide")
      ->check(CLI::IsMember({"long", "wide"}));
}

}  // namespace kavrel::cli
