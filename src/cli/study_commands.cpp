// The commands of a study of many diseases and data sets: new-dataset (a data set with its
// population from a file), import (inputs from a file), batch (every disease of many data sets
// calculated in one go) and results (the stored results as tidy CSV, for R, pandas or a
// spreadsheet: long, one value per line, or wide, one line per age).

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/base/number_text.h"
#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/csv_table.h"
#include "core/exchange/grid.h"
#include "core/exchange/input_import.h"
#include "core/results/result_table.h"
#include "core/shell/batch.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"
#include "core/store/settings.h"
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
  const std::vector<std::string> wanted = DiseaseNames(options.diseases);
  const bool wide = options.format == "wide";
  const std::vector<std::string> names = VariableNames();
  if (wide) {
    out << "Dataset,File,Disease,Sex,Age";
    for (const std::string& name : names) out << ',' << CsvField(name);
    out << '\n';
  } else {
    out << "Dataset,File,Disease,Sex,Age,Variable,Value,Lower,Upper\n";
  }
  std::vector<std::string> found;
  int unreadable = 0;
  for (const std::string& file : options.datasets) {
    // A file that cannot be read is named and skipped; the others are still written.
    OpenedDataset set(err);
    bool opened = false;
    try {
      opened = set.Open(file, options.collection);
    } catch (const std::exception& error) {
      err << "Error: " << error.what() << '\n';
    }
    if (!opened) {
      err << "results: " << file << " skipped\n";
      ++unreadable;
      continue;
    }
    const std::string dataset = set.session.DatasetName();
    DiseaseStore store = set.session.Store();
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
      if (set.Failed()) {
        err << "results: the results of " << name << " in " << file << " cannot be read\n";
        ++unreadable;
        break;
      }
      for (int sex = 0; sex < kSexCount; ++sex) {
        if (!diseases.FieldBoolean(kOutputFlagColumns[sex])) continue;
        std::array<Series, kVariableCount + 1> series{};
        for (int v = 0; v < kVariableCount; ++v) series[v] = disease->OutputSeries[v][sex];
        series[kIncidence] = OutputIncidenceHazard(*disease, sex);
        series[kVariableCount] = OutputIncidencePopulationRate(*disease, sex);
        // The limits of each series where the result has them: the stored incidence interval
        // belongs to incidence as the input gave it (the hazard or the population rate).
        const OutputIntervals& intervals = disease->Intervals[static_cast<std::size_t>(sex)];
        const auto interval = [&](std::size_t v) -> int {
          if (!intervals.Present) return -1;
          if (v == kIncidence) return disease->IncidenceIsHazard ? kIncidence : -1;
          if (v == kVariableCount) return disease->IncidenceIsHazard ? -1 : kIncidence;
          return static_cast<int>(v);
        };
        const std::string head = CsvField(dataset) + ',' + CsvField(file) + ',' + CsvField(name) +
                                 ',' + std::string(kSexNames[sex]) + ',';
        for (int a = 0; a <= set.maxAge; ++a) {
          if (wide) {
            out << head << a;
            for (const Series& values : series) out << ',' << CsvNumber(values[a]);
            out << '\n';
          } else {
            for (std::size_t v = 0; v < series.size(); ++v) {
              out << head << a << ',' << CsvField(names[v]) << ',' << CsvNumber(series[v][a]);
              if (const int limits = interval(v); limits >= 0) {
                out << ',' << CsvNumber(intervals.Lower[limits][a]) << ','
                    << CsvNumber(intervals.Upper[limits][a]) << '\n';
              } else {
                out << ",,\n";
              }
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
  if (unreadable > 0) {
    err << "results: " << unreadable << " of " << options.datasets.size()
        << " data set file(s) could not be read; the others are written\n";
    return kError;
  }
  return 0;
}

// How a CSV file is written, as --separator and --decimal-comma / --decimal-point give it.
struct DialectOptions {
  std::string separator = "auto";
  bool decimalComma = false;
  bool decimalPoint = false;

  CsvDialect Dialect() const {
    CsvDialect dialect;
    if (separator == "comma") dialect.Separator = ',';
    if (separator == "semicolon") dialect.Separator = ';';
    if (decimalComma) dialect.DecimalComma = true;
    if (decimalPoint) dialect.DecimalComma = false;
    return dialect;
  }

  void Add(CLI::App* command) {
    command
        ->add_option("--separator", separator,
                     "auto (default: what the heading line uses), comma or semicolon")
        ->check(CLI::IsMember({"auto", "comma", "semicolon"}));
    CLI::Option* comma = command->add_flag(
        "--decimal-comma", decimalComma,
        "Numbers are written 0,5 (the default where semicolons separate the fields)");
    command
        ->add_flag("--decimal-point", decimalPoint,
                   "Numbers are written 0.5 (the default where commas separate the fields)")
        ->excludes(comma);
  }
};

// Reads a CSV file for a command; nothing (with the message) when it cannot be read.
std::optional<CsvTable> ReadTable(const std::string& path, const CsvDialect& dialect,
                                  std::ostream& err) {
  try {
    return ReadCsvTable(path, dialect);
  } catch (const std::exception& error) {
    err << "Error: " << error.what() << '\n';
    return std::nullopt;
  }
}

struct ImportOptions : DialectOptions {
  std::string dataset;
  std::string collection;
  std::string inputs;
};

// Inputs from a long CSV file into a data set: every refusal with its line, and nothing stored
// unless the whole file is fine.
int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err) {
  const auto table = ReadTable(options.inputs, options.Dialect(), err);
  if (!table) return kError;
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection, true)) return kError;
  const ImportOutcome outcome = ImportInputs(set.data, *table, set.maxAge);
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

struct NewDatasetOptions : DialectOptions {
  std::string file;
  std::string name;
  std::string collection;
  std::string population;
  int highestAge = 100;
};

// A data set file made from the template with its series tables for the highest age, its
// all-cause mortality and population from the CSV file (columns by their headings, "Age to" empty
// for the open top group), and with --collection listed in that collection under its name, by its
// full path so that it opens from any folder. A refusal leaves no file behind.
int RunNewDataset(const NewDatasetOptions& options, std::ostream& out, std::ostream& err) {
  if (std::filesystem::exists(options.file)) {
    err << "Error: " << options.file << " exists already; a new data set needs a new file\n";
    return kError;
  }
  if (options.highestAge < 1 || options.highestAge > kHighestPossibleAge) {
    err << "--highest-age takes 1 to " << kHighestPossibleAge << '\n';
    return kUsage;
  }
  const auto table = ReadTable(options.population, options.Dialect(), err);
  if (!table) return kError;
  const PopulationImport population = ReadPopulationGroups(*table, options.highestAge);
  const std::vector<PopulationGroup>& groups = population.Groups;
  if (!population.Refusals.empty()) {
    for (const std::string& refusal : population.Refusals) err << refusal << '\n';
    err << "No data set was made.\n";
    return kUsage;
  }

  CliDialogs dialogs(err);
  TDataKavrel data(dialogs);
  // The installation's template, or one made for this command (a build tree has none beside it).
  data.InputTemplatePath =
      SharedDirectory(ExecutableDirectory()) + "Templates/KavrelInputTemplate.mdb";
  struct OwnTemplate {
    std::string path;
    ~OwnTemplate() {
      std::error_code ignored;
      if (!path.empty()) std::filesystem::remove(path, ignored);
    }
  } ownTemplate;
  if (!std::filesystem::exists(data.InputTemplatePath)) {
    ownTemplate.path = (std::filesystem::temp_directory_path() /
                        ("kavrel-template-" + std::to_string(::getpid()) + ".mdb"))
                           .string();
    BuildInputTemplate(ownTemplate.path);
    data.InputTemplatePath = ownTemplate.path;
  }
  // Without a collection the file alone is made here (the collection's "New" makes its series
  // tables too). Whatever fails afterwards (a full disk), the half-made file and its entry go.
  bool made = false;
  bool listed = false;
  const std::string fullPath = std::filesystem::absolute(options.file).lexically_normal().string();
  try {
    if (!options.collection.empty()) {
      data.OpenCollection(options.collection);
      NewDatasetPage page;
      page.Name = options.name;
      page.File = fullPath;
      page.HighestAge = options.highestAge;
      if (!SaveNewDataset(data, dialogs, page)) return kError;
      listed = true;
    } else {
      if (!data.NewDatasetFile(options.file)) {
        err << "Error: the data set file could not be made from " << data.InputTemplatePath << '\n';
        return kError;
      }
      made = true;
    }
    data.OpenDataset(options.file);
    Database::Transaction transaction(data.Dataset());
    if (made) CreateSeriesTables(data.Dataset(), options.highestAge);
    for (const PopulationGroup& g : groups) {
      data.ExecDataset(
          PopulationGroupInsert("TotalMortality", g.Lage, g.Hage, g.Values[0], g.Values[1]));
      data.ExecDataset(
          PopulationGroupInsert("Population", g.Lage, g.Hage, g.Values[2], g.Values[3]));
    }
    transaction.Commit();
    data.CloseDataset();
  } catch (const std::exception& error) {
    data.CloseDataset();
    if (listed) {
      try {
        data.ExecCollection("delete from Datasets where DataBaseName=" + Quote(fullPath));
      } catch (const std::exception&) {
        err << "Error: the entry of " << options.name << " could not be removed from "
            << options.collection << '\n';
      }
    }
    if (made || listed) {
      std::error_code ignored;
      std::filesystem::remove(options.file, ignored);
    }
    err << "Error: " << error.what() << "; no data set was made\n";
    return kError;
  }
  out << "Data set,File,Highest age,Age groups\n"
      << CsvField(options.name) << ',' << CsvField(options.file) << ',' << options.highestAge << ','
      << groups.size() << '\n';
  return 0;
}

struct BatchOptions {
  std::vector<std::string> datasets;
  std::string collection;
  std::string diseases = "all";
  std::string sexes = "both";
  std::vector<std::string> options;
  bool adjusted = false;
  bool original = false;
  bool replaceAdjusted = false;
  bool save = false;
  int threads = 0;
  std::string summary;
};

// Progress on standard error: a bar redrawn in place on a terminal, otherwise a plain line every
// few seconds; failures each on a line of their own as they happen.
class BatchProgress final : public BatchObserver {
 public:
  explicit BatchProgress(std::ostream& err) : err_(err), terminal_(isatty(STDERR_FILENO) == 1) {}

  void Done(const BatchRow& row, int done, int planned) override {
    if (row.Status == BatchStatus::kFailed) {
      ++failed_;
      Clear();
      err_ << "Failed: " << row.Dataset;
      if (!row.Disease.empty()) {
        err_ << ", " << row.Disease << ", " << kSexNames[static_cast<size_t>(row.Sex)];
      }
      err_ << ": " << row.Message << '\n';
    }
    const auto now = std::chrono::steady_clock::now();
    if (terminal_) {
      Draw(done, planned);
    } else if (now - last_ >= std::chrono::seconds(5)) {
      last_ = now;
      err_ << "batch: " << done << " of " << planned << " calculated so far, " << failed_
           << " failed\n";
    }
  }

  // The closing line counts from the finished rows: a save that failed after its calculation is
  // a failure too.
  void Finish(const std::vector<BatchRow>& rows) {
    Clear();
    const auto failed = std::count_if(rows.begin(), rows.end(), [](const BatchRow& row) {
      return row.Status == BatchStatus::kFailed;
    });
    err_ << "batch: " << rows.size() - static_cast<std::size_t>(failed) << " done, " << failed
         << " failed\n";
  }

 private:
  void Draw(int done, int planned) {
    constexpr int kWidth = 30;
    const int filled = planned > 0 ? kWidth * done / planned : 0;
    err_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), ' ') << "] " << done << '/' << planned
         << (failed_ > 0 ? " (" + std::to_string(failed_) + " failed)" : "") << std::flush;
    drawn_ = true;
  }
  void Clear() {
    if (drawn_) err_ << "\r" << std::string(60, ' ') << '\r';
    drawn_ = false;
  }

  std::ostream& err_;
  bool terminal_;
  bool drawn_ = false;
  int failed_ = 0;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

int RunBatchCommand(const BatchOptions& options, std::ostream& out, std::ostream& err) {
  BatchRequest request;
  request.Datasets = options.datasets;
  request.Collection = options.collection;
  request.ProgramDir = ExecutableDirectory();
  request.Diseases = DiseaseNames(options.diseases);
  if (options.sexes == "males") request.Sexes = {kMales};
  if (options.sexes == "females") request.Sexes = {kFemales};
  request.Options = options.options;
  request.Original = options.original;
  request.ReplaceAdjusted = options.replaceAdjusted;
  request.Save = options.save;
  request.Threads = options.threads;
  if (auto refusal = CheckOptionChanges(request.Options)) {
    err << *refusal << '\n';
    return kUsage;
  }
  BatchProgress progress(err);
  const std::vector<BatchRow> rows = RunBatch(request, progress);
  progress.Finish(rows);
  const std::string summary = BatchSummaryCsv(rows);
  if (options.summary.empty()) {
    out << summary;
  } else {
    WriteTextFile(options.summary, summary);
  }
  const bool failed = std::any_of(rows.begin(), rows.end(), [](const BatchRow& row) {
    return row.Status == BatchStatus::kFailed;
  });
  return failed ? kError : 0;
}

}  // namespace

