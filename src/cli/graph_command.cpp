#include "cli/graph_command.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>

#include <unistd.h>

#include "cli/cli_names.h"
#include "cli/opened_dataset.h"
#include "core/store/settings.h"

namespace kavrel::cli {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return Simplified(text.substr(text.size() - end.size())) == Simplified(end);
}

}  // namespace

void AddGraphOptions(CLI::App* command, GraphOptions& options) {
  AddDiseaseTarget(command, options);
  command
      ->add_option("--variables", options.variables,
                   "Variables to draw, by name (incidence,prevalence,...); all when not given")
      ->delimiter(',');
  command->add_option("--lines", options.lines, "input, output or both")
      ->check(CLI::IsMember({"input", "output", "both"}));
  command->add_flag("--original", options.original, "The original inputs, not the adjusted ones");
  command->add_option("--dpi", options.dpi, "Resolution of a PNG picture, 72 to 1200")
      ->check(CLI::Range(72, 1200));
  command->add_option("--out", options.out, "Picture file: .png, .svg or .pdf")->required();
}

std::string GraphOptionsProblem(const GraphOptions& options) {
  for (const std::string& name : options.variables) {
    if (VariableByName(name) < 0) return "--variables: no variable named " + name;
  }
  if (!EndsWith(options.out, ".png") && !EndsWith(options.out, ".svg") &&
      !EndsWith(options.out, ".pdf")) {
    return "--out: a picture is saved as .png, .svg or .pdf: " + options.out;
  }
  return {};
}

std::vector<std::string> GraphArguments(const GraphOptions& options) {
  std::vector<std::string> arguments{options.dataset, "--disease", options.disease,
                                     "--sex",         options.sex, "--lines",
                                     options.lines,   "--dpi",     std::to_string(options.dpi),
                                     "--out",         options.out};
  if (!options.collection.empty()) {
    arguments.insert(arguments.end(), {"--collection", options.collection});
  }
  if (!options.variables.empty()) {
    std::string list;
    for (const std::string& name : options.variables) list += (list.empty() ? "" : ",") + name;
    arguments.insert(arguments.end(), {"--variables", list});
  }
  if (options.original) arguments.emplace_back("--original");
  return arguments;
}

std::vector<int> GraphVariables(const GraphOptions& options) {
  std::vector<int> wanted;
  for (const std::string& name : options.variables) wanted.push_back(VariableByName(name));
  if (wanted.empty()) {
    for (int v = 0; v < kVariableCount; ++v) wanted.push_back(v);
  }
  return wanted;
}

void RegisterGraph(Commands& commands) {
  auto options = std::make_shared<GraphOptions>();
  CLI::App* command = commands.Add(
      "graph", "The graph of a disease and sex as a picture (PNG, SVG or PDF)",
      [options](std::ostream& out, std::ostream& err) {
        if (const std::string problem = GraphOptionsProblem(*options); !problem.empty()) {
          err << problem << '\n';
          return kUsage;
        }
        const std::string picture = ExecutableDirectory() + "kavrel-picture";
        if (!std::filesystem::exists(picture)) {
          err << "Error: pictures are drawn by kavrel-picture, which is not installed beside "
                 "kavrel-cli (it is built with the windows)\n";
          return kError;
        }
        ChosenSex(*options, err);  // says which sex when none was given
        std::vector<std::string> arguments = GraphArguments(*options);
        arguments.insert(arguments.begin(), picture);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        out.flush();
        err.flush();
        std::cout.flush();
        ::execv(picture.c_str(), argv.data());
        err << "Error: cannot start " << picture << ": " << std::strerror(errno) << '\n';
        return kError;
      });
  AddGraphOptions(command, *options);
}

}  // namespace kavrel::cli
