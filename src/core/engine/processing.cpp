#include "core/engine/processing.h"

#include "core/base/user_dialogs.h"

namespace kavrel {

bool SufficientInput(const Tdisease& disease, int sex) {
  int given = 0;
  for (int v = 0; v < kVariableCount; ++v) given += disease.InputPresent[v][sex] ? 1 : 0;
  const bool bothMortalityRatios =
      disease.InputPresent[kCaseFatality][sex] && disease.InputPresent[kRRMortality][sex];
  return bothMortalityRatios ? given > 3 : given > 2;
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
  disease.TrendsOn = disease.CheckTrends() && controls.Processing.TrendApplyChecked;
  if (!disease.Calculate(env, controls)) return false;
  disease.CopyToOutput();
  disease.Calculated[s] = true;
  return true;
}

}  // namespace kavrel
