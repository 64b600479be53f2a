#include "core/exchange/input_editor.h"

#include <gtest/gtest.h>

#include "core/engine/disease_store.h"
#include "core/engine/input_checks.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

struct InputEditorTest : StoreFixture {
  void SetUp() override {
    OpenNewDataset("Set.mdb", 85);
    data.ExecDataset("insert into InputDiseases (DiseaseName) values ('Asthma')");
    data.KavrelTable1().Refresh();
    disease.TakeRecord(data.KavrelTable1());
    disease.InputRows[kPrevalence][kMales] = {{0, kMales, 0, 50, 0.0025, {}},
                                              {1, kMales, 50, 86, 0.01, {}}};
  }
  InputEditor Editor() {
    return InputEditor({disease, kPrevalence, 85, data, dialogs, storage, groups,
                        [this] {
                          if (defineNothing) return false;
                          groups.Groups.push_back(std::make_unique<Tagegroup>(0, 20, 85));
                          groups.Groups.push_back(std::make_unique<Tagegroup>(20, 85));
                          return true;
                        },
                        "Example", "10-12-2026", "12:00"});
  }
  Tdisease disease{"Asthma"};
  StorageGrid storage;
  Tagegrouplist groups = NewCurrentAgeGroups();
  bool defineNothing = false;  // the age group editor closed without groups
};

TEST_F(InputEditorTest, GridsMultiplierAndSaving) {
  auto editor = Editor();
  editor.Open(InputEditor::Mode::kNormal);
  EXPECT_EQ(editor.Caption(), "Edit: Asthma Prevalence input");
  EXPECT_FALSE(editor.RatesChoiceVisible());
  EXPECT_EQ(editor.MenGrid.Cell(0, 1), "0-49");
  EXPECT_EQ(editor.MenGrid.Cell(0, 2), "50+");
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "0.0025");
  editor.SetRatesIndex(4);  // per 100,000
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "250");
  editor.MenGrid.SetCell(1, 2, "1000");
  ASSERT_TRUE(editor.Save());
  EXPECT_TRUE(editor.Closed);
  QueryResult& rows =
      data.QueryDataset("select Waarde from InputPrevalence where Sex='Males' order by Lage");
  ASSERT_EQ(rows.RecordCount(), 2);
  EXPECT_DOUBLE_EQ(rows.AsDouble(0), 0.0025);
  rows.Next();
  EXPECT_DOUBLE_EQ(rows.AsDouble(0), 0.01);
  EXPECT_TRUE(data.KavrelTable1().FieldBoolean("MPrevalence"));

  // A cell that is not a number: nothing saved.
  auto again = Editor();
  again.Open(InputEditor::Mode::kNormal);
  again.MenGrid.SetCell(1, 1, "lots");
  EXPECT_FALSE(again.Save());
  EXPECT_TRUE(dialogs.Texts().back().starts_with(kInvalidCellMessage));

  // Numbers no model can take are refused with their place, the cell made current, nothing saved.
  const struct {
    const char* cell;
    const char* message;
  } refused[] = {
      {"-5", "Prevalence of Asthma for Males at ages 50+ is -5e-05; it must not be negative."},
      {"200000",
       "Prevalence of Asthma for Males at ages 50+ is 2; a prevalence must lie between 0 "
       "and 1."},
  };
  for (const auto& c : refused) {
    auto editor2 = Editor();
    editor2.Open(InputEditor::Mode::kNormal);
    editor2.SetRatesIndex(4);
    editor2.MenGrid.SetCell(1, 2, c.cell);
    EXPECT_FALSE(editor2.Save());
    EXPECT_EQ(dialogs.Texts().back(), c.message);
    EXPECT_EQ(editor2.MenGrid.CurrentRow, 2);
  }
  EXPECT_EQ(
      data.QueryDataset("select * from InputPrevalence where Waarde<0 or Waarde>1").RecordCount(),
      0);
}

