#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Columns(Database& db, const std::string& table) {
  std::vector<std::string> names;
  auto info = db.Query("pragma table_info(" + table + ")");
  for (info.First(); !info.Eof(); info.Next()) names.push_back(info.AsText("name"));
  return names;
}

using DataModuleTest = StoreFixture;

TEST_F(DataModuleTest, TemplatesHoldTheTablesNewFilesNeed) {
  OpenNewCollection();
  EXPECT_TRUE(data.CollectionHasTable("Datasets"));
  OpenNewDataset("Set.mdb", 65);
  for (const char* table : {"InputDiseases", "TotalMortality", "Population", "Trends"}) {
    EXPECT_TRUE(data.DatasetHasTable(table)) << table;
  }
  const auto diseases = Columns(data.Dataset(), "InputDiseases");
  ASSERT_EQ(diseases.size(), 35u);
  EXPECT_EQ(diseases[0], "InputId");
  EXPECT_EQ(diseases[11], "MOutput");
  EXPECT_EQ(diseases[12], "MIncidenceproc");
  EXPECT_EQ(diseases[19], "FIncidence");
  EXPECT_EQ(diseases[34], "IncidencePopRate");
  for (int v = 0; v < kVariableCount; ++v) {
    EXPECT_EQ(Columns(data.Dataset(), InputTable(v)).size(), 6u);
    for (const auto& table : {IntermTable(v), OutputTable(v)}) {
      const auto columns = Columns(data.Dataset(), table);
      ASSERT_EQ(columns.size(), 3u + 66u) << table;
      EXPECT_EQ(columns[3], "A0");
      EXPECT_EQ(columns.back(), "A65");
    }
  }
  // The width of the processed tables is what fixes a data set's highest age.
  EXPECT_NO_THROW(data.QueryDataset("select A65 from IntermIncidence"));
  EXPECT_THROW(data.QueryDataset("select A70 from IntermIncidence"), DatabaseError);
}

TEST_F(DataModuleTest, CollectionGetsItsTablesOnceOnOpening) {
  OpenNewCollection();
  for (const char* table : {"Preferences", "TablePrefs", "GraphPrefs", "CalcPrefs", "FitSensPrefs",
                            "StandardAgePatterns", "StandardAgeSchedules"}) {
    EXPECT_TRUE(data.CollectionHasTable(table)) << table;
  }
  EXPECT_EQ(Columns(data.Collection(), "CalcPrefs").size(), 43u);
  EXPECT_EQ(Columns(data.Collection(), "GraphPrefs").size(), 54u);
  data.ExecCollection("insert into Preferences (PrefName) values ('Mine')");
  EXPECT_EQ(data.Collection().LastInsertId(), 1);
  // A collection with Preferences is left alone, even when another of the tables is missing.
  data.ExecCollection("drop table TablePrefs");
  data.CloseCollection();
  const std::string before = ReadAll(dir.File("Local.mdb"));
  data.OpenCollection(dir.File("Local.mdb"));
  EXPECT_FALSE(data.CollectionHasTable("TablePrefs"));
  data.CloseCollection();
  EXPECT_EQ(ReadAll(dir.File("Local.mdb")), before);
}

TEST_F(DataModuleTest, OpeningACurrentDataSetChangesNothing) {
  OpenNewDataset();
  data.CloseDataset();
  const std::string before = ReadAll(dir.File("Set.mdb"));
  data.OpenDataset(dir.File("Set.mdb"));
  data.CloseDataset();
  EXPECT_EQ(ReadAll(dir.File("Set.mdb")), before);
}

TEST_F(DataModuleTest, QueriesHoldOneResultAndReportRecordSetErrors) {
  OpenNewDataset();
  EXPECT_THROW(data.QueryCollection("select * from Datasets"), DatabaseError);  // none open
  data.ExecDataset("insert into InputDiseases (DiseaseName, ICDcode, MIncidence) values (" +
                   Quote("Alzheimer's disease") + ", 'F00 ', Yes)");
  QueryResult& first = data.QueryDataset("select DiseaseName, MIncidence from InputDiseases");
  ASSERT_EQ(first.RecordCount(), 1);
  EXPECT_EQ(first.AsText("DiseaseName"), "Alzheimer's disease");
  EXPECT_EQ(first.AsText(1), "True");
  // An unknown field is shown to the user and reads as empty; the caller goes on.
  EXPECT_EQ(first.AsText("Nonsense"), "");
  first.Next();
  EXPECT_EQ(first.AsInteger(0), 0);
  EXPECT_EQ(dialogs.Texts(),
            (std::vector<std::string>{"Field 'Nonsense' not found", "No current record"}));
  // A new statement replaces the held result.
  QueryResult& second = data.QueryDataset("select count(*) from TotalMortality");
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(second.AsInteger(0), 0);
  // A statement the engine refuses raises its message.
  try {
    data.ExecDataset("insert into NoSuchTable values (1)");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos);
  }
}

