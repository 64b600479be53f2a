#include <gtest/gtest.h>

#include "core/engine/calc_options.h"
#include "core/engine/calc_settings.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/shell/calc_windows.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// A data set of highest age 85 holding one disease, "Alzheimer's disease", selected in the
// diseases cursor.
struct DiseaseDataTest : StoreFixture {
  static constexpr int kMaxAge = 85;

  void SetUp() override {
    OpenNewDataset("Set.mdb", kMaxAge);
    data.ExecDataset(
        "insert into InputDiseases (DiseaseName, ICDcode) values ('Alzheimer''s disease', 'F00')");
    table().Refresh();
    disease.TakeRecord(table());
  }

  TableCursor& table() { return data.KavrelTable1(); }
  void AddRow(int v, int sex, int lage, int hage, double value) {
    data.ExecDataset("insert into " + InputTable(v) + " values ('Alzheimer''s disease', " +
                     std::to_string(disease.InputId) + ", '" + std::string(kSexNames[sex]) + "', " +
                     std::to_string(lage) + ", " + std::to_string(hage) + ", " +
                     StatementReal(value) + ")");
  }
  int Count(const std::string& select) { return data.QueryDataset(select).RecordCount(); }

  Tdiseaseam disease{"Alzheimer's disease"};
  DiseaseStore store{data, dialogs, kMaxAge};
};

// A flag without rows counts as absent; reading leaves the file as it was.
TEST_F(DiseaseDataTest, InputsAreSpreadAndAFlagWithoutRowsIsAbsent) {
  AddRow(kIncidence, kMales, 0, 5, 0.001);
  AddRow(kIncidence, kMales, 5, 85, 0.002);
  AddRow(kIncidence, kMales, 85, 86, 0.004);
  table().SetBoolean("MIncidence", true);
  table().SetBoolean("FPrevalence", true);  // a flag without rows
  table().SetBoolean("IncidencePopRate", true);
  table().Post();
  store.LoadInputs(disease);
  const auto& series = disease.InputSeries[kIncidence][kMales];
  for (int a = 0; a <= 4; ++a) EXPECT_EQ(series[a], 0.001) << a;
  for (int a = 5; a <= 84; ++a) EXPECT_EQ(series[a], 0.002) << a;
  EXPECT_EQ(series[85], 0.004);
  EXPECT_EQ(disease.ModelSeries, disease.InputSeries);
  EXPECT_EQ(disease.InputRowCount[kIncidence][kMales], 3);
  EXPECT_EQ(disease.InputRows[kIncidence][kMales][1].Label(kMaxAge), "5-84");
  EXPECT_FALSE(disease.IncidenceIsHazard);
  EXPECT_FALSE(disease.InputPresent[kPrevalence][kFemales]);
  EXPECT_TRUE(table().FieldBoolean("FPrevalence"));
  EXPECT_EQ(Count("select * from InputDiseases where FPrevalence=True"), 1);
}

// Rows whose sex was written in other letters ("males", "FEMALES ") are the same sex's rows:
// reading finds them and a save replaces them, so a disease never has two rows of one sex.
TEST_F(DiseaseDataTest, SexTextsInOtherLettersAreTheSameSex) {
  data.ExecDataset("insert into InputIncidence values ('Alzheimer''s disease', " +
                   std::to_string(disease.InputId) + ", 'males', 0, 86, 0.002)");
  table().SetBoolean("MIncidence", true);
  table().Post();
  store.LoadInputs(disease);
  EXPECT_TRUE(disease.InputPresent[kIncidence][kMales]);
  EXPECT_EQ(disease.InputSeries[kIncidence][kMales][40], 0.002);
  EXPECT_TRUE(table().FieldBoolean("MIncidence"));

  disease.Sex = kFemales;
  disease.InputPresent[kIncidence][kFemales] = true;
  for (int v = 0; v < kVariableCount; ++v) disease.OutputSeries[v][kFemales].fill(0.01);
  store.SaveOutputs(disease);
  data.ExecDataset("update OutputIncidence set Sex='FEMALES '");
  // Saved again, also with the "has results" flag off: still one row.
  table().SetBoolean("FOutput", false);
  table().Post();
  store.SaveOutputs(disease);
  EXPECT_EQ(Count("select * from OutputIncidence"), 1);
  EXPECT_EQ(Count("select * from OutputIncidence where Sex='Females'"), 1);
}

