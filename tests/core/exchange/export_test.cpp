#include "core/exchange/export.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>
#include <zlib.h>

#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/xls_writer.h"
#include "core/store/data_kavrel.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

TEST(TwriteXLSTest, BytesAsTheFormatHasThem) {
  TempDir dir;
  const std::string bof = Bytes({0x09, 0x08, 0x08, 0x00, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0});
  const std::string eof = Bytes({0x0A, 0x00, 0x00, 0x00});
  { TwriteXLS empty(dir.File("empty.xls")); }
  EXPECT_EQ(ReadAll(dir.File("empty.xls")), bof + eof);
  {
    TwriteXLS cells(dir.File("cells.xls"));
    cells.WriteLabel(0, 5, "Age");
    cells.WriteNumber(2, 7, 1.5);
    cells.WriteLabel(1, 1, "");
    cells.WriteLabel(0, 2, "M\xC3\xA9ni\xC3\xA8re");  // a UTF-8 name
  }
  const std::string age =
      Bytes({0x04, 0x02, 0x0B, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00}) + "Age";
  const std::string number = Bytes({0x03, 0x02, 0x0E, 0x00, 0x07, 0x00, 0x02, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F});
  const std::string empty =
      Bytes({0x04, 0x02, 0x08, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00});
  // In the file's 8-bit code page, one byte a letter.
  const std::string name =
      Bytes({0x04, 0x02, 0x0F, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00}) +
      "M\xE9ni\xE8re";
  EXPECT_EQ(ReadAll(dir.File("cells.xls")), bof + age + number + empty + name + eof);
  TwriteXLS big(dir.File("big.xls"));
  EXPECT_THROW(big.WriteLabel(0, 0, std::string(65528, 'x')), std::out_of_range);
}

// A data set of highest age 100 with three diseases: Asthma with results for both sexes and an
// adjusted incidence input, "Females only" with results for women, and Gout without results.
struct ExportTest : StoreFixture {
  void SetUp() override {
    OpenNewDataset();
    for (auto& s : population) s.fill(1000.0);
    AddDisease("Asthma", {kMales, kFemales}, true);
    AddDisease("Females only", {kFemales}, false);
    AddDisease("Gout", {}, false);
    data.KavrelTable1().First();
    groups = FiveYearGroups(100, "5-year groups");
  }

  void AddDisease(const std::string& name, std::vector<int> sexes, bool adjusted,
                  double scale = 0.001) {
    data.ExecDataset("insert into InputDiseases (DiseaseName, ICDcode) values (" + Quote(name) +
                     ", 'X00 ')");
    TableCursor& table = data.KavrelTable1();
    table.Refresh();
    table.Locate("DiseaseName", name);
    Tdisease disease(name);
    disease.TakeRecord(table);
    DiseaseStore store{data, dialogs, 100};
    for (int s : sexes) {
      disease.Sex = static_cast<std::uint8_t>(s);
      disease.InputPresent[kIncidence][s] = adjusted;
      disease.InputSeries[kIncidence][s].fill(0.002);
      for (int v = 0; v < kVariableCount; ++v) disease.OutputSeries[v][s].fill(scale * (v + 1));
      store.SaveOutputs(disease);
    }
  }

  ExportContext Context() {
    return ExportContext{data,         dialogs, 100,   population, mortality,
                         "10-12-2026", "12:00", false, nullptr};
  }

  std::array<Series, kSexCount> population{};
  std::array<Series, kSexCount> mortality{};
  Tagegrouplist groups;
  ExportWindowState window;
};

