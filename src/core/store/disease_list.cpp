#include "core/store/disease_list.h"

#include "core/store/data_kavrel.h"
#include "core/store/table_cursor.h"

namespace kavrel {

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
