#pragma once

// The main window as a model: the program's three states and what each enables, the window
// caption, start-up and exit, the collection commands, opening and closing a data set, and the
// disease commands, with every question and message. The window draws this and forwards clicks.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/agesched/age_schedule.h"
#include "core/analysis/analysis_window.h"
#include "core/base/clock.h"
#include "core/engine/amoeba.h"
#include "core/engine/calc_options.h"
#include "core/exchange/export.h"
#include "core/exchange/population.h"
#include "core/results/view_options.h"
#include "core/shell/calc_windows.h"
#include "core/shell/preferences.h"
#include "core/store/datasets.h"
#include "core/store/settings.h"

namespace kavrel {

class MessagesLog;
class Tdisease;
class Tdiseaseam;
class TDataKavrel;
class UserDialogs;

class MainWindowModel {
 public:
  enum class State { kNothingOpen, kCollectionOpen, kDatasetOpen };

  struct Environment {
    SettingsState& Settings;
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    MessagesLog& Log;
    std::string ProgramDir;
    std::function<void(int topic)> OpenHelp;
    // Opens the population window (mortality or numbers of persons) when the user answers Yes to
    // a missing-data question on opening a data set.
    std::function<void(bool mortality)> ProvidePopulation = nullptr;
  };

  explicit MainWindowModel(Environment environment);

  State GetState() const;
  std::string Caption() const;
  // What the three states enable.
  bool CollectionOpenEnabled() const { return !env_.Settings.Collections.empty(); }
  bool DatasetCommandEnabled() const { return GetState() != State::kNothingOpen; }
  bool CollectionCloseEnabled() const { return GetState() != State::kNothingOpen; }
  // The disease area, "D&iseases", "&Population", "&Windows", "&Options", "Edit/Add input",
  // "Start process", "Show &Notes", the check boxes and "Sex".
  bool DatasetCommandsEnabled() const { return GetState() == State::kDatasetOpen; }
  // "Sensitivity", "Inspect results", "Export results".
  bool ResultButtonsEnabled() const { return resultButtons_; }

  // The main window's show event. kTerminate when the installation is broken.
  StartUp Start();
  // "&Open"; true when the data set window is to be shown.
  bool OpenCollection();
  void CloseCollection();
  // "&New" and "&Add" after the name was given; true when the data set window is to be shown.
  bool NewCollection(const std::string& name);
  bool AddCollection(const std::string& name);
  void RemoveCollection();
  void DeleteCollection();
  // Stores a name or code typed but not yet posted; a failure throws and leaves the edit.
  void PostPendingEdit();
  // "&Exit": stores a pending edit, closes everything and remembers the current collection. When
  // the edit cannot be stored nothing is closed.
  void Exit();

  // An option window closed: its values become the current preference set's, so the next data
  // set opening shows them again instead of the set's older values.
  void OptionsWindowClosed();

  // The data sets window's Open and Close.
  bool OpenDataset(const DatasetRow& row);
  void CloseDataset();

  // The diseases navigator's buttons, in their order on the window.
  enum class Navigator { kFirst, kPrior, kNext, kLast, kInsert, kEdit, kPost, kCancel };
  // Moves, inserts, edits, posts or cancels on the diseases cursor, then follows the stored
  // results with the result buttons.
  void Navigate(Navigator button);
  // What the disease area shows of the disease under the cursor: nothing when there is none.
  struct DiseaseView {
    bool Present = false;
    std::string Name;
    std::string IcdCode;
    std::array<std::array<bool, kVariableCount>, kSexCount> Inputs{};
    std::array<bool, kSexCount> Outputs{};
  };
  DiseaseView ShownDisease() const;
  // Typing in the name and ICD code boxes edits the record; it is posted when the cursor moves,
  // the program closes or the user posts it.
  void SetDiseaseName(const std::string& name);
  void SetIcdCode(const std::string& code);
  // The notes window's caption and text for the disease under the cursor.
  struct NotesView {
    std::string Caption = "Notes";
    std::string Text;
  };
  NotesView DiseaseNotes() const;
  // Stores the notes typed for the disease under the cursor; nothing when they are unchanged or
  // there is no disease.
  void StoreNotes(const std::string& text);

  // The navigator's Insert ("D&iseases", "&New"): a record named "New disease".
  void InsertDisease();
  // "&Delete": the question, then the record and its input, processed and output rows in one
  // transaction.
  bool DeleteDisease();
  void UpdateResultButtons();
  // The disease under the cursor, loaded for editing one input variable: its flags and that
  // variable's age-group rows of both sexes. A pending name edit is stored first.
  std::unique_ptr<Tdisease> DiseaseForEditing(int variable);
  // "Edit/Add input": the variable chosen in the list, or -1.
  int ChooseInputVariable();
  std::string CurrentDiseaseName;
  // "Start process": the disease under the cursor as a fitting disease, its inputs loaded, its
  // sex set and its options record taking the option windows' values for that sex.
  std::unique_ptr<Tdiseaseam> DiseaseForProcessing(int sex);
  // "Sensitivity": the disease under the cursor with its processed-input flags, for the analysis
  // window to load its adjusted inputs; null when there is none. A pending edit is stored first.
  std::unique_ptr<Tdiseaseam> DiseaseForAnalysis();

  // The state of the option windows, kept while the program runs.
  CalcOptionsWindowState CalcWindow;
  SimplexSettings SimplexWindow;
  ViewOptionsState ViewWindow;
  FitOptionsWindowState FitWindow;
  AnalysisOptionsState AnalysisWindow;
  ExportWindowState ExportWindow;
  DisplaySettings InputDisplay;
  DisplaySettings PopulationDisplay;
  DisplaySettings PatternDisplay;
  DisplaySettings UncertaintyDisplay;
  // The age groups of new result tables ("Standard"): the preference set's schedule, or five-year
  // groups; rebuilt when a data set opens, replaced by the view options' "Define".
  Tagegrouplist TableAgeGroups;
  void RebuildTableAgeGroups();
  // The current preference set; applied to the option windows whenever a data set opens.
  Tpreferences Preferences;
  PreferenceWindows Windows() {
    return {ViewWindow,   CalcWindow,   SimplexWindow,     FitWindow,      AnalysisWindow,
            ExportWindow, InputDisplay, PopulationDisplay, PatternDisplay, UncertaintyDisplay};
  }

  PopulationSeries Population;
  // The workspace's clock, for the texts that carry the date and time.
  Clock Now = SystemClock();

 private:
  void EnableDatasetCommands();
  int ChooseCollection(const char* caption);
  // After removing entry k: the current index follows the list.
  void Removed(int k);

  Environment env_;
  bool resultButtons_ = false;
};

}  // namespace kavrel