// Two programs on one data set: what another program saved after this window read the inputs is
// never overwritten unasked. No reads it again into the grids, Yes overwrites it, Cancel stays.
TEST_F(InputEditorTest, InputsChangedByAnotherProgramAreNotOverwrittenUnasked) {
  auto first = Editor();
  first.Open(InputEditor::Mode::kNormal);
  ASSERT_TRUE(first.Save());  // stored: 0.0025 and 0.01
  DiseaseStore store{data, dialogs, 85};
  const auto read = [&] {
    for (auto& rows : disease.InputRows[kPrevalence]) rows.clear();
    data.KavrelTable1().Refresh();
    store.LoadInputFlags(disease, kPrevalence);
  };
  const auto otherProgram = [this](const std::string& value) {
    Database other = Database::Open(dir.File("Set.mdb"));
    other.Exec("update InputPrevalence set Waarde=" + value + " where Sex='Males' and Lage=50");
  };
  const auto stored = [this] {
    return data.QueryDataset("select Waarde from InputPrevalence where Sex='Males' and Lage=0")
        .AsText(0);
  };
  read();
  auto editor = Editor();
  editor.Open(InputEditor::Mode::kNormal);
  otherProgram("0.02");
  editor.MenGrid.SetCell(1, 1, "0.003");
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(editor.Save());
  EXPECT_TRUE(dialogs.Texts().back().starts_with(
      "Prevalence input of Asthma was changed in the data set after this window read it"));
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "0.003");  // Cancel: the typed value stays
  dialogs.Push(DialogButton::kNo);
  EXPECT_FALSE(editor.Save());
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "0.0025");  // read again: the other program's values
  EXPECT_EQ(editor.MenGrid.Cell(1, 2), "0.02");
  editor.MenGrid.SetCell(1, 1, "0.003");
  dialogs.Push(DialogButton::kYes);  // "... already exists. Overwrite?"
  ASSERT_TRUE(editor.Save());
  EXPECT_EQ(stored(), "0.003");

  // Changed again behind the window's back; Yes overwrites.
  read();
  auto last = Editor();
  last.Open(InputEditor::Mode::kNormal);
  otherProgram("0.03");
  last.MenGrid.SetCell(1, 1, "0.004");
  dialogs.Push(DialogButton::kYes);  // overwrite what changed
  dialogs.Push(DialogButton::kYes);  // "... already exists. Overwrite?"
  ASSERT_TRUE(last.Save());
  EXPECT_EQ(stored(), "0.004");
  EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(InputEditorTest, DataPointsChangeTheSeriesOnly) {
  disease.Sex = kMales;
  auto editor = Editor();
  editor.Open(InputEditor::Mode::kDataPoints);
  EXPECT_FALSE(editor.WomenGrid.Enabled);
  EXPECT_FALSE(editor.ApplyToEnabled);
  editor.MenGrid.SetCell(1, 1, "0.003");
  ASSERT_TRUE(editor.Save());
  EXPECT_EQ(disease.InputSeries[kPrevalence][kMales][49], 0.003);
  EXPECT_EQ(disease.ModelSeries[kPrevalence][kMales][49], 0.003);
  EXPECT_EQ(disease.InputRows[kPrevalence][kMales][0].Waarde, 0.0025);
  EXPECT_EQ(data.QueryDataset("select * from InputPrevalence").RecordCount(), 0);
}