TEST_F(DiseaseDataTest, StoringInputRowsAsksBeforeReplacing) {
  disease.InputRows[kPrevalence][kFemales] = {{0, kFemales, 0, 50, 0.01, {}},
                                              {1, kFemales, 50, 86, 0.1, {}}};
  ASSERT_TRUE(store.StoreInput(disease, kPrevalence, kFemales));
  EXPECT_EQ(Count("select * from InputPrevalence where Sex='Females'"), 2);
  EXPECT_TRUE(table().FieldBoolean("FPrevalence"));
  EXPECT_TRUE(dialogs.Texts().empty());

  // Stored already: Cancel writes nothing, Yes replaces.
  disease.InputRows[kPrevalence][kFemales].resize(1);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(store.StoreInput(disease, kPrevalence, kFemales));
  EXPECT_EQ(dialogs.Texts().back(),
            "Prevalence input for Alzheimer's disease, Females already exists. Overwrite?");
  EXPECT_EQ(Count("select * from InputPrevalence"), 2);
  dialogs.Push(DialogButton::kYes);
  EXPECT_TRUE(store.StoreInput(disease, kPrevalence, kFemales));
  EXPECT_EQ(Count("select * from InputPrevalence"), 1);

  // An empty list for a sex while the other has none: nothing to save.
  EXPECT_TRUE(store.StoreInput(disease, kDuration, kMales));
  EXPECT_EQ(dialogs.Texts().back(), "Nothing to save");
  EXPECT_FALSE(table().FieldBoolean("MDuration"));
}

TEST_F(DiseaseDataTest, AdjustedInputsAndTrendsRoundTrip) {
  disease.Sex = kFemales;
  disease.InputPresent[kIncidence][kFemales] = true;
  disease.FromOutput[kPrevalence][kFemales] = true;
  for (int a = 0; a <= kMaxAge; ++a) {
    disease.InputSeries[kIncidence][kFemales][a] = 0.001 * (a + 1);
    disease.InputSeries[kPrevalence][kFemales][a] = 0.0001 * a;
  }
  disease.TrendsOn = true;
  disease.Trends[0].Blocks = {{-10, 0, 1.02}, {-30, -11, 0.99}};
  disease.Trends[2].Blocks = {{-5, 0, 0.97}};
  store.SaveAdjusted(disease);
  EXPECT_EQ(Count("select * from Trends where Sex='Females'"), 3);
  EXPECT_EQ(Count("select * from IntermIncidence"), 1);
  EXPECT_EQ(Count("select * from IntermRemission"), 0);
  EXPECT_TRUE(table().FieldBoolean("FIncidenceproc"));
  EXPECT_TRUE(table().FieldBoolean("FPrevalenceproc"));

  Tdiseaseam again("Alzheimer's disease");
  again.TakeRecord(table());
  again.InputPresent[kIncidence][kFemales] = true;
  store.LoadProcessedFlags(again);
  EXPECT_TRUE(again.Processed[kPrevalence][kFemales]);
  EXPECT_FALSE(again.Processed[kPrevalence][kMales]);
  ASSERT_TRUE(store.LoadAdjusted(again, kFemales));
  EXPECT_TRUE(again.TrendsOn);
  ASSERT_EQ(again.Trends[0].Blocks.size(), 2u);
  EXPECT_EQ(again.Trends[0].Blocks[1].Startt, -30);  // most recent first
  EXPECT_EQ(again.Trends[2].Blocks[0].Waarde, 0.97);
  // Statements carry 15 significant digits.
  for (int a = 0; a <= kMaxAge; ++a) {
    EXPECT_NEAR(again.InputSeries[kIncidence][kFemales][a],
                disease.InputSeries[kIncidence][kFemales][a], 1e-15);
  }
  EXPECT_TRUE(again.FromOutput[kPrevalence][kFemales]);
  EXPECT_FALSE(again.FromOutput[kIncidence][kFemales]);

  // Saving with the trends not applied keeps the stored ones; only the trend window removes them.
  disease.TrendsOn = false;
  store.SaveAdjusted(disease);
  EXPECT_EQ(Count("select * from Trends"), 3);
  disease.Trends = {};
  disease.TrendsEdited = true;
  store.SaveAdjusted(disease);
  EXPECT_EQ(Count("select * from Trends"), 0);
}

