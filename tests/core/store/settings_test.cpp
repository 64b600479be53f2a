#include "core/store/settings.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// An installation in a temporary directory: program directory "bin" with its settings file and
// templates, and a data directory with the local collection listing "Example".
struct SettingsTest : StoreFixture {
  void SetUp() override {
    programDir = (dir.path / "bin").string() + "/";
    dataDir = (dir.path / "KavrelData").string() + "/";
    fs::create_directories(programDir + "Templates");
    fs::create_directories(dataDir + "data");
    BuildInputTemplate(programDir + "Templates/KavrelInputTemplate.mdb");
    BuildCollectionTemplate(programDir + "Templates/KavrelCollectionTemplate.mdb");
    fs::copy_file(programDir + "Templates/KavrelCollectionTemplate.mdb",
                  dataDir + "KavrelLocal.mdb");
    auto local = Database::Open(dataDir + "KavrelLocal.mdb");
    local.Exec(
        "insert into Datasets (DataSetName, DataBaseName, HighestAge) values ('Example', "
        "'data/Example.mdb', 100)");
  }

  void WriteProgramIni(const std::string& text) {
    std::ofstream(programDir + "Kavrel.ini") << text;
  }
  void WriteDataIni(const std::string& text) { std::ofstream(dataDir + "Kavrel.ini") << text; }

  StartUp Load() {
    return LoadSettings(settings, programDir, data, dialogs,
                        [this](int topic) { helpTopics.push_back(topic); });
  }

  std::string programDir;
  std::string dataDir;
  SettingsState settings;
  std::vector<int> helpTopics;
};

TEST_F(SettingsTest, BrokenInstallationEndsTheProgram) {
  const char* const inis[] = {"", "[Filedirs]\nfd2=/tmp\n", "[Filedirs]\nfd1=Error\n", nullptr};
  for (const char* ini : inis) {
    fs::remove(programDir + "Kavrel.ini");
    if (ini != nullptr) WriteProgramIni(ini);
    ScriptedDialogs fresh;
    EXPECT_EQ(LoadSettings(settings, programDir, data, fresh, nullptr), StartUp::kTerminate);
    EXPECT_EQ(fresh.Texts(), std::vector<std::string>{std::string(kNotInstalledMessage)});
  }
}

