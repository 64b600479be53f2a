#include "core/shell/processing_window.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/base/messages_log.h"
#include "core/engine/disease.h"
#include "core/engine/processing.h"
#include "core/results/inspection.h"
#include "core/shell/main_window_model.h"
#include "core/store/data_kavrel.h"
#include "example_data.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// The example data set opened as the program opens it, ready for "Start process".
struct ProcessingWindowTest : ::testing::Test {
  void SetUp() override {
    const std::string program = dir.File("bin") + "/";
    install::BuildTemplates(program);
    install::BuildExampleData(program, dir.File("KavrelData"));
    std::ofstream(program + "Kavrel.ini") << "[Filedirs]\nfd1=" << dir.File("KavrelData") << "\n";
    model = std::make_unique<MainWindowModel>(
        MainWindowModel::Environment{settings, data, dialogs, log, program, [](int) {}});
    ASSERT_EQ(model->Start(), StartUp::kContinue);
    ASSERT_TRUE(model->OpenDataset(ListDatasets(data)[0]));
  }
  ProcessingWindow Window(Tdisease& disease) {
    return ProcessingWindow({disease, data, dialogs, log, model->Population, settings.MaxAge,
                             model->CalcWindow, model->SimplexWindow, model->ViewWindow});
  }

  TempDir dir;
  SettingsState settings;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  MessagesLog log{[] { return std::string("12:00:00"); }};
  std::unique_ptr<MainWindowModel> model;
};

TEST_F(ProcessingWindowTest, CalculateTakeOutputAsInputAndSave) {
  auto disease = model->DiseaseForProcessing(kFemales);  // Asthma: I, R, CF
  ASSERT_NE(disease, nullptr);
  auto window = Window(*disease);
  window.Open();
  EXPECT_EQ(window.Caption(), "Processing Asthma, Females");
  EXPECT_EQ(window.AvailableInputs(), (std::vector<std::string>{"  Original inputs", "Incidence",
                                                                "Remission", "Case fatality"}));
  EXPECT_FALSE(window.State.SaveResultEnabled);
  // Before a calculation the table has the input columns only.
  const TableText before = window.Table(TableRequest{});
  EXPECT_EQ(before.Headers.size(), 4u);
  EXPECT_EQ(before.Rows.front().front(), "0-4");

  ASSERT_TRUE(window.Calculate());
  EXPECT_TRUE(window.State.SaveResultEnabled);
  EXPECT_TRUE(window.State.FromOutputEnabled);
  EXPECT_GT(disease->OutputSeries[kPrevalence][kFemales][50], 0.0);
  EXPECT_GT(window.Table(TableRequest{}).Headers.size(), 8u);  // outputs and age of onset

  // Prevalence from output: listed apart, and not counted as own input.
  dialogs.Push(1);  // the second of the seven: prevalence
  window.FromOutput();
  EXPECT_EQ(window.AvailableInputs().back(), "Prevalence");
  EXPECT_EQ(window.AvailableInputs()[4], "  Inputs from output");
  EXPECT_EQ(disease->InputSeries[kPrevalence][kFemales][50],
            disease->ModelSeries[kPrevalence][kFemales][50]);

  // "&Original" puts a variable's age-group values back.
  disease->InputSeries[kIncidence][kFemales][30] = 1.0;
  dialogs.Push(0);  // incidence, the first with own input
  window.Original();
  EXPECT_LT(disease->InputSeries[kIncidence][kFemales][30], 0.1);

  window.SaveResult();
  data.KavrelTable1().Refresh();
  EXPECT_TRUE(data.KavrelTable1().FieldBoolean("FOutput"));
  EXPECT_EQ(data.QueryDataset("select * from CalculationOptions where InputId=" +
                              std::to_string(disease->InputId) + " and Sex='Females'")
                .RecordCount(),
            1);
}

TEST_F(ProcessingWindowTest, InsufficientInputIsRefused) {
  data.KavrelTable1().Locate("DiseaseName", "Asthma");
  auto disease = model->DiseaseForProcessing(kMales);
  disease->InputPresent[kRemission][kMales] = false;  // incidence and case fatality only
  auto window = Window(*disease);
  window.Open();
  EXPECT_FALSE(window.Calculate());
  EXPECT_EQ(dialogs.Texts().back(), kInsufficientInputMessage);
  EXPECT_FALSE(window.State.SaveResultEnabled);
}

