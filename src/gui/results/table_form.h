#pragma once

// A result table window: rows by age group, the input and output columns of one disease and
// sex, as rates (per 1 ... 1,000,000) or numbers of persons; the options panel chooses output
// incidence as hazards or population rates and the window's own age groups.

#include <functional>
#include <memory>
#include <string>

#include <QWidget>

#include "core/exchange/grid.h"
#include "core/results/result_table.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTableView;

namespace kavrel {

class TextGridModel;
struct Tagegrouplist;
struct ViewOptionsState;

class TTableForm final : public QWidget {
  Q_OBJECT
 public:
  // Builds the table for the chosen display: numbers or rates, decimals, "Rates per:" item,
  // output incidence, the window's own age groups.
  using Builder = std::function<TableText(const TableRequest& request)>;

  // view: the rates, decimals, numbers and output rates the table starts from (defaults when
  // null).
  TTableForm(std::string title, Builder builder, QWidget* parent = nullptr,
             const ViewOptionsState* view = nullptr);
  ~TTableForm() override;

  // Builds the table again from the disease (after a calculation or a change of inputs).
  void Recompute();
  // A new base caption (another disease), then Recompute.
  void SetTitle(std::string title);
  // "&Print": a page header naming data set, table, date and time, then the "Input variables"
  // and "Output variables" blocks, over as many pages as they need.
  void PrintTable(QPrinter& printer);
  void Print();
  // "S&tore data": the table with its three header lines into the storage grid window.
  void StoreData();
  // "Define": the age group editor, then the table on the groups it leaves (this window only).
  void DefineAgeGroups();
  // "&Options" / "Hide &Options".
  void ToggleOptions();
  // The current request of the controls.
  TableRequest Request() const;
  // A table of other figures than rates (the fit report): no rates, numbers, decimals or options
  // controls, and the caption as given.
  void ShowAsPlainTable();
  // Ctrl+C and the pop-up "Copy": the selected cells, or the whole table with its headings when
  // no more than one cell is selected, as tab-separated text a spreadsheet pastes into cells.
  void Copy();

  QTableView* View() const { return view_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  QCheckBox* Numbers() const { return numbers_; }
  QComboBox* RatesPer() const { return rates_; }
  QComboBox* OutputRates() const { return outputRates_; }
  QCheckBox* Limits() const { return limits_; }
  QPushButton* Button(const QString& text) const;
  QGroupBox* OptionsPanel() const { return options_; }
  const TextGrid& Grid() const { return grid_; }
  const TableText& Text() const { return text_; }

 private:
  std::string title_;
  Builder builder_;
  TextGrid grid_{2, 2};
  TableText text_;
  std::unique_ptr<Tagegrouplist> groups_;  // the window's own age groups, after "Define"
  TextGridModel* model_;
  QTableView* view_;
  QCheckBox* numbers_;
  QComboBox* rates_;
  QSpinBox* decimals_;
  QComboBox* outputRates_;
  QCheckBox* limits_;
  QGroupBox* options_;
  QLabel* groupsLabel_;
  QPushButton* optionsButton_;
  QPushButton* close_;
  bool plain_ = false;
};

}  // namespace kavrel
