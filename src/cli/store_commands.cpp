#include "store_commands.h"

#include <optional>
#include <vector>

#include "cli_dialogs.h"
#include "csv_output.h"
#include "engine/model_types.h"
#include "store/data_kavrel.h"
#include "store/datasets.h"
#include "store/settings.h"

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
    if (LoadSettings(settings, ExecutableDirectory(), data, dialogs, nullptr) ==
        StartUp::kTerminate) {
      return false;
    }
    std::string file = options.collection;
    if (file.empty()) {
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

int RunDiseases(const StoreOptions& options, std::ostream& out, std::ostream& err) {
  Session session(err);
  if (!session.Start(options)) return 1;
  std::optional<DatasetRow> chosen;
  for (const auto& row : ListDatasets(session.data)) {
    if (row.Name == options.dataset) chosen = row;
  }
  if (!chosen) {
    session.dialogs.ShowError("The collection has no data set named " + options.dataset);
    return 1;
  }
  if (!OpenCurrentDataset(session.settings, session.data, session.dialogs, *chosen)) return 1;
  TableCursor& diseases = session.data.KavrelTable1();
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
  return 0;
}

}  // namespace kavrel::cli
