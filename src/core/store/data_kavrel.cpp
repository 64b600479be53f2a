#include "core/store/data_kavrel.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/base/number_text.h"
#include "core/base/vocabulary.h"
#include "core/store/layout.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

// A table that exists under any letter case: the older layouts were written by an engine that
// ignored case, so their tables may be spelled either way.
bool HasTableAnyCase(Database& db, std::string_view table) {
  auto found = db.Query("select name from sqlite_master where type='table' and lower(name)=lower(" +
                        Quote(table) + ")");
  return found.RecordCount() > 0;
}

// The distinct names in the order the old engine returned them: sorted, letter case aside.
std::vector<std::string> DistinctNames(Database& db, std::string_view statement) {
  std::vector<std::string> names;
  auto distinct = db.Query(statement);
  for (distinct.First(); !distinct.Eof(); distinct.Next()) names.push_back(distinct.AsText(0));
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
  });
  return names;
}

std::string Sibling(const std::string& file, const std::string& name) {
  return (fs::path(file).parent_path() / name).string();
}

}  // namespace

TDataKavrel::TDataKavrel(UserDialogs& dialogs) : dialogs_(dialogs) {}

bool TDataKavrel::CheckEngine(UserDialogs& dialogs) {
  if (Database::EngineStarts()) return true;
  dialogs.ShowError(kEngineMissingMessage);
  return false;
}

KeepOpenDataset::KeepOpenDataset(TDataKavrel& data) : data_(data) {
  if (!data.DatasetIsOpen()) return;
  file_ = data.DatasetFile();
  readOnly_ = data.DatasetReadOnly();
  TableCursor& diseases = data.KavrelTable1();
  if (diseases.Active() && diseases.RecordCount() > 0) key_ = diseases.Key();
}

KeepOpenDataset::~KeepOpenDataset() {
  if (file_.empty() || data_.IsOpenDataset(file_)) return;
  try {
    data_.OpenDataset(file_, true, readOnly_);
    if (key_ > 0) data_.KavrelTable1().Locate("InputId", std::to_string(key_));
  } catch (const std::exception&) {
    // It opened before; if it cannot now, the user's next command says so.
  }
}

void TDataKavrel::Report(const std::string& what) { dialogs_.ShowError(what); }

const std::string& TDataKavrel::DatasetFile() const {
  static const std::string kNone;
  return kavrelinput_ ? kavrelinput_->Path() : kNone;
}

const std::string& TDataKavrel::CollectionFile() const {
  static const std::string kNone;
  return kavrelDatasets_ ? kavrelDatasets_->Path() : kNone;
}

Database& TDataKavrel::Dataset() {
  if (!kavrelinput_) throw DatabaseError("No data set is open");
  return *kavrelinput_;
}

Database& TDataKavrel::Collection() {
  if (!kavrelDatasets_) throw DatabaseError("No collection is open");
  return *kavrelDatasets_;
}

void TDataKavrel::OpenDataset(const std::string& file, bool mayConvert, bool readOnly) {
  CloseDataset();
  kavrelinput_.emplace(Database::Open(file, false, readOnly));
  try {
    if ((!mayConvert || readOnly) && !kavrelinput_->HasTable("Trends")) {
      throw DatabaseError(std::filesystem::path(file).filename().string() +
                          (mayConvert ? " is a data set of an older layout, which is converted "
                                        "when it is opened for writing; opened read-only it "
                                        "cannot be used."
                                      : " is a data set of an older layout. This command only "
                                        "reads and leaves it as it is; opening it in Kavrel, or "
                                        "a command that saves, converts it."));
    }
    UpgradeDataset();
    kavrelTable1_.Open(*kavrelinput_);
    if (!readOnly && !program_.empty()) marker_.emplace(file, program_);
  } catch (...) {
    // A file that could not be brought up to date is not left half open.
    CloseDataset();
    throw;
  }
}

void TDataKavrel::CloseDataset() {
  kavrelTable1_.Close();
  inputQ1_ = QueryResult();
  kavrelinput_.reset();
  marker_.reset();
}

