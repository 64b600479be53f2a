#include "core/engine/calc_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/base/number_text.h"
#include "core/engine/calc_settings.h"

namespace kavrel {

bool ParseOptionNumber(const std::string& text, double& value) {
  std::size_t used = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  while (used < text.size() && text[used] == ' ') ++used;
  return used == text.size() && std::isfinite(value);
}

CalcOptions ParseCalcOptions(const CalcSettingsRecord& r) {
  CalcOptions o;
  o.AgeGroupWidth = r.Agegroup;
  o.LinearInterpolation = r.Linearsmooth;
  o.MovingAverage = r.MovAvsmooth;
  o.CubicSpline = r.CuSplinesmooth;
  o.PrevalenceAtBirth = r.BirthPrev;
  o.InputForAge0Only = r.Only0;
  o.ApplyTrends = r.Trends;
  const std::array<const std::string*, kHazardCount> maxima = {&r.InciValue, &r.RemiValue,
                                                               &r.CfatValue};
  for (int h = 0; h < kHazardCount; ++h) {
    double value = 0.0;
    const bool read = ParseOptionNumber(*maxima[static_cast<std::size_t>(h)], value);
    o.MaximumUnreadable[static_cast<std::size_t>(h)] = !read;
    o.HazardMaximum[static_cast<std::size_t>(h)] =
        read ? value : std::numeric_limits<double>::quiet_NaN();
  }
  o.Enforced = {r.InciEnforce, r.RemiEnforce, r.CfatEnforce};
  o.Weight = {r.InciWeight, r.PrevWeight, r.RemiWeight,  r.CfatWeight,
              r.DuraWeight, r.MortWeight, r.RRMortWeight};
  // Stored inverted: true when the "Ignore" box is clear.
  o.Ignore = {!r.InciIgn, !r.PrevIgn, !r.RemiIgn, !r.CfatIgn, !r.DuraIgn, !r.MortIgn, !r.RRMortIgn};
  o.Exact = {r.InciExact, r.RemiExact, r.CfatExact};
  o.Method = r.FitMethod == 1 ? FitMethod::kAllAges : FitMethod::kPerAgeGroup;
  o.SmoothnessAutomatic = IsAutomaticSmoothness(r.FitSmoothness);
  if (!o.SmoothnessAutomatic) {
    double smoothness = 0.0;
    const auto read = ReadNumberText(r.FitSmoothness);
    o.SmoothnessUnreadable = !ParseOptionNumber(r.FitSmoothness, smoothness) || !read;
    o.FitSmoothness = o.SmoothnessUnreadable ? std::numeric_limits<double>::quiet_NaN() : *read;
  }
  SimplexSettings texts;
  texts.MaxIterations = r.MaxIter;
  texts.Precision = r.Precision;
  texts.Simplex = r.Simplex;
  texts.Alpha = r.Alpha;
  texts.Beta = r.Beta;
  texts.Gamma = r.Gamma;
  o.Simplex = ParseSimplex(texts);
  return o;
}

std::optional<CalcOptions::Problem> CalcOptions::Validate() const {
  for (int h = 0; h < kHazardCount; ++h) {
    const auto k = static_cast<std::size_t>(h);
    const std::string hazard(kTrendHazardNames[k]);
    if (MaximumUnreadable[k]) {
      return Problem{"The hazards maximum of " + hazard + " is not a valid number", h};
    }
    // A maximum at or below 0 would hold the hazard at a value no input allows.
    if (HazardMaximum[k] < kLowestHazardMaximum || HazardMaximum[k] > kHighestHazardMaximum) {
      return Problem{HazardMaximumRangeMessage(hazard), h};
    }
  }
  if (Method == FitMethod::kAllAges && !SmoothnessAutomatic &&
      (SmoothnessUnreadable || FitSmoothness < 0.0)) {
    return Problem{kSmoothnessRefusal, kSmoothnessField};
  }
  return std::nullopt;
}

}  // namespace kavrel
