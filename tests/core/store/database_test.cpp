#include "core/store/database.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/store/layout.h"
#include "store/store_fixture.h"

namespace kavrel {
namespace {

TEST(RewriteStatementTest, OnlyTheFormsSqliteLacks) {
  const std::pair<const char*, const char*> cases[] = {
      {"delete * from InputIncidence where InputId=3",
       "delete from InputIncidence where InputId=3"},
      {"DELETE  *  FROM Datasets", "DELETE  FROM Datasets"},
      {"update InputDiseases set Moutput=Yes, Foutput=No",
       "update InputDiseases set Moutput=True, Foutput=False"},
      {"select * from X where Name='Yes' and Other='No''s'",
       "select * from X where Name='Yes' and Other='No''s'"},
      {"select Noted, YesNo from T", "select Noted, YesNo from T"},
      {"insert into T values ('a', True, False)", "insert into T values ('a', True, False)"},
      {"create index iid_IDX on TablePrefs (PrefID)",
       "create index iid_IDX_TablePrefs on TablePrefs (PrefID)"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(RewriteStatement(in), out);
}

TEST(QuoteTest, ApostrophesAreDoubled) {
  EXPECT_EQ(Quote("Asthma"), "'Asthma'");
  EXPECT_EQ(Quote("Alzheimer's disease"), "'Alzheimer''s disease'");
  EXPECT_EQ(Quote("x'); drop table T; --"), "'x''); drop table T; --'");
}

TEST(DatabaseTest, StatementsRoundTrip) {
  TempDir dir;
  auto db = Database::Open(dir.File("a.mdb"), true);
  db.Exec(
      "create table InputDiseases (InputId INTEGER PRIMARY KEY AUTOINCREMENT, "
      "DiseaseName char(50), MIncidence logical, Waarde double)");
  for (const char* name : {"Alzheimer's disease", "x'); drop table InputDiseases; --"}) {
    db.Exec("insert into InputDiseases (DiseaseName, MIncidence, Waarde) values (" + Quote(name) +
            ", Yes,  1.50000000000000E-0003)");
    auto row = db.Query("select * from InputDiseases where DiseaseName=" + Quote(name));
    ASSERT_EQ(row.RecordCount(), 1);
    EXPECT_EQ(row.AsText("diseasename"), name);
    EXPECT_EQ(row.AsText("MIncidence"), "True");
    EXPECT_TRUE(row.AsBoolean("MIncidence"));
    EXPECT_DOUBLE_EQ(row.AsDouble("Waarde"), 0.0015);
    EXPECT_EQ(row.AsInteger(0), db.LastInsertId());
  }
  EXPECT_TRUE(db.HasTable("InputDiseases"));
  EXPECT_FALSE(db.HasTable("inputdiseases"));
  auto all = db.Query("select * from inputdiseases");
  EXPECT_EQ(all.RecordCount(), 2);
  all.Last();
  EXPECT_EQ(all.AsInteger("InputId"), 2);
  all.Next();
  EXPECT_TRUE(all.Eof());
  EXPECT_THROW(all.AsText(0), std::out_of_range);
  all.First();
  EXPECT_THROW(all.AsText("NoSuchField"), std::out_of_range);
  db.Exec("delete * from InputDiseases");
  EXPECT_EQ(db.Query("select * from InputDiseases").RecordCount(), 0);
}

// A row inserted with bound values stores exactly what the same values written into the statement
// store: texts, whole numbers, and reals as their statement text reads back, bit for bit.
TEST(DatabaseTest, InsertRowStoresWhatTheStatementStores) {
  TempDir dir;
  auto db = Database::Open(dir.File("a.mdb"), true);
  CreateSeriesTables(db, 3);
  const double awkward[][4] = {{1.0 / 3.0, 0.0, -0.0, 1e-300},
                               {123456.78901234567, 2.5e-7, 1.7976931348623157e308, 5e-324},
                               {0.1 + 0.2, 1e15 + 0.3, -42.0, 6.02214076e23}};
  int id = 0;
  for (const auto& values : awkward) {
    ++id;
    std::string statement = "insert into OutputPrevalence values ('O''Brien''s disease', " +
                            std::to_string(id) + ", 'Males'";
    std::vector<Database::RowValue> row = {std::string("O'Brien's disease"), std::int64_t{id},
                                           std::string("Males")};
    for (double v : values) {
      statement += ", " + StatementReal(v);
      row.emplace_back(v);
    }
    db.Exec(statement + ")");
    db.InsertRow("OutputIncidence", row);
    db.InsertRow("OutputIncidence", row);  // the prepared statement used again
  }
  auto differing = db.Query(
      "select count(*) from OutputPrevalence p join OutputIncidence i using (InputId) where "
      "p.DiseaseName <> i.DiseaseName or p.Sex <> i.Sex or typeof(i.A0) <> 'real' or "
      "p.A0 <> i.A0 or p.A1 <> i.A1 or p.A2 <> i.A2 or p.A3 <> i.A3");
  differing.First();
  EXPECT_EQ(differing.AsInteger(0), 0);
  EXPECT_EQ(db.Query("select * from OutputIncidence").RecordCount(), 6);
  // A table that is not there fails as a statement does.
  EXPECT_THROW(db.InsertRow("NoSuchTable", {std::int64_t{1}}), DatabaseError);
}

TEST(DatabaseTest, EngineErrorsCarryTheEnginesMessage) {
  TempDir dir;
  auto db = Database::Open(dir.File("a.mdb"), true);
  try {
    db.Exec("insert into Missing values (1)");
    FAIL() << "no error";
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("no such table: Missing"), std::string::npos);
  }
  EXPECT_THROW(db.Query("select nonsense from"), DatabaseError);
  EXPECT_THROW(Database::Open(dir.File("absent.mdb")), DatabaseError);
}

TEST(DatabaseTest, ForeignFilesAreRefusedAndLeftAlone) {
  TempDir dir;
  {
    auto db = Database::Open(dir.File("real.mdb"), true);
    db.Exec("create table T (x integer)");
  }
  const std::string real = ReadAll(dir.File("real.mdb"));
  const std::pair<const char*, std::string> files[] = {
      {"jet.mdb", std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(2000, 'j')},
      {"text.mdb", "InputId,DiseaseName\n1,Asthma\n"},
      {"empty.mdb", ""},
      {"truncated.mdb", real.substr(0, 10)},
  };
  for (const auto& [name, content] : files) {
    const auto path = dir.File(name);
    std::ofstream(path, std::ios::binary) << content;
    EXPECT_FALSE(IsSqliteFile(path)) << name;
    try {
      Database::Open(path, true);
      ADD_FAILURE() << name << " was opened";
    } catch (const DatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find("is not a Kavrel database"), std::string::npos);
    }
    EXPECT_EQ(ReadAll(path), content) << name;
  }
}

TEST(DatabaseTest, TransactionIsAllOrNothing) {
  TempDir dir;
  auto db = Database::Open(dir.File("a.mdb"), true);
  db.Exec("create table T (x integer)");
  db.Exec("insert into T values (1)");
  try {
    Database::Transaction transaction(db);
    db.Exec("insert into T values (2)");
    db.Exec("insert into Missing values (3)");
    transaction.Commit();
  } catch (const DatabaseError&) {
  }
  EXPECT_EQ(db.Query("select * from T").RecordCount(), 1);
  {
    Database::Transaction transaction(db);
    db.Exec("insert into T values (2)");
    transaction.Commit();
  }
  EXPECT_EQ(db.Query("select * from T").RecordCount(), 2);
  // Nested: an inner commit is undone with its outer transaction; an inner failure alone can be
  // survived by the outer one.
  {
    Database::Transaction outer(db);
    {
      Database::Transaction inner(db);
      db.Exec("insert into T values (3)");
      inner.Commit();
    }
  }
  EXPECT_EQ(db.Query("select * from T").RecordCount(), 2);
  {
    Database::Transaction outer(db);
    db.Exec("insert into T values (3)");
    {
      Database::Transaction inner(db);
      db.Exec("insert into T values (4)");
    }
    outer.Commit();
  }
  EXPECT_EQ(db.Query("select * from T").RecordCount(), 3);
}

TEST(StatementRealTest, FixedScientificText) {
  const std::pair<double, const char*> cases[] = {
      {0.0015, " 1.50000000000000E-0003"},
      {-2.0, "-2.00000000000000E+0000"},
      {0.0, " 0.00000000000000E+0000"},
      {1.0, " 1.00000000000000E+0000"},
      {123456.789, " 1.23456789000000E+0005"},
      {1e-300, " 1.00000000000000E-0300"},
      {-1.7976931348623157e308, "-1.79769313486232E+0308"},
      {9.999999999999999e-4, " 1.00000000000000E-0003"},  // rounding carries into the exponent
  };
  for (const auto& [value, text] : cases) {
    const auto written = StatementReal(value);
    EXPECT_EQ(written, text);
    EXPECT_EQ(written.size(), 23u);
  }
}

TEST(StatementRealTest, NonFiniteNumbersAreRefused) {
  EXPECT_THROW(StatementReal(std::numeric_limits<double>::quiet_NaN()), std::domain_error);
  EXPECT_THROW(StatementReal(std::numeric_limits<double>::infinity()), std::domain_error);
}

TEST(StatementRealTest, ReadsBackToTheSameNumber) {
  for (double value : {0.1, 1.0 / 3.0, 2.718281828459045e-7}) {
    EXPECT_NEAR(std::stod(StatementReal(value)), value, std::fabs(value) * 1e-14);
  }
}

TEST(StatementRealTest, FlagColumnsNameTheInputDiseasesColumns) {
  EXPECT_EQ(kInputFlagColumns[kFemales][kCaseFatality], "FCasefatality");
  EXPECT_EQ(kProcessedFlagColumns[kMales][kRRMortality], "MRRMortalityproc");
  EXPECT_EQ(kOutputFlagColumns[kFemales], "Foutput");
}

// A file moved away while open: a write says it vanished (not that it is read-only) and writes
// nothing; once a copy is back under the name, the next write reaches it.
TEST(DatabaseTest, AVanishedFileIsNamedAndFollowedWhenBack) {
  TempDir dir;
  const std::string path = dir.File("Set.mdb");
  Database db = Database::Open(path, true);
  db.Exec("create table T (x integer)");
  db.Exec("insert into T values (1)");
  std::filesystem::rename(path, dir.File("elsewhere.mdb"));
  try {
    Database::Transaction transaction(db);
    db.Exec("insert into T values (2)");
    transaction.Commit();
    ADD_FAILURE() << "a write to a vanished file passed";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), VanishedMessage(path));
  }
  std::filesystem::copy_file(dir.File("elsewhere.mdb"), path);
  {
    Database::Transaction transaction(db);
    db.Exec("insert into T values (3)");
    transaction.Commit();
  }
  Database reopened = Database::Open(path);
  QueryResult rows = reopened.Query("select x from T order by x");
  ASSERT_EQ(rows.RecordCount(), 2);
  rows.Last();
  EXPECT_EQ(rows.AsInteger(0), 3);
}

}  // namespace
}  // namespace kavrel
