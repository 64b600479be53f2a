#include "core/exchange/population_window.h"

#include <algorithm>
#include <cstdio>

#include "core/agesched/age_groups.h"
#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/exchange/pasted_block.h"
#include "core/results/result_table.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

PopulationWindow::PopulationWindow(Environment environment) : env_(std::move(environment)) {}

std::vector<Tpopinputdat>& PopulationWindow::Groups() {
  return mode_ == kMortalityMode ? env_.Population.MortalityGroups
                                 : env_.Population.PopulationGroups;
}

std::string PopulationWindow::Caption() const {
  return mode_ == kMortalityMode ? "Total mortality" : "Population";
}

std::string PopulationWindow::TableName() const {
  return mode_ == kMortalityMode ? "TotalMortality" : "Population";
}

double PopulationWindow::Multiplier() const {
  return mode_ == kMortalityMode
             ? kRatesPerTable.at(static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5)))
             : 1.0;
}

std::string PopulationWindow::Shown(double value) const {
  if (mode_ == kMortalityMode) return NumberText(value * Multiplier(), 9, env_.DecimalSeparator);
  // Numbers of persons in full (a spread group may give fractions of a person).
  return NumberText(value, 15, env_.DecimalSeparator);
}

void PopulationWindow::Open(Mode mode) {
  mode_ = mode;
  view_ = kOriginal;
  typedGroups_.reset();
  ViewEnabled = true;
  Modified = false;
  // The age group editor starts from the window's groups.
  Tagegrouplist& current = env_.CurrentAgeGroups;
  current.Clear();
  current.Name = "Original";
  for (const Tpopinputdat& g : Groups()) {
    current.Groups.push_back(std::make_unique<Tagegroup>(g.Lage, g.Hage, env_.MaxAge));
  }
  Redraw();
}

void PopulationWindow::PreferredGroups() {
  ViewEnabled = false;
  Modified = true;
  Tagegrouplist& current = env_.CurrentAgeGroups;
  try {
    FillFromSchedule(current, env_.Data, env_.PreferredSchedule, env_.MaxAge);
  } catch (const DatabaseError&) {
    env_.Dialogs.ShowError(kPopulationScheduleError);
    return;
  }
  auto& groups = Groups();
  groups.clear();
  for (const auto& g : current.Groups) {
    groups.push_back({static_cast<int>(groups.size()), g->Lage, g->Hage, 0.0, 0.0});
  }
}

void PopulationWindow::Redraw() {
  Grid.Resize(3, 2);
  Grid.ClearCells();
  Grid.SetCell(0, 0, "Age");
  Grid.SetCell(1, 0, "Males");
  Grid.SetCell(2, 0, "Females");
  if (view_ == kInterpolated) {
    const auto& series = mode_ == kMortalityMode ? env_.Population.AllCauseMortality
                                                 : env_.Population.PopulationNumbers;
    Grid.Resize(3, env_.MaxAge + 2);
    for (int a = 0; a <= env_.MaxAge; ++a) {
      Grid.SetCell(0, a + 1, std::to_string(a) + (a == env_.MaxAge ? "+" : ""));
      Grid.SetCell(1, a + 1, Shown(series[kMales][a]));
      Grid.SetCell(2, a + 1, Shown(series[kFemales][a]));
    }
    return;
  }
  if (Groups().empty() && env_.PreferredSchedule > 0) PreferredGroups();
  const auto& groups = Groups();
  if (groups.empty()) return;  // one empty row
  Grid.Resize(3, static_cast<int>(groups.size()) + 1);
  for (std::size_t k = 0; k < groups.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    Grid.SetCell(0, row, GroupLabel(groups[k].Lage, groups[k].Hage, env_.MaxAge));
    Grid.SetCell(1, row, Shown(groups[k].Males));
    Grid.SetCell(2, row, Shown(groups[k].Females));
  }
}

void PopulationWindow::SetView(View view) {
  if (!ViewEnabled) return;
  // Values typed in the age groups and not yet saved wait while the single years are shown (those
  // are the stored figures), and come back with the groups.
  if (view_ == kOriginal && view != kOriginal) typedGroups_ = Grid;
  view_ = view;
  if (view_ == kOriginal && typedGroups_) {
    Grid = *typedGroups_;
    typedGroups_.reset();
    return;
  }
  Redraw();
}