// Values the model cannot reproduce are stored only when the user says so, with one question for
// the whole save; the calculation warns about them again.
TEST_F(InputEditorTest, ValuesTheModelCannotReproduceAreWarnedAbout) {
  disease.InputRows[kRRMortality][kMales] = {{0, kMales, 0, 50, 2.0, {}},
                                             {1, kMales, 50, 86, 1.5, {}}};
  InputEditor editor({disease, kRRMortality, 85, data, dialogs, storage, groups, nullptr, "Example",
                      "10-12-2026", "12:00"});
  editor.Open(InputEditor::Mode::kNormal);
  editor.MenGrid.SetCell(1, 1, "0.8");
  editor.MenGrid.SetCell(1, 2, "0.9");
  dialogs.Push(DialogButton::kNo);
  EXPECT_FALSE(editor.Save());
  EXPECT_EQ(dialogs.Texts().back(),
            "RR Mortality of Asthma for Males at ages 0-49 is 0.8, below 1. The model gives the "
            "diseased at least the mortality of the healthy, so the calculation cannot reproduce "
            "it.\r\nSave it anyway?");
  EXPECT_EQ(editor.MenGrid.CurrentRow, 1);
  EXPECT_EQ(data.QueryDataset("select * from InputRRMortality").RecordCount(), 0);
  dialogs.Push(DialogButton::kYes);  // once, for both rows
  dialogs.Push(DialogButton::kYes);  // no rows stored yet for the women: none to replace
  EXPECT_TRUE(editor.Save());
  EXPECT_EQ(data.QueryDataset("select * from InputRRMortality").RecordCount(), 2);
  disease.InputPresent[kRRMortality][kMales] = true;
  const auto warnings = InputWarnings(disease, kMales, 85);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(warnings.front().starts_with("RR Mortality of Asthma for Males at ages 0-49 is 0.8"));
  EXPECT_EQ(InputValueWarning(kDuration, 0.0, "Duration").value_or(""),
            "Duration is 0. A disease lasts for some time, so the calculation cannot reproduce a "
            "duration of 0.");
  EXPECT_FALSE(InputValueWarning(kDuration, 0.5, "Duration"));
  EXPECT_FALSE(InputValueWarning(kRRMortality, 1.0, "RR mortality"));
}

TEST_F(InputEditorTest, DefineClearDeleteAndStore) {
  auto editor = Editor();
  editor.Open(InputEditor::Mode::kNormal);
  editor.ApplyTo = InputEditor::kMen;
  dialogs.Push(DialogButton::kCancel);
  editor.Define();
  EXPECT_EQ(dialogs.Texts().back(), kDestroyInputQuestion);
  EXPECT_EQ(editor.MenGrid.Cell(0, 1), "0-49");  // cancelled: unchanged
  defineNothing = true;
  dialogs.Push(DialogButton::kNo);
  editor.Define();
  EXPECT_EQ(disease.InputRows[kPrevalence][kMales].size(), 2u);  // no groups: input kept
  EXPECT_EQ(editor.MenGrid.Cell(0, 2), "50+");
  defineNothing = false;
  dialogs.Push(DialogButton::kYes);  // store first, then define
  editor.Define();
  EXPECT_EQ(storage.Grid.Cell(1, 1), "Kavrel input, database Example");
  EXPECT_EQ(storage.Grid.Cell(1, 3), "Asthma Prevalence*1");
  EXPECT_EQ(storage.Grid.Cell(1, 4), "Males");
  EXPECT_EQ(editor.MenGrid.Cell(0, 1), "0-19");
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "0");
  EXPECT_EQ(disease.InputRows[kPrevalence][kMales].size(), 2u);
  editor.Delete();
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "");
  EXPECT_EQ(editor.MenGrid.Cell(0, 1), "0-19");  // the labels stay
  EXPECT_FALSE(editor.Save());                   // so empty values are refused
  EXPECT_TRUE(dialogs.Texts().back().starts_with(kInvalidCellMessage));
  dialogs.Push(DialogButton::kNo);
  editor.Clear();
  EXPECT_TRUE(disease.InputRows[kPrevalence][kMales].empty());
  EXPECT_EQ(editor.MenGrid.RowCount(), 2);
}

