#pragma once

// One SQLite database file, as the data module uses it for a collection or a data set. The
// statements are the system's own, run as written; the few forms SQLite lacks are rewritten in one
// place (RewriteStatement).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "core/base/errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kavrel {

// How long a write waits for another program that works on the same file.
inline constexpr int kBusyTimeoutMilliseconds = 30000;

// An error of the database engine, carrying the engine's message.
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::string& what) : std::runtime_error(what) {}
};

// `delete * from` becomes `delete from`; the literals Yes and No (outside quotes) become True and
// False; "create index NAME on TABLE" names the index NAME_TABLE, because SQLite's index names are
// per database where the statements assume per table. Everything else passes unchanged.
std::string RewriteStatement(std::string_view statement);

// A text value for a statement: between single quotes, embedded apostrophes doubled, so that no
// name can break or alter a statement ("Alzheimer's disease" -> 'Alzheimer''s disease').
std::string Quote(std::string_view text);

// Real numbers in database statements: a sign position (blank or minus), one digit, a period,
// 14 digits, E, the exponent's sign and four exponent digits; 23 characters that do not depend on
// the user's decimal separator. 0.0015 is " 1.50000000000000E-0003". A non-finite value has no
// such text and raises std::domain_error rather than reaching a statement.
std::string StatementReal(double value);

// Logical values in statements.
constexpr std::string_view StatementBool(bool value) { return value ? "True" : "False"; }

// True when the file starts with the SQLite header. An empty, truncated or foreign file (an Access
// database, a text file) is not one.
bool IsSqliteFile(const std::string& path);

// The rows of one query, read at once. Fields are addressed by position or by name (without
// regard to case).
class QueryResult {
 public:
  using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

  int RecordCount() const { return static_cast<int>(rows_.size()); }
  bool Eof() const { return row_ >= rows_.size(); }
  void First() { row_ = 0; }
  void Next() {
    if (row_ < rows_.size()) ++row_;
  }
  void Last() { row_ = rows_.empty() ? 0 : rows_.size() - 1; }
  std::size_t Position() const { return row_; }
  void MoveTo(std::size_t row) { row_ = row; }
  int FieldCount() const { return static_cast<int>(names_.size()); }
  const std::vector<std::string>& FieldNames() const { return names_; }

  // An unknown field, or reading when there is no current row, throws std::out_of_range; once a
  // reporter is set, the error's text goes to it instead and the read gives null (0, false, "").
  void ReportErrorsTo(std::function<void(const std::string&)> reporter) {
    report_ = std::move(reporter);
  }
  int FieldIndex(std::string_view name) const;
  bool IsNull(int field) const;
  std::int64_t AsInteger(int field) const;
  double AsDouble(int field) const;
  bool AsBoolean(int field) const;
  // A logical column reads as "True" or "False"; a null as "".
  std::string AsText(int field) const;

  // Conversions of one value; a text that is not a number throws std::out_of_range.
  static std::int64_t ToInteger(const Value& v);
  static double ToDouble(const Value& v);
  static bool ToBoolean(const Value& v);
  static std::string ToText(const Value& v, bool logical);

  std::int64_t AsInteger(std::string_view name) const { return AsInteger(FieldIndex(name)); }
  double AsDouble(std::string_view name) const { return AsDouble(FieldIndex(name)); }
  bool AsBoolean(std::string_view name) const { return AsBoolean(FieldIndex(name)); }
  std::string AsText(std::string_view name) const { return AsText(FieldIndex(name)); }

 private:
  friend class Database;
  friend class TableCursor;
  const Value& At(int field) const;
  [[noreturn]] void Throw(const std::string& what) const;
  template <typename T>
  T Converted(int field, T (*convert)(const Value&)) const;

  std::function<void(const std::string&)> report_;
  std::vector<std::string> names_;
  std::vector<bool> logical_;
  std::vector<std::vector<Value>> rows_;
  std::size_t row_ = 0;
};

