#pragma once

// The standard age pattern window as a model: the collection's patterns listed and shown by age
// group, new ones made from age groups and typed rates, saved and deleted.

#include <functional>
#include <string>
#include <vector>

#include "core/agesched/patterns.h"
#include "core/base/text_grid.h"

namespace kavrel {

class TDataKavrel;
class UserDialogs;
struct Tagegrouplist;

inline constexpr std::string_view kPatternScheduleError =
    "Error reading preferred age schedule. \r\n Use Define button instead.";

class PatternWindow {
 public:
  struct Environment {
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    // "Store data" hands the grid to the storage grid through this, which shows it too.
    GridReceiver SendToStorage;
    Tagegrouplist& CurrentAgeGroups;
    int MaxAge;
    // Runs the age group editor on CurrentAgeGroups.
    std::function<void()> RunAgeGroupEditor = nullptr;
    std::string DatasetName;
    std::string Date;
    std::string Time;
    char DecimalSeparator = '.';
    int PreferredSchedule = 0;  // the table preference patternage
  };

  explicit PatternWindow(Environment environment);

  TextGrid Grid{2, 2};
  std::vector<std::string> Names;  // "Current standard age patterns"
  std::string NameEdit = "New pattern name";
  int RatesIndex = 0;
  int Decimals = 4;
  bool DefineEnabled = false;         // "Define" and "Clear"
  std::vector<Tpatinputdat> Pattern;  // the loaded pattern

  void Open();
  // A name clicked in the list.
  void Choose(const std::string& name);
  void NewItem();
  void Define();
  // "&Save item": true when saved.
  bool SaveItem();
  // "&Delete item" for the selected name (empty: none).
  bool DeleteItem(const std::string& selected);
  void StoreData();
  // Another unit: the grid shows the same rates in it, also those typed and not saved yet.
  void SetRatesIndex(int index);
  // A new pattern with values typed or pasted and not saved.
  bool HasUnsavedChanges() const { return DefineEnabled && !Grid.SameCells(shown_); }
  // Closing: "Save changes to the age pattern NAME?" with Yes (save; the window stays when the
  // save is refused), No and Cancel. True: may close.
  bool MayClose();

 private:
  void ShowPattern(bool valuesInFull = false);
  double Multiplier() const;

  Environment env_;
  TextGrid shown_;  // the grid as last shown from the pattern
};

}  // namespace kavrel
