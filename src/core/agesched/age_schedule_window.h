#pragma once

// The age schedule window's commands as a model: it opens on one variable of the current disease
// and sex, runs the procedures into its workspace, and writes back to the disease only on
// "&Apply". The window itself draws the workspace's lines and forwards clicks.

#include <array>
#include <memory>
#include <string>

#include "core/agesched/age_schedule.h"

namespace kavrel {

class TDataKavrel;

inline constexpr std::string_view kKeepAndApplyQuestion = "Keep the adjusted result and apply it?";

class AgeScheduleWindow {
 public:
  // context.Options is the smooth-and-fit options window's state; opening sets its age range and
  // end point texts.
  AgeScheduleWindow(const AgeScheduleContext& context, FitOptionsWindowState& options);
  ~AgeScheduleWindow();

  AgeScheduleWorkspace Workspace;
  std::unique_ptr<Tagesched> CurrentSchedule;

  // Opening for the context's disease, variable and sex.
  void Open();
  std::string Caption() const;

  // The commands. Each procedure command frees the previous schedule object first; a procedure
  // refused for its settings leaves Adjusted unchanged and tells the user why.
  void Interpolation();
  void Smooth();
  void FitMathCurve();
  void FitAgePattern(TDataKavrel& data);
  void ManualAdjust();  // "&Manual adjust" and "Stop &Manual"
  void KeepResult();
  // After "&Edit data points" (the input editor in its data-points mode changed ModelSeries):
  // Adjusted takes the edited series and is drawn.
  void DataPointsEdited();
  Tdisease& Disease() { return ctx_.Disease; }
  int Variable() const { return ctx_.Variable; }
  void SetApplyTo(int choice);
  // ModelSeries := Current (negatives as 0) over 0 ... MaxAge, then InputSeries := ModelSeries;
  // the window closes. With an adjusted result on show that was not kept, first "Keep the
  // adjusted result and apply it?": Yes keeps it, No applies the current series, Cancel applies
  // nothing and the window stays (false).
  bool Apply();
  void Cancel();
  void Close();

  // The manual adjustment in progress, for the chart to drive; null outside manual mode.
  Tmanual* Manual();
  // "Stop &Manual" while manual adjustment runs, "&Manual adjust" otherwise.
  std::string ManualCaption() const;
  bool IsOpen() const { return open_; }
  // Enabled states of the controls.
  bool InterpolationEnabled() const;
  bool EditDataPointsEnabled() const { return InterpolationEnabled(); }
  bool OthersEnabled() const {
    return !Workspace.ManualMode;
  }  // fit, pattern, smooth, keep,
     // apply, options, cancel
  bool ApplyToEnabled() const { return applyToAvailable_ && !Workspace.ManualMode; }

  // What the age schedule window shows as the interpolation, smoothing and curve choices.
  static constexpr std::array<const char*, 3> kInterpolations = {"Piecewise linear", "Polynomial",
                                                                 "Cubic spline"};
  static constexpr std::array<const char*, 1> kSmoothings = {"Moving average"};

  // Runs one procedure by choice, without a list dialog (the command-line tool uses these).
  void RunInterpolation(int choice);
  void RunSmoothing();
  void RunCurve(int choice);
  bool RunPattern(TDataKavrel& data, const std::string& name);

 private:
  void Run(std::unique_ptr<Tagesched> schedule);

  AgeScheduleContext ctx_;
  FitOptionsWindowState& options_;
  bool applyToAvailable_ = true;
  bool open_ = false;
};

}  // namespace kavrel
