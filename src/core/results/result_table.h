#pragma once

// Result tables: single-year series of one disease and sex summarised by age group, one column
// per variable, each column with its own rule (population-weighted means for rates, sums for
// numbers, means weighted by prevalent cases for remission and case fatality, ...).

#include <array>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/vocabulary.h"

namespace kavrel {

struct Tagegrouplist;
class Tdisease;

// One cell of a value column.
struct Teencel {
  double Value = 0.0;
  std::string Text;
  // The figure the text shows, before rounding (times the rates multiplier where it applies);
  // not a number where the text is no figure ("NA").
  double Shown = std::numeric_limits<double>::quiet_NaN();
};

// A cell's figure for a file, with the table's decimals, but a figure that is not 0 is never
// written as 0: where the decimals would round it away it is written with four significant digits
// (0.00002345 at 4 decimals is "2.345e-05").
std::string ExportText(const Teencel& cell, int decimals);

// One row of the age column.
struct Tkolages {
  std::uint8_t Sex = kMales;
  int Lage = 0;
  int Hage = 0;  // first age after the row
  double PopTotal = 0.0;
  std::string Label;
};

// What the columns read besides their series: the population by sex and age, all-cause
// mortality (for the age of onset above the top age), the highest age, and whether the disease's
// incidence is a hazard.
struct TableEnvironment {
  const std::array<Series, kSexCount>& PopulationNumbers;
  const std::array<Series, kSexCount>& AllCauseMortality;
  int MaxAge;
  bool IncidenceIsHazard = true;
};

class Tkolomlijst;

class Tkolom {
 public:
  explicit Tkolom(std::string caption) : Caption(std::move(caption)) {}
  virtual ~Tkolom() = default;
  virtual void ClearCells() {}
  std::string Caption;
};

class Tkolomnew : public Tkolom {
 public:
  // Appends itself to the list and makes its cells.
  Tkolomnew(Tkolomlijst& list, bool visible, bool ratesApply, bool numbersAllowed,
            const Series* series, std::string caption, std::string group);
  void ClearCells() override { Cells.clear(); }
  virtual void SetHazardMode(bool /*hazards*/) {}
  virtual void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                           int ratesIndex);
  void MakeCells(std::size_t rows) { Cells.assign(rows, Teencel{}); }

  std::string Group;
  std::string UnitSuffix;
  // A variable that is no rate shows its own unit (" (years)", " (ratio)") instead of " (rates)".
  std::string FixedUnit;
  const Series* SeriesData;
  bool NumbersAllowed;
  bool RatesApply;
  bool Visible;
  bool ShowingNumbers = false;
  std::vector<Teencel> Cells;

 protected:
  // The rates/numbers suffix of the current mode.
  std::string RatesOrNumbersSuffix(int ratesIndex) const;
  void SetNumber(Teencel& cell, double sum) const;
  void SetRate(Teencel& cell, double rate, bool multiply, int decimals, int ratesIndex) const;
};

class Tkolomnewhaz : public Tkolomnew {
 public:
  using Tkolomnew::Tkolomnew;
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
};

class Tkolomnewplus : public Tkolomnew {
 public:
  Tkolomnewplus(Tkolomlijst& list, bool visible, bool ratesApply, bool numbersAllowed,
                const Series* weights, const Series* series, std::string caption, std::string group)
      : Tkolomnew(list, visible, ratesApply, numbersAllowed, series, std::move(caption),
                  std::move(group)),
        Weights(weights) {}
  const Series* Weights;
};

class Tkolomnewinci : public Tkolomnewplus {
 public:
  // hazards: the view options' "Output rates" is "Hazards".
  Tkolomnewinci(Tkolomlijst& list, bool visible, bool ratesApply, bool numbersAllowed,
                const Series* weights, const Series* series, std::string caption, std::string group,
                bool hazards)
      : Tkolomnewplus(list, visible, ratesApply, numbersAllowed, weights, series,
                      std::move(caption), std::move(group)),
        Hazards(hazards) {}
  void SetHazardMode(bool hazards) override { Hazards = hazards; }
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
  bool Hazards;
};

class Tkolomnewremicfat : public Tkolomnewplus {
 public:
  using Tkolomnewplus::Tkolomnewplus;
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
};

class Tkolomnewdurarrmort : public Tkolomnewplus {
 public:
  using Tkolomnewplus::Tkolomnewplus;
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
};

class Tkolomnewdura final : public Tkolomnewdurarrmort {
 public:
  using Tkolomnewdurarrmort::Tkolomnewdurarrmort;
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
};

class Tkolomnewrrmort final : public Tkolomnewdurarrmort {
 public:
  using Tkolomnewdurarrmort::Tkolomnewdurarrmort;
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
};

class Tkolomnewonset final : public Tkolomnewplus {
 public:
  using Tkolomnewplus::Tkolomnewplus;
  void Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                   int ratesIndex) override;
};

// The list of columns: the age column (its rows) and the value columns in the order added.
class Tkolomlijst {
 public:
  explicit Tkolomlijst(const TableEnvironment& environment) : Env(environment) {}

