#include "cli/store_commands.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "cli/cli_dialogs.h"
#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"
#include "core/store/settings.h"

namespace kavrel::cli {

namespace {

std::string Trimmed(const std::string& text) {
  const auto end = text.find_last_not_of(' ');
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

// The program's start-up from the installation the tool runs in, then the collection.
struct Session {
  explicit Session(std::ostream& err) : dialogs(err), data(dialogs) {}

  bool Start(const StoreOptions& options) {
    if (!TDataKavrel::CheckEngine(dialogs)) return false;
    std::string file = options.collection;
    if (file.empty()) {
      // Without a named collection, the installation's current one.
      if (LoadSettings(settings, ExecutableDirectory(), data, dialogs, nullptr) ==
          StartUp::kTerminate) {
        return false;
      }
      if (settings.CurrentCollectionIndex < 0) {
        dialogs.ShowError("No collection is current; name one with --collection");
        return false;
      }
      file = settings.Collections[static_cast<size_t>(settings.CurrentCollectionIndex)].Path();
    }
    data.OpenCollection(file);
    return true;
  }

  CliDialogs dialogs;
  TDataKavrel data;
  SettingsState settings;
};

}  // namespace

int RunDatasets(const StoreOptions& options, std::ostream& out, std::ostream& err) {
  Session session(err);
  if (!session.Start(options)) return 1;
  out << "Name,File,Highest age,Read only,Country,Continent,Region\n";
  for (const auto& row : ListDatasets(session.data)) {
    out << CsvField(row.Name) << ',' << CsvField(row.File) << ',' << row.HighestAge << ','
        << (row.ReadOnly ? "True" : "False") << ',' << CsvField(Trimmed(row.Country)) << ','
        << CsvField(Trimmed(row.Continent)) << ',' << CsvField(Trimmed(row.Region)) << '\n';
  }
  return 0;
}

namespace {

void WriteDiseases(TableCursor& diseases, std::ostream& out) {
  out << "InputId,Disease,ICD,Inputs males,Inputs females,Incidence as population rate\n";
  diseases.First();
  for (int k = 0; k < diseases.RecordCount(); ++k) {
    if (k > 0) diseases.Next();
    out << diseases.Key() << ',' << CsvField(diseases.FieldText("DiseaseName")) << ','
        << CsvField(Trimmed(diseases.FieldText("ICDcode")));
    for (int s = 0; s < kSexCount; ++s) {
      std::string inputs;
      for (int v = 0; v < kVariableCount; ++v) {
        if (!diseases.FieldBoolean(kInputFlagColumns[s][v])) continue;
        if (!inputs.empty()) inputs += "; ";
        inputs += kVariableDisplayNames[v];
      }
      out << ',' << CsvField(inputs);
    }
    out << ',' << (diseases.FieldBoolean("IncidencePopRate") ? "True" : "False") << '\n';
  }
}

}  // namespace

int RunDiseases(const StoreOptions& options, std::ostream& out, std::ostream& err) {
  // A data set file, as the other commands take it.
  std::error_code error;
  if (std::filesystem::is_regular_file(options.dataset, error)) {
    OpenedDataset set(err);
    if (!set.Open(options.dataset, options.collection)) return 1;
    WriteDiseases(set.data.KavrelTable1(), out);
    return 0;
  }
  Session session(err);
  if (!session.Start(options)) return 1;
  std::optional<DatasetRow> chosen;
  for (const auto& row : ListDatasets(session.data)) {
    if (row.Name == options.dataset) chosen = row;
  }
  if (!chosen) {
    session.dialogs.ShowError("The collection has no data set named " + options.dataset +
                              ", and there is no such file");
    return 1;
  }
  if (!OpenCurrentDataset(session.settings, session.data, session.dialogs, *chosen)) return 1;
  WriteDiseases(session.data.KavrelTable1(), out);
  return 0;
}

void RegisterStoreCommands(Commands& commands) {
  auto store = std::make_shared<StoreOptions>();
  CLI::App* datasets = commands.Add(
      "datasets", "List the data sets of a collection (the current one unless --collection)",
      [store](std::ostream& out, std::ostream& err) { return RunDatasets(*store, out, err); });
  CLI::App* diseases = commands.Add(
      "diseases", "List the diseases of a data set with the inputs stored for each sex",
      [store](std::ostream& out, std::ostream& err) { return RunDiseases(*store, out, err); });
  for (CLI::App* command : {datasets, diseases}) {
    command->add_option("--collection", store->collection, "Collection database file");
  }
  diseases->add_option("--dataset", store->dataset, "Data set name in the collection, or its file")
      ->required();
}

}  // namespace kavrel::cli