// Each group's precision in optional columns: left empty, saved as nothing; typed, saved with the
// group and shown again; half given, letters, or a count beyond its persons: refused at the cell.
TEST_F(InputEditorTest, PrecisionColumns) {
  auto editor = Editor();
  editor.Open(InputEditor::Mode::kNormal);
  EXPECT_EQ(editor.MenGrid.Cell(2, 0), "Count");
  EXPECT_EQ(editor.MenGrid.Cell(3, 0), "Denominator");
  EXPECT_EQ(editor.MenGrid.Cell(4, 0), "Lower");
  EXPECT_EQ(editor.MenGrid.Cell(5, 0), "Upper");
  const struct {
    int column;
    int row;
    const char* text;
    int refusedColumn;
    const char* refusal;
  } bad[] = {
      {2, 1, "25", 3, "give both Count and Denominator"},
      {3, 1, "many", 2, "give both Count and Denominator"},
      {2, 1, "25;20", 2, "the count of cases exceeds"},
  };
  for (const auto& c : bad) {
    auto attempt = Editor();
    attempt.Open(InputEditor::Mode::kNormal);
    const std::string text = c.text;
    const auto split = text.find(';');
    attempt.MenGrid.SetCell(c.column, c.row, text.substr(0, split));
    if (split != std::string::npos)
      attempt.MenGrid.SetCell(c.column + 1, c.row, text.substr(split + 1));
    EXPECT_FALSE(attempt.Save()) << c.text;
    EXPECT_NE(dialogs.Texts().back().find(c.refusal), std::string::npos) << dialogs.Texts().back();
    EXPECT_EQ(attempt.MenGrid.CurrentColumn, c.refusedColumn) << c.text;
  }
  editor.MenGrid.SetCell(2, 1, "25");
  editor.MenGrid.SetCell(3, 1, "10000");
  editor.MenGrid.SetCell(4, 2, "0.008");
  editor.MenGrid.SetCell(5, 2, "0.0125");
  ASSERT_TRUE(editor.Save());
  Tdisease read("Asthma");
  read.TakeRecord(data.KavrelTable1());
  DiseaseStore{data, dialogs, 85}.LoadInputs(read);
  const auto& rows = read.InputRows[kPrevalence][kMales];
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Precision, (InputPrecision{InputPrecision::Kind::kCount, 25, 10000, 0, 0}));
  EXPECT_EQ(rows[1].Precision,
            (InputPrecision{InputPrecision::Kind::kInterval, 0, 0, 0.008, 0.0125}));
  // Shown again, the interval in the unit chosen.
  auto shown = Editor();
  shown.Open(InputEditor::Mode::kNormal);
  EXPECT_EQ(shown.MenGrid.Cell(3, 1), "10000");
  shown.SetRatesIndex(2);  // per 1,000
  EXPECT_EQ(shown.MenGrid.Cell(5, 2), "12.5");
  EXPECT_FALSE(shown.HasUnsavedChanges());
}

TEST_F(InputEditorTest, PasteWithPrecision) {
  // A value with its count and denominator, labelled by age, goes into the grid's first columns.
  auto editor = Editor();
  editor.Open(InputEditor::Mode::kNormal);
  const std::string labels = editor.MenGrid.Cell(0, 1) + "\t0.0025\t25\t10000\r\n";
  ASSERT_TRUE(editor.Paste(labels, kMales, {})) << dialogs.Texts().back();
  EXPECT_EQ(editor.MenGrid.Cell(1, 1), "0.0025");
  EXPECT_EQ(editor.MenGrid.Cell(2, 1), "25");
  EXPECT_EQ(editor.MenGrid.Cell(3, 1), "10000");
  // All five columns from the current row down.
  editor.MenGrid.CurrentRow = 2;
  ASSERT_TRUE(editor.Paste("0.01\t\t\t0.008\t0.0125\r\n", kMales, {}));
  EXPECT_EQ(editor.MenGrid.Cell(4, 2), "0.008");
  EXPECT_EQ(editor.MenGrid.Cell(5, 2), "0.0125");
  ASSERT_TRUE(editor.Save());
  Tdisease read("Asthma");
  read.TakeRecord(data.KavrelTable1());
  DiseaseStore{data, dialogs, 85}.LoadInputs(read);
  EXPECT_EQ(read.InputRows[kPrevalence][kMales][0].Precision,
            (InputPrecision{InputPrecision::Kind::kCount, 25, 10000, 0, 0}));
  // Six columns are more than the grid has: refused, nothing changes.
  auto wide = Editor();
  wide.Open(InputEditor::Mode::kNormal);
  EXPECT_FALSE(wide.Paste("1\t2\t3\t4\t5\t6\r\n", kMales, {}));
  EXPECT_NE(dialogs.Texts().back().find("3 to 5 columns"), std::string::npos);
  EXPECT_FALSE(wide.HasUnsavedChanges());
}

}  // namespace
}  // namespace kavrel
