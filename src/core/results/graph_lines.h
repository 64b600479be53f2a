#pragma once

// Graph lines as data: which single-year series a graph window plots, with the title, axis,
// colour and width each line starts from, and the rule for the vertical axes.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/vocabulary.h"
#include "core/results/view_options.h"

namespace kavrel {

class Tdisease;

struct PlotLine {
  std::string Title;
  const Series* Data = nullptr;  // not owned
  bool Visible = true;
  bool RightAxis = false;
  Colour LineColour = 0;
  int Width = 1;
  bool InLegend = true;
  // Drawn dashed: the inputs (i) beside the outputs, the varied results (s) beside the original,
  // so that the two are told apart also where the colours are close or the print is grey.
  bool Dashed = false;
  // Marks beside the line, in its colour: an input's group values at the groups' midpoints, as
  // published, so that a smoothed input and the outputs can be read against them.
  std::vector<std::pair<double, double>> Points{};
  // A band around the line, in its colour, light: the interval of an output (not owned; both or
  // neither).
  const Series* BandLower = nullptr;
  const Series* BandUpper = nullptr;
};

inline constexpr char kProcessingGraphTitle[] = "Input (i) and output (o) variables";

// The processing window's graph: an input line per variable with own input or taken from output
// ("Incidence (i)", on InputSeries), and once the sex is calculated an output line per variable
// ("Incidence (o)", on OutputSeries), styled from the view options; an output's interval as its
// band where the result has intervals and the view options show them.
std::vector<PlotLine> ProcessingGraphLines(const Tdisease& disease, int sex,
                                           const ViewOptionsState& view);

// The inspection window's graph: input lines of the adjusted inputs (variables with Processed, on
// InputSeries) or of the original ones (own input, on ModelSeries), then the output lines once the
// sex has stored results.
std::vector<PlotLine> InspectionGraphLines(const Tdisease& disease, int sex,
                                           const ViewOptionsState& view, bool original);

// "Disease: " + name + ", " + sex.
std::string GraphCaption(const Tdisease& disease, int sex);

// The fixed maximum of a vertical axis: 0.001 when the largest value of the lines on it (ages 0
// ... maxAge) stays below 0.00101; nothing when the axis follows the data. Hidden lines do not
// count.
std::optional<double> FixedAxisMaximum(const std::vector<PlotLine>& lines, bool rightAxis,
                                       int maxAge);

// Tick marks of an axis from 0 at round values: the step is 1, 2, 2.5 or 5 times a power of ten,
// chosen so that about `wanted` steps reach the largest value; the axis ends at the first tick at
// or above it. Decimals: enough to write every tick exactly.
struct AxisTicks {
  double Step = 1.0;
  double Maximum = 1.0;
  int Decimals = 0;
};
AxisTicks RoundTicks(double largest, int wanted = 5);

}  // namespace kavrel
