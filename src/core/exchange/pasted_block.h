#pragma once

// A block of cells pasted from a spreadsheet into a grid of age groups: one or more columns of
// values, with or without a column of age labels before them and a row of headings above. With
// labels, each row goes to the grid's row of the same age group, wherever the user stood.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/engine/input_checks.h"

namespace kavrel {

struct PastedBlock {
  // The block's rows of values, without labels and headings; numbers in the cells' form.
  std::vector<std::vector<std::string>> Values;
  // With age labels: the grid row (1, 2, ...) of each block row. Empty without labels.
  std::vector<int> GridRows;
  // Read against a grid without groups: the groups the labels give, in their order (the grid
  // takes them). Empty otherwise.
  std::vector<AgeSpan> Spans;
  // The headings name women before men ("Women", "Females", ...).
  bool WomenFirst = false;
  int ValueColumns() const { return Values.empty() ? 0 : static_cast<int>(Values.front().size()); }
};

// An age label as people write them: "0-4", "0 - 4", "0–4", "0 to 4", "85+", "85 and over",
// "40". Nothing for other text.
std::optional<AgeSpan> ReadAgeLabel(std::string_view text, int maxAge);

// Reads clipboard text (tab-separated cells, rows ended by CR LF or LF) against the grid's age
// groups; against a grid without groups, labelled rows give the groups. A refusal (text) when the
// block has age labels that are not the grid's groups or rows of different lengths.
std::variant<PastedBlock, std::string> ReadPastedBlock(std::string_view clipboard,
                                                       const std::vector<AgeSpan>& groups,
                                                       int maxAge, char decimalSeparator);

class TextGrid;

// The age groups a grid shows in its label column (rows 1 on).
std::vector<AgeSpan> GridAgeGroups(const TextGrid& grid, int maxAge);

// Puts column `from` of the block into column `column` of the grid: with labels into the rows of
// their groups, without from the grid's current row down. A refusal (text) when the block does not
// fit; nothing is changed then.
std::optional<std::string> PlaceBlockColumn(const PastedBlock& block, int from, TextGrid& grid,
                                            int column);

}  // namespace kavrel
