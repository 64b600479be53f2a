#pragma once

// The fit of one calculation: the hazards that are not given exactly are searched so that the
// model reproduces the available inputs, age group by age group and then, when the options say
// so, over all ages at once. The fit's working state (weights, maxima, the hazards it searches,
// the group and criterion in progress) and the series it works on live here, for the length of
// one calculation: the disease gives the inputs and is only read; the fit returns its result.

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/base/vocabulary.h"
#include "core/engine/amoeba.h"
#include "core/engine/disease.h"

namespace kavrel {

struct CalcOptions;
class Tbasicequations;
class UserDialogs;

// What a fit gives back.
struct FitResult {
  // The inputs as the model uses them, with the fitted hazards and the model's results of the sex.
  PerVariableAndSex<Series> Model{};
  Series PopRateIncidence{};  // incidence as a rate in the whole population, by age
  double BirthPrevalence = 0.0;
  // Whether the minimiser reached its iteration limit in any age group.
  bool MaxIterReached = false;
  // The smoothness of the fit over all ages (fixed or chosen); not a number without that fit.
  double Smoothness = std::numeric_limits<double>::quiet_NaN();
  // The outputs' intervals (of the fit over all ages on inputs with precision).
  OutputIntervals Intervals;
  // The outputs of hazards drawn from their joint distribution (CalcOptions::FitDraws).
  std::vector<std::array<Series, kVariableCount>> Draws;
};

// Whether a calculation of the sex is plain (exactly incidence, remission and case fatality given):
// then nothing is fitted.
bool CalculatedPlainly(const Tdisease& disease, int sex);

class Tfitter final : public CostFunction {
 public:
  // The fit of the disease's current sex: the weights, maxima and the hazards it searches set up
  // from the options (which must be valid). The disease is read, never written; its input series
  // are fitted, or `inputs` in their place (an analysis's run), so that calculations on several
  // threads share one disease.
  Tfitter(const Tdisease& disease, const ModelEnvironment& env, const CalcOptions& options,
          const PerVariableAndSex<Series>* inputs = nullptr);
  ~Tfitter() override;

  // The fit from the inputs: per age group (smoothed), then over all ages when chosen, then a
  // final pass of the model, other-cause mortality and duration.
  FitResult Run(UserDialogs& dialogs);
  // Whether the inputs the fit uses can determine every hazard it searches, asked of the model:
  // at a start where every searched hazard is moderate, the relative change of each used output
  // with each hazard (scaled at all ages) forms a matrix per age; where its rank falls short of
  // the number of searched hazards at every age checked, the hazard least set apart from the
  // others is named. Nothing when the fit is determined.
  std::optional<int> UndeterminedHazard();
  // The criterion of CurrentAgeGroup at p (logarithms of the fitted hazards), also left in
  // FitCriterion. The model must have been made (PrepareModel).
  double Cost(std::span<const double> p) override;
  // The weighted error of variable v at age a.
  double ErrorTerm(int v, int a) const;
  int AgeGroupEnd(int g) const;
  // "All ages at once": the fitted hazards as log-linear curves through knots every few years,
  // solved together so that every input group's mean is reproduced as closely as the weights and
  // the smoothness penalty allow; started from the hazards in Model. False
  // when the smoothness is not a valid number (the user told).
  bool FitAllAges(UserDialogs& dialogs);
  // The model of the current sex over Model (the trend variant when the disease's trends are on).
  void PrepareModel();
  // One year of age of the model.
  void Step(int a);
  int Sex() const;
  const Tdisease& Disease() const { return d_; }

  // The series the fit works on: the inputs, then the fitted hazards and the model's results.
  PerVariableAndSex<Series> Model{};
  Series PopRate{};
  double BirthPrevalence = 0.0;

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
  // The smoothness the fit over all ages used (the user's, or the one it chose).
  double ChosenSmoothness = std::numeric_limits<double>::quiet_NaN();
  // The intervals of the outputs the fit over all ages gave (see OutputIntervals).
  OutputIntervals Intervals;
  std::vector<std::array<Series, kVariableCount>> Draws;

 private:
  const Tdisease& d_;
  const PerVariableAndSex<Series>& inputs_;
  std::unique_ptr<Tbasicequations> equations_;
  const ModelEnvironment& env_;
  const CalcOptions& options_;
};

}  // namespace kavrel
