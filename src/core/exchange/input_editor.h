#pragma once

// The input editor as a model: the age-group values of one input variable of one disease for
// men and women side by side, with its commands. The window shows the two grids and forwards
// clicks; the age group editor and the storage grid are reached through the callers' objects.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/agesched/age_groups.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/grid.h"

namespace kavrel {

class Database;

// The unit in which a variable of a disease is entered and shown ("Rates per:"), kept in the data
// set with the disease: an index into the "Rates per:" items, 0 (per 1) when none was chosen.
// Duration and RR mortality are never rates: always 0.
int StoredRatesIndex(TDataKavrel& data, int inputId, int variable);
void StoreRatesIndex(TDataKavrel& data, int inputId, int variable, int index);
// A deleted disease's units go with it (inside the caller's transaction).
void DeleteStoredRatesIndexes(TDataKavrel& data, int inputId);
// Every variable's unit of a disease at once, into another data set's file (inside the caller's
// transaction), as a copy of the disease takes them along.
void WriteRatesIndexes(Database& db, int inputId, const std::array<int, kVariableCount>& indexes);

class InputEditor {
 public:
  enum class Mode { kNormal, kDataPoints };
  enum SexChoice { kMen = 0, kWomen = 1, kBoth = 2 };

  struct Environment {
    Tdisease& Disease;
    int Variable;  // CurrentInputVariable
    int MaxAge;
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    StorageGrid& Storage;
    Tagegrouplist& CurrentAgeGroups;
    // Runs the age group editor on CurrentAgeGroups; false when it was cancelled.
    std::function<bool()> RunAgeGroupEditor;
    std::string DatasetName;
    std::string Date;
    std::string Time;
    char DecimalSeparator = '.';
    int PreferredSchedule = 0;  // the table preference inputage
    // Shows the storage grid window after "Store data" put the grids there.
    std::function<void()> ShowStorage = nullptr;
  };

  explicit InputEditor(Environment environment);

  TextGrid MenGrid{2, 2};
  TextGrid WomenGrid{2, 2};
  int ApplyTo = kBoth;  // "Apply to:"
  int RatesIndex = 0;   // "Rates per:"
  int Decimals = 4;
  bool ApplyToEnabled = true;
  bool Closed = false;

  // Normal mode for the input editor, data-points mode for the age schedule window.
  void Open(Mode mode);
  std::string Caption() const;
  // The unit of the values shown, for the grids' headings: "per 100,000", "per person", "years",
  // "ratio".
  std::string UnitText() const;
  bool RatesChoiceVisible() const { return env_.Variable == kIncidence; }
  // Duration (years) and RR mortality (a ratio) are not rates: "Rates per:" stays at 1.
  bool RatesPerOffered() const {
    return env_.Variable != kDuration && env_.Variable != kRRMortality;
  }
  bool IncidenceAsHazards() const { return env_.Disease.IncidenceIsHazard; }
  TextGrid& Grid(int sex) { return sex == kMales ? MenGrid : WomenGrid; }
  // The optional columns of each group's precision after "Value" (the input editor only): "Count"
  // and "Denominator" for a rate or prevalence, then "Lower" and "Upper" of a 95 % interval (in
  // the unit of the values); the column of "Lower", 0 when there are none.
  int CountColumn() const;
  int LowerColumn() const;

  // "&Save"; false when a cell was refused (nothing saved) or a replace was cancelled. When the
  // stored inputs were changed by another program since they were read, asks first: Yes
  // overwrites them, No reads them again into the grids, Cancel goes back.
  bool Save();
  // Whether the grids differ from what was last shown from, or stored into, the disease.
  bool HasUnsavedChanges() const;
  // Closing: with unsaved changes, "Save changes to Incidence of Asthma?" with Yes (save; the
  // window stays when the save is refused), No (discard) and Cancel (stay). True: may close.
  bool MayClose();
  // Clipboard text pasted into the editor: one column of values into the grid that has the
  // keyboard (`focusedSex`, or the one `chooseSex` returns; -1 there cancels), two columns into
  // the men's and the women's grid, each with or without a leading column of age labels that
  // must be the grids' groups. False when nothing was pasted (the user was told why).
  bool Paste(std::string_view clipboard, int focusedSex, const std::function<int()>& chooseSex);
  void Define();
  void Clear();
  void Delete();
  void StoreData();
  void SetRatesIndex(int index);
  void SetIncidenceAsHazards(bool hazards) { env_.Disease.IncidenceIsHazard = hazards; }

 private:
  // Every value of the sex's grid may be stored: a refusal makes its cell the current one.
  bool ValuesAllowed(int sex);
  // The precision typed in a row's optional cells; a refusal names the cell (made current).
  std::optional<InputPrecision> RowPrecision(int sex, int row, double value);
  void FillGrid(int sex);
  std::vector<int> ChosenSexes() const;
  // The question before records are destroyed; false when cancelled.
  bool AskBeforeDestroying();
  double Multiplier() const;
  std::string Shown(double value) const;

  void MarkSaved();
  std::string ChangedOnDiskQuestion() const;
  void Reload(DiseaseStore& store);

  Environment env_;
  Mode mode_ = Mode::kNormal;
  bool warningAccepted_ = false;
  TextGrid savedMen_;
  TextGrid savedWomen_;
};

}  // namespace kavrel
