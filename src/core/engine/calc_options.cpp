#include "core/engine/calc_options.h"

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
