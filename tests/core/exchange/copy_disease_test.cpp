#include "core/exchange/copy_disease.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/input_editor.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/disease_list.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// A source data set (highest age 100) with "Asthma": input rows for men, adjusted series,
// outputs for both sexes, different trends for men and women, stored options for men.
struct CopyDiseaseTest : StoreFixture {
  void SetUp() override {
    OpenNewDataset("Source.mdb", 100);
    data.ExecDataset(
        "insert into InputDiseases (DiseaseName, ICDcode, Remarks) values ('Asthma', 'J45', "
        "'Notes on asthma')");
    TableCursor& table = data.KavrelTable1();
    table.Refresh();
    Tdisease disease("Asthma");
    disease.TakeRecord(table);
    DiseaseStore store{data, dialogs, 100};
    disease.InputRows[kIncidence][kMales] = {
        {0, kMales, 0, 101, 0.004, {InputPrecision::Kind::kCount, 40, 10000, 0, 0}}};
    store.StoreInput(disease, kIncidence, kMales);
    for (int s = 0; s < kSexCount; ++s) {
      disease.Sex = static_cast<std::uint8_t>(s);
      disease.InputSeries[kIncidence][s].fill(0.004 + s * 0.001);
      disease.FromOutput[kIncidence][kFemales] = true;
      for (int v = 0; v < kVariableCount; ++v) disease.OutputSeries[v][s].fill(0.01 * (v + 1) + s);
      disease.TrendsOn = true;
      disease.Trends = {};
      disease.Trends[0].Blocks = {{-10, 0, s == kMales ? 1.02 : 0.97}};
      if (s == kFemales) disease.Trends[2].Blocks = {{-5, 0, 0.99}};
      // The men's result has intervals, the women's none.
      disease.Intervals[s].Present = s == kMales;
      disease.Intervals[s].Lower[kPrevalence].fill(0.01);
      disease.Intervals[s].Upper[kPrevalence].fill(0.03);
      store.SaveOutputs(disease);
    }
    disease.CalcSettings.Records[kMales].Agegroup = 4;
    ASSERT_TRUE(disease.CalcSettings.SaveToTable(kMales, data, disease.InputId, dialogs));
    table.Refresh();
  }

  // A destination made from the template with series tables of the given width.
  std::string Destination(const std::string& name, int highestAge) {
    const std::string file = dir.File(name);
    fs::copy_file(data.InputTemplatePath, file);
    auto db = Database::Open(file);
    CreateSeriesTables(db, highestAge);
    return file;
  }
};

