#include "core/analysis/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/analysis/random.h"
#include "core/base/messages_log.h"
#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

void TQuickSort::Sort(std::vector<double>& values, int from, int to) {
  if (from < to) std::sort(values.begin() + from, values.begin() + to + 1);
}

void Tuncertsummary::SetIntervals(const std::vector<int>& numbers) {
  Intervals.clear();
  for (int number : numbers) {
    const IntervalLevel& level = kIntervalTable.at(static_cast<std::size_t>(number - 1));
    Tuncertsuminst interval;
    interval.Number = number;
    interval.Level = level.Level;
    interval.Label = IntervalLabel(level.Level);
    Intervals.push_back(std::move(interval));
  }
}

std::string Tuncertsummary::LabelsText() const {
  std::string text;
  for (const auto& interval : Intervals) text += interval.Label + " ";
  return text;
}

std::vector<std::pair<int, int>> SearchIntervals(const std::vector<double>& x, double c,
                                                 const std::vector<double>& levels) {
  const int n = static_cast<int>(x.size());
  std::vector<std::pair<int, int>> found;
  const double step = std::max(1e-6, c / (10.0 * n));
  int p = 0;
  while (p < n - 1 && x[static_cast<std::size_t>(p)] < c) ++p;
  int lo, hi;
  if (p == 0) {
    lo = 0;
    hi = 1;
  } else if (p == n - 1) {
    lo = n - 2;
    hi = n - 1;
  } else {
    lo = hi = p;
  }
  const auto at = [&x](int k) { return x[static_cast<std::size_t>(k)]; };
  double lower = c;
  double upper = c;
  for (double q : levels) {
    for (int round = 0; round < 500 && static_cast<double>(hi - lo) / n < q; ++round) {
      const double d = std::max(step, std::min(at(lo + 1) - at(lo), at(hi) - at(hi - 1)) / 3.0);
      lower -= d;
      upper += d;
      while (at(lo) > lower && lo > 0) --lo;
      while (at(hi) < upper && hi < n - 1) ++hi;
    }
    found.emplace_back(lo, hi);
  }
  return found;
}

void Tuncertsummary::Compute(const std::vector<Tresultin>& runs,
                             const std::array<Series, kVariableCount>& central, int maxAge) {
  const int n = static_cast<int>(runs.size());
  if (n < 2) return;
  std::vector<double> levels;
  for (const auto& interval : Intervals) levels.push_back(interval.Level);
  TQuickSort sorter;
  std::vector<double> values(static_cast<std::size_t>(n));
  for (int v = 0; v < kVariableCount; ++v) {
    for (int a = 0; a <= maxAge; ++a) {
      for (int k = 0; k < n; ++k)
        values[static_cast<std::size_t>(k)] = runs[static_cast<std::size_t>(k)].Outputs[v][a];
      sorter.Sort(values, 0, n - 1);
      const auto bounds = SearchIntervals(values, central[v][a], levels);
      for (std::size_t i = 0; i < Intervals.size(); ++i) {
        Intervals[i].Bounds[v][0][a] = values[static_cast<std::size_t>(bounds[i].first)];
        Intervals[i].Bounds[v][1][a] = values[static_cast<std::size_t>(bounds[i].second)];
      }
    }
  }
}

Tuncertklas::Tuncertklas(const Tdisease& disease,
                         const std::array<int, kVariableCount>& defaultDistributions)
    : DistChoice(defaultDistributions) {
  for (int v = 0; v < kVariableCount; ++v) {
    for (int s = 0; s < kSexCount; ++s) {
      if (disease.Processed[v][s]) SavedInputs[v][s] = disease.InputSeries[v][s];
    }
  }
  Summary.SetIntervals({1, 2, 3, 4, 5});
}

void Tuncertklas::RebuildSpecs(int sex, const std::array<bool, kVariableCount>& checked,
                               const Tagegrouplist& groups, double coefficient) {
  for (int v = 0; v < kVariableCount; ++v) {
    Specs[v].reset();
    if (!checked[v]) continue;
    auto spec = std::make_unique<Tuncertin>();
    spec->Variable = v;
    spec->Name = kVariableDisplayNames[v];
    for (const auto& g : groups.Groups) {
      spec->Distributions.push_back(MakeDistribution(DistChoice[v], v, g->Hage, g->Lage));
    }
    Specs[v] = std::move(spec);
  }
  for (int v = 0; v < kVariableCount; ++v) {
    if (!Specs[v]) continue;
    for (auto& distribution : Specs[v]->Distributions) {
      distribution->SetDefaults(SavedInputs[v][sex], coefficient);
    }
  }
}

