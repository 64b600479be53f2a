#pragma once

// The uncertainty analysis: a Monte Carlo run of the fitting calculation for one disease and sex
// with its chosen input variables drawn around their saved values, summarised per output variable
// and age as intervals around the central (stored) output.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/agesched/age_groups.h"
#include "core/analysis/analysis_runs.h"
#include "core/analysis/distributions.h"
#include "core/base/vocabulary.h"
#include "core/engine/disease.h"
#include "core/results/result_table.h"

namespace kavrel {

class Progress;
class TDataKavrel;
class Tdisease;

inline constexpr std::string_view kTooFewIterations = "Number of iterations must be at least 2";

// One varied variable: its distribution object per age group.
struct Tuncertin {
  int Variable = 0;
  std::string Name;  // input spelling
  std::vector<std::unique_ptr<Tstedevinst>> Distributions;
};

// One interval level with its bounds [variable][lower 0, upper 1][age].
struct Tuncertsuminst {
  std::string Label;
  double Level = 0.0;
  int Number = 0;  // 1 ... 7 in the interval table
  std::array<std::array<Series, 2>, kVariableCount> Bounds{};
};

class TSort {
 public:
  virtual ~TSort() = default;
  // Sorts values[from ... to] ascending.
  virtual void Sort(std::vector<double>& values, int from, int to) = 0;
};

class TQuickSort final : public TSort {
 public:
  void Sort(std::vector<double>& values, int from, int to) override;
};

class Tuncertsummary {
 public:
  // Intervals by IntervalTable numbers, in increasing level.
  void SetIntervals(const std::vector<int>& numbers);
  std::vector<Tuncertsuminst> Intervals;
  Series Central{};
  // The intervals of every output variable and age 0 ... maxAge from the runs around the central
  // outputs: the widening search over the sorted run values (at least 2 runs).
  void Compute(const std::vector<Tresultin>& runs,
               const std::array<Series, kVariableCount>& central, int maxAge);
  // The labels as the analysis window shows them, each followed by a blank.
  std::string LabelsText() const;
};

// One age's search: the order statistics reached for each level, as (lo, hi) pairs into sorted.
std::vector<std::pair<int, int>> SearchIntervals(const std::vector<double>& sorted, double central,
                                                 const std::vector<double>& levels);

class Tuncertklas {
 public:
  // Takes the saved inputs of the disease (variables with Processed) and the default distribution
  // choices.
  Tuncertklas(const Tdisease& disease, const std::array<int, kVariableCount>& defaultDistributions);

  PerVariableAndSex<Series> SavedInputs{};
  std::vector<Tresultin> Runs;
  std::array<std::unique_ptr<Tuncertin>, kVariableCount> Specs;
  int Iterations = 50;
  std::array<int, kVariableCount> DistChoice{};
  bool HasResults = false;
  Tuncertsummary Summary;
  // "Uncertainty from the fit": the runs are hazards drawn from the fit's own joint distribution
  // (the inputs' precision) instead of inputs drawn from the distributions defined here.
  bool FromFit = false;

  // The intervals back to 50% ... 90%, the specifications rebuilt, the results dropped.
  void Reset(int sex, const std::array<bool, kVariableCount>& checked, const Tagegrouplist& groups,
             double coefficient);
  // A distribution object of the chosen kind per age group for each checked variable, at their
  // defaults.
  void RebuildSpecs(int sex, const std::array<bool, kVariableCount>& checked,
                    const Tagegrouplist& groups, double coefficient);
  // Every iteration's inputs, drawn in iteration order from the one generator.
  std::vector<RunInputs> DrawInputs(int sex, RandomSource& random) const;
  // The run: draws, calculates (on all cores), reloads the stored outputs as central values and
  // summarises. False (the user told) for fewer than 2 iterations or when cancelled.
  bool Start(Tdisease& disease, const std::array<bool, kVariableCount>& checked,
             RandomSource& random, const AnalysisSetup& setup, TDataKavrel& data,
             UserDialogs& dialogs, Progress& progress);
  // Start in its parts, for a window that runs the calculations off its own thread: the drawn
  // inputs (nothing, the user told, for fewer than 2 iterations); RunCalculations on them (any
  // thread); the results taken in (false when cancelled).
  std::optional<std::vector<RunInputs>> PrepareRuns(const Tdisease& disease,
                                                    const std::array<bool, kVariableCount>& checked,
                                                    RandomSource& random, UserDialogs& dialogs);
  // PrepareRuns without the drawing: the checks and the specifications of the checked variables.
  bool ReadyRuns(const std::array<bool, kVariableCount>& checked, UserDialogs& dialogs);
  bool TakeRuns(std::vector<Tresultin> runs, Tdisease& disease, int maxAge, TDataKavrel& data,
                UserDialogs& dialogs);
  // For a run from the fit: a copy of the disease with its original inputs and their precision
  // read (on the thread that owns the data set), and the seed of the draws from the generator.
  std::unique_ptr<Tdiseaseam> FitDisease(const Tdisease& disease, TDataKavrel& data,
                                         UserDialogs& dialogs, int maxAge) const;
  static std::uint64_t FitSeed(RandomSource& random);
  // The summary anew from the finished runs, for other intervals; the central values are the
  // disease's outputs of its sex.
  void Summarise(const Tdisease& disease, int maxAge);
};

// The uncertainty uniform age groups: the table preferences' schedule, or five-year groups.
Tagegrouplist UncertaintyAgeGroups(TDataKavrel* data, int schedule, int maxAge);

// The table of one output variable: "Central value" and a Lower and an Upper column per interval.
void AddUncertaintyColumns(Tkolomlijst& list, int variable, const Tdisease& disease, int sex,
                           Tuncertsummary& summary);
std::string UncertaintyTableTitle(const std::string& disease, int variable);

// The graph of one output variable as data.
struct GraphLine {
  std::string Title;
  const Series* Data = nullptr;
  bool InLegend = true;
  int IntervalNumber = 0;  // colour by interval number; 0 for the central line
};
std::vector<GraphLine> UncertaintyGraphLines(int variable, const Tuncertsummary& summary);
std::string UncertaintyGraphTitle(int variable);

// A stored summary of one sex; a level that is not in the table is skipped with a line in log.
Tuncertsummary LoadStoredSummary(TDataKavrel& data, int inputId, int sex, int maxAge,
                                 MessagesLog& log);

}  // namespace kavrel
