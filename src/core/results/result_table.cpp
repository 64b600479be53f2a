#include "core/results/result_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/agesched/age_groups.h"
#include "core/engine/disease.h"

namespace kavrel {

namespace {

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// Numbers are rounded to the nearest whole number, halves to even.
std::string Whole(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.0f", std::nearbyint(value));
  return buffer;
}

std::string RatesSuffix(int ratesIndex) {
  if (ratesIndex <= 0) return " (rates)";
  return " (rates * " + std::to_string(kRatesPerTable.at(static_cast<size_t>(ratesIndex))) + ")";
}

const Series& Population(const Tkolomlijst& list, const Tkolages& row) {
  return list.Env.PopulationNumbers[row.Sex];
}

int LastAge(const Tkolages& row) { return std::min(row.Hage - 1, kHighestPossibleAge); }

}  // namespace

Tkolomnew::Tkolomnew(Tkolomlijst& list, bool visible, bool ratesApply, bool numbersAllowed,
                     const Series* series, std::string caption, std::string group)
    : Tkolom(std::move(caption)),
      Group(std::move(group)),
      SeriesData(series),
      NumbersAllowed(numbersAllowed),
      RatesApply(ratesApply),
      Visible(visible) {
  MakeCells(list.Rows.size());
}

std::string Tkolomnew::RatesOrNumbersSuffix(int ratesIndex) const {
  return ShowingNumbers ? " (numbers)" : RatesSuffix(ratesIndex);
}

std::string ExportText(const Teencel& cell, int decimals) {
  if (!std::isfinite(cell.Shown) || cell.Shown == 0.0) return cell.Text;
  const double limit = 0.5 * std::pow(10.0, -std::max(decimals, 0));
  if (std::fabs(cell.Shown) >= limit) return cell.Text;
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", cell.Shown);
  return text;
}

void Tkolomnew::SetNumber(Teencel& cell, double sum) const {
  cell.Value = sum;
  cell.Shown = sum;
  cell.Text = Whole(sum);
}

void Tkolomnew::SetRate(Teencel& cell, double rate, bool multiply, int decimals,
                        int ratesIndex) const {
  cell.Value = rate;
  const double shown =
      multiply ? rate * kRatesPerTable.at(static_cast<size_t>(std::clamp(ratesIndex, 0, 5))) : rate;
  cell.Shown = shown;
  cell.Text = Fixed(shown, decimals);
}

void Tkolomnew::Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                            int ratesIndex) {
  ShowingNumbers = !ratesWanted && NumbersAllowed;
  UnitSuffix = RatesOrNumbersSuffix(ratesIndex);
  const Series& v = *SeriesData;
  for (std::size_t r = 0; r < columns.Rows.size(); ++r) {
    const Tkolages& row = columns.Rows[r];
    const Series& p = Population(columns, row);
    double sum = 0.0;
    for (int a = row.Lage; a <= LastAge(row); ++a) sum += v[a] * p[a];
    if (ShowingNumbers) {
      SetNumber(Cells[r], sum);
    } else if (row.PopTotal == 0.0) {
      Cells[r] = {0.0, "NA", std::numeric_limits<double>::quiet_NaN()};  // no people: no rate
    } else {
      SetRate(Cells[r], sum / row.PopTotal, RatesApply, decimals, ratesIndex);
    }
  }
}

void Tkolomnewhaz::Recalculate(const Tkolomlijst& columns, bool, int decimals, int ratesIndex) {
  ShowingNumbers = false;
  UnitSuffix = FixedUnit.empty() ? RatesSuffix(ratesIndex) : FixedUnit;
  const Series& v = *SeriesData;
  for (std::size_t r = 0; r < columns.Rows.size(); ++r) {
    const Tkolages& row = columns.Rows[r];
    if (row.Lage == 0 && row.Hage == columns.Env.MaxAge + 1) {
      Cells[r] = {0.0, "NA", std::numeric_limits<double>::quiet_NaN()};
      continue;
    }
    double sum = 0.0;
    for (int a = row.Lage; a <= LastAge(row); ++a) sum += v[a];
    SetRate(Cells[r], sum / (row.Hage - row.Lage), RatesApply, decimals, ratesIndex);
  }
}

