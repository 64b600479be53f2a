#pragma once

// What the analysis window shows after a run: the items of the output-item chooser, and the
// chosen item as graph lines or as a table.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/sensitivity.h"
#include "core/analysis/uncertainty.h"
#include "core/results/graph_lines.h"
#include "core/results/result_table.h"

namespace kavrel {

class MessagesLog;
class TDataKavrel;
class Tdisease;
struct PopulationSeries;
struct Tagegrouplist;

// The stored uncertainty summaries and sensitivity variants of one disease, read from the data set
// on first use and kept until the disease changes (the inspection window's "Uncertainty" and
// "Sensitivity").
class StoredAnalyses {
 public:
  void Reset();
  Tuncertsummary& Summary(TDataKavrel& data, MessagesLog& log, int inputId, int sex, int maxAge);
  const Tsenssum& Variants(TDataKavrel& data, int inputId, int sex, int maxAge);
  bool SummariesLoaded() const { return summaries_.has_value(); }

 private:
  std::optional<std::array<Tuncertsummary, kSexCount>> summaries_;
  std::optional<std::array<Tsenssum, kSexCount>> variants_;
};

// Uncertainty: the seven output variables; sensitivity: each variant as variable + " " + step.
std::vector<std::string> UncertaintyOutputItems();
std::vector<std::string> SensitivityOutputItems(const Tsenssum& results);

// "Central value" (the chosen output of the disease) and two lines per interval, the upper one
// left out of the legend; colours and width from the view options.
std::vector<PlotLine> UncertaintyPlotLines(int variable, const Tdisease& disease, int sex,
                                           const Tuncertsummary& summary,
                                           const ViewOptionsState& view);
// The settings window's graph of the input intervals: the saved input as "Central value".
std::vector<PlotLine> UncertaintyInputPlotLines(int variable, const Series& savedInput,
                                                const Tuncertsummary& summary,
                                                const ViewOptionsState& view);
std::string UncertaintyInputGraphTitle(int variable);
// Per output variable the original output (" (o)") and the variant's (" (s)").
std::vector<PlotLine> SensitivityPlotLines(const Tdisease& disease, int sex,
                                           const Tsensresultin& variant,
                                           const ViewOptionsState& view);
// "Original (o) and sensitivity (s) results, " + varied variable + ", " + variant.
std::string SensitivityGraphTitle(const Tsensresultin& variant);

// The tables, by the given age groups (or the request's own); output incidence as hazards or as
// rates in the whole population, as the request says.
TableText UncertaintyTable(int variable, const Tdisease& disease, int sex, Tuncertsummary& summary,
                           const PopulationSeries& population, int maxAge,
                           const Tagegrouplist& groups, const TableRequest& request);
TableText SensitivityTable(const Tsensresultin& variant, const Tdisease& disease, int sex,
                           const PopulationSeries& population, int maxAge,
                           const Tagegrouplist& groups, const TableRequest& request);

// An export's "Include": the stored sensitivity variants of a disease and sex, then the
// uncertainty table of each output variable, each put in the list's columns (on its rows) and
// handed to write with its title. Nothing for an analysis that was not stored.
void WriteStoredAnalysisTables(TDataKavrel& data, MessagesLog& log, int maxAge,
                               const Tdisease& disease, int sex, bool sensitivity, bool uncertainty,
                               Tkolomlijst& list,
                               const std::function<void(const std::string& title)>& write);

}  // namespace kavrel
