#pragma once

// The data sets of the open collection, as the data sets window works on them: list, open and
// close one as the current data set, make a new data set file, add an existing one, remove or
// delete one, compact or repair its file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_dialogs.h"
#include "core/store/settings.h"

namespace kavrel {

class Database;

class TDataKavrel;

inline constexpr std::string_view kListDatasetsStatement =
    "select ID, datasetname, databasename, readonly, group1, group2, group3, HighestAge, "
    "DatasetNotes from datasets order by datasetname";
inline constexpr std::string_view kDatasetExistsMessage = "Dataset name already exists. Not saved!";
inline constexpr std::string_view kCouldNotCreateMessage = "Could not create new input database";
inline constexpr std::string_view kErrorOpeningMessage = "Error opening data set";
inline constexpr std::string_view kFileExistsMessage =
    "File already exists. Specify a different name.";
inline constexpr std::string_view kDatabaseFilter = "Kavrel database (*.mdb)|*.mdb";

// Lowest and highest choice of a new data set's highest age, and its step.
inline constexpr int kLowestHighestAge = 65;
inline constexpr int kHighestHighestAge = 110;
inline constexpr int kDefaultHighestAge = 100;

// One row of the collection's Datasets table.
struct DatasetRow {
  std::int64_t Id = 0;
  std::string Name;
  std::string File;
  bool ReadOnly = false;
  std::string Country;
  std::string Continent;
  std::string Region;
  int HighestAge = 0;
  std::string Notes;
};

// Runs the list statement on the collection query (the window's grid shows that result) and
// returns its rows.
std::vector<DatasetRow> ListDatasets(TDataKavrel& data);

// What makes an open file no usable data set, in a sentence that names the file and the missing
// table or column ("X.mdb is damaged or is no Kavrel data set: its table InputDiseases has no
// column InputId"); nothing when the tables every command reads are there.
std::optional<std::string> DatasetShapeProblem(Database& dataset, const std::string& file);

// The properties the data sets window edits in place, each written as soon as it changes.
enum class DatasetProperty { kCountry, kContinent, kRegion, kNotes };
// Writes one text property of the listed data set `id` (a geography text keeps the blank that the
// table stores after it).
void UpdateDatasetProperty(TDataKavrel& data, std::int64_t id, DatasetProperty property,
                           const std::string& value);
// The read-only flag; the open data set, when it is this one, is opened again in the new mode.
void UpdateDatasetReadOnly(TDataKavrel& data, std::int64_t id, bool readOnly);

// Why nothing is saved into a data set its collection marks read-only, and how to change that.
std::string ReadOnlyDatasetMessage(const std::string& name);
// The open collection's entry for a data set file (the same file on disk), if it lists one.
std::optional<DatasetRow> ListedRow(TDataKavrel& data, const std::string& file);

// "Opened" for the current data set's row, "Closed" for the others.
std::string_view DatasetStatus(const DatasetRow& row, const SettingsState& settings);
// The caption of the Delete and Tools pages' groups: "Data set " and the name.
std::string DatasetGroupCaption(const DatasetRow& row);

// Makes a data set current: its name, file and highest age in the settings, its database open
// and brought up to date. A data set the collection marks read-only is opened read-only; one that
// another program has open for writing is opened read-only, for writing or not at all, as the
// user answers. False, after "Error opening data set", when anything fails, and when the user
// chose not to open it; no data set is open afterwards.
bool OpenCurrentDataset(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                        const DatasetRow& row);
// Closes the current data set. A disease name or code typed but not yet posted is stored first,
// as moving to another disease would; when that fails the error is thrown and the data set stays
// open with the edit.
void CloseCurrentDataset(SettingsState& settings, TDataKavrel& data);
// Posts the diseases cursor's pending edit, if any.
inline constexpr std::string_view kBlankDiseaseNameMessage =
    "A disease needs a name: type one, or press Cancel to keep the name it had.";
// Stores a name or code typed but not yet posted; a blank name is refused (DatabaseError) and the
// edit stays.
void PostPendingDiseaseEdit(TDataKavrel& data);

// The "New" and "Add" pages of the data sets window.
struct NewDatasetPage {
  std::string Name;
  std::string File;
  std::string Country;
  std::string Continent;
  std::string Region;
  int HighestAge = kDefaultHighestAge;
  bool HighestAgeEnabled = true;
  bool ReadOnly = false;

  void Reset() { *this = NewDatasetPage(); }
  bool FileEnabled() const { return !Name.empty(); }
  bool SaveEnabled() const { return !Name.empty() && !File.empty(); }
};

struct AddDatasetPage {
  std::string File;
  std::string Name;
  std::string Country;
  std::string Continent;
  std::string Region;
  int HighestAge = kDefaultHighestAge;  // shown, read from the file on saving
  bool HighestAgeEnabled = true;
  bool ReadOnly = false;

  void Reset() { *this = AddDatasetPage(); }
  bool DetailsEnabled() const { return !File.empty(); }
  bool SaveEnabled() const { return !Name.empty() && !File.empty(); }
};

// "Browse" on the New page: asks for a file that does not exist yet, asking again after
// "File already exists. Specify a different name.". Empty when cancelled.
std::string BrowseNewDatasetFile(const SettingsState& settings, UserDialogs& dialogs,
                                 const NewDatasetPage& page);
// "Browse" on the Add page.
std::string BrowseExistingDatasetFile(const SettingsState& settings, UserDialogs& dialogs);

// "Save" on the New page; true when the data set was added. The page is reset either way.
bool SaveNewDataset(TDataKavrel& data, UserDialogs& dialogs, NewDatasetPage& page);
// "Save" on the Add page; true when the data set was added. The page is reset either way.
bool SaveAddedDataset(TDataKavrel& data, UserDialogs& dialogs, AddDatasetPage& page);

// "Remove" keeps the file; "Delete" removes the file and the row. Both ask first; true when done.
// When the row is the open data set, it is closed and no longer current.
bool RemoveDataset(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                   const DatasetRow& row);
bool DeleteDataset(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                   const DatasetRow& row);

// "OK" of the "New data set collection" dialog: an empty name is refused with "You must give a
// name to the new database" (the dialog stays open); any other name closes it confirmed.
bool AcceptNewCollectionName(std::string_view name, UserDialogs& dialogs);

// Highest age of an existing data set file from the width of its processed-input tables:
// the last of 65, 70, ... 110 whose column A<n> IntermIncidence has; 0 when none.
int ProbeHighestAge(TDataKavrel& data, const std::string& file, bool mayConvert = true);

}  // namespace kavrel
