#include "core/shell/main_window_model.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/base/messages_log.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "example_data.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// An installation in a temporary directory, started for the first time.
struct MainWindowModelTest : ::testing::Test {
  void SetUp() override {
    programDir = dir.File("bin") + "/";
    install::BuildTemplates(programDir);
    install::BuildExampleData(programDir, dir.File("KavrelData"));
    std::ofstream(programDir + "Kavrel.ini")
        << "[Filedirs]\nfd1=" << dir.File("KavrelData") << "\n";
  }
  MainWindowModel Model() {
    return MainWindowModel({settings, data, dialogs, log, programDir, [](int) {},
                            [this](bool mortality) { provided.push_back(mortality); }});
  }
  std::vector<bool> provided;  // the population windows asked for, mortality true

  TempDir dir;
  std::string programDir;
  SettingsState settings;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  MessagesLog log{[] { return std::string("12:00:00"); }};
};

TEST_F(MainWindowModelTest, StartOpenDatasetAndTheThreeStates) {
  auto model = Model();
  EXPECT_EQ(model.Caption(), "Kavrel");
  ASSERT_EQ(model.Start(), StartUp::kContinue);
  EXPECT_EQ(log.Lines().back(), "  12:00:00# Kavrel started");
  EXPECT_EQ(model.GetState(), MainWindowModel::State::kCollectionOpen);
  EXPECT_EQ(model.Caption(), "Kavrel - Local");
  EXPECT_TRUE(model.DatasetCommandEnabled());
  EXPECT_FALSE(model.DatasetCommandsEnabled());
  const auto rows = ListDatasets(data);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_TRUE(model.OpenDataset(rows[0]));
  EXPECT_EQ(model.Caption(), "Kavrel - Local, Example");
  EXPECT_TRUE(model.DatasetCommandsEnabled());
  EXPECT_FALSE(model.ResultButtonsEnabled());  // the first disease has no stored results
  EXPECT_NEAR(model.Population.AllCauseMortality[kMales][0], 0.004, 0.001);

  // "+" offers a record named "New disease", stored only when the user moves on or posts:
  // Cancel stores nothing. A second "+" offers a name the data set does not have, and a name
  // another disease has in any letter case is refused, naming that disease. Deleting asks first.
  using Navigator = MainWindowModel::Navigator;
  TableCursor& table = data.KavrelTable1();
  const int before = table.RecordCount();
  const auto stored = [this](const std::string& name) {
    return data.QueryDataset("select * from InputDiseases where DiseaseName=" + Quote(name))
        .RecordCount();
  };
  model.InsertDisease();
  EXPECT_EQ(model.ShownDisease().Name, "New disease");
  model.Navigate(Navigator::kCancel);
  EXPECT_EQ(table.RecordCount(), before);
  EXPECT_EQ(stored("New disease"), 0);
  model.InsertDisease();
  model.InsertDisease();  // stores the first
  EXPECT_EQ(model.ShownDisease().Name, "New disease 2");
  model.Navigate(Navigator::kPost);
  EXPECT_EQ(table.RecordCount(), before + 2);
  EXPECT_EQ(stored("New disease"), 1);
  model.SetDiseaseName(" asthma");
  try {
    model.Navigate(Navigator::kPost);
    ADD_FAILURE() << "a second Asthma was stored";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()),
              "A disease named \"Asthma\" exists already in this data set; choose another name");
  }
  model.Navigate(Navigator::kCancel);
  EXPECT_EQ(stored(" asthma"), 0);
  EXPECT_EQ(stored("New disease 2"), 1);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(model.DeleteDisease());
  EXPECT_EQ(table.RecordCount(), before + 2);
  table.Locate("DiseaseName", "Asthma");
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(model.DeleteDisease());
  EXPECT_EQ(dialogs.Texts().back(), "Are you sure you want to delete this disease record?");
  EXPECT_EQ(data.QueryDataset("select * from InputIncidence where InputId=1").RecordCount(), 0);
  EXPECT_EQ(table.RecordCount(), before + 1);

  model.CloseDataset();
  EXPECT_EQ(model.GetState(), MainWindowModel::State::kCollectionOpen);
  model.CloseCollection();
  EXPECT_EQ(model.GetState(), MainWindowModel::State::kNothingOpen);
  EXPECT_EQ(model.Caption(), "Kavrel");
  EXPECT_EQ(settings.CurrentCollectionIndex, -1);
}

