#include "core/exchange/input_editor.h"

#include <algorithm>
#include <cstdio>

#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease_store.h"
#include "core/engine/input_checks.h"
#include "core/exchange/pasted_block.h"
#include "core/results/result_table.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"

namespace kavrel {

namespace {

constexpr std::string_view kUnitsTable = "InputUnits";

}  // namespace

int StoredRatesIndex(TDataKavrel& data, int inputId, int variable) {
  if (variable == kDuration || variable == kRRMortality) return 0;
  if (!data.DatasetHasTable(kUnitsTable)) return 0;
  auto rows = data.QueryDataset("select RatesIndex from " + std::string(kUnitsTable) +
                                " where InputId=" + std::to_string(inputId) +
                                " and Variable=" + std::to_string(variable));
  if (rows.RecordCount() == 0 || rows.IsNull(0)) return 0;
  return std::clamp(static_cast<int>(rows.AsInteger(0)), 0, 5);
}

namespace {

void WriteRatesIndex(Database& db, int inputId, int variable, int index) {
  const std::string table(kUnitsTable);
  db.Exec("create table if not exists " + table +
          " (InputId integer, Variable integer, RatesIndex integer)");
  db.Exec("delete from " + table + " where InputId=" + std::to_string(inputId) +
          " and Variable=" + std::to_string(variable));
  if (index <= 0 || variable == kDuration || variable == kRRMortality) return;
  db.Exec("insert into " + table + " values (" + std::to_string(inputId) + ", " +
          std::to_string(variable) + ", " + std::to_string(std::min(index, 5)) + ")");
}

}  // namespace

void StoreRatesIndex(TDataKavrel& data, int inputId, int variable, int index) {
  if (variable == kDuration || variable == kRRMortality) return;
  Database::Transaction transaction(data.Dataset());
  WriteRatesIndex(data.Dataset(), inputId, variable, index);
  transaction.Commit();
}

void WriteRatesIndexes(Database& db, int inputId, const std::array<int, kVariableCount>& indexes) {
  for (int v = 0; v < kVariableCount; ++v) WriteRatesIndex(db, inputId, v, indexes[v]);
}

void DeleteStoredRatesIndexes(TDataKavrel& data, int inputId) {
  if (!data.DatasetHasTable(kUnitsTable)) return;
  data.ExecDataset("delete from " + std::string(kUnitsTable) +
                   " where InputId=" + std::to_string(inputId));
}

InputEditor::InputEditor(Environment environment) : env_(std::move(environment)) {}

double InputEditor::Multiplier() const {
  return kRatesPerTable.at(static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5)));
}

std::string InputEditor::Shown(double value) const {
  return NumberText(value * Multiplier(), 9, env_.DecimalSeparator);
}

std::string InputEditor::Caption() const {
  return "Edit: " + env_.Disease.DiseaseName + " " +
         std::string(kVariableDisplayNames[env_.Variable]) + " input";
}

int InputEditor::CountColumn() const {
  return mode_ == Mode::kNormal && CountsDescribe(env_.Variable) ? 2 : 0;
}

int InputEditor::LowerColumn() const {
  if (mode_ != Mode::kNormal) return 0;
  return CountColumn() > 0 ? 4 : 2;
}

void InputEditor::FillGrid(int sex) {
  TextGrid& grid = Grid(sex);
  grid.Resize(2, 2);
  grid.ClearCells();
  grid.SetCell(0, 0, "Age");
  grid.SetCell(1, 0, "Value");
  if (CountColumn() > 0) {
    grid.SetCell(CountColumn(), 0, "Count");
    grid.SetCell(CountColumn() + 1, 0, "Denominator");
  }
  if (LowerColumn() > 0) {
    grid.SetCell(LowerColumn(), 0, "Lower");
    grid.SetCell(LowerColumn() + 1, 0, "Upper");
  }
  auto& records = env_.Disease.InputRows[env_.Variable][sex];
  if (records.empty() && env_.PreferredSchedule > 0) {
    FillFromSchedule(env_.CurrentAgeGroups, env_.Data, env_.PreferredSchedule, env_.MaxAge);
    for (const auto& g : env_.CurrentAgeGroups.Groups) {
      records.push_back({static_cast<std::int32_t>(records.size()),
                         static_cast<std::uint8_t>(sex),
                         g->Lage,
                         g->Hage,
                         0.0,
                         {}});
    }
  }
  for (std::size_t k = 0; k < records.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    grid.SetCell(0, row, GroupLabel(records[k].Lage, records[k].Hage, env_.MaxAge));
    grid.SetCell(1, row, Shown(records[k].Waarde));
    const InputPrecision& p = records[k].Precision;
    if (p.Type == InputPrecision::Kind::kCount && CountColumn() > 0) {
      grid.SetCell(CountColumn(), row, NumberText(p.Count, 12, env_.DecimalSeparator));
      grid.SetCell(CountColumn() + 1, row, NumberText(p.Denominator, 12, env_.DecimalSeparator));
    } else if (p.Type == InputPrecision::Kind::kInterval && LowerColumn() > 0) {
      grid.SetCell(LowerColumn(), row, Shown(p.Lower));
      grid.SetCell(LowerColumn() + 1, row, Shown(p.Upper));
    }
  }
}