void Tkolomnewinci::Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                                int ratesIndex) {
  ShowingNumbers = !ratesWanted && NumbersAllowed;
  if (ShowingNumbers) Hazards = false;  // counts are new cases in the whole population
  // The caption says which incidence the column holds: hazards among the healthy, or new cases
  // per head of the whole population.
  if (ShowingNumbers) {
    UnitSuffix = " (numbers)";
  } else {
    UnitSuffix = Hazards ? " (hazard" : " (population rate";
    if (ratesIndex > 0) {
      UnitSuffix += " * " + std::to_string(kRatesPerTable.at(static_cast<size_t>(ratesIndex)));
    }
    UnitSuffix += ")";
  }
  const Series& v = *SeriesData;
  const Series& w = *Weights;
  const bool givenAsHazard = columns.Env.IncidenceIsHazard;
  for (std::size_t r = 0; r < columns.Rows.size(); ++r) {
    const Tkolages& row = columns.Rows[r];
    const Series& p = Population(columns, row);
    double sum = 0.0;
    for (int a = row.Lage; a <= LastAge(row); ++a) {
      if (Hazards) {
        sum += givenAsHazard ? v[a] * p[a] : v[a] * p[a] / (1.0 - w[a]);
      } else {
        sum += givenAsHazard ? (1.0 - w[a]) * v[a] * p[a] : v[a] * p[a];
      }
    }
    if (ShowingNumbers) {
      SetNumber(Cells[r], sum);
    } else if (row.PopTotal == 0.0) {
      Cells[r] = {0.0, "NA", std::numeric_limits<double>::quiet_NaN()};
    } else {
      SetRate(Cells[r], sum / row.PopTotal, true, decimals, ratesIndex);
    }
  }
}

void Tkolomnewremicfat::Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                                    int ratesIndex) {
  ShowingNumbers = !ratesWanted && NumbersAllowed;
  UnitSuffix = RatesOrNumbersSuffix(ratesIndex);
  const Series& v = *SeriesData;
  const Series& w = *Weights;
  for (std::size_t r = 0; r < columns.Rows.size(); ++r) {
    const Tkolages& row = columns.Rows[r];
    const Series& p = Population(columns, row);
    double sum = 0.0;
    double cases = 0.0;
    for (int a = row.Lage; a <= LastAge(row); ++a) {
      sum += v[a] * w[a] * p[a];
      cases += w[a] * p[a];
    }
    if (ShowingNumbers) {
      SetNumber(Cells[r], sum);
    } else {
      SetRate(Cells[r], cases > 0.0 ? sum / cases : 0.0, RatesApply, decimals, ratesIndex);
    }
  }
}

void Tkolomnewdurarrmort::Recalculate(const Tkolomlijst& columns, bool, int decimals, int) {
  ShowingNumbers = false;
  const Series& v = *SeriesData;
  const Series& w = *Weights;
  for (std::size_t r = 0; r < columns.Rows.size(); ++r) {
    const Tkolages& row = columns.Rows[r];
    const Series& p = Population(columns, row);
    double sum = 0.0;
    double weight = 0.0;
    for (int a = row.Lage; a <= LastAge(row); ++a) {
      sum += v[a] * w[a] * p[a];
      weight += w[a] * p[a];
    }
    Cells[r].Value = weight > 0.0 ? sum / weight : 0.0;
    Cells[r].Shown = Cells[r].Value;
    Cells[r].Text = Fixed(Cells[r].Value, decimals);
  }
}

void Tkolomnewdura::Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                                int ratesIndex) {
  Tkolomnewdurarrmort::Recalculate(columns, ratesWanted, decimals, ratesIndex);
  UnitSuffix = " (years)";
}

void Tkolomnewrrmort::Recalculate(const Tkolomlijst& columns, bool ratesWanted, int decimals,
                                  int ratesIndex) {
  Tkolomnewdurarrmort::Recalculate(columns, ratesWanted, decimals, ratesIndex);
  UnitSuffix = " (ratio)";
}

