#include "core/exchange/csv_table.h"

#include <gtest/gtest.h>

#include "core/exchange/input_import.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// One inputs file as spreadsheets and people write it in different dialects: every one reads as
// the same headings and values.
TEST(CsvTableTest, DialectsReadAlike) {
  const struct {
    const char* name;
    std::string text;
    CsvDialect dialect;
    char separator;
    bool decimalComma;
  } cases[] = {
      {"plain", "Age,Value\n0,0.5\n1,\"1,500.25\"\n", {}, ',', false},
      {"byte order mark and CR LF",
       "\xEF\xBB\xBF"
       "Age,Value\r\n0,0.5\r\n1,\"1,500.25\"\r\n",
       {},
       ',',
       false},
      {"European",
       "\xEF\xBB\xBF"
       "Age;Value\r\n0;0,5\r\n1;1.500,25\r\n",
       {},
       ';',
       true},
      {"semicolons with decimal points, said",
       "Age;Value\n0;0.5\n1;1,500.25\n",
       {';', false},
       ';',
       false},
      {"one column, decimal comma said",
       "Value,Age\n\"0,5\",0\n\"1.500,25\",1\n",
       {'\0', true},
       ',',
       true},
  };
  for (const auto& c : cases) {
    const CsvTable table = ParseCsvTable(c.text, c.dialect);
    EXPECT_EQ(table.Separator, c.separator) << c.name;
    EXPECT_EQ(table.DecimalComma, c.decimalComma) << c.name;
    std::vector<std::string> refusals;
    const std::vector<int> column = table.Columns({"Age", "Value"}, {}, refusals);
    ASSERT_TRUE(refusals.empty()) << c.name << ": " << refusals.front();
    ASSERT_EQ(table.Rows.size(), 2u) << c.name;
    EXPECT_EQ(table.Rows[1].Line, 3) << c.name;
    EXPECT_EQ(table.Number(CsvTable::Field(table.Rows[0], column[1])), 0.5) << c.name;
    EXPECT_EQ(table.Number(CsvTable::Field(table.Rows[1], column[1])), 1500.25) << c.name;
  }
}

