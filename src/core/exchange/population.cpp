#include "core/exchange/population.h"

#include <cmath>
#include <string>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/engine/input_checks.h"
#include "core/engine/interpolation.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"

namespace kavrel {

namespace {

// The stored groups of total mortality or population, in order and without overlap.
std::optional<std::string> CheckPopulationGroups(const std::vector<Tpopinputdat>& groups,
                                                 int maxAge, const std::string& what) {
  std::vector<AgeSpan> spans;
  for (const Tpopinputdat& g : groups) spans.push_back({g.Lage, g.Hage});
  return CheckAgeGroups(spans, maxAge, "The age groups of the " + what);
}

}  // namespace

namespace {

std::vector<Tpopinputdat> ReadGroups(TDataKavrel& data, std::string_view table) {
  std::vector<Tpopinputdat> groups;
  QueryResult& rows = data.QueryDataset("select Lage, Hage, Males, Females from " +
                                        std::string(table) + " order by Lage");
  for (rows.First(); !rows.Eof(); rows.Next()) {
    Tpopinputdat group;
    group.Index = static_cast<int>(groups.size());
    group.Lage = static_cast<int>(rows.AsInteger(0));
    group.Hage = static_cast<int>(rows.AsInteger(1));
    group.Males = rows.AsDouble(2);
    group.Females = rows.AsDouble(3);
    groups.push_back(group);
  }
  return groups;
}

// The least-squares distance, on ages 45 ... LastSplineAge, between the old-age curve and the
// splined rates of one sex.
class OldAgeCost final : public CostFunction {
 public:
  OldAgeCost(const Series& splined, int lastSplineAge)
      : splined_(splined), lastSplineAge_(lastSplineAge) {}
  double Cost(std::span<const double> point) override {
    const std::array<double, 4> p = {point[0], point[1], point[2], point[3]};
    double sum = 0.0;
    for (int a = 45; a <= lastSplineAge_; ++a) {
      const double difference = 100.0 * (OldAgeMortality(p, a) - splined_[a]);
      sum += difference * difference;
    }
    return sum;
  }

