#include "core/analysis/analysis_window.h"

#include <algorithm>
#include <variant>

#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease_store.h"
#include "core/engine/processing.h"
#include "core/store/data_kavrel.h"

namespace kavrel {

std::optional<double> AnalysisOptionsState::Coefficient(UserDialogs& dialogs) const {
  try {
    std::size_t used = 0;
    const double value = std::stod(DefaultValue, &used);
    if (used == DefaultValue.size()) return value;
  } catch (const std::exception&) {
  }
  dialogs.ShowError("'" + DefaultValue + "' is not a valid floating point value");
  return std::nullopt;
}

AnalysisWindow::AnalysisWindow(Environment environment, Tdiseaseam& disease)
    : env_(std::move(environment)), disease_(disease) {}

void AnalysisWindow::Show() {
  const AnalysisOptionsState& last = env_.AnalysisOptions;
  kind_ = last.LastUncertainty ? Kind::kUncertainty : Kind::kSensitivity;
  sex_ = last.LastSex == kFemales ? kFemales : kMales;
  SaveFull = last.LastSaveFull;
  stepCount_ = std::clamp(last.LastStepCount, 0, 100);
  stepPercent_ = std::clamp(last.LastStepPercent, 1, 100);
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  for (int s = 0; s < kSexCount; ++s) {
    store.LoadAdjusted(disease_, s);
    disease_.CalcSettings.LoadFromTable(s, env_.Data, disease_.InputId);
  }
  disease_.InputPresent = disease_.Processed;
  disease_.Sex = static_cast<std::uint8_t>(sex_);
  FillVariables();
  CreateAnalysis();
}

void AnalysisWindow::FillVariables() {
  Variables.clear();
  for (int v = 0; v < kVariableCount; ++v) {
    if (disease_.Processed[v][sex_]) Variables.push_back(v);
  }
  Checked.assign(Variables.size(), true);
}

std::array<bool, kVariableCount> AnalysisWindow::CheckedArray() const {
  std::array<bool, kVariableCount> checked{};
  for (std::size_t k = 0; k < Variables.size(); ++k) checked[Variables[k]] = Checked[k];
  return checked;
}

void AnalysisWindow::CreateAnalysis() {
  Sensitivity.reset();
  Uncertainty.reset();
  if (kind_ == Kind::kSensitivity) {
    Sensitivity = std::make_unique<Tsensklas>(disease_);
    Sensitivity->StepCount = stepCount_;
    Sensitivity->StepPercent = stepPercent_;
    Sensitivity->RebuildSteps();
  } else {
    Uncertainty =
        std::make_unique<Tuncertklas>(disease_, env_.AnalysisOptions.DefaultDistributions);
    const double c = env_.AnalysisOptions.Coefficient(env_.Dialogs).value_or(0.1);
    Uncertainty->Reset(sex_, CheckedArray(), env_.UncertaintyGroups, c);
  }
}

void AnalysisWindow::SetKind(Kind kind) {
  kind_ = kind;
  CreateAnalysis();
}

void AnalysisWindow::SetSex(int sex) {
  sex_ = sex;
  disease_.Sex = static_cast<std::uint8_t>(sex);
  FillVariables();
  if (Sensitivity) {
    Sensitivity->RebuildSteps();
    Sensitivity->HasResults = false;
  }
  if (Uncertainty) {
    const double c = env_.AnalysisOptions.Coefficient(env_.Dialogs).value_or(0.1);
    Uncertainty->Reset(sex_, CheckedArray(), env_.UncertaintyGroups, c);
  }
}

void AnalysisWindow::SetStepCount(int count) {
  stepCount_ = std::clamp(count, 0, 100);
  if (Sensitivity) {
    Sensitivity->StepCount = stepCount_;
    Sensitivity->RebuildSteps();
  }
}

void AnalysisWindow::SetStepPercent(int percent) {
  stepPercent_ = std::clamp(percent, 1, 100);
  if (Sensitivity) {
    Sensitivity->StepPercent = stepPercent_;
    Sensitivity->RebuildSteps();
  }
}

void AnalysisWindow::SetChecked(int row, bool checked) {
  if (row >= 0 && row < static_cast<int>(Checked.size()))
    Checked[static_cast<std::size_t>(row)] = checked;
}

std::string AnalysisWindow::StepsLabel() const {
  return Sensitivity ? Sensitivity->LabelsText() : std::string();
}

std::string AnalysisWindow::IntervalsLabel() const {
  return Uncertainty ? Uncertainty->Summary.LabelsText() : std::string();
}

bool AnalysisWindow::StartEnabled() const {
  if (Uncertainty && FromFit) return true;
  return std::any_of(Checked.begin(), Checked.end(), [](bool c) { return c; });
}

bool AnalysisWindow::ResultsEnabled() const {
  return (Sensitivity && Sensitivity->HasResults) || (Uncertainty && Uncertainty->HasResults);
}

AnalysisSetup AnalysisWindow::Setup() const {
  return AnalysisSetup{env_.MaxAge, env_.AllCauseMortality, env_.Log,
                       options_,    env_.Threads,           env_.PopulationNumbers};
}

bool AnalysisWindow::Start(Progress& progress) {
  if (!BeginRun()) return false;
  try {
    ComputeRun(progress);
  } catch (...) {
    EndRun();
    throw;
  }
  return EndRun();
}

bool AnalysisWindow::BeginRun() {
  pending_.reset();
  pendingSetup_.reset();
  if (!StartEnabled()) return false;
  // The disease's options of the sex, and its trends when "Apply" says so; nothing may stop a
  // run to ask.
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  store.LoadTrends(disease_, sex_);
  CalculationRequest request;
  request.Options = &disease_.CalcSettings.Records.at(static_cast<std::size_t>(sex_));
  request.CheckOptions = false;
  request.TrendsLoaded = true;
  request.Unattended = true;
  options_ = std::get<CalcOptions>(PrepareCalculation(disease_, store, request));
  disease_.TrendsOn = disease_.CheckTrends() && options_.ApplyTrends;
  auto run = std::make_unique<PendingRun>();
  if (Sensitivity) {
    run->Inputs = Sensitivity->PrepareRuns(disease_, CheckedArray(), env_.MaxAge);
  } else {
    // The inputs are drawn with the runs (many iterations take a while).
    if (!Uncertainty->ReadyRuns(CheckedArray(), env_.Dialogs)) return false;
    // The stored outputs are the central values; read here, so that the summary (seconds for
    // many runs) is computed with the runs, away from the window's thread.
    DiseaseStore outputs{env_.Data, env_.Dialogs, env_.MaxAge};
    outputs.LoadOutputs(disease_);
    run->Summary = Uncertainty->Summary;
    if (FromFit) {
      run->FitDisease = Uncertainty->FitDisease(disease_, env_.Data, env_.Dialogs, env_.MaxAge);
      run->FitSeed = Tuncertklas::FitSeed(env_.Random);
    }
  }
  pending_ = std::move(run);
  pendingSetup_ = std::make_unique<AnalysisSetup>(Setup());
  return true;
}

void AnalysisWindow::ComputeRun(Progress& progress) {
  if (!pending_) return;
  if (Uncertainty && pending_->FitDisease) {
    pending_->Results = RunsFromFit(*pending_->FitDisease, *pendingSetup_, Uncertainty->Iterations,
                                    pending_->FitSeed, progress);
  } else {
    if (Uncertainty) pending_->Inputs = Uncertainty->DrawInputs(sex_, env_.Random);
    pending_->Results = RunCalculations(disease_, pending_->Inputs, *pendingSetup_, progress);
  }
  if (Uncertainty && !pending_->Results.empty()) {
    std::array<Series, kVariableCount> central{};
    for (int v = 0; v < kVariableCount; ++v) central[v] = disease_.OutputSeries[v][sex_];
    pending_->Summary.Compute(pending_->Results, central, env_.MaxAge);
  }
}

void AnalysisWindow::DiscardRun() {
  pending_.reset();
  pendingSetup_.reset();
}

bool AnalysisWindow::EndRun() {
  if (!pending_) return false;
  auto run = std::move(pending_);
  pendingSetup_.reset();
  if (Sensitivity) {
    return Sensitivity->TakeRuns(run->Results, disease_, env_.MaxAge, env_.Data, env_.Dialogs);
  }
  if (run->Results.empty()) return false;
  Uncertainty->Runs = std::move(run->Results);
  Uncertainty->Summary = std::move(run->Summary);
  Uncertainty->HasResults = true;
  disease_.Calculated[sex_] = true;
  return true;
}

bool AnalysisWindow::Save() {
  if (!BeginSave()) return false;
  Store();
  return true;
}

bool AnalysisWindow::BeginSave() {
  if (!ResultsEnabled()) return false;
  const AnalysisSet set = Sensitivity ? AnalysisSet::kSense
                          : SaveFull  ? AnalysisSet::kUncert
                                      : AnalysisSet::kUncertSum;
  return PrepareSet(set, env_.Data, env_.Dialogs, disease_.InputId, sex_, env_.MaxAge);
}

void AnalysisWindow::Store() {
  if (Sensitivity) {
    StoreVariants(env_.Data, disease_, sex_, Sensitivity->Results, env_.MaxAge);
  } else if (SaveFull) {
    StoreRuns(env_.Data, disease_, sex_, Uncertainty->Runs, env_.MaxAge);
  } else {
    StoreSummary(env_.Data, disease_, sex_, Uncertainty->Summary, env_.MaxAge);
  }
}

void AnalysisWindow::SetIntervals(const std::vector<int>& numbers) {
  if (!Uncertainty) return;
  Uncertainty->Summary.SetIntervals(numbers);
  if (Uncertainty->HasResults) Uncertainty->Summarise(disease_, env_.MaxAge);
}

void AnalysisWindow::Close() {
  AnalysisOptionsState& last = env_.AnalysisOptions;
  last.LastUncertainty = kind_ == Kind::kUncertainty;
  last.LastSex = sex_;
  last.LastSaveFull = SaveFull;
  last.LastStepCount = stepCount_;
  last.LastStepPercent = stepPercent_;
  Sensitivity.reset();
  Uncertainty.reset();
}

std::unique_ptr<UncertaintySettingsWindow> AnalysisWindow::Settings() {
  if (kind_ != Kind::kUncertainty || !Uncertainty) return nullptr;
  const auto coefficient = env_.AnalysisOptions.Coefficient(env_.Dialogs);
  if (!coefficient) return nullptr;
  std::vector<int> checked;
  for (std::size_t k = 0; k < Variables.size(); ++k) {
    if (Checked[k]) checked.push_back(Variables[k]);
  }
  return std::make_unique<UncertaintySettingsWindow>(
      *Uncertainty, checked, sex_, env_.UncertaintyGroups, *coefficient, env_.Dialogs);
}

UncertaintySettingsWindow::UncertaintySettingsWindow(Tuncertklas& analysis,
                                                     std::vector<int> checkedVariables, int sex,
                                                     const Tagegrouplist& groups,
                                                     double coefficient, UserDialogs& dialogs)
    : analysis_(analysis),
      variables_(std::move(checkedVariables)),
      sex_(sex),
      groups_(groups.Copy()),
      coefficient_(coefficient),
      dialogs_(dialogs) {
  Fill();
  ComputeInputIntervals();
}

std::string UncertaintySettingsWindow::VariableName() const {
  return Shown() < 0 ? std::string() : std::string(kVariableDisplayNames[Shown()]);
}

int UncertaintySettingsWindow::Distribution() const {
  const int v = Shown();
  return v < 0 ? 0 : analysis_.DistChoice[static_cast<std::size_t>(v)];
}

double UncertaintySettingsWindow::Multiplier() const {
  return kRatesPerTable.at(static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5)));
}