TEST_F(DiseaseDataTest, SaveResultOverwriteAndSaveAs) {
  disease.Sex = kMales;
  disease.InputPresent[kIncidence][kMales] = true;
  disease.InputPresent[kPrevalence][kFemales] = true;
  disease.InputRows[kIncidence][kMales] = {{0, kMales, 0, 86, 0.003, {}}};
  disease.ICDcode = "F00";
  for (int v = 0; v < kVariableCount; ++v) disease.OutputSeries[v][kMales].fill(0.5 + v);
  EXPECT_EQ(store.SaveResult(disease), DiseaseStore::SaveResultOutcome::kSaved);
  EXPECT_TRUE(table().FieldBoolean("MOutput"));
  EXPECT_TRUE(dialogs.Texts().empty());

  // Twice, answering Yes: still one row per sex.
  dialogs.Push(DialogButton::kYes);
  EXPECT_EQ(store.SaveResult(disease), DiseaseStore::SaveResultOutcome::kSaved);
  EXPECT_EQ(dialogs.Texts().back(),
            "Output for Alzheimer's disease for Males already exists. Overwrite?");
  for (int v = 0; v < kVariableCount; ++v) EXPECT_EQ(Count("select * from " + OutputTable(v)), 1);

  // No, then names that are refused before anything is written.
  for (const char* name : {"", "Alzheimer's disease"}) {
    dialogs.Push(DialogButton::kNo);
    dialogs.Push(std::optional<std::string>(name));
    EXPECT_EQ(store.SaveResult(disease), DiseaseStore::SaveResultOutcome::kCancelled);
  }
  EXPECT_EQ(dialogs.Texts().back(),
            "A disease named Alzheimer's disease already exists. Nothing was saved.");
  EXPECT_EQ(Count("select * from InputDiseases"), 1);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_EQ(store.SaveResult(disease), DiseaseStore::SaveResultOutcome::kCancelled);

  // No, then a new name: a second disease with the flags, the current sex's rows and results.
  dialogs.Push(DialogButton::kNo);
  dialogs.Push(std::optional<std::string>("Dementia, all"));
  EXPECT_EQ(store.SaveResult(disease), DiseaseStore::SaveResultOutcome::kSavedUnderNewName);
  EXPECT_EQ(disease.DiseaseName, "Dementia, all");
  EXPECT_EQ(disease.InputId, 2);
  EXPECT_EQ(table().Key(), 2);
  QueryResult& copy = data.QueryDataset("select * from InputDiseases where InputId=2");
  EXPECT_EQ(copy.AsText("ICDcode"), "F00 ");
  EXPECT_TRUE(copy.AsBoolean("MIncidence"));
  EXPECT_TRUE(copy.AsBoolean("FPrevalence"));  // the other sex's flags come as they are
  EXPECT_TRUE(copy.AsBoolean("MOutput"));
  EXPECT_EQ(Count("select * from InputIncidence where InputId=2"), 1);
  EXPECT_EQ(Count("select * from OutputMortality where InputId=2 and Sex='Males'"), 1);
  EXPECT_EQ(Count("select * from IntermIncidence where InputId=2"), 1);
  EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(DiseaseDataTest, OutputsReloadPerSexAndAFailedSaveWritesNothing) {
  disease.Sex = kFemales;
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= kMaxAge; ++a) disease.OutputSeries[v][kFemales][a] = v + a / 1000.0;
  }
  store.SaveOutputs(disease);
  Tdiseaseam reloaded("Alzheimer's disease");
  reloaded.TakeRecord(table());
  reloaded.OutputSeries[kPrevalence][kMales].fill(7.0);
  store.LoadOutputs(reloaded);
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= kMaxAge; ++a) {
      EXPECT_NEAR(reloaded.OutputSeries[v][kFemales][a], disease.OutputSeries[v][kFemales][a],
                  1e-14);
    }
  }
  EXPECT_EQ(reloaded.OutputSeries[kPrevalence][kMales][3], 7.0);  // no males stored
  // A file without intervals has no table for them; none are read.
  EXPECT_FALSE(data.Dataset().HasTable("OutputIntervals"));
  EXPECT_FALSE(reloaded.Intervals[kFemales].Present);

  // A result with intervals keeps them; the next result without any leaves none behind.
  disease.Intervals[kFemales].Present = true;
  disease.Intervals[kFemales].Level = 0.9;
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= kMaxAge; ++a) {
      disease.Intervals[kFemales].Lower[v][a] = 0.5 * disease.OutputSeries[v][kFemales][a];
      disease.Intervals[kFemales].Upper[v][a] = 2.0 * disease.OutputSeries[v][kFemales][a];
    }
  }
  store.SaveOutputs(disease);
  store.LoadOutputs(reloaded);
  ASSERT_TRUE(reloaded.Intervals[kFemales].Present);
  EXPECT_DOUBLE_EQ(reloaded.Intervals[kFemales].Level, 0.9);
  EXPECT_EQ(reloaded.Intervals[kFemales].Upper, disease.Intervals[kFemales].Upper);
  EXPECT_EQ(reloaded.Intervals[kFemales].Lower, disease.Intervals[kFemales].Lower);
  EXPECT_FALSE(reloaded.Intervals[kMales].Present);
  disease.Intervals[kFemales] = {};
  store.SaveOutputs(disease);
  store.LoadOutputs(reloaded);
  EXPECT_FALSE(reloaded.Intervals[kFemales].Present);
  EXPECT_EQ(Count("select * from OutputIntervals"), 0);

  // A save that fails part way leaves the file as it was, flags included.
  disease.Sex = kMales;
  disease.InputPresent[kIncidence][kMales] = true;
  data.ExecDataset("drop table OutputRRMortality");
  EXPECT_THROW(store.SaveOutputs(disease), DatabaseError);
  EXPECT_EQ(Count("select * from IntermIncidence where Sex='Males'"), 0);
  EXPECT_EQ(Count("select * from OutputIncidence where Sex='Males'"), 0);
  EXPECT_FALSE(table().FieldBoolean("MOutput"));
  EXPECT_FALSE(table().FieldBoolean("MIncidenceproc"));
}