void TDataKavrel::OpenCollection(const std::string& file) {
  CloseCollection();
  kavrelDatasets_.emplace(Database::Open(file));
  try {
    UpgradeCollection();
  } catch (...) {
    CloseCollection();
    throw;
  }
}

void TDataKavrel::CloseCollection() {
  inputQ2_ = QueryResult();
  kavrelDatasets_.reset();
}

QueryResult& TDataKavrel::QueryDataset(std::string_view statement) {
  inputQ1_ = QueryResult();
  inputQ1_ = Dataset().Query(statement);
  inputQ1_.ReportErrorsTo([this](const std::string& what) { Report(what); });
  return inputQ1_;
}

QueryResult& TDataKavrel::QueryCollection(std::string_view statement) {
  inputQ2_ = QueryResult();
  inputQ2_ = Collection().Query(statement);
  inputQ2_.ReportErrorsTo([this](const std::string& what) { Report(what); });
  return inputQ2_;
}

void TDataKavrel::ExecDataset(std::string_view statement) {
  inputQ1_ = QueryResult();
  Dataset().Exec(statement);
}

void TDataKavrel::ExecCollection(std::string_view statement) {
  inputQ2_ = QueryResult();
  Collection().Exec(statement);
}

bool TDataKavrel::DatasetHasTable(std::string_view table) { return Dataset().HasTable(table); }
bool TDataKavrel::CollectionHasTable(std::string_view table) {
  return Collection().HasTable(table);
}

bool TDataKavrel::CopyTemplate(const std::string& templatePath, const std::string& file) {
  std::error_code error;
  if (fs::exists(file, error)) return false;
  // copy_options::none refuses an existing target, also one that appeared meanwhile.
  return fs::copy_file(templatePath, file, fs::copy_options::none, error) && !error;
}

bool TDataKavrel::NewCollectionFile(const std::string& file) {
  CloseCollection();
  return CopyTemplate(CollectionTemplatePath, file);
}

bool TDataKavrel::NewDatasetFile(const std::string& file) {
  CloseDataset();
  return CopyTemplate(InputTemplatePath, file);
}

bool TDataKavrel::IsOpenDataset(const std::string& file) const {
  if (!kavrelinput_) return false;
  std::error_code error;
  return fs::weakly_canonical(file, error) == fs::weakly_canonical(kavrelinput_->Path(), error);
}

// The open data set is closed only when it is the file being worked on, and opened again
// afterwards, so the program's current data set stays usable.
void TDataKavrel::WithFileClosed(const std::string& file,
                                 const std::function<void(const std::string&)>& work) {
  const bool reopen = IsOpenDataset(file);
  const bool readOnly = reopen && DatasetReadOnly();
  const std::string path = file;  // file may name the connection's own path
  const std::int64_t key =
      reopen && kavrelTable1_.Active() && kavrelTable1_.RecordCount() > 0 ? kavrelTable1_.Key() : 0;
  const auto openAgain = [&] {
    OpenDataset(path, true, readOnly);
    if (key > 0) kavrelTable1_.Locate("InputId", std::to_string(key));
  };
  if (reopen) CloseDataset();
  try {
    work(path);
  } catch (...) {
    if (reopen) {
      try {
        openAgain();
      } catch (const std::exception&) {
        // The first failure is the one to report.
      }
    }
    throw;
  }
  if (reopen) openAgain();
}

void TDataKavrel::CompactDatabase(const std::string& file) {
  WithFileClosed(file, [this](const std::string& path) { CompactFile(path); });
}

void TDataKavrel::RepairDatabase(const std::string& file) {
  WithFileClosed(file, [this](const std::string& path) { RepairFile(path); });
}

void TDataKavrel::CompactFile(const std::string& file) {
  const std::string compacted = Sibling(file, "compacted.mdb");
  std::error_code error;
  fs::remove(compacted, error);
  {
    Database db = Database::Open(file);
    db.CompactInto(compacted);
  }
  // The compacted copy replaces the file in one step, so a failure leaves the original in place
  // instead of deleting it first.
  fs::rename(compacted, file, error);
  if (error) {
    std::error_code ignored;
    fs::remove(compacted, ignored);
    throw InOutError("Could not replace " + file + " by its compacted copy: " + error.message());
  }
}