TEST_F(ExportTest, TextFileAllDiseasesBothModes) {
  window.Format = ExportFormat::kCsv;
  window.Diseases = ExportDiseases::kAll;
  auto context = Context();
  const std::string file = dir.File("out.csv");
  ASSERT_TRUE(RunExport(window, groups, file, context));
  EXPECT_FALSE(fs::exists(file + ".part"));
  const std::string text = ReadAll(file);
  EXPECT_EQ(text.rfind("\"Kavrel output, date: 10-12-2026, time: 12:00\"\r\n\r\n", 0), 0u);
  const auto count = [&text](const std::string& what) {
    std::size_t n = 0;
    for (auto k = text.find(what); k != std::string::npos; k = text.find(what, k + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("\"Disease: Asthma, ICD codes: X00 \"\r\n"), 4u);  // 2 sexes x rates, numbers
  EXPECT_EQ(count("\"Disease: Females only"), 2u);                   // women only
  EXPECT_EQ(count("Gout"), 0u);                                      // no results: skipped
  EXPECT_EQ(count(",\"Males\",\r\n"), 2u);
  EXPECT_EQ(count("\r\nAll ages,"), 6u);  // the total row of every table, as on screen
  EXPECT_NE(text.find(",Input,Output,Output,"), std::string::npos);
  EXPECT_NE(text.find("Age,Incidence,Incidence,Prevalence,"), std::string::npos);
  EXPECT_NE(text.find(", (rates), (population rate), (rates),"), std::string::npos);
  EXPECT_NE(text.find(", (rates), (numbers), (numbers),"), std::string::npos);
  EXPECT_NE(text.find("\r\n95-99,"), std::string::npos);
}

// The file holds the figures the screen shows, column for column, with the incidence the view
// options choose (hazards among the healthy or rates in the whole population).
TEST_F(ExportTest, FileAndScreenAgreeInBothIncidenceModes) {
  window.Format = ExportFormat::kCsv;
  window.Diseases = ExportDiseases::kCurrent;  // Asthma
  window.Numbers = ExportNumbers::kRates;
  window.Decimals = 8;
  for (bool hazards : {false, true}) {
    auto context = Context();
    context.HazardsOutput = hazards;
    const std::string file = dir.File(hazards ? "hazards.csv" : "rates.csv");
    ASSERT_TRUE(RunExport(window, groups, file, context));
    const std::string text = ReadAll(file);

    Tdisease disease("Asthma");
    data.KavrelTable1().Locate("DiseaseName", "Asthma");
    disease.TakeRecord(data.KavrelTable1());
    DiseaseStore store{data, dialogs, 100};
    store.LoadProcessedFlags(disease);
    store.LoadOutputs(disease);
    disease.Calculated[kMales] = true;
    Tkolomlijst list(TableEnvironment{population, mortality, 100, disease.IncidenceIsHazard});
    list.BuildRows(groups, kMales);
    AddStandardColumns(list, disease, kMales, InputColumns::kAdjusted, ColumnVisibility{}, hazards);
    list.Recalculate(true, 8, 0);
    const TableText screen = BuildTableText(list, 8);
    EXPECT_NE(std::find(screen.Headers.begin(), screen.Headers.end(),
                        hazards ? "Incidence (hazard)" : "Incidence (population rate)"),
              screen.Headers.end());
    // Every row of the men's table, as the file has it (the file ends each row with a comma).
    for (const auto& row : screen.Rows) {
      if (row.front().empty()) continue;  // the blank row before "All ages"
      std::string line;
      for (const auto& cell : row) line += cell + ",";
      EXPECT_NE(text.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    }
  }
}

TEST_F(ExportTest, SpreadsheetCellsAndTheNATextCell) {
  window.Format = ExportFormat::kExcel;
  window.Diseases = ExportDiseases::kCurrent;  // Asthma
  window.Numbers = ExportNumbers::kRates;
  auto context = Context();
  const std::string file = dir.File("out.xls");
  ASSERT_TRUE(RunExport(window, groups, file, context));
  const std::string bytes = ReadAll(file);
  // Walk the records: text cells (0x0204) and numbers (0x0203) by row and column.
  std::map<std::pair<int, int>, std::string> texts;
  std::map<std::pair<int, int>, double> numbers;
  std::size_t k = 0;
  const auto word = [&bytes](std::size_t at) {
    return static_cast<int>(static_cast<unsigned char>(bytes[at]) |
                            (static_cast<unsigned char>(bytes[at + 1]) << 8));
  };
  while (k + 4 <= bytes.size()) {
    const int type = word(k);
    const int length = word(k + 2);
    if (type == 0x0204) {
      texts[{word(k + 4), word(k + 6)}] =
          bytes.substr(k + 12, static_cast<std::size_t>(word(k + 10)));
    } else if (type == 0x0203) {
      double value;
      std::memcpy(&value, bytes.data() + k + 10, 8);
      numbers[{word(k + 4), word(k + 6)}] = value;
    }
    k += 4 + static_cast<std::size_t>(length);
  }
  EXPECT_EQ(k, bytes.size());
  EXPECT_EQ(texts[std::make_pair(0, 0)], "Kavrel output, date: 10-12-2026, time: 12:00");
  EXPECT_EQ(texts[std::make_pair(2, 0)], "Disease: Asthma, ICD codes: X00 ");
  EXPECT_EQ(texts[std::make_pair(3, 1)], "Males");
  EXPECT_EQ(texts[std::make_pair(5, 0)], "Age");
  EXPECT_EQ(texts[std::make_pair(5, 1)], "Incidence");
  EXPECT_EQ(texts[std::make_pair(4, 1)], "Input");
  EXPECT_EQ(texts[std::make_pair(7, 0)], "0-4");
  EXPECT_NEAR(numbers[std::make_pair(7, 1)], 0.002, 1e-12);
  EXPECT_EQ(texts[std::make_pair(7 + 21, 1)], "NA");  // input incidence, total row
  EXPECT_EQ(numbers.count(std::make_pair(7 + 21, 1)), 0u);
  EXPECT_NEAR(numbers[std::make_pair(7 + 21, 3)], 0.002, 1e-12);  // output prevalence, total
  // The women's table starts after one empty row.
  EXPECT_EQ(texts[std::make_pair(7 + 21 + 2, 0)], "Disease: Asthma, ICD codes: X00 ");
}

// The parts of an XLSX file (a zip archive) by name, inflated.
std::map<std::string, std::string> ReadZip(const std::string& bytes) {
  const auto u16 = [&bytes](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(bytes.at(at)) |
                                    (static_cast<unsigned char>(bytes.at(at + 1)) << 8));
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
  const std::size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
  EXPECT_NE(end, std::string::npos);
  std::map<std::string, std::string> parts;
  if (end == std::string::npos) return parts;
  std::size_t entry = u32(end + 16);
  for (std::size_t n = u16(end + 10); n > 0; --n) {
    const std::size_t method = u16(entry + 10);
    const std::size_t packed = u32(entry + 20);
    const std::size_t size = u32(entry + 24);
    const std::size_t nameLength = u16(entry + 28);
    const std::string name = bytes.substr(entry + 46, nameLength);
    const std::size_t local = u32(entry + 42);
    const std::size_t data = local + 30 + u16(local + 26) + u16(local + 28);
    std::string content(size, '\0');
    if (method == 0) {
      content = bytes.substr(data, size);
    } else {
      z_stream stream{};
      EXPECT_EQ(inflateInit2(&stream, -MAX_WBITS), Z_OK);
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + data));
      stream.avail_in = static_cast<uInt>(packed);
      stream.next_out = reinterpret_cast<Bytef*>(content.data());
      stream.avail_out = static_cast<uInt>(size);
      EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END) << name;
      inflateEnd(&stream);
    }
    parts[name] = content;
    entry += 46 + nameLength + u16(entry + 30) + u16(entry + 32);
  }
  return parts;
}

