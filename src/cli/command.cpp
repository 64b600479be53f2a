#include "cli/command.h"

#include <sstream>

#include "cli/cli_names.h"

namespace kavrel::cli {

CLI::App* Commands::Add(const std::string& name, const std::string& description, CommandRun run) {
  CLI::App* command = app_.add_subcommand(name, description);
  commands_.emplace_back(command, std::move(run));
  return command;
}

std::string& ProgramLabel() {
  static std::string label = "kavrel-cli";
  return label;
}

int Commands::RunParsed(std::ostream& out, std::ostream& err) const {
  for (const auto& [command, run] : commands_) {
    if (command->parsed()) {
      ProgramLabel() = "kavrel-cli " + command->get_name();
      return run(out, err);
    }
  }
  return 2;
}

void AddDatasetTarget(CLI::App* command, DatasetTarget& target, const std::string& collectionHelp) {
  command->add_option("DATASET", target.dataset, "Data set file")->required();
  command->add_option("--collection", target.collection, collectionHelp);
}

void AddDiseaseTarget(CLI::App* command, DiseaseTarget& target, const std::string& collectionHelp,
                      bool withSex) {
  AddDatasetTarget(command, target, collectionHelp);
  command->add_option("--disease", target.disease, "Disease name")->required();
  if (!withSex) return;
  target.sexOption =
      command->add_option("--sex", target.sex, "males or females (without it: males, and a note)")
          ->check(CLI::IsMember({"males", "females"}, CLI::ignore_case))
          ->transform(CLI::IsMember({"males", "females"}, CLI::ignore_case));
}

int ChosenSex(const DiseaseTarget& target, std::ostream& err) {
  if (target.sexOption != nullptr && target.sexOption->count() == 0) {
    err << "No --sex given: males (--sex females for the females)\n";
  }
  return SexByName(target.sex);
}

std::vector<std::string> CommaList(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, ',');) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::vector<std::string> DiseaseNames(const std::string& diseases) {
  return diseases == "all" ? std::vector<std::string>{} : CommaList(diseases);
}

}  // namespace kavrel::cli
