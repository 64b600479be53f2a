#include "core/engine/processing.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease_store.h"
#include "core/engine/fit_report.h"
#include "core/engine/fitter.h"
#include "core/engine/input_checks.h"

namespace kavrel {

bool SufficientInput(const Tdisease& disease, int sex) {
  int given = 0;
  for (int v = 0; v < kVariableCount; ++v) given += disease.InputPresent[v][sex] ? 1 : 0;
  const bool bothMortalityRatios =
      disease.InputPresent[kCaseFatality][sex] && disease.InputPresent[kRRMortality][sex];
  return bothMortalityRatios ? given > 3 : given > 2;
}

std::optional<std::string> UndeterminedFit(const Tdisease& disease, const ModelEnvironment& env,
                                           const CalcOptions& options) {
  const int sex = disease.Sex;
  // Exactly incidence, remission and case fatality: calculated directly, nothing is fitted.
  if (CalculatedPlainly(disease, sex)) return std::nullopt;
  const auto available = [&](int v) {
    return disease.InputPresent[v][sex] || disease.FromOutput[v][sex];
  };
  std::string ignored;
  for (int v = 0; v < kVariableCount; ++v) {
    const bool used = available(v) && !options.Ignore[static_cast<std::size_t>(v)] &&
                      !(v == kPrevalence && options.InputForAge0Only);
    if (available(v) && !used) {
      ignored += (ignored.empty() ? "" : ", ") + std::string(kVariableDisplayNames[v]);
    }
  }
  const auto hazard = Tfitter(disease, env, options).UndeterminedHazard();
  if (!hazard) return std::nullopt;
  const char* determinedBy = *hazard == kIncidence   ? "Incidence or Prevalence"
                             : *hazard == kRemission ? "Remission, Prevalence or Duration"
                                                     : "Case fatality, Mortality, RR mortality or "
                                                       "Duration";
  std::string name(kVariableDisplayNames[*hazard]);
  return "The inputs the fit would use cannot determine " + name +
         ": apart from the other hazards it searches, none of them changes with it. Give " + name +
         " and mark it Exact (calculation options, Weights), or add an input that depends "
         "on it (" +
         determinedBy + ")" +
         (ignored.empty() ? std::string(".")
                          : "; or stop ignoring " + ignored + " (calculation options, Weights).");
}

std::variant<CalcOptions, std::string> PrepareCalculation(Tdisease& disease, DiseaseStore& store,
                                                          const CalculationRequest& request) {
  const int sex = disease.Sex;
  CalcSettingsRecord& record = disease.CalcSettings.Records.at(static_cast<std::size_t>(sex));
  if (request.Options != nullptr) {
    record = *request.Options;
  } else {
    disease.CalcSettings.LoadFromTable(sex, store.Data, disease.InputId);
  }
  if (request.CheckOptions) {
    if (auto refusal = ApplyOptionChanges(record, request.OptionChanges)) return *refusal;
  }
  if (request.ApplyTrends) record.Trends = *request.ApplyTrends;
  CalcOptions options = ParseCalcOptions(record);
  if (request.Unattended) {
    options.Simplex.WarnOnMaxIterations = false;
    options.Simplex.AskMoreIterations = false;
  }
  options.FitReportPercent = request.FitReportPercent;
  if (options.ApplyTrends && !request.TrendsLoaded) store.LoadTrends(disease, sex);
  return options;
}

std::string CalculationFailedMessage(const std::string& disease, int sex,
                                     std::size_t internalErrors, const std::string& first) {
  std::string text = "The calculation of " + disease + " for " +
                     std::string(kSexNames.at(static_cast<std::size_t>(sex))) + " failed";
  if (internalErrors > 0) {
    text += ": " + std::to_string(internalErrors) + " internal error" +
            (internalErrors == 1 ? "" : "s") + ", the first \"" + first + "\"";
  }
  return text +
         ". Its results cannot be saved; check the inputs and the calculation options (the "
         "messages window lists every error).";
}

std::string FitMethodText(const CalcOptions& options, double smoothness) {
  if (options.Method != FitMethod::kAllAges) return "per age group";
  std::string text = "all ages at once";
  if (std::isfinite(smoothness)) {
    char number[32];
    std::snprintf(number, sizeof number, "%.3g", smoothness);
    text += std::string(", smoothness ") + number;
    if (options.SmoothnessAutomatic) text += " chosen from the data";
  }
  return text;
}

std::string NoIntervalsMessage(const OutputIntervals& intervals) {
  std::string message = "No intervals: ";
  if (intervals.WithoutPrecision >= 0 && intervals.WithoutPrecision < kVariableCount) {
    message.append("the ")
        .append(kVariableDisplayNames[static_cast<std::size_t>(intervals.WithoutPrecision)])
        .append(" input carries no precision; ");
  }
  message.append(
      "the fit over all ages gives intervals only when every input it uses carries its precision "
      "(Count and Denominator, or Lower and Upper)");
  return message;
}

bool RunCalculation(Tdisease& disease, const ModelEnvironment& env, const CalcOptions& options,
                    UserDialogs& dialogs, FitReport* report) {
  const int s = disease.Sex;
  if (!SufficientInput(disease, s)) {
    dialogs.ShowInformation(kInsufficientInputMessage);
    return false;
  }
  // A hazard the fit would search that nothing determines is refused before the fit runs.
  if (auto refusal = UndeterminedFit(disease, env, options)) {
    disease.Calculated[s] = false;
    dialogs.ShowError(*refusal);
    return false;
  }
  // Inputs that no model can take (negative, infinite, a prevalence above 1, overlapping age
  // groups) are refused before anything is calculated.
  if (auto refusal = CheckInputs(disease, s, env.MaxAge)) {
    disease.Calculated[s] = false;
    dialogs.ShowError(*refusal);
    return false;
  }
  // Inputs the model takes but cannot reproduce: the user is told, the calculation goes on.
  for (const std::string& warning : InputWarnings(disease, s, env.MaxAge)) {
    dialogs.ShowWarning(warning);
  }
  disease.TrendsOn = disease.CheckTrends() && options.ApplyTrends;
  const int errorsBefore = dialogs.ErrorsShown();
  const std::size_t linesBefore = env.Log.Count();
  const std::size_t internalBefore = env.Log.InternalErrors();
  if (!disease.Calculate(env, options, dialogs)) return false;
  // A fault of the model or the minimiser, or an error shown on the way, makes the whole
  // calculation fail: its outputs are not taken and cannot be saved.
  const std::size_t internal = env.Log.InternalErrors() - internalBefore;
  if (internal > 0 || dialogs.ErrorsShown() > errorsBefore) {
    disease.Calculated[s] = false;
    dialogs.ShowError(CalculationFailedMessage(disease.DiseaseName, s, internal,
                                               env.Log.FirstInternalError(linesBefore)));
    return false;
  }
  disease.CopyToOutput();
  disease.Calculated[s] = true;
  // A fit that misses an input group by more than the threshold is said in the log.
  const double threshold = options.FitReportPercent / 100.0;
  if (threshold > 0.0 || report != nullptr) {
    FitReport built = BuildFitReport(disease, s, env.MaxAge, env.PopulationNumbers);
    if (!CalculatedPlainly(disease, s)) {
      built.Method = FitMethodText(options, disease.FitSmoothness);
      built.AtMaximum =
          HazardsAtMaximum(disease, s, env.MaxAge, options.HazardMaximum, options.Exact);
    }
    if (threshold > 0.0) {
      if (auto line = FitReportWarning(built, disease.DiseaseName, s, threshold)) {
        env.Log.AddMessage(*line);
      }
    }
    if (report != nullptr) *report = std::move(built);
  }
  return true;
}

}  // namespace kavrel