// Leaving the program stores a name typed but not posted; removing the collection that is open
// closes it, data set and all, instead of leaving the window naming it.
TEST_F(MainWindowModelTest, ExitStoresAPendingEditAndRemovingTheOpenCollectionClosesIt) {
  auto model = Model();
  ASSERT_EQ(model.Start(), StartUp::kContinue);
  ASSERT_TRUE(model.OpenDataset(ListDatasets(data)[0]));
  data.KavrelTable1().SetText("ICDcode", "J45.9");  // typed, not posted
  dialogs.Push(0);
  dialogs.Push(DialogButton::kYes);
  model.RemoveCollection();
  EXPECT_EQ(model.GetState(), MainWindowModel::State::kNothingOpen);
  EXPECT_EQ(model.Caption(), "Kavrel");
  EXPECT_FALSE(model.DatasetCommandEnabled());
  EXPECT_TRUE(settings.Collections.empty());
  // The typed code was stored before the data set closed.
  data.OpenDataset(dir.File("KavrelData/data/Example.mdb"));
  EXPECT_EQ(
      data.QueryDataset("select ICDcode from InputDiseases where DiseaseName='Asthma'").AsText(0),
      "J45.9");
  data.CloseDataset();

  // Exit with an edit pending.
  auto again = Model();
  settings = SettingsState();
  fs::remove(dir.File("KavrelData/Kavrel.ini"));  // forget the removal: a first start again
  ASSERT_EQ(again.Start(), StartUp::kContinue);
  ASSERT_TRUE(again.OpenDataset(ListDatasets(data)[0]));
  data.KavrelTable1().SetText("DiseaseName", "Bronchial asthma");
  again.Exit();
  data.OpenDataset(dir.File("KavrelData/data/Example.mdb"));
  EXPECT_EQ(data.QueryDataset("select * from InputDiseases where DiseaseName='Bronchial asthma'")
                .RecordCount(),
            1);
}

// The disease area as the main window draws it: the navigator moves the cursor and the result
// buttons follow; typing edits the record, Cancel gives it back; the notes are stored per disease.
TEST_F(MainWindowModelTest, NavigatorDiseaseAreaAndNotes) {
  auto model = Model();
  ASSERT_EQ(model.Start(), StartUp::kContinue);
  ASSERT_TRUE(model.OpenDataset(ListDatasets(data)[0]));
  using Nav = MainWindowModel::Navigator;

  auto view = model.ShownDisease();
  ASSERT_TRUE(view.Present);
  EXPECT_EQ(view.Name, "Asthma");
  EXPECT_TRUE(view.Inputs[kMales][kIncidence]);
  EXPECT_TRUE(view.Inputs[kFemales][kCaseFatality]);
  EXPECT_FALSE(view.Inputs[kMales][kPrevalence]);
  EXPECT_FALSE(view.Outputs[kMales]);

  model.Navigate(Nav::kNext);
  EXPECT_EQ(model.ShownDisease().Name, "Ischaemic heart disease");
  EXPECT_TRUE(model.ShownDisease().Inputs[kMales][kPrevalence]);
  model.Navigate(Nav::kLast);
  EXPECT_EQ(model.ShownDisease().Name, "Stroke");
  model.Navigate(Nav::kPrior);
  EXPECT_EQ(model.ShownDisease().Name, "Diabetes mellitus");
  model.Navigate(Nav::kFirst);
  EXPECT_EQ(model.ShownDisease().Name, "Asthma");

  // A typed name shows at once and is gone again after Cancel.
  model.SetDiseaseName("Asthma, all forms");
  EXPECT_EQ(model.ShownDisease().Name, "Asthma, all forms");
  model.Navigate(Nav::kCancel);
  EXPECT_EQ(model.ShownDisease().Name, "Asthma");
  // A blank name is refused, by Post and by moving on; the edit stays until Cancel.
  model.SetDiseaseName("  ");
  for (const Nav button : {Nav::kPost, Nav::kNext}) {
    try {
      model.Navigate(button);
      ADD_FAILURE() << "a blank name was stored";
    } catch (const DatabaseError& error) {
      EXPECT_EQ(std::string(error.what()), kBlankDiseaseNameMessage);
    }
  }
  model.Navigate(Nav::kCancel);
  EXPECT_EQ(model.ShownDisease().Name, "Asthma");
  // A typed code is posted by Post.
  model.SetIcdCode("J45");
  model.Navigate(Nav::kPost);
  EXPECT_EQ(
      data.QueryDataset("select ICDcode from InputDiseases where DiseaseName='Asthma'").AsText(0),
      "J45");

  // A saved result turns the result buttons on when the cursor reaches the disease.
  data.ExecDataset("update InputDiseases set FOutput=True where DiseaseName='Stroke'");
  data.KavrelTable1().Refresh();
  model.Navigate(Nav::kLast);
  EXPECT_TRUE(model.ResultButtonsEnabled());
  EXPECT_TRUE(model.ShownDisease().Outputs[kFemales]);
  model.Navigate(Nav::kFirst);
  EXPECT_FALSE(model.ResultButtonsEnabled());

  // Notes: stored for the disease under the cursor and for no other.
  EXPECT_EQ(model.DiseaseNotes().Caption, "Notes on Asthma");
  model.Navigate(Nav::kNext);
  const std::string heartNotes = model.DiseaseNotes().Text;
  model.Navigate(Nav::kFirst);
  model.StoreNotes("Self-reported, 2019 survey");
  model.Navigate(Nav::kNext);
  EXPECT_EQ(model.DiseaseNotes().Text, heartNotes);
  model.Navigate(Nav::kFirst);
  EXPECT_EQ(model.DiseaseNotes().Text, "Self-reported, 2019 survey");
  EXPECT_EQ(
      data.QueryDataset("select Remarks from InputDiseases where DiseaseName='Asthma'").AsText(0),
      "Self-reported, 2019 survey");

  // The analysis takes the disease under the cursor with its processed flags.
  model.Navigate(Nav::kLast);
  const auto stroke = model.DiseaseForAnalysis();
  ASSERT_NE(stroke, nullptr);
  EXPECT_EQ(stroke->DiseaseName, "Stroke");
  EXPECT_TRUE(stroke->Processed[kIncidence][kMales]);
  EXPECT_TRUE(dialogs.Texts().empty());
}

