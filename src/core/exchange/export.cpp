#include "core/exchange/export.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <xlsxwriter.h>

#include "core/base/user_dialogs.h"
#include "core/base/utf8_text.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/grid.h"
#include "core/exchange/xls_writer.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

// The finished file replaces the chosen one in one step; a run that fails leaves no half-written
// file under the chosen name.
void PutInPlace(const std::string& temporary, const std::string& path) {
  PutFileInPlace(temporary, path);
}

std::string TemporaryName(const std::string& path) { return path + ".part"; }

// A value in fixed notation with the given decimals and at most 9 significant digits, with a
// period: it goes into a statement, where the locale has no say.
std::string PreventNumber(double value, int decimals) {
  int allowed = decimals;
  if (value != 0.0 && std::isfinite(value)) {
    const int whole = static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    allowed = std::min(decimals, std::max(0, 9 - whole));
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", allowed, value);
  return buffer;
}

}  // namespace

ExportFileKind FileKindFor(ExportFormat format) {
  switch (format) {
    case ExportFormat::kPrevent:
      return {"mdb", "Prevent input (*.mdb)|*.mdb"};
    case ExportFormat::kAccess:
      return {"mdb", "Access files (*.mdb)|*.mdb"};
    case ExportFormat::kExcel:
      return {"xls", "Excel files (*.xls)|*.xls"};
    case ExportFormat::kCsv:
      return {"csv", "Comma delimited files (*.csv)|*.csv"};
    case ExportFormat::kXlsx:
      return {"xlsx", "Excel 2007+ files (*.xlsx)|*.xlsx"};
  }
  return {};
}

Tagegrouplist AgeGroupsForFormat(ExportFormat format, int exportage, TDataKavrel& data,
                                 UserDialogs& dialogs, int maxAge) {
  if (format == ExportFormat::kPrevent) return FiveYearGroups(maxAge, "Prevent");
  if (format == ExportFormat::kAccess || exportage == 0) {
    return FiveYearGroups(maxAge, "5-year groups");
  }
  try {
    Tagegrouplist list;
    FillFromSchedule(list, data, exportage, maxAge);
    if (list.Groups.empty()) throw DatabaseError("no such schedule");
    list.Name = "User preference";
    return list;
  } catch (const DatabaseError&) {
    dialogs.ShowError(kExportScheduleError);
    return FiveYearGroups(maxAge, "5-year groups");
  }
}

Texportgen::Texportgen(const ExportWindowState& window, const Tagegrouplist& groups,
                       ExportContext& context)
    : window_(window),
      groups_(groups),
      ctx_(context),
      columns_(TableEnvironment{context.PopulationNumbers, context.AllCauseMortality,
                                context.MaxAge, true}) {}

Texportgen::~Texportgen() = default;

bool Texportgen::LoadDisease() {
  TableCursor& diseases = ctx_.Data.KavrelTable1();
  HasOutput = diseases.FieldBoolean("MOutput") || diseases.FieldBoolean("FOutput");
  if (!HasOutput) return false;
  disease_ = std::make_unique<Tdisease>(diseases.FieldText("DiseaseName"));
  disease_->TakeRecord(diseases);
  DiseaseStore store{ctx_.Data, ctx_.Dialogs, ctx_.MaxAge};
  store.LoadProcessedFlags(*disease_);
  store.LoadOutputs(*disease_);
  return true;
}

void Texportgen::BuildColumns() {
  disease_->Calculated[Sex] = true;
  columns_.Env.IncidenceIsHazard = disease_->IncidenceIsHazard;
  // A result with intervals carries its limits beside each output.
  ColumnVisibility visible;
  visible.Limits = true;
  AddStandardColumns(columns_, *disease_, Sex, InputColumns::kAdjusted, visible,
                     ctx_.HazardsOutput);
}

void Texportgen::ExportDisease() {
  if (!LoadDisease()) return;
  TableCursor& diseases = ctx_.Data.KavrelTable1();
  for (int s = 0; s < kSexCount; ++s) {
    if (!diseases.FieldBoolean(kOutputFlagColumns[s])) continue;
    Sex = static_cast<std::uint8_t>(s);
    columns_.Clear();
    columns_.BuildRows(groups_, s);
    BuildColumns();
    WriteTable();
    if ((window_.IncludeSensitivity || window_.IncludeUncertainty) && ctx_.AnalysisTables) {
      ctx_.AnalysisTables(*disease_, s, window_.IncludeSensitivity, window_.IncludeUncertainty,
                          columns_, [this](const std::string& title) {
                            title_ = title;
                            columns_.SetHazardMode(ctx_.HazardsOutput);
                            WriteTable();
                          });
      title_.clear();
    }
  }
  disease_.reset();
}

