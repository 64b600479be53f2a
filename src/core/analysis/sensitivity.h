#pragma once

// The sensitivity analysis: one input variable at a time scaled by fixed percentages, the fitting
// calculation run for each, the seven outputs kept as variants.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/analysis_runs.h"
#include "core/engine/disease.h"
#include "core/results/result_table.h"

namespace kavrel {

class Progress;
class TDataKavrel;

struct Tsensin {
  double Factor = 0.0;
  std::string Label;  // "-15%", "0%", "+5%"
};

struct Tsensresultin : Tresultin {
  std::string VarName;  // input spelling
  std::string Variant;  // the step label
};

struct Tsenssum {
  std::vector<Tsensresultin> Variants;
};

// The steps k = -count ... count of size fraction that are at least -1 (the product in extended
// precision), in increasing order.
std::vector<Tsensin> BuildSteps(int stepCount, int stepPercent);

class Tsensklas {
 public:
  explicit Tsensklas(const Tdisease& disease);

  PerVariableAndSex<Series> SavedInputs{};
  bool HasResults = false;
  std::vector<Tsensin> Steps;
  int StepCount = 3;
  int StepPercent = 5;
  Tsenssum Results;

  void RebuildSteps() { Steps = BuildSteps(StepCount, StepPercent); }
  std::string LabelsText() const;
  // Every checked variable times every step, all of the first checked variable first; then the
  // saved inputs once more and the stored outputs reloaded. False when cancelled.
  bool Start(Tdisease& disease, const std::array<bool, kVariableCount>& checked,
             const AnalysisSetup& setup, TDataKavrel& data, UserDialogs& dialogs,
             Progress& progress);
  // Start in its parts, for a window that runs the calculations off its own thread: the runs'
  // inputs; RunCalculations on them (any thread); the results taken in (false when cancelled).
  std::vector<RunInputs> PrepareRuns(const Tdisease& disease,
                                     const std::array<bool, kVariableCount>& checked, int maxAge);
  bool TakeRuns(const std::vector<Tresultin>& runs, Tdisease& disease, int maxAge,
                TDataKavrel& data, UserDialogs& dialogs);

 private:
  std::vector<std::pair<int, std::size_t>> pending_;  // variable and step of each run
};

// A variant beside the original outputs: "Original output" and "Sensitivity output" columns.
void AddSensitivityColumns(Tkolomlijst& list, const Tdisease& disease, int sex,
                           const Tsensresultin& variant, const ColumnVisibility& visible);
std::string SensitivityTableTitle(const Tsensresultin& variant);

// The stored variants of one sex: the variables in the tables' order, each one's variants in
// numeric order.
Tsenssum LoadStoredVariants(TDataKavrel& data, int inputId, int sex, int maxAge);

}  // namespace kavrel
