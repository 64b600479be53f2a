#pragma once

// TPopInForm: the all-cause mortality rates ("Total mortality") or the numbers of persons
// ("Population") of the open data set by age group, as entered or by single year of age.

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "gui/common/grid_editor.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;
class QTableView;

namespace kavrel {

class PopulationWindow;
class UserDialogs;
struct DisplaySettings;
struct PopulationSeries;

class TPopInForm final : public QDialog {
  Q_OBJECT
 public:
  using Environment = GridWindowEnvironment;

  explicit TPopInForm(Environment environment, QWidget* parent = nullptr);
  ~TPopInForm() override;

  // Sets the window up in mortality (true) or population mode; Edit also shows it modally.
  // display: the window's "Rates per:" and "Decimals" as the preferences keep them (may be
  // null); preferredSchedule: the standard age groups for an empty table (0: none).
  void Prepare(PopulationSeries& population, bool mortality, int maxAge,
               const std::string& datasetName, DisplaySettings* display = nullptr,
               int preferredSchedule = 0);
  void Edit(PopulationSeries& population, bool mortality, int maxAge,
            const std::string& datasetName, DisplaySettings* display = nullptr,
            int preferredSchedule = 0);

  // Commands, as the buttons run them.
  void Save();
  void CancelChanges();
  void DeleteAll();
  void Define();
  void ClearGroups();
  void StoreData();
  void ReadFile();
  void SetView(int view);
  void Copy();
  void Cut();
  void Paste();

  PopulationWindow* Model() const { return window_.get(); }
  QTableView* Grid() const;
  QComboBox* RatesPer() const;
  QSpinBox* Decimals() const;
  QButtonGroup* ViewChoice() const { return viewChoice_; }
  QPushButton* Button(const QString& text) const;

 protected:
  // "&Close" and the frame: asks when there are unsaved changes.
  void reject() override;

 private:
  template <typename Command>
  void Do(Command&& command);
  void Show();

  Environment env_;
  std::unique_ptr<PopulationWindow> window_;
  GridEditor* grid_;
  DisplayControls* display_;
  QButtonGroup* viewChoice_;
  QGroupBox* viewBox_;
  std::vector<QPushButton*> originalOnly_;
  QPushButton* save_;
};

}  // namespace kavrel
