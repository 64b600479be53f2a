#pragma once

// TUncertspecForm "Uncertainty settings": the distribution and its parameters per age group of
// each variable an uncertainty analysis varies, and the input intervals they imply.

#include <functional>
#include <memory>
#include <string>

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace kavrel {

class GridEditor;
class TGrafForm;
struct GridWindowEnvironment;
struct DisplaySettings;
class Tuncertklas;
class UncertaintySettingsWindow;
class UserDialogs;
struct ViewOptionsState;

class TUncertspecForm final : public QDialog {
  Q_OBJECT
 public:
  TUncertspecForm(UserDialogs& dialogs, const ViewOptionsState& view,
                  std::function<void()> showOptions, QWidget* parent = nullptr);
  ~TUncertspecForm() override;

  // Shows the settings of the analysis's checked variables, modally.
  void Prepare(UncertaintySettingsWindow& model, Tuncertklas& analysis, int maxAge);
  void Edit(UncertaintySettingsWindow& model, Tuncertklas& analysis, int maxAge);

  void StepLeft();
  void StepRight();
  void SetDistribution(int kind);
  void CellsEdited();
  TGrafForm* OpenGraph();

  QLabel* VariableName() const { return name_; }
  QComboBox* Distribution() const { return distribution_; }
  QSpinBox* Iterations() const { return iterations_; }
  QTableView* Grid() const;
  QPushButton* Button(const QString& text) const;

  // The shared grid windows (age group editor, storage grid), the display settings that "Rates
  // per:" and "Decimals" start from and follow, and the open data set's name; without them
  // "Define", "S&tore data" and "&Read file" are disabled.
  void SetGridWindows(const GridWindowEnvironment* grids, DisplaySettings* display,
                      std::function<std::string()> datasetName);

 protected:
  void done(int result) override;

 private:
  void Show();

  UserDialogs& dialogs_;
  const ViewOptionsState& viewOptions_;
  UncertaintySettingsWindow* model_ = nullptr;
  Tuncertklas* analysis_ = nullptr;
  int maxAge_ = 100;
  bool showing_ = false;
  QLabel* name_;
  QPushButton* left_;
  QPushButton* right_;
  QComboBox* distribution_;
  QSpinBox* iterations_;
  QComboBox* rates_;
  QSpinBox* decimals_;
  GridEditor* grid_;
  QPushButton* define_;
  QPushButton* store_;
  QPushButton* read_;
  const GridWindowEnvironment* grids_ = nullptr;
  DisplaySettings* display_ = nullptr;
  std::function<std::string()> datasetName_;
  QPointer<TGrafForm> graph_;
};

}  // namespace kavrel
