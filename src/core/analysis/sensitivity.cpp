#include "core/analysis/sensitivity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/base/progress.h"
#include "core/engine/disease_store.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/layout.h"

namespace kavrel {

std::vector<Tsensin> BuildSteps(int stepCount, int stepPercent) {
  std::vector<Tsensin> steps;
  const double fraction = stepPercent / 100.0;
  for (int k = -stepCount; k <= stepCount; ++k) {
    const long double factor = static_cast<long double>(k) * fraction;
    if (factor < -1.0L) continue;
    Tsensin step;
    step.Factor = static_cast<double>(factor);
    const long percent = std::lround(step.Factor * 100.0);
    if (step.Factor > 0.0) step.Label = "+";
    step.Label.append(std::to_string(percent)).append("%");
    steps.push_back(step);
  }
  return steps;
}

Tsensklas::Tsensklas(const Tdisease& disease) {
  for (int v = 0; v < kVariableCount; ++v) {
    for (int s = 0; s < kSexCount; ++s) {
      if (disease.Processed[v][s]) SavedInputs[v][s] = disease.InputSeries[v][s];
    }
  }
  RebuildSteps();
}

std::string Tsensklas::LabelsText() const {
  std::string text;
  for (const auto& step : Steps) text += step.Label + " ";
  return text;
}

std::vector<RunInputs> Tsensklas::PrepareRuns(const Tdisease& disease,
                                              const std::array<bool, kVariableCount>& checked,
                                              int maxAge) {
  Results.Variants.clear();
  HasResults = false;
  pending_.clear();
  const int sex = disease.Sex;
  std::vector<RunInputs> inputs;
  for (int v = 0; v < kVariableCount; ++v) {
    if (!checked[v]) continue;
    for (std::size_t k = 0; k < Steps.size(); ++k) {
      RunInputs run{};
      for (int w = 0; w < kVariableCount; ++w) {
        run[w] = disease.Processed[w][sex] ? SavedInputs[w][sex] : disease.InputSeries[w][sex];
      }
      for (int a = 0; a <= maxAge; ++a) {
        run[v][a] = (1.0 + Steps[k].Factor) * SavedInputs[v][sex][a];
      }
      inputs.push_back(run);
      pending_.emplace_back(v, k);
    }
  }
  return inputs;
}

bool Tsensklas::TakeRuns(const std::vector<Tresultin>& runs, Tdisease& disease, int maxAge,
                         TDataKavrel& data, UserDialogs& dialogs) {
  if (runs.size() != pending_.size()) return false;
  const int sex = disease.Sex;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    Tsensresultin variant;
    static_cast<Tresultin&>(variant) = runs[k];
    variant.VarName = kVariableDisplayNames[pending_[k].first];
    variant.Variant = Steps[pending_[k].second].Label;
    Results.Variants.push_back(std::move(variant));
  }
  pending_.clear();
  // The saved inputs once more, then the stored outputs as the originals.
  for (int w = 0; w < kVariableCount; ++w) {
    if (disease.Processed[w][sex]) disease.InputSeries[w][sex] = SavedInputs[w][sex];
  }
  disease.Calculated[sex] = true;
  DiseaseStore store{data, dialogs, maxAge};
  store.LoadOutputs(disease);
  HasResults = true;
  return true;
}

bool Tsensklas::Start(Tdisease& disease, const std::array<bool, kVariableCount>& checked,
                      const AnalysisSetup& setup, TDataKavrel& data, UserDialogs& dialogs,
                      Progress& progress) {
  const auto inputs = PrepareRuns(disease, checked, setup.MaxAge);
  return TakeRuns(RunCalculations(disease, inputs, setup, progress), disease, setup.MaxAge, data,
                  dialogs);
}