// A worksheet's cells by reference ("B8"): texts (shared strings) and numbers apart, with each
// cell's style number.
struct Sheet {
  std::map<std::string, std::string> Texts;
  std::map<std::string, double> Numbers;
  std::map<std::string, int> Styles;
  std::string Xml;
};
Sheet ReadSheet(const std::string& xml, const std::vector<std::string>& shared) {
  Sheet sheet;
  sheet.Xml = xml;
  static const std::regex cell(
      R"re(<c r="([A-Z]+[0-9]+)"( s="([0-9]+)")?( t="(\w+)")?><v>([^<]*)</v></c>)re");
  for (std::sregex_iterator it(xml.begin(), xml.end(), cell), end; it != end; ++it) {
    const std::string ref = (*it)[1];
    if ((*it)[3].matched) sheet.Styles[ref] = std::stoi((*it)[3]);
    if ((*it)[5] == "s") {
      sheet.Texts[ref] = shared.at(std::stoul((*it)[6]));
    } else {
      sheet.Numbers[ref] = std::stod((*it)[6]);
    }
  }
  return sheet;
}
std::vector<std::string> SharedStrings(const std::string& xml) {
  std::vector<std::string> strings;
  static const std::regex item(R"re(<si><t[^>]*>([^<]*)</t></si>)re");
  for (std::sregex_iterator it(xml.begin(), xml.end(), item), end; it != end; ++it) {
    strings.push_back((*it)[1]);
  }
  return strings;
}

