#pragma once

// The windows that steer a calculation: "Calculation options", the processing window's trend
// "Apply" box and "Downhill simplex options" (SimplexSettings). What they hold goes into a
// disease's options row, and from there, through ParseCalcOptions, into a calculation.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/vocabulary.h"
#include "core/engine/amoeba.h"
#include "core/engine/calc_options.h"

namespace kavrel {

class Tdisease;
struct CalcSettingsRecord;

struct CalcOptionsWindowState {
  static constexpr std::string_view kCaption = "Calculation options";
  static constexpr std::array<std::string_view, 4> kPages = {"Age groups", "Constraints", "View",
                                                             "Weights"};
  static constexpr std::array<int, 4> kPageHelpTopics = {5210, 5240, 5260, 5270};

  // "Age groups"
  int AgeGroupWidth = 6;  // "Width of age groups", 1 ... 20
  bool LinearInterpolation = true;
  bool MovingAverage = true;
  bool CubicSpline = false;
  bool PrevalenceAtBirth = true;
  bool InputForAge0Only = false;
  // "Constraints": "Hazards maximum" per hazard (incidence, remission, case fatality)
  std::array<std::string, kHazardCount> MaximumValue = {"0.1", "0.5", "2"};  // free text
  std::array<int, kHazardCount> Enforced = {10, 10, 10};                     // 0 ... 100
  // "View": "Open when start processing"
  bool OpenGraph = true;
  bool OpenTable = false;
  // "Weights": per variable a slider (1 ... 20) and an "Ignore" box, each enabled or not; the
  // three hazards also have an "Exact" box.
  std::array<int, kVariableCount> Weight = {1, 1, 1, 1, 1, 1, 1};
  std::array<bool, kVariableCount> Ignore{};
  std::array<bool, kVariableCount> WeightEnabled = {true, true, true, true, true, true, true};
  std::array<bool, kHazardCount> Exact{};
  std::array<bool, kHazardCount> ExactEnabled = {true, true, true};
  // "Fitting method": 0 "Per age group", 1 "All ages at once", with the strength of the latter's
  // smoothness penalty (free text, 0 or more).
  int FitMethod = 0;
  std::string FitSmoothness = "Automatic";
  // The fit report names an input group missed by more than this many percent (a preference).
  int FitReportPercent = 10;

  int Page = 0;
  int HelpTopic() const { return kPageHelpTopics.at(static_cast<size_t>(Page)); }

  // "Prevalence at birth" and "Input for age 0 only": the second cannot stay checked without the
  // first (clearing the first clears it; checking it alone is undone).
  void SetPrevalenceAtBirth(bool checked);
  void SetInputForAge0Only(bool checked);
  // The weights page for the disease's sex: controls of available variables enabled, the
  // incidence "Exact" box only when incidence is available as a hazard; then every slider at its
  // minimum and every box cleared.
  void SetUpWeights(const Tdisease& disease, int sex);
  // The incidence "Ignore" box: checking it clears and disables incidence's "Exact"; clearing it
  // enables "Exact" again under the set-up's condition.
  void SetIncidenceIgnore(bool checked, const Tdisease& disease, int sex);
  // The same when the window is used without its disease at hand: the condition of the last
  // set-up decides.
  void SetIncidenceIgnore(bool checked);
  bool IncidenceExactAllowed = true;  // as the last set-up found it

  // What the calculation would refuse in the typed numbers (CalcOptions::Validate of what the
  // windows hold), with its field; the window checks it on closing.
  std::optional<CalcOptions::Problem> NumberProblem() const;

  bool operator==(const CalcOptionsWindowState&) const = default;
};

// The processing window's controls that a calculation reads or sets.
struct ProcessingWindowState {
  bool TrendApplyChecked = false;  // "Apply" under "Time trends"
  bool TrendApplyEnabled = false;
  bool SaveResultEnabled = false;  // "&Save result"
  bool FromOutputEnabled = false;  // "From output"
};

// The row into the windows (the Ignore boxes show the negation of the stored flags), and the
// windows into the row.
void ShowOptionsInWindows(const CalcSettingsRecord& record, CalcOptionsWindowState& options,
                          SimplexSettings& simplex, ProcessingWindowState& processing);
void TakeOptionsFromWindows(CalcSettingsRecord& record, const CalcOptionsWindowState& options,
                            const SimplexSettings& simplex,
                            const ProcessingWindowState& processing);

// The options a calculation from the windows uses: the windows' row parsed, with the minimiser's
// two questions as the simplex window's boxes say and the report's threshold of the preferences.
CalcOptions OptionsOfWindows(const CalcOptionsWindowState& options, const SimplexSettings& simplex,
                             const ProcessingWindowState& processing);

}  // namespace kavrel