void PopulationWindow::SetRatesIndex(int index) {
  RatesIndex = std::clamp(index, 0, 5);
  if (mode_ != kMortalityMode) return;
  // From memory: typed, unsaved values are replaced.
  if (view_ == kInterpolated) {
    Redraw();
    return;
  }
  const auto& groups = Groups();
  for (std::size_t k = 0; k < groups.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    Grid.SetCell(1, row, Shown(groups[k].Males));
    Grid.SetCell(2, row, Shown(groups[k].Females));
  }
}

void PopulationWindow::Reload() {
  if (env_.Data.QueryDataset("select * from " + TableName()).RecordCount() == 0) {
    // Nothing stored: empty groups, and no question about providing data from inside the window.
    Groups().clear();
    auto& series = mode_ == kMortalityMode ? env_.Population.AllCauseMortality
                                           : env_.Population.PopulationNumbers;
    for (auto& s : series) s.fill(mode_ == kMortalityMode ? 0.0 : 0.1);
    return;
  }
  if (mode_ == kMortalityMode) {
    LoadMortality(env_.Population, env_.Data, env_.Dialogs, env_.Log, env_.MaxAge);
  } else {
    LoadPopulation(env_.Population, env_.Data, env_.Dialogs, env_.MaxAge);
  }
}

