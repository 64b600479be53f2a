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

double PrecisionResidual(int v, double input, double output, const InputPrecision& p,
                         double countScale) {
  if (p.Type == InputPrecision::Kind::kInterval) {
    if (p.Lower > 0.0 && input > 0.0) {
      const double sd = (std::log(p.Upper) - std::log(p.Lower)) / (2.0 * 1.959964);
      return (std::log(input) - std::log(std::max(output, 1e-300))) / sd;
    }
    const double sd = (p.Upper - p.Lower) / (2.0 * 1.959964);
    return (input - output) / sd;
  }
  if (p.Type != InputPrecision::Kind::kCount) return 0.0;
  const double n = p.Denominator;
  const double y = std::min(p.Count * countScale, v == kPrevalence ? n : 1e300);
  double deviance = 0.0;
  double expected = 0.0;
  if (v == kPrevalence) {
    const double share = std::clamp(output, 1e-300, 1.0 - 1e-12);
    expected = n * share;
    if (y > 0.0) deviance += y * std::log(y / expected);
    if (n - y > 0.0) deviance += (n - y) * std::log((n - y) / (n - expected));
  } else {
    expected = std::max(output, 1e-300) * n;
    deviance = (y > 0.0 ? y * std::log(y / expected) : 0.0) - (y - expected);
  }
  const double root = std::sqrt(std::max(0.0, 2.0 * deviance));
  return y >= expected ? root : -root;
}

const FitReportRow* FitReport::Worst() const {
  const FitReportRow* worst = nullptr;
  for (const FitReportRow& row : Rows) {
    if (row.Residual) {
      if (worst == nullptr || !worst->Residual ||
          std::fabs(*row.Residual) > std::fabs(*worst->Residual)) {
        worst = &row;
      }
    } else if (row.Deviation &&
               (worst == nullptr ||
                (!worst->Residual && std::fabs(*row.Deviation) > std::fabs(*worst->Deviation)))) {
      worst = &row;
    }
  }
  return worst;
}

std::vector<const FitReportRow*> FitReport::Beyond(double threshold) const {
  std::vector<const FitReportRow*> rows;
  for (const FitReportRow& row : Rows) {
    const bool significant = !row.Residual || std::fabs(*row.Residual) > 2.0;
    const bool missed = row.Deviation ? std::fabs(*row.Deviation) > threshold
                                      : row.Residual && row.Difference != 0.0;
    if (missed && significant) rows.push_back(&row);
  }
  return rows;
}

std::vector<HazardAtMaximum> HazardsAtMaximum(const Tdisease& disease, int sex, int maxAge,
                                              const std::array<double, 3>& maxima,
                                              const std::array<bool, 3>& exact) {
  std::vector<HazardAtMaximum> found;
  constexpr std::array<int, 3> hazards = {kIncidence, kRemission, kCaseFatality};
  for (std::size_t h = 0; h < hazards.size(); ++h) {
    if (exact[h] || !(maxima[h] > 0.0)) continue;
    const Series& series = disease.ModelSeries[hazards[h]][sex];
    HazardAtMaximum at{hazards[h], maxima[h], {}};
    for (int a = 0; a <= maxAge; ++a) {
      if (!(series[a] >= 0.999 * maxima[h])) continue;
      if (!at.Ages.empty() && at.Ages.back().second == a - 1) {
        at.Ages.back().second = a;
      } else {
        at.Ages.emplace_back(a, a);
      }
    }
    if (!at.Ages.empty()) found.push_back(std::move(at));
  }
  return found;
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
      row.Difference = row.Output - row.Input;
      if (disease.InputPresent[v][sex]) {
        row.Precision = StoredPrecision(disease, v, sex, lage, hage, maxAge);
        if (PrecisionProblem(v, row.Input, row.Precision)) row.Precision = {};
      }
      if (row.Precision.Known()) {
        row.Residual = PrecisionResidual(v, row.Input, row.Output, row.Precision);
      } else if (persons != nullptr && CountsDescribe(v) && row.Input >= 0.0) {
        // The counts the figure implies, as if measured on every person of the group.
        double n = 0.0;
        for (int a = lage; a < hage && a <= maxAge; ++a) n += (*persons)[a];
        if (n > 0.0) {
          InputPrecision implied;
          implied.Type = InputPrecision::Kind::kCount;
          implied.Denominator = n;
          implied.Count = std::min(row.Input, v == kPrevalence ? 1.0 : row.Input) * n;
          row.Residual = PrecisionResidual(v, row.Input, row.Output, implied);
        }
      }
      report.Rows.push_back(row);
    }
  }
  return report;
}

