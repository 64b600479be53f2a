#include "core/store/datasets.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/disease_list.h"
#include "core/store/layout.h"
#include "core/store/open_marker.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

std::string InsertStatement(const std::string& name, const std::string& file, bool readOnly,
                            const std::string& country, const std::string& continent,
                            const std::string& region, int highestAge) {
  return "insert into Datasets (DataSetName, DataBaseName, ReadOnly, Group1, Group2, Group3, "
         "HighestAge) values (" +
         Quote(name) + ", " + Quote(file) + ", " + (readOnly ? "Yes" : "No") + ", " +
         Quote(country + " ") + ", " + Quote(continent + " ") + ", " + Quote(region + " ") + ", " +
         std::to_string(highestAge) + ")";
}

bool NameTaken(TDataKavrel& data, const std::string& name) {
  return data.QueryCollection("select * from Datasets where DataSetName=" + Quote(name))
             .RecordCount() > 0;
}

// The open data set is closed when its file is the one being removed or deleted, and the program
// forgets it as its current data set.
void ForgetIfCurrent(SettingsState& settings, TDataKavrel& data, const DatasetRow& row) {
  if (!data.IsOpenDataset(row.File)) return;
  CloseCurrentDataset(settings, data);
}

std::string DatabaseDirectory(const SettingsState& settings) { return settings.DataDir + "data"; }

// Two names of one file: the same file on disk, or (when one is missing) the same full path.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error) && !error;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

// "The file F is listed already as the data set N; one file belongs to one entry. Not saved!"
std::optional<std::string> FileListedRefusal(TDataKavrel& data, const std::string& file) {
  for (const DatasetRow& row : ListDatasets(data)) {
    if (SameFile(row.File, file)) {
      return "The file " + file + " is listed already as the data set \"" + row.Name +
             "\"; one file belongs to one entry. Not saved!";
    }
  }
  return std::nullopt;
}