// A data set without population data: each missing table is asked for, and Yes opens its window.
TEST_F(MainWindowModelTest, MissingPopulationDataIsAskedFor) {
  auto model = Model();
  ASSERT_EQ(model.Start(), StartUp::kContinue);
  DatasetRow row = ListDatasets(data)[0];
  row.File = dir.File("Empty.mdb");
  fs::copy_file(dir.File("KavrelData/data/Example.mdb"), row.File);
  data.OpenDataset(row.File);
  data.ExecDataset("delete from TotalMortality");
  data.ExecDataset("delete from Population");
  data.CloseDataset();
  dialogs.Push(DialogButton::kYes);  // mortality: provide it now
  dialogs.Push(DialogButton::kNo);   // population: later
  ASSERT_TRUE(model.OpenDataset(row));
  EXPECT_EQ(provided, std::vector<bool>{true});
  EXPECT_EQ(dialogs.Texts()[dialogs.Texts().size() - 2], kMortalityMissingQuestion);
  EXPECT_EQ(dialogs.Texts().back(), kPopulationMissingQuestion);
}

TEST_F(MainWindowModelTest, CollectionCommands) {
  auto model = Model();
  ASSERT_EQ(model.Start(), StartUp::kContinue);
  // New: a file from the template, listed, current and open.
  dialogs.PushFile(dir.File("KavrelData/Europe.mdb"));
  ASSERT_TRUE(model.NewCollection("Europe"));
  EXPECT_EQ(dialogs.History().back().text, "File name for collection Europe");
  EXPECT_EQ(settings.CurrentCollectionIndex, 1);
  EXPECT_EQ(model.Caption(), "Kavrel - Europe");
  EXPECT_TRUE(data.CollectionHasTable("Preferences"));
  dialogs.PushFile(dir.File("KavrelData/Europe.mdb"));  // exists already
  EXPECT_FALSE(model.NewCollection("Again"));
  EXPECT_EQ(dialogs.Texts().back(), "Could not create new data set collection database");
  // Add: the current collection stays what it was.
  fs::copy_file(dir.File("KavrelData/KavrelLocal.mdb"), dir.File("Other.mdb"));
  dialogs.PushFile(dir.File("Other.mdb"));
  ASSERT_TRUE(model.AddCollection("Other"));
  EXPECT_EQ(settings.CurrentCollectionIndex, 1);
  EXPECT_EQ(settings.Collections.size(), 3u);
  // Open by choice.
  dialogs.Push(0);
  ASSERT_TRUE(model.OpenCollection());
  EXPECT_EQ(model.Caption(), "Kavrel - Local");
  EXPECT_EQ(settings.CurrentCollectionIndex, 0);
  // Remove the first: the file stays, the current index follows the list (none: it was it).
  dialogs.Push(0);
  dialogs.Push(DialogButton::kYes);
  model.RemoveCollection();
  EXPECT_EQ(dialogs.Texts().back(),
            "Are you sure you want to remove the data set collection Local?");
  EXPECT_TRUE(fs::exists(dir.File("KavrelData/KavrelLocal.mdb")));
  EXPECT_EQ(settings.CurrentCollectionIndex, -1);
  EXPECT_FALSE(data.CollectionIsOpen());
  // Delete "Europe" (now first): its file goes.
  dialogs.Push(0);
  dialogs.Push(DialogButton::kYes);
  model.DeleteCollection();
  EXPECT_FALSE(fs::exists(dir.File("KavrelData/Europe.mdb")));
  ASSERT_EQ(settings.Collections.size(), 1u);
  EXPECT_EQ(settings.Collections[0].Name(), "Other");
  // Exit remembers the current collection (none here).
  model.Exit();
  std::ifstream ini(dir.File("KavrelData/Kavrel.ini"));
  const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("CC=0"), std::string::npos) << text;
  EXPECT_NE(text.find("C1=Other"), std::string::npos) << text;
}

}  // namespace
}  // namespace kavrel
