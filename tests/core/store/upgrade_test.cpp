#include <gtest/gtest.h>

#include "core/store/data_kavrel.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// A data set file of the older layout: no Trends, InputDiseases without IncidencePopRate, the
// 33-column options table, and its own standard patterns and schedules.
void WriteOldDataset(const std::string& path, bool brokenOptions = false) {
  auto db = Database::Open(path, true);
  db.Exec(
      "create table InputDiseases (InputId integer primary key autoincrement, DiseaseName "
      "char(50), ICDcode char(50), Remarks longtext, MIncidence logical)");
  db.Exec("insert into InputDiseases (DiseaseName, MIncidence) values ('Asthma', True)");
  std::string columns =
      "InputId integer, Sex char(10), Agegroup integer, Linearsmooth logical, MovAvsmooth "
      "logical, CuSplinesmooth logical, BirthPrev logical, InciValue char(50), RemiValue "
      "char(50), CfatValue char(50), InciEnforce integer, RemiEnforce integer, CfatEnforce "
      "integer, InciWeight integer, PrevWeight integer, RemiWeight integer, CfatWeight integer, "
      "DuraWeight integer, MortWeight integer, RRMortWeight integer, InciIgn logical, PrevIgn "
      "logical, RemiIgn logical, CfatIgn logical, DuraIgn logical, MortIgn logical, RRMortIgn "
      "logical, MaxIter char(50), Precision char(50), Simplex char(50), Alpha char(50), Beta "
      "char(50), Gamma char(50)";
  if (brokenOptions) columns = "InputId integer, Sex char(10)";
  db.Exec("create table CalculationOptions (" + columns + ")");
  if (brokenOptions) {
    db.Exec("insert into CalculationOptions values (1, 'Males')");
  } else {
    for (const char* sex : {"'Males'", "'Females'"}) {
      db.Exec(std::string("insert into CalculationOptions values (1, ") + sex +
              ", 5, True, False, True, False, '0.5  ', ' 1', '2.0 ', 1, 0, 2, 1, 1, 1, 1, 1, 1, "
              "1, False, False, True, False, False, False, False, '  5000', '1E-8 ', '0.1', "
              "'1.0', '0.5', '2.0')");
    }
  }
  db.Exec(
      "create table StandardAgePatterns (Name char(150), Lage integer, Hage integer, "
      "Waarde float)");
  db.Exec("insert into StandardAgePatterns values ('Shared', 0, 50, 9.0)");
  db.Exec("insert into StandardAgePatterns values ('Old only', 50, 111, 0.25)");
  db.Exec("insert into StandardAgePatterns values ('Old only', 0, 50, 0.5)");
  db.Exec(
      "create table StandardAgeSchedules (InputID integer, Name char(50), Lage integer, "
      "Hage integer)");
  db.Exec("insert into StandardAgeSchedules values (1, 'Tens', 0, 10)");
  db.Exec("insert into StandardAgeSchedules values (1, 'Tens', 10, 20)");
  db.Exec("insert into StandardAgeSchedules values (2, 'Decades', 0, 50)");
}

// An older data set with nothing but its diseases table (and the columns given).
void WriteBareDataset(const std::string& path, const std::string& moreColumns = "") {
  auto db = Database::Open(path, true);
  db.Exec(
      "create table InputDiseases (InputId integer primary key autoincrement, DiseaseName "
      "char(50)" +
      moreColumns + ")");
}

struct UpgradeTest : StoreFixture {
  void SetUp() override {
    OpenNewCollection();
    data.ExecCollection("insert into StandardAgePatterns values ('Shared', 0, 111, 1.0)");
    for (int id = 1; id <= 4; ++id) {
      data.ExecCollection("insert into StandardAgeSchedules values (" + std::to_string(id) +
                          ", 'Schedule " + std::to_string(id) + "', 0, 111)");
    }
  }
};