  TableEnvironment Env;
  Tkolom AgeColumn{"Age"};
  std::vector<Tkolages> Rows;  // the age groups, then "All ages"
  std::vector<std::unique_ptr<Tkolomnew>> Columns;

  // Rows from an age group list for a sex: one per group, then "All ages" from 0 to the last
  // group's end. Every column's cells are made anew.
  void BuildRows(const Tagegrouplist& groups, int sex);
  // Keeps only the age column, emptied.
  void Clear();
  void Recalculate(bool ratesWanted, int decimals, int ratesIndex);
  void SetHazardMode(bool hazards);
};

// Which input columns a table shows: the processing window's (own input or taken from output, on
// InputSeries), the export's and the inspection window's adjusted ones (Processed, on
// InputSeries), or the inspection window's original ones (own input, on ModelSeries).
enum class InputColumns { kProcessing, kAdjusted, kOriginal };

// Visibility of the standard columns: inputs by variable, outputs by variable and age of onset.
struct ColumnVisibility {
  std::array<bool, kVariableCount> Input = {true, true, true, true, true, true, true};
  std::array<bool, kVariableCount + 1> Output = {true, true, true, true, true, true, true, true};
  // Each output followed by its lower and upper limit ("Prevalence lower", ...), where the
  // result has intervals. A group's limit is summarised as its output is (the years of a group
  // taken to move together, as they nearly do: they share the fitted curves).
  bool Limits = false;
};

// The standard column set of a disease and sex: input columns (group "Input"), then, when the
// sex has results, the output columns (group "Output", with their limits when asked and present)
// and "Age of onset".
void AddStandardColumns(Tkolomlijst& list, const Tdisease& disease, int sex, InputColumns inputs,
                        const ColumnVisibility& visible, bool hazards);

// What a table window asks for: rates or numbers, decimals, the "Rates per:" item, output
// incidence as hazards or as rates in the whole population, and its own age groups ("Define"; null:
// the tables' groups).
struct TableRequest {
  bool Numbers = false;
  int Decimals = 4;
  int RatesIndex = 0;
  bool Hazards = false;
  const Tagegrouplist* Groups = nullptr;
  // Each output followed by its lower and upper limit, where the result has intervals.
  bool Limits = false;
};

// "&Print": the page header and the two blocks as data.
struct PrintBlock {
  std::string Title;
  std::vector<std::string> Labels;
  std::vector<std::vector<std::string>> Columns;  // caption, suffix, then cells
};
struct PrintLayout {
  std::vector<std::string> PageHeader;
  PrintBlock Inputs;   // up to seven columns of the first column's group
  PrintBlock Outputs;  // up to eight of the rest
};

// The table as text, as the grid shows it.
struct TableText {
  std::vector<std::string> Groups;   // the heading above each column ("" for the age column)
  std::vector<std::string> Headers;  // "Age", then caption + suffix per visible column
  std::vector<std::vector<std::string>> Rows;  // labels and cells; a blank row before "All ages"
  std::vector<int> Decimals;                   // display decimals per column
  int Sex = kMales;
  PrintLayout Print;  // every column, visible or not, in the printed blocks (no page header)
};
TableText BuildTableText(const Tkolomlijst& list, int decimals);
// The groups a table is built on: the window's own, else the tables' groups, else five-year
// groups.
Tagegrouplist ChooseTableGroups(const TableRequest& request, const Tagegrouplist* tableGroups,
                                int maxAge);
// Sets the incidence mode, recalculates for the request and returns the text.
TableText RecalculateTable(Tkolomlijst& list, const TableRequest& request);

// The window caption: base + " (Numbers)", " (Rates * 10,000)" or " (Rates)".
std::string TableCaption(std::string_view base, bool numbers, int ratesIndex);
inline constexpr std::array<std::string_view, 6> kRatesPerItems = {
    "1", "100", "1000", "10,000", "100,000", "1,000,000"};

// "S&tore data": the three header lines.
std::vector<std::string> StoreDataLines(std::string_view datasetName, std::string_view caption,
                                        int sex, std::string_view date, std::string_view time);

// "&Print": the page header and the two blocks.
std::vector<std::string> PrintPageHeader(std::string_view datasetName, std::string_view caption,
                                         std::string_view date, std::string_view time);
PrintLayout BuildPrintLayout(const Tkolomlijst& list, std::string_view datasetName,
                             std::string_view caption, std::string_view date,
                             std::string_view time);

// The output incidence of a sex both ways, as the incidence columns convert it: the hazard among
// those without the disease, and the rate in the whole population ((1 - prevalence) x hazard).
Series OutputIncidenceHazard(const Tdisease& disease, int sex);
Series OutputIncidencePopulationRate(const Tdisease& disease, int sex);

// Five-year groups 0-4, 5-9, ... with the last open: the default table and export groups.
Tagegrouplist FiveYearGroups(int maxAge, std::string name);

}  // namespace kavrel
