#pragma once

// The data module: the program's two database connections (the open data set and the open
// collection), one query result held on each, the cursor on the data set's diseases, and the
// helpers through which everything else reads and writes the databases. Opening a database brings
// its layout up to date.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/user_dialogs.h"
#include "core/store/database.h"
#include "core/store/open_marker.h"
#include "core/store/table_cursor.h"

namespace kavrel {

inline constexpr std::string_view kEngineMissingMessage =
    "This application requires the SQLite database engine, which could not be started";

class TDataKavrel;

// Work on another file through the data set connection (making, adding or probing a data set)
// leaves the program's open data set as it was: opened again afterwards, at the same disease,
// also when the work failed.
class KeepOpenDataset {
 public:
  explicit KeepOpenDataset(TDataKavrel& data);
  ~KeepOpenDataset();
  KeepOpenDataset(const KeepOpenDataset&) = delete;
  KeepOpenDataset& operator=(const KeepOpenDataset&) = delete;

 private:
  TDataKavrel& data_;
  std::string file_;
  bool readOnly_ = false;
  std::int64_t key_ = 0;
};

class TDataKavrel {
 public:
  explicit TDataKavrel(UserDialogs& dialogs);
  TDataKavrel(const TDataKavrel&) = delete;
  TDataKavrel& operator=(const TDataKavrel&) = delete;

  // The check made at program start: false, after telling the user, when the database engine
  // cannot be started; the program then ends.
  static bool CheckEngine(UserDialogs& dialogs);

  // Full paths of the two template files new databases are copied from.
  std::string InputTemplatePath;
  std::string CollectionTemplatePath;

  // Opens a data set file; one of an older layout is converted first (mayConvert), or refused
  // with a message and left as it is (a command that only reads). A data set opened read-only
  // refuses every write and is never converted.
  void OpenDataset(const std::string& file, bool mayConvert = true, bool readOnly = false);
  void CloseDataset();
  bool DatasetIsOpen() const { return kavrelinput_.has_value(); }
  bool DatasetReadOnly() const { return kavrelinput_.has_value() && kavrelinput_->ReadOnly(); }
  // The program's name as other programs are told it ("Kavrel (windows)", "kavrel-cli batch"):
  // once set, every data set opened for writing is marked as open by it until it is closed.
  void MarkOpenAs(std::string program) { program_ = std::move(program); }
  const std::string& DatasetFile() const;

  void OpenCollection(const std::string& file);
  void CloseCollection();
  bool CollectionIsOpen() const { return kavrelDatasets_.has_value(); }
  const std::string& CollectionFile() const;

  // Each query holds one result at a time: a new statement replaces the previous result, so a
  // caller finishes with one result before it issues the next. An unknown field or a read past
  // the end is shown to the user and reads as null. A closed connection raises DatabaseError.
  QueryResult& QueryDataset(std::string_view statement);
  QueryResult& QueryCollection(std::string_view statement);
  void ExecDataset(std::string_view statement);
  void ExecCollection(std::string_view statement);
  // Exact-case test of a table name.
  bool DatasetHasTable(std::string_view table);
  bool CollectionHasTable(std::string_view table);

  // The connections themselves, for a transaction spanning several statements.
  Database& Dataset();
  Database& Collection();

  // Copy a template to a new file; false when the file exists already (it is left untouched) or
  // the copy fails.
  bool NewCollectionFile(const std::string& file);
  bool NewDatasetFile(const std::string& file);

  // Compacts a database file through compacted.mdb in its directory. A failed replacement raises
  // InOutError; the original file is then still in place.
  void CompactDatabase(const std::string& file);
  // Checks a database file and, when it is damaged, rebuilds what can be read into a fresh file
  // that takes its place (the damaged file is kept beside it). The user is told what happened.
  void RepairDatabase(const std::string& file);
  // Whether file is the open data set's database.
  bool IsOpenDataset(const std::string& file) const;

  // The cursor on the open data set's InputDiseases.
  TableCursor& KavrelTable1() { return kavrelTable1_; }

 private:
  // Runs work with the open data set closed when it is file, opening it again afterwards, so the
  // program's current data set stays usable.
  void WithFileClosed(const std::string& file, const std::function<void(const std::string&)>& work);
  void CompactFile(const std::string& file);
  void RepairFile(const std::string& file);
  void UpgradeCollection();
  void UpgradeDataset();
  void Report(const std::string& what);
  bool CopyTemplate(const std::string& templatePath, const std::string& file);

  UserDialogs& dialogs_;
  std::string program_;
  std::optional<OpenMarker> marker_;
  std::optional<Database> kavrelinput_;
  std::optional<Database> kavrelDatasets_;
  QueryResult inputQ1_;
  QueryResult inputQ2_;
  TableCursor kavrelTable1_{"InputDiseases", "InputId"};
};

}  // namespace kavrel
