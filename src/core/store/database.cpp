#include "core/store/database.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <utility>

#include <sqlite3.h>
#include <sys/stat.h>

namespace kavrel {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

bool IsLogicalType(const char* declared) {
  if (declared == nullptr) return false;
  const std::string_view type(declared);
  return EqualNoCase(type, "logical") || EqualNoCase(type, "bit") || EqualNoCase(type, "boolean") ||
         EqualNoCase(type, "yesno");
}

// Whether the statement holds a word the rewriting may change (yes, no, delete), in any letter
// case; the bulk inserts of numbers hold none and are passed on as they are.
bool MayNeedRewrite(std::string_view statement) {
  for (std::size_t k = 0; k < statement.size(); ++k) {
    const char c = static_cast<char>(statement[k] | 0x20);
    if (c != 'y' && c != 'n' && c != 'd') continue;
    const std::string_view rest = statement.substr(k);
    for (std::string_view word : {"yes", "no", "delete"}) {
      if (rest.size() >= word.size() && EqualNoCase(rest.substr(0, word.size()), word)) {
        return true;
      }
    }
  }
  return false;
}

// "delete * from" without its star, the literals yes and no as True and False; quoted texts as
// they are.
std::string RewriteWords(std::string_view statement) {
  if (!MayNeedRewrite(statement)) return std::string(statement);
  std::string out;
  out.reserve(statement.size());
  std::size_t k = 0;
  while (k < statement.size()) {
    const char c = statement[k];
    if (c == '\'' || c == '"') {
      // Copy a quoted text whole; a doubled quote stays inside it.
      const std::size_t start = k++;
      while (k < statement.size()) {
        if (statement[k] == c) {
          if (k + 1 < statement.size() && statement[k + 1] == c) {
            k += 2;
            continue;
          }
          ++k;
          break;
        }
        ++k;
      }
      out.append(statement.substr(start, k - start));
      continue;
    }
    if (IsWordChar(c)) {
      const std::size_t start = k;
      while (k < statement.size() && IsWordChar(statement[k])) ++k;
      const std::string_view word = statement.substr(start, k - start);
      if (EqualNoCase(word, "yes")) {
        out += "True";
      } else if (EqualNoCase(word, "no")) {
        out += "False";
      } else if (EqualNoCase(word, "delete")) {
        out.append(word);
        // "delete * from": drop the star.
        std::size_t j = k;
        while (j < statement.size() && std::isspace(static_cast<unsigned char>(statement[j]))) ++j;
        if (j < statement.size() && statement[j] == '*') k = j + 1;
      } else {
        out.append(word);
      }
      continue;
    }
    out += c;
    ++k;
  }
  return out;
}

}  // namespace

std::string RewriteStatement(std::string_view statement) {
  std::string out = RewriteWords(statement);
  // Index names are per table in the system's statements but per database in SQLite, so
  // "create index iid_IDX on T (...)" names the index after its table as well.
  static const std::regex kCreateIndex(
      R"(^(\s*create\s+(?:unique\s+)?index\s+)(\w+)(\s+on\s+)(\w+))", std::regex::icase);
  std::smatch m;
  // A name that already ends in _TABLE (an index statement read back from the schema) stays.
  // Only a statement that starts with "create" is searched: the bulk inserts stay cheap.
  const auto first = out.find_first_not_of(" \t\r\n");
  const bool create = first != std::string::npos && out.size() - first >= 6 &&
                      EqualNoCase(std::string_view(out).substr(first, 6), "create");
  if (create && std::regex_search(out, m, kCreateIndex)) {
    const std::string name = m[2].str();
    const std::string suffix = "_" + m[4].str();
    const bool named =
        name.size() > suffix.size() &&
        EqualNoCase(std::string_view(name).substr(name.size() - suffix.size()), suffix);
    if (!named) {
      out = m[1].str() + name + suffix + m[3].str() + m[4].str() + m.suffix().str();
    }
  }
  return out;
}

std::string StatementReal(double value) {
  if (!std::isfinite(value)) {
    throw std::domain_error("A number that is not finite cannot be stored in the database");
  }
  // to_chars is locale independent and exact to the last digit: "1.50000000000000e-03".
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, 14);
  const std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const auto ePos = digits.find('e');
  int exponent = 0;
  std::from_chars(digits.data() + ePos + 2, digits.data() + digits.size(), exponent);
  std::string text(23, '0');
  text[0] = std::signbit(value) && value != 0.0 ? '-' : ' ';
  digits.substr(0, ePos).copy(&text[1], ePos);  // d.dddddddddddddd
  text[17] = 'E';
  text[18] = digits[ePos + 1];  // the exponent's sign
  for (int k = 22; k >= 19 && exponent > 0; --k, exponent /= 10) {
    text[static_cast<std::size_t>(k)] = static_cast<char>('0' + exponent % 10);
  }
  return text;
}