void Texportgengen::WriteTable() {
  const auto write = [this](bool rates) {
    columns_.Recalculate(rates, window_.Decimals, window_.RatesIndex);
    WriteOneTable();
  };
  if (window_.Numbers != ExportNumbers::kNumbers) write(true);
  if (window_.Numbers != ExportNumbers::kRates) write(false);
}

Texporttxt::Texporttxt(const ExportWindowState& window, const Tagegrouplist& groups,
                       ExportContext& context, const std::string& path)
    : Texportgengen(window, groups, context), path_(path), temporary_(TemporaryName(path)) {
  text_ = "\"Kavrel output, date: " + context.Date + ", time: " + context.Time + "\"\r\n\r\n";
}

Texporttxt::~Texporttxt() {
  std::error_code error;
  fs::remove(temporary_, error);
}

void Texporttxt::WriteOneTable() {
  std::string& t = text_;
  t += "\"Disease: " + ValidUtf8(disease_->DiseaseName) +
       ", ICD codes: " + ValidUtf8(disease_->ICDcode) + "\"\r\n";
  if (!title_.empty()) t += "\"" + title_ + "\"\r\n";
  t += ",\"" + std::string(kSexNames[Sex]) + "\",\r\n";
  t += ",";
  for (const auto& column : columns_.Columns) t += column->Group + ",";
  t += "\r\n" + columns_.AgeColumn.Caption + ",";
  for (const auto& column : columns_.Columns) t += column->Caption + ",";
  t += "\r\n,";
  for (const auto& column : columns_.Columns) t += column->UnitSuffix + ",";
  t += "\r\n";
  for (std::size_t r = 0; r < columns_.Rows.size(); ++r) {
    t += RowLabel(r) + ",";
    for (const auto& column : columns_.Columns) {
      t += ExportText(column->Cells[r], column->ShowingNumbers ? 0 : window_.Decimals) + ",";
    }
    t += "\r\n";
  }
  t += "\r\n";
}

void Texporttxt::Finish() {
  {
    std::ofstream out(temporary_, std::ios::binary | std::ios::trunc);
    if (!out) throw InOutError("Cannot create " + path_);
    out << text_;
    if (!out.flush()) throw InOutError("Cannot write " + path_);
  }
  PutInPlace(temporary_, path_);
}

Texportxls::Texportxls(const ExportWindowState& window, const Tagegrouplist& groups,
                       ExportContext& context, const std::string& path)
    : Texportgengen(window, groups, context), path_(path), temporary_(TemporaryName(path)) {
  xls_ = std::make_unique<TwriteXLS>(temporary_);
  xls_->WriteLabel(0, 0, "Kavrel output, date: " + context.Date + ", time: " + context.Time);
}

Texportxls::~Texportxls() {
  xls_.reset();
  std::error_code error;
  fs::remove(temporary_, error);
}

void Texportxls::WriteOneTable() {
  const int n = static_cast<int>(columns_.Columns.size()) + 1;
  const int r = RowCounter;
  const int lastRow = r + 5 + static_cast<int>(columns_.Rows.size());
  if (lastRow > 65535 || n > 65535) throw std::out_of_range("The spreadsheet grows beyond 65535");
  const auto row = [](int value) { return static_cast<std::uint16_t>(value); };
  xls_->WriteLabel(0, row(r),
                   "Disease: " + disease_->DiseaseName + ", ICD codes: " + disease_->ICDcode);
  xls_->WriteLabel(1, row(r + 1), kSexNames[Sex]);
  if (!title_.empty()) xls_->WriteLabel(2, row(r + 1), title_);
  xls_->WriteLabel(0, row(r + 3), columns_.AgeColumn.Caption);
  for (int c = 1; c < n; ++c) {
    const Tkolomnew& column = *columns_.Columns[static_cast<std::size_t>(c - 1)];
    const auto col = static_cast<std::uint16_t>(c);
    xls_->WriteLabel(col, row(r + 2), column.Group);
    xls_->WriteLabel(col, row(r + 3), column.Caption);
    xls_->WriteLabel(col, row(r + 4), column.UnitSuffix);
  }
  for (std::size_t k = 0; k < columns_.Rows.size(); ++k) {
    const auto at = row(r + 5 + static_cast<int>(k));
    xls_->WriteLabel(0, at, RowLabel(k));
    for (int c = 1; c < n; ++c) {
      const Teencel& cell = columns_.Columns[static_cast<std::size_t>(c - 1)]->Cells[k];
      const auto col = static_cast<std::uint16_t>(c);
      if (cell.Text == "NA") {
        xls_->WriteLabel(col, at, cell.Text);
      } else {
        // The figure unrounded: a spreadsheet calculates with every digit.
        xls_->WriteNumber(col, at, std::isfinite(cell.Shown) ? cell.Shown : std::stod(cell.Text));
      }
    }
  }
  RowCounter = lastRow + 1;
}

