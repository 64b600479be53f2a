#include "core/exchange/input_import.h"

#include <gtest/gtest.h>

#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/grid.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

CsvTable Lines(const std::string& text) { return ParseCsvTable(text); }

constexpr char kHeadings[] = "Disease,ICD,Sex,Variable,Age from,Age to,Value\n";

struct InputImportTest : StoreFixture {
  void SetUp() override {
    OpenNewDataset();
    data.ExecDataset("insert into InputDiseases (DiseaseName, ICDcode) values ('Asthma', 'J45 ')");
    data.ExecDataset("insert into InputDiseases (DiseaseName, ICDcode) values ('Gout', 'M10 ')");
    data.ExecDataset("insert into InputIncidence values ('Asthma', 1, 'Males', 0, 101, 0.004)");
    data.ExecDataset("update InputDiseases set MIncidence=True where InputId=1");
  }
  int Count(const std::string& query) { return data.QueryDataset(query).RecordCount(); }
};

// Imported, then read back as the program reads a disease: the same groups and values; a disease
// of the same name keeps its number and loses its old inputs.
TEST_F(InputImportTest, RoundTripAddsAndReplaces) {
  // Asthma has a result and an adjusted input made from its old inputs.
  std::string zeros;
  for (int a = 0; a <= 100; ++a) zeros += ", 0";
  for (const char* table : {"OutputIncidence", "IntermIncidence"}) {
    data.ExecDataset(std::string("insert into ") + table + " values ('Asthma', 1, 'Males'" + zeros +
                     ")");
  }
  data.ExecDataset("update InputDiseases set MOutput=True, MIncidenceproc=True where InputId=1");
  const auto outcome =
      ImportInputs(data,
                   Lines(std::string(kHeadings) + "Stroke,I60,Females,Incidence,0,49,0.0001\n"
                                                  "Stroke,I60,Females,Incidence,50,,0.004\n"
                                                  "Stroke,I60,females,case fatality,0,,0.05\n"
                                                  "Stroke,I60,F,Remission,0,,0\n"
                                                  "Asthma,J45,Males,Prevalence,85,,0.08\n"
                                                  "Asthma,J45,Males,Prevalence,0,84,0.05\n"),
                   100);
  ASSERT_TRUE(outcome.Refusals.empty()) << outcome.Refusals.front();
  EXPECT_EQ(outcome.Added, std::vector<std::string>{"Stroke"});
  EXPECT_EQ(outcome.Replaced, std::vector<std::string>{"Asthma"});
  EXPECT_EQ(outcome.Rows, 6);
  EXPECT_EQ(Count("select * from InputIncidence where InputId=1"), 0);  // replaced
  // The result and the adjusted input belonged to the old inputs: cleared with their flags.
  EXPECT_EQ(Count("select * from OutputIncidence where InputId=1"), 0);
  EXPECT_EQ(Count("select * from IntermIncidence where InputId=1"), 0);
  EXPECT_EQ(Count("select * from InputDiseases where InputId=1 and (MOutput or MIncidenceproc)"),
            0);
  EXPECT_EQ(Count("select * from InputDiseases"), 3);
  TableCursor& diseases = data.KavrelTable1();
  ASSERT_TRUE(diseases.Locate("DiseaseName", "Asthma"));
  EXPECT_EQ(diseases.Key(), 1);  // kept its number
  Tdisease asthma("Asthma");
  asthma.TakeRecord(diseases);
  DiseaseStore store{data, dialogs, 100};
  store.LoadInputs(asthma);
  EXPECT_FALSE(asthma.InputPresent[kIncidence][kMales]);
  ASSERT_TRUE(asthma.InputPresent[kPrevalence][kMales]);
  ASSERT_EQ(asthma.InputRows[kPrevalence][kMales].size(), 2u);
  EXPECT_EQ(asthma.InputRows[kPrevalence][kMales][1].Lage, 85);
  EXPECT_EQ(asthma.InputRows[kPrevalence][kMales][1].Hage, 101);
  EXPECT_DOUBLE_EQ(asthma.InputSeries[kPrevalence][kMales][40], 0.05);
  EXPECT_DOUBLE_EQ(asthma.InputSeries[kPrevalence][kMales][90], 0.08);
  ASSERT_TRUE(diseases.Locate("DiseaseName", "Stroke"));
  Tdisease stroke("Stroke");
  stroke.TakeRecord(diseases);
  store.LoadInputs(stroke);
  EXPECT_TRUE(stroke.InputPresent[kRemission][kFemales]);
  EXPECT_TRUE(stroke.InputPresent[kCaseFatality][kFemales]);
  EXPECT_DOUBLE_EQ(stroke.InputSeries[kIncidence][kFemales][60], 0.004);
}

