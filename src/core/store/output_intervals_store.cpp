#include "core/store/output_intervals_store.h"

#include <string>

#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

namespace {

std::string Where(long long inputId, int sex) {
  return " where InputId=" + std::to_string(inputId) + SexCondition(sex);
}

}  // namespace

OutputIntervals ReadOutputIntervals(Database& dataset, long long inputId, int sex, int maxAge) {
  OutputIntervals intervals;
  if (!dataset.HasTable(kOutputIntervalsTable)) return intervals;
  QueryResult found =
      dataset.Query(std::string("select Variable, Age, Level, Lower, Upper from ") +
                    kOutputIntervalsTable + Where(inputId, sex) + " order by Variable, Age");
  for (found.First(); !found.Eof(); found.Next()) {
    const long long v = found.AsInteger(0);
    const long long a = found.AsInteger(1);
    if (v < 0 || v >= kVariableCount || a < 0 || a > maxAge || a >= kAgeCount) continue;
    intervals.Present = true;
    intervals.Level = found.AsDouble(2);
    intervals.Lower[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)] = found.AsDouble(3);
    intervals.Upper[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)] = found.AsDouble(4);
  }
  return intervals;
}

void WriteOutputIntervals(Database& dataset, long long inputId, int sex,
                          const OutputIntervals& intervals, int maxAge) {
  const bool exists = dataset.HasTable(kOutputIntervalsTable);
  if (!exists && !intervals.Present) return;
  Database::Transaction transaction(dataset);
  if (exists) {
    dataset.Exec(std::string("delete from ") + kOutputIntervalsTable + Where(inputId, sex));
  } else {
    dataset.Exec(CreateTableStatement(kOutputIntervalsTable,
                                      "(InputId integer, Sex char(10), Variable integer, Age "
                                      "integer, Level double, Lower double, Upper double)"));
    dataset.Exec(CreateIndexStatement(kOutputIntervalsTable, "InputID"));
  }
  if (intervals.Present) {
    for (int v = 0; v < kVariableCount; ++v) {
      for (int a = 0; a <= maxAge && a < kAgeCount; ++a) {
        dataset.InsertRow(
            kOutputIntervalsTable,
            {std::int64_t{inputId}, std::string(kSexNames[static_cast<std::size_t>(sex)]),
             std::int64_t{v}, std::int64_t{a}, intervals.Level,
             intervals.Lower[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)],
             intervals.Upper[static_cast<std::size_t>(v)][static_cast<std::size_t>(a)]});
      }
    }
  }
  transaction.Commit();
}

void DeleteOutputIntervals(Database& dataset, long long inputId) {
  if (!dataset.HasTable(kOutputIntervalsTable)) return;
  dataset.Exec(std::string("delete from ") + kOutputIntervalsTable +
               " where InputId=" + std::to_string(inputId));
}

}  // namespace kavrel