void Texportxls::Finish() {
  const bool complete = xls_->Finish();
  xls_.reset();
  if (!complete) throw InOutError("Cannot write " + path_);
  PutInPlace(temporary_, path_);
}

// The workbook of an Excel 2007+ export, written by libxlsxwriter to the temporary file.
struct Texportxlsx::Book {
  explicit Book(const std::string& path) : Workbook(workbook_new(path.c_str())) {
    if (Workbook == nullptr) throw InOutError("Cannot create " + path);
    Bold = workbook_add_format(Workbook);
    format_set_bold(Bold);
  }
  ~Book() {
    // A workbook not finished is still closed, so that its memory is freed; the file is removed.
    if (Workbook != nullptr) workbook_close(Workbook);
  }
  Book(const Book&) = delete;
  Book& operator=(const Book&) = delete;

  // The number format of a count of decimals ("0", "0.0000").
  lxw_format* Decimals(int decimals) {
    decimals = std::clamp(decimals, 0, 10);
    auto& format = NumberFormats[static_cast<std::size_t>(decimals)];
    if (format == nullptr) {
      format = workbook_add_format(Workbook);
      const std::string pattern = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
      format_set_num_format(format, pattern.c_str());
    }
    return format;
  }

  // A worksheet named after the disease, as a spreadsheet allows names: at most 31 characters,
  // none of []:*?/\, no apostrophe at either end, each name once.
  lxw_worksheet* AddSheet(const std::string& disease) {
    std::string base;
    for (char c : ValidUtf8(disease))
      base += std::string_view("[]:*?/\\").find(c) == std::string_view::npos ? c : '_';
    while (!base.empty() && base.front() == '\'') base.erase(base.begin());
    while (!base.empty() && base.back() == '\'') base.pop_back();
    if (base.empty()) base = "Disease";
    const auto cut = [](std::string text, std::size_t length) {
      if (text.size() <= length) return text;
      text.resize(length);
      while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
        text.pop_back();  // no half character
      }
      if (!text.empty() && (static_cast<unsigned char>(text.back()) & 0x80) != 0) text.pop_back();
      return text;
    };
    std::string name = cut(base, 31);
    for (int k = 2; std::find(Names.begin(), Names.end(), Lower(name)) != Names.end(); ++k) {
      const std::string suffix = " (" + std::to_string(k) + ")";
      name = cut(base, 31 - suffix.size()) + suffix;
    }
    Names.push_back(Lower(name));
    lxw_worksheet* sheet = workbook_add_worksheet(Workbook, name.c_str());
    if (sheet == nullptr) throw InOutError("Cannot add the worksheet " + name);
    return sheet;
  }
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  lxw_workbook* Workbook;
  lxw_format* Bold = nullptr;
  std::array<lxw_format*, 11> NumberFormats{};
  std::vector<std::string> Names;
  lxw_worksheet* Sheet = nullptr;  // the current disease's
  std::int32_t SheetDisease = 0;   // the disease of the current sheet
  int Row = 0;
  bool Frozen = false;
};

Texportxlsx::Texportxlsx(const ExportWindowState& window, const Tagegrouplist& groups,
                         ExportContext& context, const std::string& path)
    : Texportgengen(window, groups, context),
      path_(path),
      temporary_(TemporaryName(path)),
      book_(std::make_unique<Book>(temporary_)) {}

