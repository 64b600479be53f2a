#pragma once

// The population window as a model: the age-group mortality rates or numbers of persons of the
// open data set in one grid, shown as entered ("Original") or by single year ("Interpolated"),
// with its commands. The window shows the grid and forwards clicks; the age group editor and the
// storage grid are reached through the callers' objects.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/exchange/grid.h"
#include "core/exchange/population.h"

namespace kavrel {

class MessagesLog;
class TDataKavrel;
class Tagegrouplist;
class UserDialogs;

inline constexpr std::string_view kMortalityZeroMessage =
    "Mortality input contains at least one 0\r\nData not saved";
inline constexpr std::string_view kCancelChangesQuestion = "Cancel your changes?";
inline constexpr std::string_view kLoseChangesQuestion =
    "Your changes will be lost if you close this window without saving first.\r\nDo you want to "
    "close it anyway?";
inline constexpr std::string_view kPopulationScheduleError =
    "Error reading preferred age schedule. Use Define button instead.";

class PopulationWindow {
 public:
  enum Mode { kPopulationMode = 0, kMortalityMode = 1 };
  enum View { kInterpolated = 0, kOriginal = 1 };

  struct Environment {
    PopulationSeries& Population;
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    MessagesLog& Log;
    StorageGrid& Storage;
    Tagegrouplist& CurrentAgeGroups;
    int MaxAge;
    // Runs the age group editor on CurrentAgeGroups.
    std::function<void()> RunAgeGroupEditor = nullptr;
    // Shows the storage grid window after something was put there or read into it.
    std::function<void()> ShowStorage = nullptr;
    std::string DatasetName;
    std::string Date;
    std::string Time;
    char DecimalSeparator = '.';
    int PreferredSchedule = 0;  // the table preference populationage
  };

  explicit PopulationWindow(Environment environment);

  TextGrid Grid{3, 2};
  int RatesIndex = 0;  // "Rates per:", mortality only
  int Decimals = 4;    // mortality only
  bool Modified = false;
  bool ViewEnabled = true;

  // "&Mortality" and "&Structure" of the main window, and the answer Yes to a missing-data
  // question.
  void Open(Mode mode);
  Mode GetMode() const { return mode_; }
  View GetView() const { return view_; }
  std::string Caption() const;
  std::string TableName() const;
  // "Define", "Clear", "Delete all" and "&Cancel" work on the groups as entered.
  bool OriginalCommandsEnabled() const { return view_ == kOriginal; }
  bool GridEditable() const { return view_ == kOriginal; }
  bool RatesEnabled() const { return mode_ == kMortalityMode; }

  void SetView(View view);
  void SetRatesIndex(int index);
  // "&Save": true when written. Refused (false) outside the "Original" view.
  bool Save();
  void CancelChanges();
  void DeleteAll();
  void Define();
  void Clear();
  void StoreData();
  void ReadFile();
  // A paste or a typed cell.
  void CellsChanged() { Modified = true; }
  // Clipboard text pasted at the grid's current cell: one column of values into the current
  // column, two into males and females; with or without a leading column of age labels, which
  // must be the grid's groups. False when nothing was pasted (the user was told why).
  bool Paste(std::string_view clipboard);
  // "&Close": true when the window may close (after the question, when there were changes).
  bool Close();

 private:
  std::vector<Tpopinputdat>& Groups();
  double Multiplier() const;
  std::string Shown(double value) const;
  void Redraw();
  void Reload();
  void PreferredGroups();
  bool AskBeforeDestroying();

  Environment env_;
  Mode mode_ = kMortalityMode;
  View view_ = kOriginal;
  std::optional<TextGrid> typedGroups_;  // the age groups' grid while the single years are shown
};

}  // namespace kavrel