std::string Quote(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

bool IsSqliteFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  char header[16] = {};
  file.read(header, sizeof header);
  return file.gcount() == sizeof header && std::memcmp(header, "SQLite format 3", 16) == 0;
}

void QueryResult::Throw(const std::string& what) const { throw std::out_of_range(what); }

int QueryResult::FieldIndex(std::string_view name) const {
  for (std::size_t k = 0; k < names_.size(); ++k) {
    if (EqualNoCase(names_[k], name)) return static_cast<int>(k);
  }
  const std::string what = "Field '" + std::string(name) + "' not found";
  if (!report_) Throw(what);
  report_(what);
  return -1;  // already reported; At gives null for it
}

const QueryResult::Value& QueryResult::At(int field) const {
  static const Value kNull;
  std::string what;
  if (row_ >= rows_.size()) {
    what = "No current record";
  } else if (field < 0 || field >= FieldCount()) {
    if (field == -1 && report_) return kNull;
    what = "Field index " + std::to_string(field) + " out of range";
  } else {
    return rows_[row_][static_cast<std::size_t>(field)];
  }
  if (!report_) Throw(what);
  report_(what);
  return kNull;
}

bool QueryResult::IsNull(int field) const {
  return std::holds_alternative<std::monostate>(At(field));
}

std::int64_t QueryResult::ToInteger(const Value& v) {
  if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return static_cast<std::int64_t>(*d);
  if (const auto* s = std::get_if<std::string>(&v)) {
    if (EqualNoCase(*s, "true")) return 1;
    if (EqualNoCase(*s, "false") || s->empty()) return 0;
    try {
      return std::stoll(*s);
    } catch (const std::exception&) {
      throw std::out_of_range("'" + *s + "' is not an integer");
    }
  }
  return 0;
}

double QueryResult::ToDouble(const Value& v) {
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  if (const auto* s = std::get_if<std::string>(&v)) {
    try {
      return std::stod(*s);
    } catch (const std::exception&) {
      throw std::out_of_range("'" + *s + "' is not a number");
    }
  }
  return 0.0;
}

bool QueryResult::ToBoolean(const Value& v) {
  if (const auto* s = std::get_if<std::string>(&v)) {
    return EqualNoCase(*s, "true") || EqualNoCase(*s, "yes") || *s == "1" || *s == "-1";
  }
  return ToInteger(v) != 0;
}

std::string QueryResult::ToText(const Value& v, bool logical) {
  if (std::holds_alternative<std::monostate>(v)) return "";
  if (logical) return ToBoolean(v) ? "True" : "False";
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", std::get<double>(v));
  return buffer;
}

// A text that is not a number is a record-set error like an unknown field: reported when a
// reporter is set, thrown otherwise.
template <typename T>
T QueryResult::Converted(int field, T (*convert)(const Value&)) const {
  const Value& v = At(field);
  if (!report_) return convert(v);
  try {
    return convert(v);
  } catch (const std::out_of_range& e) {
    // Where the value stands, so the user can find it: the column and the row's first fields
    // (the disease's name and number in the input and series tables).
    std::string where = " (column " + names_.at(static_cast<std::size_t>(field));
    for (int k = 0; k < std::min(FieldCount(), 3); ++k) {
      if (k == field) continue;
      where += ", " + names_[static_cast<std::size_t>(k)] + " " +
               ToText(rows_[row_][static_cast<std::size_t>(k)], false);
    }
    report_(e.what() + where + ")");
    return T{};
  }
}

std::int64_t QueryResult::AsInteger(int field) const { return Converted(field, &ToInteger); }
double QueryResult::AsDouble(int field) const { return Converted(field, &ToDouble); }
bool QueryResult::AsBoolean(int field) const { return Converted(field, &ToBoolean); }

std::string QueryResult::AsText(int field) const {
  const auto& v = At(field);
  return ToText(v, field >= 0 && logical_[static_cast<std::size_t>(field)]);
}

