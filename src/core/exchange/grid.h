#pragma once

// The storage grid and comma-delimited text files.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/text_grid.h"

namespace kavrel {

class UserDialogs;

// Comma-delimited files (or delimited by another separator, such as a semicolon).
std::vector<std::string> ParseCsvLine(std::string_view line, char separator = ',');
std::vector<std::vector<std::string>> ReadCsvFile(const std::string& path);
// Every field quoted, quotes doubled, fields separated by commas, lines ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);
// Writes the grid from row 1 and column 1 on; a failure raises InOutError and leaves no
// half-written file under the name.
void WriteGridCsv(const TextGrid& grid, const std::string& path);
// Writes text to path through a temporary file renamed over it: the file is either the old one or
// the whole new one. Raises InOutError when it cannot be written.
// A symbolic link stays a link: the file it points to is replaced. A named pipe or a device is
// written through, never replaced. A file the user made read-only is refused, never replaced.
void WriteTextFile(const std::string& path, const std::string& text);
// Puts a finished temporary file in the place of path as WriteTextFile does (the temporary file is
// gone afterwards, also when this raises InOutError).
void PutFileInPlace(const std::string& temporary, const std::string& path);
// The question before a spreadsheet or text file is replaced: "File NAME already exists. Do you
// want to overwrite it?" with the name without its folder.
std::string OverwriteFileQuestion(const std::string& path);
// Saves a grid as comma-delimited text: asks for the file ("csv"), asks before replacing one, then
// writes it. False when the user cancelled.
bool SaveGridAsText(const TextGrid& grid, UserDialogs& dialogs);

// The storage grid window's content.
class StorageGrid {
 public:
  StorageGrid() { Clear(); }

  TextGrid Grid;
  std::string Caption = "Storage grid";
  bool FileWasRead = false;
  int Decimals = 4;

  // Data column k (1, 2, ...) is named A ... Z, AA, AB, ...
  static std::string ColumnName(int column);
  bool Empty() const { return Grid.ColumnCount() <= 2 && Grid.RowCount() <= 2; }
  // Copies a grid with header lines above it, as new content or appended (side by side or
  // below). False when the user cancelled the question.
  bool ReceiveGrid(const TextGrid& source, bool sideBySide,
                   const std::vector<std::string>& headerLines, bool newContent,
                   UserDialogs& dialogs);
  // "&Read file": false (FileWasRead cleared) when the user cancels.
  bool ReadFile(UserDialogs& dialogs);
  void ReadFile(const std::string& path);
  void Clear();

 private:
  void Renumber();
};

}  // namespace kavrel
