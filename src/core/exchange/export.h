#pragma once

// Export of results: the tables of one, all or selected diseases to a comma-delimited text file or
// a spreadsheet, or the output hazards to a database in the input format of the external model
// "Prevent". Files are written under a temporary name and put in place when complete.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/agesched/age_groups.h"
#include "core/base/vocabulary.h"
#include "core/results/result_table.h"
#include "core/store/database.h"

namespace kavrel {

class TDataKavrel;
class Tdisease;
class TwriteXLS;
class UserDialogs;

inline constexpr std::string_view kNothingToExportMessage =
    "Nothing to export! Choose \"Process\" first.";
inline constexpr std::string_view kNotImplementedMessage =
    "This format has not yet been implemented. Sorry.";
inline constexpr std::string_view kExportScheduleError =
    "Error reading preferred age schedule. Reverting to standard age \r\ngroups instead.";

// In the order of the window's choices (stored by position: new formats go last).
enum class ExportFormat { kPrevent, kAccess, kExcel, kCsv, kXlsx };
enum class ExportNumbers { kRates, kNumbers, kBoth };
enum class ExportDiseases { kCurrent, kAll, kSelected };

// The export window's controls.
struct ExportWindowState {
  ExportFormat Format = ExportFormat::kPrevent;
  ExportDiseases Diseases = ExportDiseases::kCurrent;
  ExportNumbers Numbers = ExportNumbers::kBoth;
  int RatesIndex = 0;  // "Rates per:", back at "1" whenever the window opens
  int Decimals = 4;
  // "Selected": checked positions among the diseases that have outputs, in table order.
  std::vector<int> Selected;
  // The folder of the last file exported to, where the file dialog opens the next time.
  std::string LastFolder;
  // "Include": each disease and sex followed by its stored sensitivity variants and uncertainty
  // summaries (the table formats).
  bool IncludeSensitivity = false;
  bool IncludeUncertainty = false;
  bool SelectEnabled() const { return Diseases == ExportDiseases::kSelected; }
  bool IsTableFormat() const {
    return Format == ExportFormat::kExcel || Format == ExportFormat::kCsv ||
           Format == ExportFormat::kXlsx;
  }
  bool ChangeAgeGroupsEnabled() const { return IsTableFormat(); }
};

// The file dialog of a format: default extension and filter.
struct ExportFileKind {
  std::string Extension;
  std::string Filter;
};
ExportFileKind FileKindFor(ExportFormat format);

// The age groups of a format: five-year groups ("Prevent", "5-year groups"), or for the table
// formats the preferred schedule `exportage` when it is not 0 ("User preference").
Tagegrouplist AgeGroupsForFormat(ExportFormat format, int exportage, TDataKavrel& data,
                                 UserDialogs& dialogs, int maxAge);

// "Choose file": the file dialog of the format and, for the spreadsheet and text formats, the
// question before an existing file is replaced. Nothing when the user cancelled; the access format
// is refused with its message.
// The dialog opens in the folder last exported to, which a chosen file makes the new one.
std::optional<std::string> ChooseExportFile(ExportWindowState& window, UserDialogs& dialogs);
// "Select": the diseases that have outputs, in table order, in the check list "Select diseases",
// all unchecked; the checked positions go to the window's Selected. False when cancelled.
bool SelectExportDiseases(ExportWindowState& window, TDataKavrel& data, UserDialogs& dialogs);

// The stored analyses' tables of a disease and sex: for each table the provider puts its columns
// in the list (whose rows stand) and calls write with the table's title.
using AnalysisTableWriter = std::function<void(const std::string& title)>;
using AnalysisTableProvider =
    std::function<void(const Tdisease& disease, int sex, bool sensitivity, bool uncertainty,
                       Tkolomlijst& list, const AnalysisTableWriter& write)>;

// What an export run works with.
struct ExportContext {
  TDataKavrel& Data;
  UserDialogs& Dialogs;
  int MaxAge;
  const std::array<Series, kSexCount>& PopulationNumbers;
  const std::array<Series, kSexCount>& AllCauseMortality;
  std::string Date;  // local short date and time, from the workspace's clock
  std::string Time;
  // The table formats' output incidence: hazards (true) or rates in the whole population, as the
  // view options' "Output rates" says. The Prevent format always holds hazards.
  bool HazardsOutput = false;
  // The analyses' tables for "Include" (none without it).
  AnalysisTableProvider AnalysisTables;
};

// The export run to a chosen file: the diseases walked as the window's choice says, from the
// diseases cursor (its current row for "Current disease"). False when nothing was exported (the
// user has been told why).
bool RunExport(const ExportWindowState& window, const Tagegrouplist& groups,
               const std::string& path, ExportContext& context);

// The export classes.
class Texportgen {
 public:
  Texportgen(const ExportWindowState& window, const Tagegrouplist& groups, ExportContext& context);
  virtual ~Texportgen();

