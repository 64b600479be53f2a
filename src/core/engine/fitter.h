#pragma once

// The fit of one calculation: the hazards that are not given exactly are searched so that the
// model reproduces the available inputs, age group by age group and then, when the options say
// so, over all ages at once. The fit's working state (weights, maxima, the hazards it searches,
// the group and criterion in progress) lives here, for the length of one calculation; the disease
// gives the inputs and receives the model's series.

#include <array>
#include <cstdint>
#include <span>

#include "core/base/vocabulary.h"
#include "core/engine/amoeba.h"
#include "core/engine/disease.h"

namespace kavrel {

struct CalcOptions;
class UserDialogs;

class Tfitter final : public CostFunction {
 public:
  // The fit of the disease's current sex: the weights, maxima and the hazards it searches set up
  // from the options (which must be valid).
  Tfitter(Tdiseaseam& disease, const ModelEnvironment& env, const CalcOptions& options);

  // The fit from the inputs: per age group (smoothed), then over all ages when chosen, then a
  // final pass of the model, other-cause mortality and duration. The disease's ModelSeries hold
  // the result.
  void Run(UserDialogs& dialogs);
  // The criterion of CurrentAgeGroup at p (logarithms of the fitted hazards), also left in
  // FitCriterion. The model must have been made (PrepareModel).
  double Cost(std::span<const double> p) override;
  // The weighted error of variable v at age a.
  double ErrorTerm(int v, int a) const;
  int AgeGroupEnd(int g) const;
  // "All ages at once": the fitted hazards as log-linear curves through knots every few years,
  // solved together so that every input group's mean is reproduced as closely as the weights and
  // the smoothness penalty allow; started from the hazards in the disease's ModelSeries. False
  // when the smoothness is not a valid number (the user told).
  bool FitAllAges(UserDialogs& dialogs);
  // The model of the current sex (the trend variant when the disease's trends are on).
  void PrepareModel();

  // The fit's working state, by variable index where it says so.
  PerVariableAndSex<bool> Available{};
  std::array<std::array<double, kVariableCount>, kSexCount> Weights{};
  std::array<double, 4> HazardMax{};            // 0, 2, 3 used
  std::array<std::int32_t, 4> EnforceWeight{};  // 0, 2, 3 used
  std::int32_t ParamCount = 0;
  std::array<std::uint8_t, 3> ParamVar{};
  std::int32_t AgeGroupWidth = 6;
  std::int32_t CurrentAgeGroup = 0;
  double FitCriterion = 0.0;
  // Whether the minimiser reached its iteration limit in any group.
  bool MaxIterReached = false;

 private:
  Tdiseaseam& d_;
  const ModelEnvironment& env_;
  const CalcOptions& options_;
};

}  // namespace kavrel
