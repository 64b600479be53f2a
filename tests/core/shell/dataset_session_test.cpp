#include "core/shell/dataset_session.h"

#include <fstream>

#include <gtest/gtest.h>

#include "core/base/messages_log.h"
#include "core/engine/disease_store.h"
#include "core/exchange/population.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "example_data.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// The example data set in a directory of its own, opened as a command opens a data set file.
struct DatasetSessionTest : ::testing::Test {
  void SetUp() override {
    install::BuildTemplates(dir.File("bin") + "/");
    install::BuildExampleData(dir.File("bin") + "/", dir.File("KavrelData"));
  }
  std::string Example() const { return dir.File("KavrelData/data/Example.mdb"); }

  TempDir dir;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  MessagesLog log{[] { return std::string("12:00:00"); }};
  DatasetSession session{data, dialogs, log};
};

TEST_F(DatasetSessionTest, OpensTheExampleAndLoadsADiseaseWithTheAskedParts) {
  ASSERT_TRUE(session.Open(Example(), "", dir.File("nowhere") + "/"));
  EXPECT_EQ(session.MaxAge(), 100);
  PopulationSeries population;
  ASSERT_TRUE(session.LoadPopulation(population));
  EXPECT_GT(population.PopulationNumbers[kFemales][50], 0.0);

  const auto stroke = session.LoadDisease("Stroke", kFemales, kOriginalInputs | kAdjustedInputs);
  ASSERT_NE(stroke, nullptr);
  EXPECT_EQ(stroke->DiseaseName, "Stroke");
  EXPECT_EQ(stroke->Sex, kFemales);
  EXPECT_TRUE(stroke->InputPresent[kIncidence][kFemales]);
  EXPECT_TRUE(stroke->Processed[kIncidence][kFemales]);
  EXPECT_GT(stroke->InputSeries[kIncidence][kFemales][70], 0.0);
  // Only the record: nothing of the inputs is read.
  const auto asthma = session.LoadDisease("Asthma", kMales, kRecordOnly);
  ASSERT_NE(asthma, nullptr);
  EXPECT_FALSE(asthma->InputPresent[kIncidence][kMales]);
  EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(DatasetSessionTest, RefusesWhatIsNotThere) {
  EXPECT_FALSE(session.Open(dir.File("missing.mdb"), "", ""));
  const std::string text = dir.File("notes.mdb");
  std::ofstream(text) << "not a database";
  // Refused by the data module with its message (the command-line tool prints it), untouched.
  EXPECT_THROW(session.Open(text, "", ""), DatabaseError);
  EXPECT_EQ(ReadAll(text), "not a database");
  ASSERT_TRUE(session.Open(Example(), "", ""));
  EXPECT_EQ(session.LoadDisease("Measles", kMales, kOriginalInputs), nullptr);
  EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{
                                 "The data set file " + dir.File("missing.mdb") + " does not exist",
                                 "The data set has no disease named Measles"}));
}

}  // namespace
}  // namespace kavrel