Texportxlsx::~Texportxlsx() {
  book_.reset();
  std::error_code error;
  fs::remove(temporary_, error);
}

void Texportxlsx::WriteOneTable() {
  Book& book = *book_;
  if (book.Sheet == nullptr || book.SheetDisease != disease_->InputId) {
    book.Sheet = book.AddSheet(disease_->DiseaseName);
    book.SheetDisease = disease_->InputId;
    book.Row = 2;
    book.Frozen = false;
    worksheet_write_string(book.Sheet, 0, 0,
                           ("Kavrel output, date: " + ctx_.Date + ", time: " + ctx_.Time).c_str(),
                           nullptr);
    worksheet_set_column(book.Sheet, 0, 0, 10, nullptr);
    worksheet_set_column(book.Sheet, 1, static_cast<lxw_col_t>(columns_.Columns.size()), 16,
                         nullptr);
  }
  lxw_worksheet* sheet = book.Sheet;
  const auto r = static_cast<lxw_row_t>(book.Row);
  const auto text = [&](lxw_row_t row, lxw_col_t col, const std::string& value,
                        lxw_format* format) {
    if (!value.empty()) {
      worksheet_write_string(sheet, row, col, ValidUtf8(value).c_str(), format);
    }
  };
  text(r, 0, "Disease: " + disease_->DiseaseName + ", ICD codes: " + disease_->ICDcode, book.Bold);
  text(r + 1, 1, std::string(kSexNames[Sex]), book.Bold);
  text(r + 1, 2, title_, book.Bold);
  text(r + 3, 0, columns_.AgeColumn.Caption, book.Bold);
  for (std::size_t c = 0; c < columns_.Columns.size(); ++c) {
    const Tkolomnew& column = *columns_.Columns[c];
    const auto col = static_cast<lxw_col_t>(c + 1);
    text(r + 2, col, column.Group, book.Bold);
    text(r + 3, col, column.Caption, book.Bold);
    text(r + 4, col, column.UnitSuffix, book.Bold);
  }
  for (std::size_t k = 0; k < columns_.Rows.size(); ++k) {
    const auto row = static_cast<lxw_row_t>(r + 5 + k);
    text(row, 0, RowLabel(k), nullptr);
    for (std::size_t c = 0; c < columns_.Columns.size(); ++c) {
      const Tkolomnew& column = *columns_.Columns[c];
      const Teencel& cell = column.Cells[k];
      const auto col = static_cast<lxw_col_t>(c + 1);
      // The figure as the text formats write it, kept as a number with as many decimals.
      char* end = nullptr;
      const double value = std::strtod(cell.Text.c_str(), &end);
      if (cell.Text.empty() || end == nullptr || *end != '\0') {
        text(row, col, cell.Text, nullptr);
      } else {
        const std::size_t point = cell.Text.find('.');
        const int decimals =
            point == std::string::npos ? 0 : static_cast<int>(cell.Text.size() - point - 1);
        // Every digit kept, shown with the table's decimals.
        worksheet_write_number(sheet, row, col, std::isfinite(cell.Shown) ? cell.Shown : value,
                               book.Decimals(decimals));
      }
    }
  }
  if (!book.Frozen) {
    worksheet_freeze_panes(sheet, static_cast<lxw_row_t>(r + 5), 1);
    book.Frozen = true;
  }
  book.Row = book.Row + 6 + static_cast<int>(columns_.Rows.size());
  if (book.Row > 1'048'000) throw std::out_of_range("The spreadsheet grows beyond 1,048,576 rows");
}

void Texportxlsx::Finish() {
  lxw_workbook* workbook = book_->Workbook;
  book_->Workbook = nullptr;
  const lxw_error closed = workbook_close(workbook);
  if (closed != LXW_NO_ERROR) {
    throw InOutError("Cannot write " + path_ + ": " + lxw_strerror(closed));
  }
  PutInPlace(temporary_, path_);
}

