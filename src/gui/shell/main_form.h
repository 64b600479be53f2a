#pragma once

#include <atomic>

// TMainForm: the disease under the cursor of the open data set, its stored inputs and outputs,
// and every command of the program in its menus. The rules are the core's MainWindowModel.

#include <array>
#include <memory>

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>

#include "core/shell/main_window_model.h"
#include "gui/common/small_dialogs.h"

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kavrel {

class HelpViewer;
struct GridWindowEnvironment;
class MessagesLog;
class MessagesWindow;
class AboutBox;
class StorageGrid;
class TAgegroupForm;
class TCSVForm;
class TDatasetForm;
class TInputForm;
class TPopInForm;
class TAgePatForm;
class TProcessForm;
class TInspectForm;
class TCopyForm;
class TSetprefForm;
class TViewOpForm;
class TFitOpForm;
class TSensOpForm;
class TUncertForm;
class TExportForm;
class TCalcOpForm;
class TAmoebeForm;
class Tagegrouplist;
class NotesWindow;

class TMainForm final : public QMainWindow {
  Q_OBJECT
 public:
  struct Environment {
    SettingsState& Settings;
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    MessagesLog& Log;
    std::string ProgramDir;
  };
  explicit TMainForm(Environment environment, QWidget* parent = nullptr);
  ~TMainForm() override;

  MainWindowModel& Model() { return model_; }
  // The start-up of the show event; false when the program must end.
  bool StartUp();
  // Draws the model: caption, enabled states, the disease area.
  void Refresh();

  // Commands, as the menus and buttons run them.
  void OpenCollection();
  void CloseCollection();
  void NewCollection();
  void AddCollection();
  void RemoveCollection();
  void DeleteCollection();
  void ShowDatasets();
  void InsertDisease();
  void DeleteDisease();
  void GoTo();
  void ToggleNotes();
  void ShowMessages();
  // "Edit/Add input": the variable from the list, then the input editor.
  void EditInput();
  // The input editor for one variable of the disease under the cursor, modally.
  void OpenInput(int variable);
  void ShowStorage();
  // "Start process": the processing window for the disease under the cursor and the chosen sex.
  void StartProcess();
  // "Inspect results": the stored results, disease by disease, modally.
  void InspectResults();
  // "Export results" and "D&iseases", "&Export": the export window, modally.
  void ExportResults();
  // "Sensitivity": the analysis window for the disease under the cursor, modally.
  void AnalyseResults();
  // "&Mortality" and "&Structure": the population window, modally.
  void ShowPopulation(bool mortality);
  void ShowHelp(int topic);
  void Exit();

  // Told on this window's thread each time the messages window has taken in new log lines.
  std::function<void()> LogShown;

  // For tests and screenshots.
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* IcdEdit() const { return icd_; }
  QToolButton* NavigatorButton(int k) const { return navigator_[static_cast<std::size_t>(k)]; }
  QAction* Action(const QString& text) const;
  QPushButton* NotesButton() const { return notesButton_; }
  TDatasetForm* DatasetForm() const { return datasetForm_; }
  NotesWindow* Notes() const { return notes_; }
  MessagesWindow* Messages() const { return messages_; }
  HelpViewer* Help() const { return help_; }
  // The viewer that showed the last topic (the main one, or the one over a modal window).
  HelpViewer* ShownHelp() const { return shownHelp_; }
  std::array<QCheckBox*, 14> InputBoxes() const { return inputBoxes_; }
  std::array<QCheckBox*, 2> OutputBoxes() const { return outputBoxes_; }
  QPushButton* ResultButton(int k) const { return resultButtons_[static_cast<std::size_t>(k)]; }
  QPushButton* EditInputButton() const { return editInput_; }
  TInputForm* InputForm() const { return inputForm_; }
  TCSVForm* StorageForm() const { return storageForm_.get(); }
  TAgegroupForm* AgeGroupForm() const { return ageGroupForm_; }
  TPopInForm* PopulationForm() const { return populationForm_; }
  TAgePatForm* PatternForm() const { return patternForm_; }
  TProcessForm* ProcessForm() const { return processForm_; }
  TInspectForm* InspectForm() const { return inspectForm_; }
  TCopyForm* CopyForm() const { return copyForm_; }
  TSetprefForm* PreferencesForm() const { return preferencesForm_; }
  TViewOpForm* ViewOptionsForm() const { return viewForm_; }
  TFitOpForm* FitOptionsForm() const { return fitForm_; }
  TSensOpForm* AnalysisOptionsForm() const { return sensForm_; }
  TUncertForm* AnalysisForm() const { return analysisForm_; }
  TExportForm* ExportForm() const { return exportForm_; }
  TCalcOpForm* CalcOptionsForm() const { return calcForm_; }
  TAmoebeForm* SimplexForm() const { return amoebaForm_; }
  QRadioButton* SexChoice(int sex) const { return sex == 0 ? males_ : females_; }
  QPushButton* StartProcessButton() const { return startProcess_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A click on an input box opens the editor for its variable; the boxes never toggle.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Stores pending notes and a pending name or code edit; false (the error shown) if it failed.
  bool StoreEdits();
  void RaiseNotes();
  void BuildMenus();
  void BuildDiseaseArea();
  void ShowDisease();
  void Navigate(int button);
  // Runs a command; an error it does not handle is shown, and the program goes on.
  template <typename Command>
  void Run(Command&& command);

  Environment env_;
  MainWindowModel model_;
  QLineEdit* name_ = nullptr;
  QLineEdit* icd_ = nullptr;
  std::array<QToolButton*, 8> navigator_{};
  std::array<QCheckBox*, 14> inputBoxes_{};
  std::array<QCheckBox*, 2> outputBoxes_{};
  QRadioButton* males_ = nullptr;
  QRadioButton* females_ = nullptr;
  QPushButton* editInput_ = nullptr;
  QPushButton* startProcess_ = nullptr;
  QPushButton* notesButton_ = nullptr;
  std::array<QPushButton*, 3> resultButtons_{};
  QMenu* windowsMenu_ = nullptr;
  std::vector<QAction*> datasetActions_;
  QAction* datasetAction_ = nullptr;
  QAction* openAction_ = nullptr;
  QAction* closeAction_ = nullptr;
  QAction* notesAction_ = nullptr;
  std::vector<QMenu*> datasetMenus_;
  QWidget* diseaseArea_ = nullptr;
  TDatasetForm* datasetForm_ = nullptr;
  NotesWindow* notes_ = nullptr;
  MessagesWindow* messages_ = nullptr;
  std::atomic<bool> logRefreshQueued_{false};  // a refresh of the messages window is queued
  AboutBox* about_ = nullptr;
  HelpViewer* help_ = nullptr;
  QPointer<HelpViewer> modalHelp_;  // the viewer over a modal window
  QPointer<HelpViewer> shownHelp_;
  // The storage grid's content and the shared current age groups live as long as the program.
  std::unique_ptr<StorageGrid> storage_;
  std::unique_ptr<Tagegrouplist> currentAgeGroups_;
  // What the input, population and age pattern windows share.
  std::unique_ptr<GridWindowEnvironment> gridWindows_;
  TAgegroupForm* ageGroupForm_ = nullptr;
  std::unique_ptr<TCSVForm> storageForm_;  // a window of its own, usable beside the editors
  TInputForm* inputForm_ = nullptr;
  TPopInForm* populationForm_ = nullptr;
  TAgePatForm* patternForm_ = nullptr;
  TProcessForm* processForm_ = nullptr;
  TInspectForm* inspectForm_ = nullptr;
  TCopyForm* copyForm_ = nullptr;
  TSetprefForm* preferencesForm_ = nullptr;
  TViewOpForm* viewForm_ = nullptr;
  TFitOpForm* fitForm_ = nullptr;
  TSensOpForm* sensForm_ = nullptr;
  TUncertForm* analysisForm_ = nullptr;
  TExportForm* exportForm_ = nullptr;
  TCalcOpForm* calcForm_ = nullptr;
  TAmoebeForm* amoebaForm_ = nullptr;
  bool refreshing_ = false;
  QPrinter printer_;
};

// TMemoForm: the notes of the disease under the cursor.
class NotesWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit NotesWindow(MainWindowModel& model, QWidget* parent = nullptr);
  void ShowDisease();
  // Stores the edited text in the disease's Remarks.
  void Store();
  QPlainTextEdit* Memo() const { return memo_; }
  std::function<void()> OnClosed;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  MainWindowModel& model_;
  QPlainTextEdit* memo_;
  bool loading_ = false;
};

}  // namespace kavrel
