#include "core/store/open_marker.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/base/messages_log.h"
#include "core/shell/dataset_session.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/datasets.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

std::string ThisHost() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// A process that has ended: its number is free.
long EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

struct OpenMarkerTest : StoreFixture {
  void SetUp() override {
    settings.DataDir = dir.File("");
    fs::create_directories(dir.path / "data");
    OpenNewCollection();
    NewDatasetPage page;
    page.Name = "Shared";
    page.File = dir.File("data/Shared.mdb");
    ASSERT_TRUE(SaveNewDataset(data, dialogs, page));
    data.CloseDataset();
    row = ListDatasets(data).front();
  }

  // What another program leaves beside the data set while it has it open.
  std::string Marker(const std::string& program, const std::string& host, long pid) {
    const std::string path = dir.File("data/Shared.mdb.in-use-" + host + "-" + std::to_string(pid));
    std::ofstream(path) << "program=" << program << "\nuser=maria\nhost=" << host << "\npid=" << pid
                        << "\nsince=2026-12-11 09:30\n";
    return path;
  }

  SettingsState settings;
  DatasetRow row;
};

TEST_F(OpenMarkerTest, AProgramMarksWhatItHasOpenAndRemovesTheMarkOnClosing) {
  EXPECT_TRUE(OtherHolders(row.File).empty());
  data.MarkOpenAs("kavrel-cli batch");
  data.OpenDataset(row.File);
  const auto marked = [&] {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir.path / "data"))
      count += entry.path().filename().string().rfind("Shared.mdb.in-use-", 0) == 0;
    return count;
  };
  EXPECT_EQ(marked(), 1);
  // Its own mark is no other program's.
  EXPECT_TRUE(OtherHolders(row.File).empty());
  data.CloseDataset();
  EXPECT_EQ(marked(), 0);
  // Opened read-only, nothing is marked.
  data.OpenDataset(row.File, true, true);
  EXPECT_EQ(marked(), 0);
}

TEST_F(OpenMarkerTest, MarksOfLiveProgramsAreNamedAndThoseOfEndedOnesRemoved) {
  // Process 1 always runs; one of another computer cannot be checked and counts as running.
  Marker("Kavrel (windows)", ThisHost(), 1);
  Marker("kavrel-cli import", "elsewhere", EndedProcess());
  const std::string stale = Marker("kavrel-cli batch", ThisHost(), EndedProcess());
  const auto holders = OtherHolders(row.File);
  ASSERT_EQ(holders.size(), 2u);
  EXPECT_FALSE(fs::exists(stale));
  const std::string text = HoldersText(holders);
  EXPECT_NE(text.find("Kavrel (windows) of maria on " + ThisHost() +
                      " (process 1) since "
                      "2026-12-11 09:30"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("kavrel-cli import of maria on elsewhere"), std::string::npos) << text;
}

TEST_F(OpenMarkerTest, OpeningADataSetAnotherProgramHasOpenAsksHowToOpenIt) {
  Marker("kavrel-cli batch", ThisHost(), 1);
  // Cancel: not opened.
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(OpenCurrentDataset(settings, data, dialogs, row));
  EXPECT_FALSE(data.DatasetIsOpen());
  EXPECT_TRUE(settings.CurrentDatasetName.empty());
  EXPECT_NE(dialogs.Texts().back().find("is open for writing in kavrel-cli batch of maria"),
            std::string::npos);
  // Yes: read-only; every write is refused and says why.
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(OpenCurrentDataset(settings, data, dialogs, row));
  EXPECT_TRUE(data.DatasetReadOnly());
  try {
    data.ExecDataset("insert into InputDiseases (DiseaseName) values ('Asthma')");
    ADD_FAILURE() << "written";
  } catch (const DatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("Shared.mdb is open read-only: nothing was written"),
              std::string::npos)
        << error.what();
  }
  // No: for writing all the same.
  dialogs.Push(DialogButton::kNo);
  ASSERT_TRUE(OpenCurrentDataset(settings, data, dialogs, row));
  EXPECT_FALSE(data.DatasetReadOnly());
  data.ExecDataset("insert into InputDiseases (DiseaseName) values ('Asthma')");
  EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(OpenMarkerTest, ADataSetMarkedReadOnlyIsOpenedReadOnlyAndRefusedToCommandsThatWrite) {
  UpdateDatasetReadOnly(data, row.Id, true);
  row = ListDatasets(data).front();
  ASSERT_TRUE(OpenCurrentDataset(settings, data, dialogs, row));
  EXPECT_TRUE(data.DatasetReadOnly());
  EXPECT_THROW(data.ExecDataset("delete from InputDiseases"), DatabaseError);
  // The flag cleared while it is open: writable at once, and marked again when set.
  UpdateDatasetReadOnly(data, row.Id, false);
  EXPECT_FALSE(data.DatasetReadOnly());
  UpdateDatasetReadOnly(data, row.Id, true);
  EXPECT_TRUE(data.DatasetReadOnly());
  data.CloseDataset();

  const auto before = ReadAll(row.File);
  for (const bool writes : {true, false}) {
    ScriptedDialogs quiet;
    TDataKavrel other(quiet);
    MessagesLog log;
    DatasetSession session(other, quiet, log);
    EXPECT_EQ(session.Open(row.File, dir.File("Local.mdb"), "", writes), !writes);
    if (writes) {
      ASSERT_FALSE(quiet.Texts().empty());
      EXPECT_EQ(quiet.Texts().back(), ReadOnlyDatasetMessage("Shared"));
    } else {
      // A command that only reads opens any data set read-only.
      EXPECT_TRUE(other.DatasetReadOnly());
    }
  }
  EXPECT_EQ(ReadAll(row.File), before);
}

}  // namespace
}  // namespace kavrel
