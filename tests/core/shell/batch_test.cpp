#include "core/shell/batch.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/base/csv_text.h"
#include "core/store/database.h"
#include "example_data.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// A synthetic study of two data sets of five diseases (the example's five kinds), written once
// per test into a directory of its own.
struct BatchTest : ::testing::Test {
  void SetUp() override {
    install::BuildTemplates(dir.File("bin"));
    files = install::BuildStudy(dir.File("bin"), dir.File("study"), 2, 5);
  }

  BatchRequest Request(int threads = 2) const {
    BatchRequest request;
    request.Datasets = files;
    request.ProgramDir = dir.File("nowhere") + "/";
    request.Threads = threads;
    return request;
  }

  // Every stored output of a file, by table, disease and sex: the values as text.
  static std::map<std::string, std::string> Outputs(const std::string& file) {
    Database db = Database::Open(file);
    std::map<std::string, std::string> outputs;
    for (const char* table :
         {"OutputIncidence", "OutputPrevalence", "OutputRemission", "OutputCasefatality",
          "OutputDuration", "OutputMortality", "OutputRRMortality"}) {
      QueryResult rows = db.Query(std::string("select * from ") + table);
      for (rows.First(); !rows.Eof(); rows.Next()) {
        std::string values;
        for (int f = 3; f < rows.FieldCount(); ++f) values += rows.AsText(f) + ";";
        outputs[std::string(table) + "/" + rows.AsText(1) + "/" + rows.AsText(2)] = values;
      }
    }
    return outputs;
  }

  static std::int64_t Count(const std::string& file, const std::string& query) {
    Database db = Database::Open(file);
    QueryResult rows = db.Query(query);
    rows.First();
    return rows.AsInteger(0);
  }

  TempDir dir;
  std::vector<std::string> files;
  BatchObserver quiet;
};

TEST_F(BatchTest, SavesEveryDiseaseAndSexAndGoesOnPastAFailure) {
  // A negative prevalence for the heart disease of the men of the second data set: refused by the
  // input checks, the rest of the batch goes on.
  {
    Database db = Database::Open(files[1]);
    db.Exec("update InputPrevalence set Waarde=-0.01 where InputId=2 and Sex='Males' and Lage=40");
  }
  BatchRequest request = Request();
  request.Save = true;
  request.GroupSize = 3;  // several commits per data set
  struct Counting : BatchObserver {
    void Planned(int, int planned) override { last = planned; }
    void Done(const BatchRow&, int done, int) override { seen = done; }
    int last = 0;
    int seen = 0;
  } counting;
  const std::vector<BatchRow> rows = RunBatch(request, counting);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(counting.last, 20);
  EXPECT_EQ(counting.seen, 20);
  // In the order of the data sets, their diseases and the sexes.
  EXPECT_EQ(rows[0].Dataset, files[0]);
  EXPECT_EQ(rows[0].Disease, "Asthma 1");
  EXPECT_EQ(rows[0].Sex, kMales);
  EXPECT_EQ(rows[1].Sex, kFemales);
  EXPECT_EQ(rows[19].Disease, "Stroke 1");
  for (const BatchRow& row : rows) {
    const bool broken =
        row.Dataset == files[1] && row.Disease == "Ischaemic heart disease 1" && row.Sex == kMales;
    if (broken) {
      EXPECT_EQ(row.Status, BatchStatus::kFailed);
      EXPECT_NE(row.Message.find("negative"), std::string::npos) << row.Message;
    } else {
      EXPECT_EQ(row.Status, BatchStatus::kSaved) << row.Disease << ": " << row.Message;
      ASSERT_TRUE(row.WorstDeviation.has_value()) << row.Disease;
      EXPECT_FALSE(row.WorstGroup.empty());
    }
  }
  // Stored: every result but the failed one, each with its options and flag.
  EXPECT_EQ(Outputs(files[0]).size(), 7u * 10u);
  EXPECT_EQ(Outputs(files[1]).size(), 7u * 9u);
  EXPECT_EQ(Count(files[1], "select count(*) from OutputPrevalence where InputId=2"), 1);
  EXPECT_EQ(Count(files[1], "select count(*) from InputDiseases where MOutput"), 4);
  EXPECT_EQ(Count(files[1], "select count(*) from InputDiseases where FOutput"), 5);
  EXPECT_EQ(Count(files[0], "select count(*) from CalculationOptions"), 10);

  // The summary: a header and a line per row, the failure with its message.
  const std::string csv = BatchSummaryCsv(rows);
  EXPECT_EQ(csv.rfind("Dataset,File,Disease,Sex,Status,Inputs,Worst group,Worst deviation (%),"
                      "Warnings,Seconds,Message\n",
                      0),
            0u);
  // Without a collection that lists it, a data set is named by its file's stem; the deviation is
  // in percent, as the windows show it.
  const std::string stem = std::filesystem::path(files[1]).stem().string();
  EXPECT_NE(csv.find(stem + "," + files[1] + ",Ischaemic heart disease 1,Males,failed,"),
            std::string::npos);
  for (const BatchRow& row : rows) {
    if (!row.WorstDeviation) continue;
    char percent[32];
    std::snprintf(percent, sizeof percent, ",%.6g,", 100.0 * *row.WorstDeviation);
    EXPECT_NE(csv.find(CsvField(row.WorstGroup) + percent), std::string::npos) << row.WorstGroup;
  }
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 21);
  EXPECT_NE(csv.find(",Ischaemic heart disease 1,Males,failed,"), std::string::npos);
}

