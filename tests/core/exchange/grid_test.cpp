#include "core/exchange/grid.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/base/user_dialogs.h"
#include "core/exchange/pasted_block.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

TextGrid Filled(int columns, int rows) {
  TextGrid grid(columns, rows);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) grid.SetCell(c, r, std::to_string(10 * r + c));
  }
  return grid;
}

TEST(GridOperationsTest, Validation) {
  ScriptedDialogs dialogs;
  TextGrid grid(2, 4);
  grid.SetCell(0, 1, "0-4");
  grid.SetCell(1, 1, "0,25");
  grid.SetCell(0, 2, "5+");
  grid.SetCell(1, 2, "1.5");
  EXPECT_FALSE(ValidateGrid(grid, 1, 1, dialogs, ','));  // a point where the locale has a comma
  EXPECT_TRUE(dialogs.Texts().back().starts_with(kInvalidCellMessage));
  EXPECT_EQ(grid.CurrentRow, 2);
  EXPECT_EQ(dialogs.Texts().back().substr(kInvalidCellMessage.size()),
            "\r\nrow 2 (5+), column 1: \"1.5\"\r\nNumbers are written here with a comma before "
            "the decimals.");
  EXPECT_TRUE(ValidateGrid(grid, 1, 1, dialogs, '.') == false);  // "0,25" with a point locale
  grid.SetCell(1, 1, "0.25");
  EXPECT_TRUE(ValidateGrid(grid, 1, 1, dialogs, '.'));  // row 3 has no label: not checked
  grid.SetCell(1, 2, "");
  EXPECT_FALSE(ValidateGrid(grid, 1, 1, dialogs, '.'));  // an empty cell in a labelled row
  grid.Enabled = false;
  EXPECT_TRUE(ValidateGrid(grid, 1, 1, dialogs, '.'));
}

TEST(GridOperationsTest, NumbersAsOtherProgramsWriteThem) {
  struct Case {
    const char* text;
    char separator;
    const char* cells;  // what the grid keeps
  };
  const Case cases[] = {
      {"12.5", '.', "12.5"},              // already the cells' form
      {"12,5", '.', "12.5"},              // a decimal comma where the point is used
      {"0,125", '.', "0.125"},            //
      {"-0,5", '.', "-0.5"},              //
      {"1,250", '.', "1250"},             // a thousands separator wins where it fits
      {"1,250,000.5", '.', "1250000.5"},  //
      {"1.250.000", ',', "1250000"},      // the other way round
      {"1 250 000,5", ',', "1250000,5"},  //
      {"12.5", ',', "12,5"},              //
      {"1,2,3", '.', "1,2,3"},            // no number in either form: left to be refused
      {"12,5,", '.', "12,5,"},            //
      {"abc", '.', "abc"},                //
      {"0-4", '.', "0-4"},                // an age label
      {"", '.', ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalNumberText(c.text, c.separator), c.cells) << c.text << " with " << c.separator;
  }
}