TEST_F(DataModuleTest, NewFilesNeverReplaceExistingOnes) {
  const std::string file = dir.File("Existing.mdb");
  std::ofstream(file) << "keep me";
  EXPECT_FALSE(data.NewCollectionFile(file));
  EXPECT_FALSE(data.NewDatasetFile(file));
  EXPECT_EQ(ReadAll(file), "keep me");
  data.InputTemplatePath = dir.File("missing-template.mdb");
  EXPECT_FALSE(data.NewDatasetFile(dir.File("New.mdb")));
  EXPECT_FALSE(fs::exists(dir.File("New.mdb")));
}

TEST_F(DataModuleTest, CompactionReplacesTheFileAndKeepsTheDataSetOpen) {
  OpenNewDataset();
  {
    Database::Transaction transaction(data.Dataset());
    for (int k = 0; k < 3000; ++k) {
      data.ExecDataset("insert into InputIncidence values ('Asthma', 1, 'Males', " +
                       std::to_string(k) + ", " + std::to_string(k + 1) + ", " +
                       StatementReal(k * 1e-4) + ")");
    }
    transaction.Commit();
  }
  data.ExecDataset("delete * from InputIncidence where Lage >= 10");
  const auto before = fs::file_size(dir.File("Set.mdb"));
  data.CompactDatabase(dir.File("Set.mdb"));
  EXPECT_LT(fs::file_size(dir.File("Set.mdb")), before);
  EXPECT_FALSE(fs::exists(dir.File("compacted.mdb")));
  ASSERT_TRUE(data.DatasetIsOpen());
  EXPECT_EQ(data.QueryDataset("select * from InputIncidence").RecordCount(), 10);

  // When the compacted copy cannot be written, the original stays as it was.
  data.CloseDataset();
  const std::string original = ReadAll(dir.File("Set.mdb"));
  fs::create_directories(dir.path / "compacted.mdb" / "blocker");
  EXPECT_THROW(data.CompactDatabase(dir.File("Set.mdb")), DatabaseError);
  EXPECT_EQ(ReadAll(dir.File("Set.mdb")), original);
}

TEST_F(DataModuleTest, RepairRebuildsADamagedFileAndReportsIt) {
  OpenNewDataset();
  data.CloseDataset();
  data.RepairDatabase(dir.File("Set.mdb"));
  ASSERT_EQ(dialogs.Texts().size(), 1u);
  EXPECT_EQ(dialogs.Texts()[0], "No damage was found in " + dir.File("Set.mdb") + ".");

  {
    auto db = Database::Open(dir.File("Set.mdb"));
    db.Exec("create table Filler (k integer, t char(200))");
    db.Exec("create index iid_IDX on Filler (k)");
    Database::Transaction transaction(db);
    for (int k = 0; k < 4000; ++k) {
      db.Exec("insert into Filler values (" + std::to_string(k) + ", '" + std::string(150, 'x') +
              "')");
    }
    db.Exec("insert into InputDiseases (DiseaseName) values ('Asthma')");
    transaction.Commit();
  }
  // Overwrite a page near the end of the file, inside the filler's records.
  {
    const auto size = fs::file_size(dir.File("Set.mdb"));
    std::fstream file(dir.File("Set.mdb"), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size - 3 * 4096 + 100));
    const std::string garbage(3000, '\xA5');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  ASSERT_FALSE(Database::Open(dir.File("Set.mdb")).IntegrityProblems().empty());
  data.RepairDatabase(dir.File("Set.mdb"));
  ASSERT_EQ(dialogs.Texts().size(), 2u);
  EXPECT_EQ(
      dialogs.Texts()[1].rfind("The database " + dir.File("Set.mdb") +
                                   " was damaged and has been rebuilt from what could be read",
                               0),
      0u)
      << dialogs.Texts()[1];
  EXPECT_TRUE(fs::exists(dir.File("Set.mdb.damaged")));
  auto repaired = Database::Open(dir.File("Set.mdb"));
  EXPECT_TRUE(repaired.IntegrityProblems().empty());
  EXPECT_EQ(repaired.Query("select * from InputDiseases").RecordCount(), 1);
  EXPECT_TRUE(repaired.HasTable("Trends"));
}

}  // namespace
}  // namespace kavrel
