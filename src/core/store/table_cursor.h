#pragma once

// A cursor on one table, row by row, as the main window's record navigator, the notes window and
// the engine use it on InputDiseases: move, read fields by name, edit or insert a row and post it,
// cancel, delete, locate by a field's value. Rows are read in key order.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/database.h"

namespace kavrel {

class TableCursor {
 public:
  enum class State { kInactive, kBrowse, kEdit, kInsert };

  TableCursor(std::string table, std::string key)
      : table_(std::move(table)), key_(std::move(key)) {}

  void Open(Database& db);
  void Close();
  // Reads the table again, staying on the same key where it still exists.
  void Refresh();
  State GetState() const { return state_; }
  bool Active() const { return state_ != State::kInactive; }

  int RecordCount() const { return static_cast<int>(data_.rows_.size()); }
  // Position of the current row, 0-based; -1 when the table is empty.
  int RecNo() const { return data_.rows_.empty() ? -1 : static_cast<int>(row_); }
  void First();
  void Prior();
  void Next();
  void Last();
  // At the first row after a move to it or an attempt to go before it; empty tables are both.
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }

  // The field of the current row (or of the row being edited or inserted).
  std::string FieldText(std::string_view name) const;
  std::int64_t FieldInteger(std::string_view name) const;
  double FieldDouble(std::string_view name) const;
  bool FieldBoolean(std::string_view name) const;
  // The key of the current row; 0 when there is none (or a new row not yet posted).
  std::int64_t Key() const;

  // Editing: Edit or Insert, set fields, then Post writes the row (Cancel drops the changes).
  // Setting a field in browse state starts editing, as a data-aware control does.
  void Edit();
  void Insert();
  void SetText(std::string_view name, std::string value);
  void SetInteger(std::string_view name, std::int64_t value);
  void SetBoolean(std::string_view name, bool value);
  void Post();
  void Cancel();
  void Delete();

  // Moves to the first row whose field reads as value; false (and no move) when there is none.
  bool Locate(std::string_view field, std::string_view value);

  // Called after every move, post, cancel, delete and refresh, so bound controls can redraw.
  void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }
  const std::function<void()>& Listener() const { return listener_; }

 private:
  void Load();
  // Reads the table again and stands on the row with this key (the first row without it).
  void ReloadAt(std::int64_t key);
  // After an edit of the current row: that row read again (the rest of the table as it was
  // read); the whole table when the row is no longer there.
  void ReloadCurrent(std::int64_t key);
  void Changed() const;
  int Column(std::string_view name) const;
  const QueryResult::Value& Field(std::string_view name) const;
  void Set(std::string_view name, QueryResult::Value value);
  std::string SqlValue(int column, const QueryResult::Value& value) const;
  void RequireActive() const;

  std::string table_;
  std::string key_;
  Database* db_ = nullptr;
  State state_ = State::kInactive;
  QueryResult data_;  // the rows, with names and logical flags
  std::size_t row_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  std::vector<QueryResult::Value> buffer_;  // the row being edited or inserted
  std::vector<bool> changed_;
  std::function<void()> listener_;
};

}  // namespace kavrel