// The external model's database is changed on a copy, which replaces the file when the run is
// complete. A file that does not exist yet is made with the model's two tables.
Texportprevent::Texportprevent(const ExportWindowState& window, const Tagegrouplist& groups,
                               ExportContext& context, const std::string& path)
    : Texportgen(window, groups, context), path_(path), temporary_(TemporaryName(path)) {
  std::error_code error;
  fs::remove(temporary_, error);
  const bool exists = fs::exists(path_);
  if (exists) {
    if (!IsSqliteFile(path_)) {
      throw DatabaseError("'" + path_ + "' is not a Kavrel database (SQLite) file");
    }
    fs::copy_file(path_, temporary_, error);
    if (error) throw InOutError("Cannot copy " + path_);
  }
  database_ = std::make_unique<Database>(Database::Open(temporary_, true));
  if (!exists) {
    database_->Exec(
        "create table DiseasesAndRiskfactors (name char(50), IsDisease logical, IsRiskFactor "
        "logical, IsContinuous logical, HasIncidence logical, HasMortality logical, "
        "HasRemission logical, HasDuration logical, HasCategories logical, Categories integer)");
    database_->Exec(
        "create table DiseaseInputVars (diseasename char(50), schedulename char(50), sex "
        "char(10), variable char(50), lage integer, hage integer, waarde float)");
  }
  // One transaction for the whole run: a statement that fails is undone alone and the run goes
  // on, and the thousands of inserts are not each synced to disk.
  transaction_ = std::make_unique<Database::Transaction>(*database_);
}

Texportprevent::~Texportprevent() {
  transaction_.reset();
  database_.reset();
  std::error_code error;
  fs::remove(temporary_, error);
}

void Texportprevent::Run(const std::string& statement) {
  try {
    database_->Exec(statement + ";");
  } catch (const DatabaseError& e) {
    // The first failure is shown; a target of another layout would otherwise give one box per
    // statement. The export then fails as a whole and the target is left as it was.
    if (failedStatements_++ == 0) ctx_.Dialogs.ShowError(e.what());
  }
}

bool Texportprevent::LoadDisease() {
  TableCursor& diseases = ctx_.Data.KavrelTable1();
  HasOutput = diseases.FieldBoolean("MOutput") || diseases.FieldBoolean("FOutput");
  if (!HasOutput) return false;
  disease_ = std::make_unique<Tdisease>(diseases.FieldText("DiseaseName"));
  disease_->TakeRecord(diseases);
  DiseaseStore store{ctx_.Data, ctx_.Dialogs, ctx_.MaxAge};
  store.LoadOutputs(*disease_);
  return true;
}

void Texportprevent::ExportDisease() {
  if (!LoadDisease()) return;
  TableCursor& diseases = ctx_.Data.KavrelTable1();
  const std::string name = Quote(ValidUtf8(disease_->DiseaseName));
  Run("delete from DiseasesAndRiskfactors where name=" + name);
  Run("insert into DiseasesAndRiskfactors values (" + name +
      ", True, False, False, True, True, False, False, False, 0)");
  for (int s = 0; s < kSexCount; ++s) {
    if (!diseases.FieldBoolean(kOutputFlagColumns[s])) continue;
    const std::string sex = Quote(kSexNames[s]);
    Run("delete from DiseaseInputVars where diseasename=" + name + " and sex=" + sex);
    for (int v : {kIncidence, kRemission, kCaseFatality}) {
      const std::string variable = Quote(kVariableCaptions[v]);
      for (int a = 0; a <= ctx_.MaxAge; ++a) {
        Run("insert into DiseaseInputVars values (" + name + ", " + Quote("Standard") + ", " + sex +
            ", " + variable + ", " + std::to_string(a) + ", " + std::to_string(a + 1) + ", " +
            PreventNumber(disease_->OutputSeries[v][s][a], window_.Decimals) + ")");
      }
    }
  }
  disease_.reset();
}

void Texportprevent::Finish() {
  transaction_->Commit();
  transaction_.reset();
  database_.reset();
  PutInPlace(temporary_, path_);
}