void Tuncertklas::Reset(int sex, const std::array<bool, kVariableCount>& checked,
                        const Tagegrouplist& groups, double coefficient) {
  Summary.SetIntervals({1, 2, 3, 4, 5});
  RebuildSpecs(sex, checked, groups, coefficient);
  HasResults = false;
  Runs.clear();
}

std::vector<RunInputs> Tuncertklas::DrawInputs(int sex, RandomSource& random) const {
  std::vector<RunInputs> inputs(static_cast<std::size_t>(std::max(Iterations, 0)));
  for (auto& run : inputs) {
    for (int v = 0; v < kVariableCount; ++v) {
      run[v] = SavedInputs[v][sex];
      if (!Specs[v]) continue;
      for (const auto& distribution : Specs[v]->Distributions) {
        for (int a = std::max(distribution->Lage, 0);
             a < distribution->Hage && a <= kHighestPossibleAge; ++a) {
          run[v][a] = distribution->Draw(random, SavedInputs[v][sex][a]);
        }
      }
    }
  }
  return inputs;
}

bool Tuncertklas::ReadyRuns(const std::array<bool, kVariableCount>& checked, UserDialogs& dialogs) {
  Runs.clear();
  HasResults = false;
  if (Iterations < 2) {
    dialogs.ShowError(kTooFewIterations);
    return false;
  }
  for (int v = 0; v < kVariableCount; ++v) {
    if (!checked[v]) Specs[v].reset();
  }
  return true;
}

std::optional<std::vector<RunInputs>> Tuncertklas::PrepareRuns(
    const Tdisease& disease, const std::array<bool, kVariableCount>& checked, RandomSource& random,
    UserDialogs& dialogs) {
  if (!ReadyRuns(checked, dialogs)) return std::nullopt;
  return DrawInputs(disease.Sex, random);
}

bool Tuncertklas::TakeRuns(std::vector<Tresultin> runs, Tdisease& disease, int maxAge,
                           TDataKavrel& data, UserDialogs& dialogs) {
  Runs = std::move(runs);
  if (Runs.empty()) return false;
  const int sex = disease.Sex;
  disease.Calculated[sex] = true;
  DiseaseStore store{data, dialogs, maxAge};
  store.LoadOutputs(disease);
  HasResults = true;
  Summarise(disease, maxAge);
  return true;
}

void Tuncertklas::Summarise(const Tdisease& disease, int maxAge) {
  std::array<Series, kVariableCount> central{};
  for (int v = 0; v < kVariableCount; ++v) central[v] = disease.OutputSeries[v][disease.Sex];
  Summary.Compute(Runs, central, maxAge);
}

std::unique_ptr<Tdiseaseam> Tuncertklas::FitDisease(const Tdisease& disease, TDataKavrel& data,
                                                    UserDialogs& dialogs, int maxAge) const {
  auto fitted = CopyForCalculation(disease);
  DiseaseStore store{data, dialogs, maxAge};
  store.LoadInputs(*fitted);
  fitted->Sex = disease.Sex;
  return fitted;
}

std::uint64_t Tuncertklas::FitSeed(RandomSource& random) {
  return static_cast<std::uint64_t>(random.Next() * 9007199254740992.0);  // 2^53
}

bool Tuncertklas::Start(Tdisease& disease, const std::array<bool, kVariableCount>& checked,
                        RandomSource& random, const AnalysisSetup& setup, TDataKavrel& data,
                        UserDialogs& dialogs, Progress& progress) {
  if (FromFit) {
    if (!ReadyRuns(checked, dialogs)) return false;
    const auto fitted = FitDisease(disease, data, dialogs, setup.MaxAge);
    std::vector<Tresultin> runs;
    try {
      runs = RunsFromFit(*fitted, setup, Iterations, FitSeed(random), progress);
    } catch (const std::runtime_error& error) {
      dialogs.ShowError(error.what());
      return false;
    }
    return TakeRuns(std::move(runs), disease, setup.MaxAge, data, dialogs);
  }
  const auto inputs = PrepareRuns(disease, checked, random, dialogs);
  if (!inputs) return false;
  return TakeRuns(RunCalculations(disease, *inputs, setup, progress), disease, setup.MaxAge, data,
                  dialogs);
}

Tagegrouplist UncertaintyAgeGroups(TDataKavrel* data, int schedule, int maxAge) {
  if (data != nullptr && schedule > 0) {
    Tagegrouplist list;
    try {
      FillFromSchedule(list, *data, schedule, maxAge);
    } catch (const DatabaseError&) {
      list.Clear();  // a broken schedule: the standard groups instead
    }
    if (!list.Groups.empty()) return list;
  }
  return FiveYearGroups(maxAge, "Standard");
}

