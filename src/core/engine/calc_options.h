#pragma once

// A disease's calculation options for one sex as a calculation uses them: numbers as numbers,
// the fitting method as a choice, read once from the options row (which the windows and the
// command line's COLUMN=VALUE texts fill) by one parser, and checked by one Validate whose
// messages are the ones the windows show.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/vocabulary.h"
#include "core/engine/amoeba.h"

namespace kavrel {

struct CalcSettingsRecord;

// The hazards that have a maximum, an enforcement weight and an "Exact" box: incidence,
// remission, case fatality (variables 0, 2, 3).
inline constexpr int kHazardCount = 3;
inline constexpr std::array<int, kHazardCount> kHazardVariables = {kIncidence, kRemission,
                                                                   kCaseFatality};

enum class FitMethod { kPerAgeGroup = 0, kAllAges = 1 };

struct CalcOptions {
  // "Age groups"
  int AgeGroupWidth = 6;  // 1 ... 20
  bool LinearInterpolation = true;
  bool MovingAverage = true;
  bool CubicSpline = false;
  bool PrevalenceAtBirth = true;
  bool InputForAge0Only = false;
  // The processing window's "Apply" under "Time trends".
  bool ApplyTrends = false;
  // "Constraints": the maximum of each hazard and how strongly it is enforced (0 ... 100).
  std::array<double, kHazardCount> HazardMaximum = {0.1, 0.5, 2.0};
  std::array<int, kHazardCount> Enforced = {10, 10, 10};
  // "Weights": per variable a weight 1 ... 20 and whether it is ignored; the hazards' "Exact".
  std::array<int, kVariableCount> Weight = {1, 1, 1, 1, 1, 1, 1};
  std::array<bool, kVariableCount> Ignore{};
  std::array<bool, kHazardCount> Exact{};
  FitMethod Method = FitMethod::kPerAgeGroup;
  // The strength of the fit over all ages' smoothness penalty, or chosen by the fit itself for
  // each disease and sex (the text "Automatic").
  double FitSmoothness = 0.0;
  bool SmoothnessAutomatic = true;
  // "Downhill simplex options".
  SimplexNumbers Simplex;
  // A preference, not a stored option: the fit report names an input group missed by more than
  // this many percent.
  int FitReportPercent = 10;
  // A preference, not a stored option: the level of the intervals a fit over all ages gives when
  // its inputs carry their precision (0.95 for 95 %); 0 for none.
  double IntervalLevel = 0.95;
  // With intervals: this many sets of outputs from fitted hazards drawn from their joint
  // distribution (the uncertainty analysis "from the fit"), the draws made in order from the seed.
  int FitDraws = 0;
  std::uint64_t FitDrawSeed = 0;

  // What a calculation refuses before it fits: a hazard maximum that is no number or out of its
  // range, or (fitting all ages at once) a smoothness that is no number of 0 or more; with the
  // field (0 ... 2 the hazards' maxima, kSmoothnessField the smoothness). Nothing when fine.
  struct Problem {
    std::string Message;
    int Field = 0;
  };
  static constexpr int kSmoothnessField = kHazardCount;
  std::optional<Problem> Validate() const;

  // Set by the parser for texts that are no number (the value then is not a number either).
  std::array<bool, kHazardCount> MaximumUnreadable{};
  bool SmoothnessUnreadable = false;
};

// The options of a stored row; never fails: what cannot be read is left for Validate to say.
// The minimiser's two questions (warn, ask for more iterations) are on their defaults; the
// windows set them from their own boxes.
CalcOptions ParseCalcOptions(const CalcSettingsRecord& record);

inline constexpr char kSmoothnessRefusal[] =
    "The smoothness of the fit over all ages is not a valid number (0 or more) nor \"Automatic\"";
// A number as typed in an option's field (blanks after it allowed); false when the text is not a
// finite number.
bool ParseOptionNumber(const std::string& text, double& value);

}  // namespace kavrel