namespace {

// Before the engine's first use: no memory statistics. They take one lock for the whole process
// around every allocation, which calculations saving on several threads (each data set its own
// connection) would otherwise queue on.
void ConfigureEngine() {
  static std::once_flag once;
  std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

}  // namespace

Database Database::Open(const std::string& path, bool create, bool readOnly) {
  ConfigureEngine();
  std::ifstream probe(path, std::ios::binary);
  const bool exists = static_cast<bool>(probe);
  probe.close();
  if (exists && !IsSqliteFile(path)) {
    throw DatabaseError("'" + path + "' is not a Kavrel database (SQLite) file");
  }
  if (!exists && !create) throw DatabaseError("Database file '" + path + "' not found");
  sqlite3* handle = nullptr;
  const int flags =
      readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
    sqlite3_close(handle);
    throw DatabaseError("Cannot open '" + path + "': " + message);
  }
  sqlite3_extended_result_codes(handle, 1);
  sqlite3_busy_timeout(handle, kBusyTimeoutMilliseconds);
  // Table and column names of the system's statements match without regard to case already;
  // LIKE does too by default.
  Database db(handle, path);
  db.readOnly_ = readOnly;
  db.RememberFile();
  return db;
}

void Database::RememberFile() {
  struct stat status {};
  if (::stat(path_.c_str(), &status) != 0) return;
  fileDevice_ = static_cast<unsigned long long>(status.st_dev);
  fileNode_ = static_cast<unsigned long long>(status.st_ino);
}

void Database::FollowFile() {
  if (fileNode_ == 0) return;  // not a file on disk (a database in memory)
  struct stat status {};
  if (::stat(path_.c_str(), &status) != 0) {
    throw DatabaseError(VanishedMessage(path_));
  }
  if (static_cast<unsigned long long>(status.st_dev) == fileDevice_ &&
      static_cast<unsigned long long>(status.st_ino) == fileNode_) {
    return;
  }
  // The file under the name is another one now (put back from a copy): the connection follows.
  sqlite3* handle = nullptr;
  if (sqlite3_open_v2(path_.c_str(), &handle,
                      readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
                      nullptr) != SQLITE_OK) {
    sqlite3_close(handle);
    throw DatabaseError("The file " + std::filesystem::path(path_).filename().string() +
                        " was replaced while it was open and cannot be opened again.");
  }
  FinalizePrepared();
  sqlite3_close(handle_);
  handle_ = handle;
  sqlite3_extended_result_codes(handle_, 1);
  sqlite3_busy_timeout(handle_, busyMilliseconds_);
  fileDevice_ = static_cast<unsigned long long>(status.st_dev);
  fileNode_ = static_cast<unsigned long long>(status.st_ino);
}

bool Database::EngineStarts() {
  ConfigureEngine();
  sqlite3* handle = nullptr;
  const int rc = sqlite3_open_v2(":memory:", &handle, SQLITE_OPEN_READWRITE, nullptr);
  const bool ok =
      rc == SQLITE_OK && sqlite3_exec(handle, "select 1", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(handle);
  return ok;
}

Database::~Database() {
  FinalizePrepared();
  if (handle_ != nullptr) sqlite3_close(handle_);
}

void Database::FinalizePrepared() {
  for (auto& [text, statement] : prepared_) sqlite3_finalize(statement);
  prepared_.clear();
}

void Database::Run(const std::string& statement, const std::vector<RowValue>& values) {
  sqlite3_stmt*& prepared = prepared_[statement];
  if (prepared == nullptr &&
      sqlite3_prepare_v2(handle_, statement.c_str(), -1, &prepared, nullptr) != SQLITE_OK) {
    prepared_.erase(statement);
    Fail(statement);
  }
  sqlite3_stmt* const running = prepared;
  sqlite3_reset(running);
  sqlite3_clear_bindings(running);
  for (std::size_t k = 0; k < values.size(); ++k) {
    const int position = static_cast<int>(k) + 1;
    if (const auto* text = std::get_if<std::string>(&values[k])) {
      sqlite3_bind_text(running, position, text->data(), static_cast<int>(text->size()),
                        SQLITE_TRANSIENT);
    } else if (const auto* whole = std::get_if<std::int64_t>(&values[k])) {
      sqlite3_bind_int64(running, position, *whole);
    } else {
      const std::string real = StatementReal(std::get<double>(values[k]));
      sqlite3_bind_text(running, position, real.data(), static_cast<int>(real.size()),
                        SQLITE_TRANSIENT);
    }
  }
  const int rc = sqlite3_step(running);
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
    const std::string message = sqlite3_errmsg(handle_);
    sqlite3_reset(running);
    Fail(statement, message.c_str());
  }
  sqlite3_reset(running);
}

