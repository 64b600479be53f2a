#pragma once

// Grids of text cells as the editing windows, the result tables and the storage grid hold them,
// and the four grid operations they share through the clipboard.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

class UserDialogs;

inline constexpr std::string_view kInvalidCellMessage =
    "This cell does not contain a valid number. Please correct and save again.";
inline constexpr std::string_view kClipboardTooLargeMessage = "Clipboard too large to paste here";
inline constexpr std::string_view kDestroyInputQuestion =
    "This will destroy the current input data.\r\nDo you want to store it first?";
inline constexpr std::string_view kStorageNotEmptyQuestion =
    "The storage window already contains data.\r\nChoose Yes to overwrite.\r\nChoose No to "
    "append.\r\nOr Cancel to do neither";

class TextGrid {
 public:
  TextGrid(int columns = 2, int rows = 2) { Resize(columns, rows); }

  int ColumnCount() const { return columns_; }
  int RowCount() const { return static_cast<int>(cells_.size()); }
  // Cells outside the grid read as empty.
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string text);
  // Keeps what fits.
  void Resize(int columns, int rows);
  void ClearCells();
  // Empties the value cells, from the first column and row on; headings and labels stay.
  void ClearValues(int firstColumn = 1, int firstRow = 1);
  // The same texts in the same cells (current cell and selection aside).
  bool SameCells(const TextGrid& other) const {
    return columns_ == other.columns_ && cells_ == other.cells_;
  }

  bool Enabled = true;
  int CurrentColumn = 1;
  int CurrentRow = 1;
  // The selection, both corners included.
  int SelectionLeft = 1, SelectionTop = 1, SelectionRight = 1, SelectionBottom = 1;
  void Select(int left, int top, int right, int bottom) {
    SelectionLeft = left;
    SelectionTop = top;
    SelectionRight = right;
    SelectionBottom = bottom;
  }

 private:
  int columns_ = 0;
  std::vector<std::vector<std::string>> cells_;  // by row
};

// A number as a cell holds it, with the locale's decimal separator; nothing for other text.
std::optional<double> ReadCellNumber(std::string_view text, char decimalSeparator);

// A number as a spreadsheet or another program may give it, in the form the cells hold: thousands
// separators dropped ("1,250,000" where the decimal separator is a point, "1.250.000" or
// "1 250 000" where it is a comma) and a decimal written with the other separator ("12,5" where
// it is a point) read as such. Text that is no number in either form stays as it is, to be
// refused by name when the grid is saved.
std::string NormalNumberText(std::string_view text, char decimalSeparator);

// Where a cell is, for a refusal: "Men, row 3 (Age 10-14), column Value".
std::string CellPlace(const TextGrid& grid, std::string_view gridName, int column, int row);

// Every cell of a labelled row (column 0 not empty), from the first column and row on, must be a
// number; the first that is not becomes the current cell and the user is told which it is
// (`gridName` names the grid in the message when there are more). A disabled grid is valid.
// lastColumn: the last column checked (-1: every column).
bool ValidateGrid(TextGrid& grid, int firstColumn, int firstRow, UserDialogs& dialogs,
                  char decimalSeparator, std::string_view gridName = {}, int lastColumn = -1);
// Pastes tab-separated clipboard text at the current cell. Without growing, a block that does
// not fit is refused with a message. False when nothing was pasted. With a decimal separator
// given, pasted numbers are taken in the cells' form (NormalNumberText).
bool PasteIntoGrid(TextGrid& grid, std::string_view clipboard, bool mayGrow, UserDialogs& dialogs,
                   char decimalSeparator = 0);
// The selection as clipboard text: cells separated by tabs, rows ended by CR LF.
std::string CopyGridSelection(const TextGrid& grid);
// The whole grid as clipboard text, for a spreadsheet: tab-separated cells, rows ended by CR LF;
// a heading cell of two lines ("Output\nIncidence (hazard)") gives two heading rows.
std::string CopyWholeGrid(const TextGrid& grid);
// Copies, then sets every selected cell to "0".
std::string CutGridSelection(TextGrid& grid);

// Where a window sends a grid for the storage grid: the grid, whether it goes beside what is
// there, the header lines above it and whether it replaces the content. False when the user
// cancelled. The window that owns the storage grid supplies it, so that no other window needs to
// know the storage grid.
using GridReceiver =
    std::function<bool(const TextGrid& source, bool sideBySide,
                       const std::vector<std::string>& headerLines, bool newContent)>;

}  // namespace kavrel