// The Excel 2007+ workbook: a worksheet per disease, the same figures as the text file (numbers
// as numbers, "NA" as text), captions bold, the age column and caption rows frozen.
TEST_F(ExportTest, WorkbookReadBackAgreesWithTheTextFile) {
  window.Diseases = ExportDiseases::kAll;
  window.Numbers = ExportNumbers::kBoth;
  window.Format = ExportFormat::kXlsx;
  auto context = Context();
  const std::string file = dir.File("out.xlsx");
  ASSERT_TRUE(RunExport(window, groups, file, context));
  EXPECT_FALSE(fs::exists(file + ".part"));
  window.Format = ExportFormat::kCsv;
  ASSERT_TRUE(RunExport(window, groups, dir.File("out.csv"), context));

  const auto parts = ReadZip(ReadAll(file));
  ASSERT_TRUE(parts.contains("xl/workbook.xml"));
  const std::string& book = parts.at("xl/workbook.xml");
  EXPECT_NE(book.find("<sheet name=\"Asthma\" sheetId=\"1\""), std::string::npos);
  EXPECT_NE(book.find("<sheet name=\"Females only\" sheetId=\"2\""), std::string::npos);
  EXPECT_EQ(book.find("Gout"), std::string::npos);  // no results, no sheet
  const auto shared = SharedStrings(parts.at("xl/sharedStrings.xml"));
  const Sheet asthma = ReadSheet(parts.at("xl/worksheets/sheet1.xml"), shared);
  const Sheet women = ReadSheet(parts.at("xl/worksheets/sheet2.xml"), shared);
  EXPECT_EQ(asthma.Texts.at("A1"), "Kavrel output, date: 10-12-2026, time: 12:00");
  EXPECT_EQ(asthma.Texts.at("A3"), "Disease: Asthma, ICD codes: X00 ");
  EXPECT_EQ(asthma.Texts.at("B4"), "Males");
  EXPECT_EQ(asthma.Texts.at("B5"), "Input");
  EXPECT_EQ(asthma.Texts.at("A6"), "Age");
  EXPECT_EQ(asthma.Texts.at("B6"), "Incidence");
  EXPECT_EQ(asthma.Texts.at("A8"), "0-4");
  EXPECT_NEAR(asthma.Numbers.at("B8"), 0.002, 1e-12);
  EXPECT_EQ(asthma.Texts.at("B29"), "NA");  // input incidence, total row: text
  EXPECT_FALSE(asthma.Numbers.contains("B29"));
  // Captions bold, figures with the decimals of the table.
  const std::string styles = parts.at("xl/styles.xml");
  EXPECT_NE(styles.find("<b/>"), std::string::npos);
  EXPECT_NE(styles.find("formatCode=\"0.0000\""), std::string::npos);
  EXPECT_NE(asthma.Styles.at("B6"), asthma.Styles.at("B8"));
  EXPECT_NE(asthma.Xml.find(R"(<pane xSplit="1" ySplit="7" topLeftCell="B8")"), std::string::npos);

  // Row for row and cell for cell the text file's tables: its age rows in order.
  std::vector<std::vector<std::string>> csvRows;
  std::stringstream csv(ReadAll(dir.File("out.csv")));
  static const std::regex ageRow(R"(^(\d+(-\d+)?\+?),.*)");
  for (std::string line; std::getline(csv, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!std::regex_match(line, ageRow)) continue;
    std::vector<std::string> cells;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) cells.push_back(field);
    csvRows.push_back(cells);
  }
  std::size_t compared = 0, row = 0;
  for (const Sheet* sheet : {&asthma, &women}) {
    for (int r = 1; r < 400; ++r) {
      const auto label = sheet->Texts.find("A" + std::to_string(r));
      if (label == sheet->Texts.end() || !std::regex_match(label->second + ",", ageRow)) continue;
      ASSERT_LT(row, csvRows.size());
      const auto& cells = csvRows[row++];
      EXPECT_EQ(cells[0], label->second);
      for (std::size_t c = 1; c < cells.size(); ++c) {
        const std::string ref = std::string(1, static_cast<char>('A' + c)) + std::to_string(r);
        if (cells[c] == "NA") {
          EXPECT_EQ(sheet->Texts.at(ref), "NA") << ref;
        } else {
          ASSERT_TRUE(sheet->Numbers.contains(ref)) << ref;
          // The workbook keeps every digit; the text file rounds to its decimals.
          const std::size_t point = cells[c].find('.');
          const int decimals =
              point == std::string::npos ? 0 : static_cast<int>(cells[c].size() - point - 1);
          EXPECT_NEAR(sheet->Numbers.at(ref), std::stod(cells[c]),
                      0.5 * std::pow(10.0, -decimals) * (1.0 + 1e-9))
              << ref;
        }
        ++compared;
      }
    }
  }
  EXPECT_EQ(row, csvRows.size());
  EXPECT_GT(compared, 1000u);  // six tables of 22 rows, every column
}