void AddSensitivityColumns(Tkolomlijst& list, const Tdisease& disease, int sex,
                           const Tsensresultin& variant, const ColumnVisibility& visible) {
  // The standard output columns on one set of series, each weighted by that set's own prevalence,
  // incidence and mortality.
  const auto add = [&](const std::array<const Series*, kVariableCount>& out,
                       const std::string& group) {
    const auto caption = [](int v) { return std::string(kVariableCaptions[v]); };
    list.Columns.push_back(std::make_unique<Tkolomnewinci>(list, visible.Output[kIncidence], true,
                                                           true, out[kPrevalence], out[kIncidence],
                                                           caption(kIncidence), group, false));
    list.Columns.push_back(std::make_unique<Tkolomnew>(list, visible.Output[kPrevalence], true,
                                                       true, out[kPrevalence], caption(kPrevalence),
                                                       group));
    for (int v : {kRemission, kCaseFatality}) {
      list.Columns.push_back(std::make_unique<Tkolomnewremicfat>(
          list, visible.Output[v], true, true, out[kPrevalence], out[v], caption(v), group));
    }
    list.Columns.push_back(std::make_unique<Tkolomnewdura>(list, visible.Output[kDuration], false,
                                                           false, out[kIncidence], out[kDuration],
                                                           caption(kDuration), group));
    list.Columns.push_back(std::make_unique<Tkolomnew>(
        list, visible.Output[kMortality], true, true, out[kMortality], caption(kMortality), group));
    list.Columns.push_back(std::make_unique<Tkolomnewrrmort>(
        list, visible.Output[kRRMortality], false, false, out[kMortality], out[kRRMortality],
        caption(kRRMortality), group));
    list.Columns.push_back(std::make_unique<Tkolomnewonset>(
        list, visible.Output[kVariableCount], false, true, out[kPrevalence], out[kIncidence],
        std::string("Age of onset"), group));
  };
  std::array<const Series*, kVariableCount> original{};
  std::array<const Series*, kVariableCount> changed{};
  for (int v = 0; v < kVariableCount; ++v) {
    original[v] = &disease.OutputSeries[v][sex];
    changed[v] = &variant.Outputs[v];
  }
  add(original, "Original output");
  add(changed, "Sensitivity output");
}

std::string SensitivityTableTitle(const Tsensresultin& variant) {
  return "Sensitivity results " + variant.VarName + " " + variant.Variant;
}

Tsenssum LoadStoredVariants(TDataKavrel& data, int inputId, int sex, int maxAge) {
  Tsenssum sum;
  const std::string where = " where InputId=" + std::to_string(inputId) +
                            " and Sex=" + Quote(kSexNames.at(static_cast<std::size_t>(sex)));
  QueryResult& names = data.QueryDataset("select VarName, Variant from " + SenseTable(0) + where +
                                         " order by Varname, Variant");
  const auto trim = [](std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  };
  for (names.First(); !names.Eof(); names.Next()) {
    Tsensresultin variant;
    variant.Sex = static_cast<std::uint8_t>(sex);
    variant.VarName = trim(names.AsText(0));
    variant.Variant = trim(names.AsText(1));
    sum.Variants.push_back(std::move(variant));
  }
  // The variables in the tables' order, each one's variants by their number (-15 %, -10 %, ...,
  // +15 %), not as their texts sort.
  const auto variableRank = [](const std::string& name) {
    for (int v = 0; v < kVariableCount; ++v) {
      if (name == kVariableDisplayNames[static_cast<std::size_t>(v)]) return v;
    }
    return kVariableCount;
  };
  const auto percent = [](const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() ? value : 0.0;
  };
  std::stable_sort(sum.Variants.begin(), sum.Variants.end(),
                   [&](const Tsensresultin& a, const Tsensresultin& b) {
                     const int ra = variableRank(a.VarName);
                     const int rb = variableRank(b.VarName);
                     if (ra != rb) return ra < rb;
                     return percent(a.Variant) < percent(b.Variant);
                   });
  for (auto& variant : sum.Variants) {
    for (int v = 0; v < kVariableCount; ++v) {
      QueryResult& row = data.QueryDataset("Select * from " + SenseTable(v) + where +
                                           " and Varname=" + Quote(variant.VarName) +
                                           " and variant=" + Quote(variant.Variant));
      if (row.RecordCount() == 0) continue;
      for (int a = 0; a <= maxAge; ++a) variant.Outputs[v][a] = row.AsDouble(5 + a);
    }
  }
  return sum;
}

}  // namespace kavrel
