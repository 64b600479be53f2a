#pragma once

// Tables of values from delimited files as people and spreadsheets write them: with or without a
// UTF-8 byte order mark, lines ended by LF or CR LF, fields separated by commas or (where the
// decimal separator is a comma, as in most European locales) by semicolons, numbers with
// thousands separators when they are quoted. The first line holds the headings; each row keeps
// its line number for the messages that refuse it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

// How a file is written; what is not given is found from its heading line.
struct CsvDialect {
  char Separator = '\0';             // ',' or ';'; '\0': the one the heading line uses
  std::optional<bool> DecimalComma;  // unset: a decimal comma where semicolons separate
};

struct CsvRow {
  int Line = 0;  // 1 for the heading line
  std::vector<std::string> Fields;
};

class CsvTable {
 public:
  std::vector<std::string> Headings;
  std::vector<CsvRow> Rows;  // blank lines left out
  char Separator = ',';
  bool DecimalComma = false;
  // Lines that cannot be read at all (too long to be a line of values), "Line N: ...".
  std::vector<std::string> Refusals;

  // A plain decimal number in this file's notation: an optional sign, digits with the file's
  // decimal separator, thousands separators in groups of three (a period where the decimal
  // separator is a comma, else a comma), an optional exponent. Blanks around it are ignored;
  // hexadecimal, infinities and anything else give nothing.
  std::optional<double> Number(std::string_view text) const;
  // How this file writes one and a half, for messages: "1.5" or "1,5".
  std::string NumberExample() const { return DecimalComma ? "1,5" : "1.5"; }

  // The column of each heading, compared without case, blanks, dashes and underscores. Every
  // required heading must be there and every heading of the file among `required` or
  // `optional`; otherwise refusals name line 1. A missing optional heading has the column -1.
  std::vector<int> Columns(const std::vector<std::string>& required,
                           const std::vector<std::string>& optional,
                           std::vector<std::string>& refusals) const;
  // The row's field of that column, empty where the column or the field is missing.
  static std::string Field(const CsvRow& row, int column);
  // Refusals for rows with more fields than headings (beyond trailing empty fields).
  void RefuseExtraFields(std::vector<std::string>& refusals) const;
};

// The longest line a table reads; a longer one is refused with its number.
inline constexpr std::size_t kLongestCsvLine = 100000;

CsvTable ParseCsvTable(std::string_view text, const CsvDialect& dialect = {});
// Raises InOutError when the file cannot be read.
CsvTable ReadCsvTable(const std::string& path, const CsvDialect& dialect = {});

// A heading or name compared without case, blanks, dashes and underscores.
std::string SimpleName(std::string_view text);

}  // namespace kavrel
