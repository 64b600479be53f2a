#pragma once

// A result table window: rows by age group, the input and output columns of one disease and
// sex, as rates (per 1 ... 1,000,000) or numbers of persons.

#include <functional>
#include <memory>
#include <string>

#include <QWidget>

#include "core/exchange/grid.h"
#include "core/results/result_table.h"

class QCheckBox;
class QPrinter;
class QComboBox;
class QSpinBox;
class QTableView;

namespace kavrel {

class TextGridModel;
struct ViewOptionsState;

class TTableForm final : public QWidget {
  Q_OBJECT
 public:
  // Builds the table for the chosen display: numbers or rates, decimals, "Rates per:" item.
  using Builder = std::function<TableText(bool numbers, int decimals, int ratesIndex)>;

  // view: the rates, decimals and numbers the table starts from (defaults when null).
  TTableForm(std::string title, Builder builder, QWidget* parent = nullptr,
             const ViewOptionsState* view = nullptr);
  ~TTableForm() override;

  // Builds the table again from the disease (after a calculation or a change of inputs).
  void Recompute();
  // A new base caption (another disease), then Recompute.
  void SetTitle(std::string title);
  // "&Print": the caption, then the table in columns, as many pages as it needs.
  void PrintTable(QPrinter& printer);
  void Print();
  // Ctrl+C and the pop-up "Copy": the selected cells, or the whole table with its headings when
  // no more than one cell is selected, as tab-separated text a spreadsheet pastes into cells.
  void Copy();

  QTableView* View() const { return view_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  QCheckBox* Numbers() const { return numbers_; }
  QComboBox* RatesPer() const { return rates_; }
  const TextGrid& Grid() const { return grid_; }

 private:
  std::string title_;
  Builder builder_;
  TextGrid grid_{2, 2};
  TextGridModel* model_;
  QTableView* view_;
  QCheckBox* numbers_;
  QComboBox* rates_;
  QSpinBox* decimals_;
};

}  // namespace kavrel
