// Database writes as the program makes them: one disease's results are 14 single-year rows (seven
// output tables, two sexes) of 101 values, replaced in one transaction. The floor is composing the
// same statements, which every save must do anyway.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

constexpr int kHighestAge = 100;

std::vector<std::string> ResultStatements(int id) {
  std::vector<std::string> statements;
  for (int v = 0; v < kVariableCount; ++v) {
    statements.push_back("delete * from " + OutputTable(v) +
                         " where InputId=" + std::to_string(id));
    for (int s = 0; s < kSexCount; ++s) {
      std::string insert = "insert into " + OutputTable(v) + " values ('Stroke', " +
                           std::to_string(id) + ", '" + std::string(kSexNames[s]) + "'";
      for (int a = 0; a <= kHighestAge; ++a) {
        insert += ", " + StatementReal(1e-4 * (a + 1) * (v + 1) * (s + 1));
      }
      statements.push_back(insert + ")");
    }
  }
  return statements;
}

struct BenchDataset {
  BenchDataset() {
    dir = fs::temp_directory_path() / "kavrel-store-bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    BuildInputTemplate((dir / "template.mdb").string());
    fs::copy_file(dir / "template.mdb", dir / "set.mdb");
    db.emplace(Database::Open((dir / "set.mdb").string()));
    CreateSeriesTables(*db, kHighestAge);
  }
  ~BenchDataset() {
    db.reset();
    fs::remove_all(dir);
  }
  fs::path dir;
  std::optional<Database> db;
};

void BM_ComposeResultStatements(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ResultStatements(5));
}
BENCHMARK(BM_ComposeResultStatements)->Unit(benchmark::kMicrosecond);

void BM_SaveResultsInTransaction(benchmark::State& state) {
  BenchDataset set;
  for (auto _ : state) {
    Database::Transaction transaction(*set.db);
    for (const auto& statement : ResultStatements(5)) set.db->Exec(statement);
    transaction.Commit();
  }
}
BENCHMARK(BM_SaveResultsInTransaction)->Unit(benchmark::kMicrosecond);

// The same without a transaction: every statement is committed (and synced) on its own.
void BM_SaveResultsStatementByStatement(benchmark::State& state) {
  BenchDataset set;
  for (auto _ : state) {
    for (const auto& statement : ResultStatements(5)) set.db->Exec(statement);
  }
}
BENCHMARK(BM_SaveResultsStatementByStatement)->Unit(benchmark::kMicrosecond)->Iterations(20);

// Reading one output series back by its disease and sex, as loading the outputs does.
void BM_LoadOneSeries(benchmark::State& state) {
  BenchDataset set;
  for (const auto& statement : ResultStatements(5)) set.db->Exec(statement);
  for (auto _ : state) {
    auto row = set.db->Query("select * from OutputPrevalence where InputId=5 and Sex='Males'");
    double sum = 0.0;
    for (int a = 0; a <= kHighestAge; ++a) sum += row.AsDouble(3 + a);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_LoadOneSeries)->Unit(benchmark::kMicrosecond);

// Opening a data set: connect, the layout check, and the diseases cursor.
void BM_OpenDataset(benchmark::State& state) {
  BenchDataset set;
  set.db.reset();
  ScriptedDialogs dialogs;
  TDataKavrel data(dialogs);
  const std::string file = (set.dir / "set.mdb").string();
  for (auto _ : state) {
    data.OpenDataset(file);
    data.CloseDataset();
  }
}
BENCHMARK(BM_OpenDataset)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kavrel