TEST_F(BatchTest, TheNumberOfThreadsChangesNothing) {
  const std::string copy = dir.File("copy.mdb");
  std::filesystem::copy_file(files[0], copy);
  BatchRequest one = Request(1);
  one.Datasets = {files[0]};
  one.Save = true;
  BatchRequest three = Request(3);
  three.Datasets = {copy};
  three.Save = true;
  three.GroupSize = 1;
  const auto rowsOne = RunBatch(one, quiet);
  const auto rowsThree = RunBatch(three, quiet);
  ASSERT_EQ(rowsOne.size(), rowsThree.size());
  for (std::size_t k = 0; k < rowsOne.size(); ++k) {
    EXPECT_EQ(rowsOne[k].Status, BatchStatus::kSaved);
    EXPECT_EQ(rowsOne[k].WorstDeviation, rowsThree[k].WorstDeviation) << rowsOne[k].Disease;
  }
  const auto outputs = Outputs(files[0]);
  EXPECT_EQ(outputs.size(), 70u);
  EXPECT_EQ(outputs, Outputs(copy));
}

TEST_F(BatchTest, ChosenDiseasesSexesAndOptions) {
  BatchRequest request = Request();
  // A file named twice is calculated once.
  request.Datasets = {files[0], dir.File("missing.mdb"), files[0]};
  request.Diseases = {"Diabetes mellitus 1", "No such disease"};
  request.Sexes = {kFemales};
  request.Options = {"FitMethod=1"};
  const auto rows = RunBatch(request, quiet);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Status, BatchStatus::kCalculated);
  EXPECT_EQ(rows[0].Sex, kFemales);
  // The fit over all ages reproduces the duration input, which the per-group fit misses by 45 %
  // (its automatic smoothness leaves the first group's sharp start a few percent off).
  ASSERT_TRUE(rows[0].WorstDeviation.has_value());
  EXPECT_LT(std::abs(*rows[0].WorstDeviation), 0.05) << rows[0].WorstGroup;
  EXPECT_EQ(rows[1].Status, BatchStatus::kFailed);
  EXPECT_EQ(rows[1].Message, "The data set has no disease named No such disease");
  EXPECT_EQ(rows[2].Status, BatchStatus::kFailed);
  EXPECT_TRUE(rows[2].Disease.empty());
  EXPECT_NE(rows[2].Message.find("does not exist"), std::string::npos);
  // Nothing was saved without Save.
  EXPECT_TRUE(Outputs(files[0]).empty());

  // Changes that are not options are refused before anything is read.
  request.Options = {"NoSuchColumn=1"};
  EXPECT_THROW(RunBatch(request, quiet), std::invalid_argument);
  request.Options = {"FitMethod"};
  EXPECT_THROW(RunBatch(request, quiet), std::invalid_argument);
  // An option out of its range fails each disease with the options check's message.
  request.Options = {"FitMethod=7"};
  request.Datasets = {files[0]};
  const auto refused = RunBatch(request, quiet);
  EXPECT_EQ(refused[0].Status, BatchStatus::kFailed);
  EXPECT_NE(refused[0].Message.find("FitMethod"), std::string::npos) << refused[0].Message;
}

