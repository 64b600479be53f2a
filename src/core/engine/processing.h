#pragma once

// The processing window's "Calc&ulate" as one operation the window and the command-line tool
// share: the sufficiency test, the trend check, the calculation and the copy into the outputs.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/engine/calc_options.h"
#include "core/engine/disease.h"
#include "core/engine/fit_report.h"

namespace kavrel {

inline constexpr std::string_view kInsufficientInputMessage =
    "There is insufficient input to calculate results. Add a variable first";

// At least three variables with own input for the sex, case fatality and RR mortality counting
// as one. Variables taken from output do not count.
bool SufficientInput(const Tdisease& disease, int sex);

// Whether the inputs the fit will use (available and not ignored) can determine the hazards it
// searches: at least three of them (case fatality and RR mortality together count as one), and
// for case fatality one of case fatality, mortality, RR mortality or duration. A refusal says
// which inputs would determine it; nothing when the fit can run (or no fit is needed).
std::optional<std::string> UndeterminedFit(const Tdisease& disease, int sex,
                                           const CalcOptionsWindowState& options);

// "Calc&ulate" for the disease's current sex. False when nothing was calculated (insufficient
// input, or the calculation refused its settings; the user has been told). The "Save result" and
// "From output" states follow Calculated afterwards, also when the calculation fails.
// A calculation that logged an internal error or showed an error fails as a whole: Calculated
// is cleared, one message says so, and false is returned.
// report: when given, receives the fit report of a calculation that succeeded.
bool RunCalculation(Tdisease& disease, const ModelEnvironment& env, CalcControls& controls,
                    FitReport* report = nullptr);

// "The calculation of D for Males failed: N internal errors, the first "...". ..."
std::string CalculationFailedMessage(const std::string& disease, int sex,
                                     std::size_t internalErrors, const std::string& first);

}  // namespace kavrel
