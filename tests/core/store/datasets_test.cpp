#include "core/store/datasets.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

struct DatasetsTest : StoreFixture {
  void SetUp() override {
    settings.DataDir = dir.File("");
    fs::create_directories(dir.path / "data");
    OpenNewCollection();
  }

  // A data set made through the New page.
  bool MakeNew(const std::string& name, int highestAge, bool readOnly = false) {
    NewDatasetPage page;
    page.Name = name;
    page.File = dir.File("data/" + name + ".mdb");
    page.Country = "Netherlands";
    page.Continent = "Europe";
    page.Region = "West";
    page.HighestAge = highestAge;
    page.ReadOnly = readOnly;
    return SaveNewDataset(data, dialogs, page);
  }

  SettingsState settings;
};

TEST_F(DatasetsTest, NewDataSetIsMadeListedAndOpened) {
  NewDatasetPage page;
  EXPECT_FALSE(page.FileEnabled());
  page.Name = "Young";
  EXPECT_TRUE(page.FileEnabled());
  EXPECT_FALSE(page.SaveEnabled());

  ASSERT_TRUE(MakeNew("Young", 65, true));
  ASSERT_TRUE(MakeNew("Alzheimer's country", 100));
  EXPECT_TRUE(dialogs.Texts().empty());
  EXPECT_FALSE(fs::exists(dir.File("data/compacted.mdb")));
  const auto rows = ListDatasets(data);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Name, "Alzheimer's country");  // ordered by name
  const DatasetRow& young = rows[1];
  EXPECT_EQ(young.File, dir.File("data/Young.mdb"));
  EXPECT_TRUE(young.ReadOnly);
  EXPECT_EQ(young.Country, "Netherlands ");
  EXPECT_EQ(young.Region, "West ");
  EXPECT_EQ(young.HighestAge, 65);
  EXPECT_EQ(DatasetStatus(young, settings), "Closed");

  ASSERT_TRUE(OpenCurrentDataset(settings, data, dialogs, young));
  EXPECT_EQ(settings.CurrentDatasetName, "Young");
  EXPECT_EQ(settings.MaxAge, 65);
  EXPECT_EQ(settings.FiveYearGroupCount(), 13);
  EXPECT_EQ(settings.SingleYearAgeCount(), 66);
  EXPECT_EQ(DatasetStatus(young, settings), "Opened");
  EXPECT_EQ(DatasetStatus(rows[0], settings), "Closed");
  EXPECT_NO_THROW(data.QueryDataset("select A65 from OutputRRMortality"));
  EXPECT_THROW(data.QueryDataset("select A66 from OutputRRMortality"), DatabaseError);
  EXPECT_EQ(ProbeHighestAge(data, dir.File("data/Alzheimer's country.mdb")), 100);

  // A series table that stops short of the highest age is refused, not read as zeros.
  const std::string file = dir.File("data/Alzheimer's country.mdb");
  data.OpenDataset(file);
  data.ExecDataset("alter table OutputMortality drop column A100");
  data.CloseDataset();
  try {
    ProbeHighestAge(data, file);
    FAIL() << "probed";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Alzheimer's country.mdb is damaged: its table OutputMortality does not reach the "
              "data set's highest age, 100. It was left as it is.");
  }
}

// The properties the window edits in place: geography texts keep the blank the table stores after
// them, notes are stored as typed, apostrophes cannot break the statement.
TEST_F(DatasetsTest, PropertiesAreWrittenInPlace) {
  ASSERT_TRUE(MakeNew("Netherlands", 100));
  const std::int64_t id = ListDatasets(data)[0].Id;
  UpdateDatasetProperty(data, id, DatasetProperty::kCountry, "Cote d'Ivoire");
  UpdateDatasetProperty(data, id, DatasetProperty::kRegion, "West Africa");
  UpdateDatasetProperty(data, id, DatasetProperty::kNotes, "Census '98; mortality 2001");
  UpdateDatasetReadOnly(data, id, true);
  const DatasetRow row = ListDatasets(data)[0];
  EXPECT_EQ(row.Country, "Cote d'Ivoire ");
  EXPECT_EQ(row.Region, "West Africa ");
  EXPECT_EQ(row.Notes, "Census '98; mortality 2001");
  EXPECT_TRUE(row.ReadOnly);
  UpdateDatasetReadOnly(data, id, false);
  EXPECT_FALSE(ListDatasets(data)[0].ReadOnly);
}

TEST_F(DatasetsTest, NewDataSetRefusals) {
  ASSERT_TRUE(MakeNew("Europe", 100));
  const std::string before = ReadAll(dir.File("data/Europe.mdb"));
  // The same name again: refused before anything is written, and the page is reset.
  NewDatasetPage page;
  page.Name = "Europe";
  page.File = dir.File("data/Other.mdb");
  page.HighestAge = 70;
  EXPECT_FALSE(SaveNewDataset(data, dialogs, page));
  EXPECT_EQ(dialogs.Texts().back(), kDatasetExistsMessage);
  EXPECT_FALSE(fs::exists(dir.File("data/Other.mdb")));
  EXPECT_EQ(page.Name, "");
  EXPECT_EQ(page.HighestAge, 100);
  EXPECT_EQ(ReadAll(dir.File("data/Europe.mdb")), before);
  // A file the template cannot be copied to.
  page.Name = "Nowhere";
  page.File = dir.File("no/such/dir/Nowhere.mdb");
  EXPECT_FALSE(SaveNewDataset(data, dialogs, page));
  EXPECT_EQ(dialogs.Texts().back(), kCouldNotCreateMessage);
  EXPECT_EQ(ListDatasets(data).size(), 1u);
}

