#include "core/base/text_grid.h"

#include <algorithm>

#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"

namespace kavrel {

const std::string& TextGrid::Cell(int column, int row) const {
  static const std::string kEmpty;
  if (row < 0 || row >= RowCount() || column < 0 || column >= columns_) return kEmpty;
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void TextGrid::SetCell(int column, int row, std::string text) {
  if (row < 0 || column < 0) return;
  if (row >= RowCount() || column >= columns_) {
    Resize(std::max(columns_, column + 1), std::max(RowCount(), row + 1));
  }
  cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

void TextGrid::Resize(int columns, int rows) {
  columns_ = std::max(columns, 0);
  cells_.resize(static_cast<std::size_t>(std::max(rows, 0)));
  for (auto& row : cells_) row.resize(static_cast<std::size_t>(columns_));
}

void TextGrid::ClearCells() {
  for (auto& row : cells_) std::fill(row.begin(), row.end(), std::string());
}

void TextGrid::ClearValues(int firstColumn, int firstRow) {
  for (int r = std::max(firstRow, 0); r < RowCount(); ++r) {
    for (int c = std::max(firstColumn, 0); c < columns_; ++c) {
      cells_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)].clear();
    }
  }
}

std::optional<double> ReadCellNumber(std::string_view text, char decimalSeparator) {
  return ReadNumberText(text, decimalSeparator);
}

bool ValidateGrid(TextGrid& grid, int firstColumn, int firstRow, UserDialogs& dialogs,
                  char decimalSeparator) {
  if (!grid.Enabled) return true;
  for (int c = firstColumn; c < grid.ColumnCount(); ++c) {
    for (int r = firstRow; r < grid.RowCount(); ++r) {
      if (grid.Cell(0, r).empty()) continue;
      if (!ReadCellNumber(grid.Cell(c, r), decimalSeparator)) {
        grid.CurrentColumn = c;
        grid.CurrentRow = r;
        dialogs.ShowError(kInvalidCellMessage);
        return false;
      }
    }
  }
  return true;
}

bool PasteIntoGrid(TextGrid& grid, std::string_view clipboard, bool mayGrow, UserDialogs& dialogs) {
  if (clipboard.empty()) return false;
  const int rows =
      std::max<int>(1, static_cast<int>(std::count(clipboard.begin(), clipboard.end(), '\r')));
  const auto firstLineEnd = clipboard.find('\r');
  const std::string_view firstLine = clipboard.substr(0, firstLineEnd);
  const int columns = 1 + static_cast<int>(std::count(firstLine.begin(), firstLine.end(), '\t'));
  const int lastColumn = grid.CurrentColumn + columns - 1;
  const int lastRow = grid.CurrentRow + rows - 1;
  if (lastColumn >= grid.ColumnCount() || lastRow >= grid.RowCount()) {
    if (!mayGrow) {
      dialogs.ShowError(kClipboardTooLargeMessage);
      return false;
    }
    grid.Resize(std::max(grid.ColumnCount(), lastColumn + 1),
                std::max(grid.RowCount(), lastRow + 1));
  }
  std::size_t k = 0;
  for (int r = 0; r < rows && k <= clipboard.size(); ++r) {
    for (int c = 0; c < columns; ++c) {
      const auto end = clipboard.find_first_of("\t\r", k);
      const std::size_t stop = end == std::string_view::npos ? clipboard.size() : end;
      grid.SetCell(grid.CurrentColumn + c, grid.CurrentRow + r,
                   std::string(clipboard.substr(k, stop - k)));
      if (end == std::string_view::npos) {
        k = clipboard.size() + 1;
        break;
      }
      if (clipboard[end] == '\t') {
        k = end + 1;
      } else {
        k = end + 2;  // past the line feed
        break;
      }
    }
  }
  return true;
}

std::string CopyGridSelection(const TextGrid& grid) {
  std::string text;
  for (int r = grid.SelectionTop; r <= grid.SelectionBottom; ++r) {
    for (int c = grid.SelectionLeft; c < grid.SelectionRight; ++c) text += grid.Cell(c, r) + "\t";
    text += grid.Cell(grid.SelectionRight, r) + "\r\n";
  }
  return text;
}

std::string CutGridSelection(TextGrid& grid) {
  std::string text = CopyGridSelection(grid);
  for (int r = grid.SelectionTop; r <= grid.SelectionBottom; ++r) {
    for (int c = grid.SelectionLeft; c <= grid.SelectionRight; ++c) grid.SetCell(c, r, "0");
  }
  return text;
}

}  // namespace kavrel