void UncertaintySettingsWindow::Fill() {
  Grid = TextGrid(5, 1);
  Grid.SetCell(0, 0, "Age");
  const int v = Shown();
  if (v < 0 || !analysis_.Specs[v]) return;
  const auto& distributions = analysis_.Specs[v]->Distributions;
  if (!distributions.empty()) {
    const auto names = distributions.front()->ParameterNames();
    for (int c = 0; c < 4; ++c)
      Grid.SetCell(c + 1, 0, std::string(names[static_cast<std::size_t>(c)]));
  }
  for (std::size_t k = 0; k < distributions.size(); ++k) {
    const auto& d = *distributions[k];
    const int row = static_cast<int>(k) + 1;
    Grid.SetCell(0, row, k < groups_.Groups.size() ? groups_.Groups[k]->Label : std::string());
    const auto texts = d.ParamsToText(Multiplier());
    for (int c = 0; c < 4; ++c) Grid.SetCell(c + 1, row, texts[static_cast<std::size_t>(c)]);
  }
  filled_ = Grid;
}

bool UncertaintySettingsWindow::MayClose(char decimalSeparator) {
  return dialogs_.MayCloseWindow(HasUnsavedChanges(),
                                 "the uncertainty settings of " + VariableName(), [&] {
                                   CellsEdited(decimalSeparator);
                                   return !HasUnsavedChanges();
                                 });
}