TEST_F(UpgradeTest, OlderDataSetIsConvertedOnOpening) {
  WriteOldDataset(dir.File("Old.mdb"));
  data.OpenDataset(dir.File("Old.mdb"));
  EXPECT_TRUE(data.DatasetHasTable("Trends"));
  EXPECT_FALSE(data.DatasetHasTable("StandardAgePatterns"));
  EXPECT_FALSE(data.DatasetHasTable("StandardAgeSchedules"));
  QueryResult& disease = data.QueryDataset("select IncidencePopRate from InputDiseases");
  EXPECT_FALSE(disease.AsBoolean(0));

  QueryResult& options = data.QueryDataset("select * from CalculationOptions order by Sex desc");
  ASSERT_EQ(options.RecordCount(), 2);
  ASSERT_EQ(options.FieldCount(), 40);
  EXPECT_EQ(options.AsInteger("FitMethod"), 0);  // per age group, as before
  EXPECT_EQ(options.AsText("Sex"), "Males");
  EXPECT_EQ(options.AsInteger("Agegroup"), 5);
  EXPECT_EQ(options.AsText("Linearsmooth"), "True");
  EXPECT_EQ(options.AsText("CuSplinesmooth"), "True");
  for (const char* flag : {"Only0", "Trends", "InciExact", "RemiExact", "CfatExact"}) {
    EXPECT_EQ(options.AsText(flag), "False") << flag;
  }
  EXPECT_EQ(options.AsText("InciValue"), "0.5");
  EXPECT_EQ(options.AsText("RemiValue"), "1");
  EXPECT_EQ(options.AsText("CfatEnforce"), "2");
  EXPECT_EQ(options.AsText("RemiIgn"), "True");
  EXPECT_EQ(options.AsText("MaxIter"), "5000");
  EXPECT_EQ(options.AsText("Precision"), "1E-8");
  EXPECT_EQ(options.AsText("Gamma"), "2.0");

  // A pattern the collection has already keeps the collection's rows; the others move over.
  QueryResult& shared = data.QueryCollection(
      "select Lage, Hage, Waarde from StandardAgePatterns where Name='Shared'");
  ASSERT_EQ(shared.RecordCount(), 1);
  EXPECT_EQ(shared.AsDouble(2), 1.0);
  QueryResult& moved = data.QueryCollection(
      "select Lage, Waarde from StandardAgePatterns where Name='Old only' order by Lage");
  ASSERT_EQ(moved.RecordCount(), 2);
  moved.Last();
  EXPECT_EQ(moved.AsInteger(0), 50);
  EXPECT_EQ(moved.AsDouble(1), 0.25);
  // Schedules are numbered on from the collection's highest, in the order of their names.
  QueryResult& schedules = data.QueryCollection(
      "select distinct InputID, Name from StandardAgeSchedules where InputID > 4 order by InputID");
  ASSERT_EQ(schedules.RecordCount(), 2);
  EXPECT_EQ(schedules.AsText(1), "Decades");
  EXPECT_EQ(schedules.AsInteger(0), 5);
  schedules.Next();
  EXPECT_EQ(schedules.AsText(1), "Tens");
  EXPECT_EQ(schedules.AsInteger(0), 6);
  EXPECT_EQ(
      data.QueryCollection("select * from StandardAgeSchedules where InputID=6").RecordCount(), 2);

  // Converted once: opening again changes nothing.
  data.CloseDataset();
  const std::string converted = ReadAll(dir.File("Old.mdb"));
  data.OpenDataset(dir.File("Old.mdb"));
  data.CloseDataset();
  EXPECT_EQ(ReadAll(dir.File("Old.mdb")), converted);
}

TEST_F(UpgradeTest, AFailedConversionLeavesBothFilesAsTheyWere) {
  WriteOldDataset(dir.File("Old.mdb"), true);
  data.CloseCollection();
  const std::string oldData = ReadAll(dir.File("Old.mdb"));
  const std::string oldCollection = ReadAll(dir.File("Local.mdb"));
  data.OpenCollection(dir.File("Local.mdb"));
  EXPECT_THROW(data.OpenDataset(dir.File("Old.mdb")), DatabaseError);
  EXPECT_FALSE(data.DatasetIsOpen());
  data.CloseCollection();
  EXPECT_EQ(ReadAll(dir.File("Old.mdb")), oldData);
  EXPECT_EQ(ReadAll(dir.File("Local.mdb")), oldCollection);
}

TEST_F(UpgradeTest, OlderDataSetWithoutOptionsOrPatterns) {
  WriteBareDataset(dir.File("Bare.mdb"));
  data.CloseCollection();
  data.OpenDataset(dir.File("Bare.mdb"));
  EXPECT_TRUE(data.DatasetHasTable("Trends"));
  EXPECT_FALSE(data.DatasetHasTable("CalculationOptions"));
}

// A command that only reads refuses an older file and leaves it, and the collection, as they were;
// a file that already has the newer IncidencePopRate column but no Trends table converts.
TEST_F(UpgradeTest, ReadingLeavesAnOlderFileAndAHalfConvertedOneConverts) {
  WriteOldDataset(dir.File("Old.mdb"));
  const std::string before = ReadAll(dir.File("Old.mdb"));
  try {
    data.OpenDataset(dir.File("Old.mdb"), false);
    FAIL() << "opened";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Old.mdb is a data set of an older layout. This command only reads and leaves it as "
              "it is; opening it in Kavrel, or a command that saves, converts it.");
  }
  EXPECT_FALSE(data.DatasetIsOpen());
  EXPECT_EQ(ReadAll(dir.File("Old.mdb")), before);
  // Finding the highest age, the first step of every command, reads too.
  EXPECT_THROW(ProbeHighestAge(data, dir.File("Old.mdb"), false), DatabaseError);
  EXPECT_EQ(ReadAll(dir.File("Old.mdb")), before);

  WriteBareDataset(dir.File("Half.mdb"), ", IncidencePopRate logical");
  data.CloseCollection();
  data.OpenDataset(dir.File("Half.mdb"));
  EXPECT_TRUE(data.DatasetHasTable("Trends"));
}

}  // namespace
}  // namespace kavrel
