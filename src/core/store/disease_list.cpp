#include "core/store/disease_list.h"

#include <algorithm>
#include <cctype>

#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/input_precision_store.h"
#include "core/store/layout.h"
#include "core/store/table_cursor.h"

namespace kavrel {

std::string DiseaseNameKey(std::string_view name) {
  const auto first = name.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

std::optional<std::string> SimilarDiseaseName(Database& dataset, const std::string& name,
                                              long long exceptInputId) {
  QueryResult stored = dataset.Query("select InputId, DiseaseName from InputDiseases");
  // An exact match first: the disease an import or a copy replaces.
  for (stored.First(); !stored.Eof(); stored.Next()) {
    if (stored.AsInteger(0) != exceptInputId && stored.AsText(1) == name) return name;
  }
  const std::string key = DiseaseNameKey(name);
  for (stored.First(); !stored.Eof(); stored.Next()) {
    if (stored.AsInteger(0) != exceptInputId && DiseaseNameKey(stored.AsText(1)) == key) {
      return stored.AsText(1);
    }
  }
  return std::nullopt;
}

std::string InputsFingerprint(Database& dataset, long long inputId) {
  std::string fingerprint;
  for (int v = 0; v < kVariableCount; ++v) {
    QueryResult rows =
        dataset.Query("select Sex, Lage, Hage, Waarde from " + InputTable(v) +
                      " where InputId=" + std::to_string(inputId) + " order by Sex, Lage, Hage");
    fingerprint += std::to_string(v) + ':';
    for (rows.First(); !rows.Eof(); rows.Next()) {
      for (int f = 0; f < 4; ++f) fingerprint += rows.AsText(f) + ',';
      fingerprint += ';';
    }
  }
  // The precision of the groups is part of the inputs.
  if (dataset.HasTable(kInputPrecisionTable)) {
    QueryResult rows =
        dataset.Query(std::string("select Variable, Sex, Lage, Hage, Kind, Count, "
                                  "Denominator, Lower, Upper from ") +
                      kInputPrecisionTable + " where InputId=" + std::to_string(inputId) +
                      " order by Variable, Sex, Lage");
    fingerprint += "precision:";
    for (rows.First(); !rows.Eof(); rows.Next()) {
      for (int f = 0; f < 9; ++f) fingerprint += rows.AsText(f) + ',';
      fingerprint += ';';
    }
  }
  return fingerprint;
}

std::string DiseaseNameTakenMessage(const std::string& existing) {
  return "A disease named \"" + existing +
         "\" exists already in this data set; choose another name";
}

std::vector<std::string> DiseaseListRows(TDataKavrel& data, DiseaseSort sort) {
  const char* order = sort == DiseaseSort::kId     ? " InputID"
                      : sort == DiseaseSort::kName ? " Diseasename"
                                                   : " ICDcode";
  QueryResult& rows = data.QueryDataset(
      std::string("select InputID, DiseaseName, ICDCode from InputDiseases order by") + order);
  std::vector<std::string> list;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    list.push_back("  " + rows.AsText(0) + "#" + "  " + rows.AsText(1) + "#" + "  " +
                   rows.AsText(2));
  }
  return list;
}

bool LocateListedDisease(TableCursor& diseases, std::string_view row) {
  if (row.empty()) return false;
  std::string id(row.substr(0, row.find('#')));
  id.erase(0, id.find_first_not_of(' '));
  return diseases.Locate("InputID", id);
}

std::vector<int> CheckListModel::CheckedRows() const {
  std::vector<int> rows;
  for (std::size_t k = 0; k < Checked.size(); ++k) {
    if (Checked[k]) rows.push_back(static_cast<int>(k));
  }
  return rows;
}

}  // namespace kavrel