// Mean age of onset: the mean age in completed years, weighted by new cases, plus half a year.
// The open top group and "All ages" carry the top age's incidence on through a population
// dwindling at the top age's mortality, up to age 130.
void Tkolomnewonset::Recalculate(const Tkolomlijst& columns, bool, int decimals, int) {
  ShowingNumbers = false;
  UnitSuffix = " (years)";
  const Series& v = *SeriesData;
  const Series& w = *Weights;
  const int maxAge = columns.Env.MaxAge;
  const std::size_t count = columns.Rows.size();
  for (std::size_t r = 0; r < count; ++r) {
    const Tkolages& row = columns.Rows[r];
    const Series& p = Population(columns, row);
    const bool open = r + 2 >= count;
    const int last = open ? std::min(row.Hage - 2, kHighestPossibleAge) : LastAge(row);
    double weighted = 0.0;
    double total = 0.0;
    for (int a = row.Lage; a <= last; ++a) {
      const double q = (1.0 - w[a]) * v[a] * p[a];
      weighted += a * q;
      total += q;
    }
    if (open && maxAge >= 1) {
      const double m = columns.Env.AllCauseMortality[row.Sex][maxAge];
      double x = p[maxAge - 1];
      for (int j = row.Hage - 1; j <= 130; ++j) {
        x *= 1.0 - m;
        const double q = (1.0 - w[maxAge]) * v[maxAge] * x;
        weighted += j * q;
        total += q;
      }
    }
    Cells[r].Value = total > 0.0 ? weighted / total + 0.5 : 0.0;
    Cells[r].Shown = Cells[r].Value;
    Cells[r].Text = Fixed(Cells[r].Value, decimals);
  }
}

void Tkolomlijst::BuildRows(const Tagegrouplist& groups, int sex) {
  Rows.clear();
  const auto add = [&](int lage, int hage) {
    Tkolages row;
    row.Sex = static_cast<std::uint8_t>(sex);
    row.Lage = lage;
    row.Hage = hage;
    for (int a = std::max(lage, 0); a < hage && a <= kHighestPossibleAge; ++a) {
      row.PopTotal += Env.PopulationNumbers[sex][a];
    }
    row.Label = GroupLabel(lage, hage, Env.MaxAge);
    Rows.push_back(row);
  };
  for (const auto& g : groups.Groups) add(g->Lage, g->Hage);
  add(0, groups.Groups.empty() ? Env.MaxAge + 1 : groups.Groups.back()->Hage);
  for (auto& column : Columns) column->MakeCells(Rows.size());
}

void Tkolomlijst::Clear() {
  Columns.clear();
  Rows.clear();
}

void Tkolomlijst::Recalculate(bool ratesWanted, int decimals, int ratesIndex) {
  for (auto& column : Columns) column->Recalculate(*this, ratesWanted, decimals, ratesIndex);
}

void Tkolomlijst::SetHazardMode(bool hazards) {
  for (auto& column : Columns) column->SetHazardMode(hazards);
}

namespace {

template <typename Column, typename... Args>
void Add(Tkolomlijst& list, Args&&... args) {
  list.Columns.push_back(std::make_unique<Column>(list, std::forward<Args>(args)...));
}

}  // namespace