// At "Rates per: 1" with 4 decimals a small rate is no 0 in any file: the spreadsheets keep the
// unrounded figure (shown with 4 decimals), the text file writes four significant digits where the
// decimals would round it away.
TEST_F(ExportTest, SmallFiguresKeepTheirDigitsInEveryFormat) {
  // Incidence 2.345e-05 (as a rate in the whole population a little less), prevalence 4.69e-05.
  AddDisease("Rare", {kMales}, false, 0.00002345);
  window.Diseases = ExportDiseases::kCurrent;
  window.Numbers = ExportNumbers::kRates;
  window.RatesIndex = 0;
  window.Decimals = 4;
  auto context = Context();
  const struct {
    ExportFormat Format;
    const char* Name;
  } formats[] = {{ExportFormat::kCsv, "rare.csv"},
                 {ExportFormat::kExcel, "rare.xls"},
                 {ExportFormat::kXlsx, "rare.xlsx"}};
  for (const auto& f : formats) {
    window.Format = f.Format;
    const std::string file = dir.File(f.Name);
    ASSERT_TRUE(RunExport(window, groups, file, context)) << f.Name;
    const std::string bytes = ReadAll(file);
    if (f.Format == ExportFormat::kCsv) {
      EXPECT_NE(bytes.find("\r\n0-4,2.345e-05,4.69e-05,"), std::string::npos)
          << bytes.substr(0, 600);
    } else if (f.Format == ExportFormat::kExcel) {
      // The first figure of the first age row: a number record (0x0203) at row 7, column 1.
      bool found = false;
      for (std::size_t k = 0; k + 18 <= bytes.size(); ++k) {
        if (bytes[k] != 0x03 || bytes[k + 1] != 0x02 || bytes[k + 4] != 7 || bytes[k + 6] != 1) {
          continue;
        }
        double value;
        std::memcpy(&value, bytes.data() + k + 10, 8);
        EXPECT_DOUBLE_EQ(value, 0.00002345 * (1.0 - 0.0000469));  // the population rate
        found = true;
        break;
      }
      EXPECT_TRUE(found);
    } else {
      const auto parts = ReadZip(bytes);
      const Sheet sheet = ReadSheet(parts.at("xl/worksheets/sheet1.xml"),
                                    SharedStrings(parts.at("xl/sharedStrings.xml")));
      EXPECT_DOUBLE_EQ(sheet.Numbers.at("B8"), 0.00002345 * (1.0 - 0.0000469));
      EXPECT_DOUBLE_EQ(sheet.Numbers.at("C8"), 0.0000469);
    }
  }
}

