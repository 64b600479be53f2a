#include "core/store/input_precision_store.h"

#include <string>

#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

namespace {

std::string Where(long long inputId, int variable, int sex) {
  return " where InputId=" + std::to_string(inputId) + " and Variable=" + std::to_string(variable) +
         SexCondition(sex);
}

}  // namespace

std::vector<PrecisionRow> ReadInputPrecision(Database& dataset, long long inputId, int variable,
                                             int sex) {
  std::vector<PrecisionRow> rows;
  if (!dataset.HasTable(kInputPrecisionTable)) return rows;
  QueryResult found =
      dataset.Query(std::string("select Lage, Hage, Kind, Count, Denominator, Lower, Upper from ") +
                    kInputPrecisionTable + Where(inputId, variable, sex) + " order by Lage");
  for (found.First(); !found.Eof(); found.Next()) {
    PrecisionRow row;
    row.Lage = static_cast<int>(found.AsInteger(0));
    row.Hage = static_cast<int>(found.AsInteger(1));
    const long long kind = found.AsInteger(2);
    if (kind == 1) {
      row.Precision.Type = InputPrecision::Kind::kCount;
      row.Precision.Count = found.AsDouble(3);
      row.Precision.Denominator = found.AsDouble(4);
    } else if (kind == 2) {
      row.Precision.Type = InputPrecision::Kind::kInterval;
      row.Precision.Lower = found.AsDouble(5);
      row.Precision.Upper = found.AsDouble(6);
    }
    rows.push_back(row);
  }
  return rows;
}

void WriteInputPrecision(Database& dataset, long long inputId, int variable, int sex,
                         const std::vector<PrecisionRow>& rows) {
  const bool exists = dataset.HasTable(kInputPrecisionTable);
  bool any = false;
  for (const PrecisionRow& row : rows) any |= row.Precision.Known();
  if (!exists && !any) return;
  Database::Transaction transaction(dataset);
  if (exists) {
    dataset.Exec(std::string("delete from ") + kInputPrecisionTable +
                 Where(inputId, variable, sex));
  } else {
    dataset.Exec(CreateTableStatement(kInputPrecisionTable,
                                      "(InputId integer, Variable integer, Sex char(10), Lage "
                                      "integer, Hage integer, Kind integer, Count double, "
                                      "Denominator double, Lower double, Upper double)"));
    dataset.Exec(CreateIndexStatement(kInputPrecisionTable, "InputID"));
  }
  for (const PrecisionRow& row : rows) {
    const InputPrecision& p = row.Precision;
    if (!p.Known()) continue;
    dataset.InsertRow(kInputPrecisionTable, {std::int64_t{inputId}, std::int64_t{variable},
                                             std::string(kSexNames[static_cast<std::size_t>(sex)]),
                                             std::int64_t{row.Lage}, std::int64_t{row.Hage},
                                             std::int64_t{static_cast<int>(p.Type)}, p.Count,
                                             p.Denominator, p.Lower, p.Upper});
  }
  transaction.Commit();
}

void DeleteInputPrecision(Database& dataset, long long inputId) {
  if (!dataset.HasTable(kInputPrecisionTable)) return;
  dataset.Exec(std::string("delete from ") + kInputPrecisionTable +
               " where InputId=" + std::to_string(inputId));
}

}  // namespace kavrel
