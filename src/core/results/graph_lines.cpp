#include "core/results/graph_lines.h"

#include <algorithm>
#include <cmath>

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
                     style.RightAxis, style.LineColour, view.InputLineWidth, true, true});
    if (disease.InputPresent[v][sex]) {
      for (const Tinputdat& row : disease.InputRows[v][sex]) {
        lines.back().Points.emplace_back(0.5 * (row.Lage + row.Hage - 1), row.Waarde);
      }
    }
  }
  if (disease.Calculated[sex]) {
    const OutputIntervals& intervals = disease.Intervals[static_cast<std::size_t>(sex)];
    for (int v = 0; v < kVariableCount; ++v) {
      const LineSettings& style = view.OutputLines[v];
      lines.push_back({std::string(kVariableDisplayNames[v]) + " (o)",
                       &disease.OutputSeries[v][sex], style.Visible, style.RightAxis,
                       style.LineColour, view.OutputLineWidth});
      if (intervals.Present && view.IntervalBands) {
        lines.back().BandLower = &intervals.Lower[static_cast<std::size_t>(v)];
        lines.back().BandUpper = &intervals.Upper[static_cast<std::size_t>(v)];
      }
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

AxisTicks RoundTicks(double largest, int wanted) {
  AxisTicks ticks;
  if (!(largest > 0.0) || !std::isfinite(largest)) return ticks;  // 0 ... 1 by 1
  wanted = std::max(wanted, 1);
  const double raw = largest / wanted;
  int power = static_cast<int>(std::floor(std::log10(raw)));
  double unit = std::pow(10.0, power);
  double factor = 10.0;
  for (double candidate : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    // A little tolerance: 0.3 / 3 is a step of 0.1, not of 0.2.
    if (candidate * unit >= raw * (1.0 - 1e-9)) {
      factor = candidate;
      break;
    }
  }
  if (factor == 10.0) {
    factor = 1.0;
    ++power;
    unit *= 10.0;
  }
  ticks.Step = factor * unit;
  ticks.Maximum = std::ceil(largest / ticks.Step * (1.0 - 1e-9)) * ticks.Step;
  // 2.5 needs a decimal more than its power of ten.
  ticks.Decimals = std::max(0, -power + (factor == 2.5 ? 1 : 0));
  return ticks;
}

}  // namespace kavrel