// "Include": each disease and sex followed by the tables the analyses provider hands over, with
// their titles, in every table format; the Prevent export has none.
TEST_F(ExportTest, AnalysesFollowEachDiseaseAndSex) {
  window.Diseases = ExportDiseases::kCurrent;  // Asthma
  window.Numbers = ExportNumbers::kRates;
  window.IncludeSensitivity = true;
  auto context = Context();
  std::vector<std::pair<bool, bool>> asked;
  Series variant{};
  variant.fill(0.5);
  context.AnalysisTables = [&](const Tdisease& disease, int sex, bool sensitivity, bool uncertainty,
                               Tkolomlijst& list, const AnalysisTableWriter& write) {
    asked.emplace_back(sensitivity, uncertainty);
    EXPECT_EQ(disease.DiseaseName, "Asthma");
    for (const char* step : {"-5%", "+5%"}) {
      list.Columns.clear();
      list.Columns.push_back(std::make_unique<Tkolomnew>(list, true, true, true, &variant,
                                                         "Prevalence", "Sensitivity output"));
      write(std::string("Sensitivity ") + (sex == kMales ? "men " : "women ") + step);
    }
    list.Columns.clear();
  };
  window.Format = ExportFormat::kCsv;
  ASSERT_TRUE(RunExport(window, groups, dir.File("with.csv"), context));
  const std::string text = ReadAll(dir.File("with.csv"));
  EXPECT_EQ(asked.size(), 2u);  // men and women
  EXPECT_EQ(asked.front(), std::make_pair(true, false));
  const std::size_t own = text.find("\"Disease: Asthma, ICD codes: X00 \"\r\n,\"Males\"");
  const std::size_t first =
      text.find("\"Disease: Asthma, ICD codes: X00 \"\r\n\"Sensitivity men -5%\"\r\n");
  ASSERT_NE(own, std::string::npos);
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(own, first);
  EXPECT_NE(text.find("\"Sensitivity women +5%\""), std::string::npos);
  EXPECT_NE(text.find("\r\n0-4,0.5000,\r\n"), std::string::npos);
  for (ExportFormat format : {ExportFormat::kExcel, ExportFormat::kXlsx}) {
    window.Format = format;
    const std::string file = dir.File(format == ExportFormat::kExcel ? "with.xls" : "with.xlsx");
    ASSERT_TRUE(RunExport(window, groups, file, context));
    const std::string bytes = ReadAll(file);
    const std::string all =
        format == ExportFormat::kExcel ? bytes : ReadZip(bytes).at("xl/sharedStrings.xml");
    EXPECT_NE(all.find("Sensitivity women +5%"), std::string::npos);
  }
  window.IncludeSensitivity = false;
  asked.clear();
  window.Format = ExportFormat::kCsv;
  ASSERT_TRUE(RunExport(window, groups, dir.File("without.csv"), context));
  EXPECT_TRUE(asked.empty());
}

