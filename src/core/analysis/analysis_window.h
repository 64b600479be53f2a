#pragma once

// The analysis, settings and options windows as models: what each shows, what its controls
// enable, and the sequences of its commands, so the windows only draw and forward clicks.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/analysis/analysis_storage.h"
#include "core/analysis/sensitivity.h"
#include "core/analysis/uncertainty.h"
#include "core/base/text_grid.h"
#include "core/engine/calc_options.h"

namespace kavrel {

class MessagesLog;
class Progress;
class UncertaintySettingsWindow;

// "Sensitivity and uncertainty options".
struct AnalysisOptionsState {
  static constexpr std::string_view kCaption = "Sensitivity and uncertainty options";
  std::string DefaultValue = "0.1";  // "Variation Coefficient", "Default value"
  bool UseAsInput = false;
  std::array<int, kVariableCount> DefaultDistributions{};  // "normal" each
  int Generator = kDefaultGenerator;
  // What the analysis window showed when it closed last, shown again when it opens.
  bool LastUncertainty = false;
  int LastSex = kMales;
  bool LastSaveFull = false;
  int LastStepCount = 3;
  int LastStepPercent = 5;
  // The default variation coefficient; nothing (after "'x' is not a valid floating point
  // value") when the text is not a number.
  std::optional<double> Coefficient(UserDialogs& dialogs) const;
};

class AnalysisWindow {
 public:
  enum class Kind { kSensitivity, kUncertainty };

  struct Environment {
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    MessagesLog& Log;
    int MaxAge;
    const std::array<Series, kSexCount>& AllCauseMortality;
    AnalysisOptionsState& AnalysisOptions;
    RandomSource& Random;
    Tagegrouplist UncertaintyGroups;
    int Threads = 0;
    const std::array<Series, kSexCount>* PopulationNumbers = nullptr;
  };

  AnalysisWindow(Environment environment, Tdiseaseam& disease);

  // When shown: the adjusted inputs and options of both sexes loaded, the saved inputs as inputs,
  // the analysis of the chosen kind created.
  void Show();
  void SetKind(Kind kind);
  void SetSex(int sex);
  void SetStepCount(int count);
  void SetStepPercent(int percent);
  void SetChecked(int row, bool checked);

  Kind CurrentKind() const { return kind_; }
  const Tdiseaseam& Disease() const { return disease_; }
  // "Settings": the settings window's model for the checked variables; nothing (after the
  // message) when the default variation coefficient is not a number.
  std::unique_ptr<UncertaintySettingsWindow> Settings();
  int Sex() const { return sex_; }
  // "Input variables": the variables with adjusted input for the sex and whether each is checked.
  std::vector<int> Variables;
  std::vector<bool> Checked;
  bool SaveFull = false;  // "Save results": "Full" instead of "Summary"
  // "Uncertainty from the fit": the uncertainty analysis draws the fitted hazards from the fit's
  // own distribution (inputs with their precision) instead of the inputs from distributions.
  bool FromFit = false;
  std::string StepsLabel() const;
  std::string IntervalsLabel() const;
  bool StartEnabled() const;
  bool ResultsEnabled() const;  // "Show output" and "Save"

  // "Start"; false when nothing was run (the user told why). The same in three steps for a
  // window that keeps its thread free: BeginRun reads the data set and prepares the runs (false:
  // nothing to run, the user told why); ComputeRun calculates them and may run on any thread, as it
  // reads only the disease and the prepared runs (it throws when a run failed); EndRun takes the
  // results in (false when the run was cancelled). Between BeginRun and EndRun nothing else of
  // the window may be called.
  bool Start(Progress& progress);
  bool BeginRun();
  void ComputeRun(Progress& progress);
  bool EndRun();
  // A run cancelled after ComputeRun ended: its results are not taken in.
  void DiscardRun();
  // "Save": the results already computed, stored (the same numbers that were shown). False when
  // there is nothing to save or the user declined replacing a stored set. BeginSave asks, Store
  // writes (one transaction per set, on any thread while the window waits).
  bool Save();
  bool BeginSave();
  void Store();
  // "Select intervals": the summary computed anew from the finished runs for the levels
  // (numbers of the interval table).
  void SetIntervals(const std::vector<int>& numbers);
  // What the window shows is remembered.
  void Close();
  // The options the last run was prepared with.
  const CalcOptions& RunOptions() const { return options_; }

