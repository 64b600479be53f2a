#include "cli/copy_command.h"

#include <memory>
#include <optional>

#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/exchange/copy_disease.h"
#include "core/store/database.h"

namespace kavrel::cli {

int RunCopy(const CopyOptions& options, std::ostream& out, std::ostream& err) {
  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return 1;
  // A destination listed in the open collection takes its highest age from there; any other from
  // the width of its own tables.
  std::vector<CopyDestination> destinations;
  for (const std::string& file : options.destinations) {
    destinations.push_back(DestinationInOpenCollection(set.data, file));
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
    if (!outcome.Copied)
      err << "Error: " << outcome.File << " was left as it was: " << outcome.Error << '\n';
  }
  return all && !outcomes.empty() ? 0 : 1;
}

void RegisterCopy(Commands& commands) {
  auto copy = std::make_shared<CopyOptions>();
  CLI::App* command = commands.Add(
      "copy", "Copy a disease with everything stored for it into other data sets",
      [copy](std::ostream& out, std::ostream& err) { return RunCopy(*copy, out, err); });
  AddDiseaseTarget(command, *copy, "Collection whose data sets give the destinations' highest ages",
                   false);
  command->add_option("--to", copy->destinations, "Destination data set file (repeatable)")
      ->required();
  command->add_option("--name", copy->name, "Name in the destinations (default: the same)");
}

}  // namespace kavrel::cli
