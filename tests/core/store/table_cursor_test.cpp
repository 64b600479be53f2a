#include <gtest/gtest.h>

#include "core/store/data_kavrel.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

struct TableCursorTest : StoreFixture {
  void SetUp() override {
    OpenNewDataset();
    for (const char* name : {"Asthma", "Alzheimer''s disease", "Diabetes"}) {
      data.ExecDataset(std::string("insert into InputDiseases (DiseaseName) values ('") + name +
                       "')");
    }
    data.KavrelTable1().Refresh();
  }
  TableCursor& table = data.KavrelTable1();
};

TEST_F(TableCursorTest, NavigatesInKeyOrder) {
  ASSERT_EQ(table.RecordCount(), 3);
  table.First();
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.FieldText("DiseaseName"), "Asthma");
  table.Prior();
  EXPECT_TRUE(table.Bof());
  table.Next();
  EXPECT_FALSE(table.Bof());
  EXPECT_EQ(table.FieldText("diseasename"), "Alzheimer's disease");
  table.Last();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.Key(), 3);
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.FieldText("DiseaseName"), "Diabetes");
  EXPECT_EQ(table.FieldText("MIncidence"), "False");
  EXPECT_THROW(table.FieldText("Nonsense"), std::out_of_range);
}

TEST_F(TableCursorTest, InsertEditCancelDeleteLocate) {
  int notified = 0;
  table.SetListener([&] { ++notified; });
  table.Insert();
  table.SetText("DiseaseName", "New disease");
  table.Post();
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_EQ(table.FieldText("DiseaseName"), "New disease");
  EXPECT_EQ(table.Key(), 4);
  EXPECT_FALSE(table.FieldBoolean("FOutput"));

  // Editing through a bound control: setting a field starts the edit.
  table.SetText("DiseaseName", "Parkinson's disease");
  table.SetText("ICDcode", "G20 ");
  table.SetBoolean("MIncidence", true);
  EXPECT_EQ(table.GetState(), TableCursor::State::kEdit);
  table.Post();
  QueryResult& stored = data.QueryDataset("select * from InputDiseases where InputId=4");
  EXPECT_EQ(stored.AsText("DiseaseName"), "Parkinson's disease");
  EXPECT_EQ(stored.AsText("MIncidence"), "True");

  table.SetText("DiseaseName", "Changed my mind");
  table.Cancel();
  EXPECT_EQ(table.FieldText("DiseaseName"), "Parkinson's disease");

  EXPECT_TRUE(table.Locate("DiseaseName", "Alzheimer's disease"));
  EXPECT_EQ(table.Key(), 2);
  EXPECT_FALSE(table.Locate("DiseaseName", "Gout"));
  EXPECT_EQ(table.Key(), 2);
  table.Delete();
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(table.FieldText("DiseaseName"), "Diabetes");
  EXPECT_EQ(data.QueryDataset("select * from InputDiseases").RecordCount(), 3);
  EXPECT_GT(notified, 5);
}

TEST_F(TableCursorTest, AFailedPostKeepsTheEdit) {
  table.First();
  data.ExecDataset("drop table InputDiseases");
  table.SetText("DiseaseName", "Asthma, adult");
  EXPECT_THROW(table.Post(), DatabaseError);
  EXPECT_EQ(table.GetState(), TableCursor::State::kEdit);
  EXPECT_EQ(table.FieldText("DiseaseName"), "Asthma, adult");
  table.Cancel();
  EXPECT_EQ(table.FieldText("DiseaseName"), "Asthma");
}

TEST_F(TableCursorTest, ClosedWithTheDataSet) {
  data.CloseDataset();
  EXPECT_FALSE(table.Active());
  EXPECT_THROW(table.First(), std::logic_error);
}

}  // namespace
}  // namespace kavrel
