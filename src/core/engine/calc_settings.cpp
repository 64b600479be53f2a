#include "core/engine/calc_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

namespace {

// The columns after InputId and Sex, in the table's order, each bound to its field.
struct Column {
  std::string_view name;
  enum class Kind { kInteger, kLogical, kText } kind;
  int CalcSettingsRecord::*integer = nullptr;
  bool CalcSettingsRecord::*logical = nullptr;
  std::string CalcSettingsRecord::*text = nullptr;
};

using R = CalcSettingsRecord;
constexpr Column I(std::string_view n, int R::*f) { return {n, Column::Kind::kInteger, f}; }
constexpr Column L(std::string_view n, bool R::*f) {
  return {n, Column::Kind::kLogical, nullptr, f};
}
Column T(std::string_view n, std::string R::*f) {
  return {n, Column::Kind::kText, nullptr, nullptr, f};
}

const std::array<Column, 38>& Columns() {
  static const std::array<Column, 38> columns = {
      I("Agegroup", &R::Agegroup),
      L("Linearsmooth", &R::Linearsmooth),
      L("MovAvsmooth", &R::MovAvsmooth),
      L("CuSplinesmooth", &R::CuSplinesmooth),
      L("BirthPrev", &R::BirthPrev),
      L("Only0", &R::Only0),
      L("Trends", &R::Trends),
      T("InciValue", &R::InciValue),
      T("RemiValue", &R::RemiValue),
      T("CfatValue", &R::CfatValue),
      I("InciEnforce", &R::InciEnforce),
      I("RemiEnforce", &R::RemiEnforce),
      I("CfatEnforce", &R::CfatEnforce),
      I("InciWeight", &R::InciWeight),
      I("PrevWeight", &R::PrevWeight),
      I("RemiWeight", &R::RemiWeight),
      I("CfatWeight", &R::CfatWeight),
      I("DuraWeight", &R::DuraWeight),
      I("MortWeight", &R::MortWeight),
      I("RRMortWeight", &R::RRMortWeight),
      L("InciIgn", &R::InciIgn),
      L("PrevIgn", &R::PrevIgn),
      L("RemiIgn", &R::RemiIgn),
      L("CfatIgn", &R::CfatIgn),
      L("DuraIgn", &R::DuraIgn),
      L("MortIgn", &R::MortIgn),
      L("RRMortIgn", &R::RRMortIgn),
      L("InciExact", &R::InciExact),
      L("RemiExact", &R::RemiExact),
      L("CfatExact", &R::CfatExact),
      T("MaxIter", &R::MaxIter),
      T("Precision", &R::Precision),
      T("Simplex", &R::Simplex),
      T("Alpha", &R::Alpha),
      T("Beta", &R::Beta),
      T("Gamma", &R::Gamma),
      I("FitMethod", &R::FitMethod),
      T("FitSmoothness", &R::FitSmoothness),
  };
  return columns;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

// The record's weights, ignore flags and exact flags in variable order, for the window mapping.
std::string SexWhere(int inputId, int sex) { return std::to_string(inputId) + SexCondition(sex); }

}  // namespace

void Tcalcsettings::SetDefaults(int sex) {
  Records.at(static_cast<std::size_t>(sex)) = CalcSettingsRecord{};
}

bool Tcalcsettings::LoadFromTable(int sex, TDataKavrel& data, int inputId) {
  if (!data.DatasetHasTable("CalculationOptions")) return false;
  QueryResult& row =
      data.QueryDataset("select * from CalculationOptions where inputid=" + SexWhere(inputId, sex));
  if (row.RecordCount() == 0) {
    SetDefaults(sex);
    return false;
  }
  // Read into a copy first: a row that cannot be read leaves the record as it was.
  CalcSettingsRecord r;
  for (const Column& c : Columns()) {
    const int field = row.FieldIndex(c.name);
    if (field < 0) continue;  // reported by the data module; the default stays
    try {
      switch (c.kind) {
        case Column::Kind::kInteger:
          r.*c.integer =
              static_cast<int>(QueryResult::ToInteger(QueryResult::Value(Trim(row.AsText(field)))));
          break;
        case Column::Kind::kLogical:
          r.*c.logical = row.AsBoolean(field);
          break;
        case Column::Kind::kText:
          r.*c.text = Trim(row.AsText(field));
          break;
      }
    } catch (const std::out_of_range&) {
      throw DatabaseError("The stored calculation option " + std::string(c.name) +
                          " is not a number");
    }
  }
  Records.at(static_cast<size_t>(sex)) = r;
  return true;
}

std::string Tcalcsettings::InsertStatement(int sex, int inputId) const {
  const CalcSettingsRecord& r = Records.at(static_cast<size_t>(sex));
  std::string names = "InputId, Sex";
  for (const Column& c : Columns()) names += ", " + std::string(c.name);
  std::string insert = "insert into CalculationOptions (" + names + ") values (" +
                       std::to_string(inputId) + ", " +
                       Quote(kSexNames.at(static_cast<size_t>(sex)));
  for (const Column& c : Columns()) {
    insert += ", ";
    switch (c.kind) {
      case Column::Kind::kInteger:
        insert += std::to_string(r.*c.integer);
        break;
      case Column::Kind::kLogical:
        insert += StatementBool(r.*c.logical);
        break;
      case Column::Kind::kText:
        insert += Quote(r.*c.text);
        break;
    }
  }
  return insert + ")";
}

bool Tcalcsettings::SaveToTable(int sex, TDataKavrel& data, int inputId,
                                UserDialogs& dialogs) const {
  Database::Transaction transaction(data.Dataset());
  try {
    WriteToTable(sex, data, inputId);
  } catch (const DatabaseError& error) {
    if (std::string_view(error.what()) != kCalcOptionsTableError) throw;
    dialogs.ShowError(kCalcOptionsTableError);
    return false;
  }
  transaction.Commit();
  return true;
}

void Tcalcsettings::WriteToTable(int sex, TDataKavrel& data, int inputId) const {
  if (data.DatasetHasTable("CalculationOptions")) {
    AddFitMethodColumns(data.Dataset());
    data.ExecDataset("delete from CalculationOptions where InputId=" + SexWhere(inputId, sex));
  } else {
    try {
      data.ExecDataset(kCreateCalculationOptions);
      data.ExecDataset(CreateIndexStatement("CalculationOptions", "InputID"));
    } catch (const DatabaseError&) {
      throw DatabaseError(std::string(kCalcOptionsTableError));
    }
  }
  data.ExecDataset(InsertStatement(sex, inputId));
}

bool Tcalcsettings::SetColumn(CalcSettingsRecord& record, std::string_view column,
                              std::string_view value) {
  for (const Column& c : Columns()) {
    if (!EqualNoCase(c.name, column)) continue;
    switch (c.kind) {
      case Column::Kind::kInteger: {
        int parsed = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (error != std::errc() || end != value.data() + value.size()) return false;
        record.*c.integer = parsed;
        return true;
      }
      case Column::Kind::kLogical:
        if (EqualNoCase(value, "true") || value == "1" || EqualNoCase(value, "yes")) {
          record.*c.logical = true;
        } else if (EqualNoCase(value, "false") || value == "0" || EqualNoCase(value, "no")) {
          record.*c.logical = false;
        } else {
          return false;
        }
        return true;
      case Column::Kind::kText:
        record.*c.text = std::string(value);
        return true;
    }
  }
  return false;
}

bool IsAutomaticSmoothness(const std::string& text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return true;
  const std::string word = kAutomaticSmoothness;
  return trimmed.size() == word.size() &&
         std::equal(trimmed.begin(), trimmed.end(), word.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

std::optional<std::string> CheckCalcSettings(const CalcSettingsRecord& r) {
  const auto number = [](const std::string& text) {
    const auto value = ReadNumberText(text);
    return value ? *value : std::numeric_limits<double>::quiet_NaN();
  };
  const struct {
    const char* column;
    double value;
    double low;
    double high;
  } checks[] = {
      {"Agegroup", static_cast<double>(r.Agegroup), 1, 20},
      {"InciEnforce", static_cast<double>(r.InciEnforce), 0, 100},
      {"RemiEnforce", static_cast<double>(r.RemiEnforce), 0, 100},
      {"CfatEnforce", static_cast<double>(r.CfatEnforce), 0, 100},
      {"InciWeight", static_cast<double>(r.InciWeight), 1, 20},
      {"PrevWeight", static_cast<double>(r.PrevWeight), 1, 20},
      {"RemiWeight", static_cast<double>(r.RemiWeight), 1, 20},
      {"CfatWeight", static_cast<double>(r.CfatWeight), 1, 20},
      {"DuraWeight", static_cast<double>(r.DuraWeight), 1, 20},
      {"MortWeight", static_cast<double>(r.MortWeight), 1, 20},
      {"RRMortWeight", static_cast<double>(r.RRMortWeight), 1, 20},
      {"InciValue", number(r.InciValue), kLowestHazardMaximum, kHighestHazardMaximum},
      {"RemiValue", number(r.RemiValue), kLowestHazardMaximum, kHighestHazardMaximum},
      {"CfatValue", number(r.CfatValue), kLowestHazardMaximum, kHighestHazardMaximum},
      {"MaxIter", number(r.MaxIter), 1, 1e7},
      {"Precision", number(r.Precision), 1e-300, 1},
      {"Simplex", number(r.Simplex), 1e-12, 10},
      {"Alpha", number(r.Alpha), 1e-6, 10},
      {"Beta", number(r.Beta), 1e-6, 0.999999},
      {"Gamma", number(r.Gamma), 1.000001, 10},
      {"FitMethod", static_cast<double>(r.FitMethod), 0, 1},
      {"FitSmoothness", IsAutomaticSmoothness(r.FitSmoothness) ? 0.0 : number(r.FitSmoothness), 0,
       1e6},
  };
  for (const auto& c : checks) {
    if (auto refusal =
            CheckRange(c.value, c.low, c.high, std::string("The calculation option ") + c.column)) {
      return refusal;
    }
  }
  return std::nullopt;
}

namespace {

// COLUMN=VALUE changes onto a record; the refusal of the first that is not one.
std::optional<std::string> SetChanges(CalcSettingsRecord& record,
                                      const std::vector<std::string>& options) {
  for (const std::string& option : options) {
    const auto equals = option.find('=');
    if (equals == std::string::npos ||
        !Tcalcsettings::SetColumn(record, option.substr(0, equals), option.substr(equals + 1))) {
      return "--option " + option +
             ": not a calculation options column with a value of its type (COLUMN=VALUE)";
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckOptionChanges(const std::vector<std::string>& options) {
  CalcSettingsRecord record;
  return SetChanges(record, options);
}

std::optional<std::string> ApplyOptionChanges(CalcSettingsRecord& record,
                                              const std::vector<std::string>& options) {
  if (auto refusal = SetChanges(record, options)) return refusal;
  return CheckCalcSettings(record);
}

}  // namespace kavrel
