// kavrel-picture: draws the graph of a disease and sex into a picture file with the graph
// window's own drawing, off the screen. Started by "kavrel-cli graph", which checks the options
// first; it takes the same options. Exit codes as kavrel-cli: 0 written, 1 an error, 2 bad usage.

#include <filesystem>
#include <iostream>

#include <CLI/CLI.hpp>
#include <QApplication>

#include "cli/cli_names.h"
#include "cli/graph_command.h"
#include "cli/opened_dataset.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/results/graph_lines.h"
#include "core/results/view_options.h"
#include "gui/common/form_helpers.h"
#include "gui/results/graph_form.h"

namespace {

// A line of the inspection's graph is wanted when its variable and its kind (input "(i)",
// output "(o)") are.
bool Wanted(const kavrel::PlotLine& line, const std::vector<int>& variables,
            const std::string& kinds) {
  for (int v : variables) {
    const std::string name(kavrel::kVariableDisplayNames[v]);
    if (line.Title == name + " (i)" && kinds != "output") return true;
    if (line.Title == name + " (o)" && kinds != "input") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kavrel;
  using namespace kavrel::cli;
  // No screen is needed: the picture is drawn in memory.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The toolkit's own notes (no runtime directory, fonts) are not this program's messages.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
  });
  CLI::App app{"kavrel-picture: the graph of a disease and sex as a picture file"};
  GraphOptions options;
  AddGraphOptions(&app, options);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kUsage;
  }
  if (const std::string problem = GraphOptionsProblem(options); !problem.empty()) {
    std::cerr << problem << '\n';
    return kUsage;
  }
  int qtArgc = 1;
  QApplication qt(qtArgc, argv);
  try {
    OpenedDataset set(std::cerr);
    if (!set.Open(options.dataset, options.collection)) return kError;
    const int sex = SexByName(options.sex);
    const auto disease = set.session.LoadDisease(
        options.disease, sex, kOriginalInputs | kAdjustedInputs | kStoredOutputs);
    if (!disease) return kError;
    if (set.Failed()) return set.FailedExit(std::cerr);
    std::vector<PlotLine> lines;
    const std::vector<int> variables = GraphVariables(options);
    bool original = options.original;
    bool anyAdjusted = false;
    for (int v = 0; v < kVariableCount; ++v) anyAdjusted |= disease->Processed[v][sex];
    if (!original && !anyAdjusted && options.lines != "output") {
      std::cerr << "No adjusted inputs are stored for " << options.disease << ", " << options.sex
                << ": the inputs are drawn as entered.\n";
      original = true;
    }
    for (PlotLine& line : InspectionGraphLines(*disease, sex, ViewOptionsState{}, original)) {
      if (Wanted(line, variables, options.lines)) lines.push_back(line);
    }
    if (lines.empty()) {
      std::cerr << "Error: nothing to draw: " << options.disease << " has none of these "
                << (options.lines == "both" ? "inputs or outputs" : options.lines + "s") << " for "
                << options.sex << '\n';
      return kError;
    }
    const std::string dataset = std::filesystem::path(options.dataset).stem().string();
    Services().DatasetName = [dataset] { return dataset; };
    TGrafForm graph(set.maxAge);
    graph.SetLines(lines);
    graph.resize(1000, 625);
    graph.ShowGraph(GraphCaption(*disease, sex), kProcessingGraphTitle);
    std::string error;
    if (!graph.SavePicture(options.out, options.dpi, error)) {
      std::cerr << "Error: " << error << '\n';
      return kError;
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "Error: " << e.what() << '\n';
    return kError;
  }
}