TEST_F(DatasetsTest, NewDataSetOnAnExistingFileTakesItsWidth) {
  ASSERT_TRUE(MakeNew("Seventy", 70));
  data.ExecCollection("delete from Datasets");  // a file that no entry lists
  NewDatasetPage page;
  page.Name = "Seventy again";
  page.File = dir.File("data/Seventy.mdb");
  page.HighestAge = 100;
  ASSERT_TRUE(SaveNewDataset(data, dialogs, page));
  const auto rows = ListDatasets(data);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].HighestAge, 70);
}

TEST_F(DatasetsTest, AddingAnExistingFileReadsItsHighestAge) {
  ASSERT_TRUE(data.NewDatasetFile(dir.File("data/Old.mdb")));
  {
    auto db = Database::Open(dir.File("data/Old.mdb"));
    for (int lage = 0; lage <= 85; lage += 5) {
      db.Exec("insert into TotalMortality values (" + std::to_string(lage) + ", " +
              std::to_string(lage == 85 ? 111 : lage + 5) + ", 0.01, 0.01)");
    }
  }
  AddDatasetPage page;
  EXPECT_FALSE(page.DetailsEnabled());
  page.File = dir.File("data/Old.mdb");
  EXPECT_TRUE(page.DetailsEnabled());
  page.Name = "Old";
  ASSERT_TRUE(SaveAddedDataset(data, dialogs, page));
  EXPECT_EQ(page.File, "");
  auto rows = ListDatasets(data);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].HighestAge, 85);

  // A file without mortality, and a file that is not a database, are not added.
  ASSERT_TRUE(data.NewDatasetFile(dir.File("data/Empty.mdb")));
  std::ofstream(dir.File("data/notes.mdb")) << "not a database";
  for (const char* name : {"Empty", "notes"}) {
    page.File = dir.File(std::string("data/") + name + ".mdb");
    page.Name = name;
    EXPECT_FALSE(SaveAddedDataset(data, dialogs, page));
    EXPECT_EQ(dialogs.Texts().back().rfind("The highest age of " +
                                               dir.File(std::string("data/") + name + ".mdb") +
                                               " could not be read",
                                           0),
              0u)
        << dialogs.Texts().back();
  }
  EXPECT_EQ(ReadAll(dir.File("data/notes.mdb")), "not a database");
  EXPECT_EQ(ListDatasets(data).size(), 1u);
}

TEST_F(DatasetsTest, RemoveKeepsTheFileDeleteRemovesBoth) {
  ASSERT_TRUE(MakeNew("Kept", 100));
  ASSERT_TRUE(MakeNew("Gone", 100));
  ASSERT_TRUE(MakeNew("Locked", 100, true));
  auto rows = ListDatasets(data);  // Gone, Kept, Locked
  ASSERT_TRUE(OpenCurrentDataset(settings, data, dialogs, rows[1]));

  // Read-only: refused before any question is asked.
  EXPECT_FALSE(DeleteDataset(settings, data, dialogs, rows[2]));
  EXPECT_EQ(dialogs.Texts().back(), "You cannot delete Data set Locked: it is read only.");
  // Cancel changes nothing.
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(DeleteDataset(settings, data, dialogs, rows[0]));
  EXPECT_TRUE(fs::exists(rows[0].File));

  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(DeleteDataset(settings, data, dialogs, rows[0]));
  EXPECT_FALSE(fs::exists(rows[0].File));
  EXPECT_EQ(dialogs.Texts().back(), "Data set Gone deleted");
  EXPECT_TRUE(data.DatasetIsOpen());  // another data set: the open one stays open

  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(RemoveDataset(settings, data, dialogs, rows[1]));
  EXPECT_EQ(dialogs.Texts().back(), "Data set Kept removed");
  EXPECT_TRUE(fs::exists(rows[1].File));
  EXPECT_FALSE(data.DatasetIsOpen());  // it was the open one
  EXPECT_EQ(settings.CurrentDatasetName, "");
  const auto texts = dialogs.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Are you sure you want to remove Data set Kept"),
            texts.end());
  rows = ListDatasets(data);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, "Locked");
  EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(DatasetsTest, OpenFailureLeavesNoDataSet) {
  std::ofstream(dir.File("data/broken.mdb")) << "garbage";
  DatasetRow row;
  row.Name = "Broken";
  row.File = dir.File("data/broken.mdb");
  row.HighestAge = 100;
  EXPECT_FALSE(OpenCurrentDataset(settings, data, dialogs, row));
  EXPECT_EQ(dialogs.Texts().back().rfind(std::string(kErrorOpeningMessage) + "\r\n", 0), 0u);
  EXPECT_NE(dialogs.Texts().back().find("broken.mdb"), std::string::npos);
  EXPECT_EQ(settings.CurrentDatasetName, "");
  EXPECT_FALSE(data.DatasetIsOpen());

  // A database without the tables of a data set: refused with what it lacks.
  {
    Database other = Database::Open(dir.File("data/other.mdb"), true);
    other.Exec("create table InputDiseases (Name text)");
  }
  row.File = dir.File("data/other.mdb");
  EXPECT_FALSE(OpenCurrentDataset(settings, data, dialogs, row));
  EXPECT_EQ(dialogs.Texts().back(),
            std::string(kErrorOpeningMessage) +
                "\r\nother.mdb is damaged or is no Kavrel data set: its table InputDiseases has no "
                "column InputId");
  EXPECT_FALSE(data.DatasetIsOpen());
}

