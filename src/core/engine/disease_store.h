#pragma once

// Reading and writing a disease in the open data set: its record, inputs, adjusted inputs,
// trends, options and outputs. The disease is the current record of the data module's diseases
// cursor; MaxAge is the data set's highest age.

#include <memory>
#include <string>

namespace kavrel {

class TDataKavrel;
class Tdisease;
class Tdiseaseam;
class UserDialogs;

class DiseaseStore {
 public:
  enum class SaveResultOutcome { kSaved, kSavedUnderNewName, kCancelled };

  // The rows of variable v and the disease's current sex, appended to its InputRows.
  void LoadInputRows(Tdisease& d, int v);
  // Flags and rows of both sexes, spread over single years into InputSeries, then ModelSeries.
  void LoadInputs(Tdisease& d);
  // True when the stored original inputs are no longer those that were read.
  bool InputsChangedOnDisk(const Tdisease& d);
  // InputId, the flags, and the rows of variable v for both sexes, not spread.
  void LoadInputFlags(Tdisease& d, int v);
  // The input editor's save: asks before replacing stored rows; false when the user cancelled.
  bool StoreInput(Tdisease& d, int v, int sex);
  void SaveInputRows(Tdisease& d, int v, int sex);
  void LoadProcessedFlags(Tdisease& d);
  // The stored trends of one sex into Trends; TrendsOn := whether there are any.
  void LoadTrends(Tdisease& d, int sex);
  // Trends and adjusted series of one sex; true when at least one series was loaded.
  bool LoadAdjusted(Tdisease& d, int sex);
  // Trends and adjusted series of the current sex.
  void SaveAdjusted(Tdisease& d);
  // Both sexes' stored outputs into OutputSeries (after the adjusted inputs of both sexes).
  void LoadOutputs(Tdisease& d);
  // Adjusted inputs, trends and outputs of the current sex.
  // withAdjusted false: the stored adjusted inputs, trends and processed flags are left as they
  // are (a result made from the original inputs does not replace the user's reshaping).
  void SaveOutputs(Tdisease& d, bool withAdjusted = true);
  // "Save result": save, replace the stored result, or save under a new name.
  // withOptions: the calculation options of the sex are stored in the same transaction.
  SaveResultOutcome SaveResult(Tdisease& d, bool withOptions = false, bool withAdjusted = true);

  TDataKavrel& Data;
  UserDialogs& Dialogs;
  int MaxAge;
};

// What a command reads of the disease under the diseases cursor, besides its record.
enum DiseaseParts : unsigned {
  kRecordOnly = 0,
  // The age-group inputs of both sexes, spread over single years (ModelSeries then holds them).
  kOriginalInputs = 1,
  // The processed-input flags, then the stored adjusted inputs and trends of the other sex and of
  // `sex` (so that the trends are those of `sex`).
  kAdjustedInputs = 2,
  // The stored outputs of both sexes and which sexes have them.
  kStoredOutputs = 4,
};

// Loads the parts of the disease under the cursor into `disease` (whose record it takes) and sets
// its sex. False, with nothing loaded, when the data set has no diseases.
bool LoadDiseaseUnderCursor(Tdisease& disease, DiseaseStore& store, int sex, unsigned parts);

// The same as a new fitting disease; null when the data set has no diseases.
std::unique_ptr<Tdiseaseam> DiseaseUnderCursor(DiseaseStore& store, int sex, unsigned parts);

// Why a result was not saved over inputs that changed on disk since they were read.
std::string InputsChangedMessage(const Tdisease& disease);

}  // namespace kavrel