TEST_F(SettingsTest, FirstStartMakesTheLocalCollectionCurrent) {
  WriteProgramIni("[Filedirs]\nfd1=" + dataDir.substr(0, dataDir.size() - 1) + "\n");
  ASSERT_EQ(Load(), StartUp::kContinue);
  EXPECT_EQ(settings.DataDir, dataDir);
  EXPECT_EQ(settings.InputTemplatePath, programDir + "Templates/KavrelInputTemplate.mdb");
  EXPECT_EQ(data.CollectionTemplatePath, programDir + "Templates/KavrelCollectionTemplate.mdb");
  ASSERT_EQ(settings.Collections.size(), 1u);
  EXPECT_EQ(settings.Collections[0].Name(), "Local");
  EXPECT_EQ(settings.Collections[0].Path(), dataDir + "KavrelLocal.mdb");
  EXPECT_EQ(settings.CurrentCollectionIndex, 0);
  EXPECT_EQ(helpTopics, std::vector<int>{1000});
  EXPECT_FALSE(data.CollectionIsOpen());
  EXPECT_TRUE(dialogs.Texts().empty());

  const std::string ini = ReadAll(dataDir + "Kavrel.ini");
  EXPECT_NE(ini.find("C1=Local"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Cp1=" + dataDir + "KavrelLocal.mdb"), std::string::npos) << ini;
  EXPECT_NE(ini.find("CC=1"), std::string::npos) << ini;
  auto local = Database::Open(dataDir + "KavrelLocal.mdb");
  auto example = local.Query("select DataBaseName from Datasets where DataSetName='Example'");
  EXPECT_EQ(example.AsText(0), dataDir + "data/Example.mdb");
  EXPECT_TRUE(local.HasTable("Preferences"));  // opened once, so brought up to date
}

TEST_F(SettingsTest, ARelativeDataDirectoryIsTakenFromTheProgramDirectory) {
  WriteProgramIni("[Filedirs]\nfd1=../KavrelData\n");
  ASSERT_EQ(Load(), StartUp::kContinue);
  EXPECT_EQ(settings.DataDir, dataDir);
}

TEST_F(SettingsTest, FirstStartWithoutTheDataDirectoryFails) {
  WriteProgramIni("[Filedirs]\nfd1=" + (dir.path / "nowhere").string() + "\n");
  EXPECT_THROW(Load(), InOutError);
}

TEST_F(SettingsTest, CollectionsAndTheCurrentOneFromTheDataSettings) {
  WriteProgramIni("[Filedirs]\nfd1=" + dataDir + "\n");
  struct Case {
    const char* current;
    int index;
  };
  for (const Case& c :
       {Case{"2", 1}, Case{"0", -1}, Case{"4", -1}, Case{"-3", -1}, Case{"x", -1}}) {
    WriteDataIni(
        "[DataSetcollections]\nC1=Local\nC2=Europe\nC3=Africa\n[Collectionpaths]\nCp1=/a.mdb\n"
        "Cp2=/b.mdb\nCp3=/c.mdb\n[CurrentCollection]\nCC=" +
        std::string(c.current) + "\n");
    ASSERT_EQ(Load(), StartUp::kContinue);
    ASSERT_EQ(settings.Collections.size(), 3u);
    EXPECT_EQ(settings.Collections[1].Name(), "Europe");
    EXPECT_EQ(settings.Collections[2].Path(), "/c.mdb");
    EXPECT_EQ(settings.CurrentCollectionIndex, c.index) << "CC=" << c.current;
  }
  EXPECT_TRUE(helpTopics.empty());
  // Keys are numbered from the entry count, not by the numbers present.
  WriteDataIni(
      "[DataSetcollections]\nC1=Local\nC3=Far\n[Collectionpaths]\nCp1=/a.mdb\nCp2=/b.mdb\n");
  ASSERT_EQ(Load(), StartUp::kContinue);
  ASSERT_EQ(settings.Collections.size(), 2u);
  EXPECT_EQ(settings.Collections[1].Name(), "");
  EXPECT_EQ(settings.Collections[1].Path(), "/b.mdb");
  EXPECT_EQ(settings.CurrentCollectionIndex, -1);
}

TEST_F(SettingsTest, NoCollectionsListed) {
  WriteProgramIni("[Filedirs]\nfd1=" + dataDir + "\n");
  WriteDataIni("[CurrentCollection]\nCC=1\n");
  ASSERT_EQ(Load(), StartUp::kContinue);
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{std::string(kNoDatasetsMessage)});
  EXPECT_EQ(settings.CurrentDatasetName, "No data");
  EXPECT_TRUE(settings.Collections.empty());
  EXPECT_EQ(settings.CurrentCollectionIndex, -1);
}

TEST_F(SettingsTest, SavingTheListAndTheCurrentCollection) {
  WriteProgramIni("[Filedirs]\nfd1=" + dataDir + "\n");
  WriteDataIni(
      "[DataSetcollections]\nC1=Local\nC2=Europe\nC3=Africa\n[Collectionpaths]\nCp1=/a.mdb\n"
      "Cp2=/b.mdb\nCp3=/c.mdb\n[CurrentCollection]\nCC=3\n");
  ASSERT_EQ(Load(), StartUp::kContinue);
  settings.Collections.erase(settings.Collections.begin() + 1);
  SaveCollections(settings);
  SettingsState reread;
  ASSERT_EQ(LoadSettings(reread, programDir, data, dialogs, nullptr), StartUp::kContinue);
  ASSERT_EQ(reread.Collections.size(), 2u);
  EXPECT_EQ(reread.Collections[1].Name(), "Africa");
  EXPECT_EQ(reread.Collections[1].Path(), "/c.mdb");
  EXPECT_EQ(reread.CurrentCollectionIndex, -1);  // CC=3 is left as it was, now out of range
  const std::string ini = ReadAll(dataDir + "Kavrel.ini");
  EXPECT_EQ(ini.find("C3"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("Cp3"), std::string::npos) << ini;

  settings.CurrentCollectionIndex = 1;
  SaveCurrentCollection(settings);
  ASSERT_EQ(LoadSettings(reread, programDir, data, dialogs, nullptr), StartUp::kContinue);
  EXPECT_EQ(reread.CurrentCollectionIndex, 1);
  settings.CurrentCollectionIndex = -1;
  SaveCurrentCollection(settings);
  EXPECT_NE(ReadAll(dataDir + "Kavrel.ini").find("CC=0"), std::string::npos);
}

}  // namespace
}  // namespace kavrel