void TDataKavrel::RepairFile(const std::string& file) {
  std::vector<std::string> problems;
  Database::RebuildReport report;
  const std::string repaired = Sibling(file, "repaired.mdb");
  {
    Database db = Database::Open(file);
    problems = db.IntegrityProblems();
    if (problems.empty()) {
      dialogs_.ShowInformation("No damage was found in " + file + ".");
      return;
    }
    std::error_code ignored;
    fs::remove(repaired, ignored);
    report = db.RebuildInto(repaired);
  }
  const std::string kept = file + ".damaged";
  std::error_code error;
  fs::copy_file(file, kept, fs::copy_options::overwrite_existing, error);
  if (!error) fs::rename(repaired, file, error);
  if (error) {
    std::error_code ignored;
    fs::remove(repaired, ignored);
    throw InOutError("Could not replace " + file + " by its repaired copy: " + error.message());
  }
  std::string text =
      "The database " + file + " was damaged and has been rebuilt from what could be read: " +
      std::to_string(report.tables) + " tables, " + std::to_string(report.records) + " records.";
  if (!report.incompleteTables.empty()) {
    text += " Records were lost from:";
    for (std::size_t k = 0; k < report.incompleteTables.size(); ++k) {
      text += (k == 0 ? " " : ", ") + report.incompleteTables[k];
    }
    text += ".";
  }
  text += " The damaged file was kept as " + kept + ".";
  dialogs_.ShowWarning(text);
}

void TDataKavrel::UpgradeCollection() {
  Database& db = *kavrelDatasets_;
  if (db.HasTable("Preferences")) return;
  Database::Transaction transaction(db);
  db.Exec(kCreatePreferences);
  const std::pair<std::string_view, std::string_view> tables[] = {
      {"CalcPrefs", kCalcPrefsColumns},
      {"FitSensPrefs", kFitSensPrefsColumns},
      {"GraphPrefs", kGraphPrefsColumns},
      {"StandardAgePatterns", kStandardAgePatternsColumns},
      {"StandardAgeSchedules", kStandardAgeSchedulesColumns},
      {"TablePrefs", kTablePrefsColumns},
  };
  for (const auto& [name, columns] : tables) {
    db.Exec(CreateTableStatement(name, columns));
    db.Exec(CreateIndexStatement(name, name == "StandardAgePatterns"    ? "Name"
                                       : name == "StandardAgeSchedules" ? "InputID"
                                                                        : "PrefID"));
  }
  transaction.Commit();
}

