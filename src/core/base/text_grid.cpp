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

namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "1,250,000" with ',' as the group separator: the groups after the first have three digits.
std::optional<std::string> WithoutGroups(std::string_view number, std::string_view group) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const auto at = number.find(group, start);
    parts.push_back(number.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) break;
    start = at + group.size();
  }
  // "0,125" is a decimal, never a thousand and something.
  if (parts.size() < 2 || !AllDigits(parts.front()) || parts.front().size() > 3 ||
      parts.front().front() == '0') {
    return std::nullopt;
  }
  std::string joined(parts.front());
  for (std::size_t k = 1; k < parts.size(); ++k) {
    if (parts[k].size() != 3 || !AllDigits(parts[k])) return std::nullopt;
    joined += parts[k];
  }
  return joined;
}

}  // namespace

std::string NormalNumberText(std::string_view text, char decimalSeparator) {
  std::string plain(text);
  plain.erase(0, plain.find_first_not_of(' '));
  plain.erase(plain.find_last_not_of(' ') + 1);
  if (plain.empty() || ReadCellNumber(plain, decimalSeparator)) return std::string(text);
  const char other = decimalSeparator == ',' ? '.' : ',';
  std::string sign;
  if (plain.front() == '-' || plain.front() == '+') {
    sign = plain.substr(0, 1);
    plain.erase(0, 1);
  }
  // The integer part and the fraction with the cells' separator.
  const auto point = plain.find(decimalSeparator);
  const std::string whole = plain.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : plain.substr(point);
  for (const std::string_view group :
       {std::string_view(&other, 1), std::string_view(" "), std::string_view("\xc2\xa0")}) {
    if (const auto joined = WithoutGroups(whole, group)) {
      const std::string candidate = sign + *joined + fraction;
      if (ReadCellNumber(candidate, decimalSeparator)) return candidate;
    }
  }
  // One other separator and no own one: a decimal written the other way.
  if (point == std::string::npos && std::count(plain.begin(), plain.end(), other) == 1) {
    std::string candidate = sign + plain;
    std::replace(candidate.begin(), candidate.end(), other, decimalSeparator);
    if (ReadCellNumber(candidate, decimalSeparator)) return candidate;
  }
  return std::string(text);
}

std::string CellPlace(const TextGrid& grid, std::string_view gridName, int column, int row) {
  std::string place;
  if (!gridName.empty()) place = std::string(gridName) + ", ";
  place += "row " + std::to_string(row);
  if (const std::string& label = grid.Cell(0, row); !label.empty() && column > 0) {
    const std::string& heading = grid.Cell(0, 0);
    place += " (" + (heading.empty() ? label : heading + " " + label) + ")";
  }
  const std::string& heading = grid.Cell(column, 0);
  return place + ", column " + (heading.empty() ? std::to_string(column) : heading);
}

bool ValidateGrid(TextGrid& grid, int firstColumn, int firstRow, UserDialogs& dialogs,
                  char decimalSeparator, std::string_view gridName, int lastColumn) {
  if (!grid.Enabled) return true;
  const int end =
      lastColumn < 0 ? grid.ColumnCount() : std::min(lastColumn + 1, grid.ColumnCount());
  for (int r = firstRow; r < grid.RowCount(); ++r) {
    if (grid.Cell(0, r).empty()) continue;
    for (int c = firstColumn; c < end; ++c) {
      const std::string& text = grid.Cell(c, r);
      if (ReadCellNumber(text, decimalSeparator)) continue;
      grid.CurrentColumn = c;
      grid.CurrentRow = r;
      grid.Select(c, r, c, r);
      std::string message = std::string(kInvalidCellMessage) + "\r\n" +
                            CellPlace(grid, gridName, c, r) + ": " +
                            (text.empty() ? std::string("empty") : "\"" + text + "\"");
      const char other = decimalSeparator == ',' ? '.' : ',';
      if (text.find(other) != std::string::npos) {
        message += std::string("\r\nNumbers are written here with a ") +
                   (decimalSeparator == ',' ? "comma" : "point") + " before the decimals.";
      }
      dialogs.ShowError(message);
      return false;
    }
  }
  return true;
}

bool PasteIntoGrid(TextGrid& grid, std::string_view clipboard, bool mayGrow, UserDialogs& dialogs,
                   char decimalSeparator) {
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
      const std::string_view text = clipboard.substr(k, stop - k);
      grid.SetCell(
          grid.CurrentColumn + c, grid.CurrentRow + r,
          decimalSeparator != 0 ? NormalNumberText(text, decimalSeparator) : std::string(text));
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

std::string CopyWholeGrid(const TextGrid& grid) {
  std::string text;
  const auto line = [&](int row, int part) {
    for (int c = 0; c < grid.ColumnCount(); ++c) {
      std::string cell = grid.Cell(c, row);
      if (row == 0) {
        // Heading cells of one line stand in the lower heading row.
        const auto split = cell.find('\n');
        if (split == std::string::npos) {
          cell = part == 0 ? std::string() : cell;
        } else {
          cell = part == 0 ? cell.substr(0, split) : cell.substr(split + 1);
        }
      }
      if (c > 0) text += '\t';
      text += cell;
    }
    text += "\r\n";
  };
  bool twoLines = false;
  for (int c = 0; c < grid.ColumnCount(); ++c)
    twoLines |= grid.Cell(c, 0).find('\n') != std::string::npos;
  if (twoLines) line(0, 0);
  line(0, 1);
  for (int r = 1; r < grid.RowCount(); ++r) line(r, 1);
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
