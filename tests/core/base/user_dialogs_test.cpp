#include "core/base/user_dialogs.h"

#include <gtest/gtest.h>

namespace kavrel {
namespace {

TEST(ScriptedDialogsTest, AnswersInOrderAndRecordsTexts) {
  ScriptedDialogs dialogs;
  dialogs.Push(DialogButton::kNo);
  dialogs.Push(2);
  dialogs.PushFile(std::string("/tmp/a.csv"));
  dialogs.PushCheckList(std::vector<int>{0, 2});
  dialogs.Push(std::optional<std::string>("Asthma 2"));

  EXPECT_FALSE(dialogs.AskYesNo("Overwrite?"));
  EXPECT_EQ(dialogs.ChooseFromList("Choose", {"a", "b", "c"}), 2);
  EXPECT_EQ(dialogs.ChooseFile({}), "/tmp/a.csv");
  EXPECT_EQ(dialogs.CheckList("Diseases", {"x", "y", "z"}, {false, false, false}),
            (std::vector<int>{0, 2}));
  EXPECT_EQ(dialogs.SaveAsName("Asthma"), "Asthma 2");
  dialogs.ShowError("Bad input");
  EXPECT_TRUE(dialogs.AllAnswered());
  EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Overwrite?", "Bad input"}));
  EXPECT_EQ(dialogs.History().back().kind, DialogKind::kError);
  EXPECT_EQ(dialogs.History()[1].items, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ScriptedDialogsTest, UnexpectedQuestionsFailLoudly) {
  ScriptedDialogs dialogs;
  EXPECT_THROW(dialogs.AskYesNo("Unscripted?"), std::logic_error);
  dialogs.Push(DialogButton::kCancel);
  EXPECT_THROW(dialogs.AskYesNo("Cancel is not offered"), std::logic_error);
  dialogs.Push(3);
  EXPECT_THROW(dialogs.SaveAsName("wrong type"), std::logic_error);
}

}  // namespace
}  // namespace kavrel

namespace kavrel {
namespace {

// Reading a table with many bad values gives one box; every error still counts as shown.
TEST(ErrorGroupTest, GathersErrorsIntoOneBox) {
  ScriptedDialogs dialogs;
  {
    UserDialogs::ErrorGroup outer(dialogs, "Reading the data of Asthma");
    dialogs.ShowError("'a' is not a number");
    {
      UserDialogs::ErrorGroup inner(dialogs, "Reading the results of Asthma");
      dialogs.ShowError("'b' is not a number");
    }
    dialogs.ShowInformation("not an error");  // other boxes are shown as they come
    dialogs.ShowError("'c' is not a number");
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"not an error"});
  }
  EXPECT_EQ(dialogs.ErrorsShown(), 3);
  EXPECT_EQ(dialogs.Texts().back(),
            "Reading the data of Asthma: 3 errors; the first: 'a' is not a number");

  {
    UserDialogs::ErrorGroup one(dialogs, "Reading the inputs of Asthma");
    dialogs.ShowError("'d' is not a number");
  }
  EXPECT_EQ(dialogs.Texts().back(), "Reading the inputs of Asthma: 'd' is not a number");

  { UserDialogs::ErrorGroup none(dialogs, "Reading nothing"); }
  {
    UserDialogs::ErrorGroup taken(dialogs, "Exporting the results");
    dialogs.ShowError("'e' is not a number");
    EXPECT_EQ(taken.TakeSummary(), "Exporting the results: 'e' is not a number");
  }
  EXPECT_EQ(dialogs.Texts().size(), 3U);
  dialogs.ShowError("after the groups");
  EXPECT_EQ(dialogs.Texts().back(), "after the groups");
}

}  // namespace
}  // namespace kavrel
