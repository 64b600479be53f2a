#include "example_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>

#include <gtest/gtest.h>

#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"
#include "core/store/settings.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// The shipped installation, built in a temporary directory and started as a user would.
struct ExampleDataTest : ::testing::Test {
  void SetUp() override {
    programDir = (dir.path / "bin").string() + "/";
    dataDir = (dir.path / "KavrelData").string();
    install::BuildTemplates(programDir);
    install::BuildExampleData(programDir, dataDir);
    std::ofstream(programDir + "Kavrel.ini") << "[Filedirs]\nfd1=" << dataDir << "\n";
    ASSERT_EQ(LoadSettings(settings, programDir, data, dialogs, nullptr), StartUp::kContinue);
    data.OpenCollection(settings.Collections.at(0).Path());
    const auto rows = ListDatasets(data);
    ASSERT_EQ(rows.size(), 1u);
    example = rows[0];
    ASSERT_TRUE(OpenCurrentDataset(settings, data, dialogs, example));
  }

  TempDir dir;
  std::string programDir;
  std::string dataDir;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  SettingsState settings;
  DatasetRow example;
};

TEST_F(ExampleDataTest, FirstStartFindsTheExampleDataSet) {
  EXPECT_EQ(example.Name, "Example");
  EXPECT_EQ(example.File, dataDir + "/data/Example.mdb");
  EXPECT_EQ(example.HighestAge, 100);
  // The user's own copy, to save results into.
  EXPECT_FALSE(example.ReadOnly);
  EXPECT_NE(example.Notes.find("synthetic"), std::string::npos);
  EXPECT_EQ(settings.MaxAge, 100);
  EXPECT_TRUE(dialogs.Texts().empty());
  EXPECT_TRUE(data.DatasetHasTable("Trends"));
  EXPECT_NO_THROW(data.QueryDataset("select A100 from OutputIncidence"));
}

TEST_F(ExampleDataTest, PopulationLooksLikeALifeTable) {
  QueryResult& mortality =
      data.QueryDataset("select Lage, Hage, Males, Females from TotalMortality order by Lage");
  ASSERT_EQ(mortality.RecordCount(), 22);
  std::vector<double> males;
  for (mortality.First(); !mortality.Eof(); mortality.Next()) {
    EXPECT_GT(mortality.AsDouble(2), mortality.AsDouble(3)) << "age " << mortality.AsInteger(0);
    males.push_back(mortality.AsDouble(2));
  }
  mortality.Last();
  EXPECT_EQ(mortality.AsInteger(0), 100);  // the highest age, as adding the file would read it
  EXPECT_NEAR(males.front(), 0.004, 0.001);
  EXPECT_NEAR(males.back(), 0.3, 0.05);
  const auto lowest = std::min_element(males.begin(), males.end()) - males.begin();
  EXPECT_TRUE(lowest == 2 || lowest == 3) << lowest;  // 5-9 or 10-14
  // About 9 % a year between 50 and 80: six five-year steps.
  EXPECT_NEAR(std::pow(males[18] / males[12], 1.0 / 30.0), 1.09, 0.01);

  QueryResult& population = data.QueryDataset("select sum(Males), sum(Females) from Population");
  EXPECT_NEAR(population.AsDouble(0) + population.AsDouble(1), 10.0e6, 10.0);
}

TEST_F(ExampleDataTest, FiveDiseasesWithTheirKindsOfInput) {
  TableCursor& diseases = data.KavrelTable1();
  ASSERT_EQ(diseases.RecordCount(), 5);
  struct Expected {
    const char* name;
    std::vector<int> inputs;
    bool popRate;
    bool processed;
  };
  const Expected expected[] = {
      {"Asthma", {kIncidence, kRemission, kCaseFatality}, false, false},
      {"Ischaemic heart disease", {kPrevalence, kRemission, kMortality}, false, false},
      {"Colorectal cancer", {kIncidence, kRemission, kCaseFatality}, true, false},
      {"Diabetes mellitus", {kPrevalence, kDuration, kRRMortality}, false, false},
      {"Stroke", {kIncidence, kRemission, kCaseFatality}, false, true},
  };
  diseases.First();
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(diseases.FieldText("DiseaseName"), e.name);
    EXPECT_EQ(diseases.FieldBoolean("IncidencePopRate"), e.popRate);
    const auto id = std::to_string(diseases.Key());
    for (int s = 0; s < kSexCount; ++s) {
      for (int v = 0; v < kVariableCount; ++v) {
        const bool given = std::count(e.inputs.begin(), e.inputs.end(), v) > 0;
        EXPECT_EQ(diseases.FieldBoolean(kInputFlagColumns[s][v]), given);
        EXPECT_EQ(diseases.FieldBoolean(kProcessedFlagColumns[s][v]), given && e.processed);
        QueryResult& rows = data.QueryDataset("select Lage, Hage, Waarde from " + InputTable(v) +
                                              " where inputid=" + id + " and Sex='" +
                                              std::string(kSexNames[s]) + "' order by Lage");
        EXPECT_EQ(rows.RecordCount(), given ? 21 : 0);
        for (rows.First(); !rows.Eof(); rows.Next()) {
          const double value = rows.AsDouble(2);
          EXPECT_GE(value, 0.0);
          if (v == kRemission && std::string(e.name) == "Ischaemic heart disease") {
            EXPECT_EQ(value, 0.0);
          }
        }
        if (given) {
          rows.Last();
          EXPECT_EQ(rows.AsInteger(0), 100);
          EXPECT_EQ(rows.AsInteger(1), 101);
        }
      }
    }
    diseases.Next();
  }
  QueryResult& trends = data.QueryDataset(
      "select Sex, Varname, Startt, Endt, Waarde from Trends where InputID=5 order by Sex");
  ASSERT_EQ(trends.RecordCount(), 2);
  EXPECT_EQ(trends.AsText("Varname"), "Incidence");
  EXPECT_DOUBLE_EQ(trends.AsDouble("Waarde"), 0.985);
  EXPECT_EQ(data.QueryDataset("select * from IntermIncidence where InputId=5").RecordCount(), 2);
  QueryResult& options = data.QueryDataset("select Trends from CalculationOptions where InputId=5");
  ASSERT_EQ(options.RecordCount(), 2);
  EXPECT_TRUE(options.AsBoolean(0));
}

}  // namespace
}  // namespace kavrel
