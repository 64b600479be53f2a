#include "adjust_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "agesched/age_schedule.h"
#include "agesched/age_schedule_window.h"
#include "agesched/curves.h"
#include "cli_names.h"
#include "csv_output.h"
#include "engine/amoeba.h"
#include "engine/disease.h"
#include "exchange/population.h"
#include "opened_dataset.h"

namespace kavrel::cli {

int RunAdjust(const AdjustOptions& options, std::ostream& out, std::ostream& err) {
  const int variable = VariableByName(options.variable);
  if (variable < 0) {
    err << "--variable " << options.variable << ": not one of the seven variables\n";
    return kUsage;
  }
  const std::string method = Simplified(options.method);
  int lowAge = -1;
  int highAge = -1;
  if (!options.ages.empty() &&
      (std::sscanf(options.ages.c_str(), "%d-%d", &lowAge, &highAge) != 2 || lowAge < 0 ||
       highAge < lowAge)) {
    err << "--ages " << options.ages << ": give the range as LOW-HIGH, for example 30-80\n";
    return kUsage;
  }
  const int sex = SexByName(options.sex);

  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection)) return kError;
  PopulationSeries population;
  if (!set.LoadPopulationData(population)) return kError;
  Tdiseaseam disease(options.disease);
  if (!set.LocateDisease(options.disease, disease)) return kError;
  Tdisease::Store store{set.data, set.dialogs, set.maxAge};
  disease.LoadInputs(store);
  disease.LoadProcessedFlags(store);
  disease.LoadAdjusted(store, sex);
  disease.Sex = static_cast<std::uint8_t>(sex);

  FitOptionsWindowState fitOptions;
  AmoebaWindowState simplex;
  fitOptions.Period = options.period;
  fitOptions.PolynomialOrder = std::clamp(options.order, 1, 9);
  fitOptions.WeightByPopulation = options.weightPopulation;
  fitOptions.UseMeanValues = options.meanValues;
  const AgeScheduleContext context{disease,    variable, set.maxAge,  population.PopulationNumbers,
                                   fitOptions, simplex,  set.dialogs, set.log};
  AgeScheduleWindow window(context, fitOptions);
  window.Open();
  // The stored preferences' end points ("default" values), not the ones the window writes.
  fitOptions.LowValue = "default";
  fitOptions.HighValue = "default";
  fitOptions.AddLow = !options.noLow;
  fitOptions.AddHigh = !options.noHigh;
  fitOptions.LowAge = options.lowAge;
  fitOptions.HighAge = options.highAge;
  fitOptions.LowValue = options.lowValue;
  fitOptions.HighValue = options.highValue;
  if (lowAge >= 0) {
    fitOptions.Lower = lowAge;
    fitOptions.Higher = std::min(highAge, set.maxAge);
  }
  if (options.applyTo == "original") {
    if (!window.ApplyToEnabled()) {
      err << "--apply-to original: " << kVariableDisplayNames[variable]
          << " has no age-group input for this sex\n";
      return kUsage;
    }
    window.SetApplyTo(0);
  } else if (options.applyTo == "current") {
    window.SetApplyTo(1);
  }

  const int errorsBefore = set.dialogs.ErrorsShown();
  const auto curve = std::find_if(kCurveNames.begin(), kCurveNames.end(), [&](const char* name) {
    return "curve" + Simplified(name) == method;
  });
  if (method == "linear" || method == "polynomial" || method == "spline") {
    if (window.Workspace.ApplyRadio != 0) {
      err << "Interpolation works on the age-group input: " << kVariableDisplayNames[variable]
          << " has none for this sex, or --apply-to current was given\n";
      return kUsage;
    }
    window.RunInterpolation(method == "linear" ? 0 : method == "polynomial" ? 1 : 2);
  } else if (method == "movingaverage") {
    window.RunSmoothing();
  } else if (method == "curvesimpleexponent" || method == "curveexponent") {
    window.RunCurve(3);
  } else if (curve != kCurveNames.end()) {
    window.RunCurve(static_cast<int>(curve - kCurveNames.begin()));
  } else if (options.method.rfind("pattern:", 0) == 0) {
    if (!set.data.CollectionIsOpen()) {
      set.dialogs.ShowError(
          "Standard age patterns live in a collection: name one with --collection");
      return kError;
    }
    if (!window.RunPattern(set.data, options.method.substr(8))) {
      set.dialogs.ShowError("The collection has no age pattern named " + options.method.substr(8));
      return kError;
    }
  } else {
    err << "--method " << options.method << ": not a known procedure\n";
    return kUsage;
  }
  if (set.dialogs.ErrorsShown() > errorsBefore) return kError;

  const AgeScheduleWorkspace& ws = window.Workspace;
  out << "Age,Original,Current,Adjusted\n";
  for (int a = 0; a <= set.maxAge; ++a) {
    out << a << ',' << CsvNumber(ws.Original[a]) << ',' << CsvNumber(ws.Current[a]) << ','
        << CsvNumber(ws.Adjusted[a]) << '\n';
  }
  if (options.save) {
    window.KeepResult();
    window.Apply();
    disease.SaveAdjusted(store);
  }
  return 0;
}

}  // namespace kavrel::cli