std::optional<std::string> ChooseExportFile(ExportWindowState& window, UserDialogs& dialogs) {
  if (window.Format == ExportFormat::kAccess) {
    dialogs.ShowError(kNotImplementedMessage);
    return std::nullopt;
  }
  const ExportFileKind kind = FileKindFor(window.Format);
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kSave;
  request.defaultExtension = kind.Extension;
  request.filter = kind.Filter;
  request.directory = window.LastFolder;
  auto path = dialogs.ChooseFile(request);
  if (!path) return std::nullopt;
  window.LastFolder = std::filesystem::path(*path).parent_path().string();
  // The Prevent database must exist already: it is written into, not replaced.
  const bool replaces = window.IsTableFormat();
  if (replaces && std::filesystem::exists(*path) &&
      dialogs.Message(OverwriteFileQuestion(*path), DialogKind::kConfirmation,
                      DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return std::nullopt;
  }
  return path;
}

bool SelectExportDiseases(ExportWindowState& window, TDataKavrel& data, UserDialogs& dialogs) {
  // In the order the export walks them: the diseases cursor's.
  std::vector<std::string> names;
  TableCursor& diseases = data.KavrelTable1();
  const std::int64_t current = diseases.Key();
  diseases.First();
  for (int k = 0; k < diseases.RecordCount(); ++k) {
    if (k > 0) diseases.Next();
    if (diseases.FieldBoolean("MOutput") || diseases.FieldBoolean("FOutput")) {
      names.push_back(diseases.FieldText("DiseaseName"));
    }
  }
  if (current > 0) diseases.Locate("InputId", std::to_string(current));
  const auto checked =
      dialogs.CheckList("Select diseases", names, std::vector<bool>(names.size(), false));
  if (!checked) return false;
  window.Selected = *checked;
  return true;
}

bool RunExport(const ExportWindowState& window, const Tagegrouplist& groups,
               const std::string& path, ExportContext& context) {
  if (window.Format == ExportFormat::kAccess) {
    context.Dialogs.ShowError(kNotImplementedMessage);
    return false;
  }
  TableCursor& diseases = context.Data.KavrelTable1();
  const int errorsBefore = context.Dialogs.ErrorsShown();
  std::unique_ptr<Texportgen> writer;
  switch (window.Format) {
    case ExportFormat::kPrevent:
      writer = std::make_unique<Texportprevent>(window, groups, context, path);
      break;
    case ExportFormat::kExcel:
      writer = std::make_unique<Texportxls>(window, groups, context, path);
      break;
    case ExportFormat::kXlsx:
      writer = std::make_unique<Texportxlsx>(window, groups, context, path);
      break;
    default:
      writer = std::make_unique<Texporttxt>(window, groups, context, path);
      break;
  }
  const std::int64_t current = diseases.Key();
  // The walk moves the diseases cursor; it returns to the disease that was current.
  struct Return {
    TableCursor& diseases;
    std::int64_t key;
    ~Return() {
      if (diseases.Active() && key > 0) diseases.Locate("InputId", std::to_string(key));
    }
  } returnAfter{diseases, current};
  bool nothingToExport = false;
  std::string readErrors;
  {
    // Every error of the walk in the one box below.
    UserDialogs::ErrorGroup errors(context.Dialogs, "Exporting the results");
    switch (window.Diseases) {
      case ExportDiseases::kCurrent:
        if (diseases.RecordCount() > 0) writer->ExportDisease();
        nothingToExport = !writer->HasOutput;
        break;
      case ExportDiseases::kAll:
      case ExportDiseases::kSelected: {
        int withOutput = 0;
        diseases.First();
        for (int k = 0; k < diseases.RecordCount(); ++k) {
          if (k > 0) diseases.Next();
          const bool hasOutput =
              diseases.FieldBoolean("MOutput") || diseases.FieldBoolean("FOutput");
          if (window.Diseases == ExportDiseases::kSelected) {
            if (!hasOutput) continue;
            const bool checked = std::find(window.Selected.begin(), window.Selected.end(),
                                           withOutput) != window.Selected.end();
            ++withOutput;
            if (!checked) continue;
          }
          writer->ExportDisease();
        }
        break;
      }
    }
    readErrors = errors.TakeSummary();
  }
  // A value that could not be read or written makes the whole export fail: the chosen file is
  // left as it was rather than holding zeros in the place of figures.
  if (const int errors = context.Dialogs.ErrorsShown() - errorsBefore; errors > 0) {
    context.Dialogs.ShowError(
        "Nothing was exported to " + fs::path(path).filename().string() + ": " +
        (readErrors.empty() ? std::to_string(errors) + " error" + (errors == 1 ? "" : "s") +
                                  " while the results were read or written."
                            : readErrors));
    return false;
  }
  if (nothingToExport) {
    context.Dialogs.ShowError(kNothingToExportMessage);
    return false;
  }
  writer->Finish();
  return true;
}

}  // namespace kavrel
