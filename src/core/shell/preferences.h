#pragma once

// Preference sets: the option windows' choices and the display settings of the other windows,
// kept in memory in four settings objects and saved under a name in the open collection.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/vocabulary.h"
#include "core/engine/calc_settings.h"
#include "core/results/view_options.h"

namespace kavrel {

class TDataKavrel;
class UserDialogs;
struct SimplexSettings;
struct AnalysisOptionsState;
struct CalcOptionsWindowState;
struct ExportWindowState;
struct FitOptionsWindowState;

// The windows whose controls the settings objects fill and read.
struct PreferenceWindows {
  ViewOptionsState& View;
  CalcOptionsWindowState& Calc;
  SimplexSettings& Simplex;
  FitOptionsWindowState& Fit;
  AnalysisOptionsState& Analysis;
  ExportWindowState& Export;
  DisplaySettings& Input;
  DisplaySettings& Population;
  DisplaySettings& Pattern;
  DisplaySettings& Uncertainty;
};

namespace prefs {

// One column of a settings table bound to a value of its object.
struct Column {
  enum class Kind { kInteger, kLogical, kText, kColour };
  std::string_view Name;
  Kind Type;
  void* Value;
};

class SettingsObject {
 public:
  virtual ~SettingsObject() = default;
  virtual void SetDefaults() = 0;
  virtual void ShowInWindows(PreferenceWindows& windows) const = 0;
  virtual void TakeFromWindows(const PreferenceWindows& windows) = 0;
  // The table and its columns after the set's number, in the table's order.
  virtual std::string_view Table() const = 0;
  virtual std::vector<Column> Columns() = 0;
  // Reads the set's row; false when there is none (the values stay). A stored number that is not
  // a number raises DatabaseError.
  bool LoadFromTable(TDataKavrel& data, int prefId);
  void SaveToTable(TDataKavrel& data, int prefId);
};

class Ttablesettings final : public SettingsObject {
 public:
  Ttablesettings() { SetDefaults(); }
  void SetDefaults() override;
  void ShowInWindows(PreferenceWindows& windows) const override;
  void TakeFromWindows(const PreferenceWindows& windows) override;
  std::string_view Table() const override { return "TablePrefs"; }
  std::vector<Column> Columns() override;

  // input, process (view options), export, population, pattern, uncertainty
  std::array<int, 6> Age{};
  std::array<int, 6> Rates{};
  std::array<int, 6> Decimals{};
  bool ProcessNumbers = false;
  bool ProcessHazards = true;
  std::array<bool, kVariableCount> InputVisible{};
  std::array<bool, kVariableCount + 1> OutputVisible{};
  int ExportNumbers = 2;
};

class Tgraphsettings final : public SettingsObject {
 public:
  Tgraphsettings() { SetDefaults(); }
  void SetDefaults() override;
  void ShowInWindows(PreferenceWindows& windows) const override;
  void TakeFromWindows(const PreferenceWindows& windows) override;
  std::string_view Table() const override { return "GraphPrefs"; }
  std::vector<Column> Columns() override;

  ViewOptionsState Graphs;  // only the graph fields are used
};

class Tcalcsettings final : public SettingsObject {
 public:
  Tcalcsettings() { SetDefaults(); }
  void SetDefaults() override;
  void ShowInWindows(PreferenceWindows& windows) const override;
  void TakeFromWindows(const PreferenceWindows& windows) override;
  std::string_view Table() const override { return "CalcPrefs"; }
  std::vector<Column> Columns() override;

  // The calculation options the windows start from, in the same row type as a disease's stored
  // options (its trends' "Apply" has no column here and is not used).
  CalcSettingsRecord Options;
  bool Graphopen = true, Tableopen = false;
  bool MaxIterWarn = true, AdditIter = false;
  int FitReport = 10;  // percent
};

class Tfitsenssettings final : public SettingsObject {
 public:
  explicit Tfitsenssettings(int maxAge = 100) : maxAge_(maxAge) { SetDefaults(); }
  void SetDefaults() override;
  void ShowInWindows(PreferenceWindows& windows) const override;
  void TakeFromWindows(const PreferenceWindows& windows) override;
  std::string_view Table() const override { return "FitSensPrefs"; }
  std::vector<Column> Columns() override;
  void SetMaxAge(int maxAge) { maxAge_ = maxAge; }

  int FitOp = 0, PolyOrder = 2;
  bool AddLow = true, AddHigh = true;
  int AgeLow = 0, AgeHigh = 95;
  std::string ValueLow = "Default", ValueHigh = "Default";
  int MaPeriod = 5;
  int AgeRangeLow = 0, AgeRangeHigh = 100;
  std::string Varco = "0.1";
  bool InputVarco = false;
  int Rng = 5;

 private:
  int maxAge_;
};

}  // namespace prefs

inline constexpr std::string_view kCannotSaveDefaults = "You cannot save the default settings";
inline constexpr std::string_view kOverwriteCurrentSet =
    "Do you want to overwrite the current preferences set?";
inline constexpr std::string_view kDuplicatePreferenceName =
    "A preference set with this name already exists";

class Tpreferences {
 public:
  explicit Tpreferences(int maxAge = 100) : FitSens(maxAge) {}

  int PrefID = 0;
  std::string Name = "Preset";
  prefs::Ttablesettings Table;
  prefs::Tgraphsettings Graph;
  prefs::Tcalcsettings Calc;
  prefs::Tfitsenssettings FitSens;

  void ShowInWindows(PreferenceWindows& windows) const;
  void TakeFromWindows(const PreferenceWindows& windows);

  // "Save" under the edit's name, in one transaction; false when refused or cancelled.
  bool Save(const std::string& name, PreferenceWindows& windows, TDataKavrel& data,
            UserDialogs& dialogs);
  // "Read": the set chosen from "Saved preference sets"; false when none was chosen or the set
  // could not be read (the current settings then stay as they were).
  bool Read(PreferenceWindows& windows, TDataKavrel& data, UserDialogs& dialogs);
  // "Delete": the set chosen, after the question, in one transaction.
  bool Delete(TDataKavrel& data, UserDialogs& dialogs);
  // "Restore": "Preset" and the defaults.
  void Restore(PreferenceWindows& windows);
  // An "Age groups" button (0 input, 1 output, 2 export, 3 population, 4 pattern,
  // 5 uncertainty): the chosen schedule's number, 0 when none is chosen.
  void ChooseAgeGroups(int which, TDataKavrel& data, UserDialogs& dialogs);

 private:
  std::array<prefs::SettingsObject*, 4> Objects() { return {&Table, &Graph, &Calc, &FitSens}; }
  void DeleteSet(TDataKavrel& data, int prefId);
};

}  // namespace kavrel
