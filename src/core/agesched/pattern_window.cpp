#include "core/agesched/pattern_window.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/agesched/age_groups.h"
#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/store/database.h"

namespace kavrel {

PatternWindow::PatternWindow(Environment environment) : env_(std::move(environment)) {}

namespace {

// The age groups of the grid's label column as GroupLabel writes them ("0-4", "5", "85+");
// nothing when a label is not one of those.
std::optional<std::vector<Tpatinputdat>> ShownGroups(const TextGrid& grid, int maxAge) {
  std::vector<Tpatinputdat> groups;
  for (int row = 1; row < grid.RowCount(); ++row) {
    const std::string label = grid.Cell(0, row);
    int low = 0;
    int high = 0;
    char sign = '\0';
    int used = 0;
    Tpatinputdat group{static_cast<int>(groups.size()), 0, 0, 0.0};
    if (std::sscanf(label.c_str(), "%d-%d%n", &low, &high, &used) == 2 &&
        used == static_cast<int>(label.size()) && high >= low) {
      group.Lage = low;
      group.Hage = high + 1;
    } else if (std::sscanf(label.c_str(), "%d%c%n", &low, &sign, &used) == 2 && sign == '+' &&
               used == static_cast<int>(label.size())) {
      group.Lage = low;
      group.Hage = maxAge + 1;
    } else if (std::sscanf(label.c_str(), "%d%n", &low, &used) == 1 &&
               used == static_cast<int>(label.size())) {
      group.Lage = low;
      group.Hage = low + 1;
    } else {
      return std::nullopt;
    }
    groups.push_back(group);
  }
  if (groups.empty()) return std::nullopt;
  return groups;
}

}  // namespace

double PatternWindow::Multiplier() const {
  return kRatesPerTable.at(static_cast<std::size_t>(std::clamp(RatesIndex, 0, 5)));
}

void PatternWindow::ShowPattern(bool valuesInFull) {
  Grid = TextGrid(2, std::max<int>(2, static_cast<int>(Pattern.size()) + 1));
  Grid.SetCell(0, 0, "Age");
  Grid.SetCell(1, 0, "Rate");
  for (std::size_t k = 0; k < Pattern.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    Grid.SetCell(0, row, GroupLabel(Pattern[k].Lage, Pattern[k].Hage, env_.MaxAge));
    Grid.SetCell(
        1, row,
        NumberText(Pattern[k].Value * Multiplier(), valuesInFull ? 15 : 9, env_.DecimalSeparator));
  }
  shown_ = Grid;
}

void PatternWindow::Open() {
  env_.CurrentAgeGroups.Name.clear();
  DefineEnabled = false;
  Names = PatternNames(env_.Data);
  Pattern.clear();
  if (!Names.empty()) {
    NameEdit = Names.front();
    Pattern = LoadPattern(env_.Data, NameEdit);
  }
  ShowPattern();
}

void PatternWindow::Choose(const std::string& name) {
  NameEdit = name;
  Pattern = LoadPattern(env_.Data, name);
  ShowPattern();
}

void PatternWindow::NewItem() {
  DefineEnabled = true;
  NameEdit = "New Age Pattern Name";
  Pattern.clear();
  if (env_.PreferredSchedule > 0) {
    try {
      FillFromSchedule(env_.CurrentAgeGroups, env_.Data, env_.PreferredSchedule, env_.MaxAge);
      for (const auto& g : env_.CurrentAgeGroups.Groups) {
        Pattern.push_back({static_cast<int>(Pattern.size()), g->Lage, g->Hage, 0.0});
      }
    } catch (const DatabaseError&) {
      env_.Dialogs.ShowError(kPatternScheduleError);
    }
  }
  ShowPattern(true);
}

void PatternWindow::Define() {
  env_.CurrentAgeGroups.Clear();
  if (env_.RunAgeGroupEditor) env_.RunAgeGroupEditor();
  Pattern.clear();
  for (const auto& g : env_.CurrentAgeGroups.Groups) {
    Pattern.push_back({static_cast<int>(Pattern.size()), g->Lage, g->Hage, 0.0});
  }
  ShowPattern(true);
}

bool PatternWindow::SaveItem() {
  // The refusals of an empty or listed name (in SavePattern) come before the grid's check.
  if (!NameEdit.empty() && std::find(Names.begin(), Names.end(), NameEdit) == Names.end() &&
      !ValidateGrid(Grid, 1, 1, env_.Dialogs, env_.DecimalSeparator)) {
    return false;
  }
  // The groups the grid shows (a pasted block with its own labels relabels the grid), each with
  // its value; an open top group is stored as open, so that it reads back open in a data set of any
  // highest age.
  if (auto shown = ShownGroups(Grid, env_.MaxAge)) Pattern = std::move(*shown);
  std::vector<Tpatinputdat> groups = Pattern;
  for (std::size_t k = 0; k < groups.size(); ++k) {
    groups[k].Value =
        ReadNumberText(Grid.Cell(1, static_cast<int>(k) + 1), env_.DecimalSeparator).value_or(0.0);
    if (groups[k].Hage >= env_.MaxAge + 1) groups[k].Hage = kOpenTopHage;
  }
  if (!SavePattern(env_.Data, env_.Dialogs, NameEdit, groups, Multiplier())) return false;
  for (std::size_t k = 0; k < groups.size(); ++k) Pattern[k].Value = groups[k].Value / Multiplier();
  DefineEnabled = false;
  Names.push_back(NameEdit);
  return true;
}

bool PatternWindow::DeleteItem(const std::string& selected) {
  if (!DeletePattern(env_.Data, env_.Dialogs, selected)) return false;
  Names.erase(std::remove(Names.begin(), Names.end(), selected), Names.end());
  NameEdit.clear();
  Pattern.clear();
  ShowPattern();
  return true;
}

void PatternWindow::StoreData() {
  const std::vector<std::string> lines = {"Kavrel input, database " + env_.DatasetName,
                                          "Written " + env_.Date + ", " + env_.Time, NameEdit};
  if (env_.SendToStorage) env_.SendToStorage(Grid, true, lines, true);
}

void PatternWindow::SetRatesIndex(int index) {
  // What was typed is kept: read in the old unit, shown in the new one.
  const bool typed = HasUnsavedChanges();
  std::vector<std::string> cells;
  for (std::size_t k = 0; k < Pattern.size(); ++k) {
    cells.push_back(Grid.Cell(1, static_cast<int>(k) + 1));
  }
  const double before = Multiplier();
  RatesIndex = std::clamp(index, 0, 5);
  if (!typed) {
    ShowPattern(DefineEnabled);
    return;
  }
  for (std::string& cell : cells) {
    if (const auto value = ReadNumberText(cell, env_.DecimalSeparator)) {
      cell = NumberText(*value / before * Multiplier(), 15, env_.DecimalSeparator);
    }
  }
  ShowPattern(true);
  for (std::size_t k = 0; k < cells.size(); ++k) Grid.SetCell(1, static_cast<int>(k) + 1, cells[k]);
}

bool PatternWindow::MayClose() {
  return env_.Dialogs.MayCloseWindow(HasUnsavedChanges(), "the age pattern " + NameEdit,
                                     [this] { return SaveItem(); });
}

}  // namespace kavrel
