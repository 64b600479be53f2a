#include "core/engine/input_checks.h"

#include <cmath>
#include <cstdio>

#include "core/base/vocabulary.h"
#include "core/engine/disease.h"

namespace kavrel {

namespace {

std::string Shown(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

}  // namespace

std::optional<std::string> CheckAgeGroups(const std::vector<AgeSpan>& groups, int maxAge,
                                          const std::string& what) {
  int previousEnd = 0;
  for (const AgeSpan& g : groups) {
    const std::string label = std::to_string(g.Lage) + "-" + std::to_string(g.Hage - 1);
    if (g.Lage < 0 || g.Hage > maxAge + 1 || g.Hage <= g.Lage) {
      return what + " hold the group " + std::to_string(g.Lage) + " up to " +
             std::to_string(g.Hage) + ": a group must start at 0 or later, end after it starts, " +
             "and end at " + std::to_string(maxAge + 1) + " at the latest.";
    }
    if (g.Lage < previousEnd) {
      return what + " overlap or are out of order at " + label +
             ": each group must start where the one before it ended, or later.";
    }
    previousEnd = g.Hage;
  }
  return std::nullopt;
}

std::optional<std::string> CheckInputValue(int variable, double value, const std::string& where) {
  if (!std::isfinite(value)) return where + " is not a finite number.";
  if (value < 0.0) return where + " is " + Shown(value) + "; it must not be negative.";
  if (variable == kPrevalence && value > 1.0) {
    return where + " is " + Shown(value) + "; a prevalence must lie between 0 and 1.";
  }
  return std::nullopt;
}

std::optional<std::string> InputValueWarning(int variable, double value, const std::string& where) {
  if (variable == kRRMortality && value < 1.0) {
    return where + " is " + Shown(value) +
           ", below 1. The model gives the diseased at least the mortality of the healthy, so "
           "the calculation cannot reproduce it.";
  }
  if (variable == kDuration && value == 0.0) {
    return where +
           " is 0. A disease lasts for some time, so the calculation cannot reproduce "
           "a duration of 0.";
  }
  return std::nullopt;
}

std::vector<std::string> InputWarnings(const Tdisease& disease, int sex, int maxAge) {
  std::vector<std::string> warnings;
  const std::string of =
      " of " + disease.DiseaseName + " for " + std::string(kSexNames.at(static_cast<size_t>(sex)));
  for (int v : {kDuration, kRRMortality}) {
    if (!disease.InputPresent[v][sex]) continue;
    for (const Tinputdat& row : disease.InputRows[v][sex]) {
      const std::string where = std::string(kVariableDisplayNames[v]) + of + " at ages " +
                                GroupLabel(row.Lage, row.Hage, maxAge);
      if (auto warning = InputValueWarning(v, row.Waarde, where)) {
        warnings.push_back(*warning);
        break;
      }
    }
  }
  return warnings;
}

std::optional<std::string> CheckInputs(const Tdisease& disease, int sex, int maxAge) {
  const std::string of =
      " of " + disease.DiseaseName + " for " + std::string(kSexNames.at(static_cast<size_t>(sex)));
  for (int v = 0; v < kVariableCount; ++v) {
    const std::string name(kVariableDisplayNames[v]);
    if (disease.InputPresent[v][sex]) {
      std::vector<AgeSpan> spans;
      for (const Tinputdat& row : disease.InputRows[v][sex]) spans.push_back({row.Lage, row.Hage});
      if (auto refusal = CheckAgeGroups(spans, maxAge, "The age groups of " + name + of)) {
        return refusal;
      }
    }
    if (!disease.InputPresent[v][sex] && !disease.FromOutput[v][sex]) continue;
    for (int a = 0; a <= maxAge; ++a) {
      if (auto refusal = CheckInputValue(v, disease.InputSeries[v][sex][a],
                                         name + of + " at age " + std::to_string(a))) {
        return refusal;
      }
    }
  }
  return std::nullopt;
}

}  // namespace kavrel
