#include "core/agesched/patterns.h"

#include <algorithm>

#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"

namespace kavrel {

std::vector<Tpatinputdat> LoadPattern(TDataKavrel& data, std::string_view name) {
  std::vector<Tpatinputdat> groups;
  QueryResult& rows = data.QueryCollection(
      "select Lage, Hage, Waarde from StandardAgePatterns where Name=" + Quote(name) +
      " order by lage");
  for (rows.First(); !rows.Eof(); rows.Next()) {
    groups.push_back({static_cast<int>(groups.size()), static_cast<int>(rows.AsInteger(0)),
                      static_cast<int>(rows.AsInteger(1)), rows.AsDouble(2)});
  }
  return groups;
}

std::vector<std::string> PatternNames(TDataKavrel& data) {
  std::vector<std::string> names;
  QueryResult& rows = data.QueryCollection("select distinct Name from StandardAgePatterns");
  for (rows.First(); !rows.Eof(); rows.Next()) names.push_back(rows.AsText(0));
  return names;
}

bool SavePattern(TDataKavrel& data, UserDialogs& dialogs, const std::string& name,
                 const std::vector<Tpatinputdat>& groups, double multiplier) {
  if (name.empty()) {
    dialogs.ShowError(kPatternNameMissing);
    return false;
  }
  const auto listed = PatternNames(data);
  if (std::find(listed.begin(), listed.end(), name) != listed.end()) {
    dialogs.ShowError(kPatternNameInUse);
    return false;
  }
  Database::Transaction transaction(data.Collection());
  for (const Tpatinputdat& g : groups) {
    data.ExecCollection("insert into StandardAgePatterns values (" + Quote(name) + ", " +
                        std::to_string(g.Lage) + ", " + std::to_string(g.Hage) + ", " +
                        StatementReal(g.Value / multiplier) + ")");
  }
  transaction.Commit();
  return true;
}

bool DeletePattern(TDataKavrel& data, UserDialogs& dialogs, const std::string& name) {
  if (name.empty()) {
    dialogs.ShowInformation(kSelectPatternFirst);
    return false;
  }
  if (dialogs.Message(kDeletePatternQuestion, DialogKind::kConfirmation,
                      DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  try {
    data.ExecCollection("delete from StandardAgePatterns where Name=" + Quote(name));
  } catch (const DatabaseError& e) {
    dialogs.ShowError(e.what());
    dialogs.ShowError(kCouldNotDeletePattern);
    return false;
  }
  return true;
}

}  // namespace kavrel