std::string FitReportCsv(const FitReport& report) {
  std::string text =
      "Variable,Age group,Input,Output,Deviation,Difference,Standardised residual,Count,"
      "Denominator,Lower,Upper\n";
  const auto optional = [](bool known, double value) {
    return known ? ExactNumber(value) : std::string();
  };
  for (const FitReportRow& row : report.Rows) {
    const InputPrecision& p = row.Precision;
    const bool counts = p.Type == InputPrecision::Kind::kCount;
    const bool interval = p.Type == InputPrecision::Kind::kInterval;
    text += std::string(kVariableDisplayNames[row.Variable]) + "," + row.Label + "," +
            ExactNumber(row.Input) + "," + ExactNumber(row.Output) + "," +
            (row.Deviation ? ExactNumber(*row.Deviation) : std::string()) + "," +
            ExactNumber(row.Difference) + "," +
            (row.Residual ? ExactNumber(*row.Residual) : std::string()) + "," +
            optional(counts, p.Count) + "," + optional(counts, p.Denominator) + "," +
            optional(interval, p.Lower) + "," + optional(interval, p.Upper) + "\n";
  }
  return text;
}

std::optional<std::string> FitReportWarning(const FitReport& report, const std::string& disease,
                                            int sex, double threshold) {
  const auto beyond = report.Beyond(threshold);
  // The group named is the one of those beyond that weighs most.
  FitReport missedRows;
  for (const FitReportRow* row : beyond) missedRows.Rows.push_back(*row);
  const FitReportRow* worst = missedRows.Worst();
  const bool missed = !beyond.empty() && worst != nullptr;
  if (!missed && report.AtMaximum.empty()) return std::nullopt;
  std::string line = "Fit of " + disease + ", " + std::string(kSexNames[sex]);
  if (!report.Method.empty()) line += " (" + report.Method + ")";
  line += ":";
  std::string parts;
  if (missed) {
    std::string how;
    if (worst->Deviation) {
      char percent[32];
      std::snprintf(percent, sizeof percent, "%+.1f %%", 100.0 * *worst->Deviation);
      how = percent;
    } else {
      how = "difference " + Number(worst->Difference, 3);
    }
    if (worst->Residual) {
      char errors[48];
      std::snprintf(errors, sizeof errors, ", %.1f standard errors", std::fabs(*worst->Residual));
      how += errors;
    }
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g %%", 100.0 * threshold);
    parts += " " + std::string(kVariableDisplayNames[worst->Variable]) + " " + worst->Label +
             " input " + Number(worst->Input, 3) + ", output " + Number(worst->Output, 3) + " (" +
             how + "); " + std::to_string(beyond.size()) +
             (beyond.size() == 1 ? " group" : " groups") + " beyond " + limit;
  }
  for (const HazardAtMaximum& at : report.AtMaximum) {
    std::string ages;
    for (const auto& [first, last] : at.Ages) {
      if (!ages.empty()) ages += ", ";
      ages += std::to_string(first);
      if (last > first) {
        ages += '-';
        ages += std::to_string(last);
      }
    }
    parts +=
        std::string(parts.empty() ? " " : "; ") + std::string(kVariableDisplayNames[at.Variable]) +
        " at its maximum of " + Number(at.Maximum, 6) + " at " +
        (at.Ages.size() == 1 && at.Ages[0].first == at.Ages[0].second ? "age " : "ages ") + ages;
  }
  return line + parts;
}

}  // namespace kavrel
