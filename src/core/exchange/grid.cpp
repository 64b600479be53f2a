#include "core/exchange/grid.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/store/database.h"

namespace kavrel {

std::vector<std::string> ParseCsvLine(std::string_view line, char separator) {
  std::vector<std::string> fields;
  const auto blank = [](char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
  };
  std::size_t k = 0;
  const std::size_t n = line.size();
  while (k < n && blank(line[k])) ++k;
  while (k < n) {
    std::string field;
    if (line[k] == '"') {
      ++k;
      while (k < n) {
        if (line[k] == '"') {
          if (k + 1 < n && line[k + 1] == '"') {
            field += '"';
            k += 2;
            continue;
          }
          ++k;
          break;
        }
        field += line[k++];
      }
    } else {
      const std::size_t start = k;
      while (k < n && line[k] != separator && static_cast<unsigned char>(line[k]) >= 32) ++k;
      field = std::string(line.substr(start, k - start));
      field.erase(0, field.find_first_not_of(' '));
      field.erase(field.find_last_not_of(' ') + 1);
    }
    fields.push_back(std::move(field));
    while (k < n && blank(line[k])) ++k;
    if (k < n && line[k] == separator) {
      // The next field begins; a comma right after gives an empty one, a comma at the end none.
      ++k;
      while (k < n && blank(line[k])) ++k;
    } else if (k < n) {
      ++k;  // a stray character below code 32 ends the field
    }
  }
  return fields;
}

std::vector<std::vector<std::string>> ReadCsvFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InOutError("Cannot read " + path);
  std::vector<std::vector<std::string>> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(ParseCsvLine(line));
  }
  return lines;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) line += ',';
    line += '"';
    for (char c : fields[k]) {
      line += c;
      if (c == '"') line += '"';
    }
    line += '"';
  }
  return line + "\r\n";
}

namespace {

// What replacing path means: the file a symbolic link points to, or the path itself; whether it
// is written through (a pipe, a device) instead of replaced. Refuses a read-only file.
struct ReplaceTarget {
  std::filesystem::path Path;
  bool Through = false;
};

ReplaceTarget TargetOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  ReplaceTarget target{path, false};
  if (fs::is_symlink(fs::symlink_status(path, error))) {
    target.Path = fs::weakly_canonical(path, error);
    if (error) throw InOutError("Cannot write " + path + ": the link leads nowhere");
  }
  const fs::file_status status = fs::status(target.Path, error);
  if (!fs::exists(status)) return target;
  if (!fs::is_regular_file(status)) {
    if (fs::is_directory(status)) throw InOutError("Cannot write " + path + ": it is a folder");
    target.Through = true;
    return target;
  }
  // The user's own protection, also for a program run as the superuser.
  const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & writable) == fs::perms::none) {
    throw InOutError(path + " is read-only: it was not replaced");
  }
  return target;
}

void WriteThrough(const std::filesystem::path& target, const std::string& path,
                  const std::string& text) {
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) throw InOutError("Cannot write " + path);
  out << text;
  out.flush();
  out.close();
  if (!out) throw InOutError("Cannot write " + path + ": it did not take the whole text");
}

}  // namespace

void WriteTextFile(const std::string& path, const std::string& text) {
  const ReplaceTarget target = TargetOf(path);
  if (target.Through) {
    WriteThrough(target.Path, path, text);
    return;
  }
  const std::string temporary = target.Path.string() + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw InOutError("Cannot create " + path);
    out << text;
    out.flush();
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw InOutError("Cannot write " + path);
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target.Path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw InOutError("Cannot write " + path);
  }
}

void PutFileInPlace(const std::string& temporary, const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  struct RemoveTemporary {
    const std::string& file;
    ~RemoveTemporary() {
      std::error_code ignored;
      fs::remove(file, ignored);
    }
  } removeTemporary{temporary};
  const ReplaceTarget target = TargetOf(path);
  if (!target.Through) {
    fs::rename(temporary, target.Path, error);
    if (!error) return;
  }
  // A pipe or a device, or a link to another file system: the bytes are copied in.
  std::ifstream in(temporary, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in && !in.eof()) throw InOutError("Cannot write " + path);
  WriteThrough(target.Path, path, bytes.str());
}