TEST_F(DiseaseDataTest, CalculationOptionsTable) {
  Tcalcsettings settings;
  CalcOptionsWindowState windows;
  SimplexSettings simplex;
  ProcessingWindowState processing;
  // Without the table nothing changes.
  windows.AgeGroupWidth = 9;
  settings.Records[kMales].Agegroup = 3;
  settings.LoadFromTable(kMales, data, disease.InputId);
  EXPECT_EQ(settings.Records[kMales].Agegroup, 3);

  settings.Records[kMales].InciIgn = false;  // stored inverted: the box shows checked
  settings.Records[kMales].Trends = true;
  settings.Records[kMales].MaxIter = "2500";
  ASSERT_TRUE(settings.SaveToTable(kMales, data, disease.InputId, dialogs));
  EXPECT_TRUE(data.DatasetHasTable("CalculationOptions"));
  ASSERT_TRUE(settings.SaveToTable(kMales, data, disease.InputId, dialogs));  // replaces the row
  EXPECT_EQ(Count("select * from CalculationOptions"), 1);

  Tcalcsettings loaded;
  loaded.LoadFromTable(kMales, data, disease.InputId);
  EXPECT_EQ(loaded.Records[kMales], settings.Records[kMales]);
  loaded.LoadFromTable(kFemales, data, disease.InputId);  // no row: defaults
  EXPECT_EQ(loaded.Records[kFemales], CalcSettingsRecord{});
  ShowOptionsInWindows(loaded.Records[kMales], windows, simplex, processing);
  EXPECT_TRUE(windows.Ignore[kIncidence]);
  EXPECT_FALSE(windows.Ignore[kPrevalence]);
  EXPECT_EQ(windows.AgeGroupWidth, 3);
  EXPECT_TRUE(processing.TrendApplyChecked);
  EXPECT_EQ(simplex.MaxIterations, "2500");
  Tcalcsettings back;
  TakeOptionsFromWindows(back.Records[kMales], windows, simplex, processing);
  EXPECT_EQ(back.Records[kMales], settings.Records[kMales]);

  // A table written before the fitting method: read with the method's defaults, and given its two
  // columns when next written.
  data.ExecDataset("create table Old as select * from CalculationOptions");
  data.ExecDataset("drop table CalculationOptions");
  data.ExecDataset(
      "create table CalculationOptions as select InputId, Sex, Agegroup, Linearsmooth, "
      "MovAvsmooth, CuSplinesmooth, BirthPrev, Only0, Trends, InciValue, RemiValue, CfatValue, "
      "InciEnforce, RemiEnforce, CfatEnforce, InciWeight, PrevWeight, RemiWeight, CfatWeight, "
      "DuraWeight, MortWeight, RRMortWeight, InciIgn, PrevIgn, RemiIgn, CfatIgn, DuraIgn, MortIgn, "
      "RRMortIgn, InciExact, RemiExact, CfatExact, MaxIter, Precision, Simplex, Alpha, Beta, Gamma "
      "from Old");
  data.ExecDataset("drop table Old");
  Tcalcsettings old;
  old.LoadFromTable(kMales, data, disease.InputId);
  EXPECT_EQ(old.Records[kMales], settings.Records[kMales]);
  settings.Records[kMales].FitMethod = 1;
  settings.Records[kMales].FitSmoothness = "0.5";
  ASSERT_TRUE(settings.SaveToTable(kMales, data, disease.InputId, dialogs));
  EXPECT_EQ(data.QueryDataset("select * from CalculationOptions").FieldCount(), 40);
  old.LoadFromTable(kMales, data, disease.InputId);
  EXPECT_EQ(old.Records[kMales].FitMethod, 1);
  EXPECT_EQ(old.Records[kMales].FitSmoothness, "0.5");
  settings.Records[kMales].FitMethod = 0;
  settings.Records[kMales].FitSmoothness = CalcSettingsRecord{}.FitSmoothness;
  ASSERT_TRUE(settings.SaveToTable(kMales, data, disease.InputId, dialogs));

  // A stored number that is not a number: refused, the record stays as it was.
  data.ExecDataset("update CalculationOptions set Agegroup='six'");
  EXPECT_THROW(loaded.LoadFromTable(kMales, data, disease.InputId), DatabaseError);
  EXPECT_EQ(loaded.Records[kMales], settings.Records[kMales]);

  // A table that cannot be created: the message, and nothing saved.
  data.ExecDataset("drop table CalculationOptions");
  data.ExecDataset("create view CalculationOptions as select 1 as InputId");
  EXPECT_FALSE(settings.SaveToTable(kMales, data, disease.InputId, dialogs));
  EXPECT_EQ(dialogs.Texts().back(), kCalcOptionsTableError);

  // Columns by name, as the command line sets them.
  CalcSettingsRecord record;
  EXPECT_TRUE(Tcalcsettings::SetColumn(record, "agegroup", "5"));
  EXPECT_TRUE(Tcalcsettings::SetColumn(record, "CUSPLINESMOOTH", "false"));
  EXPECT_TRUE(Tcalcsettings::SetColumn(record, "Precision", "1.0E-08"));
  EXPECT_FALSE(Tcalcsettings::SetColumn(record, "Agegroup", "5x"));
  EXPECT_FALSE(Tcalcsettings::SetColumn(record, "Only0", "perhaps"));
  EXPECT_FALSE(Tcalcsettings::SetColumn(record, "Sex", "Males"));
  EXPECT_EQ(record.Agegroup, 5);
  EXPECT_FALSE(record.CuSplinesmooth);
  EXPECT_EQ(record.Precision, "1.0E-08");
}