TEST_F(CopyDiseaseTest, CopiesEverythingWithEachDestinationsWidthAndTrends) {
  const std::string narrow = Destination("Narrow.mdb", 85);
  const std::string replacing = Destination("Replacing.mdb", 100);
  {
    auto db = Database::Open(replacing);
    for (const char* name : {"Gout", "Flu", "Asthma"}) {
      db.Exec(std::string("insert into InputDiseases (DiseaseName) values ('") + name + "')");
    }
  }
  StoreRatesIndex(data, 1, kIncidence, 4);  // entered per 100,000
  const auto outcomes = CopyDisease(data, dialogs, 100, "Asthma", "Asthma",
                                    {{narrow, "", 85}, {replacing, "", 0}}, nullptr);
  ASSERT_EQ(outcomes.size(), 2u);
  for (const auto& outcome : outcomes) EXPECT_TRUE(outcome.Copied) << outcome.Error;
  EXPECT_EQ(outcomes[0].InputId, 1);
  EXPECT_EQ(outcomes[1].InputId, 3);  // the existing disease's number is kept

  auto db = Database::Open(narrow);
  auto disease = db.Query("select * from InputDiseases");
  ASSERT_EQ(disease.RecordCount(), 1);
  EXPECT_EQ(disease.AsText("ICDcode"), "J45");  // exactly as stored, no blank added
  EXPECT_EQ(disease.AsText("Remarks"), "Notes on asthma");
  EXPECT_TRUE(disease.AsBoolean("MIncidence"));
  EXPECT_TRUE(disease.AsBoolean("FOutput"));
  auto output = db.Query("select * from OutputMortality where Sex='Females'");
  ASSERT_EQ(output.RecordCount(), 1);
  EXPECT_EQ(output.FieldCount(), 3 + 86);  // the destination's own width
  EXPECT_NEAR(output.AsDouble(3 + 85), 1.06, 1e-12);
  EXPECT_EQ(db.Query("select * from IntermIncidence").RecordCount(), 2);
  EXPECT_EQ(db.Query("select * from InputIncidence").RecordCount(), 1);
  // The count behind the incidence goes along (the destination had no table for it).
  auto precision = db.Query("select Count, Denominator from InputPrecision where Sex='Males'");
  ASSERT_EQ(precision.RecordCount(), 1);
  EXPECT_DOUBLE_EQ(precision.AsDouble(1), 10000);
  // The intervals of the men's result go along, at the destination's ages.
  EXPECT_EQ(db.Query("select * from OutputIntervals where Sex='Males'").RecordCount(),
            kVariableCount * 86);
  EXPECT_DOUBLE_EQ(
      db.Query("select Upper from OutputIntervals where Variable=1 and Age=85").AsDouble(0), 0.03);
  EXPECT_EQ(db.Query("select * from OutputIntervals where Sex='Females'").RecordCount(), 0);
  // Each sex keeps its own trends.
  auto men = db.Query("select Varname, Waarde from Trends where Sex='Males'");
  ASSERT_EQ(men.RecordCount(), 1);
  EXPECT_DOUBLE_EQ(men.AsDouble(1), 1.02);
  auto women = db.Query("select Varname, Waarde from Trends where Sex='Females' order by Varname");
  ASSERT_EQ(women.RecordCount(), 2);
  EXPECT_EQ(women.AsText(0), "Case fatality");
  women.Next();
  EXPECT_DOUBLE_EQ(women.AsDouble(1), 0.97);
  // A destination without options gets the table and a row per sex.
  auto options = db.Query("select Agegroup from CalculationOptions order by Sex desc");
  ASSERT_EQ(options.RecordCount(), 2);
  EXPECT_EQ(options.AsInteger(0), 4);
  // The units the variables are entered in go along.
  EXPECT_EQ(db.Query("select Variable, RatesIndex from InputUnits").AsInteger(1), 4);

  auto replaced = Database::Open(replacing);
  EXPECT_EQ(replaced.Query("select * from InputDiseases").RecordCount(), 3);
  EXPECT_EQ(
      replaced.Query("select InputId from InputDiseases where DiseaseName='Asthma'").AsInteger(0),
      3);
}

// A sex without results gets no result rows in the destination, so a later save there leaves one
// row per sex; a source value that cannot be read stops the copy before anything is written.
TEST_F(CopyDiseaseTest, NoResultRowsForASexWithoutResultsAndNoCopyOfUnreadableValues) {
  data.ExecDataset("update InputDiseases set MOutput=False");
  for (int v = 0; v < kVariableCount; ++v) {
    data.ExecDataset("delete from " + OutputTable(v) + " where Sex='Males'");
  }
  data.KavrelTable1().Refresh();
  const std::string target = Destination("Target.mdb", 100);
  const auto outcomes =
      CopyDisease(data, dialogs, 100, "Asthma", "Asthma", {{target, "", 0}}, nullptr);
  ASSERT_TRUE(outcomes.at(0).Copied) << outcomes.at(0).Error;
  auto copied = Database::Open(target);
  EXPECT_EQ(copied.Query("select * from OutputIncidence where Sex='Males'").RecordCount(), 0);
  EXPECT_EQ(copied.Query("select * from OutputIncidence where Sex='Females'").RecordCount(), 1);

  data.ExecDataset("update InputIncidence set Waarde='about 0.004'");
  const std::string untouched = Destination("Untouched.mdb", 100);
  const std::string before = ReadAll(untouched);
  EXPECT_THROW(CopyDisease(data, dialogs, 100, "Asthma", "Asthma", {{untouched, "", 0}}, nullptr),
               DatabaseError);
  EXPECT_EQ(ReadAll(untouched), before);
}

