#include "core/store/table_cursor.h"

#include <stdexcept>

#include "core/base/vocabulary.h"

namespace kavrel {

void TableCursor::Open(Database& db) {
  db_ = &db;
  state_ = State::kBrowse;
  Load();
  row_ = 0;
  bof_ = true;
  eof_ = data_.rows_.empty();
  Changed();
}

void TableCursor::Close() {
  db_ = nullptr;
  state_ = State::kInactive;
  data_ = QueryResult();
  buffer_.clear();
  row_ = 0;
  bof_ = eof_ = true;
  Changed();
}

void TableCursor::Load() { data_ = db_->Query("select * from " + table_ + " order by " + key_); }

void TableCursor::Refresh() {
  RequireActive();
  const std::int64_t key = Key();
  state_ = State::kBrowse;
  ReloadAt(key);
}

void TableCursor::ReloadAt(std::int64_t key) {
  buffer_.clear();
  Load();
  row_ = 0;
  const auto keyColumn = static_cast<std::size_t>(Column(key_));
  for (std::size_t r = 0; r < data_.rows_.size(); ++r) {
    if (QueryResult::ToInteger(data_.rows_[r][keyColumn]) == key) row_ = r;
  }
  bof_ = row_ == 0;
  eof_ = data_.rows_.empty();
  Changed();
}

void TableCursor::ReloadCurrent(std::int64_t key) {
  buffer_.clear();
  QueryResult row =
      db_->Query("select * from " + table_ + " where " + key_ + "=" + std::to_string(key));
  if (row.rows_.size() != 1 || row.names_ != data_.names_ || row_ >= data_.rows_.size()) {
    ReloadAt(key);
    return;
  }
  data_.rows_[row_] = std::move(row.rows_.front());
  Changed();
}

void TableCursor::Changed() const {
  if (listener_) listener_();
}

void TableCursor::RequireActive() const {
  if (state_ == State::kInactive) throw std::logic_error("The table " + table_ + " is not open");
}

// Moving posts a pending edit first, as a navigator does.
void TableCursor::First() {
  RequireActive();
  if (state_ != State::kBrowse) Post();
  row_ = 0;
  bof_ = true;
  eof_ = data_.rows_.empty();
  Changed();
}

void TableCursor::Last() {
  RequireActive();
  if (state_ != State::kBrowse) Post();
  row_ = data_.rows_.empty() ? 0 : data_.rows_.size() - 1;
  eof_ = true;
  bof_ = data_.rows_.empty();
  Changed();
}

void TableCursor::Prior() {
  RequireActive();
  if (state_ != State::kBrowse) Post();
  eof_ = data_.rows_.empty();
  if (row_ == 0) {
    bof_ = true;
  } else {
    --row_;
    bof_ = false;
  }
  Changed();
}

void TableCursor::Next() {
  RequireActive();
  if (state_ != State::kBrowse) Post();
  bof_ = data_.rows_.empty();
  if (data_.rows_.empty() || row_ + 1 >= data_.rows_.size()) {
    eof_ = true;
  } else {
    ++row_;
    eof_ = false;
  }
  Changed();
}

int TableCursor::Column(std::string_view name) const {
  RequireActive();
  return data_.FieldIndex(name);  // std::out_of_range for an unknown field
}

const QueryResult::Value& TableCursor::Field(std::string_view name) const {
  const auto column = static_cast<std::size_t>(Column(name));
  if (state_ == State::kEdit || state_ == State::kInsert) return buffer_[column];
  if (data_.rows_.empty()) throw std::out_of_range("No current record");
  return data_.rows_[row_][column];
}

std::string TableCursor::FieldText(std::string_view name) const {
  return QueryResult::ToText(Field(name), data_.logical_[static_cast<std::size_t>(Column(name))]);
}
std::int64_t TableCursor::FieldInteger(std::string_view name) const {
  return QueryResult::ToInteger(Field(name));
}
double TableCursor::FieldDouble(std::string_view name) const {
  return QueryResult::ToDouble(Field(name));
}
bool TableCursor::FieldBoolean(std::string_view name) const {
  return QueryResult::ToBoolean(Field(name));
}

std::int64_t TableCursor::Key() const {
  if (state_ == State::kInactive || state_ == State::kInsert || data_.rows_.empty()) return 0;
  return QueryResult::ToInteger(data_.rows_[row_][static_cast<std::size_t>(Column(key_))]);
}

void TableCursor::Edit() {
  RequireActive();
  if (state_ != State::kBrowse) return;
  if (data_.rows_.empty()) throw std::logic_error("There is no record to edit");
  buffer_ = data_.rows_[row_];
  changed_.assign(buffer_.size(), false);
  state_ = State::kEdit;
}

void TableCursor::Insert() {
  RequireActive();
  if (state_ != State::kBrowse) Post();
  buffer_.assign(data_.names_.size(), QueryResult::Value{});
  changed_.assign(buffer_.size(), false);
  // A new row's flags start cleared, as the table's defaults have them.
  for (std::size_t c = 0; c < buffer_.size(); ++c) {
    if (data_.logical_[c]) buffer_[c] = std::int64_t{0};
  }
  state_ = State::kInsert;
  Changed();
}

void TableCursor::Set(std::string_view name, QueryResult::Value value) {
  if (state_ == State::kBrowse) Edit();
  const auto column = static_cast<std::size_t>(Column(name));
  if (column == static_cast<std::size_t>(Column(key_))) {
    throw std::logic_error("The key " + key_ + " is numbered by the database");
  }
  buffer_[column] = std::move(value);
  changed_[column] = true;
}

void TableCursor::SetText(std::string_view name, std::string value) { Set(name, std::move(value)); }
void TableCursor::SetInteger(std::string_view name, std::int64_t value) { Set(name, value); }
void TableCursor::SetBoolean(std::string_view name, bool value) {
  Set(name, std::int64_t{value ? 1 : 0});
}

std::string TableCursor::SqlValue(int column, const QueryResult::Value& value) const {
  if (std::holds_alternative<std::monostate>(value)) return "null";
  if (data_.logical_[static_cast<std::size_t>(column)]) {
    return std::string(StatementBool(QueryResult::ToBoolean(value)));
  }
  if (const auto* s = std::get_if<std::string>(&value)) return Quote(*s);
  if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
  return StatementReal(std::get<double>(value));
}

void TableCursor::Post() {
  RequireActive();
  if (state_ == State::kBrowse) return;
  const int keyColumn = Column(key_);
  std::int64_t key = 0;
  if (state_ == State::kEdit) {
    key = Key();
    std::string sets;
    for (std::size_t c = 0; c < buffer_.size(); ++c) {
      if (!changed_[c]) continue;
      if (!sets.empty()) sets += ", ";
      sets += data_.names_[c] + "=" + SqlValue(static_cast<int>(c), buffer_[c]);
    }
    if (!sets.empty()) {
      db_->Exec("update " + table_ + " set " + sets + " where " + key_ + "=" + std::to_string(key));
    }
    // Only a row that reached the table leaves the editing state; a failed statement keeps the
    // changes so the user can correct them or cancel. The key is unchanged, so only the row is
    // read again.
    state_ = State::kBrowse;
    ReloadCurrent(key);
    return;
  }
  std::string columns;
  std::string values;
  for (std::size_t c = 0; c < buffer_.size(); ++c) {
    if (static_cast<int>(c) == keyColumn) continue;
    if (!columns.empty()) {
      columns += ", ";
      values += ", ";
    }
    columns += data_.names_[c];
    values += SqlValue(static_cast<int>(c), buffer_[c]);
  }
  db_->Exec("insert into " + table_ + " (" + columns + ") values (" + values + ")");
  key = db_->LastInsertId();
  // The new row takes its place in the key order: the table is read again.
  state_ = State::kBrowse;
  ReloadAt(key);
}

void TableCursor::Cancel() {
  RequireActive();
  if (state_ == State::kBrowse) return;
  state_ = State::kBrowse;
  buffer_.clear();
  Changed();
}

void TableCursor::Delete() {
  RequireActive();
  if (state_ == State::kInsert) {
    Cancel();
    return;
  }
  state_ = State::kBrowse;
  if (data_.rows_.empty()) return;
  db_->Exec("delete from " + table_ + " where " + key_ + "=" + std::to_string(Key()));
  data_.rows_.erase(data_.rows_.begin() + static_cast<std::ptrdiff_t>(row_));
  if (row_ >= data_.rows_.size() && row_ > 0) --row_;
  bof_ = row_ == 0;
  eof_ = data_.rows_.empty();
  Changed();
}

bool TableCursor::Locate(std::string_view field, std::string_view value) {
  RequireActive();
  if (state_ != State::kBrowse) Post();
  const auto column = static_cast<std::size_t>(Column(field));
  for (std::size_t r = 0; r < data_.rows_.size(); ++r) {
    if (QueryResult::ToText(data_.rows_[r][column], data_.logical_[column]) == value) {
      row_ = r;
      bof_ = r == 0;
      eof_ = false;
      Changed();
      return true;
    }
  }
  return false;
}

}  // namespace kavrel
