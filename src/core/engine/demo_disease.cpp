#include "core/engine/demo_disease.h"

#include <algorithm>
#include <cmath>

namespace kavrel {

std::array<Series, kSexCount> DemoAllCauseMortality(int maxAge) {
  std::array<Series, kSexCount> mortality{};
  for (int s = 0; s < kSexCount; ++s) {
    const double level = s == kMales ? 1.0 : 0.62;
    for (int a = 0; a <= maxAge; ++a) {
      // Infant and early-childhood mortality falling off quickly, a small constant background and
      // a Gompertz rise of 9 % a year.
      const double childhood = (a == 0 ? 0.0038 : 0.0006 * std::exp(-0.45 * (a - 1)));
      const double background = 0.00012;
      const double senescence = 0.0000455 * std::exp(0.088 * a);
      mortality[s][a] = std::min(0.6, childhood + background + level * senescence);
    }
  }
  return mortality;
}

void FillDemoHazards(Tdisease& disease, int maxAge) {
  for (int s = 0; s < kSexCount; ++s) {
    const double sexLevel = s == kMales ? 1.0 : 0.8;
    for (int a = 0; a <= maxAge; ++a) {
      disease.InputSeries[kIncidence][s][a] = sexLevel * 0.0002 * std::exp(0.06 * a);
      disease.InputSeries[kRemission][s][a] = 0.02;
      disease.InputSeries[kCaseFatality][s][a] = 0.002 * std::exp(0.045 * a);
    }
  }
}

}  // namespace kavrel