// Every refusal with its line; a file with any refusal stores nothing.
TEST_F(InputImportTest, RefusedLinesChangeNothing) {
  const struct {
    const char* line;
    const char* expected;
  } cases[] = {
      {"Gout,M10,Males,Weight,0,,1", "Line 2: \"Weight\" is no variable"},
      {"Gout,M10,Men and women,Prevalence,0,,0.1", "Line 2: \"Men and women\" is no sex"},
      {"Gout,M10,Males,Prevalence,0,,lots", "Line 2: \"lots\" is no number"},
      {"Gout,M10,Males,Prevalence,0,,-0.1", "Line 2: "},
      {"Gout,M10,Males,Prevalence,0,,1.5", "Line 2: "},
      {"Gout,M10,Males,Prevalence,120,,0.1", "Line 2: \"120\" is no age from 0 to 100"},
      {"Gout,M10,Males,Prevalence,50,40,0.1", "Line 2: \"40\" is no last age"},
      {",M10,Males,Prevalence,0,,0.1", "Line 2: the disease has no name"},
      {"asthma ,J45,Males,Prevalence,0,,0.1",
       "Line 2: the data set has a disease named \"Asthma\""},
      {"Gout,M10,Males,Prevalence,0,200,0.1", "Line 2: \"200\" is beyond the highest age"},
      {"Gout,M10,Males,Prevalence,0,,0x1p-3", "Line 2: \"0x1p-3\" is no number"},
  };
  for (const auto& c : cases) {
    const auto outcome = ImportInputs(
        data, Lines(std::string(kHeadings) + c.line + "\nNew,X,Males,Prevalence,0,,0.1\n"), 100);
    ASSERT_EQ(outcome.Refusals.size(), 1u) << c.line;
    EXPECT_EQ(outcome.Refusals[0].rfind(c.expected, 0), 0u) << outcome.Refusals[0];
    EXPECT_EQ(Count("select * from InputDiseases"), 2);  // "New" not added
  }
  // Overlapping groups, named by both lines; a heading missing.
  auto outcome = ImportInputs(data,
                              Lines(std::string(kHeadings) + "Gout,M10,Males,Prevalence,0,49,0.1\n"
                                                             "Gout,M10,Males,Prevalence,40,,0.2\n"),
                              100);
  ASSERT_EQ(outcome.Refusals.size(), 1u);
  EXPECT_EQ(outcome.Refusals[0],
            "Line 3: the age group 40+ of Prevalence of Gout for Males overlaps the group 0-49 on "
            "line 2");
  outcome = ImportInputs(data, Lines("Disease,Sex,Variable,Age from,Age to,Value\n"), 100);
  ASSERT_EQ(outcome.Refusals.size(), 1u);
  EXPECT_EQ(outcome.Refusals[0], "Line 1: no column \"ICD\" among the headings");
  EXPECT_EQ(Count("select * from InputPrevalence"), 0);
  EXPECT_EQ(Count("select * from InputIncidence where InputId=1"), 1);  // Asthma untouched
}