  std::unique_ptr<Tsensklas> Sensitivity;
  std::unique_ptr<Tuncertklas> Uncertainty;

 private:
  std::array<bool, kVariableCount> CheckedArray() const;
  void FillVariables();
  void CreateAnalysis();
  AnalysisSetup Setup() const;

  Environment env_;
  Tdiseaseam& disease_;
  Kind kind_ = Kind::kSensitivity;
  int sex_ = kMales;
  CalcOptions options_;  // of the run being prepared
  int stepCount_ = 3;
  int stepPercent_ = 5;
  struct PendingRun {
    std::vector<RunInputs> Inputs;
    std::vector<Tresultin> Results;
    Tuncertsummary Summary;  // an uncertainty run's, computed with the runs
    // A run from the fit: the disease with its original inputs, and the seed of the draws.
    std::unique_ptr<Tdiseaseam> FitDisease;
    std::uint64_t FitSeed = 0;
  };
  std::unique_ptr<PendingRun> pending_;
  std::unique_ptr<AnalysisSetup> pendingSetup_;
};

// "Uncertainty settings" for the checked variables of an uncertainty analysis.
class UncertaintySettingsWindow {
 public:
  UncertaintySettingsWindow(Tuncertklas& analysis, std::vector<int> checkedVariables, int sex,
                            const Tagegrouplist& groups, double coefficient, UserDialogs& dialogs);

  TextGrid Grid;
  int RatesIndex = 0;
  int Decimals = 4;
  int Shown() const { return variables_.empty() ? -1 : variables_[current_]; }
  std::string VariableName() const;
  // The shown variable's distribution (an index into the distribution names).
  int Distribution() const;
  const Tuncertklas& Analysis() const { return analysis_; }
  int Sex() const { return sex_; }
  bool CanStepLeft() const { return current_ > 0; }
  bool CanStepRight() const { return current_ + 1 < variables_.size(); }
  void StepLeft();
  void StepRight();
  // A new distribution for the shown variable: its objects made anew and every checked
  // variable's parameters back to their defaults.
  void SetDistribution(int kind);
  // After a cell was edited or pasted: when the grid is valid, every row read into its object and
  // written back.
  void CellsEdited(char decimalSeparator);
  void SetRatesIndex(int index);
  // The input intervals of the shown variable into the summary's bounds.
  void ComputeInputIntervals();
  // "Define": new age groups; every checked variable's distributions made anew for them, at their
  // defaults.
  void SetAgeGroups(const Tagegrouplist& groups);
  const Tagegrouplist& AgeGroups() const { return groups_; }
  // "S&tore data": the grid to the storage grid, side by side as new content, under the lines
  // naming the data set and the time.
  void StoreData(const GridReceiver& send, const std::string& datasetName, const std::string& date,
                 const std::string& time) const;
  // Cells typed that could not be taken (a text that is no number).
  bool HasUnsavedChanges() const { return !Grid.SameCells(filled_); }
  // Closing: with such cells, "Save changes to the uncertainty settings of Incidence?" with Yes
  // (take them; the window stays while one is refused), No (drop them) and Cancel. True: may close.
  bool MayClose(char decimalSeparator);

 private:
  void Fill();
  void Rebuild();
  double Multiplier() const;

  Tuncertklas& analysis_;
  std::vector<int> variables_;
  std::size_t current_ = 0;
  int sex_;
  Tagegrouplist groups_;  // a copy: the window outlives the caller's list
  double coefficient_;
  UserDialogs& dialogs_;
  TextGrid filled_;  // the grid as last filled from the distributions
};

}  // namespace kavrel