// Another entry, of this collection or of another known one, that lists the file: "data set N of
// collection C"; nothing when no other entry does.
std::optional<std::string> OtherEntryListing(const SettingsState& settings, TDataKavrel& data,
                                             const DatasetRow& row) {
  for (const DatasetRow& other : ListDatasets(data)) {
    if (other.Id != row.Id && SameFile(other.File, row.File)) {
      return "the data set \"" + other.Name + "\" of this collection";
    }
  }
  for (std::size_t k = 0; k < settings.Collections.size(); ++k) {
    const TDatasetCollection& collection = settings.Collections[k];
    if (static_cast<int>(k) == settings.CurrentCollectionIndex) continue;
    std::error_code error;
    if (!fs::exists(collection.Path(), error)) continue;
    try {
      Database db = Database::Open(collection.Path());
      QueryResult rows = db.Query("select datasetname, databasename from datasets");
      for (rows.First(); !rows.Eof(); rows.Next()) {
        if (SameFile(rows.AsText(1), row.File)) {
          return "the data set \"" + rows.AsText(0) + "\" of the collection " + collection.Name();
        }
      }
    } catch (const std::exception&) {
      // A collection that cannot be read cannot be checked; the others still are.
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DatasetShapeProblem(Database& dataset, const std::string& file) {
  const std::string name = fs::path(file).filename().string();
  const auto columns = [&dataset](const std::string& table) {
    std::vector<std::string> found;
    QueryResult rows = dataset.Query("pragma table_info(" + Quote(table) + ")");
    for (rows.First(); !rows.Eof(); rows.Next()) {
      std::string column = rows.AsText(1);
      for (char& c : column) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      found.push_back(column);
    }
    return found;
  };
  std::vector<std::pair<std::string, std::vector<std::string>>> needed = {
      {"InputDiseases", {"InputId", "DiseaseName"}}};
  for (int v = 0; v < kVariableCount; ++v) {
    needed.push_back({InputTable(v), {"InputId", "Sex", "Lage", "Hage", "Waarde"}});
  }
  for (const auto& [table, wanted] : needed) {
    const std::vector<std::string> present = columns(table);
    if (present.empty()) {
      return name + " is damaged or is no Kavrel data set: it has no table " + table;
    }
    for (const std::string& column : wanted) {
      std::string lower = column;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (std::find(present.begin(), present.end(), lower) == present.end()) {
        return name + " is damaged or is no Kavrel data set: its table " + table +
               " has no column " + column;
      }
    }
  }
  return std::nullopt;
}

std::vector<DatasetRow> ListDatasets(TDataKavrel& data) {
  std::vector<DatasetRow> rows;
  QueryResult& list = data.QueryCollection(kListDatasetsStatement);
  for (list.First(); !list.Eof(); list.Next()) {
    DatasetRow row;
    row.Id = list.AsInteger(0);
    row.Name = list.AsText(1);
    row.File = list.AsText(2);
    row.ReadOnly = list.AsBoolean(3);
    row.Country = list.AsText(4);
    row.Continent = list.AsText(5);
    row.Region = list.AsText(6);
    row.HighestAge = static_cast<int>(list.AsInteger(7));
    row.Notes = list.AsText(8);
    rows.push_back(std::move(row));
  }
  list.First();
  return rows;
}

void UpdateDatasetProperty(TDataKavrel& data, std::int64_t id, DatasetProperty property,
                           const std::string& value) {
  static constexpr std::array<std::string_view, 4> kColumns = {"Group1", "Group2", "Group3",
                                                               "DatasetNotes"};
  const bool geography = property != DatasetProperty::kNotes;
  data.ExecCollection("update Datasets set " +
                      std::string(kColumns[static_cast<std::size_t>(property)]) + "=" +
                      Quote(geography ? value + " " : value) + " where ID=" + std::to_string(id));
}

void UpdateDatasetReadOnly(TDataKavrel& data, std::int64_t id, bool readOnly) {
  data.ExecCollection("update Datasets set ReadOnly=" + std::string(StatementBool(readOnly)) +
                      " where ID=" + std::to_string(id));
  // The open data set takes the new mode at once, at the same disease.
  for (const DatasetRow& row : ListDatasets(data)) {
    if (row.Id != id || !data.IsOpenDataset(row.File) || data.DatasetReadOnly() == readOnly)
      continue;
    if (!data.DatasetReadOnly()) PostPendingDiseaseEdit(data);
    TableCursor& diseases = data.KavrelTable1();
    const std::int64_t key = diseases.Active() && diseases.RecordCount() > 0 ? diseases.Key() : 0;
    const std::string file = data.DatasetFile();
    data.OpenDataset(file, true, readOnly);
    if (key > 0) data.KavrelTable1().Locate("InputId", std::to_string(key));
  }
}

std::string_view DatasetStatus(const DatasetRow& row, const SettingsState& settings) {
  return row.Name == settings.CurrentDatasetName ? "Opened" : "Closed";
}

std::string DatasetGroupCaption(const DatasetRow& row) { return "Data set " + row.Name; }

std::string ReadOnlyDatasetMessage(const std::string& name) {
  return "The data set \"" + name +
         "\" is marked read-only in its collection: nothing is written into it. To save into "
         "it, clear \"Read only\" on its Properties page (Data, Data set).";
}

std::optional<DatasetRow> ListedRow(TDataKavrel& data, const std::string& file) {
  if (!data.CollectionIsOpen()) return std::nullopt;
  for (const DatasetRow& row : ListDatasets(data)) {
    if (SameFile(row.File, file)) return row;
  }
  return std::nullopt;
}

bool OpenCurrentDataset(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                        const DatasetRow& row) {
  try {
    data.CloseDataset();
    if (row.HighestAge < 1 || row.HighestAge > kHighestPossibleAge) {
      throw DatabaseError("Highest age " + std::to_string(row.HighestAge) + " out of range");
    }
    settings.CurrentDatasetName = row.Name;
    settings.CurrentDatasetFile = row.File;
    settings.MaxAge = row.HighestAge;
    {
      Database probe = Database::Open(row.File, false, true);
      if (auto problem = DatasetShapeProblem(probe, row.File)) throw DatabaseError(*problem);
    }
    // Marked read-only in the collection: opened so. Open for writing in another program: the
    // user chooses.
    bool readOnly = row.ReadOnly;
    if (!readOnly) {
      if (const auto holders = OtherHolders(row.File); !holders.empty()) {
        const DialogButton answer = dialogs.Message(
            "The data set \"" + row.Name + "\" is open for writing in " + HoldersText(holders) +
                ".\r\nOpen it read-only?\r\n\r\nYes: read-only, nothing is saved into it here.\r\n"
                "No: open it for writing all the same (a save over inputs the other program "
                "changed is refused).\r\nCancel: do not open it.",
            DialogKind::kConfirmation,
            DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
        if (answer == DialogButton::kCancel) {
          settings.CurrentDatasetName.clear();
          settings.CurrentDatasetFile.clear();
          return false;
        }
        readOnly = answer == DialogButton::kYes;
      }
    }
    data.OpenDataset(row.File, true, readOnly);
    return true;
  } catch (const std::exception& error) {
    // The program's message, then what is wrong with which file.
    dialogs.ShowError(std::string(kErrorOpeningMessage) + "\r\n" + error.what());
    data.CloseDataset();
    settings.CurrentDatasetName.clear();
    settings.CurrentDatasetFile.clear();
    return false;
  }
}

void PostPendingDiseaseEdit(TDataKavrel& data) {
  TableCursor& diseases = data.KavrelTable1();
  if (!diseases.Active() || diseases.GetState() == TableCursor::State::kBrowse) return;
  // A disease is found by its name everywhere: a blank one is not stored.
  if (diseases.FieldText("DiseaseName").find_first_not_of(" \t\r\n") == std::string::npos) {
    throw DatabaseError(std::string(kBlankDiseaseNameMessage));
  }
  // Nor is a name another disease has (in any letter case): it would stand for two diseases.
  const long long self = diseases.GetState() == TableCursor::State::kInsert
                             ? 0
                             : static_cast<long long>(diseases.Key());
  if (auto taken = SimilarDiseaseName(data.Dataset(), diseases.FieldText("DiseaseName"), self)) {
    throw DatabaseError(DiseaseNameTakenMessage(*taken));
  }
  diseases.Post();
}

void CloseCurrentDataset(SettingsState& settings, TDataKavrel& data) {
  PostPendingDiseaseEdit(data);
  data.CloseDataset();
  settings.CurrentDatasetName.clear();
  settings.CurrentDatasetFile.clear();
}

std::string BrowseNewDatasetFile(const SettingsState& settings, UserDialogs& dialogs,
                                 const NewDatasetPage& page) {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kSave;
  request.title = "File name for database";
  request.filter = kDatabaseFilter;
  request.directory = DatabaseDirectory(settings);
  request.defaultName = page.Name + ".mdb";
  request.defaultExtension = "mdb";
  while (true) {
    const auto chosen = dialogs.ChooseFile(request);
    if (!chosen) return "";
    if (!fs::exists(*chosen)) return *chosen;
    dialogs.ShowError(kFileExistsMessage);
  }
}

std::string BrowseExistingDatasetFile(const SettingsState& settings, UserDialogs& dialogs) {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kOpen;
  request.title = "File name of database";
  request.filter = kDatabaseFilter;
  request.directory = DatabaseDirectory(settings);
  request.defaultExtension = "mdb";
  return dialogs.ChooseFile(request).value_or("");
}

bool AcceptNewCollectionName(std::string_view name, UserDialogs& dialogs) {
  if (!name.empty()) return true;
  dialogs.ShowInformation("You must give a name to the new database");
  return false;
}

int ProbeHighestAge(TDataKavrel& data, const std::string& file, bool mayConvert) {
  KeepOpenDataset keep(data);
  int found = 0;
  data.OpenDataset(file, mayConvert, !mayConvert);
  for (int n = kLowestHighestAge; n <= kHighestHighestAge; n += 5) {
    try {
      // Only whether the column exists: no row is read.
      data.QueryDataset("select A" + std::to_string(n) + " from IntermIncidence limit 0");
      found = n;
    } catch (const DatabaseError&) {
      break;
    }
  }
  // Every series table must reach that age; one that stops short would be read as zeros.
  std::string shortTable;
  for (int v = 0; found > 0 && v < kVariableCount && shortTable.empty(); ++v) {
    for (const std::string& table : {IntermTable(v), OutputTable(v)}) {
      try {
        data.QueryDataset("select A" + std::to_string(found) + " from " + table + " limit 0");
      } catch (const DatabaseError&) {
        shortTable = table;
        break;
      }
    }
  }
  data.CloseDataset();
  if (!shortTable.empty()) {
    throw DatabaseError(fs::path(file).filename().string() + " is damaged: its table " +
                        shortTable + " does not reach the data set's highest age, " +
                        std::to_string(found) + ". It was left as it is.");
  }
  return found;
}

bool SaveNewDataset(TDataKavrel& data, UserDialogs& dialogs, NewDatasetPage& page) {
  KeepOpenDataset keep(data);
  struct ResetAtEnd {
    NewDatasetPage& page;
    ~ResetAtEnd() { page.Reset(); }
  } resetAtEnd{page};
  if (NameTaken(data, page.Name)) {
    dialogs.ShowError(kDatasetExistsMessage);
    return false;
  }
  if (auto refusal = FileListedRefusal(data, page.File)) {
    dialogs.ShowError(*refusal);
    return false;
  }
  if (fs::exists(page.File)) {
    // A file typed by hand that exists already: its tables fix its highest age.
    const int probed = ProbeHighestAge(data, page.File);
    if (probed > 0) page.HighestAge = probed;
    if (probed < kHighestHighestAge) page.HighestAgeEnabled = false;
  } else {
    if (!data.NewDatasetFile(page.File)) {
      dialogs.ShowError(kCouldNotCreateMessage);
      return false;
    }
    try {
      data.OpenDataset(page.File);
      Database::Transaction transaction(data.Dataset());
      CreateSeriesTables(data.Dataset(), page.HighestAge);
      transaction.Commit();
      data.CloseDataset();
    } catch (...) {
      // The file was made here and holds nothing yet: do not leave a half-made data set behind.
      data.CloseDataset();
      std::error_code ignored;
      fs::remove(page.File, ignored);
      throw;
    }
  }
  data.ExecCollection(InsertStatement(page.Name, page.File, page.ReadOnly, page.Country,
                                      page.Continent, page.Region, page.HighestAge));
  data.CompactDatabase(page.File);
  return true;
}

bool SaveAddedDataset(TDataKavrel& data, UserDialogs& dialogs, AddDatasetPage& page) {
  KeepOpenDataset keep(data);
  struct ResetAtEnd {
    AddDatasetPage& page;
    ~ResetAtEnd() { page.Reset(); }
  } resetAtEnd{page};
  if (NameTaken(data, page.Name)) {
    dialogs.ShowError(kDatasetExistsMessage);
    return false;
  }
  if (auto refusal = FileListedRefusal(data, page.File)) {
    dialogs.ShowError(*refusal);
    return false;
  }
  int highestAge = -1;
  std::string reason = "it holds no total mortality";
  try {
    data.OpenDataset(page.File);
    QueryResult& ages = data.QueryDataset("select Lage from TotalMortality order by Lage");
    if (ages.RecordCount() > 0) {
      ages.Last();
      highestAge = static_cast<int>(ages.AsInteger(0));
    }
  } catch (const std::exception& e) {
    reason = e.what();
  }
  data.CloseDataset();
  if (highestAge < 1 || highestAge > kHighestPossibleAge) {
    page.HighestAgeEnabled = false;
    dialogs.ShowError("The highest age of " + page.File + " could not be read (" + reason +
                      "). Not saved!");
    return false;
  }
  page.HighestAge = highestAge;
  data.ExecCollection(InsertStatement(page.Name, page.File, page.ReadOnly, page.Country,
                                      page.Continent, page.Region, highestAge));
  data.CompactDatabase(page.File);
  return true;
}

bool RemoveDataset(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                   const DatasetRow& row) {
  const std::string caption = DatasetGroupCaption(row);
  if (dialogs.Message("Are you sure you want to remove " + caption, DialogKind::kConfirmation,
                      DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  ForgetIfCurrent(settings, data, row);
  try {
    data.ExecCollection("delete from Datasets where ID=" + std::to_string(row.Id));
  } catch (const DatabaseError&) {
    dialogs.ShowWarning("Could not remove " + caption);
    return false;
  }
  dialogs.ShowInformation(caption + " removed");
  return true;
}

bool DeleteDataset(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                   const DatasetRow& row) {
  const std::string caption = DatasetGroupCaption(row);
  if (row.ReadOnly) {
    dialogs.ShowError("You cannot delete " + caption + ": it is read only.");
    return false;
  }
  // A file another entry lists is that entry's data: only this entry goes.
  if (auto other = OtherEntryListing(settings, data, row)) {
    if (dialogs.Message("The file " + row.File + " of " + caption + " is listed also as " + *other +
                            ". Remove only this entry and keep the file?",
                        DialogKind::kConfirmation,
                        DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
      return false;
    }
    ForgetIfCurrent(settings, data, row);
    data.ExecCollection("delete from Datasets where ID=" + std::to_string(row.Id));
    dialogs.ShowInformation(caption + " removed; its file was kept");
    return true;
  }
  if (dialogs.Message(
          "Are you sure you want to delete " + caption + " and its file " + row.File + "?",
          DialogKind::kConfirmation,
          DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  ForgetIfCurrent(settings, data, row);
  std::error_code error;
  fs::remove(row.File, error);
  if (error) {
    dialogs.ShowError("Access denied");
    dialogs.ShowWarning("Could not delete " + caption);
    return false;
  }
  data.ExecCollection("delete from Datasets where ID=" + std::to_string(row.Id));
  dialogs.ShowInformation(caption + " deleted");
  return true;
}

}  // namespace kavrel