std::optional<InputPrecision> InputEditor::RowPrecision(int sex, int row, double value) {
  TextGrid& grid = Grid(sex);
  InputPrecision precision;
  const auto refuse = [&](int column, const std::string& why) {
    grid.CurrentColumn = column;
    grid.CurrentRow = row;
    grid.Select(column, row, column, row);
    env_.Dialogs.ShowError(CellPlace(grid, sex == kMales ? "Men" : "Women", column, row) + ": " +
                           why);
    return std::optional<InputPrecision>();
  };
  for (const int first : {CountColumn(), LowerColumn()}) {
    if (first <= 0) continue;
    const std::string& a = grid.Cell(first, row);
    const std::string& b = grid.Cell(first + 1, row);
    if (a.find_first_not_of(' ') == std::string::npos &&
        b.find_first_not_of(' ') == std::string::npos) {
      continue;
    }
    const auto x = ReadCellNumber(a, env_.DecimalSeparator);
    const auto y = ReadCellNumber(b, env_.DecimalSeparator);
    if (!x || !y) {
      return refuse(x ? first + 1 : first, "give both " + grid.Cell(first, 0) + " and " +
                                               grid.Cell(first + 1, 0) +
                                               " as numbers, or leave both empty");
    }
    if (precision.Known()) return refuse(first, "give a count and denominator or an interval");
    if (first == CountColumn()) {
      precision.Type = InputPrecision::Kind::kCount;
      precision.Count = *x;
      precision.Denominator = *y;
    } else {
      precision.Type = InputPrecision::Kind::kInterval;
      precision.Lower = *x / Multiplier();
      precision.Upper = *y / Multiplier();
    }
  }
  if (auto problem = PrecisionProblem(env_.Variable, value, precision)) {
    return refuse(precision.Type == InputPrecision::Kind::kCount ? CountColumn() : LowerColumn(),
                  *problem);
  }
  return precision;
}

void InputEditor::Open(Mode mode) {
  mode_ = mode;
  Closed = false;
  env_.CurrentAgeGroups.Name = "Original";
  const int sex = env_.Disease.Sex;
  if (mode == Mode::kDataPoints) {
    env_.CurrentAgeGroups.Clear();
    for (const Tinputdat& row : env_.Disease.InputRows[env_.Variable][sex]) {
      env_.CurrentAgeGroups.Groups.push_back(
          std::make_unique<Tagegroup>(row.Lage, row.Hage, env_.MaxAge));
    }
    MenGrid.Enabled = sex == kMales;
    WomenGrid.Enabled = sex == kFemales;
    ApplyTo = sex;
    ApplyToEnabled = false;
    FillGrid(sex);
  } else {
    if (env_.Disease.InputId > 0) {
      RatesIndex = StoredRatesIndex(env_.Data, env_.Disease.InputId, env_.Variable);
    }
    MenGrid.Enabled = WomenGrid.Enabled = true;
    ApplyToEnabled = true;
    FillGrid(kMales);
    FillGrid(kFemales);
  }
  MarkSaved();
}

void InputEditor::MarkSaved() {
  savedMen_ = MenGrid;
  savedWomen_ = WomenGrid;
}

bool InputEditor::HasUnsavedChanges() const {
  return !Closed && (!MenGrid.SameCells(savedMen_) || !WomenGrid.SameCells(savedWomen_));
}

bool InputEditor::MayClose() {
  return env_.Dialogs.MayCloseWindow(
      HasUnsavedChanges(),
      std::string(kVariableDisplayNames[env_.Variable]) + " of " + env_.Disease.DiseaseName,
      [this] { return Save(); });
}

std::vector<int> InputEditor::ChosenSexes() const {
  if (ApplyTo == kBoth) return {kMales, kFemales};
  return {ApplyTo};
}

