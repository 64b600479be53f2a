#pragma once

// A table model over a core text grid: row 0 of the grid gives the column headings; column 0 is
// either shown as the first column (input grids: the age labels) or as the row headings (the
// storage grid: row numbers). Value columns may be shown as numbers with a number of decimals in
// the user's locale; editing always sees the stored text.

#include <QAbstractTableModel>

class QTableView;

namespace kavrel {

class TextGrid;
class UserDialogs;

class TextGridModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Layout {
    bool LabelsAsRowHeadings = false;  // column 0 as the vertical header
    bool Editable = true;              // the value cells; the label column never is
    int FirstNumericColumn = 1;        // grid column from which cells are shown as numbers
    char DecimalSeparator = '.';       // as the cells hold numbers
    bool Thousands = true;             // thousands separators in shown numbers
    bool Reformat = true;              // false: numbers come formatted, shown as they are
    int FirstEditableColumn = 1;       // grid columns before it are read only
    // Grid columns of counts (none when the first is 0): a whole number there is shown without
    // decimals.
    int FirstCountColumn = 0;
    int LastCountColumn = 0;
  };

  TextGridModel(TextGrid& grid, Layout layout, QObject* parent = nullptr);

  // Call after the core changed the grid.
  void Reload();
  void SetDecimals(int decimals);
  void SetEditable(bool editable) { layout_.Editable = editable; }
  // The grid column of a view column and back.
  int GridColumn(int viewColumn) const {
    return viewColumn + (layout_.LabelsAsRowHeadings ? 1 : 0);
  }
  int ViewColumn(int gridColumn) const {
    return gridColumn - (layout_.LabelsAsRowHeadings ? 1 : 0);
  }
  TextGrid& Grid() { return grid_; }
  char DecimalSeparator() const { return layout_.DecimalSeparator; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // A cell the user typed (not a reload or a change of decimals).
  void CellEdited();

 private:
  TextGrid& grid_;
  Layout layout_;
  int decimals_ = 4;
};

// The view's current cell and selection into the core grid, as the clipboard operations read
// them.
void TakeSelection(const QTableView& view, TextGridModel& model);
// Ctrl+C, Ctrl+X and Ctrl+V on a grid view through the system clipboard. The paste grows the grid
// only where `mayGrow`; a block that does not fit otherwise gets the refusal message.
void CopyFromView(const QTableView& view, TextGridModel& model);
void CutFromView(const QTableView& view, TextGridModel& model);
// True when something was pasted.
bool PasteIntoView(const QTableView& view, TextGridModel& model, bool mayGrow,
                   UserDialogs& dialogs);

}  // namespace kavrel
