#pragma once

#include <string_view>

// The processing window as a model: one disease, one sex; its inputs as the calculation sees
// them, "Calc&ulate", going back to the original or the saved adjusted inputs, taking outputs as
// inputs, saving, and the result table the window shows. The window draws this and forwards
// clicks.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/agesched/age_schedule_window.h"
#include "core/engine/disease.h"
#include "core/results/graph_lines.h"
#include "core/results/result_table.h"
#include "core/results/view_options.h"
#include "core/shell/calc_windows.h"

namespace kavrel {

inline constexpr std::string_view kNoMortalityMessage =
    "Total mortality data is missing: the calculation needs the population's all-cause "
    "mortality at every age. Enter it with Population, Mortality.";

class MessagesLog;
class TDataKavrel;
class UserDialogs;
struct SimplexSettings;
struct PopulationSeries;

class ProcessingWindow {
 public:
  struct Environment {
    Tdisease& Disease;  // CurrentDisease: a fitting disease, loaded, its Sex set
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    MessagesLog& Log;
    const PopulationSeries& Population;
    int MaxAge;
    // The option windows' state, shared with the windows that edit it.
    CalcOptionsWindowState& Options;
    SimplexSettings& Simplex;
    const ViewOptionsState& View;
    // The tables' age groups; five-year groups when null.
    const Tagegrouplist* TableGroups = nullptr;
    // The smooth-and-fit options the age schedule window's procedures read (null: none).
    FitOptionsWindowState* Fit = nullptr;
    char DecimalSeparator = '.';
  };

  explicit ProcessingWindow(Environment environment);

  ProcessingWindowState State;  // "Apply", "&Save result", "From output"

  std::string Caption() const;
  int Sex() const { return env_.Disease.Sex; }
  Tdisease& Disease() { return env_.Disease; }
  // After the trend window: "Apply" enabled and checked exactly when there are trends.
  void TrendsSet(bool any) {
    State.TrendApplyEnabled = any;
    State.TrendApplyChecked = any;
  }
  // "  Original inputs", the variables with own input, then "  Inputs from output" and those.
  std::vector<std::string> AvailableInputs() const;

  // On showing: the weights page for the sex, "Apply" disabled.
  void Open();
  // False when nothing was calculated (the user has been told why).
  bool Calculate();
  // "&Original": a variable chosen from those with own input gets its age-group values back.
  void Original();
  // "Adjusted": the saved adjusted inputs, trends and options of the sex.
  void Adjusted();
  // "From output": an output chosen from the seven becomes that variable's input.
  void FromOutput();
  // "Save changes": the adjusted inputs and trends.
  void SaveChanges();
  // "&Save result": the outputs (with the overwrite question) and the options of the sex.
  // The confirmation for the user ("Result of Asthma, Males, saved"); empty when nothing was saved
  // (the user cancelled).
  std::string SaveResult();
  // A result calculated in this window and not saved since.
  bool UnsavedResult() const { return unsavedResult_; }
  // Inputs adjusted (applied from the age schedule window, taken back to the original or from
  // output) or trends changed in this window, and not saved with "Save changes" since.
  bool UnsavedAdjustments() const { return unsavedAdjustments_; }
  void AdjustmentsChanged() { unsavedAdjustments_ = true; }
  // Closing: with unsaved adjustments, "Save changes to the adjusted inputs of Asthma for Males?",
  // then with an unsaved result, "The result of Asthma for Males has not been saved. Save it?",
  // each with Yes (save; the window stays when the save is cancelled), No and Cancel. True: may
  // close.
  bool MayClose();

  // The table window's content: five-year groups, the input columns of the variables with own
  // input or taken from output, and the outputs once calculated.
  // "&Variable": a variable with own input chosen from "Choose input variable", or -1.
  int ChooseVariableToAdjust();
  // The age schedule window's model for variable v of the disease and sex.
  std::unique_ptr<AgeScheduleWindow> AgeSchedule(int v);

  TableText Table(const TableRequest& request) const;
  std::string TableTitle() const;
  // The fit report of the sex's result as a table: "Variable", "Age group", "Input", "Output",
  // "Deviation (%)", and "*" beyond the report threshold of the calculation options; no rows
  // before a calculation.
  TableText FitTable() const;
  std::string FitTitle() const;
  // The graph window's lines, caption and highest age.
  std::vector<PlotLine> GraphLines() const;
  std::string GraphCaption() const;
  int MaxAge() const { return env_.MaxAge; }

 private:
  int ChooseVariable(const char* caption, bool ownInputOnly);
  bool unsavedResult_ = false;
  bool unsavedAdjustments_ = false;

  Environment env_;
  std::array<Series, kSexCount> otherCause_{};
};

}  // namespace kavrel
