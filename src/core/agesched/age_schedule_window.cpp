#include "core/agesched/age_schedule_window.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "core/agesched/curves.h"
#include "core/agesched/patterns.h"
#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/engine/interpolation.h"

namespace kavrel {

namespace {

// A value with up to 9 significant digits and the locale's decimal separator, as the window
// writes the end point texts.
std::string NineDigits(double value, char separator) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", value);
  std::string text(buffer);
  std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

}  // namespace

AgeScheduleWindow::AgeScheduleWindow(const AgeScheduleContext& context,
                                     FitOptionsWindowState& options)
    : ctx_(context), options_(options) {}

AgeScheduleWindow::~AgeScheduleWindow() { CurrentSchedule.reset(); }

void AgeScheduleWindow::Open() {
  Tdisease& d = ctx_.Disease;
  const int v = ctx_.Variable;
  const int s = d.Sex;
  Workspace.ManualMode = false;
  if (d.InputPresent[v][s]) {
    for (const Tinputdat& row : d.InputRows[v][s]) {
      for (int a = std::max(row.Lage, 0); a < row.Hage && a <= kHighestPossibleAge; ++a) {
        Workspace.Original[a] = row.Waarde;
      }
    }
    Workspace.Draw(ScheduleLine::kOriginal);
    Workspace.ApplyRadio = 0;
    applyToAvailable_ = true;
  } else {
    Workspace.ApplyRadio = 1;
    applyToAvailable_ = false;
  }
  Workspace.Current = d.InputSeries[v][s];
  Workspace.Draw(ScheduleLine::kCurrent);
  options_.ResetAgeRange(ctx_.MaxAge);
  options_.LowValue = NineDigits(d.InputSeries[v][s][0], ctx_.DecimalSeparator);
  options_.HighValue = NineDigits(d.InputSeries[v][s][ctx_.MaxAge], ctx_.DecimalSeparator);
  // End points this input's groups would refuse move just outside them: the low one to age 0,
  // the high one to the highest age + 5, so that the interpolations work on the user's data with
  // the options as they come.
  if (d.InputPresent[v][s] && !d.InputRows[v][s].empty()) {
    const auto midpoint = [](const Tinputdat& row) {
      return row.Lage + (row.Hage - row.Lage) / 2.0;
    };
    if (options_.LowAge >= midpoint(d.InputRows[v][s].front())) options_.LowAge = 0;
    if (options_.HighAge <= midpoint(d.InputRows[v][s].back())) options_.HighAge = ctx_.MaxAge + 5;
  }
  open_ = true;
}

void AgeScheduleWindow::DataPointsEdited() {
  Workspace.Adjusted = ctx_.Disease.ModelSeries[ctx_.Variable][ctx_.Disease.Sex];
  Workspace.Draw(ScheduleLine::kAdjusted);
}

std::string AgeScheduleWindow::Caption() const {
  return "Adjusting " + ctx_.Disease.DiseaseName + " " +
         std::string(kVariableDisplayNames[ctx_.Variable]);
}

bool AgeScheduleWindow::InterpolationEnabled() const {
  return Workspace.ApplyRadio == 0 && !Workspace.ManualMode;
}

void AgeScheduleWindow::Run(std::unique_ptr<Tagesched> schedule) {
  CurrentSchedule = std::move(schedule);
  try {
    CurrentSchedule->Execute();
  } catch (const ScheduleError& e) {
    ctx_.Dialogs.ShowError(e.what());
  } catch (const InterpolationError& e) {
    ctx_.Dialogs.ShowError(e.what());
  }
}

void AgeScheduleWindow::RunInterpolation(int choice) {
  CurrentSchedule.reset();
  switch (choice) {
    case 0:
      Run(std::make_unique<Tlinearinterpol>(Workspace, ctx_));
      break;
    case 1:
      Run(std::make_unique<Tpolynomialinterpol>(Workspace, ctx_));
      break;
    case 2:
      Run(std::make_unique<Tcubicsplineinterpol>(Workspace, ctx_));
      break;
    default:
      break;
  }
}

void AgeScheduleWindow::Interpolation() {
  if (!InterpolationEnabled()) return;
  CurrentSchedule.reset();
  const std::vector<std::string> items(kInterpolations.begin(), kInterpolations.end());
  RunInterpolation(ctx_.Dialogs.ChooseFromList("Interpolation procedures", items));
}

void AgeScheduleWindow::RunSmoothing() {
  CurrentSchedule.reset();
  Run(std::make_unique<Tmovingaverage>(Workspace, ctx_));
}

void AgeScheduleWindow::Smooth() {
  if (!OthersEnabled()) return;
  CurrentSchedule.reset();
  const std::vector<std::string> items(kSmoothings.begin(), kSmoothings.end());
  if (ctx_.Dialogs.ChooseFromList("Smoothing procedures", items) == 0) RunSmoothing();
}

void AgeScheduleWindow::RunCurve(int choice) {
  CurrentSchedule.reset();
  auto curve = MakeCurve(choice, Workspace, ctx_);
  if (!curve) return;
  try {
    Run(std::move(curve));
  } catch (const std::exception&) {
    ctx_.Log.AddMessage(kFitError);
  }
}

void AgeScheduleWindow::FitMathCurve() {
  if (!OthersEnabled()) return;
  CurrentSchedule.reset();
  const std::vector<std::string> items(kCurveNames.begin(), kCurveNames.end());
  RunCurve(ctx_.Dialogs.ChooseFromList("Mathematical curves", items));
}

bool AgeScheduleWindow::RunPattern(TDataKavrel& data, const std::string& name) {
  const auto groups = LoadPattern(data, name);
  if (groups.empty()) return false;
  for (const Tpatinputdat& g : groups) {
    for (int a = std::max(g.Lage, 0); a < g.Hage && a <= kHighestPossibleAge; ++a) {
      Workspace.Adjusted[a] = g.Value;
    }
  }
  for (int a = std::max(groups.back().Hage, 0); a <= ctx_.MaxAge; ++a) {
    Workspace.Adjusted[a] = groups.back().Value;
  }
  Workspace.Draw(ScheduleLine::kAdjusted);
  CurrentSchedule.reset();
  Run(std::make_unique<Tfitpattern>(Workspace, ctx_));
  return true;
}

void AgeScheduleWindow::FitAgePattern(TDataKavrel& data) {
  if (!OthersEnabled()) return;
  const auto names = PatternNames(data);
  if (names.empty()) {
    ctx_.Dialogs.ShowInformation(kNoPatternsMessage);
    return;
  }
  const int chosen = ctx_.Dialogs.ChooseFromList("Choose age pattern", names);
  if (chosen < 0 || chosen >= static_cast<int>(names.size())) return;
  RunPattern(data, names[static_cast<std::size_t>(chosen)]);
}

void AgeScheduleWindow::ManualAdjust() {
  const bool stopping = Workspace.ManualMode;
  CurrentSchedule.reset();  // freeing the manual adjustment ends manual mode
  if (!stopping) CurrentSchedule = std::make_unique<Tmanual>(Workspace, ctx_);
}

Tmanual* AgeScheduleWindow::Manual() {
  return Workspace.ManualMode ? dynamic_cast<Tmanual*>(CurrentSchedule.get()) : nullptr;
}

std::string AgeScheduleWindow::ManualCaption() const {
  return Workspace.ManualMode ? "Stop &Manual" : "&Manual adjust";
}

void AgeScheduleWindow::KeepResult() {
  if (!OthersEnabled()) return;
  Workspace.Current = Workspace.Adjusted;
  Workspace.Hide(ScheduleLine::kAdjusted);
  Workspace.Draw(ScheduleLine::kCurrent);
}

void AgeScheduleWindow::SetApplyTo(int choice) {
  if (!ApplyToEnabled()) return;
  Workspace.ApplyRadio = choice == 0 ? 0 : 1;
}

bool AgeScheduleWindow::Apply() {
  if (!OthersEnabled()) return false;
  if (Workspace.AdjustedShown()) {
    const DialogButton answer =
        ctx_.Dialogs.Message(kKeepAndApplyQuestion, DialogKind::kConfirmation,
                             DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
    if (answer == DialogButton::kCancel) return false;
    if (answer == DialogButton::kYes) KeepResult();
  }
  Tdisease& d = ctx_.Disease;
  const int v = ctx_.Variable;
  const int s = d.Sex;
  for (int a = 0; a <= ctx_.MaxAge; ++a) {
    d.ModelSeries[v][s][a] = Workspace.Current[a] >= 0.0 ? Workspace.Current[a] : 0.0;
  }
  d.InputSeries[v][s] = d.ModelSeries[v][s];
  Close();
  return true;
}

void AgeScheduleWindow::Cancel() {
  if (!OthersEnabled()) return;
  Close();
}

void AgeScheduleWindow::Close() {
  CurrentSchedule.reset();  // also ends manual mode, restoring the buttons
  for (auto line : {ScheduleLine::kOriginal, ScheduleLine::kCurrent, ScheduleLine::kAdjusted}) {
    Workspace.Hide(line);
  }
  open_ = false;
}

}  // namespace kavrel
