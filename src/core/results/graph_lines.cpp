#include "core/results/graph_lines.h"

#include <algorithm>

#include "core/engine/disease.h"

namespace kavrel {

namespace {

// Input lines where `shown` says so, on `series`; then the outputs once the sex is calculated.
template <typename Shown>
std::vector<PlotLine> InputOutputLines(const Tdisease& disease, int sex,
                                       const ViewOptionsState& view, Shown shown,
                                       const PerVariableAndSex<Series>& series) {
  std::vector<PlotLine> lines;
  for (int v = 0; v < kVariableCount; ++v) {
    if (!shown(v)) continue;
    const LineSettings& style = view.InputLines[v];
    lines.push_back({std::string(kVariableDisplayNames[v]) + " (i)", &series[v][sex], style.Visible,
                     style.RightAxis, style.LineColour, view.InputLineWidth});
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

}  // namespace

std::vector<PlotLine> ProcessingGraphLines(const Tdisease& disease, int sex,
                                           const ViewOptionsState& view) {
  return InputOutputLines(
      disease, sex, view,
      [&](int v) { return disease.InputPresent[v][sex] || disease.FromOutput[v][sex]; },
      disease.InputSeries);
}

std::vector<PlotLine> InspectionGraphLines(const Tdisease& disease, int sex,
                                           const ViewOptionsState& view, bool original) {
  if (original) {
    return InputOutputLines(
        disease, sex, view, [&](int v) { return disease.InputPresent[v][sex]; },
        disease.ModelSeries);
  }
  return InputOutputLines(
      disease, sex, view, [&](int v) { return disease.Processed[v][sex]; }, disease.InputSeries);
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