bool InputEditor::ValuesAllowed(int sex) {
  TextGrid& grid = Grid(sex);
  if (!grid.Enabled) return true;
  const std::string of = std::string(kVariableDisplayNames[env_.Variable]) + " of " +
                         env_.Disease.DiseaseName + " for " + std::string(kSexNames[sex]);
  for (int row = 1; row < grid.RowCount(); ++row) {
    if (grid.Cell(0, row).empty()) continue;
    const auto value = ReadCellNumber(grid.Cell(1, row), env_.DecimalSeparator);
    if (!value) continue;
    const std::string where = of + " at ages " + grid.Cell(0, row);
    if (auto refusal = CheckInputValue(env_.Variable, *value / Multiplier(), where)) {
      grid.CurrentColumn = 1;
      grid.CurrentRow = row;
      env_.Dialogs.ShowError(*refusal);
      return false;
    }
    if (!RowPrecision(sex, row, *value / Multiplier())) return false;
    // A value the model cannot reproduce is stored only when the user says so.
    if (auto warning = InputValueWarning(env_.Variable, *value / Multiplier(), where);
        warning && !warningAccepted_) {
      grid.CurrentColumn = 1;
      grid.CurrentRow = row;
      if (env_.Dialogs.Message(*warning + "\r\nSave it anyway?", DialogKind::kWarning,
                               DialogButton::kYes | DialogButton::kNo) != DialogButton::kYes) {
        return false;
      }
      warningAccepted_ = true;  // one question for the whole save
    }
  }
  return true;
}

std::string InputEditor::ChangedOnDiskQuestion() const {
  return std::string(kVariableDisplayNames[env_.Variable]) + " input of " +
         env_.Disease.DiseaseName +
         " was changed in the data set after this window read it (by another program or "
         "window).\r\nYes: overwrite it with the values here. No: read it again (the values here "
         "are dropped). Cancel: go back.";
}

void InputEditor::Reload(DiseaseStore& store) {
  Tdisease& d = env_.Disease;
  for (auto& rows : d.InputRows[env_.Variable]) rows.clear();
  const int sex = d.Sex;
  store.LoadInputFlags(d, env_.Variable);
  d.Sex = static_cast<std::uint8_t>(sex);
  FillGrid(kMales);
  FillGrid(kFemales);
  MarkSaved();
}