void Database::InsertRow(std::string_view table, const std::vector<RowValue>& values) {
  std::string statement = "insert into " + std::string(table) + " values (";
  for (std::size_t k = 0; k < values.size(); ++k) statement += k == 0 ? "?" : ", ?";
  Run(statement + ")", values);
}

Database::Database(Database&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      fileDevice_(other.fileDevice_),
      fileNode_(std::exchange(other.fileNode_, 0)),
      busyMilliseconds_(other.busyMilliseconds_),
      readOnly_(other.readOnly_),
      depth_(std::exchange(other.depth_, 0)),
      prepared_(std::exchange(other.prepared_, {})) {}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    FinalizePrepared();
    if (handle_ != nullptr) sqlite3_close(handle_);
    prepared_ = std::exchange(other.prepared_, {});
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
    fileDevice_ = other.fileDevice_;
    fileNode_ = std::exchange(other.fileNode_, 0);
    busyMilliseconds_ = other.busyMilliseconds_;
    readOnly_ = other.readOnly_;
    depth_ = std::exchange(other.depth_, 0);
  }
  return *this;
}

void Database::SetBusyTimeout(int milliseconds) {
  busyMilliseconds_ = milliseconds;
  sqlite3_busy_timeout(handle_, milliseconds);
}

namespace {

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

std::string VanishedMessage(const std::string& path) {
  return "The file " + FileName(path) +
         " has vanished from its folder (moved or deleted while it was open): nothing was "
         "written. Put it back and save again, or open the data set anew.";
}

namespace {

// The first line of an engine error, in the user's terms; empty where the engine's own text is
// the clearest there is (a statement the program got wrong).
std::string UserTerms(int code, const std::string& path, bool openedReadOnly) {
  const std::string file = FileName(path);
  if ((code & 0xff) == SQLITE_READONLY && openedReadOnly) {
    return "The data set " + file +
           " is open read-only: nothing was written. Open it again for writing to save into it.";
  }
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "The data set " + file +
             " is in use by another program; try again when it has finished.";
    case SQLITE_READONLY:
      return "The file " + file + " cannot be written: it or its folder is read-only.";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "The file " + file + " is damaged. Data set, Tools, Repair may recover it.";
    case SQLITE_FULL:
      return "The disk that holds " + file + " is full. Nothing was written.";
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      return "The file " + file + " could not be read or written.";
    default:
      return {};
  }
}

}  // namespace

void Database::Fail(std::string_view statement, const char* engineMessage) const {
  const std::string engine =
      std::string(engineMessage != nullptr ? engineMessage : sqlite3_errmsg(handle_)) + " [" +
      std::string(statement) + "]";
  std::error_code missing;
  const std::string terms =
      !path_.empty() && fileNode_ != 0 && !std::filesystem::exists(path_, missing)
          ? VanishedMessage(path_)
          : UserTerms(sqlite3_extended_errcode(handle_), path_, readOnly_);
  throw DatabaseError(terms.empty() ? engine : terms + "\n" + engine);
}

void Database::Exec(std::string_view statement) {
  const std::string sql = RewriteStatement(statement);
  char* error = nullptr;
  if (sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error != nullptr ? error : "unknown error";
    sqlite3_free(error);
    Fail(sql, message.c_str());
  }
}

QueryResult Database::Query(std::string_view statement) {
  const std::string sql = RewriteStatement(statement);
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) Fail(sql);
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt(raw, &sqlite3_finalize);
  QueryResult result;
  const int columns = sqlite3_column_count(raw);
  for (int c = 0; c < columns; ++c) {
    result.names_.emplace_back(sqlite3_column_name(raw, c));
    result.logical_.push_back(IsLogicalType(sqlite3_column_decltype(raw, c)));
  }
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    std::vector<QueryResult::Value> row;
    row.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      switch (sqlite3_column_type(raw, c)) {
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(raw, c)));
          break;
        case SQLITE_FLOAT:
          row.emplace_back(sqlite3_column_double(raw, c));
          break;
        case SQLITE_NULL:
          row.emplace_back(std::monostate{});
          break;
        default: {
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
          row.emplace_back(std::string(text != nullptr ? text : ""));
        }
      }
    }
    result.rows_.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) Fail(sql);
  return result;
}