// A value that cannot be read fails its disease and sex only: not the sex read from a copy, not
// the diseases read after it.
TEST_F(BatchTest, AnUnreadableInputFailsItsDiseaseAlone) {
  {
    Database db = Database::Open(files[0]);
    db.Exec("update InputIncidence set Waarde=NULL where InputId=1 and Sex='Females' and Lage=40");
  }
  BatchRequest request = Request(1);
  request.Datasets = {files[0]};
  const auto rows = RunBatch(request, quiet);
  ASSERT_EQ(rows.size(), 10u);
  for (const BatchRow& row : rows) {
    if (row.Disease == "Asthma 1") {
      EXPECT_EQ(row.Status, BatchStatus::kFailed) << row.Sex;
      EXPECT_NE(row.Message.find("missing"), std::string::npos) << row.Message;
    } else {
      EXPECT_EQ(row.Status, BatchStatus::kCalculated) << row.Disease << ": " << row.Message;
    }
  }
}

TEST_F(BatchTest, ADiseaseWithoutInputForASexIsNotAFailure) {
  {
    Database db = Database::Open(files[0]);
    for (const char* table : {"InputIncidence", "InputRemission", "InputCasefatality"}) {
      db.Exec(std::string("delete from ") + table + " where InputId=1 and Sex='Females'");
    }
    db.Exec(
        "update InputDiseases set FIncidence=False, FRemission=False, FCasefatality=False where "
        "InputId=1");
  }
  BatchRequest request = Request();
  request.Datasets = {files[0]};
  request.Diseases = {"Asthma 1"};
  const auto rows = RunBatch(request, quiet);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Status, BatchStatus::kCalculated);
  EXPECT_EQ(rows[1].Status, BatchStatus::kNoInput);
  EXPECT_EQ(BatchStatusText(rows[1].Status), std::string("no input"));
}

// The user's reshaping is kept: by default each disease is calculated from its stored adjusted
// inputs and trends (the example's Stroke has them), and the save writes them back unchanged; with
// Original the calculation starts from the original inputs and the save leaves the adjusted inputs
// alone unless ReplaceAdjusted. The summary says which inputs each row used.
TEST_F(BatchTest, StoredAdjustedInputsAreUsedAndKept) {
  install::BuildExampleData(dir.File("bin"), dir.File("example"));
  const std::string file = dir.File("example/data/Example.mdb");
  const auto adjusted = [&file] {
    Database db = Database::Open(file);
    QueryResult rows =
        db.Query("select * from IntermIncidence where InputId=5 and Sex='Females'");  // Stroke
    std::string values;
    for (rows.First(); !rows.Eof(); rows.Next()) {
      for (int f = 3; f < rows.FieldCount(); ++f) values += rows.AsText(f) + ";";
    }
    return values;
  };
  const std::string before = adjusted();
  ASSERT_FALSE(before.empty());
  BatchRequest request = Request();
  request.Datasets = {file};
  request.Diseases = {"Stroke", "Asthma"};
  request.Sexes = {kFemales};
  request.Save = true;
  std::vector<BatchRow> rows = RunBatch(request, quiet);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Inputs, "adjusted") << rows[0].Disease;  // Stroke
  EXPECT_EQ(rows[1].Inputs, "original") << rows[1].Disease;  // Asthma has none
  EXPECT_EQ(rows[0].Status, BatchStatus::kSaved) << rows[0].Message;
  EXPECT_EQ(adjusted(), before);
  const auto strokeResult = Outputs(file);

  request.Original = true;
  rows = RunBatch(request, quiet);
  EXPECT_EQ(rows[0].Inputs, "original");
  EXPECT_EQ(rows[0].Status, BatchStatus::kSaved) << rows[0].Message;
  EXPECT_EQ(adjusted(), before);           // kept
  EXPECT_NE(Outputs(file), strokeResult);  // a result from the original inputs

  request.ReplaceAdjusted = true;
  rows = RunBatch(request, quiet);
  EXPECT_EQ(rows[0].Status, BatchStatus::kSaved) << rows[0].Message;
  EXPECT_NE(adjusted(), before);  // replaced, as asked
}

}  // namespace
}  // namespace kavrel