bool InputEditor::Save() {
  warningAccepted_ = false;
  Tdisease& d = env_.Disease;
  const int v = env_.Variable;
  if (mode_ == Mode::kDataPoints) {
    const int sex = d.Sex;
    if (!ValidateGrid(Grid(sex), 1, 1, env_.Dialogs, env_.DecimalSeparator,
                      sex == kMales ? "Men" : "Women"))
      return false;
    if (!ValuesAllowed(sex)) return false;
    for (std::size_t k = 0; k < env_.CurrentAgeGroups.Groups.size(); ++k) {
      const auto& g = *env_.CurrentAgeGroups.Groups[k];
      const auto value =
          ReadCellNumber(Grid(sex).Cell(1, static_cast<int>(k) + 1), env_.DecimalSeparator);
      for (int a = std::max(g.Lage, 0); a < g.Hage && a <= kHighestPossibleAge; ++a) {
        d.InputSeries[v][sex][a] = value.value_or(0.0) / Multiplier();
      }
    }
    d.ModelSeries[v][sex] = d.InputSeries[v][sex];
    MarkSaved();
    Closed = true;
    return true;
  }
  for (int sex : {kMales, kFemales}) {
    // The values must all be there; the precision columns may be left empty.
    if (!ValidateGrid(Grid(sex), 1, 1, env_.Dialogs, env_.DecimalSeparator,
                      sex == kMales ? "Men" : "Women", 1))
      return false;
    if (!ValuesAllowed(sex)) return false;
  }
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  // Another program (or window) may have saved this disease's inputs since this window read them:
  // the user chooses, nothing is overwritten unasked.
  if (store.InputsChangedOnDisk(d)) {
    const DialogButton answer =
        env_.Dialogs.Message(ChangedOnDiskQuestion(), DialogKind::kWarning,
                             DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
    if (answer == DialogButton::kNo) {
      Reload(store);
      return false;
    }
    if (answer != DialogButton::kYes) return false;
  }
  for (int sex : {kMales, kFemales}) {
    auto& records = d.InputRows[v][sex];
    for (std::size_t k = 0; k < records.size(); ++k) {
      const auto value =
          ReadCellNumber(Grid(sex).Cell(1, static_cast<int>(k) + 1), env_.DecimalSeparator);
      records[k].Waarde = value.value_or(0.0) / Multiplier();
      if (Grid(sex).Enabled) {
        records[k].Precision = RowPrecision(sex, static_cast<int>(k) + 1, records[k].Waarde)
                                   .value_or(InputPrecision{});
      }
    }
    store.StoreInput(d, v, sex);
  }
  MarkSaved();
  Closed = true;
  return true;
}

bool InputEditor::Paste(std::string_view clipboard, int focusedSex,
                        const std::function<int()>& chooseSex) {
  const int reference = focusedSex == kFemales || !MenGrid.Enabled ? kFemales : kMales;
  auto read = ReadPastedBlock(clipboard, GridAgeGroups(Grid(reference), env_.MaxAge), env_.MaxAge,
                              env_.DecimalSeparator);
  if (auto* refusal = std::get_if<std::string>(&read)) {
    env_.Dialogs.ShowError(*refusal);
    return false;
  }
  const PastedBlock& block = std::get<PastedBlock>(read);
  std::vector<std::pair<int, int>> targets;  // (block column, sex)
  // Beside the value, a grid may take its precision columns (Count, Denominator, Lower, Upper).
  const int gridColumns = LowerColumn() > 0 ? LowerColumn() + 1 : 1;
  const bool withPrecision = block.ValueColumns() >= 3 && block.ValueColumns() <= gridColumns;
  if (block.ValueColumns() == 1 || withPrecision) {
    int sex = focusedSex;
    if (sex != kMales && sex != kFemales) sex = chooseSex ? chooseSex() : -1;
    if (sex != kMales && sex != kFemales) return false;
    targets.emplace_back(0, sex);
  } else if (block.ValueColumns() == 2) {
    // Labels are matched against one grid: both must have the same groups.
    for (int row = 0; MenGrid.Enabled && WomenGrid.Enabled &&
                      row < std::max(MenGrid.RowCount(), WomenGrid.RowCount());
         ++row) {
      if (MenGrid.Cell(0, row) != WomenGrid.Cell(0, row)) {
        env_.Dialogs.ShowError(
            "The men's and the women's grids have different age groups: paste one column into "
            "each. Nothing was pasted.");
        return false;
      }
    }
    targets.emplace_back(block.WomenFirst ? 1 : 0, kMales);
    targets.emplace_back(block.WomenFirst ? 0 : 1, kFemales);
  } else {
    std::string refusal = "The pasted text has " + std::to_string(block.ValueColumns()) +
                          " columns of values; the input editor takes one (into the grid you "
                          "are in) or two (men, then women)";
    if (gridColumns >= 3) {
      refusal.append(", or the value with its precision in the grid's order (3 to ")
          .append(std::to_string(gridColumns))
          .append(" columns)");
    }
    refusal.append(
        ", each with or without a column of age labels before them. Nothing was pasted.");
    env_.Dialogs.ShowError(refusal);
    return false;
  }
  if (!block.Spans.empty()) {
    // Grids without groups take those of the pasted labels.
    for (auto [from, sex] : targets) {
      auto& records = env_.Disease.InputRows[env_.Variable][sex];
      records.clear();
      for (const AgeSpan& span : block.Spans) {
        records.push_back({static_cast<std::int32_t>(records.size()),
                           static_cast<std::uint8_t>(sex),
                           span.Lage,
                           span.Hage,
                           0.0,
                           {}});
      }
      env_.Disease.InputRowCount[env_.Variable][sex] = static_cast<std::int32_t>(records.size());
      FillGrid(sex);
    }
  }
  // Nothing changes unless every column fits.
  TextGrid men = MenGrid;
  TextGrid women = WomenGrid;
  if (focusedSex == kMales || focusedSex == kFemales) {
    men.CurrentRow = women.CurrentRow = Grid(focusedSex).CurrentRow;
  }
  for (auto [from, sex] : targets) {
    TextGrid& grid = sex == kMales ? men : women;
    if (!grid.Enabled) continue;
    const int columns = withPrecision ? block.ValueColumns() : 1;
    for (int k = 0; k < columns; ++k) {
      if (auto refusal = PlaceBlockColumn(block, from + k, grid, 1 + k)) {
        env_.Dialogs.ShowError(*refusal);
        return false;
      }
    }
  }
  MenGrid = std::move(men);
  WomenGrid = std::move(women);
  return true;
}

bool InputEditor::AskBeforeDestroying() {
  bool hasRecords = false;
  for (int sex : ChosenSexes()) hasRecords |= !env_.Disease.InputRows[env_.Variable][sex].empty();
  if (!hasRecords) return true;
  const DialogButton answer =
      env_.Dialogs.Message(kDestroyInputQuestion, DialogKind::kWarning,
                           DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
  if (answer == DialogButton::kCancel) return false;
  if (answer == DialogButton::kYes) StoreData();
  return true;
}

void InputEditor::Define() {
  if (!AskBeforeDestroying()) return;
  env_.CurrentAgeGroups.Clear();
  if (env_.RunAgeGroupEditor) env_.RunAgeGroupEditor();
  // No groups defined (the editor closed on an empty list): the input stays as it was rather
  // than being wiped.
  if (env_.CurrentAgeGroups.Groups.empty()) return;
  for (int sex : ChosenSexes()) {
    auto& records = env_.Disease.InputRows[env_.Variable][sex];
    records.clear();
    for (const auto& g : env_.CurrentAgeGroups.Groups) {
      records.push_back({static_cast<std::int32_t>(records.size()),
                         static_cast<std::uint8_t>(sex),
                         g->Lage,
                         g->Hage,
                         0.0,
                         {}});
    }
    env_.Disease.InputRowCount[env_.Variable][sex] = static_cast<std::int32_t>(records.size());
    FillGrid(sex);
  }
}

void InputEditor::Clear() {
  if (!AskBeforeDestroying()) return;
  for (int sex : ChosenSexes()) {
    env_.Disease.InputRows[env_.Variable][sex].clear();
    env_.Disease.InputRowCount[env_.Variable][sex] = 0;
    Grid(sex).Resize(2, 2);
    Grid(sex).ClearCells();
  }
}

void InputEditor::Delete() {
  // The values only: the age labels stay, so that a save insists on new values for every group
  // instead of storing zeros.
  for (int sex : ChosenSexes()) Grid(sex).ClearValues();
}

void InputEditor::StoreData() {
  std::vector<std::string> lines = {
      "Kavrel input, database " + env_.DatasetName, "Written " + env_.Date + ", " + env_.Time,
      env_.Disease.DiseaseName + " " + std::string(kVariableDisplayNames[env_.Variable]) + "*" +
          std::string(kRatesPerItems.at(static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5)))),
      "Males"};
  if (!env_.Storage.ReceiveGrid(MenGrid, true, lines, true, env_.Dialogs)) return;
  lines.back() = "Females";
  env_.Storage.ReceiveGrid(WomenGrid, true, lines, false, env_.Dialogs);
  if (env_.ShowStorage) env_.ShowStorage();
}

