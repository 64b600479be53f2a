#pragma once

// The processing window's "Calc&ulate" as one operation the window and the command-line tool
// share: the sufficiency test, the trend check, the calculation and the copy into the outputs.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/engine/calc_options.h"
#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/engine/fit_report.h"

namespace kavrel {

// Said where intervals would be shown but the calculation gave none: why not.
std::string NoIntervalsMessage(const OutputIntervals& intervals);
inline constexpr std::string_view kInsufficientInputMessage =
    "There is insufficient input to calculate results. Add a variable first";

// At least three variables with own input for the sex, case fatality and RR mortality counting
// as one. Variables taken from output do not count.
bool SufficientInput(const Tdisease& disease, int sex);

// Whether the inputs the fit will use (available and not ignored) can determine the hazards it
// searches, asked of the model (Tfitter::UndeterminedHazard) for the disease's current sex. A
// refusal names the hazard and what would determine it; nothing when the fit can run (or no fit
// is needed).
std::optional<std::string> UndeterminedFit(const Tdisease& disease, const ModelEnvironment& env,
                                           const CalcOptions& options);

// What an entrance asks of the preparation of a calculation.
struct CalculationRequest {
  // The options as the windows hold them, instead of the disease's stored ones.
  const CalcSettingsRecord* Options = nullptr;
  // COLUMN=VALUE changes over the stored options (the command line's --option).
  std::vector<std::string> OptionChanges;
  // Whether the options are checked against their ranges (a stored row may hold anything).
  bool CheckOptions = true;
  // Over the options' own "Apply" of the trends.
  std::optional<bool> ApplyTrends;
  // The sex's trends are in the disease already (read with its adjusted inputs, or by a window).
  bool TrendsLoaded = false;
  // Nothing may stop the calculation to ask (the minimiser's two questions are off).
  bool Unattended = false;
  // The fit report's threshold in percent (a preference).
  int FitReportPercent = 10;
};

// One preparation for every entrance (the processing window, the analyses, calculate, batch):
// the options of the disease's current sex (stored, or the windows'), the request's changes
// applied and checked, kept as the disease's options row of the sex (what a save with options
// stores), then parsed; the stored trends read when they are to be applied. The refusal of a bad
// change or option otherwise, with nothing calculated.
std::variant<CalcOptions, std::string> PrepareCalculation(Tdisease& disease, DiseaseStore& store,
                                                          const CalculationRequest& request);

// "Calc&ulate" for the disease's current sex with the given options (its trends applied when
// they say so). False when nothing was calculated (insufficient input, or the calculation
// refused its settings; the user has been told).
// A calculation that logged an internal error or showed an error fails as a whole: Calculated
// is cleared, one message says so, and false is returned.
// report: when given, receives the fit report of a calculation that succeeded.
bool RunCalculation(Tdisease& disease, const ModelEnvironment& env, const CalcOptions& options,
                    UserDialogs& dialogs, FitReport* report = nullptr);

// How a fit was made, for the messages: "per age group", or "all ages at once, smoothness 0.2"
// (" chosen from the data" when it was).
std::string FitMethodText(const CalcOptions& options, double smoothness);

// "The calculation of D for Males failed: N internal errors, the first "...". ..."
std::string CalculationFailedMessage(const std::string& disease, int sex,
                                     std::size_t internalErrors, const std::string& first);

}  // namespace kavrel
