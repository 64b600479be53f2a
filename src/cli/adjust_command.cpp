#include "cli/adjust_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "cli/cli_names.h"
#include "cli/command.h"
#include "cli/csv_output.h"
#include "cli/opened_dataset.h"
#include "core/agesched/age_schedule.h"
#include "core/agesched/age_schedule_window.h"
#include "core/agesched/curves.h"
#include "core/engine/amoeba.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/population.h"

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
  const int sex = ChosenSex(options, err);

  OpenedDataset set(err);
  if (!set.Open(options.dataset, options.collection, options.save)) return kError;
  PopulationSeries population;
  if (!set.session.LoadPopulation(population)) return kError;
  const auto loaded =
      set.session.LoadDisease(options.disease, sex, kOriginalInputs | kAdjustedInputs);
  if (!loaded) return kError;
  Tdiseaseam& disease = *loaded;
  DiseaseStore store = set.session.Store();

  FitOptionsWindowState fitOptions;
  SimplexSettings simplex;
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
  // By default just beyond the data set's last group, so the interpolations take every data set.
  fitOptions.HighAge = options.highAge >= 0 ? options.highAge : set.maxAge + 5;
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
  if (set.Failed()) return set.FailedExit(err);

  const AgeScheduleWorkspace& ws = window.Workspace;
  out << "Age,Original,Current,Adjusted\n";
  for (int a = 0; a <= set.maxAge; ++a) {
    out << a << ',' << CsvNumber(ws.Original[a]) << ',' << CsvNumber(ws.Current[a]) << ','
        << CsvNumber(ws.Adjusted[a]) << '\n';
  }
  if (options.save) {
    window.KeepResult();
    window.Apply();
    store.SaveAdjusted(disease);
  }
  return 0;
}

void RegisterAdjust(Commands& commands) {
  auto adjust = std::make_shared<AdjustOptions>();
  CLI::App* command = commands.Add(
      "adjust", "Reshape one input variable over age and print Age,Original,Current,Adjusted",
      [adjust](std::ostream& out, std::ostream& err) { return RunAdjust(*adjust, out, err); });
  AddDiseaseTarget(command, *adjust, "Collection with the standard age patterns");
  command->add_option("--variable", adjust->variable, "Input variable, e.g. prevalence")
      ->required();
  command
      ->add_option("--method", adjust->method,
                   "linear, polynomial, spline, moving-average, curve-linear, curve-quadratic, "
                   "curve-sigmoid, curve-exponent, curve-polynomial or pattern:NAME")
      ->required();
  command->add_option("--apply-to", adjust->applyTo, "original or current")
      ->check(CLI::IsMember({"original", "current"}));
  command->add_option("--ages", adjust->ages, "Age range LOW-HIGH");
  command->add_option("--period", adjust->period, "Moving average period")
      ->check(CLI::Range(3, 30));
  command->add_option("--order", adjust->order, "Polynomial order")->check(CLI::Range(1, 9));
  command->add_flag("--weight-population", adjust->weightPopulation,
                    "Weight the fit by population numbers");
  command->add_flag("--mean-values", adjust->meanValues, "Fit the sum over the range only");
  command->add_flag("--no-low", adjust->noLow, "Interpolate without the low end point");
  command->add_flag("--no-high", adjust->noHigh, "Interpolate without the high end point");
  command->add_option("--low-age", adjust->lowAge, "Age of the low end point")
      ->capture_default_str();
  command->add_option("--high-age", adjust->highAge,
                      "Age of the high end point, beyond the last group's midpoint (default: the "
                      "highest age + 5)");
  command->add_option("--low-value", adjust->lowValue, "Value at the low end point")
      ->capture_default_str();
  command->add_option("--high-value", adjust->highValue, "Value at the high end point")
      ->capture_default_str();
  command->add_flag("--save", adjust->save,
                    "Apply the result (negatives become 0) and store the adjusted inputs");
}

}  // namespace kavrel::cli