  // Loads the cursor's current disease; false when it has no outputs.
  virtual bool LoadDisease();
  virtual void BuildColumns();
  virtual void WriteTable() = 0;
  // Loads the cursor's current disease and writes each sex that has outputs.
  virtual void ExportDisease();
  // Puts the finished file in place; false when it could not be completed.
  virtual void Finish() = 0;

  bool HasOutput = false;
  std::uint8_t Sex = kMales;

 protected:
  const ExportWindowState& window_;
  const Tagegrouplist& groups_;
  ExportContext& ctx_;
  std::unique_ptr<Tdisease> disease_;
  Tkolomlijst columns_;
  // The label of a table row as the screen writes it: the last row is "All ages".
  std::string RowLabel(std::size_t row) const {
    return row + 1 == columns_.Rows.size() ? std::string("All ages") : columns_.Rows[row].Label;
  }
  std::string title_;  // the analysis table being written ("" for the disease's own)
};

class Texportgengen : public Texportgen {
 public:
  using Texportgen::Texportgen;
  void WriteTable() override;
  virtual void WriteOneTable() = 0;
};

class Texporttxt final : public Texportgengen {
 public:
  Texporttxt(const ExportWindowState& window, const Tagegrouplist& groups, ExportContext& context,
             const std::string& path);
  ~Texporttxt() override;
  void WriteOneTable() override;
  void Finish() override;

 private:
  std::string path_;
  std::string temporary_;
  std::string text_;
};

class Texportxls final : public Texportgengen {
 public:
  Texportxls(const ExportWindowState& window, const Tagegrouplist& groups, ExportContext& context,
             const std::string& path);
  ~Texportxls() override;
  void WriteOneTable() override;
  void Finish() override;
  int RowCounter = 2;

 private:
  std::string path_;
  std::string temporary_;
  std::unique_ptr<TwriteXLS> xls_;
};

// The Excel 2007+ workbook: one worksheet per disease, its tables one below the other as in the
// 1997 format, numbers as numbers, captions bold, the age column and the first table's caption
// rows frozen.
class Texportxlsx final : public Texportgengen {
 public:
  Texportxlsx(const ExportWindowState& window, const Tagegrouplist& groups, ExportContext& context,
              const std::string& path);
  ~Texportxlsx() override;
  void WriteOneTable() override;
  void Finish() override;

 private:
  struct Book;
  std::string path_;
  std::string temporary_;
  std::unique_ptr<Book> book_;
};

class Texportprevent final : public Texportgen {
 public:
  Texportprevent(const ExportWindowState& window, const Tagegrouplist& groups,
                 ExportContext& context, const std::string& path);
  ~Texportprevent() override;
  bool LoadDisease() override;
  void ExportDisease() override;
  void WriteTable() override {}
  void Finish() override;

 private:
  int failedStatements_ = 0;
  void Run(const std::string& statement);
  std::string path_;
  std::string temporary_;
  std::unique_ptr<Database> database_;
  std::unique_ptr<Database::Transaction> transaction_;
};

}  // namespace kavrel
