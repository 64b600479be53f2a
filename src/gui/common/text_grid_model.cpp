#include "gui/common/text_grid_model.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLocale>
#include <QTableView>

#include "core/exchange/grid.h"

namespace kavrel {

TextGridModel::TextGridModel(TextGrid& grid, Layout layout, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), layout_(layout) {}

void TextGridModel::Reload() {
  beginResetModel();
  endResetModel();
}

void TextGridModel::SetDecimals(int decimals) {
  decimals_ = decimals;
  if (rowCount() > 0 && columnCount() > 0) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
  }
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, grid_.RowCount() - 1);
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, ViewColumn(grid_.ColumnCount()));
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int column = GridColumn(index.column());
  const std::string& text = grid_.Cell(column, index.row() + 1);
  if (role == Qt::EditRole) return QString::fromStdString(text);
  if (role == Qt::TextAlignmentRole) {
    // Numbers to the right, text (age labels, header lines) to the left.
    const bool number = column >= layout_.FirstNumericColumn &&
                        ReadCellNumber(text, layout_.DecimalSeparator).has_value();
    return number ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                  : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole) return {};
  if (column >= layout_.FirstNumericColumn && layout_.Reformat) {
    // Numbers with thousands separators and the chosen decimals; other text as it is.
    if (const auto value = ReadCellNumber(text, layout_.DecimalSeparator)) {
      QLocale locale;
      if (!layout_.Thousands) locale.setNumberOptions(QLocale::OmitGroupSeparator);
      const bool count = layout_.FirstCountColumn > 0 && column >= layout_.FirstCountColumn &&
                         column <= layout_.LastCountColumn && *value == std::floor(*value);
      return locale.toString(*value, 'f', count ? 0 : decimals_);
    }
  }
  return QString::fromStdString(text);
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
    return false;
  }
  // A number typed the way another program writes it is kept in the cells' form.
  const int column = GridColumn(index.column());
  std::string text = value.toString().toStdString();
  if (column >= layout_.FirstNumericColumn) text = NormalNumberText(text, layout_.DecimalSeparator);
  grid_.SetCell(column, index.row() + 1, std::move(text));
  emit dataChanged(index, index);
  emit CellEdited();
  return true;
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    return QString::fromStdString(grid_.Cell(GridColumn(section), 0));
  }
  if (layout_.LabelsAsRowHeadings) return QString::fromStdString(grid_.Cell(0, section + 1));
  return {};
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsSelectable;
  if (grid_.Enabled) result |= Qt::ItemIsEnabled;
  if (layout_.Editable && grid_.Enabled &&
      GridColumn(index.column()) >= std::max(1, layout_.FirstEditableColumn)) {
    result |= Qt::ItemIsEditable;
  }
  return result;
}

void TakeSelection(const QTableView& view, TextGridModel& model) {
  TextGrid& grid = model.Grid();
  const QModelIndex current = view.currentIndex();
  if (current.isValid()) {
    grid.CurrentColumn = model.GridColumn(current.column());
    grid.CurrentRow = current.row() + 1;
  }
  const QModelIndexList selected = view.selectionModel() != nullptr
                                       ? view.selectionModel()->selectedIndexes()
                                       : QModelIndexList{};
  if (selected.isEmpty()) {
    grid.Select(grid.CurrentColumn, grid.CurrentRow, grid.CurrentColumn, grid.CurrentRow);
    return;
  }
  int left = selected.front().column(), right = left;
  int top = selected.front().row(), bottom = top;
  for (const QModelIndex& index : selected) {
    left = std::min(left, index.column());
    right = std::max(right, index.column());
    top = std::min(top, index.row());
    bottom = std::max(bottom, index.row());
  }
  grid.Select(model.GridColumn(left), top + 1, model.GridColumn(right), bottom + 1);
}

void CopyFromView(const QTableView& view, TextGridModel& model) {
  TakeSelection(view, model);
  QApplication::clipboard()->setText(QString::fromStdString(CopyGridSelection(model.Grid())));
}

void CutFromView(const QTableView& view, TextGridModel& model) {
  TakeSelection(view, model);
  QApplication::clipboard()->setText(QString::fromStdString(CutGridSelection(model.Grid())));
  model.Reload();
}

bool PasteIntoView(const QTableView& view, TextGridModel& model, bool mayGrow,
                   UserDialogs& dialogs) {
  QString text = QApplication::clipboard()->text();
  if (text.isEmpty()) return false;
  // Rows end in CR LF as the grids write them; text from other programs may end rows in LF
  // alone, and may leave the last row unended, which would lose it.
  text.replace("\r\n", "\n").replace('\r', '\n');
  if (!text.endsWith('\n')) text += '\n';
  text.replace('\n', "\r\n");
  TakeSelection(view, model);
  // The editing grids take pasted numbers in their own form; the storage grid holds any text.
  if (!PasteIntoGrid(model.Grid(), text.toStdString(), mayGrow, dialogs,
                     mayGrow ? 0 : model.DecimalSeparator())) {
    return false;
  }
  model.Reload();
  return true;
}

}  // namespace kavrel
