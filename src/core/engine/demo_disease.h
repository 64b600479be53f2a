#pragma once

// A synthetic population and disease with plausible shapes, for the demonstration, the benchmarks
// and the example data set's generator. Nothing here is real data.

#include <array>

#include "core/base/vocabulary.h"
#include "core/engine/disease.h"

namespace kavrel {

// All-cause mortality by sex following a life-table shape: infant mortality about 0.004, a minimum
// near age 10, then a rise of about 9 % a year to about 0.3 at 100; males above females.
std::array<Series, kSexCount> DemoAllCauseMortality(int maxAge);

// Smooth single-year hazards of a chronic disease for both sexes in InputSeries: incidence rising
// with age, some remission, case fatality rising with age.
void FillDemoHazards(Tdisease& disease, int maxAge);

}  // namespace kavrel
