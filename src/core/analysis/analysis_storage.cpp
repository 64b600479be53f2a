#include "core/analysis/analysis_storage.h"

#include "core/base/user_dialogs.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

namespace {

struct SetText {
  std::string (*Table)(int);
  const char* Question;
  const char* CreateError;
  const char* Columns;
};

SetText TextOf(AnalysisSet set) {
  switch (set) {
    case AnalysisSet::kSense:
      return {&SenseTable, "Sensitivity data already exists. Overwrite?",
              "Error creating tables for sensitivity results.",
              " (DiseaseName char(50), InputId integer, Sex char(10), VarName char(50), Variant "
              "char(10)"};
    case AnalysisSet::kUncert:
      return {&UncertTable, "Uncertainty data already exists. Overwrite?",
              "Error creating tables for uncertainty results.",
              " (DiseaseName char(50), InputId integer, Sex char(10), Instance integer"};
    case AnalysisSet::kUncertSum:
      break;
  }
  return {&UncertSumTable, "Uncertainty summary data already exists. Overwrite?",
          "Error creating tables for summary uncertainty results.",
          " (DiseaseName char(50), InputId integer, Sex char(10), Interval float, Boundary "
          "char(10)"};
}

std::string SexText(int sex) { return Quote(kSexNames.at(static_cast<std::size_t>(sex))); }

std::string Ages(const Series& series, int maxAge) {
  std::string values;
  for (int a = 0; a <= maxAge; ++a) values += ", " + StatementReal(series[a]);
  return values;
}

std::string SexWhere(int inputId, int sex) {
  return " where InputId=" + std::to_string(inputId) + SexCondition(sex);
}

// The disease's rows of the sex in the set's seven tables go, inside the store's transaction, so
// that an interruption leaves the old set or the new one and never none.
void DeleteRows(TDataKavrel& data, AnalysisSet set, int inputId, int sex) {
  const SetText text = TextOf(set);
  for (int v = 0; v < kVariableCount; ++v) {
    data.ExecDataset("delete from " + text.Table(v) + SexWhere(inputId, sex));
  }
}

std::string Head(const Tdisease& disease, int sex) {
  return Quote(disease.DiseaseName) + ", " + std::to_string(disease.InputId) + ", " + SexText(sex);
}

}  // namespace

bool PrepareSet(AnalysisSet set, TDataKavrel& data, UserDialogs& dialogs, int inputId, int sex,
                int maxAge) {
  const SetText text = TextOf(set);
  const std::string first = text.Table(0);
  if (data.DatasetHasTable(first)) {
    if (data.QueryDataset("select DiseaseName from " + first + SexWhere(inputId, sex))
            .RecordCount() > 0) {
      return dialogs.Message(text.Question, DialogKind::kConfirmation,
                             DialogButton::kOK | DialogButton::kCancel) == DialogButton::kOK;
    }
    return true;
  }
  std::string columns = text.Columns;
  for (int a = 0; a <= maxAge; ++a) columns += ", A" + std::to_string(a) + " float not null";
  columns += ")";
  try {
    Database::Transaction transaction(data.Dataset());
    for (int v = 0; v < kVariableCount; ++v) {
      data.ExecDataset(CreateTableStatement(text.Table(v), columns));
      data.ExecDataset(CreateIndexStatement(text.Table(v), "InputID"));
    }
    transaction.Commit();
  } catch (const DatabaseError&) {
    dialogs.ShowError(text.CreateError);
    return false;
  }
  return true;
}

void StoreVariants(TDataKavrel& data, const Tdisease& disease, int sex, const Tsenssum& variants,
                   int maxAge) {
  Database::Transaction transaction(data.Dataset());
  DeleteRows(data, AnalysisSet::kSense, disease.InputId, sex);
  for (const auto& variant : variants.Variants) {
    for (int v = 0; v < kVariableCount; ++v) {
      data.ExecDataset("insert into " + SenseTable(v) + " values (" + Head(disease, sex) + ", " +
                       Quote(variant.VarName) + ", " + Quote(variant.Variant) +
                       Ages(variant.Outputs[v], maxAge) + ")");
    }
  }
  transaction.Commit();
}

void StoreRuns(TDataKavrel& data, const Tdisease& disease, int sex,
               const std::vector<Tresultin>& runs, int maxAge) {
  Database::Transaction transaction(data.Dataset());
  DeleteRows(data, AnalysisSet::kUncert, disease.InputId, sex);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    for (int v = 0; v < kVariableCount; ++v) {
      data.ExecDataset("insert into " + UncertTable(v) + " values (" + Head(disease, sex) + ", " +
                       std::to_string(k) + Ages(runs[k].Outputs[v], maxAge) + ")");
    }
  }
  transaction.Commit();
}

void StoreSummary(TDataKavrel& data, const Tdisease& disease, int sex,
                  const Tuncertsummary& summary, int maxAge) {
  Database::Transaction transaction(data.Dataset());
  DeleteRows(data, AnalysisSet::kUncertSum, disease.InputId, sex);
  for (const auto& interval : summary.Intervals) {
    for (int v = 0; v < kVariableCount; ++v) {
      for (int side = 0; side < 2; ++side) {
        data.ExecDataset("insert into " + UncertSumTable(v) + " values (" + Head(disease, sex) +
                         ", " + StatementReal(interval.Level) + ", " +
                         Quote(side == 0 ? "Lower" : "Upper") +
                         Ages(interval.Bounds[v][side], maxAge) + ")");
      }
    }
  }
  transaction.Commit();
}

}  // namespace kavrel