void WriteGridCsv(const TextGrid& grid, const std::string& path) {
  std::string text;
  for (int r = 1; r < grid.RowCount(); ++r) {
    std::vector<std::string> fields;
    for (int c = 1; c < grid.ColumnCount(); ++c) fields.push_back(grid.Cell(c, r));
    text += CsvLine(fields);
  }
  WriteTextFile(path, text);
}

std::string OverwriteFileQuestion(const std::string& path) {
  return "File " + std::filesystem::path(path).filename().string() +
         " already exists. Do you want to overwrite it?";
}

bool SaveGridAsText(const TextGrid& grid, UserDialogs& dialogs) {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kSave;
  request.defaultExtension = "csv";
  request.filter = "Comma delimited files (*.csv)|*.csv";
  const auto path = dialogs.ChooseFile(request);
  if (!path) return false;
  if (std::filesystem::exists(*path) &&
      dialogs.Message(OverwriteFileQuestion(*path), DialogKind::kConfirmation,
                      DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  WriteGridCsv(grid, *path);
  return true;
}

std::string StorageGrid::ColumnName(int column) {
  const int n = column - 1;
  std::string name;
  if (n / 26 == 0) {
    name += static_cast<char>(65 + n % 26);
  } else {
    name += static_cast<char>(64 + n / 26);
    name += static_cast<char>(65 + n % 26);
  }
  return name;
}

void StorageGrid::Renumber() {
  for (int c = 1; c < Grid.ColumnCount(); ++c) Grid.SetCell(c, 0, ColumnName(c));
  for (int r = 1; r < Grid.RowCount(); ++r) Grid.SetCell(0, r, std::to_string(r));
}

void StorageGrid::Clear() {
  Grid = TextGrid(2, 2);
  Caption = "Storage grid";
  Renumber();
}

bool StorageGrid::ReceiveGrid(const TextGrid& source, bool sideBySide,
                              const std::vector<std::string>& headerLines, bool newContent,
                              UserDialogs& dialogs) {
  Caption = "Storage grid";
  if (newContent && !Empty()) {
    const DialogButton answer =
        dialogs.Message(kStorageNotEmptyQuestion, DialogKind::kConfirmation,
                        DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
    if (answer == DialogButton::kCancel) return false;
    if (answer == DialogButton::kNo) newContent = false;
  }
  int startColumn = 1;
  int startRow = 1;
  if (newContent) {
    Grid.ClearCells();
  } else if (sideBySide) {
    startColumn = Grid.ColumnCount() + 1;
  } else {
    startRow = Grid.RowCount() + 1;
  }
  const int headers = static_cast<int>(headerLines.size());
  Grid.Resize(std::max(Grid.ColumnCount(), startColumn + source.ColumnCount()),
              std::max(Grid.RowCount(), startRow + headers + source.RowCount()));
  for (int k = 0; k < headers; ++k) Grid.SetCell(startColumn, startRow + k, headerLines[k]);
  for (int r = 0; r < source.RowCount(); ++r) {
    for (int c = 0; c < source.ColumnCount(); ++c) {
      Grid.SetCell(startColumn + c, startRow + headers + r, source.Cell(c, r));
    }
  }
  Renumber();
  return true;
}

bool StorageGrid::ReadFile(UserDialogs& dialogs) {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kOpen;
  request.filter = "*.csv|*.csv";
  request.defaultExtension = "csv";
  const auto path = dialogs.ChooseFile(request);
  if (!path) {
    FileWasRead = false;
    return false;
  }
  ReadFile(*path);
  return true;
}

void StorageGrid::ReadFile(const std::string& path) {
  const auto lines = ReadCsvFile(path);
  FileWasRead = true;
  Grid = TextGrid(2, 2);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    for (std::size_t f = 0; f < lines[k].size(); ++f) {
      Grid.SetCell(static_cast<int>(f) + 1, static_cast<int>(k) + 1, lines[k][f]);
    }
  }
  Renumber();
  Caption = "File: " + std::filesystem::absolute(path).string();
}

}  // namespace kavrel