TEST(CalcOptionsWindowTest, CouplingsAndTheWeightsPage) {
  CalcOptionsWindowState w;
  w.SetInputForAge0Only(true);
  EXPECT_TRUE(w.InputForAge0Only);
  w.SetPrevalenceAtBirth(false);
  EXPECT_FALSE(w.InputForAge0Only);
  w.SetInputForAge0Only(true);
  EXPECT_FALSE(w.InputForAge0Only);

  Tdiseaseam d("d");
  d.InputPresent[kIncidence][kMales] = true;
  d.InputPresent[kCaseFatality][kMales] = true;
  d.FromOutput[kPrevalence][kMales] = true;
  d.IncidenceIsHazard = false;  // a rate in the population: never exact
  w.Weight[kIncidence] = 7;
  w.Exact = {true, true, true};
  w.SetUpWeights(d, kMales);
  EXPECT_EQ(w.WeightEnabled,
            (std::array<bool, kVariableCount>{true, true, false, true, false, false, false}));
  EXPECT_EQ(w.ExactEnabled, (std::array<bool, 3>{false, false, true}));
  EXPECT_EQ(w.Weight[kIncidence], 1);
  EXPECT_EQ(w.Exact, (std::array<bool, 3>{false, false, false}));
  w.SetIncidenceIgnore(true, d, kMales);
  w.SetIncidenceIgnore(false, d, kMales);
  EXPECT_FALSE(w.ExactEnabled[0]);
  d.IncidenceIsHazard = true;
  w.Exact[0] = true;
  w.SetIncidenceIgnore(true, d, kMales);
  EXPECT_FALSE(w.Exact[0]);
  EXPECT_FALSE(w.ExactEnabled[0]);
  w.SetIncidenceIgnore(false, d, kMales);
  EXPECT_TRUE(w.ExactEnabled[0]);
}

}  // namespace
}  // namespace kavrel