// "The file X has vanished from its folder (moved or deleted while it was open): ...".
std::string VanishedMessage(const std::string& path);

class Database {
 public:
  // Opens an existing SQLite file, or creates one when create is true. A file that is not an
  // SQLite database is refused with a DatabaseError and left untouched. A database opened
  // read-only refuses every write (DatabaseError saying it is open read-only).
  static Database Open(const std::string& path, bool create = false, bool readOnly = false);
  // Whether the engine starts at all (an in-memory database opens).
  static bool EngineStarts();
  ~Database();
  Database(Database&& other) noexcept;
  Database& operator=(Database&& other) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& Path() const { return path_; }
  bool ReadOnly() const { return readOnly_; }
  // How long a statement waits for another program that holds the file before it gives up.
  void SetBusyTimeout(int milliseconds);
  void Exec(std::string_view statement);
  QueryResult Query(std::string_view statement);
  // A statement with ? placeholders, run with the values bound (texts, whole numbers, reals),
  // through a statement prepared once per text and kept while the database is open: what the
  // statement with the values written into it stores, without composing and parsing it again for
  // every row. A real is bound as its statement text (StatementReal), which a column converts as it
  // converts the literal. The text is run as it stands (none of Exec's rewriting).
  using RowValue = std::variant<std::int64_t, double, std::string>;
  void Run(const std::string& statement, const std::vector<RowValue>& values);
  // "insert into TABLE values (?, ?, ...)" through Run: one row of the given values.
  void InsertRow(std::string_view table, const std::vector<RowValue>& values);
  // Exact-case test of a table name, as the upgrade step needs it.
  bool HasTable(std::string_view name);
  std::int64_t LastInsertId() const;

  // The engine's compaction: a fresh, defragmented copy of the database written to target, which
  // must not exist yet.
  void CompactInto(const std::string& target);
  // The engine's integrity check: empty when the file is sound, else the problems it lists. A file
  // too damaged to be checked gives the engine's message as the one problem.
  std::vector<std::string> IntegrityProblems();

  struct RebuildReport {
    int tables = 0;
    long records = 0;
    std::vector<std::string> incompleteTables;  // tables whose reading stopped at damage
  };
  // Copies every table, index and record that can still be read into a new database at target.
  RebuildReport RebuildInto(const std::string& target);

  // All or nothing: commits when Commit is called, rolls back when destroyed without it.
  // Transactions nest; an inner one that commits is undone with its outer one. The outermost one
  // takes the write lock at once (waiting for another program as long as the busy timeout
  // allows), so that a save never fails half way because another program started writing.
  class Transaction {
   public:
    // forWriting false: the outermost transaction only reads (a plain begin), so that a series of
    // queries locks and checks the file once, also a file that may not be written.
    explicit Transaction(Database& db, bool forWriting = true);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

   private:
    Database* db_;
    std::string name_;
    bool done_ = false;
  };

 private:
  Database(sqlite3* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  // Raises the engine's error of the last call: the problem in the user's terms, naming the file,
  // with the engine's text and the statement on a second line.
  [[noreturn]] void Fail(std::string_view statement, const char* engineMessage = nullptr) const;

  void FinalizePrepared();
  // Before a write: the file must still be where it was opened. One that vanished (moved or
  // deleted while open) raises DatabaseError saying so; one put back since (another file under
  // the name) is opened again, so that saving works once it is back.
  void FollowFile();
  void RememberFile();

  sqlite3* handle_ = nullptr;
  std::string path_;
  unsigned long long fileDevice_ = 0;  // the file opened, as the system knows it
  unsigned long long fileNode_ = 0;
  int busyMilliseconds_ = kBusyTimeoutMilliseconds;
  bool readOnly_ = false;
  int depth_ = 0;  // open transactions, outermost first
  // Run's prepared statements by their text.
  std::unordered_map<std::string, sqlite3_stmt*> prepared_;
};

}  // namespace kavrel
