#include "core/exchange/pasted_block.h"

#include <algorithm>
#include <cctype>

#include "core/base/text_grid.h"
#include "core/base/vocabulary.h"

namespace kavrel {

namespace {

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\"");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\"");
  return std::string(text.substr(first, last - first + 1));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The leading whole number of text from `at` on, moving `at` past it.
std::optional<int> WholeNumber(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  int value = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 4) {
    value = 10 * value + (text[at] - '0');
    ++at;
  }
  if (at == start || (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))) {
    return std::nullopt;
  }
  return value;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
  while (at < text.size() && text[at] == ' ') ++at;
}

bool IsWomen(const std::string& heading) {
  const std::string h = Lower(heading);
  return h.starts_with("wom") || h.starts_with("fem") || h == "f" || h.starts_with("vrouw");
}

bool IsMen(const std::string& heading) {
  const std::string h = Lower(heading);
  return h.starts_with("men") || h.starts_with("male") || h == "m" || h.starts_with("man");
}

std::string GroupsText(const std::vector<AgeSpan>& groups, int maxAge) {
  std::string text;
  for (std::size_t k = 0; k < groups.size() && k < 8; ++k) {
    if (k > 0) text += ", ";
    text += GroupLabel(groups[k].Lage, groups[k].Hage, maxAge);
  }
  if (groups.size() > 8) text += ", ...";
  return text;
}

}  // namespace

std::optional<AgeSpan> ReadAgeLabel(std::string_view label, int maxAge) {
  const std::string text = Lower(Trimmed(label));
  std::size_t at = 0;
  const auto low = WholeNumber(text, at);
  if (!low) return std::nullopt;
  SkipBlanks(text, at);
  if (at == text.size()) return AgeSpan{*low, *low + 1};
  const std::string_view rest = std::string_view(text).substr(at);
  if (rest == "+" || rest == "and over" || rest == "and older" || rest == "or older" ||
      rest == "+ years") {
    return AgeSpan{*low, maxAge + 1};
  }
  // "-", the en dash and "to" between the two ends.
  for (std::string_view between :
       {std::string_view("-"), std::string_view("\xe2\x80\x93"), std::string_view("to")}) {
    if (!rest.starts_with(between)) continue;
    at += between.size();
    SkipBlanks(text, at);
    const auto high = WholeNumber(text, at);
    SkipBlanks(text, at);
    const std::string_view tail = std::string_view(text).substr(at);
    if (!high || *high < *low || !(tail.empty() || tail == "years" || tail == "yr")) {
      return std::nullopt;
    }
    return AgeSpan{*low, std::min(*high + 1, maxAge + 1)};
  }
  return std::nullopt;
}