// Precision imported beside the values: a count over its denominator or an interval, read back
// with the rows, dropped when the disease is imported again without it; a file that gives a
// precision that cannot hold is refused whole.
TEST_F(InputImportTest, PrecisionTravelsWithTheGroups) {
  constexpr char kWithPrecision[] =
      "Disease,ICD,Sex,Variable,Age from,Age to,Value,Count,Denominator,Lower,Upper\n";
  auto outcome = ImportInputs(
      data,
      Lines(std::string(kWithPrecision) + "Gout,M10,Males,Prevalence,0,49,0.01,50,5000,,\n"
                                          "Gout,M10,Males,Prevalence,50,,0.02,0,,,\n"
                                          "Gout,M10,Males,Mortality,0,,0,0,12000,,\n"
                                          "Gout,M10,Males,Duration,0,,10,,,8,12.5\n"),
      100);
  ASSERT_FALSE(outcome.Refusals.empty());
  EXPECT_EQ(
      outcome.Refusals[0].rfind("Line 3: \"\" is no number; give both Count and Denominator", 0),
      0u)
      << outcome.Refusals[0];
  outcome = ImportInputs(
      data,
      Lines(std::string(kWithPrecision) + "Gout,M10,Males,Prevalence,0,49,0.01,50,5000,,\n"
                                          "Gout,M10,Males,Prevalence,50,,0.02,,,,\n"
                                          "Gout,M10,Males,Mortality,0,,0,0,12000,,\n"
                                          "Gout,M10,Males,Duration,0,,10,,,8,12.5\n"),
      100);
  ASSERT_TRUE(outcome.Refusals.empty()) << outcome.Refusals.front();
  TableCursor& diseases = data.KavrelTable1();
  ASSERT_TRUE(diseases.Locate("DiseaseName", "Gout"));
  DiseaseStore store{data, dialogs, 100};
  {
    Tdisease gout("Gout");
    gout.TakeRecord(diseases);
    store.LoadInputs(gout);
    const auto& prevalence = gout.InputRows[kPrevalence][kMales];
    ASSERT_EQ(prevalence.size(), 2u);
    EXPECT_EQ(prevalence[0].Precision.Type, InputPrecision::Kind::kCount);
    EXPECT_DOUBLE_EQ(prevalence[0].Precision.Count, 50);
    EXPECT_DOUBLE_EQ(prevalence[0].Precision.Denominator, 5000);
    EXPECT_FALSE(prevalence[1].Precision.Known());
    // A zero count is evidence, kept as such.
    EXPECT_EQ(gout.InputRows[kMortality][kMales][0].Precision.Type, InputPrecision::Kind::kCount);
    EXPECT_DOUBLE_EQ(gout.InputRows[kMortality][kMales][0].Precision.Denominator, 12000);
    const InputPrecision& duration = gout.InputRows[kDuration][kMales][0].Precision;
    EXPECT_EQ(duration.Type, InputPrecision::Kind::kInterval);
    EXPECT_DOUBLE_EQ(duration.Lower, 8);
    EXPECT_DOUBLE_EQ(duration.Upper, 12.5);
  }
  // Impossible precision: each refused with its line.
  const struct {
    const char* line;
    const char* expected;
  } cases[] = {
      {"Gout,M10,Males,Prevalence,0,,0.01,60,50,,",
       "the precision of Prevalence of Gout for Males: the count of cases exceeds"},
      {"Gout,M10,Males,Duration,0,,10,3,100,,",
       "the precision of Duration of Gout for Males: a count and denominator do not describe"},
      {"Gout,M10,Males,Prevalence,0,,0.01,5,500,0.005,0.02", "give a count and its denominator"},
      {"Gout,M10,Males,Prevalence,0,,0.05,,,0.01,0.02", "the precision of Prevalence of Gout"},
      {"Gout,M10,Males,Incidence,0,,0.01,-1,500,,", "the precision of Incidence of Gout"},
  };
  for (const auto& c : cases) {
    outcome = ImportInputs(data, Lines(std::string(kWithPrecision) + c.line + "\n"), 100);
    ASSERT_EQ(outcome.Refusals.size(), 1u) << c.line;
    EXPECT_NE(outcome.Refusals[0].find(c.expected), std::string::npos) << outcome.Refusals[0];
  }
  // Imported again without precision: none is left.
  outcome = ImportInputs(
      data, Lines(std::string(kHeadings) + "Gout,M10,Males,Prevalence,0,,0.01\n"), 100);
  ASSERT_TRUE(outcome.Refusals.empty());
  EXPECT_EQ(Count("select * from InputPrecision"), 0);
}

}  // namespace
}  // namespace kavrel
