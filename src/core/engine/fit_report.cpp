#include "core/engine/fit_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/engine/disease.h"

namespace kavrel {

namespace {

std::string Number(double value, int digits) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

// The shortest text that reads back as the same number (at most 17 significant digits).
std::string ExactNumber(double value) {
  for (int digits = 15; digits < 17; ++digits) {
    const std::string text = Number(value, digits);
    if (std::strtod(text.c_str(), nullptr) == value) return text;
  }
  return Number(value, 17);
}

}  // namespace

double GroupMean(const Series& series, int lage, int hage, int maxAge, const Series* population) {
  const int last = std::min(hage - 1, maxAge);
  // A group of one value (an input spread as a step) has that value, without rounding.
  if (last >= lage && std::all_of(&series[lage], &series[last] + 1,
                                  [&](double value) { return value == series[lage]; })) {
    return series[lage];
  }
  double sum = 0.0;
  double weights = 0.0;
  if (population != nullptr) {
    for (int a = lage; a <= last; ++a) {
      sum += series[a] * (*population)[a];
      weights += (*population)[a];
    }
    if (weights > 0.0) return sum / weights;
    sum = 0.0;
  }
  for (int a = lage; a <= last; ++a) sum += series[a];
  return last >= lage ? sum / (last - lage + 1) : 0.0;
}

std::vector<std::pair<int, int>> InputGroups(const Tdisease& disease, int v, int sex, int maxAge,
                                             int width) {
  std::vector<std::pair<int, int>> groups;
  if (!disease.InputPresent[v][sex] && !disease.FromOutput[v][sex]) return groups;
  const auto& rows = disease.InputRows[v][sex];
  if (disease.InputPresent[v][sex] && !rows.empty()) {
    for (const Tinputdat& row : rows) {
      const int lage = std::clamp(row.Lage, 0, maxAge);
      const int hage = std::clamp(row.Hage, lage + 1, maxAge + 1);
      if (row.Lage > maxAge) continue;
      groups.emplace_back(lage, hage);
    }
    std::sort(groups.begin(), groups.end());
    if (!groups.empty()) return groups;
  }
  width = std::max(width, 1);
  for (int lage = 0; lage <= maxAge; lage += width) {
    groups.emplace_back(lage, std::min(lage + width, maxAge + 1));
  }
  return groups;
}

InputPrecision StoredPrecision(const Tdisease& disease, int v, int sex, int lage, int hage,
                               int maxAge) {
  for (const Tinputdat& row : disease.InputRows[v][sex]) {
    if (row.Lage > maxAge) continue;
    const int from = std::clamp(row.Lage, 0, maxAge);
    const int to = std::clamp(row.Hage, from + 1, maxAge + 1);
    if (from == lage && to == hage) return row.Precision;
  }
  return {};
}

const FitReportRow* FitReport::Worst() const {
  const FitReportRow* worst = nullptr;
  for (const FitReportRow& row : Rows) {
    if (!row.Deviation) continue;
    if (worst == nullptr || std::fabs(*row.Deviation) > std::fabs(*worst->Deviation)) worst = &row;
  }
  return worst;
}

std::vector<const FitReportRow*> FitReport::Beyond(double threshold) const {
  std::vector<const FitReportRow*> rows;
  for (const FitReportRow& row : Rows) {
    if (row.Deviation && std::fabs(*row.Deviation) > threshold) rows.push_back(&row);
  }
  return rows;
}

FitReport BuildFitReport(const Tdisease& disease, int sex, int maxAge,
                         const std::array<Series, kSexCount>* population, int width) {
  FitReport report;
  const Series* persons = population != nullptr ? &(*population)[sex] : nullptr;
  for (int v = 0; v < kVariableCount; ++v) {
    for (const auto& [lage, hage] : InputGroups(disease, v, sex, maxAge, width)) {
      FitReportRow row;
      row.Variable = v;
      row.Lage = lage;
      row.Hage = hage;
      row.Label = GroupLabel(lage, hage, maxAge);
      row.Input = GroupMean(disease.InputSeries[v][sex], lage, hage, maxAge, persons);
      row.Output = GroupMean(disease.OutputSeries[v][sex], lage, hage, maxAge, persons);
      if (row.Input != 0.0) row.Deviation = row.Output / row.Input - 1.0;
      report.Rows.push_back(row);
    }
  }
  return report;
}

std::string FitReportCsv(const FitReport& report) {
  std::string text = "Variable,Age group,Input,Output,Deviation\n";
  for (const FitReportRow& row : report.Rows) {
    text += std::string(kVariableDisplayNames[row.Variable]) + "," + row.Label + "," +
            ExactNumber(row.Input) + "," + ExactNumber(row.Output) + "," +
            (row.Deviation ? ExactNumber(*row.Deviation) : std::string()) + "\n";
  }
  return text;
}

std::optional<std::string> FitReportWarning(const FitReport& report, const std::string& disease,
                                            int sex, double threshold) {
  const auto beyond = report.Beyond(threshold);
  const FitReportRow* worst = report.Worst();
  if (beyond.empty() || worst == nullptr) return std::nullopt;
  char percent[32];
  std::snprintf(percent, sizeof percent, "%+.1f %%", 100.0 * *worst->Deviation);
  char limit[32];
  std::snprintf(limit, sizeof limit, "%g %%", 100.0 * threshold);
  return "Fit of " + disease + ", " + std::string(kSexNames[sex]) + ": " +
         std::string(kVariableDisplayNames[worst->Variable]) + " " + worst->Label + " input " +
         Number(worst->Input, 3) + ", output " + Number(worst->Output, 3) + " (" + percent + "); " +
         std::to_string(beyond.size()) + (beyond.size() == 1 ? " group" : " groups") + " beyond " +
         limit;
}

}  // namespace kavrel