void AddStandardColumns(Tkolomlijst& list, const Tdisease& disease, int sex, InputColumns inputs,
                        const ColumnVisibility& visible, bool hazards) {
  for (int v = 0; v < kVariableCount; ++v) {
    bool shown = false;
    const Series* series = &disease.InputSeries[v][sex];
    switch (inputs) {
      case InputColumns::kProcessing:
        shown = disease.InputPresent[v][sex] || disease.FromOutput[v][sex];
        break;
      case InputColumns::kAdjusted:
        shown = disease.Processed[v][sex];
        break;
      case InputColumns::kOriginal:
        shown = disease.InputPresent[v][sex];
        series = &disease.ModelSeries[v][sex];
        break;
    }
    if (!shown) continue;
    const std::string caption(kVariableDisplayNames[v]);
    if (v == kPrevalence || v == kMortality) {
      Add<Tkolomnew>(list, visible.Input[v], true, true, series, caption, "Input");
    } else if (v == kDuration || v == kRRMortality) {
      Add<Tkolomnewhaz>(list, visible.Input[v], false, false, series, caption, "Input");
      list.Columns.back()->FixedUnit = v == kDuration ? " (years)" : " (ratio)";
    } else {
      Add<Tkolomnewhaz>(list, visible.Input[v], true, false, series, caption, "Input");
    }
  }
  if (!disease.Calculated[sex]) return;
  const auto& out = disease.OutputSeries;
  const auto caption = [](int v) { return std::string(kVariableCaptions[v]); };
  const std::string group = "Output";
  const OutputIntervals& intervals = disease.Intervals[static_cast<std::size_t>(sex)];
  const bool limits = visible.Limits && intervals.Present;
  // The output column of v on `values`, captioned `name`, then its limits' columns alike.
  const auto output = [&](int v, const auto& add) {
    add(&out[v][sex], caption(v));
    if (!limits) return;
    add(&intervals.Lower[static_cast<std::size_t>(v)], caption(v) + " lower");
    add(&intervals.Upper[static_cast<std::size_t>(v)], caption(v) + " upper");
  };
  output(kIncidence, [&](const Series* values, const std::string& name) {
    list.Columns.push_back(std::make_unique<Tkolomnewinci>(list, visible.Output[kIncidence], true,
                                                           true, &out[kPrevalence][sex], values,
                                                           name, group, hazards));
  });
  output(kPrevalence, [&](const Series* values, const std::string& name) {
    Add<Tkolomnew>(list, visible.Output[kPrevalence], true, true, values, name, group);
  });
  for (const int v : {kRemission, kCaseFatality}) {
    output(v, [&](const Series* values, const std::string& name) {
      Add<Tkolomnewremicfat>(list, visible.Output[v], true, true, &out[kPrevalence][sex], values,
                             name, group);
    });
  }
  output(kDuration, [&](const Series* values, const std::string& name) {
    Add<Tkolomnewdura>(list, visible.Output[kDuration], false, false, &out[kIncidence][sex], values,
                       name, group);
  });
  output(kMortality, [&](const Series* values, const std::string& name) {
    Add<Tkolomnew>(list, visible.Output[kMortality], true, true, values, name, group);
  });
  output(kRRMortality, [&](const Series* values, const std::string& name) {
    Add<Tkolomnewrrmort>(list, visible.Output[kRRMortality], false, false, &out[kMortality][sex],
                         values, name, group);
  });
  Add<Tkolomnewonset>(list, visible.Output[kVariableCount], false, true, &out[kPrevalence][sex],
                      &out[kIncidence][sex], std::string("Age of onset"), group);
}

TableText BuildTableText(const Tkolomlijst& list, int decimals) {
  TableText text;
  text.Groups.push_back("");
  text.Headers.push_back("Age");
  text.Decimals.push_back(0);
  std::vector<const Tkolomnew*> shown;
  for (const auto& column : list.Columns) {
    if (!column->Visible) continue;
    shown.push_back(column.get());
    text.Groups.push_back(column->Group);
    text.Headers.push_back(column->Caption + column->UnitSuffix);
    text.Decimals.push_back(column->ShowingNumbers ? 0 : decimals);
  }
  const std::size_t n = list.Rows.size();
  const auto row = [&](std::size_t r) {
    std::vector<std::string> cells{list.Rows[r].Label};
    for (const auto* column : shown) cells.push_back(column->Cells[r].Text);
    return cells;
  };
  for (std::size_t r = 0; r + 1 < n; ++r) text.Rows.push_back(row(r));
  text.Rows.emplace_back(shown.size() + 1, "");
  if (n > 0) {
    auto last = row(n - 1);
    last[0] = "All ages";
    text.Rows.push_back(last);
    text.Sex = list.Rows.front().Sex;
  }
  text.Print = BuildPrintLayout(list, "", "", "", "");
  text.Print.PageHeader.clear();
  return text;
}

Tagegrouplist ChooseTableGroups(const TableRequest& request, const Tagegrouplist* tableGroups,
                                int maxAge) {
  if (request.Groups != nullptr && !request.Groups->Groups.empty()) return request.Groups->Copy();
  if (tableGroups != nullptr && !tableGroups->Groups.empty()) return tableGroups->Copy();
  return FiveYearGroups(maxAge, "Standard");
}

TableText RecalculateTable(Tkolomlijst& list, const TableRequest& request) {
  list.SetHazardMode(request.Hazards);
  list.Recalculate(!request.Numbers, request.Decimals, request.RatesIndex);
  return BuildTableText(list, request.Decimals);
}

