#include "copy_command.h"

#include <filesystem>
#include <optional>

#include "csv_output.h"
#include "opened_dataset.h"
#include "store/copy_disease.h"
#include "store/database.h"

namespace kavrel::cli {

int RunCopy(const CopyOptions& options, std::ostream& out, std::ostream& err) {
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return 1;
  // A destination listed in the open collection takes its highest age from there; any other from
  // the width of its own tables.
  std::vector<CopyDestination> destinations;
  for (const std::string& file : options.destinations) {
    CopyDestination destination{file, "", 0};
    if (set.data.CollectionIsOpen()) {
      QueryResult& rows =
          set.data.QueryCollection("select DataSetName, DataBaseName from Datasets");
      for (rows.First(); !rows.Eof(); rows.Next()) {
        std::error_code error;
        if (std::filesystem::equivalent(rows.AsText(1), file, error)) {
          destination.DatasetName = rows.AsText(0);
        }
      }
    }
    destinations.push_back(destination);
  }
  Database* collection = set.data.CollectionIsOpen() ? &set.data.Collection() : nullptr;
  const auto outcomes =
      CopyDisease(set.data, set.dialogs, set.maxAge, options.disease,
                  options.name.empty() ? options.disease : options.name, destinations, collection);
  out << "Data set,InputId,Result\n";
  bool all = true;
  for (const auto& outcome : outcomes) {
    out << CsvField(outcome.File) << ',' << outcome.InputId << ','
        << CsvField(outcome.Copied ? "copied" : outcome.Error) << '\n';
    all = all && outcome.Copied;
  }
  return all && !outcomes.empty() ? 0 : 1;
}

}  // namespace kavrel::cli
