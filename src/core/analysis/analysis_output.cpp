#include "core/analysis/analysis_output.h"

#include "core/agesched/age_groups.h"
#include "core/engine/disease.h"
#include "core/engine/population_series.h"

namespace kavrel {

void StoredAnalyses::Reset() {
  summaries_.reset();
  variants_.reset();
}

Tuncertsummary& StoredAnalyses::Summary(TDataKavrel& data, MessagesLog& log, int inputId, int sex,
                                        int maxAge) {
  if (!summaries_) {
    std::array<Tuncertsummary, kSexCount> loaded;
    for (int s = 0; s < kSexCount; ++s)
      loaded[s] = LoadStoredSummary(data, inputId, s, maxAge, log);
    summaries_ = std::move(loaded);
  }
  return (*summaries_)[static_cast<std::size_t>(sex)];
}

const Tsenssum& StoredAnalyses::Variants(TDataKavrel& data, int inputId, int sex, int maxAge) {
  if (!variants_) {
    std::array<Tsenssum, kSexCount> loaded;
    for (int s = 0; s < kSexCount; ++s) loaded[s] = LoadStoredVariants(data, inputId, s, maxAge);
    variants_ = std::move(loaded);
  }
  return (*variants_)[static_cast<std::size_t>(sex)];
}

std::vector<std::string> UncertaintyOutputItems() {
  std::vector<std::string> items;
  for (auto name : kVariableDisplayNames) items.emplace_back(name);
  return items;
}

std::vector<std::string> SensitivityOutputItems(const Tsenssum& results) {
  std::vector<std::string> items;
  for (const Tsensresultin& variant : results.Variants) {
    items.push_back(variant.VarName + " " + variant.Variant);
  }
  return items;
}

std::vector<PlotLine> UncertaintyPlotLines(int variable, const Tdisease& disease, int sex,
                                           const Tuncertsummary& summary,
                                           const ViewOptionsState& view) {
  return UncertaintyInputPlotLines(variable, disease.OutputSeries[variable][sex], summary, view);
}

std::string UncertaintyInputGraphTitle(int variable) {
  return "Uncertainty intervals for " + std::string(kVariableCaptions[variable]) + " input";
}

std::vector<PlotLine> UncertaintyInputPlotLines(int variable, const Series& central,
                                                const Tuncertsummary& summary,
                                                const ViewOptionsState& view) {
  std::vector<PlotLine> lines;
  for (const GraphLine& line : UncertaintyGraphLines(variable, summary)) {
    const Series* data = line.IntervalNumber == 0 ? &central : line.Data;
    const Colour colour = view.UncertaintyColours.at(static_cast<std::size_t>(line.IntervalNumber));
    lines.push_back(
        {line.Title, data, true, false, colour, view.UncertaintyLineWidth, line.InLegend});
  }
  return lines;
}

std::vector<PlotLine> SensitivityPlotLines(const Tdisease& disease, int sex,
                                           const Tsensresultin& variant,
                                           const ViewOptionsState& view) {
  std::vector<PlotLine> lines;
  for (int v = 0; v < kVariableCount; ++v) {
    const LineSettings& style = view.OutputLines[v];
    const std::string name(kVariableDisplayNames[v]);
    lines.push_back({name + " (o)", &disease.OutputSeries[v][sex], style.Visible, style.RightAxis,
                     view.InputLines[v].LineColour, view.InputLineWidth});
    lines.push_back({name + " (s)", &variant.Outputs[v], style.Visible, style.RightAxis,
                     style.LineColour, view.OutputLineWidth, true, true});
  }
  return lines;
}

std::string SensitivityGraphTitle(const Tsensresultin& variant) {
  return "Original (o) and sensitivity (s) results, " + variant.VarName + ", " + variant.Variant;
}

namespace {

Tkolomlijst NewList(const Tdisease& disease, int sex, const PopulationSeries& population,
                    int maxAge, const Tagegrouplist& groups) {
  Tkolomlijst list(TableEnvironment{population.PopulationNumbers, population.AllCauseMortality,
                                    maxAge, disease.IncidenceIsHazard});
  list.BuildRows(groups, sex);
  return list;
}

}  // namespace

TableText UncertaintyTable(int variable, const Tdisease& disease, int sex, Tuncertsummary& summary,
                           const PopulationSeries& population, int maxAge,
                           const Tagegrouplist& groups, const TableRequest& request) {
  Tkolomlijst list =
      NewList(disease, sex, population, maxAge, ChooseTableGroups(request, &groups, maxAge));
  AddUncertaintyColumns(list, variable, disease, sex, summary);
  return RecalculateTable(list, request);
}

TableText SensitivityTable(const Tsensresultin& variant, const Tdisease& disease, int sex,
                           const PopulationSeries& population, int maxAge,
                           const Tagegrouplist& groups, const TableRequest& request) {
  Tkolomlijst list =
      NewList(disease, sex, population, maxAge, ChooseTableGroups(request, &groups, maxAge));
  AddSensitivityColumns(list, disease, sex, variant, ColumnVisibility{});
  return RecalculateTable(list, request);
}

void WriteStoredAnalysisTables(TDataKavrel& data, MessagesLog& log, int maxAge,
                               const Tdisease& disease, int sex, bool sensitivity, bool uncertainty,
                               Tkolomlijst& list,
                               const std::function<void(const std::string& title)>& write) {
  if (sensitivity) {
    const Tsenssum variants = LoadStoredVariants(data, disease.InputId, sex, maxAge);
    for (const Tsensresultin& variant : variants.Variants) {
      list.Columns.clear();
      AddSensitivityColumns(list, disease, sex, variant, ColumnVisibility{});
      write(SensitivityTableTitle(variant));
    }
  }
  if (uncertainty) {
    Tuncertsummary summary = LoadStoredSummary(data, disease.InputId, sex, maxAge, log);
    if (!summary.Intervals.empty()) {
      for (int v = 0; v < kVariableCount; ++v) {
        list.Columns.clear();
        AddUncertaintyColumns(list, v, disease, sex, summary);
        write(UncertaintyTableTitle(disease.DiseaseName, v));
      }
    }
  }
  list.Columns.clear();
}

}  // namespace kavrel