namespace {

// What the columns of an inputs file may hold, for import --help.
std::string ImportHelpFooter() {
  std::string variables;
  for (int v = 0; v < kVariableCount; ++v) {
    variables += std::string(v > 0 ? ", " : "") + std::string(kVariableDisplayNames[v]);
  }
  return "Variable: " + variables +
         " (letter case, blanks, dashes and underscores do not matter: CaseFatality, "
         "case-fatality).\n"
         "Sex: Males, Male, Men or M; Females, Female, Women or F.\n"
         "Age from, Age to: whole years of age; Age to is the group's last age, empty for the "
         "open top group.\n"
         "Incidence as population rate: yes or no (empty: no), the same on every line of a "
         "disease.\n"
         "Count, Denominator: the group's precision as cases among persons (prevalence) or "
         "events over person-years (incidence, remission, case fatality, mortality); Lower, "
         "Upper: a 95 % interval instead (also for duration and RR mortality); empty: not "
         "known. The fit over all ages weighs each group by it.\n"
         "A disease already in the data set (its name exactly) has its inputs replaced; a name "
         "that differs from another only in letter case is refused.\n"
         "Files saved by a spreadsheet as CSV UTF-8, with CR LF line ends, or separated by "
         "semicolons with decimal commas (0,5) are read as they are.";
}

}  // namespace

