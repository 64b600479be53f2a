#pragma once

// The disease list of the open data set, and the check-list dialog's model.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

class Database;
class TDataKavrel;
class TableCursor;

// A disease name as it is compared for sameness: without blanks at either end, in lower case.
// Two diseases of one data set never share it: the program finds a disease by its name.
std::string DiseaseNameKey(std::string_view name);
// The stored disease (other than exceptInputId) whose name is `name` exactly, else one whose name
// differs from it only in letter case or blanks at either end; nothing when the name is free.
std::optional<std::string> SimilarDiseaseName(Database& dataset, const std::string& name,
                                              long long exceptInputId = 0);
// What a disease's original inputs are on disk now: every row of its seven input tables, as text.
// Read when a disease is loaded and again before something made from those inputs is saved, it
// tells whether another program (or window) changed them in between.
std::string InputsFingerprint(Database& dataset, long long inputId);

// "A disease named "X" exists already in this data set; choose another name".
std::string DiseaseNameTakenMessage(const std::string& existing);

enum class DiseaseSort { kId, kName, kCode };

// One row per disease: "  " id "#" "  " name "#" "  " code, in the chosen order.
std::vector<std::string> DiseaseListRows(TDataKavrel& data, DiseaseSort sort);
// Closing the list: the cursor moves to the chosen row's disease. False (nothing to do) when no
// row is chosen.
bool LocateListedDisease(TableCursor& diseases, std::string_view row);

// The check-list dialog: checks stay from one use to the next unless the caller empties it.
struct CheckListModel {
  std::string Caption;
  std::vector<std::string> Items;
  std::vector<bool> Checked;

  void Clear() {
    Items.clear();
    Checked.clear();
  }
  void Add(std::string item) {
    Items.push_back(std::move(item));
    Checked.push_back(false);
  }
  // "&Close" keeps the checks; "&Cancel" unchecks every row.
  void Cancel() { Checked.assign(Items.size(), false); }
  std::vector<int> CheckedRows() const;
};

}  // namespace kavrel