void UncertaintySettingsWindow::StepLeft() {
  if (!CanStepLeft()) return;
  --current_;
  Fill();
  ComputeInputIntervals();
}

void UncertaintySettingsWindow::StepRight() {
  if (!CanStepRight()) return;
  ++current_;
  Fill();
  ComputeInputIntervals();
}

void UncertaintySettingsWindow::SetDistribution(int kind) {
  const int v = Shown();
  if (v < 0) return;
  analysis_.DistChoice[v] = std::clamp(kind, 0, 4);
  Rebuild();
}

void UncertaintySettingsWindow::Rebuild() {
  std::array<bool, kVariableCount> checked{};
  for (int w : variables_) checked[w] = true;
  analysis_.RebuildSpecs(sex_, checked, groups_, coefficient_);
  Fill();
  ComputeInputIntervals();
}

void UncertaintySettingsWindow::SetAgeGroups(const Tagegrouplist& groups) {
  if (groups.Groups.empty()) return;
  groups_ = groups.Copy();
  Rebuild();
}

void UncertaintySettingsWindow::StoreData(const GridReceiver& send, const std::string& datasetName,
                                          const std::string& date, const std::string& time) const {
  if (!send) return;
  send(Grid, true, {"Kavrel input, database " + datasetName, "Written " + date + ", " + time},
       true);
}

