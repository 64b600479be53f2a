#include "core/shell/calc_windows.h"

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

// The row's weight and ignore columns in the order of the variables.
std::array<int*, kVariableCount> Weights(CalcSettingsRecord& r) {
  return {&r.InciWeight, &r.PrevWeight, &r.RemiWeight,  &r.CfatWeight,
          &r.DuraWeight, &r.MortWeight, &r.RRMortWeight};
}

std::array<bool*, kVariableCount> Ignores(CalcSettingsRecord& r) {
  return {&r.InciIgn, &r.PrevIgn, &r.RemiIgn, &r.CfatIgn, &r.DuraIgn, &r.MortIgn, &r.RRMortIgn};
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

std::optional<CalcOptions::Problem> CalcOptionsWindowState::NumberProblem() const {
  CalcSettingsRecord record;
  TakeOptionsFromWindows(record, *this, SimplexSettings{}, ProcessingWindowState{});
  return ParseCalcOptions(record).Validate();
}

void ShowOptionsInWindows(const CalcSettingsRecord& record, CalcOptionsWindowState& options,
                          SimplexSettings& simplex, ProcessingWindowState& processing) {
  CalcSettingsRecord r = record;
  options.AgeGroupWidth = r.Agegroup;
  options.LinearInterpolation = r.Linearsmooth;
  options.MovingAverage = r.MovAvsmooth;
  options.CubicSpline = r.CuSplinesmooth;
  options.PrevalenceAtBirth = r.BirthPrev;
  options.InputForAge0Only = r.Only0;
  processing.TrendApplyChecked = r.Trends;
  options.MaximumValue = {r.InciValue, r.RemiValue, r.CfatValue};
  options.Enforced = {r.InciEnforce, r.RemiEnforce, r.CfatEnforce};
  const auto weights = Weights(r);
  const auto ignores = Ignores(r);
  for (int v = 0; v < kVariableCount; ++v) {
    options.Weight[v] = *weights[v];
    options.Ignore[v] = !*ignores[v];
  }
  options.Exact = {r.InciExact, r.RemiExact, r.CfatExact};
  simplex.MaxIterations = r.MaxIter;
  simplex.Precision = r.Precision;
  simplex.Simplex = r.Simplex;
  simplex.Alpha = r.Alpha;
  simplex.Beta = r.Beta;
  simplex.Gamma = r.Gamma;
  options.FitMethod = r.FitMethod;
  options.FitSmoothness = r.FitSmoothness;
}

void TakeOptionsFromWindows(CalcSettingsRecord& r, const CalcOptionsWindowState& options,
                            const SimplexSettings& simplex,
                            const ProcessingWindowState& processing) {
  r.Agegroup = options.AgeGroupWidth;
  r.Linearsmooth = options.LinearInterpolation;
  r.MovAvsmooth = options.MovingAverage;
  r.CuSplinesmooth = options.CubicSpline;
  r.BirthPrev = options.PrevalenceAtBirth;
  r.Only0 = options.InputForAge0Only;
  r.Trends = processing.TrendApplyChecked;
  r.InciValue = options.MaximumValue[0];
  r.RemiValue = options.MaximumValue[1];
  r.CfatValue = options.MaximumValue[2];
  r.InciEnforce = options.Enforced[0];
  r.RemiEnforce = options.Enforced[1];
  r.CfatEnforce = options.Enforced[2];
  const auto weights = Weights(r);
  const auto ignores = Ignores(r);
  for (int v = 0; v < kVariableCount; ++v) {
    *weights[v] = options.Weight[v];
    *ignores[v] = !options.Ignore[v];
  }
  r.InciExact = options.Exact[0];
  r.RemiExact = options.Exact[1];
  r.CfatExact = options.Exact[2];
  r.MaxIter = simplex.MaxIterations;
  r.Precision = simplex.Precision;
  r.Simplex = simplex.Simplex;
  r.Alpha = simplex.Alpha;
  r.Beta = simplex.Beta;
  r.Gamma = simplex.Gamma;
  r.FitMethod = options.FitMethod;
  r.FitSmoothness = options.FitSmoothness;
}

CalcOptions OptionsOfWindows(const CalcOptionsWindowState& options, const SimplexSettings& simplex,
                             const ProcessingWindowState& processing) {
  CalcSettingsRecord record;
  TakeOptionsFromWindows(record, options, simplex, processing);
  CalcOptions parsed = ParseCalcOptions(record);
  parsed.Simplex.WarnOnMaxIterations = simplex.WarnOnMaxIterations;
  parsed.Simplex.AskMoreIterations = simplex.AskMoreIterations;
  parsed.FitReportPercent = options.FitReportPercent;
  return parsed;
}

}  // namespace kavrel