TEST(GridOperationsTest, CopyCutAndPaste) {
  TextGrid grid = Filled(4, 4);
  grid.Select(1, 1, 2, 2);
  EXPECT_EQ(CopyGridSelection(grid), "11\t12\r\n21\t22\r\n");
  EXPECT_EQ(CutGridSelection(grid), "11\t12\r\n21\t22\r\n");
  EXPECT_EQ(grid.Cell(2, 2), "0");

  ScriptedDialogs dialogs;
  TextGrid target(5, 4);
  target.CurrentColumn = 1;
  target.CurrentRow = 2;  // two rows left
  const std::string block = "a\tb\tc\td\r\ne\tf\tg\th\r\ni\tj\tk\tl\r\n";
  EXPECT_FALSE(PasteIntoGrid(target, block, false, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kClipboardTooLargeMessage);
  EXPECT_EQ(target.Cell(1, 2), "");
  EXPECT_TRUE(PasteIntoGrid(target, block, true, dialogs));
  EXPECT_EQ(target.RowCount(), 5);
  EXPECT_EQ(target.Cell(1, 2), "a");
  EXPECT_EQ(target.Cell(4, 4), "l");
  // Text copied from a spreadsheet: the last line without a line end.
  TextGrid small(3, 3);
  small.CurrentColumn = small.CurrentRow = 1;
  EXPECT_TRUE(PasteIntoGrid(small, "1,5\t2", false, dialogs));
  EXPECT_EQ(small.Cell(1, 1), "1,5");
  EXPECT_EQ(small.Cell(2, 1), "2");
  EXPECT_FALSE(PasteIntoGrid(small, "", false, dialogs));
}

TEST(CsvTest, FieldRules) {
  struct Case {
    const char* line;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {R"("a, b","say ""hi""",  plain text  ,3)", {"a, b", "say \"hi\"", "plain text", "3"}},
      {"1,,2", {"1", "", "2"}},
      {"1,2,", {"1", "2"}},  // a trailing comma adds no cell
      {"   x", {"x"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCsvLine(c.line), c.fields) << c.line;
  EXPECT_EQ(CsvLine({"Age", "say \"hi\"", ""}), "\"Age\",\"say \"\"hi\"\"\",\"\"\r\n");
}

TEST(CsvTest, ReadThenWriteQuotesEveryField) {
  TempDir dir;
  const std::string in = dir.File("in.csv");
  std::ofstream(in, std::ios::binary) << "Age,Males\n0-4, 0.25\r\n\"5+\",\"1,5\"\n";
  StorageGrid storage;
  storage.ReadFile(in);
  EXPECT_TRUE(storage.FileWasRead);
  EXPECT_EQ(storage.Grid.Cell(2, 3), "1,5");
  EXPECT_EQ(storage.Caption, "File: " + in);
  const std::string out = dir.File("out.csv");
  WriteGridCsv(storage.Grid, out);
  EXPECT_EQ(ReadAll(out), "\"Age\",\"Males\"\r\n\"0-4\",\"0.25\"\r\n\"5+\",\"1,5\"\r\n");
  EXPECT_FALSE(std::filesystem::exists(out + ".part"));
  EXPECT_THROW(WriteGridCsv(storage.Grid, dir.File("missing/out.csv")), InOutError);
}

// Saving a grid as text asks for the file, and before replacing one; Cancel keeps the old file.
TEST(CsvTest, SaveGridAsTextAsksBeforeReplacing) {
  TempDir dir;
  const std::string path = dir.File("grid.csv");
  std::ofstream(path, std::ios::binary) << "old";
  ScriptedDialogs dialogs;
  dialogs.PushFile(std::nullopt);
  EXPECT_FALSE(SaveGridAsText(Filled(3, 2), dialogs));
  dialogs.PushFile(path);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(SaveGridAsText(Filled(3, 2), dialogs));
  EXPECT_EQ(dialogs.Texts().back(), "File grid.csv already exists. Do you want to overwrite it?");
  EXPECT_EQ(ReadAll(path), "old");
  dialogs.PushFile(path);
  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(SaveGridAsText(Filled(3, 2), dialogs));
  EXPECT_EQ(ReadAll(path), "\"11\",\"12\"\r\n");
}

TEST(StorageGridTest, NamesAndPlacements) {
  EXPECT_EQ(StorageGrid::ColumnName(1), "A");
  EXPECT_EQ(StorageGrid::ColumnName(26), "Z");
  EXPECT_EQ(StorageGrid::ColumnName(27), "AA");
  EXPECT_EQ(StorageGrid::ColumnName(53), "BA");

  ScriptedDialogs dialogs;
  StorageGrid storage;
  const TextGrid men = Filled(2, 3);
  ASSERT_TRUE(storage.ReceiveGrid(men, true, {"Kavrel input", "Males"}, true, dialogs));
  EXPECT_TRUE(dialogs.Texts().empty());  // empty: no question
  EXPECT_EQ(storage.Grid.Cell(1, 1), "Kavrel input");
  EXPECT_EQ(storage.Grid.Cell(1, 3), "0");  // source (0,0) under the two header lines
  EXPECT_EQ(storage.Grid.Cell(2, 5), "21");
  EXPECT_EQ(storage.Grid.Cell(0, 5), "5");  // row numbers
  EXPECT_EQ(storage.Grid.Cell(2, 0), "B");  // column names
  const int columns = storage.Grid.ColumnCount();
  // Appended side by side: one empty column between the blocks.
  ASSERT_TRUE(storage.ReceiveGrid(men, true, {"Females"}, false, dialogs));
  EXPECT_EQ(storage.Grid.Cell(columns + 1, 1), "Females");
  EXPECT_EQ(storage.Grid.Cell(columns, 1), "");
  // New content into a full grid: the question; No appends below, Cancel does nothing.
  const int rows = storage.Grid.RowCount();
  dialogs.Push(DialogButton::kNo);
  ASSERT_TRUE(storage.ReceiveGrid(men, false, {"Below"}, true, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kStorageNotEmptyQuestion);
  EXPECT_EQ(storage.Grid.Cell(1, rows + 1), "Below");
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(storage.ReceiveGrid(men, false, {"x"}, true, dialogs));
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(storage.ReceiveGrid(men, false, {"Fresh"}, true, dialogs));
  EXPECT_EQ(storage.Grid.Cell(1, 1), "Fresh");
  EXPECT_EQ(storage.Grid.Cell(1, rows + 1), "");
  storage.Clear();
  EXPECT_TRUE(storage.Empty());
  dialogs.PushFile(std::nullopt);
  EXPECT_FALSE(storage.ReadFile(dialogs));
  EXPECT_FALSE(storage.FileWasRead);
}

}  // namespace
}  // namespace kavrel

namespace kavrel {
namespace {

TEST(PastedBlockTest, AgeLabelsAsPeopleWriteThem) {
  struct Case {
    const char* text;
    int lage, hage;  // -1: not an age label
  };
  const Case cases[] = {
      {"0-4", 0, 5},
      {"0 - 4", 0, 5},
      {"0\xe2\x80\x93"
       "4",
       0, 5},
      {"5 to 9", 5, 10},
      {"85+", 85, 101},
      {"85 and over", 85, 101},
      {"40", 40, 41},
      {"95-100", 95, 101},
      {"9-5", -1, -1},
      {"0.5", -1, -1},
      {"Age", -1, -1},
      {"", -1, -1},
  };
  for (const Case& c : cases) {
    const auto span = ReadAgeLabel(c.text, 100);
    EXPECT_EQ(span ? span->Lage : -1, c.lage) << c.text;
    EXPECT_EQ(span ? span->Hage : -1, c.hage) << c.text;
  }
}

TEST(PastedBlockTest, LabelsHeadingsAndRefusals) {
  const std::vector<AgeSpan> groups = {{0, 5}, {5, 10}, {10, 101}};
  // Labels put each row in its group's row, headings say women come first.
  auto read =
      ReadPastedBlock("Age\tFemales\tMales\r\n10+\t3\t4\r\n0-4\t1\t2,5\r\n", groups, 100, '.');
  ASSERT_TRUE(std::holds_alternative<PastedBlock>(read));
  const auto& block = std::get<PastedBlock>(read);
  EXPECT_EQ(block.GridRows, (std::vector<int>{3, 1}));
  EXPECT_EQ(block.Values[1], (std::vector<std::string>{"1", "2.5"}));
  EXPECT_TRUE(block.WomenFirst);
  // Two columns of whole numbers that are not the groups: values, not labels.
  read = ReadPastedBlock("120\t130\n140\t150\n", groups, 100, '.');
  ASSERT_TRUE(std::holds_alternative<PastedBlock>(read));
  EXPECT_TRUE(std::get<PastedBlock>(read).GridRows.empty());
  EXPECT_EQ(std::get<PastedBlock>(read).ValueColumns(), 2);
  // A grid without groups takes those of the labels; labels that are no schedule are refused.
  read = ReadPastedBlock("Age\tMales\tFemales\n0-49\t1\t2\n50+\t3\t4\n", {{-1, -1}}, 100, '.');
  ASSERT_TRUE(std::holds_alternative<PastedBlock>(read));
  EXPECT_EQ(std::get<PastedBlock>(read).GridRows, (std::vector<int>{1, 2}));
  ASSERT_EQ(std::get<PastedBlock>(read).Spans.size(), 2u);
  EXPECT_EQ(std::get<PastedBlock>(read).Spans[1].Lage, 50);
  EXPECT_EQ(std::get<PastedBlock>(read).Spans[1].Hage, 101);
  read = ReadPastedBlock("50+\t3\n0-49\t1\n", {}, 100, '.');
  ASSERT_TRUE(std::holds_alternative<std::string>(read));
  EXPECT_TRUE(std::get<std::string>(read).starts_with("The age groups of the pasted text"))
      << std::get<std::string>(read);
  // Refusals name the line.
  const std::pair<const char*, const char*> refused[] = {
      {"0-4\t1\n5-14\t2\n", "Line 2 of the pasted text is for ages 5-14"},
      {"0-4\t1\n0-4\t2\n", "The age group 0-4 appears twice"},
      {"1\t2\n3\n", "Line 2 of the pasted text has 1 cell where the first has 2"},
      {"\r\n", "There is nothing to paste."},
  };
  for (auto [text, start] : refused) {
    read = ReadPastedBlock(text, groups, 100, '.');
    ASSERT_TRUE(std::holds_alternative<std::string>(read)) << text;
    EXPECT_TRUE(std::get<std::string>(read).starts_with(start)) << std::get<std::string>(read);
  }
}

}  // namespace
}  // namespace kavrel
