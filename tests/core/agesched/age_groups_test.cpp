#include "core/agesched/age_groups.h"

#include <gtest/gtest.h>

#include "core/store/data_kavrel.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

TEST(AgeGroupLabelTest, Rule) {
  EXPECT_EQ(Tagegroup(0, 5, 100).Label, "0-4");
  EXPECT_EQ(Tagegroup(1, 5, 100).Label, "1-4");
  EXPECT_EQ(Tagegroup(5, 6, 100).Label, "5");
  EXPECT_EQ(Tagegroup(85, 100, 100).Label, "85-99");
  EXPECT_EQ(Tagegroup(100, 100).Label, "100+");
  EXPECT_EQ(Tagegroup(0, 100).Hage, 101);
}

struct AgeGroupEditorTest : StoreFixture {
  void SetUp() override { OpenNewCollection(); }
  AgeGroupEditor Editor(int maxAge = 100) { return AgeGroupEditor(list, data, dialogs, maxAge); }
  Tagegrouplist list = NewCurrentAgeGroups();
};

TEST_F(AgeGroupEditorTest, FillSchedule) {
  struct Case {
    int width;
    int maxAge;
    std::size_t count;
    const char* last2;
  };
  const Case cases[] = {
      {5, 100, 21, "95-99 100+"},
      {10, 100, 11, "90-99 100+"},
      {3, 100, 34, "96-98 99+"},  // cut at the open top instead of 99 to 102
      {95, 100, 2, "0-94 95+"},
  };
  for (const Case& c : cases) {
    auto editor = Editor(c.maxAge);
    editor.New();
    editor.Width = c.width;
    editor.FillSchedule();
    const auto labels = editor.Labels();
    ASSERT_EQ(labels.size(), c.count) << c.width;
    EXPECT_EQ(labels[labels.size() - 2] + " " + labels.back(), c.last2) << c.width;
    EXPECT_LE(list.Groups.back()->Hage, c.maxAge + 1);
  }
}

TEST_F(AgeGroupEditorTest, InsertDeleteAndTheirMessages) {
  auto editor = Editor();
  EXPECT_EQ(editor.ShownName, "None");
  EXPECT_FALSE(editor.Editing());
  editor.New();
  EXPECT_TRUE(editor.EditingControlsEnabled());
  EXPECT_FALSE(editor.BrowsingControlsEnabled());
  EXPECT_EQ(editor.Labels(), std::vector<std::string>{"0+"});
  EXPECT_EQ(editor.NameEdit, "New");
  editor.Width = 5;
  editor.FillSchedule();
  editor.Insert();
  EXPECT_EQ(dialogs.Texts().back(), AgeGroupEditor::kSelectFirst);
  editor.Selected = 0;
  editor.Width = 1;
  editor.Insert();  // 0-4 becomes 0 and 1-4
  EXPECT_EQ(editor.Labels()[0], "0");
  EXPECT_EQ(editor.Labels()[1], "1-4");
  editor.Selected = 0;
  editor.Width = 5;
  editor.Insert();
  EXPECT_EQ(dialogs.Texts().back(), AgeGroupEditor::kTooWide);
  editor.Selected = 1;
  editor.DeleteGroup();  // 0, 1-4, 5-9 gives 0, 1-9
  EXPECT_EQ(editor.Labels()[1], "1-9");
  editor.Selected = static_cast<int>(list.Groups.size()) - 1;
  editor.DeleteGroup();
  EXPECT_EQ(dialogs.Texts().back(), AgeGroupEditor::kLastGroup);
  editor.ClearAll();
  EXPECT_EQ(editor.Labels(), std::vector<std::string>{"0+"});
}

TEST_F(AgeGroupEditorTest, CancelRestoresTheBackupExactly) {
  list.Id = 7;
  list.Name = "Mine";
  list.Groups.push_back(std::make_unique<Tagegroup>(0, 15, 100));
  list.Groups.push_back(std::make_unique<Tagegroup>(15, 100));
  auto editor = Editor();
  editor.Activate();
  EXPECT_EQ(editor.ShownName, "Mine");
  for (int start = 0; start < 2; ++start) {
    start == 0 ? editor.Edit() : editor.New();
    editor.Width = 5;
    editor.FillSchedule();
    editor.NameEdit = "Changed";
    editor.Cancel();
    EXPECT_FALSE(editor.Editing());
    EXPECT_EQ(list.Id, 7);
    EXPECT_EQ(list.Name, "Mine");
    EXPECT_EQ(list.Labels(), (std::vector<std::string>{"0-14", "15+"}));
  }
}

