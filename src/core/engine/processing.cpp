#include "core/engine/processing.h"

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/input_checks.h"

namespace kavrel {

bool SufficientInput(const Tdisease& disease, int sex) {
  int given = 0;
  for (int v = 0; v < kVariableCount; ++v) given += disease.InputPresent[v][sex] ? 1 : 0;
  const bool bothMortalityRatios =
      disease.InputPresent[kCaseFatality][sex] && disease.InputPresent[kRRMortality][sex];
  return bothMortalityRatios ? given > 3 : given > 2;
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

bool RunCalculation(Tdisease& disease, const ModelEnvironment& env, CalcControls& controls) {
  const int s = disease.Sex;
  if (!SufficientInput(disease, s)) {
    controls.Dialogs.ShowInformation(kInsufficientInputMessage);
    return false;
  }
  struct EnableAfter {
    Tdisease& disease;
    ProcessingWindowState& processing;
    ~EnableAfter() {
      processing.SaveResultEnabled = disease.Calculated[disease.Sex];
      processing.FromOutputEnabled = disease.Calculated[disease.Sex];
    }
  } enableAfter{disease, controls.Processing};
  // Inputs that no model can take (negative, infinite, a prevalence above 1, overlapping age
  // groups) are refused before anything is calculated.
  if (auto refusal = CheckInputs(disease, s, env.MaxAge)) {
    disease.Calculated[s] = false;
    controls.Dialogs.ShowError(*refusal);
    return false;
  }
  disease.TrendsOn = disease.CheckTrends() && controls.Processing.TrendApplyChecked;
  const int errorsBefore = controls.Dialogs.ErrorsShown();
  const std::size_t linesBefore = env.Log.Count();
  const std::size_t internalBefore = env.Log.InternalErrors();
  if (!disease.Calculate(env, controls)) return false;
  // A fault of the model or the minimiser, or an error shown on the way, makes the whole
  // calculation fail: its outputs are not taken and cannot be saved.
  const std::size_t internal = env.Log.InternalErrors() - internalBefore;
  if (internal > 0 || controls.Dialogs.ErrorsShown() > errorsBefore) {
    disease.Calculated[s] = false;
    controls.Dialogs.ShowError(CalculationFailedMessage(disease.DiseaseName, s, internal,
                                                        env.Log.FirstInternalError(linesBefore)));
    return false;
  }
  disease.CopyToOutput();
  disease.Calculated[s] = true;
  return true;
}

}  // namespace kavrel
