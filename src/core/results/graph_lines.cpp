#include "results/graph_lines.h"

#include <algorithm>

#include "engine/disease.h"

namespace kavrel {

std::vector<PlotLine> ProcessingGraphLines(const Tdisease& disease, int sex,
                                           const ViewOptionsState& view) {
  std::vector<PlotLine> lines;
  for (int v = 0; v < kVariableCount; ++v) {
    if (!disease.InputPresent[v][sex] && !disease.FromOutput[v][sex]) continue;
    const LineSettings& style = view.InputLines[v];
    lines.push_back({std::string(kVariableDisplayNames[v]) + " (i)", &disease.InputSeries[v][sex],
                     style.Visible, style.RightAxis, style.LineColour, view.InputLineWidth});
  }
  if (disease.Calculated[sex]) {
    for (int v = 0; v < kVariableCount; ++v) {
      const LineSettings& style = view.OutputLines[v];
      lines.push_back({std::string(kVariableDisplayNames[v]) + " (o)",
                       &disease.OutputSeries[v][sex], style.Visible, style.RightAxis,
                       style.LineColour, view.OutputLineWidth});
    }
  }
  return lines;
}

std::string GraphCaption(const Tdisease& disease, int sex) {
  return "Disease: " + disease.DiseaseName + ", " + std::string(kSexNames[sex]);
}

std::optional<double> FixedAxisMaximum(const std::vector<PlotLine>& lines, bool rightAxis,
                                       int maxAge) {
  double largest = 0.0;
  for (const PlotLine& line : lines) {
    // Hidden lines do not scale the axis.
    if (line.RightAxis != rightAxis || !line.Visible || line.Data == nullptr) continue;
    for (int a = 0; a <= std::min(maxAge, kHighestPossibleAge); ++a) {
      largest = std::max(largest, (*line.Data)[a]);
    }
  }
  if (largest < 0.00101) return 0.001;
  return std::nullopt;
}

}  // namespace kavrel
