#include "core/engine/calc_options.h"

#include <cmath>
#include <stdexcept>

#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"

namespace kavrel {

namespace {

bool AvailableFor(const Tdisease& disease, int v, int sex) {
  return disease.InputPresent[v][sex] || disease.FromOutput[v][sex];
}

bool IncidenceExactAllowed(const Tdisease& disease, int sex) {
  return AvailableFor(disease, kIncidence, sex) && disease.IncidenceIsHazard;
}

}  // namespace

bool ParseOptionNumber(const std::string& text, double& value) {
  std::size_t used = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  while (used < text.size() && text[used] == ' ') ++used;
  return used == text.size() && std::isfinite(value);
}

std::optional<CalcOptionsWindowState::NumberProblemAt> CalcOptionsWindowState::NumberProblem()
    const {
  for (int h = 0; h < kHazardCount; ++h) {
    const std::string hazard(kTrendHazardNames[static_cast<std::size_t>(h)]);
    double value = 0.0;
    if (!ParseOptionNumber(MaximumValue[static_cast<std::size_t>(h)], value)) {
      return NumberProblemAt{"The hazards maximum of " + hazard + " is not a valid number", h};
    }
    // A maximum at or below 0 would hold the hazard at a value no input allows.
    if (value < kLowestHazardMaximum || value > kHighestHazardMaximum) {
      return NumberProblemAt{HazardMaximumRangeMessage(hazard), h};
    }
  }
  double smoothness = 0.0;
  if (FitMethod == 1 && (!ParseOptionNumber(FitSmoothness, smoothness) || smoothness < 0.0)) {
    return NumberProblemAt{
        "The smoothness of the fit over all ages is not a valid number (0 or more)",
        kSmoothnessField};
  }
  return std::nullopt;
}

void CalcOptionsWindowState::SetPrevalenceAtBirth(bool checked) {
  PrevalenceAtBirth = checked;
  if (!PrevalenceAtBirth) InputForAge0Only = false;
}

void CalcOptionsWindowState::SetInputForAge0Only(bool checked) {
  InputForAge0Only = checked && PrevalenceAtBirth;
}

void CalcOptionsWindowState::SetUpWeights(const Tdisease& disease, int sex) {
  for (int v = 0; v < kVariableCount; ++v) {
    WeightEnabled[v] = AvailableFor(disease, v, sex);
    Weight[v] = 1;
    Ignore[v] = false;
  }
  ExactEnabled[0] = IncidenceExactAllowed = kavrel::IncidenceExactAllowed(disease, sex);
  ExactEnabled[1] = AvailableFor(disease, kRemission, sex);
  ExactEnabled[2] = AvailableFor(disease, kCaseFatality, sex);
  Exact = {false, false, false};
}

void CalcOptionsWindowState::SetIncidenceIgnore(bool checked, const Tdisease& disease, int sex) {
  Ignore[kIncidence] = checked;
  if (checked) {
    Exact[0] = false;
    ExactEnabled[0] = false;
  } else {
    ExactEnabled[0] = IncidenceExactAllowed = kavrel::IncidenceExactAllowed(disease, sex);
  }
}

void CalcOptionsWindowState::SetIncidenceIgnore(bool checked) {
  Ignore[kIncidence] = checked;
  if (checked) {
    Exact[0] = false;
    ExactEnabled[0] = false;
  } else {
    ExactEnabled[0] = IncidenceExactAllowed;
  }
}

}  // namespace kavrel
