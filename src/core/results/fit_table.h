#pragma once

// The fit report as a table window shows it.

#include <array>

#include "core/base/vocabulary.h"
#include "core/results/result_table.h"

namespace kavrel {

class Tdisease;

// "Variable", "Age group", "Input", "Output", "Deviation (%)", "Beyond N %", one row per input
// group of the sex's inputs (as calculated) against its outputs; a deviation beyond the report's
// threshold is marked "*" in the last column. No rows when the sex has no result.
TableText FitReportTable(const Tdisease& disease, int sex, int maxAge,
                         const std::array<Series, kSexCount>* population, int thresholdPercent);

}  // namespace kavrel
