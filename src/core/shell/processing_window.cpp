#include "core/shell/processing_window.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "core/agesched/age_groups.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/disease_store.h"
#include "core/engine/processing.h"
#include "core/exchange/population.h"
#include "core/results/fit_table.h"

namespace kavrel {

ProcessingWindow::ProcessingWindow(Environment environment) : env_(environment) {}

std::string ProcessingWindow::Caption() const {
  return "Processing " + env_.Disease.DiseaseName + ", " + std::string(kSexNames[Sex()]);
}

std::vector<std::string> ProcessingWindow::AvailableInputs() const {
  const Tdisease& d = env_.Disease;
  std::vector<std::string> lines = {"  Original inputs"};
  for (int v = 0; v < kVariableCount; ++v) {
    if (d.InputPresent[v][Sex()]) lines.emplace_back(kVariableDisplayNames[v]);
  }
  bool any = false;
  for (int v = 0; v < kVariableCount; ++v) any |= d.FromOutput[v][Sex()];
  if (any) {
    lines.emplace_back("  Inputs from output");
    for (int v = 0; v < kVariableCount; ++v) {
      if (d.FromOutput[v][Sex()]) lines.emplace_back(kVariableDisplayNames[v]);
    }
  }
  return lines;
}

void ProcessingWindow::Open() {
  env_.Options.SetUpWeights(env_.Disease, Sex());
  // The disease's stored options of the sex, when it has them (weights, Exact, Ignore included);
  // otherwise the windows keep the preference set's.
  Tdisease& d = env_.Disease;
  if (d.CalcSettings.LoadFromTable(Sex(), env_.Data, d.InputId)) {
    const bool trends = State.TrendApplyChecked;
    ShowOptionsInWindows(d.CalcSettings.Records.at(static_cast<std::size_t>(Sex())), env_.Options,
                         env_.Simplex, State);
    State.TrendApplyChecked = trends;
  }
  State.TrendApplyEnabled = false;
  State.SaveResultEnabled = env_.Disease.Calculated[Sex()];
  State.FromOutputEnabled = env_.Disease.Calculated[Sex()];
}

bool ProcessingWindow::Calculate() {
  // Without the population's all-cause mortality the model has nothing to set the disease
  // against: refused before anything runs, as the command line refuses it.
  const Series& mortality = env_.Population.AllCauseMortality[static_cast<std::size_t>(Sex())];
  const bool mortalityGiven =
      std::all_of(mortality.begin(), mortality.begin() + env_.MaxAge + 1,
                  [](double value) { return std::isfinite(value) && value > 0.0; });
  if (!mortalityGiven) {
    env_.Dialogs.ShowError(kNoMortalityMessage);
    return false;
  }
  // The options as the windows hold them become the disease's options of the sex (what a save
  // with options stores); the trends are the window's own.
  CalcSettingsRecord record;
  TakeOptionsFromWindows(record, env_.Options, env_.Simplex, State);
  CalculationRequest request;
  request.Options = &record;
  request.CheckOptions = false;
  request.TrendsLoaded = true;
  request.FitReportPercent = env_.Options.FitReportPercent;
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  CalcOptions options = std::get<CalcOptions>(PrepareCalculation(env_.Disease, store, request));
  options.Simplex.WarnOnMaxIterations = env_.Simplex.WarnOnMaxIterations;
  options.Simplex.AskMoreIterations = env_.Simplex.AskMoreIterations;
  const ModelEnvironment model{env_.MaxAge, env_.Population.AllCauseMortality, otherCause_,
                               env_.Log, &env_.Population.PopulationNumbers};
  const bool calculated = RunCalculation(env_.Disease, model, options, env_.Dialogs);
  State.SaveResultEnabled = env_.Disease.Calculated[Sex()];
  State.FromOutputEnabled = env_.Disease.Calculated[Sex()];
  if (calculated) unsavedResult_ = true;
  return calculated;
}

bool ProcessingWindow::MayClose() {
  const std::string of = env_.Disease.DiseaseName + " for " +
                         std::string(kSexNames.at(static_cast<std::size_t>(Sex())));
  if (!env_.Dialogs.MayCloseWindow(unsavedAdjustments_, "the adjusted inputs of " + of, [this] {
        const int errors = env_.Dialogs.ErrorsShown();
        SaveChanges();
        return env_.Dialogs.ErrorsShown() == errors;
      })) {
    return false;
  }
  if (!unsavedResult_) return true;
  const DialogButton answer = env_.Dialogs.Message(
      "The result of " + env_.Disease.DiseaseName + " for " +
          std::string(kSexNames.at(static_cast<std::size_t>(Sex()))) +
          " has not been saved. Save it?",
      DialogKind::kConfirmation, DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
  if (answer == DialogButton::kYes) return !SaveResult().empty();
  return answer == DialogButton::kNo;
}

int ProcessingWindow::ChooseVariable(const char* caption, bool ownInputOnly) {
  std::vector<int> variables;
  std::vector<std::string> names;
  for (int v = 0; v < kVariableCount; ++v) {
    if (ownInputOnly && !env_.Disease.InputPresent[v][Sex()]) continue;
    variables.push_back(v);
    names.emplace_back(kVariableDisplayNames[v]);
  }
  const int chosen = env_.Dialogs.ChooseFromList(caption, names);
  return chosen >= 0 && chosen < static_cast<int>(variables.size())
             ? variables[static_cast<std::size_t>(chosen)]
             : -1;
}

int ProcessingWindow::ChooseVariableToAdjust() {
  return ChooseVariable("Choose input variable", true);
}

std::unique_ptr<AgeScheduleWindow> ProcessingWindow::AgeSchedule(int v) {
  if (v < 0 || v >= kVariableCount || env_.Fit == nullptr) return nullptr;
  const AgeScheduleContext context{env_.Disease,
                                   v,
                                   env_.MaxAge,
                                   env_.Population.PopulationNumbers,
                                   *env_.Fit,
                                   env_.Simplex,
                                   env_.Dialogs,
                                   env_.Log,
                                   env_.DecimalSeparator};
  return std::make_unique<AgeScheduleWindow>(context, *env_.Fit);
}

void ProcessingWindow::Original() {
  const int v = ChooseVariable("Choose input variable", true);
  if (v < 0) return;
  Series& series = env_.Disease.InputSeries[v][Sex()];
  for (const Tinputdat& row : env_.Disease.InputRows[v][Sex()]) {
    for (int a = std::max(row.Lage, 0); a < row.Hage && a <= kHighestPossibleAge; ++a) {
      series[a] = row.Waarde;
    }
  }
  unsavedAdjustments_ = true;
}

void ProcessingWindow::Adjusted() {
  Tdisease& d = env_.Disease;
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  store.LoadProcessedFlags(d);
  store.LoadAdjusted(d, Sex());
  env_.Options.SetUpWeights(d, Sex());
  d.CalcSettings.LoadFromTable(Sex(), env_.Data, d.InputId);
  ShowOptionsInWindows(d.CalcSettings.Records.at(static_cast<std::size_t>(Sex())), env_.Options,
                       env_.Simplex, State);
  State.TrendApplyEnabled = d.TrendsOn;
  State.TrendApplyChecked = d.TrendsOn;
  unsavedAdjustments_ = false;
}

void ProcessingWindow::FromOutput() {
  const int v = ChooseVariable("Choose output variable", false);
  if (v < 0) return;
  Tdisease& d = env_.Disease;
  d.FromOutput[v][Sex()] = true;
  d.InputSeries[v][Sex()] = d.ModelSeries[v][Sex()];
  env_.Options.SetUpWeights(d, Sex());
  unsavedAdjustments_ = true;
}

void ProcessingWindow::SaveChanges() {
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  const int errors = env_.Dialogs.ErrorsShown();
  store.SaveAdjusted(env_.Disease);
  if (env_.Dialogs.ErrorsShown() == errors) unsavedAdjustments_ = false;
}

std::string ProcessingWindow::SaveResult() {
  Tdisease& d = env_.Disease;
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  const auto outcome = store.SaveResult(d, true);
  if (outcome == DiseaseStore::SaveResultOutcome::kCancelled) return {};
  unsavedResult_ = false;
  const std::string what = "Result of " + d.DiseaseName + ", " +
                           std::string(kSexNames.at(static_cast<std::size_t>(Sex()))) + ", saved";
  return outcome == DiseaseStore::SaveResultOutcome::kSavedUnderNewName
             ? what + " under this new name"
             : what;
}

TableText ProcessingWindow::Table(const TableRequest& request) const {
  const Tdisease& d = env_.Disease;
  Tkolomlijst list(TableEnvironment{env_.Population.PopulationNumbers,
                                    env_.Population.AllCauseMortality, env_.MaxAge,
                                    d.IncidenceIsHazard});
  list.BuildRows(ChooseTableGroups(request, env_.TableGroups, env_.MaxAge), Sex());
  AddStandardColumns(
      list, d, Sex(), InputColumns::kProcessing,
      ColumnVisibility{env_.View.InputVisible, env_.View.OutputVisible, request.Limits},
      request.Hazards);
  return RecalculateTable(list, request);
}

std::vector<PlotLine> ProcessingWindow::GraphLines() const {
  return ProcessingGraphLines(env_.Disease, Sex(), env_.View);
}

std::string ProcessingWindow::GraphCaption() const {
  return kavrel::GraphCaption(env_.Disease, Sex());
}

TableText ProcessingWindow::FitTable() const {
  return FitReportTable(env_.Disease, Sex(), env_.MaxAge, &env_.Population.PopulationNumbers,
                        env_.Options.FitReportPercent);
}

std::string ProcessingWindow::FitTitle() const {
  return "Fit of " + env_.Disease.DiseaseName + ", " + std::string(kSexNames[Sex()]);
}

std::string ProcessingWindow::TableTitle() const {
  return std::string(kSexNames[Sex()]) + ", Disease: " + env_.Disease.DiseaseName;
}

}  // namespace kavrel