// What a plain decimal number is, in each notation.
TEST(CsvTableTest, PlainDecimalNumbersOnly) {
  CsvTable point;
  CsvTable comma;
  comma.DecimalComma = true;
  const struct {
    const char* text;
    std::optional<double> point, comma;
  } cases[] = {
      {"0.001", 0.001, std::nullopt},  // in a decimal-comma file a period groups thousands
      {"0,001", std::nullopt, 0.001},
      {" -2.5e-3 ", -0.0025, std::nullopt},
      {"+7", 7.0, 7.0},
      {".5", 0.5, std::nullopt},
      {"1,234,567", 1234567.0, std::nullopt},
      {"1.234.567", std::nullopt, 1234567.0},
      {"12,34", std::nullopt, 12.34},
      {"1,2345", std::nullopt, 1.2345},
      {"0x1A", std::nullopt, std::nullopt},
      {"0x1p-3", std::nullopt, std::nullopt},
      {"inf", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"1e", std::nullopt, std::nullopt},
      {"1e999", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"-", std::nullopt, std::nullopt},
      {"1 000", std::nullopt, std::nullopt},
      {"01,000", std::nullopt, 1.0},  // a leading zero starts no group of thousands
      {"0.5%", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(point.Number(c.text), c.point) << '"' << c.text << "\" with a decimal point";
    EXPECT_EQ(comma.Number(c.text), c.comma) << '"' << c.text << "\" with a decimal comma";
  }
}

// Headings: unknown, missing, doubled and unnamed ones are refused on line 1; a file whose whole
// heading line is one field gets a word about the separator; lines too long and fields beyond
// the headings are refused with their numbers.
TEST(CsvTableTest, HeadingsAndLinesRefused) {
  const auto refusals = [](const std::string& text) {
    const CsvTable table = ParseCsvTable(text);
    std::vector<std::string> found = table.Refusals;
    table.Columns({"Age", "Value"}, {"Note"}, found);
    table.RefuseExtraFields(found);
    return found;
  };
  EXPECT_EQ(refusals("Age,Value,Note\n1,2,x\n"), std::vector<std::string>{});
  EXPECT_EQ(refusals("age , VALUE,\n1,2,\n"), std::vector<std::string>{});  // trailing separator
  EXPECT_EQ(refusals("Age,Value,Weight\n1,2,3\n").at(0),
            "Line 1: \"Weight\" is no column this file can have (Age, Value, Note)");
  EXPECT_EQ(refusals("Age\n1\n").at(0), "Line 1: no column \"Value\" among the headings");
  EXPECT_EQ(refusals("Age,Value,Age\n1,2,3\n").at(0), "Line 1: the column \"Age\" is named twice");
  EXPECT_EQ(refusals("Age,,Value\n1,,2\n"), std::vector<std::string>{});  // an empty column
  EXPECT_EQ(refusals("Age,,Value\n1,5,2\n").at(0), "Line 1: column 2 has no heading");
  EXPECT_EQ(refusals("Age|Value\n1|2\n").at(0).rfind("Line 1: \"Age|Value\" is no column", 0), 0u);
  EXPECT_EQ(
      refusals("Age,Value\n1,2\n3,0,5\n")
          .at(0)
          .rfind("Line 3: 3 fields, but the headings name 2 (a number with a decimal comma", 0),
      0u);
  const std::string longLine(kLongestCsvLine + 1, 'x');
  EXPECT_EQ(refusals("Age,Value\n1,2\n" + longLine + "\n").at(0).rfind("Line 3: longer than", 0),
            0u);
  EXPECT_EQ(refusals(longLine).at(0).rfind("Line 1: longer than", 0), 0u);
}

struct PopulationImportTest : ::testing::Test {};

// A new data set's population: its columns by heading in any order, the same figures from a
// European file; ages beyond the highest and gaps refused with their lines.
TEST_F(PopulationImportTest, ColumnsByHeadingAndRefusals) {
  const auto read = [](const std::string& text) {
    return ReadPopulationGroups(ParseCsvTable(text), 100);
  };
  const PopulationImport swapped = read(
      "Population males,Population females,Age from,Age to,Mortality males,"
      "Mortality females\n\"10,000\",\"9,500\",0,49,0.002,0.001\n4000,4500,50,,0.05,0.04\n");
  ASSERT_TRUE(swapped.Refusals.empty()) << swapped.Refusals.front();
  ASSERT_EQ(swapped.Groups.size(), 2u);
  EXPECT_EQ(swapped.Groups[0].Values, (std::array<double, 4>{0.002, 0.001, 10000, 9500}));
  EXPECT_EQ(swapped.Groups[1].Hage, 101);
  const PopulationImport european = read(
      "Age from;Age to;Mortality males;Mortality females;Population males;Population females\r\n"
      "0;49;0,002;0,001;10.000;9.500\r\n50;;0,05;0,04;4000;4500\r\n");
  ASSERT_TRUE(european.Refusals.empty()) << european.Refusals.front();
  EXPECT_EQ(european.Groups[0].Values, swapped.Groups[0].Values);
  EXPECT_EQ(european.Groups[1].Values, swapped.Groups[1].Values);

  const std::string head =
      "Age from,Age to,Mortality males,Mortality females,Population males,Population females\n";
  const struct {
    const char* rows;
    const char* refusal;
  } cases[] = {
      {"0,200,0.01,0.01,5,5\n", "Line 2: \"200\" is beyond the highest age, 100"},
      {"0,49,0.01,0.01,5,5\n60,,0.1,0.1,5,5\n", "Line 3: the group should start at age 50"},
      {"0,,0x10,0.01,5,5\n", "Line 2: \"0x10\" is no mortality above 0"},
      {"0,,0.01,0.01,5,5,6\n", "Line 2: 7 fields, but the headings name 6"},
      {"0,49,0.01,0.01,5,5\n", "The groups must reach the highest age, 100"},
  };
  for (const auto& c : cases) {
    const PopulationImport result = read(head + c.rows);
    ASSERT_FALSE(result.Refusals.empty()) << c.rows;
    EXPECT_EQ(result.Refusals[0].rfind(c.refusal, 0), 0u) << result.Refusals[0];
  }
}

}  // namespace
}  // namespace kavrel