bool PopulationWindow::Save() {
  // Single-year rows cannot be read back into the groups.
  if (view_ != kOriginal) return false;
  if (!ValidateGrid(Grid, 1, 1, env_.Dialogs, env_.DecimalSeparator)) return false;
  std::vector<Tpopinputdat> groups = Groups();
  for (std::size_t k = 0; k < groups.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    const double males = ReadCellNumber(Grid.Cell(1, row), env_.DecimalSeparator).value_or(0.0);
    const double females = ReadCellNumber(Grid.Cell(2, row), env_.DecimalSeparator).value_or(0.0);
    groups[k].Males = males / Multiplier();
    groups[k].Females = females / Multiplier();
  }
  // The first cell whose value fails the test becomes the current one and is named.
  const auto refuse = [&](auto test, const std::string& message) {
    for (std::size_t k = 0; k < groups.size(); ++k) {
      for (int column : {1, 2}) {
        if (!test(column == 1 ? groups[k].Males : groups[k].Females)) continue;
        const int row = static_cast<int>(k) + 1;
        Grid.CurrentColumn = column;
        Grid.CurrentRow = row;
        env_.Dialogs.ShowError(message + "\r\n" + CellPlace(Grid, {}, column, row));
        return true;
      }
    }
    return false;
  };
  if (mode_ == kMortalityMode &&
      refuse([](double v) { return v == 0.0; }, std::string(kMortalityZeroMessage))) {
    return false;
  }
  // A negative rate has no logarithm and a negative number of persons no meaning.
  if (refuse([](double v) { return v < 0.0; },
             Caption() + " input contains a negative value\r\nData not saved")) {
    return false;
  }
  const std::string table = TableName();
  if (env_.Data.QueryDataset("select * from " + table).RecordCount() > 0 &&
      env_.Dialogs.Message(Caption() + " data already exists. Overwrite?",
                           DialogKind::kConfirmation,
                           DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  // All or nothing: the old rows go only if every new one is written.
  {
    Database::Transaction transaction(env_.Data.Dataset());
    env_.Data.ExecDataset("delete * from " + table);
    for (const Tpopinputdat& g : groups) {
      env_.Data.ExecDataset(PopulationGroupInsert(table, g.Lage, g.Hage, g.Males, g.Females));
    }
    transaction.Commit();
  }
  Groups() = groups;
  if (Modified) {
    Modified = false;
    Reload();
  }
  ViewEnabled = true;
  return true;
}

void PopulationWindow::CancelChanges() {
  if (env_.Dialogs.Message(kCancelChangesQuestion, DialogKind::kConfirmation,
                           DialogButton::kYes | DialogButton::kNo) != DialogButton::kYes) {
    return;
  }
  if (env_.Data.QueryDataset("select * from " + TableName()).RecordCount() == 0) return;
  // Back to what is stored: "Define" and "Clear" changed the groups in memory too.
  Reload();
  Modified = false;
  ViewEnabled = true;
  Redraw();
}

void PopulationWindow::DeleteAll() {
  Grid.ClearValues();
  Modified = true;
}

bool PopulationWindow::AskBeforeDestroying() {
  const DialogButton answer =
      env_.Dialogs.Message(kDestroyInputQuestion, DialogKind::kWarning,
                           DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
  if (answer == DialogButton::kCancel) return false;
  if (answer == DialogButton::kYes) StoreData();
  return true;
}

void PopulationWindow::Define() {
  if (!AskBeforeDestroying()) return;
  ViewEnabled = false;
  Modified = true;
  env_.CurrentAgeGroups.Clear();
  if (env_.RunAgeGroupEditor) env_.RunAgeGroupEditor();
  // No groups defined: the groups stay as they were rather than being wiped.
  if (env_.CurrentAgeGroups.Groups.empty()) return;
  auto& groups = Groups();
  groups.clear();
  for (const auto& g : env_.CurrentAgeGroups.Groups) {
    groups.push_back({static_cast<int>(groups.size()), g->Lage, g->Hage, 0.0, 0.0});
  }
  Redraw();
}

void PopulationWindow::Clear() {
  if (!AskBeforeDestroying()) return;
  Groups().clear();
  Modified = true;
  Grid.Resize(3, 2);
  Grid.ClearValues(0, 1);
}

void PopulationWindow::StoreData() {
  std::vector<std::string> lines = {"Kavrel input, database " + env_.DatasetName,
                                    "Written " + env_.Date + ", " + env_.Time, Caption()};
  if (mode_ == kMortalityMode) {
    lines.push_back("Rates * " + std::string(kRatesPerItems.at(
                                     static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5)))));
  }
  if (!env_.Storage.ReceiveGrid(Grid, false, lines, true, env_.Dialogs)) return;
  if (env_.ShowStorage) env_.ShowStorage();
}

void PopulationWindow::ReadFile() {
  if (env_.Storage.ReadFile(env_.Dialogs) && env_.ShowStorage) env_.ShowStorage();
}

bool PopulationWindow::Paste(std::string_view clipboard) {
  if (!GridEditable()) return false;
  auto read = ReadPastedBlock(clipboard, GridAgeGroups(Grid, env_.MaxAge), env_.MaxAge,
                              env_.DecimalSeparator);
  if (auto* refusal = std::get_if<std::string>(&read)) {
    env_.Dialogs.ShowError(*refusal);
    return false;
  }
  const PastedBlock& block = std::get<PastedBlock>(read);
  const int columns = block.ValueColumns();
  const int first = columns == 2 ? 1 : std::clamp(Grid.CurrentColumn, 1, 2);
  if (columns > 2) {
    env_.Dialogs.ShowError("The pasted text has " + std::to_string(columns) +
                           " columns of values; this grid takes one or two (males, females), "
                           "with or without a column of age labels before them. Nothing was "
                           "pasted.");
    return false;
  }
  if (!block.Spans.empty()) {
    // A grid without groups takes those of the pasted labels.
    auto& groups = Groups();
    groups.clear();
    for (const AgeSpan& span : block.Spans) {
      groups.push_back({static_cast<int>(groups.size()), span.Lage, span.Hage, 0.0, 0.0});
    }
    Redraw();
    ViewEnabled = false;
  }
  TextGrid grid = Grid;
  for (int k = 0; k < columns; ++k) {
    const int from = columns == 2 && block.WomenFirst ? 1 - k : k;
    if (auto refusal = PlaceBlockColumn(block, from, grid, first + k)) {
      env_.Dialogs.ShowError(*refusal);
      return false;
    }
  }
  Grid = std::move(grid);
  Modified = true;
  return true;
}

bool PopulationWindow::Close() {
  const bool discard = Modified;
  if (!env_.Dialogs.MayCloseWindow(Modified, Caption(), [this] { return Save(); })) return false;
  ViewEnabled = true;
  if (discard && Modified) {
    // The changes go: the series come again from what is stored.
    Modified = false;
    Reload();
  }
  return true;
}

}  // namespace kavrel