void RegisterNewDataset(Commands& commands) {
  auto made = std::make_shared<NewDatasetOptions>();
  CLI::App* newDataset = commands.Add(
      "new-dataset",
      "Make a data set file with its all-cause mortality and population from a CSV file",
      [made](std::ostream& out, std::ostream& err) { return RunNewDataset(*made, out, err); });
  newDataset->add_option("FILE", made->file, "The new data set file")->required();
  newDataset->add_option("--name", made->name, "Its name in the collection")->required();
  newDataset->add_option("--highest-age", made->highestAge, "Highest age, 1 to 110 (100)");
  newDataset
      ->add_option("--population", made->population,
                   "CSV with the headings Age from,Age to,Mortality males,Mortality females,"
                   "Population males,Population females in any order; Age to empty for the "
                   "open top group")
      ->required();
  newDataset->add_option("--collection", made->collection,
                         "Collection to list the data set in, by its full path (none: the file "
                         "only)");
  made->Add(newDataset);
}

void RegisterImport(Commands& commands) {
  auto import = std::make_shared<ImportOptions>();
  CLI::App* importCommand = commands.Add(
      "import",
      "Add or replace diseases from a long CSV file (Disease,ICD,Sex,Variable,Age from,Age to,"
      "Value[,Incidence as population rate][,Count,Denominator][,Lower,Upper])",
      [import](std::ostream& out, std::ostream& err) { return RunImport(*import, out, err); });
  importCommand->add_option("DATASET", import->dataset, "Data set file")->required();
  importCommand->add_option("INPUTS", import->inputs, "CSV file of inputs")->required();
  importCommand->add_option("--collection", import->collection, "Collection file");
  import->Add(importCommand);
  importCommand->footer(ImportHelpFooter());
}