TEST_F(CopyDiseaseTest, AFailingDestinationIsLeftAsItWas) {
  const std::string broken = Destination("Broken.mdb", 100);
  {
    auto db = Database::Open(broken);
    db.Exec("drop table OutputRRMortality");  // the copy fails part way
  }
  const std::string good = Destination("Good.mdb", 100);
  const std::string before = ReadAll(broken);
  const auto outcomes = CopyDisease(data, dialogs, 100, "Asthma", "Asthma copy",
                                    {{broken, "", 100}, {good, "", 100}}, nullptr);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_FALSE(outcomes[0].Copied);
  EXPECT_NE(outcomes[0].Error.find("OutputRRMortality"), std::string::npos);
  EXPECT_EQ(ReadAll(broken), before);
  EXPECT_TRUE(outcomes[1].Copied);
  EXPECT_EQ(Database::Open(good).Query("select DiseaseName from InputDiseases").AsText(0),
            "Asthma copy");

  EXPECT_TRUE(CopyDisease(data, dialogs, 100, "", "x", {{good, "", 100}}, nullptr).empty());
  EXPECT_EQ(dialogs.Texts().back(), kSelectSourceMessage);
  EXPECT_TRUE(CopyDisease(data, dialogs, 100, "Asthma", "x", {}, nullptr).empty());
  EXPECT_EQ(dialogs.Texts().back(), kSelectDestinationsMessage);
}

// The copy window: the diseases of the open data set, the data sets of a collection read through
// a connection of its own, the messages for what is not chosen, and a copy to a listed data set.
TEST_F(CopyDiseaseTest, CopyWindowListsChoosesAndCopies) {
  OpenNewCollection("Local.mdb");
  const std::string target = Destination("Target.mdb", 85);
  data.ExecCollection(
      "insert into Datasets (DataSetName, DataBaseName, HighestAge) values ('Target', " +
      Quote(target) + ", 85)");
  data.CloseCollection();  // the window does not need the program's collection

  CopyWindow window(data, dialogs);
  window.Open(100);
  EXPECT_EQ(window.Diseases, std::vector<std::string>{"Asthma"});
  ASSERT_TRUE(window.ChooseCollection(dir.File("Local.mdb")));
  ASSERT_EQ(window.Datasets.size(), 1u);
  EXPECT_EQ(window.Datasets[0].Name, "Target");
  EXPECT_EQ(window.Datasets[0].File, target);

  EXPECT_FALSE(window.Copy("", "Asthma", {0}));
  EXPECT_FALSE(window.Copy("Asthma", "Asthma", {}));
  EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{std::string(kSelectSourceMessage),
                                                       std::string(kSelectDestinationsMessage)}));
  ASSERT_TRUE(window.Copy("Asthma", "Asthma bronchiale", {0}));
  auto copied = Database::Open(target);
  EXPECT_EQ(copied.Query("select * from InputDiseases where DiseaseName='Asthma bronchiale'")
                .RecordCount(),
            1);

  // A file that is not a collection: the message, and nothing listed.
  const std::string text = dir.File("notes.txt");
  std::ofstream(text) << "not a database";
  EXPECT_FALSE(window.ChooseCollection(text));
  EXPECT_TRUE(window.Datasets.empty());
  EXPECT_EQ(dialogs.Texts().size(), 3u);
  window.Close();
}

TEST_F(CopyDiseaseTest, DiseaseListAndCheckList) {
  data.ExecDataset("insert into InputDiseases (DiseaseName, ICDcode) values ('Gout', 'A10')");
  data.ExecDataset("insert into InputDiseases (DiseaseName) values ('Bronchitis')");
  EXPECT_EQ(
      DiseaseListRows(data, DiseaseSort::kName),
      (std::vector<std::string>{"  1#  Asthma#  J45", "  3#  Bronchitis#  ", "  2#  Gout#  A10"}));
  const auto byCode = DiseaseListRows(data, DiseaseSort::kCode);
  EXPECT_EQ(byCode[0], "  3#  Bronchitis#  ");  // no code sorts first
  EXPECT_EQ(byCode[1], "  2#  Gout#  A10");
  EXPECT_EQ(DiseaseListRows(data, DiseaseSort::kId)[1], "  2#  Gout#  A10");
  TableCursor& table = data.KavrelTable1();
  table.Refresh();
  ASSERT_TRUE(LocateListedDisease(table, "  2#  Gout#  A10"));
  EXPECT_EQ(table.FieldText("DiseaseName"), "Gout");
  EXPECT_FALSE(LocateListedDisease(table, ""));

  CheckListModel check;
  check.Add("50%");
  check.Add("90%");
  check.Checked[1] = true;
  EXPECT_EQ(check.CheckedRows(), std::vector<int>{1});
  check.Cancel();
  EXPECT_TRUE(check.CheckedRows().empty());
}

}  // namespace
}  // namespace kavrel