// A data set without all-cause mortality (the question to enter it answered No): the calculation
// is refused at once with one message, before the model runs and floods the log.
TEST_F(ProcessingWindowTest, NoMortalityIsRefusedBeforeTheModelRuns) {
  data.KavrelTable1().Locate("DiseaseName", "Ischaemic heart disease");  // a fit
  auto disease = model->DiseaseForProcessing(kMales);
  model->Population.AllCauseMortality[kMales].fill(0.0);
  auto window = Window(*disease);
  window.Open();
  const std::size_t lines = log.Count();
  const std::size_t shown = dialogs.Texts().size();
  EXPECT_FALSE(window.Calculate());
  EXPECT_EQ(dialogs.Texts().size(), shown + 1);
  EXPECT_EQ(dialogs.Texts().back(), kNoMortalityMessage);
  EXPECT_EQ(log.Count(), lines);
  EXPECT_FALSE(window.State.SaveResultEnabled);
}

TEST_F(ProcessingWindowTest, AdjustedInputsAndTrendsOfTheExample) {
  data.KavrelTable1().Locate("DiseaseName", "Stroke");
  auto disease = model->DiseaseForProcessing(kMales);
  auto window = Window(*disease);
  window.Open();
  EXPECT_FALSE(window.State.TrendApplyEnabled);
  window.Adjusted();
  EXPECT_TRUE(window.State.TrendApplyEnabled);  // the example's stroke has an incidence trend
  EXPECT_TRUE(window.State.TrendApplyChecked);
  ASSERT_TRUE(window.Calculate());
  EXPECT_TRUE(disease->TrendsOn);
}

// The inspection window shows what was stored, and steps through the diseases.
TEST_F(ProcessingWindowTest, InspectionOfStoredResults) {
  {
    auto disease = model->DiseaseForProcessing(kMales);  // Asthma
    auto window = Window(*disease);
    window.Open();
    ASSERT_TRUE(window.Calculate());
    window.SaveResult();
  }
  InspectionWindow inspection(
      {data, dialogs, model->Population, settings.MaxAge, model->ViewWindow, "Example"}, kMales);
  inspection.First();
  EXPECT_EQ(inspection.Caption(), "Inspecting data set Example");
  EXPECT_FALSE(inspection.FirstEnabled);
  EXPECT_FALSE(inspection.PriorEnabled);
  ASSERT_NE(inspection.Disease(), nullptr);
  EXPECT_TRUE(inspection.Disease()->Calculated[kMales]);
  EXPECT_GT(inspection.Disease()->OutputSeries[kPrevalence][kMales][50], 0.0);
  EXPECT_EQ(inspection.GraphLines().size(), 3u + 7u);  // the three adjusted inputs, the outputs
  EXPECT_EQ(inspection.TableTitle(), "Disease: Asthma");
  EXPECT_GT(inspection.Table(TableRequest{}).Headers.size(), 10u);
  // Females have nothing stored, not even adjusted inputs; their original inputs lie on
  // ModelSeries.
  inspection.SetSex(kFemales);
  EXPECT_TRUE(inspection.GraphLines().empty());
  inspection.Original = true;
  EXPECT_EQ(inspection.GraphLines().size(), 3u);
  EXPECT_EQ(inspection.GraphLines().front().Data,
            &inspection.Disease()->ModelSeries[kIncidence][kFemales]);
  inspection.Last();
  EXPECT_EQ(inspection.Disease()->DiseaseName, "Stroke");
  inspection.Next();  // off the end: the same disease, Next and Last disabled
  EXPECT_EQ(inspection.Disease()->DiseaseName, "Stroke");
  EXPECT_FALSE(inspection.NextEnabled);
  EXPECT_FALSE(inspection.LastEnabled);
  inspection.Prior();
  EXPECT_TRUE(inspection.NextEnabled);
  EXPECT_EQ(inspection.Disease()->DiseaseName, "Diabetes mellitus");
}

}  // namespace
}  // namespace kavrel