void UncertaintySettingsWindow::CellsEdited(char decimalSeparator) {
  const int v = Shown();
  if (v < 0 || !analysis_.Specs[v]) return;
  // Only the parameters the distribution has are checked: its other columns stay empty.
  TextGrid check = Grid;
  for (int r = 1; r < check.RowCount(); ++r) {
    for (int c = 1; c < check.ColumnCount(); ++c) {
      if (filled_.Cell(c, r).empty() && check.Cell(c, r).empty()) check.SetCell(c, r, "0");
    }
  }
  if (!ValidateGrid(check, 1, 1, dialogs_, decimalSeparator, VariableName())) {
    Grid.CurrentColumn = check.CurrentColumn;
    Grid.CurrentRow = check.CurrentRow;
    return;
  }
  auto& distributions = analysis_.Specs[v]->Distributions;
  for (std::size_t k = 0; k < distributions.size(); ++k) {
    std::array<std::string, 4> texts;
    for (int c = 0; c < 4; ++c) {
      std::string text = Grid.Cell(c + 1, static_cast<int>(k) + 1);
      std::replace(text.begin(), text.end(), decimalSeparator, '.');
      texts[static_cast<std::size_t>(c)] = text;
    }
    distributions[k]->ParamsFromText(texts, Multiplier(), dialogs_);
  }
  Fill();
  ComputeInputIntervals();
}

void UncertaintySettingsWindow::SetRatesIndex(int index) {
  RatesIndex = std::clamp(index, 0, 5);
  Fill();
}

void UncertaintySettingsWindow::ComputeInputIntervals() {
  const int v = Shown();
  if (v < 0 || !analysis_.Specs[v]) return;
  for (auto& interval : analysis_.Summary.Intervals) {
    for (auto& distribution : analysis_.Specs[v]->Distributions) {
      for (int a = std::max(distribution->Lage, 0);
           a < distribution->Hage && a <= kHighestPossibleAge; ++a) {
        distribution->IntervalAt(interval.Number, interval.Bounds[v][0][a],
                                 interval.Bounds[v][1][a], analysis_.SavedInputs[v][sex_][a]);
      }
    }
  }
}

}  // namespace kavrel
