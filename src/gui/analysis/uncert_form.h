#pragma once

// TUncertForm: a sensitivity or an uncertainty analysis of one disease and sex, run, shown and
// stored.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kavrel {

class AnalysisWindow;
class OutputItemChooser;
class TGrafForm;
class TSensOpForm;
class TUncertspecForm;
class TTableForm;
class UserDialogs;
struct PopulationSeries;
struct Tagegrouplist;
struct ViewOptionsState;

class TUncertForm final : public QDialog {
  Q_OBJECT
 public:
  struct Environment {
    UserDialogs& Dialogs;
    TSensOpForm& Options;
    const ViewOptionsState& View;
    const PopulationSeries& Population;
    const Tagegrouplist& TableGroups;
    // The pop-up menu's windows: graph and table, calculation and downhill simplex options;
    // notes and the storage grid (null: not offered).
    std::function<void()> ViewOptions = nullptr;
    std::function<void()> CalculationOptions = nullptr;
    std::function<void()> SimplexOptions = nullptr;
    std::function<void()> Notes = nullptr;
    std::function<void()> Storage = nullptr;
  };
  explicit TUncertForm(Environment environment, QWidget* parent = nullptr);
  ~TUncertForm() override;

  // Shows the model (made for the disease), modally.
  void Prepare(AnalysisWindow& model, const std::string& caption, int maxAge);
  void Analyse(AnalysisWindow& model, const std::string& caption, int maxAge);

  void Start();
  void Save();
  // "Show output": the chosen item, as a graph or a table. The chooser can be set by tests.
  void ShowOutput();
  std::function<std::pair<int, bool>(const std::vector<std::string>&)> ChooseOutput;
  void ChooseIntervals();
  // "Settings": the distributions and parameters of the checked variables, modally.
  void EditSettings();
  TUncertspecForm* SettingsForm() const { return settingsForm_; }

  QButtonGroup* Kind() const { return kind_; }
  QButtonGroup* SaveResults() const { return saveResults_; }
  QCheckBox* FromFit() const { return fromFit_; }
  QButtonGroup* Sex() const { return sex_; }
  QListWidget* Variables() const { return variables_; }
  QPushButton* Button(const QString& text) const;
  QSpinBox* Steps() const { return steps_; }
  QLabel* StepsLabel() const { return stepsLabel_; }
  QLabel* IntervalsLabel() const { return intervalsLabel_; }
  std::vector<QWidget*> Outputs() const;
  // Closes and deletes the output windows (their results are about to be replaced).
  void CloseOutputs();

 protected:
  void done(int result) override;

 private:
  void Show();

  Environment env_;
  AnalysisWindow* model_ = nullptr;
  int maxAge_ = 100;
  bool showing_ = false;
  QButtonGroup* kind_;
  QButtonGroup* sex_;
  QListWidget* variables_;
  QGroupBox* sensitivityBox_;
  QGroupBox* uncertaintyBox_;
  QLabel* stepsLabel_;
  QSpinBox* steps_;
  QSpinBox* stepPercent_;
  QLabel* intervalsLabel_;
  QButtonGroup* saveResults_;
  QCheckBox* fromFit_;
  QPushButton* start_;
  QPushButton* showOutput_;
  QPushButton* save_;
  std::vector<QPointer<QWidget>> outputs_;
  TUncertspecForm* settingsForm_;  // the graph and table windows opened from here
};

}  // namespace kavrel