std::variant<PastedBlock, std::string> ReadPastedBlock(std::string_view clipboard,
                                                       const std::vector<AgeSpan>& groups,
                                                       int maxAge, char decimalSeparator) {
  // Rows of cells; the empty rows at the end (a spreadsheet ends the last row too) go.
  std::vector<std::vector<std::string>> rows;
  std::size_t k = 0;
  while (k <= clipboard.size()) {
    auto end = clipboard.find('\n', k);
    if (end == std::string_view::npos) end = clipboard.size();
    std::string_view line = clipboard.substr(k, end - k);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string> cells;
    std::size_t c = 0;
    while (true) {
      const auto tab = line.find('\t', c);
      cells.push_back(Trimmed(line.substr(c, tab == std::string_view::npos ? tab : tab - c)));
      if (tab == std::string_view::npos) break;
      c = tab + 1;
    }
    rows.push_back(std::move(cells));
    k = end + 1;
  }
  while (!rows.empty() && std::all_of(rows.back().begin(), rows.back().end(),
                                      [](const std::string& cell) { return cell.empty(); })) {
    rows.pop_back();
  }
  if (rows.empty()) return std::string("There is nothing to paste.");

  PastedBlock block;
  const auto isNumber = [&](const std::string& cell) {
    return ReadCellNumber(NormalNumberText(cell, decimalSeparator), decimalSeparator).has_value();
  };
  // A grid without groups takes those of the labels, in their order.
  const bool newGroups = std::none_of(groups.begin(), groups.end(),
                                      [](const AgeSpan& group) { return group.Hage > 0; });
  const auto groupRow = [&](const std::string& cell) -> int {
    const auto span = ReadAgeLabel(cell, maxAge);
    if (!span) return 0;
    if (newGroups) return static_cast<int>(block.Spans.size()) + 1;
    for (std::size_t g = 0; g < groups.size(); ++g) {
      if (groups[g].Lage == span->Lage && groups[g].Hage == span->Hage) {
        return static_cast<int>(g) + 1;
      }
    }
    return -1;
  };

  // A row of headings: no number in it at all ("Age", "Men", "Women").
  std::vector<std::string> headings;
  if (rows.size() > 1 && std::none_of(rows.front().begin(), rows.front().end(), isNumber)) {
    headings = rows.front();
    rows.erase(rows.begin());
  }
  const std::size_t width = rows.front().size();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].size() != width) {
      return "Line " + std::to_string(r + 1 + (headings.empty() ? 0 : 1)) +
             " of the pasted text has " + std::to_string(rows[r].size()) +
             (rows[r].size() == 1 ? " cell" : " cells") + " where the first has " +
             std::to_string(width) + ". Nothing was pasted.";
    }
  }
  // Age labels: a first column that reads as ages and is not simply values (a block of one
  // column is always values; whole numbers count as ages only when they are the grid's groups).
  bool labels = width >= 2;
  for (const auto& row : rows) {
    if (!labels) break;
    if (!ReadAgeLabel(row.front(), maxAge)) labels = false;
  }
  if (labels && std::all_of(rows.begin(), rows.end(),
                            [&](const auto& row) { return isNumber(row.front()); })) {
    labels = std::all_of(rows.begin(), rows.end(),
                         [&](const auto& row) { return groupRow(row.front()) > 0; });
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    auto& row = rows[r];
    if (labels) {
      const int target = groupRow(row.front());
      if (target <= 0) {
        return "Line " + std::to_string(r + 1 + (headings.empty() ? 0 : 1)) +
               " of the pasted text is for ages " + row.front() +
               ", which is not one of this grid's age groups (" + GroupsText(groups, maxAge) +
               "). Nothing was pasted.";
      }
      if (std::find(block.GridRows.begin(), block.GridRows.end(), target) != block.GridRows.end()) {
        return "The age group " + row.front() +
               " appears twice in the pasted text. Nothing was "
               "pasted.";
      }
      block.GridRows.push_back(target);
      if (newGroups) block.Spans.push_back(*ReadAgeLabel(row.front(), maxAge));
      row.erase(row.begin());
    }
    for (auto& cell : row) cell = NormalNumberText(cell, decimalSeparator);
    block.Values.push_back(std::move(row));
  }
  if (newGroups && labels) {
    std::vector<AgeSpan> spans = block.Spans;
    if (auto refusal = CheckAgeGroups(spans, maxAge, "The age groups of the pasted text")) {
      return *refusal + " Nothing was pasted.";
    }
  }
  const std::size_t first = labels ? 1 : 0;
  if (headings.size() >= first + 2) {
    block.WomenFirst = IsWomen(headings[first]) && IsMen(headings[first + 1]);
  }
  return block;
}

std::vector<AgeSpan> GridAgeGroups(const TextGrid& grid, int maxAge) {
  std::vector<AgeSpan> groups;
  for (int row = 1; row < grid.RowCount(); ++row) {
    groups.push_back(ReadAgeLabel(grid.Cell(0, row), maxAge).value_or(AgeSpan{-1, -1}));
  }
  return groups;
}

std::optional<std::string> PlaceBlockColumn(const PastedBlock& block, int from, TextGrid& grid,
                                            int column) {
  const int rows = static_cast<int>(block.Values.size());
  if (block.GridRows.empty()) {
    const int start = std::max(grid.CurrentRow, 1);
    if (start + rows > grid.RowCount()) {
      return "The pasted text has " + std::to_string(rows) + " rows; from row " +
             std::to_string(start) + " on the grid has " + std::to_string(grid.RowCount() - start) +
             ". Nothing was pasted.";
    }
    for (int r = 0; r < rows; ++r) {
      grid.SetCell(column, start + r, block.Values[static_cast<std::size_t>(r)][from]);
    }
    return std::nullopt;
  }
  for (int r = 0; r < rows; ++r) {
    grid.SetCell(column, block.GridRows[static_cast<std::size_t>(r)],
                 block.Values[static_cast<std::size_t>(r)][from]);
  }
  return std::nullopt;
}

}  // namespace kavrel
