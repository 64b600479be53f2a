#pragma once

// TInputForm: the age-group values of one input variable of one disease, men and women side by
// side. Also the age schedule window's "Edit data points" dialog.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "gui/common/grid_editor.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace kavrel {

class InputEditor;
class Tdisease;
class UserDialogs;
struct DisplaySettings;

class TInputForm final : public QDialog {
  Q_OBJECT
 public:
  using Environment = GridWindowEnvironment;
  struct Request {
    Tdisease& Disease;
    int Variable;
    int MaxAge;
    std::string DatasetName;
    bool DataPoints = false;  // the age schedule window's "Edit data points"
    int PreferredSchedule = 0;
    int RatesIndex = 0;
    int Decimals = 4;
    // The window's "Rates per:" and "Decimals" as the preferences keep them: read on opening,
    // written on every change (may be null).
    DisplaySettings* Display = nullptr;
  };

  explicit TInputForm(Environment environment, QWidget* parent = nullptr);
  ~TInputForm() override;

  // Sets the window up for the request; Edit also shows it modally.
  void Prepare(const Request& request);
  void Edit(const Request& request);

  // Commands, as the buttons run them.
  void Save();
  void Define();
  void ClearInput();
  void DeleteCells();
  void StoreData();
  void ReadFile();
  void Copy();
  void Cut();
  void Paste();

  // Which grid a paste goes to (0 men, 1 women); the paste dialog unless a test sets it.
  std::function<int()> ChoosePasteGrid;

  InputEditor* Model() const { return editor_.get(); }
  QTableView* Grid(int sex) const;
  QComboBox* RatesPer() const;
  QSpinBox* Decimals() const;
  QButtonGroup* ApplyTo() const { return applyTo_; }
  QGroupBox* RatesBox() const { return ratesBox_; }

 protected:
  void done(int result) override;

 private:
  template <typename Command>
  void Do(Command&& command);
  void Show();
  // The grid that has the focus: 0 men, 1 women, -1 neither.
  int FocusedGrid() const;
  GridEditor& Editor(int sex) const { return sex == 0 ? *men_ : *women_; }

  Environment env_;
  std::unique_ptr<InputEditor> editor_;
  GridEditor* men_;
  GridEditor* women_;
  QButtonGroup* applyTo_;
  DisplayControls* display_;
  QGroupBox* ratesBox_;
  QButtonGroup* hazards_;
  QGroupBox* applyBox_;
  std::vector<QLabel*> headings_;  // over the men's and the women's grid
};

}  // namespace kavrel