std::string TableCaption(std::string_view base, bool numbers, int ratesIndex) {
  std::string caption(base);
  if (numbers) return caption + " (Numbers)";
  if (ratesIndex > 0) {
    return caption + " (Rates * " +
           std::string(kRatesPerItems.at(static_cast<size_t>(std::min(ratesIndex, 5)))) + ")";
  }
  return caption + " (Rates)";
}

std::vector<std::string> StoreDataLines(std::string_view datasetName, std::string_view caption,
                                        int sex, std::string_view date, std::string_view time) {
  return {"Kavrel input and output, database " + std::string(datasetName),
          std::string(caption) + ", sex: " + std::string(kSexNames.at(static_cast<size_t>(sex))),
          "Written " + std::string(date) + ", " + std::string(time)};
}

std::vector<std::string> PrintPageHeader(std::string_view datasetName, std::string_view caption,
                                         std::string_view date, std::string_view time) {
  return {"Kavrel, date: " + std::string(date) + ", time: " + std::string(time),
          "Dataset: " + std::string(datasetName) + ", " + std::string(caption)};
}

PrintLayout BuildPrintLayout(const Tkolomlijst& list, std::string_view datasetName,
                             std::string_view caption, std::string_view date,
                             std::string_view time) {
  PrintLayout layout;
  layout.PageHeader = PrintPageHeader(datasetName, caption, date, time);
  std::vector<std::string> labels;
  const std::size_t n = list.Rows.size();
  for (std::size_t r = 0; r + 1 < n; ++r) labels.push_back(list.Rows[r].Label);
  labels.push_back("");
  if (n > 0) labels.push_back("All ages");
  const auto columnText = [n](const Tkolomnew& column) {
    std::vector<std::string> cells{column.Caption, column.UnitSuffix};
    for (std::size_t r = 0; r + 1 < n; ++r) cells.push_back(column.Cells[r].Text);
    cells.push_back("");
    if (n > 0) cells.push_back(column.Cells[n - 1].Text);
    return cells;
  };
  layout.Inputs.Title = "Input variables";
  layout.Outputs.Title = "Output variables";
  layout.Inputs.Labels = layout.Outputs.Labels = labels;
  std::size_t k = 0;
  if (!list.Columns.empty()) {
    const std::string firstGroup = list.Columns[0]->Group;
    while (k < list.Columns.size() && list.Columns[k]->Group == firstGroup &&
           layout.Inputs.Columns.size() < 7) {
      layout.Inputs.Columns.push_back(columnText(*list.Columns[k]));
      ++k;
    }
  }
  for (; k < list.Columns.size() && layout.Outputs.Columns.size() < 8; ++k) {
    layout.Outputs.Columns.push_back(columnText(*list.Columns[k]));
  }
  return layout;
}

Series OutputIncidenceHazard(const Tdisease& disease, int sex) {
  const Series& v = disease.OutputSeries[kIncidence][sex];
  const Series& w = disease.OutputSeries[kPrevalence][sex];
  if (disease.IncidenceIsHazard) return v;
  Series hazard{};
  for (int a = 0; a < kAgeCount; ++a) hazard[a] = w[a] < 1.0 ? v[a] / (1.0 - w[a]) : 0.0;
  return hazard;
}

Series OutputIncidencePopulationRate(const Tdisease& disease, int sex) {
  const Series& v = disease.OutputSeries[kIncidence][sex];
  const Series& w = disease.OutputSeries[kPrevalence][sex];
  if (!disease.IncidenceIsHazard) return v;
  Series rate{};
  for (int a = 0; a < kAgeCount; ++a) rate[a] = (1.0 - w[a]) * v[a];
  return rate;
}

Tagegrouplist FiveYearGroups(int maxAge, std::string name) {
  Tagegrouplist list;
  list.Name = std::move(name);
  for (int i = 0; i <= maxAge / 5; ++i) {
    const int hage = i < maxAge / 5 ? 5 * i + 5 : maxAge + 1;
    list.Groups.push_back(std::make_unique<Tagegroup>(5 * i, hage, maxAge));
  }
  return list;
}

}  // namespace kavrel