TEST_F(DatasetsTest, ANewCollectionNeedsAName) {
  EXPECT_FALSE(AcceptNewCollectionName("", dialogs));
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"You must give a name to the new database"});
  EXPECT_TRUE(AcceptNewCollectionName("Europe", dialogs));
  EXPECT_EQ(dialogs.Texts().size(), 1u);
}

TEST_F(DatasetsTest, BrowsingForANewFileRefusesExistingOnes) {
  std::ofstream(dir.File("data/Taken.mdb")) << "x";
  NewDatasetPage page;
  page.Name = "Fresh";
  dialogs.PushFile(dir.File("data/Taken.mdb"));
  dialogs.PushFile(dir.File("data/Fresh.mdb"));
  EXPECT_EQ(BrowseNewDatasetFile(settings, dialogs, page), dir.File("data/Fresh.mdb"));
  const auto& shown = dialogs.History();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, "File name for database");
  EXPECT_EQ(shown[1].text, kFileExistsMessage);
  dialogs.PushFile(std::nullopt);
  EXPECT_EQ(BrowseNewDatasetFile(settings, dialogs, page), "");
}

// One file, one entry: a file listed already is neither added nor made again under another name,
// and a file that another entry lists (here or in another known collection; files written before
// this rule may have them) is never deleted with one of its entries.
TEST_F(DatasetsTest, OneFileOneEntryAndDeleteKeepsAFileListedElsewhere) {
  ASSERT_TRUE(MakeNew("Country A", 100));
  const std::string file = dir.File("data/Country A.mdb");
  AddDatasetPage added;
  added.File = dir.File("data/../data/Country A.mdb");  // another spelling of the same file
  added.Name = "Country A copy";
  EXPECT_FALSE(SaveAddedDataset(data, dialogs, added));
  EXPECT_EQ(dialogs.Texts().back(),
            "The file " + dir.File("data/../data/Country A.mdb") +
                " is listed already as the data set \"Country A\"; one file belongs to one entry. "
                "Not saved!");
  NewDatasetPage made;
  made.Name = "Country A again";
  made.File = file;
  made.HighestAge = 100;
  EXPECT_FALSE(SaveNewDataset(data, dialogs, made));
  EXPECT_EQ(ListDatasets(data).size(), 1u);

  // An older collection that lists the file twice: deleting one entry keeps the file.
  const auto listing = [&file](const std::string& name) {
    return "insert into Datasets (DataSetName, DataBaseName, ReadOnly, HighestAge) values (" +
           Quote(name) + ", " + Quote(file) + ", False, 100)";
  };
  data.ExecCollection(listing("Twin"));
  auto rows = ListDatasets(data);  // Country A, Twin
  ASSERT_EQ(rows.size(), 2u);
  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(DeleteDataset(settings, data, dialogs, rows[1]));
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(dialogs.Texts()[dialogs.Texts().size() - 2],
            "The file " + file +
                " of Data set Twin is listed also as the data set \"Country A\" "
                "of this collection. Remove only this entry and keep the file?");
  EXPECT_EQ(ListDatasets(data).size(), 1u);

  // Listed by another known collection: kept too, and the question names that collection.
  {
    Database other = Database::Open(dir.File("Other.mdb"), true);
    other.Exec(
        "create table Datasets (DataSetName text, DataBaseName text, ReadOnly, HighestAge int)");
    other.Exec(listing("Shared"));
  }
  settings.Collections = {TDatasetCollection("Local", dir.File("Local.mdb")),
                          TDatasetCollection("Other", dir.File("Other.mdb"))};
  settings.CurrentCollectionIndex = 0;
  rows = ListDatasets(data);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(DeleteDataset(settings, data, dialogs, rows[0]));
  EXPECT_NE(dialogs.Texts().back().find("\"Shared\" of the collection Other"), std::string::npos);
  EXPECT_TRUE(fs::exists(file));
  // Listed nowhere else: the question names the file, and Yes deletes it.
  settings.Collections.pop_back();
  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(DeleteDataset(settings, data, dialogs, rows[0]));
  EXPECT_FALSE(fs::exists(file));
}

}  // namespace
}  // namespace kavrel
