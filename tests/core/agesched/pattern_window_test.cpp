#include "core/agesched/pattern_window.h"

#include <gtest/gtest.h>

#include "core/agesched/age_groups.h"
#include "core/exchange/grid.h"
#include "core/store/data_kavrel.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

struct PatternWindowTest : StoreFixture {
  void SetUp() override { OpenNewCollection(); }
  PatternWindow Window(int maxAge = 85) {
    auto toStorage = [this](const TextGrid& source, bool sideBySide,
                            const std::vector<std::string>& lines, bool newContent) {
      ++storageShown;
      return storage.ReceiveGrid(source, sideBySide, lines, newContent, dialogs);
    };
    return PatternWindow({data, dialogs, toStorage, groups, maxAge,
                          [this] {
                            groups.Clear();
                            groups.Groups.push_back(std::make_unique<Tagegroup>(0, 50, 85));
                            groups.Groups.push_back(std::make_unique<Tagegroup>(50, 85));
                          },
                          "Example", "10-12-2026", "12:00"});
  }
  StorageGrid storage;
  Tagegrouplist groups = NewCurrentAgeGroups();
  int storageShown = 0;
};

TEST_F(PatternWindowTest, NewDefineSaveShowAndDelete) {
  auto window = Window();
  window.Open();
  EXPECT_TRUE(window.Names.empty());
  EXPECT_FALSE(window.DefineEnabled);
  window.NewItem();
  EXPECT_TRUE(window.DefineEnabled);
  EXPECT_EQ(window.NameEdit, "New Age Pattern Name");
  window.Define();
  ASSERT_EQ(window.Grid.RowCount(), 3);
  EXPECT_EQ(window.Grid.Cell(0, 2), "50+");
  EXPECT_EQ(window.Grid.Cell(1, 1), "0");
  // Per 1000: a typed 2 is stored as 0.002.
  window.RatesIndex = 2;
  window.NameEdit = "Rising";
  window.Grid.SetCell(1, 1, "2");
  window.Grid.SetCell(1, 2, "x");
  EXPECT_FALSE(window.SaveItem());
  EXPECT_TRUE(dialogs.Texts().back().starts_with(kInvalidCellMessage));
  window.Grid.SetCell(1, 2, "20");
  ASSERT_TRUE(window.SaveItem());
  EXPECT_FALSE(window.DefineEnabled);
  EXPECT_EQ(window.Names, std::vector<std::string>{"Rising"});
  EXPECT_DOUBLE_EQ(
      data.QueryCollection("select Waarde from StandardAgePatterns where Lage=0").AsDouble(0),
      0.002);
  // The same name again is refused; the stored pattern stays.
  EXPECT_FALSE(window.SaveItem());
  EXPECT_EQ(dialogs.Texts().back(), kPatternNameInUse);

  auto again = Window();
  again.Open();
  EXPECT_EQ(again.NameEdit, "Rising");
  EXPECT_EQ(again.Grid.Cell(1, 1), "0.002");
  again.SetRatesIndex(2);
  EXPECT_EQ(again.Grid.Cell(1, 1), "2");
  again.StoreData();
  EXPECT_EQ(storageShown, 1);
  EXPECT_EQ(storage.Grid.Cell(1, 3), "Rising");
}

TEST_F(PatternWindowTest, DeleteAsksAndNeedsASelection) {
  ASSERT_TRUE(SavePattern(data, dialogs, "Flat", {{0, 0, 86, 0.01}}, 1.0));
  auto window = Window();
  window.Open();
  EXPECT_FALSE(window.DeleteItem(""));
  EXPECT_EQ(dialogs.Texts().back(), kSelectPatternFirst);
  dialogs.Push(DialogButton::kYes);
  ASSERT_TRUE(window.DeleteItem("Flat"));
  EXPECT_TRUE(window.Names.empty());
  EXPECT_EQ(window.Grid.RowCount(), 2);  // the grid emptied
  EXPECT_EQ(data.QueryCollection("select * from StandardAgePatterns").RecordCount(), 0);
}

// A labelled block pasted into the grid relabels it: Save stores the values under the groups the
// grid shows. The open top group is stored open and reads back open ("15+", not "15-85") in a
// data set of another highest age.
TEST_F(PatternWindowTest, StoredUnderTheShownGroupsWithAnOpenTop) {
  auto window = Window(85);
  window.Open();
  window.NewItem();
  window.Define();  // 0-49, 50+
  window.NameEdit = "Pasted";
  window.Grid.Resize(2, 4);
  const char* labels[] = {"0-4", "5-14", "15+"};
  const char* values[] = {"0.1", "0.2", "0.3"};
  for (int row = 1; row <= 3; ++row) {
    window.Grid.SetCell(0, row, labels[row - 1]);
    window.Grid.SetCell(1, row, values[row - 1]);
  }
  ASSERT_TRUE(window.SaveItem());
  const auto stored = LoadPattern(data, "Pasted");
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[1].Lage, 5);
  EXPECT_EQ(stored[1].Hage, 15);
  EXPECT_DOUBLE_EQ(stored[1].Value, 0.2);
  auto older = Window(100);
  older.Open();
  older.Choose("Pasted");
  EXPECT_EQ(older.Grid.Cell(0, 3), "15+");
}

}  // namespace
}  // namespace kavrel