 private:
  const Series& splined_;
  int lastSplineAge_;
};

}  // namespace

double OldAgeMortality(const std::array<double, 4>& p, double age) {
  const double rise = std::fabs(p[0]) * std::exp(std::fabs(p[1]) * age);
  return (rise + std::fabs(p[2])) / (1.0 + rise * std::fabs(p[3]));
}

PopulationLoad LoadMortality(PopulationSeries& population, TDataKavrel& data, UserDialogs& dialogs,
                             MessagesLog& log, int maxAge) {
  auto& mortality = population.AllCauseMortality;
  for (auto& series : mortality) {
    for (int a = 0; a <= maxAge; ++a) series[a] = 0.0;
  }
  population.MortalityGroups = ReadGroups(data, "TotalMortality");
  const auto& groups = population.MortalityGroups;
  if (groups.empty()) {
    return dialogs.Message(kMortalityMissingQuestion, DialogKind::kWarning,
                           DialogButton::kYes | DialogButton::kNo) == DialogButton::kYes
               ? PopulationLoad::kProvideNow
               : PopulationLoad::kMissing;
  }
  if (auto refusal = CheckPopulationGroups(groups, maxAge, "total mortality")) {
    dialogs.ShowError(*refusal);
    return PopulationLoad::kFailed;
  }
  const Tpopinputdat& last = groups.back();
  const bool lastIsNode = last.Hage - last.Lage < 2;
  const int nodes = static_cast<int>(groups.size()) - (lastIsNode ? 0 : 1);
  population.LastSplineAge = std::min(lastIsNode ? last.Hage - 1 : last.Lage - 1, maxAge);
  try {
    Tcubicspline spline(nodes);
    for (int sex = 0; sex < kSexCount; ++sex) {
      for (int k = 0; k < nodes; ++k) {
        const Tpopinputdat& g = groups[static_cast<size_t>(k)];
        const double rate = sex == kMales ? g.Males : g.Females;
        if (!(rate > 0.0) || !std::isfinite(rate)) {
          // The logarithm of a rate that is not positive does not exist.
          dialogs.ShowError("The total mortality of " + std::string(kSexNames[sex]) + " at ages " +
                            GroupLabel(g.Lage, g.Hage, maxAge) + " is " +
                            (std::isfinite(rate) ? "not above 0" : "not a finite number") +
                            ", so it cannot be converted to single years of age.");
          return PopulationLoad::kFailed;
        }
        spline.X[k] = g.Lage + (g.Hage - g.Lage) / 2.0 - 0.5;
        spline.Y[k] = std::log(rate);
      }
      spline.SlopeLow = 0.0;
      spline.SlopeHigh = 0.0;
      spline.ComputeSecondDerivatives();
      for (int a = 0; a <= population.LastSplineAge; ++a) {
        mortality[sex][a] = std::exp(spline.Interpolate(a));
      }
    }
  } catch (const InterpolationError& e) {
    dialogs.ShowError(
        std::string("The total mortality cannot be converted to single years of age: ") + e.what());
    return PopulationLoad::kFailed;
  }
  if (!lastIsNode && population.LastSplineAge < maxAge) {
    // Above the last group's start, a curve fitted to the splined rates from age 45.
    SimplexSettings settings;
    for (int sex = 0; sex < kSexCount; ++sex) {
      OldAgeCost cost(mortality[sex], population.LastSplineAge);
      Tmortamoeba amoeba(4, settings, dialogs, log, cost);
      amoeba.Start = {0.03, 0.12, 0.01, 1.3};
      amoeba.Minimize();
      const std::array<double, 4> p = {amoeba.Best[0], amoeba.Best[1], amoeba.Best[2],
                                       amoeba.Best[3]};
      for (int a = population.LastSplineAge + 1; a <= maxAge; ++a) {
        mortality[sex][a] = OldAgeMortality(p, a);
      }
    }
  }
  return PopulationLoad::kLoaded;
}

PopulationLoad LoadPopulation(PopulationSeries& population, TDataKavrel& data, UserDialogs& dialogs,
                              int maxAge) {
  auto& numbers = population.PopulationNumbers;
  for (auto& series : numbers) {
    for (int a = 0; a <= maxAge; ++a) series[a] = 0.1;
  }
  population.PopulationGroups = ReadGroups(data, "Population");
  if (population.PopulationGroups.empty()) {
    return dialogs.Message(kPopulationMissingQuestion, DialogKind::kWarning,
                           DialogButton::kYes | DialogButton::kNo) == DialogButton::kYes
               ? PopulationLoad::kProvideNow
               : PopulationLoad::kMissing;
  }
  if (auto refusal = CheckPopulationGroups(population.PopulationGroups, maxAge, "population")) {
    dialogs.ShowError(*refusal);
    return PopulationLoad::kFailed;
  }
  for (const Tpopinputdat& g : population.PopulationGroups) {
    for (int sex = 0; sex < kSexCount; ++sex) {
      const double persons = sex == kMales ? g.Males : g.Females;
      if (!std::isfinite(persons) || persons < 0.0) {
        dialogs.ShowError("The number of " + std::string(kSexNames[sex]) + " at ages " +
                          GroupLabel(g.Lage, g.Hage, maxAge) + " is " + std::to_string(persons) +
                          "; it must be a finite number, not negative.");
        return PopulationLoad::kFailed;
      }
    }
  }
  for (const Tpopinputdat& g : population.PopulationGroups) {
    const int width = g.Hage - g.Lage;
    if (width <= 0) continue;
    for (int a = std::max(g.Lage, 0); a < g.Hage && a <= maxAge; ++a) {
      numbers[kMales][a] = g.Males / width;
      numbers[kFemales][a] = g.Females / width;
    }
  }
  return PopulationLoad::kLoaded;
}

bool LoadPopulationData(PopulationSeries& population, TDataKavrel& data, UserDialogs& dialogs,
                        MessagesLog& log, int maxAge, bool numbers,
                        const std::function<void(bool mortality)>& provideNow) {
  const PopulationLoad mortality = LoadMortality(population, data, dialogs, log, maxAge);
  if (mortality == PopulationLoad::kProvideNow && provideNow) provideNow(true);
  if (mortality != PopulationLoad::kLoaded && !provideNow) return false;
  if (!numbers) return mortality == PopulationLoad::kLoaded;
  const PopulationLoad persons = LoadPopulation(population, data, dialogs, maxAge);
  if (persons == PopulationLoad::kProvideNow && provideNow) provideNow(false);
  return mortality == PopulationLoad::kLoaded && persons == PopulationLoad::kLoaded;
}

}  // namespace kavrel