bool Database::HasTable(std::string_view name) {
  // The name compared exactly, letter case included (the engine's = on text).
  auto tables = Query("select 1 from sqlite_master where type='table' and name=" + Quote(name));
  return tables.RecordCount() > 0;
}

std::int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(handle_); }

void Database::CompactInto(const std::string& target) { Exec("vacuum into " + Quote(target)); }

std::vector<std::string> Database::IntegrityProblems() {
  std::vector<std::string> problems;
  try {
    auto check = Query("pragma integrity_check");
    for (check.First(); !check.Eof(); check.Next()) {
      if (check.AsText(0) != "ok") problems.push_back(check.AsText(0));
    }
  } catch (const DatabaseError& e) {
    problems.emplace_back(e.what());
  }
  return problems;
}

Database::RebuildReport Database::RebuildInto(const std::string& target) {
  RebuildReport report;
  Database fresh = Open(target, true);
  // Tables first, then their indexes (an index built after the rows is also faster).
  std::vector<std::pair<std::string, std::string>> tables;
  std::vector<std::string> indexes;
  auto schema = Query(
      "select type, name, sql from sqlite_master where sql is not null and name not like "
      "'sqlite_%' order by case type when 'table' then 0 else 1 end");
  for (schema.First(); !schema.Eof(); schema.Next()) {
    if (schema.AsText(0) == "table") {
      tables.emplace_back(schema.AsText(1), schema.AsText(2));
    } else if (schema.AsText(0) == "index") {
      indexes.push_back(schema.AsText(2));
    }
  }
  Transaction transaction(fresh);
  for (const auto& [name, sql] : tables) {
    fresh.Exec(sql);
    ++report.tables;
    sqlite3_stmt* read = nullptr;
    const std::string quoted = "\"" + name + "\"";
    if (sqlite3_prepare_v2(handle_, ("select * from " + quoted).c_str(), -1, &read, nullptr) !=
        SQLITE_OK) {
      sqlite3_finalize(read);
      report.incompleteTables.push_back(name);
      continue;
    }
    const int columns = sqlite3_column_count(read);
    std::string insert = "insert into " + quoted + " values (";
    for (int c = 0; c < columns; ++c) insert += c == 0 ? "?" : ", ?";
    insert += ")";
    sqlite3_stmt* write = nullptr;
    if (sqlite3_prepare_v2(fresh.handle_, insert.c_str(), -1, &write, nullptr) != SQLITE_OK) {
      sqlite3_finalize(read);
      sqlite3_finalize(write);
      fresh.Fail(insert);
    }
    int rc;
    while ((rc = sqlite3_step(read)) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c)
        sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
      if (sqlite3_step(write) == SQLITE_DONE) ++report.records;
      sqlite3_reset(write);
    }
    if (rc != SQLITE_DONE) report.incompleteTables.push_back(name);
    sqlite3_finalize(read);
    sqlite3_finalize(write);
  }
  for (const auto& sql : indexes) fresh.Exec(sql);
  transaction.Commit();
  return report;
}

// The outermost transaction is a plain one; inner ones are savepoints, so a write made of several
// statements can call another such write (saving the outputs saves the adjusted inputs too) and
// still be all or nothing as a whole. A rolled-back outermost transaction leaves the file
// byte for byte as it was.
Database::Transaction::Transaction(Database& db, bool forWriting)
    : db_(&db), name_("kavrel_" + std::to_string(db.depth_ + 1)) {
  if (db_->depth_ == 0 && forWriting) db_->FollowFile();
  // Prepared once per text: a save opens several nested transactions for every result.
  db_->Run(db_->depth_ == 0 ? std::string(forWriting ? "begin immediate" : "begin")
                            : "savepoint " + name_,
           {});
  ++db_->depth_;
}

Database::Transaction::~Transaction() {
  if (!done_) {
    if (db_->depth_ == 1) {
      sqlite3_exec(db_->handle_, "rollback", nullptr, nullptr, nullptr);
    } else {
      sqlite3_exec(db_->handle_, ("rollback to " + name_).c_str(), nullptr, nullptr, nullptr);
      sqlite3_exec(db_->handle_, ("release " + name_).c_str(), nullptr, nullptr, nullptr);
    }
  }
  --db_->depth_;
}

void Database::Transaction::Commit() {
  db_->Run(db_->depth_ == 1 ? std::string("commit") : "release " + name_, {});
  done_ = true;
}

}  // namespace kavrel
