#include "core/exchange/csv_table.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/base/errors.h"
#include "core/exchange/grid.h"

namespace kavrel {

namespace {

// The separator the heading line uses outside quotes: the more frequent of comma and semicolon.
char DetectSeparator(std::string_view line) {
  int commas = 0;
  int semicolons = 0;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == ',') ++commas;
    if (c == ';') ++semicolons;
  }
  return semicolons > commas ? ';' : ',';
}

bool Blank(const std::vector<std::string>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& f) {
    return f.find_first_not_of(" \t") == std::string::npos;
  });
}

bool Digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string SimpleName(std::string_view text) {
  std::string simple;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_') continue;
    simple += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return simple;
}

std::optional<double> CsvTable::Number(std::string_view text) const {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const char decimal = DecimalComma ? ',' : '.';
  const char thousands = DecimalComma ? '.' : ',';
  std::string plain;  // the number as from_chars reads it
  std::size_t k = 0;
  if (k < text.size() && (text[k] == '+' || text[k] == '-')) {
    if (text[k] == '-') plain += '-';
    ++k;
  }
  // The whole part: digits, or groups of three after a first group of one to three digits.
  const std::size_t wholeStart = k;
  while (k < text.size() && Digit(text[k])) plain += text[k++];
  const std::size_t firstGroup = k - wholeStart;
  if (k < text.size() && text[k] == thousands) {
    if (firstGroup < 1 || firstGroup > 3 || text[wholeStart] == '0') return std::nullopt;
    while (k < text.size() && text[k] == thousands) {
      ++k;
      for (int d = 0; d < 3; ++d, ++k) {
        if (k >= text.size() || !Digit(text[k])) return std::nullopt;
        plain += text[k];
      }
      if (k < text.size() && Digit(text[k])) return std::nullopt;
    }
  }
  bool digits = k > wholeStart;
  if (k < text.size() && text[k] == decimal) {
    plain += '.';
    ++k;
    const std::size_t fraction = k;
    while (k < text.size() && Digit(text[k])) plain += text[k++];
    digits = digits || k > fraction;
  }
  if (!digits) return std::nullopt;
  if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
    plain += 'e';
    ++k;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) plain += text[k++];
    const std::size_t exponent = k;
    while (k < text.size() && Digit(text[k])) plain += text[k++];
    if (k == exponent) return std::nullopt;
  }
  if (k != text.size()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::vector<int> CsvTable::Columns(const std::vector<std::string>& required,
                                   const std::vector<std::string>& optional,
                                   std::vector<std::string>& refusals) const {
  std::vector<std::string> known = required;
  known.insert(known.end(), optional.begin(), optional.end());
  std::vector<int> column(known.size(), -1);
  for (std::size_t c = 0; c < Headings.size(); ++c) {
    const std::string heading = SimpleName(Headings[c]);
    if (heading.empty()) {
      // An empty heading over empty fields (a spreadsheet's trailing separator) is nothing.
      const bool used = std::any_of(Rows.begin(), Rows.end(), [c](const CsvRow& row) {
        return !Field(row, static_cast<int>(c)).empty();
      });
      if (used) refusals.push_back("Line 1: column " + std::to_string(c + 1) + " has no heading");
      continue;
    }
    const auto found = std::find_if(known.begin(), known.end(), [&](const std::string& name) {
      return SimpleName(name) == heading;
    });
    if (found == known.end()) {
      std::string list;
      for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
      refusals.push_back("Line 1: \"" + Headings[c] + "\" is no column this file can have (" +
                         list + ")");
      continue;
    }
    const auto index = static_cast<std::size_t>(found - known.begin());
    if (column[index] >= 0) {
      refusals.push_back("Line 1: the column \"" + known[index] + "\" is named twice");
      continue;
    }
    column[index] = static_cast<int>(c);
  }
  for (std::size_t h = 0; h < required.size(); ++h) {
    if (column[h] < 0) {
      std::string hint;
      if (Headings.size() == 1 && Headings[0].find_first_of(",;") != std::string::npos) {
        hint = " (the whole line is one field: is the separator right?)";
      }
      refusals.push_back("Line 1: no column \"" + required[h] + "\" among the headings" + hint);
    }
  }
  return column;
}

std::string CsvTable::Field(const CsvRow& row, int column) {
  if (column < 0 || column >= static_cast<int>(row.Fields.size())) return {};
  return row.Fields[static_cast<std::size_t>(column)];
}

void CsvTable::RefuseExtraFields(std::vector<std::string>& refusals) const {
  for (const CsvRow& row : Rows) {
    for (std::size_t c = Headings.size(); c < row.Fields.size(); ++c) {
      if (row.Fields[c].find_first_not_of(" \t") == std::string::npos) continue;
      refusals.push_back("Line " + std::to_string(row.Line) + ": " +
                         std::to_string(row.Fields.size()) + " fields, but the headings name " +
                         std::to_string(Headings.size()) +
                         (Separator == ',' && !DecimalComma
                              ? " (a number with a decimal comma must be quoted, or the file "
                                "separated by semicolons)"
                              : ""));
      break;
    }
  }
}

CsvTable ParseCsvTable(std::string_view text, const CsvDialect& dialect) {
  CsvTable table;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  bool first = true;
  int line = 0;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view content = text.substr(begin, end - begin);
    begin = end + 1;
    ++line;
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    if (content.size() > kLongestCsvLine) {
      table.Refusals.push_back("Line " + std::to_string(line) + ": longer than " +
                               std::to_string(kLongestCsvLine) +
                               " characters; this is not a file of values");
      if (first) return table;
      continue;
    }
    if (first) {
      table.Separator = dialect.Separator != '\0' ? dialect.Separator : DetectSeparator(content);
      table.DecimalComma = dialect.DecimalComma.value_or(table.Separator == ';');
      table.Headings = ParseCsvLine(content, table.Separator);
      first = false;
      continue;
    }
    std::vector<std::string> fields = ParseCsvLine(content, table.Separator);
    if (Blank(fields)) continue;
    table.Rows.push_back(CsvRow{line, std::move(fields)});
  }
  return table;
}

CsvTable ReadCsvTable(const std::string& path, const CsvDialect& dialect) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InOutError("Cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw InOutError("Cannot read " + path);
  return ParseCsvTable(text.str(), dialect);
}

}  // namespace kavrel