namespace {

template <typename Column, typename... Args>
void Add(Tkolomlijst& list, Args&&... args) {
  list.Columns.push_back(std::make_unique<Column>(list, std::forward<Args>(args)...));
}

// One column of the variable's class on series, with the weights of its side.
void AddColumn(Tkolomlijst& list, int v, const Series* series, const Series* prevalence,
               const Series* incidence, const Series* mortality, bool central,
               const std::string& caption, const std::string& group) {
  const bool both = central || (v != kDuration && v != kRRMortality);
  switch (v) {
    case kIncidence:
      list.Columns.push_back(std::make_unique<Tkolomnewinci>(list, true, both, both, prevalence,
                                                             series, caption, group, false));
      break;
    case kRemission:
    case kCaseFatality:
      Add<Tkolomnewremicfat>(list, true, both, both, prevalence, series, caption, group);
      break;
    case kDuration:
      Add<Tkolomnewdura>(list, true, both, both, incidence, series, caption, group);
      break;
    case kRRMortality:
      Add<Tkolomnewrrmort>(list, true, both, both, mortality, series, caption, group);
      break;
    default:
      Add<Tkolomnew>(list, true, both, both, series, caption, group);
  }
}

}  // namespace

void AddUncertaintyColumns(Tkolomlijst& list, int v, const Tdisease& disease, int sex,
                           Tuncertsummary& summary) {
  const auto& out = disease.OutputSeries;
  summary.Central = out[v][sex];
  AddColumn(list, v, &summary.Central, &out[kPrevalence][sex], &out[kIncidence][sex],
            &out[kMortality][sex], true, "Central value", "");
  for (const auto& interval : summary.Intervals) {
    const std::string group = "UI " + interval.Label;
    for (int side = 0; side < 2; ++side) {
      AddColumn(list, v, &interval.Bounds[v][side], &interval.Bounds[kPrevalence][side],
                &interval.Bounds[kIncidence][side], &interval.Bounds[kMortality][side], false,
                side == 0 ? "Lower" : "Upper", group);
    }
  }
}

std::string UncertaintyTableTitle(const std::string& disease, int variable) {
  return "Uncertainty results, " + disease + " " + std::string(kVariableCaptions[variable]);
}

std::vector<GraphLine> UncertaintyGraphLines(int variable, const Tuncertsummary& summary) {
  std::vector<GraphLine> lines{{"Central value", &summary.Central, true, 0}};
  for (const auto& interval : summary.Intervals) {
    lines.push_back({"UI " + interval.Label, &interval.Bounds[variable][0], true, interval.Number});
    lines.push_back(
        {"UI " + interval.Label, &interval.Bounds[variable][1], false, interval.Number});
  }
  return lines;
}

std::string UncertaintyGraphTitle(int variable) {
  return "Uncertainty intervals for " + std::string(kVariableCaptions[variable]) + " output";
}

Tuncertsummary LoadStoredSummary(TDataKavrel& data, int inputId, int sex, int maxAge,
                                 MessagesLog& log) {
  Tuncertsummary summary;
  const std::string where = " where InputId=" + std::to_string(inputId) +
                            " and Sex=" + Quote(kSexNames.at(static_cast<std::size_t>(sex)));
  QueryResult& levels = data.QueryDataset("select distinct interval from " + UncertSumTable(0) +
                                          where + " order by interval");
  std::vector<int> numbers;
  std::vector<double> stored;
  for (levels.First(); !levels.Eof(); levels.Next()) {
    const double level = levels.AsDouble(0);
    const auto match = std::find_if(kIntervalTable.begin(), kIntervalTable.end(),
                                    [level](const IntervalLevel& l) { return l.Level == level; });
    if (match == kIntervalTable.end()) {
      log.AddMessage("A stored uncertainty interval of level " + std::to_string(level) +
                     " is not one of the seven levels and was skipped");
      continue;
    }
    numbers.push_back(match->Number);
    stored.push_back(level);
  }
  summary.SetIntervals(numbers);
  for (std::size_t i = 0; i < summary.Intervals.size(); ++i) {
    for (int v = 0; v < kVariableCount; ++v) {
      for (int side = 0; side < 2; ++side) {
        QueryResult& row =
            data.QueryDataset("select * from " + UncertSumTable(v) + where +
                              " and interval=" + StatementReal(stored[i]) +
                              " and Boundary=" + Quote(side == 0 ? "Lower" : "Upper"));
        if (row.RecordCount() == 0) continue;
        for (int a = 0; a <= maxAge; ++a)
          summary.Intervals[i].Bounds[v][side][a] = row.AsDouble(5 + a);
      }
    }
  }
  return summary;
}

}  // namespace kavrel