void InputEditor::SetRatesIndex(int index) {
  const double before = Multiplier();
  RatesIndex = std::clamp(index, 0, 5);
  // Stored values are shown again in the new unit; values typed and not saved yet are converted,
  // so that they stay what the user meant and still count as changes.
  for (int sex : {kMales, kFemales}) {
    TextGrid& grid = Grid(sex);
    TextGrid& saved = sex == kMales ? savedMen_ : savedWomen_;
    const auto& records = env_.Disease.InputRows[env_.Variable][sex];
    for (std::size_t k = 0; k < records.size(); ++k) {
      const int row = static_cast<int>(k) + 1;
      const InputPrecision& p = records[k].Precision;
      const bool interval = p.Type == InputPrecision::Kind::kInterval;
      // The value and an interval's limits are in the unit shown; counts are counts.
      const std::array<std::pair<int, double>, 3> columns = {
          std::pair<int, double>{1, records[k].Waarde},
          {LowerColumn(), interval ? p.Lower : 0.0},
          {LowerColumn() + 1, interval ? p.Upper : 0.0}};
      for (const auto& [column, value] : columns) {
        if (column < 1 || (column > 1 && LowerColumn() == 0)) continue;
        const std::string stored = column == 1 || interval ? Shown(value) : std::string();
        if (grid.Cell(column, row) == saved.Cell(column, row)) {
          grid.SetCell(column, row, stored);
        } else if (const auto typed =
                       ReadCellNumber(grid.Cell(column, row), env_.DecimalSeparator)) {
          grid.SetCell(column, row,
                       NumberText(*typed / before * Multiplier(), 9, env_.DecimalSeparator));
        }
        saved.SetCell(column, row, stored);
      }
    }
  }
  // The unit is kept with the disease for this variable; a data set opened read only keeps none
  // (the window still shows the values in it).
  if (mode_ == Mode::kNormal && env_.Disease.InputId > 0) {
    try {
      StoreRatesIndex(env_.Data, env_.Disease.InputId, env_.Variable, RatesIndex);
    } catch (const DatabaseError&) {
    }
  }
}

std::string InputEditor::UnitText() const {
  if (env_.Variable == kDuration) return "years";
  if (env_.Variable == kRRMortality) return "ratio";
  return RatesIndex == 0 ? "per person"
                         : "per " + std::string(kRatesPerItems.at(
                                        static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5))));
}

}  // namespace kavrel