// Converts a data set of the older layout (no Trends table) and does nothing to a current one.
// Both files change in transactions, the collection's committed first: should the data set's
// commit then fail, opening it again repeats the conversion and skips the patterns and schedules
// already moved, since they are found by name.
void TDataKavrel::UpgradeDataset() {
  Database& data = *kavrelinput_;
  if (data.HasTable("Trends")) return;
  if (!HasTableAnyCase(data, "InputDiseases")) {
    throw DatabaseError(std::filesystem::path(data.Path()).filename().string() +
                        " is not a Kavrel data set: it has no table of diseases. It was left "
                        "as it is.");
  }
  const bool hasPatterns = HasTableAnyCase(data, "StandardAgePatterns");
  const bool hasSchedules = HasTableAnyCase(data, "StandardAgeSchedules");
  if ((hasPatterns || hasSchedules) && !kavrelDatasets_) {
    throw DatabaseError(
        "This data set is of an older layout and must be opened from its collection, which "
        "takes over its standard age patterns and schedules");
  }
  Database::Transaction dataTransaction(data);
  std::optional<Database::Transaction> collectionTransaction;
  if (hasPatterns || hasSchedules) collectionTransaction.emplace(*kavrelDatasets_);

  data.Exec(CreateTableStatement("Trends", kTrendsColumns));
  data.Exec(CreateIndexStatement("Trends", "InputID"));
  // A file that has the column already (half converted by hand or by another program) keeps it.
  bool hasPopRate = false;
  try {
    data.Query("select IncidencePopRate from InputDiseases where 0");
    hasPopRate = true;
  } catch (const DatabaseError&) {
  }
  if (!hasPopRate) data.Exec("Alter table InputDiseases Add IncidencePopRate logical");

  // The 33 columns of the old options become the 38 of the new: Only0 and Trends after
  // BirthPrev, the three Exact flags after the ignore flags, all false.
  if (HasTableAnyCase(data, "CalculationOptions")) {
    std::vector<std::string> inserts;
    auto rows = data.Query("select * from CalculationOptions");
    if (rows.FieldCount() != 33) {
      throw DatabaseError("The calculation options of this older data set have " +
                          std::to_string(rows.FieldCount()) +
                          " columns instead of 33; the data set was not converted");
    }
    const auto field = [&rows](int k) {
      return rows.IsNull(k) ? std::string("null") : rows.AsText(k);
    };
    const auto text = [&rows](int k) { return Quote(Trim(rows.AsText(k))); };
    for (rows.First(); !rows.Eof(); rows.Next()) {
      std::string insert = "insert into Calculationoptions values (" + field(0) + ", " + text(1);
      for (int k = 2; k <= 6; ++k) insert += ", " + field(k);
      insert += ", False, False";
      for (int k = 7; k <= 9; ++k) insert += ", " + text(k);
      for (int k = 10; k <= 26; ++k) insert += ", " + field(k);
      insert += ",False, False, False";
      for (int k = 27; k <= 32; ++k) insert += ", " + text(k);
      insert += ", 0, 'Automatic')";
      inserts.push_back(std::move(insert));
    }
    data.Exec("Drop table Calculationoptions");
    data.Exec(kCreateCalculationOptions);
    for (const auto& insert : inserts) data.Exec(insert);
  }

  if (hasPatterns) {
    Database& collection = *kavrelDatasets_;
    const auto names = DistinctNames(data, "select distinct Name from StandardAgePatterns");
    for (const auto& name : names) {
      if (collection.Query("select Name from StandardAgePatterns where Name=" + Quote(name))
              .RecordCount() > 0) {
        continue;
      }
      auto rows = data.Query("select Lage, Hage, Waarde from StandardAgePatterns where Name=" +
                             Quote(name) + " order by lage");
      for (rows.First(); !rows.Eof(); rows.Next()) {
        collection.Exec("insert into StandardAgePatterns values (" + Quote(name) + ", " +
                        std::to_string(rows.AsInteger(0)) + ", " +
                        std::to_string(rows.AsInteger(1)) + ", " + StatementReal(rows.AsDouble(2)) +
                        ")");
      }
    }
    data.Exec("Drop table StandardAgePatterns");
  }

  if (hasSchedules) {
    Database& collection = *kavrelDatasets_;
    const auto names = DistinctNames(data, "select distinct Name from StandardAgeSchedules");
    auto numbers =
        collection.Query("select distinct inputid from StandardAgeSchedules order by inputid");
    std::int64_t highest = 0;
    if (numbers.RecordCount() > 0) {
      numbers.Last();
      highest = numbers.AsInteger(0);
    }
    for (const auto& name : names) {
      if (collection.Query("select Name from StandardAgeSchedules where Name=" + Quote(name))
              .RecordCount() > 0) {
        continue;
      }
      ++highest;
      auto rows =
          data.Query("select Lage, Hage from StandardAgeSchedules where Name=" + Quote(name) +
                     " order by lage");
      for (rows.First(); !rows.Eof(); rows.Next()) {
        collection.Exec("insert into StandardAgeSchedules values (" + std::to_string(highest) +
                        ", " + Quote(name) + ", " + std::to_string(rows.AsInteger(0)) + ", " +
                        std::to_string(rows.AsInteger(1)) + ")");
      }
    }
    data.Exec("Drop table StandardAgeSchedules");
  }

  if (collectionTransaction) collectionTransaction->Commit();
  dataTransaction.Commit();
}

}  // namespace kavrel