void RegisterBatch(Commands& commands) {
  auto batch = std::make_shared<BatchOptions>();
  CLI::App* batchCommand = commands.Add(
      "batch",
      "Calculate every chosen disease and sex of data sets in parallel, with each disease's "
      "stored options; exit 0 when all were calculated, 1 when any failed (the others are done)",
      [batch](std::ostream& out, std::ostream& err) { return RunBatchCommand(*batch, out, err); });
  batchCommand->add_option("DATASET", batch->datasets, "Data set files")->required();
  batchCommand->add_option("--collection", batch->collection, "Collection file");
  batchCommand->add_option("--diseases", batch->diseases, "all (default), or NAME[,NAME...]");
  batchCommand->add_option("--sexes", batch->sexes, "both (default), males or females")
      ->check(CLI::IsMember({"both", "males", "females"}));
  batchCommand->add_option("--option", batch->options,
                           "A calculation option over the stored ones, COLUMN=VALUE");
  CLI::Option* adjusted = batchCommand->add_flag(
      "--adjusted", batch->adjusted,
      "Start from the stored adjusted inputs and trends where a disease has them (the default)");
  CLI::Option* original = batchCommand->add_flag(
      "--original", batch->original,
      "Start from the original inputs; a save leaves stored adjusted inputs as they are");
  original->excludes(adjusted);
  batchCommand
      ->add_flag("--replace-adjusted", batch->replaceAdjusted,
                 "With --original and --save: replace stored adjusted inputs with the original "
                 "ones spread over single years")
      ->needs(original);
  batchCommand->add_flag("--save", batch->save,
                         "Store each result with its options, as Save result does");
  batchCommand->add_option("--threads", batch->threads, "Calculations at a time (0: every core)")
      ->check(CLI::Range(0, 1024));
  batchCommand->add_option("--summary", batch->summary,
                           "Write the summary CSV to this file instead of standard output");
}

void RegisterResults(Commands& commands) {
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
