#pragma once

// The subcommands of kavrel-cli. Each command's file registers it with its own options; the
// options that many commands share are defined here, once.

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

namespace kavrel::cli {

// A data set file and the collection used alongside it (for an older file's conversion, the
// standard age patterns, the age group schedules, the destinations' highest ages).
struct DatasetTarget {
  std::string dataset;
  std::string collection;
};

// A disease of the data set, and for most commands one sex.
struct DiseaseTarget : DatasetTarget {
  std::string disease;
  std::string sex = "males";
  const CLI::Option* sexOption = nullptr;  // set by AddDiseaseTarget
};

// The chosen sex (kMales or kFemales). Without --sex, males, and a line on err says so.
int ChosenSex(const DiseaseTarget& target, std::ostream& err);

// "kavrel-cli" and the command being run, as other programs are told who has a data set open.
std::string& ProgramLabel();

// Runs a parsed command: results to out, messages to err; returns the exit code.
using CommandRun = std::function<int(std::ostream& out, std::ostream& err)>;

class Commands {
 public:
  explicit Commands(CLI::App& app) : app_(app) {}

  // A subcommand and what runs when it is given.
  CLI::App* Add(const std::string& name, const std::string& description, CommandRun run);
  // Runs the subcommand that was parsed; 2 when there was none.
  int RunParsed(std::ostream& out, std::ostream& err) const;

 private:
  CLI::App& app_;
  std::vector<std::pair<CLI::App*, CommandRun>> commands_;
};

// The data set file (the required argument DATASET) and --collection.
void AddDatasetTarget(CLI::App* command, DatasetTarget& target,
                      const std::string& collectionHelp = "Collection file");
// The same, with --disease (required) and, unless withSex is false, --sex.
void AddDiseaseTarget(CLI::App* command, DiseaseTarget& target,
                      const std::string& collectionHelp = "Collection file", bool withSex = true);

// The parts of a comma-separated list, empty ones left out ("a,,b" gives a and b).
std::vector<std::string> CommaList(const std::string& text);
// --diseases: nothing for "all" (every disease), else the names of the list.
std::vector<std::string> DiseaseNames(const std::string& diseases);

// Each command file's registration, in the order the help lists them.
void RegisterDemo(Commands& commands);
void RegisterStoreCommands(Commands& commands);
void RegisterCalculate(Commands& commands);
void RegisterAdjust(Commands& commands);
void RegisterTable(Commands& commands);
void RegisterAnalysis(Commands& commands);
void RegisterCopy(Commands& commands);
void RegisterGraph(Commands& commands);
void RegisterNewDataset(Commands& commands);
void RegisterImport(Commands& commands);
void RegisterBatch(Commands& commands);
void RegisterResults(Commands& commands);

}  // namespace kavrel::cli