TEST_F(ExportTest, PreventTwiceLeavesOneSetOfRows) {
  window.Format = ExportFormat::kPrevent;
  window.Diseases = ExportDiseases::kSelected;
  window.Selected = {0, 1};  // Asthma and Females only (the diseases with results)
  auto context = Context();
  const std::string file = dir.File("prevent.mdb");
  ASSERT_TRUE(RunExport(window, groups, file, context));
  ASSERT_TRUE(RunExport(window, groups, file, context));
  auto db = Database::Open(file);
  EXPECT_EQ(db.Query("select * from DiseasesAndRiskfactors").RecordCount(), 2);
  EXPECT_EQ(db.Query("select * from DiseaseInputVars where diseasename='Asthma'").RecordCount(),
            2 * 3 * 101);
  EXPECT_EQ(
      db.Query("select * from DiseaseInputVars where diseasename='Females only'").RecordCount(),
      3 * 101);
  auto row = db.Query(
      "select waarde from DiseaseInputVars where diseasename='Asthma' and sex='Males' and "
      "variable='Case fatality' and lage=40");
  EXPECT_NEAR(row.AsDouble(0), 0.004, 1e-12);
  EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(ExportTest, MessagesAndFailures) {
  auto context = Context();
  window.Format = ExportFormat::kAccess;
  EXPECT_FALSE(RunExport(window, groups, dir.File("a.mdb"), context));
  EXPECT_EQ(dialogs.Texts().back(), kNotImplementedMessage);
  window.Format = ExportFormat::kCsv;
  data.KavrelTable1().Locate("DiseaseName", "Gout");
  EXPECT_FALSE(RunExport(window, groups, dir.File("gout.csv"), context));
  EXPECT_EQ(dialogs.Texts().back(), kNothingToExportMessage);
  EXPECT_FALSE(fs::exists(dir.File("gout.csv")));
  EXPECT_EQ(data.KavrelTable1().FieldText("DiseaseName"), "Gout");  // the cursor stays
  // A file that cannot be written leaves nothing under the chosen name.
  window.Diseases = ExportDiseases::kAll;
  EXPECT_THROW(RunExport(window, groups, dir.File("missing/out.csv"), context), InOutError);
  EXPECT_FALSE(fs::exists(dir.File("missing")));
  // The age groups of the formats.
  EXPECT_EQ(AgeGroupsForFormat(ExportFormat::kPrevent, 3, data, dialogs, 100).Name, "Prevent");
  EXPECT_EQ(AgeGroupsForFormat(ExportFormat::kCsv, 0, data, dialogs, 100).Name, "5-year groups");
  OpenNewCollection();
  const auto fallback = AgeGroupsForFormat(ExportFormat::kExcel, 3, data, dialogs, 100);
  EXPECT_EQ(dialogs.Texts().back(), kExportScheduleError);
  EXPECT_EQ(fallback.Name, "5-year groups");
  data.ExecCollection("insert into StandardAgeSchedules values (3, 'Wide', 0, 50)");
  data.ExecCollection("insert into StandardAgeSchedules values (3, 'Wide', 50, 111)");
  const auto wide = AgeGroupsForFormat(ExportFormat::kExcel, 3, data, dialogs, 100);
  EXPECT_EQ(wide.Name, "User preference");
  EXPECT_EQ(wide.Labels(), (std::vector<std::string>{"0-49", "50+"}));
}

// Choosing the file and the diseases, as the window does before the run.
TEST_F(ExportTest, ChooseFileAndSelectDiseases) {
  window.Format = ExportFormat::kAccess;
  EXPECT_FALSE(ChooseExportFile(window, dialogs).has_value());
  EXPECT_EQ(dialogs.Texts().back(), kNotImplementedMessage);
  window.Format = ExportFormat::kCsv;
  const std::string path = dir.File("out.csv");
  std::ofstream(path) << "old";
  dialogs.PushFile(path);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(ChooseExportFile(window, dialogs).has_value());
  EXPECT_EQ(dialogs.Texts().back(), "File out.csv already exists. Do you want to overwrite it?");
  dialogs.PushFile(path);
  dialogs.Push(DialogButton::kYes);
  EXPECT_EQ(ChooseExportFile(window, dialogs), path);
  // A Prevent database is written into, so an existing file is no question.
  window.Format = ExportFormat::kPrevent;
  dialogs.PushFile(path);
  EXPECT_EQ(ChooseExportFile(window, dialogs), path);
  // The dialog opens where the user last exported to.
  EXPECT_EQ(dialogs.LastFileRequest().directory, fs::path(path).parent_path().string());
  EXPECT_TRUE(dialogs.AllAnswered());

  // "Select" offers the diseases with outputs, in table order; the cursor stays.
  data.KavrelTable1().Locate("DiseaseName", "Gout");
  dialogs.PushCheckList(std::vector<int>{1});
  ASSERT_TRUE(SelectExportDiseases(window, data, dialogs));
  EXPECT_EQ(dialogs.History().back().items, (std::vector<std::string>{"Asthma", "Females only"}));
  EXPECT_EQ(window.Selected, std::vector<int>{1});
  EXPECT_EQ(data.KavrelTable1().FieldText("DiseaseName"), "Gout");
}

}  // namespace
}  // namespace kavrel
