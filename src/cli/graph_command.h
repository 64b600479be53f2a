#pragma once

// kavrel-cli graph: the graph of a disease and sex as a picture file (PNG, SVG or PDF) for a
// report. The picture is drawn by kavrel-picture, the program beside kavrel-cli that draws with the
// graph window itself, so that the file shows the figure the screen shows; kavrel-cli stays free
// of the windows' libraries and hands the checked options over.

#include <string>
#include <vector>

#include "cli/command.h"

namespace kavrel::cli {

struct GraphOptions : DiseaseTarget {
  std::vector<std::string> variables;  // by name; none: every variable
  std::string lines = "both";          // input, output or both
  bool original = false;               // the original inputs instead of the adjusted ones
  int dpi = 150;                       // PNG resolution
  std::string out;
};

void AddGraphOptions(CLI::App* command, GraphOptions& options);
// What the parser cannot check (the variables' names, the picture kind by the file's extension);
// empty when the options are fine.
std::string GraphOptionsProblem(const GraphOptions& options);
// The options as arguments again, for kavrel-picture.
std::vector<std::string> GraphArguments(const GraphOptions& options);
// The variables wanted, by number (every variable when none was named).
std::vector<int> GraphVariables(const GraphOptions& options);

}  // namespace kavrel::cli
