#pragma once

// TProcessForm: one disease, one sex: its inputs, "Calc&ulate", tables of inputs and outputs,
// outputs taken back as inputs, and saving the result.

#include <functional>
#include <memory>
#include <vector>

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace kavrel {

class ProcessingWindow;
class AgeScheduleWindow;
class TAgeschedForm;
class TCalcOpForm;
class TGrafForm;
class TTableForm;
class TTrendForm;
class UserDialogs;
struct ViewOptionsState;

class TProcessForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TProcessForm(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~TProcessForm() override;

  // Sets the window up on the model; Process also shows it modally and closes what it opened.
  void Prepare(ProcessingWindow& model, bool openGraph, bool openTable);
  void Process(ProcessingWindow& model, bool openGraph, bool openTable);

  // Commands, as the buttons run them.
  void Calculate();
  void Original();
  void Adjusted();
  void FromOutput();
  void SaveChanges();
  void SaveResult();
  TTableForm* OpenTable();
  // "Fit report": every input group against the output's mean over it, in a table window.
  TTableForm* OpenFitReport();
  TGrafForm* OpenGraph();
  std::vector<TGrafForm*> Graphs() const;
  void SetTrends();
  // "O&ptions": the calculation options window, beside this one.
  void SetOptionsWindow(TCalcOpForm* options) { options_ = options; }
  // The view options new tables start from, and their window ("Options" under "View data").
  void SetViewOptions(const ViewOptionsState* view, std::function<void()> show) {
    view_ = view;
    showViewOptions_ = std::move(show);
  }
  void ShowOptions();
  // The pop-up menu's "Show notes" and "Preferences" (the main window's commands).
  void SetPopupCommands(std::function<void()> notes, std::function<void()> preferences) {
    showNotes_ = std::move(notes);
    showPreferences_ = std::move(preferences);
  }
  // "Stay on top" of the pop-up menu.
  void SetStayOnTop(bool on);
  bool StaysOnTop() const { return stayOnTop_; }
  // "&Variable" and a click on a variable in the list: the age schedule window, beside this one.
  void SetAgeScheduleWindow(TAgeschedForm* window) { ageSchedule_ = window; }
  void AdjustVariable();
  void Adjust(int variable);
  TAgeschedForm* AgeScheduleForm() const { return ageSchedule_; }
  TTrendForm* TrendForm() const { return trendForm_; }

  QPushButton* Button(const QString& text) const;
  QListWidget* Available() const { return available_; }
  QCheckBox* Apply() const { return apply_; }
  std::vector<TTableForm*> Tables() const;

 protected:
  void done(int result) override;
  // The graph and table asked for at the start open once this window shows: beside it and in
  // front of it.
  void showEvent(QShowEvent* event) override;

 private:
  template <typename Command>
  void Do(Command&& command);
  void Show();

  UserDialogs& dialogs_;
  ProcessingWindow* model_ = nullptr;
  bool pendingGraph_ = false;
  bool stayOnTop_ = false;
  std::function<void()> showNotes_;
  std::function<void()> showPreferences_;
  bool pendingTable_ = false;
  QListWidget* available_;
  QCheckBox* apply_;
  QPushButton* fromOutput_;
  QPushButton* saveResult_;
  std::vector<QPointer<TTableForm>> tables_;
  std::vector<QPointer<TGrafForm>> graphs_;  // OpenGraphs
  TTrendForm* trendForm_;
  TCalcOpForm* options_ = nullptr;
  TAgeschedForm* ageSchedule_ = nullptr;
  std::unique_ptr<AgeScheduleWindow> ageModel_;
  const ViewOptionsState* view_ = nullptr;
  std::function<void()> showViewOptions_;  // OpenTables; a closed window leaves a null
};

}  // namespace kavrel
