#include "core/exchange/population_window.h"

#include <gtest/gtest.h>

#include "core/agesched/age_groups.h"
#include "core/base/messages_log.h"
#include "core/store/data_kavrel.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

// A new data set with highest age 85, no population data yet.
struct PopulationWindowTest : StoreFixture {
  void SetUp() override { OpenNewDataset("Set.mdb", 85); }
  PopulationWindow Window() {
    return PopulationWindow({population, data, dialogs, log, storage, groups, 85,
                             [this] {
                               groups.Clear();
                               groups.Groups.push_back(std::make_unique<Tagegroup>(0, 45, 85));
                               groups.Groups.push_back(std::make_unique<Tagegroup>(45, 65, 85));
                               groups.Groups.push_back(std::make_unique<Tagegroup>(65, 85));
                             },
                             [this] { ++storageShown; }, "Example", "10-12-2026", "12:00"});
  }
  int Rows(const char* table) {
    return data.QueryDataset(std::string("select * from ") + table).RecordCount();
  }
  MessagesLog log;
  PopulationSeries population;
  StorageGrid storage;
  Tagegrouplist groups = NewCurrentAgeGroups();
  int storageShown = 0;
};

TEST_F(PopulationWindowTest, DefineTypeSaveAndTheSeries) {
  auto window = Window();
  window.Open(PopulationWindow::kMortalityMode);
  EXPECT_EQ(window.Caption(), "Total mortality");
  EXPECT_EQ(window.Grid.RowCount(), 2);  // one empty row
  dialogs.Push(DialogButton::kNo);       // do not store first
  window.Define();
  EXPECT_FALSE(window.ViewEnabled);
  ASSERT_EQ(window.Grid.RowCount(), 4);
  EXPECT_EQ(window.Grid.Cell(0, 1), "0-44");
  EXPECT_EQ(window.Grid.Cell(0, 3), "65+");
  // Per 1000: 1.5 typed is 0.0015 stored.
  window.SetRatesIndex(2);
  window.Grid.SetCell(1, 1, "1.5");
  window.Grid.SetCell(2, 1, "1.2");
  window.Grid.SetCell(1, 2, "0");
  window.Grid.SetCell(2, 2, "4");
  window.Grid.SetCell(1, 3, "50");
  window.Grid.SetCell(2, 3, "40");
  EXPECT_FALSE(window.Save());
  EXPECT_EQ(dialogs.Texts().back(),
            std::string(kMortalityZeroMessage) + "\r\nrow 2 (Age 45-64), column Males");
  EXPECT_EQ(window.Grid.CurrentRow, 2);  // the cell is selected
  EXPECT_EQ(Rows("TotalMortality"), 0);
  window.Grid.SetCell(1, 2, "5");
  ASSERT_TRUE(window.Save());
  EXPECT_FALSE(window.Modified);
  EXPECT_TRUE(window.ViewEnabled);
  EXPECT_DOUBLE_EQ(data.QueryDataset("select Males from TotalMortality where Lage=65").AsDouble(0),
                   0.05);
  // Saved after changes: the single-year series follow at once.
  EXPECT_GT(population.AllCauseMortality[kMales][85], 0.0);
  window.SetView(PopulationWindow::kInterpolated);
  EXPECT_EQ(window.Grid.RowCount(), 87);
  EXPECT_EQ(window.Grid.Cell(0, 86), "85+");
  EXPECT_FALSE(window.Save());  // not from single years
  window.SetView(PopulationWindow::kOriginal);
  EXPECT_EQ(window.Grid.Cell(1, 1), "1.5");

  // A value typed and not saved survives a look at the single years, and is what Save stores.
  window.Grid.SetCell(1, 1, "0.9");
  window.SetView(PopulationWindow::kInterpolated);
  window.SetView(PopulationWindow::kOriginal);
  EXPECT_EQ(window.Grid.Cell(1, 1), "0.9");

  // Saving over stored rows asks; Cancel keeps them.
  window.Grid.SetCell(1, 1, "2");
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(window.Save());
  EXPECT_EQ(dialogs.Texts().back(), "Total mortality data already exists. Overwrite?");
  EXPECT_DOUBLE_EQ(data.QueryDataset("select Males from TotalMortality where Lage=0").AsDouble(0),
                   0.0015);
}

TEST_F(PopulationWindowTest, PopulationNumbersNegativeValuesAndStoring) {
  auto window = Window();
  window.Open(PopulationWindow::kPopulationMode);
  EXPECT_FALSE(window.RatesEnabled());
  dialogs.Push(DialogButton::kNo);
  window.Define();
  window.Grid.SetCell(1, 1, "450000");
  window.Grid.SetCell(2, 1, "-1");
  for (int row : {2, 3}) {
    window.Grid.SetCell(1, row, "42000");
    window.Grid.SetCell(2, row, "42000");
  }
  EXPECT_FALSE(window.Save());
  EXPECT_EQ(dialogs.Texts().back(),
            "Population input contains a negative value\r\nData not saved\r\nrow 1 (Age 0-44), "
            "column Females");
  window.Grid.SetCell(2, 1, "440000");
  ASSERT_TRUE(window.Save());
  EXPECT_DOUBLE_EQ(population.PopulationNumbers[kMales][0], 10000.0);  // 450000 over 45 years
  EXPECT_DOUBLE_EQ(population.PopulationNumbers[kFemales][85], 42000.0 / 21);  // 65-85
  window.StoreData();
  EXPECT_EQ(storageShown, 1);
  EXPECT_EQ(storage.Grid.Cell(1, 3), "Population");
  EXPECT_EQ(storage.Grid.Cell(1, 4), "Age");  // no rates line for numbers of persons
}

TEST_F(PopulationWindowTest, CancelDeleteAllClearAndClose) {
  auto window = Window();
  window.Open(PopulationWindow::kMortalityMode);
  dialogs.Push(DialogButton::kNo);
  window.Define();
  for (int row : {1, 2, 3}) {
    window.Grid.SetCell(1, row, row == 2 ? "0.05" : "0.001");
    window.Grid.SetCell(2, row, "0.001");
  }
  ASSERT_TRUE(window.Save());

  // "Delete all" empties the values but keeps the groups; "Cancel" brings back what is stored.
  window.DeleteAll();
  EXPECT_TRUE(window.Modified);
  EXPECT_EQ(window.Grid.Cell(0, 2), "45-64");
  EXPECT_EQ(window.Grid.Cell(1, 2), "");
  dialogs.Push(DialogButton::kYes);
  window.CancelChanges();
  EXPECT_EQ(window.Grid.Cell(1, 2), "0.05");
  EXPECT_FALSE(window.Modified);

  // "Clear" empties groups and grid; closing asks "Save changes to Total mortality?": Cancel
  // keeps the window, Yes saves (here refused: no values, the window stays), No reloads the
  // stored groups.
  dialogs.Push(DialogButton::kNo);
  window.Clear();
  EXPECT_EQ(window.Grid.RowCount(), 2);
  EXPECT_TRUE(population.MortalityGroups.empty());
  dialogs.Push(DialogButton::kCancel);
  EXPECT_FALSE(window.Close());
  EXPECT_EQ(dialogs.Texts().back(), "Save changes to Total mortality?");
  dialogs.Push(DialogButton::kNo);
  EXPECT_TRUE(window.Close());
  EXPECT_EQ(population.MortalityGroups.size(), 3u);
  EXPECT_TRUE(window.Close());  // nothing changed: no question
  EXPECT_TRUE(dialogs.AllAnswered());
}

}  // namespace
}  // namespace kavrel