TEST_F(AgeGroupEditorTest, SavedSchedulesReadAndDelete) {
  auto editor = Editor();
  editor.New();
  editor.Width = 5;
  editor.FillSchedule();
  editor.NameEdit = "Five-year";
  editor.SaveToDisk();
  EXPECT_TRUE(editor.Editing());  // editing continues
  EXPECT_EQ(list.Id, 1);
  editor.NameEdit = "Five-year again";
  editor.SaveToDisk();
  EXPECT_EQ(list.Id, 2);
  editor.Done();
  EXPECT_EQ(editor.ShownName, "Five-year again");
  EXPECT_EQ(
      data.QueryCollection("select * from StandardAgeSchedules where InputID=1").RecordCount(), 21);

  // A schedule saved with highest age 100, read where it is 85: cut at the group reaching 86.
  Tagegrouplist read;
  FillFromSchedule(read, data, 1, 85);
  ASSERT_EQ(read.Groups.size(), 18u);
  EXPECT_EQ(read.Groups.back()->Label, "85+");
  EXPECT_EQ(read.Groups.back()->Hage, 86);

  auto reader = Editor(85);
  dialogs.Push(1);  // the second schedule
  reader.Read();
  EXPECT_EQ(list.Name, "Five-year again");
  EXPECT_EQ(list.Id, 2);
  EXPECT_EQ(reader.ShownName, "Five-year again");
  EXPECT_EQ(list.Labels().back(), "85+");
  EXPECT_EQ(dialogs.History().back().items,
            (std::vector<std::string>{"Five-year", "Five-year again"}));

  dialogs.Push(0);
  dialogs.Push(DialogButton::kCancel);
  reader.DeleteSaved();
  dialogs.Push(0);
  dialogs.Push(DialogButton::kYes);
  reader.DeleteSaved();
  EXPECT_EQ(dialogs.Texts().back(), AgeGroupEditor::kDeleteQuestion);
  EXPECT_EQ(
      data.QueryCollection("select * from StandardAgeSchedules where InputID=1").RecordCount(), 0);
  dialogs.Push(-1);
  reader.Read();  // no choice: nothing changes
  EXPECT_EQ(list.Id, 2);
}

// A schedule made where the highest age is 85 ends in an open "80+"; read where the highest age is
// 100 it is still open ("80+", reaching 101), never a closed "80-85" that leaves 86-100 out.
TEST_F(AgeGroupEditorTest, AnOpenTopGroupReadsBackOpenAtAnyHighestAge) {
  auto editor = Editor(85);
  editor.New();
  editor.Width = 10;
  editor.FillSchedule();
  editor.NameEdit = "Ten-year to 80+";
  editor.SaveToDisk();
  editor.Done();
  Tagegrouplist read;
  FillFromSchedule(read, data, list.Id, 100);
  ASSERT_FALSE(read.Groups.empty());
  EXPECT_EQ(read.Groups.back()->Hage, 101);
  EXPECT_EQ(read.Groups.back()->Label.back(), '+');
}

// A schedule edited by hand into a gap, an inverted or an empty group, or negative ages is
// refused with the group named, and nothing of it is used.
TEST_F(AgeGroupEditorTest, ABrokenScheduleIsRefused) {
  const struct {
    const char* rows;
    const char* group;
  } cases[] = {
      {"(7, 'Gap', 0, 10), (7, 'Gap', 20, 86)", "20 up to 86"},
      {"(7, 'Inverted', 0, 10), (7, 'Inverted', 10, 5)", "10 up to 5"},
      {"(7, 'Empty', 0, 10), (7, 'Empty', 10, 10)", "10 up to 10"},
      {"(7, 'Negative', -5, 10), (7, 'Negative', 10, 86)", "-5 up to 10"},
  };
  for (const auto& c : cases) {
    data.ExecCollection("delete from StandardAgeSchedules");
    data.ExecCollection(std::string("insert into StandardAgeSchedules (InputID, Name, Lage, Hage) "
                                    "values ") +
                        c.rows);
    Tagegrouplist read;
    try {
      FillFromSchedule(read, data, 7, 85);
      ADD_FAILURE() << c.rows;
    } catch (const DatabaseError& error) {
      EXPECT_NE(std::string(error.what()).find(c.group), std::string::npos) << error.what();
    }
    EXPECT_TRUE(read.Groups.empty());
  }
}

}  // namespace
}  // namespace kavrel
