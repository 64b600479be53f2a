#include "core/engine/disease.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/base/errors.h"
#include "core/engine/basic_equations.h"
#include "core/engine/calc_options.h"

namespace kavrel {

double TrendFactor(const Ttrendhazard& trend, int t) {
  double factor = 1.0;
  for (const auto& block : trend.Blocks) {
    if (block.Endt < t) continue;
    const int changes = block.Startt >= t ? block.Endt - block.Startt : block.Endt - t;
    factor *= std::pow(block.Waarde, changes);
  }
  return 1.0 / factor;
}

Tdisease::Tdisease(std::string name) : DiseaseName(std::move(name)) {}

Tdisease::~Tdisease() = default;

bool Tdisease::CheckTrends() {
  TrendStart = 0;
  bool any = false;
  for (const auto& trend : Trends) {
    if (trend.Blocks.empty()) continue;
    any = true;
    TrendStart = std::min(TrendStart, trend.Blocks.back().Startt);
  }
  return any;
}

void Tdisease::CreateEquations(const ModelEnvironment& env) {
  if (TrendsOn) {
    Equations = std::make_unique<Tdynbasicequations>(
        ModelSeries, PopRateIncidence, Sex, env.AllCauseMortality, env.Log, BirthPrevalence[Sex],
        TrendStart, [this](int h, int t) { return TrendFactor(h, t); });
  } else {
    Equations = std::make_unique<Tbasicequations>(
        ModelSeries, PopRateIncidence, Sex, env.AllCauseMortality, env.Log, BirthPrevalence[Sex]);
  }
}

bool Tdisease::Calculate(const ModelEnvironment& env, const CalcOptions& options,
                         UserDialogs& /*dialogs*/) {
  Intervals[Sex] = {};
  CalculatePlain(env, options.PrevalenceAtBirth);
  return true;
}

void Tdisease::CopyToOutput() {
  OutputsFromModel(ModelSeries, PopRateIncidence, IncidenceIsHazard, Sex, OutputSeries);
}

void OutputsFromModel(const PerVariableAndSex<Series>& model, const Series& popRateIncidence,
                      bool incidenceIsHazard, int s, PerVariableAndSex<Series>& outputs) {
  outputs[kIncidence][s] = incidenceIsHazard ? model[kIncidence][s] : popRateIncidence;
  for (int v = 1; v < kVariableCount; ++v) outputs[v][s] = model[v][s];
  // A value that is zero up to rounding (a difference of nearly equal numbers, say -1e-16) is
  // zero: no output shows a rate or proportion below zero that is not really there.
  constexpr double kRoundingZero = 1e-12;
  for (auto& output : outputs) {
    for (double& value : output[s]) {
      if (value <= 0.0 && value > -kRoundingZero) value = 0.0;
    }
  }
}

void Tdisease::CalculatePlain(const ModelEnvironment& env, bool prevalenceAtBirth) {
  if (env.MaxAge < 0 || env.MaxAge > kHighestPossibleAge) {
    throw std::invalid_argument("The highest age of the data set must lie between 0 and 110");
  }
  const int s = Sex;
  const int maxAge = env.MaxAge;
  BirthPrevalence[s] = prevalenceAtBirth ? InputSeries[kPrevalence][s][0] : 0.0;
  CreateEquations(env);
  // The model object lives only while the calculation runs, also when it fails.
  struct FreeEquations {
    std::unique_ptr<Tbasicequations>& equations;
    ~FreeEquations() { equations.reset(); }
  } freeEquations{Equations};

  ModelSeries = InputSeries;
  auto& otherCause = env.OtherCauseMortality[s];
  for (int a = 0; a <= maxAge; ++a) otherCause[a] = 0.0;
  for (int a = 0; a <= maxAge; ++a) Equations->Step(a);
  for (int a = 0; a <= maxAge; ++a) {
    otherCause[a] = env.AllCauseMortality[s][a] - ModelSeries[kMortality][s][a];
  }
  CalculateDuration(maxAge, otherCause);
}

void Tdisease::CalculatePlainFromPopulationRate(const ModelEnvironment& env,
                                                bool prevalenceAtBirth) {
  const int s = Sex;
  const Series rate = InputSeries[kIncidence][s];
  Series& hazard = InputSeries[kIncidence][s];
  // Put the input back whatever happens: the hazards are a working copy.
  struct RestoreInput {
    Series& series;
    const Series& input;
    ~RestoreInput() { series = input; }
  } restore{hazard, rate};

  // Each round scales every age's hazard by input / model rate. The model rate is the hazard
  // times the mean share without the disease, which moves little with the hazard of the same
  // age, so the rounds converge fast (a few for prevalences of a few per cent). Where the rate
  // cannot be reached (nobody left without the disease) the rounds stop at their limit.
  constexpr int kRounds = 100;
  constexpr double kTolerance = 1e-12;
  const int maxAge = std::clamp(env.MaxAge, 0, kHighestPossibleAge);
  for (int round = 0;; ++round) {
    CalculatePlain(env, prevalenceAtBirth);
    if (round + 1 == kRounds) break;
    double worst = 0.0;
    for (int a = 0; a <= maxAge; ++a) {
      const double model = PopRateIncidence[a];
      if (rate[a] <= 0.0 || !(model > 0.0) || !std::isfinite(model)) continue;
      const double ratio = rate[a] / model;
      worst = std::max(worst, std::abs(ratio - 1.0));
      hazard[a] *= ratio;
    }
    if (worst < kTolerance) break;
  }
}

void Tdisease::CalculateDuration(int maxAge, const Series& otherCauseMortality) {
  kavrel::CalculateDuration(ModelSeries, Sex, maxAge, otherCauseMortality);
}

void CalculateDuration(PerVariableAndSex<Series>& model, int s, int maxAge,
                       const Series& otherCauseMortality) {
  auto& duration = model[kDuration][s];
  const auto& incidence = model[kIncidence][s];
  const auto& remission = model[kRemission][s];
  const auto& caseFatality = model[kCaseFatality][s];

  // Per age k: the exit hazard g(k), the share still diseased after a whole year, exp(-g), and
  // the expected time diseased in that year per person diseased at its start, (1 - exp(-g)) / g.
  // Both are 1 when g = 0. They are computed once here, not once per onset age.
  Series exitHazard;
  Series stay;
  Series timeIn;
  for (int k = 0; k <= maxAge; ++k) {
    const double g = remission[k] + caseFatality[k] + otherCauseMortality[k];
    exitHazard[k] = g;
    if (g == 0.0) {
      stay[k] = 1.0;
      timeIn[k] = 1.0;
    } else {
      const double e = std::exp(-g);
      stay[k] = e;
      timeIn[k] = (1.0 - e) / g;
    }
  }
  const double gTop = exitHazard[maxAge];

  // Per onset age j: the running total of time diseased and the share still diseased. The years
  // after onset are then walked once for all onset ages together, which keeps each onset age's
  // sum in the order of its years while the work for one year runs over contiguous arrays.
  Series total{};
  Series still{};
  std::array<bool, kAgeCount> onsets{};  // incidence above 0 and exp(-incidence) below 1
  for (int j = 0; j <= maxAge; ++j) {
    duration[j] = 0.0;
    const double iota = incidence[j];
    if (iota <= 0.0) continue;
    const double e = std::exp(-iota);
    if (e == 1.0) continue;
    onsets[j] = true;

    // Onset year: onsets spread over the year at the incidence hazard, then exit at g.
    const double g = exitHazard[j];
    if (j == maxAge) {
      // The open top age: the whole remaining time, at the top age's exit hazard.
      total[j] = gTop == 0.0 ? 1000.0 : 1.0 / gTop;
    } else if (g == 0.0) {
      still[j] = 1.0;
      total[j] = 0.5;
    } else if (g == iota) {
      still[j] = iota * e / (1.0 - e);
      total[j] = 1.0 / g - 1.0 / (std::exp(g) - 1.0);
    } else {
      const double k = (stay[j] - e) / (1.0 - e);
      still[j] = iota / (iota - g) * k;
      total[j] = 1.0 / g - iota / ((iota - g) * g) * k;
    }
  }
  // Whole years after onset, below the open top age.
  for (int k = 1; k < maxAge; ++k) {
    const double timeK = timeIn[k];
    const double stayK = stay[k];
    for (int j = 0; j < k; ++j) {
      total[j] += timeK * still[j];
      still[j] *= stayK;
    }
  }
  for (int j = 0; j <= maxAge; ++j) {
    if (!onsets[j]) continue;
    double sum = total[j];
    if (j < maxAge) sum += gTop == 0.0 ? 1000.0 * still[j] : still[j] / gTop;
    if (!std::isfinite(sum)) {
      throw ArithmeticError("Arithmetic error in the duration calculation at onset age " +
                            std::to_string(j));
    }
    duration[j] = sum;
  }
}

}  // namespace kavrel
