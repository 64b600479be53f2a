#include "engine/basic_equations.h"

#include <algorithm>
#include <cmath>

#include "engine/disease.h"
#include "shell/messages_log.h"

namespace kavrel {

namespace {

// Writes values to targets in order and stops at the first value that is not finite, so that a
// fault leaves everything from that point on as it was.
template <std::size_t N>
inline bool StoreUntilFault(const std::array<double, N>& values,
                            const std::array<double*, N>& targets) {
  for (std::size_t k = 0; k < N; ++k) {
    if (!std::isfinite(values[k])) return false;
    *targets[k] = values[k];
  }
  return true;
}

// q from the hazards. (i - f)^2 + r^2 + 2r(i + f) is the radicand (i + r + f)^2 - 4if written so
// that it cannot come out negative by cancellation: for hazards that are not negative q is 0
// exactly when r = 0 and i = f.
inline double RootOf(double i, double r, double f) {
  const double radicand = (i - f) * (i - f) + r * r + 2.0 * r * (i + f);
  return radicand < 0.0 ? 0.0 : std::sqrt(radicand);
}

}  // namespace

Tbasicequations::Tbasicequations(Tdisease& disease,
                                 const std::array<Series, kSexCount>& allCauseMortality,
                                 MessagesLog& log, double birthPrevalence)
    : disease_(disease), allCauseMortality_(allCauseMortality), log_(log) {
  Reset(birthPrevalence);
}

void Tbasicequations::Reset(double birthPrevalence) {
  Healthy[0] = (1.0 - birthPrevalence) * 1000.0;
  Diseased[0] = birthPrevalence * 1000.0;
  DiseaseDeaths[0] = 0.0;
}

double Tbasicequations::SumHazard(int a) const {
  const auto& m = disease_.ModelSeries;
  const int s = disease_.Sex;
  return m[kIncidence][s][a] * IncidenceFactor_ + m[kRemission][s][a] * RemissionFactor_ +
         m[kCaseFatality][s][a] * CaseFatalityFactor_;
}

double Tbasicequations::Root(int a) const {
  const auto& m = disease_.ModelSeries;
  const int s = disease_.Sex;
  return RootOf(m[kIncidence][s][a] * IncidenceFactor_, m[kRemission][s][a] * RemissionFactor_,
                m[kCaseFatality][s][a] * CaseFatalityFactor_);
}

bool Tbasicequations::Advance(int a) {
  const auto& m = disease_.ModelSeries;
  const int s = disease_.Sex;
  const double i = m[kIncidence][s][a] * IncidenceFactor_;
  const double r = m[kRemission][s][a] * RemissionFactor_;
  const double f = m[kCaseFatality][s][a] * CaseFatalityFactor_;
  const double q = RootOf(i, r, f);
  const double l = i + r + f;

  // The two eigenvalues of the year are -(l + q)/2 and -(l - q)/2. For small q the difference of
  // the two decays, v - w = w (e^q - 1), is taken through expm1: as a plain difference it would
  // lose all its digits as q goes to 0 and the division by q below would magnify the loss.
  const double w = std::exp(-(l + q) / 2.0);
  double v;
  double d;  // v - w
  if (q < 0.5) {
    d = w * std::expm1(q);
    v = w + d;
  } else {
    v = std::exp(-(l - q) / 2.0);
    d = v - w;
  }

  const double S = Healthy[a];
  const double C = Diseased[a];
  const double D = DiseaseDeaths[a];
  double S1;
  double C1;
  double D1;
  if (q > 0.0) {
    const double h = 0.5 / q;
    const double sum = v + w;
    S1 = (2.0 * d * ((f + r) * S + r * C) + (q * sum - l * d) * S) * h;
    C1 = -(d * (2.0 * ((f + r) * (S + C) - l * S) - l * C) - q * C * sum) * h;
    D1 = (S + C + D) + (d * (2.0 * f * C - l * (S + C)) - q * (S + C) * sum) * h;
  } else {
    // A double eigenvalue -l/2 (r = 0 and i = f): the limit q -> 0 of the equations above.
    // People still fall ill and die although the two decays coincide; with all three hazards 0
    // the cohort is carried unchanged.
    const double half = l / 2.0;
    S1 = w * (S + (half - i) * S + r * C);
    C1 = w * (C + i * S + (half - r - f) * C);
    D1 = D + S + C - S1 - C1;
  }
  return StoreUntilFault<7>({q, l, w, v, S1, C1, D1},
                            {&RootTerm[a], &HazardSum[a], &DecayFast[a], &DecaySlow[a],
                             &Healthy[a + 1], &Diseased[a + 1], &DiseaseDeaths[a + 1]});
}

bool Tbasicequations::Derive(int a) {
  auto& m = disease_.ModelSeries;
  const int s = disease_.Sex;
  // Derived variables use the present hazards of the age, whatever trend factors the cohort ran
  // with.
  const double i = m[kIncidence][s][a];
  const double r = m[kRemission][s][a];
  const double f = m[kCaseFatality][s][a];
  const double allCause = allCauseMortality_[s][a];
  const double S = Healthy[a];
  const double C = Diseased[a];
  const double S1 = Healthy[a + 1];
  const double C1 = Diseased[a + 1];
  const double alive = (S + C + S1 + C1) / 2.0;  // mean number alive during the year

  const double mortality = (DiseaseDeaths[a + 1] - DiseaseDeaths[a]) / alive;
  const double rrMortality = f / allCause + 1.0;
  const double prevalence = ((C + C1) / 2.0) / alive;
  // Mean time to leaving the diseased state at the hazards of this age: the duration a duration
  // input is fitted against. Every final duration comes from CalculateDuration.
  const double exitHazard = r + f + std::max(0.0, allCause - mortality);
  const double duration = exitHazard > 0.0 ? 1.0 / exitHazard : 0.0;
  const double popRate = i * ((S + S1) / 2.0) / alive;

  return StoreUntilFault<6>({mortality, mortality, rrMortality, prevalence, duration, popRate},
                            {&DiseaseMortality[a], &m[kMortality][s][a], &m[kRRMortality][s][a],
                             &m[kPrevalence][s][a], &m[kDuration][s][a],
                             &disease_.PopRateIncidence[a]});
}

void Tbasicequations::Step(int a) {
  if (!Advance(a) || !Derive(a)) NoteFault();
}

void Tbasicequations::NoteFault() { log_.AddMessage(kBasicEquationsError); }

Tdynbasicequations::Tdynbasicequations(Tdisease& disease,
                                       const std::array<Series, kSexCount>& allCauseMortality,
                                       MessagesLog& log, double birthPrevalence)
    : Tbasicequations(disease, allCauseMortality, log, birthPrevalence),
      trendStart_(disease.TrendStart),
      firstYear_(std::max(disease.TrendStart, -kHighestPossibleAge)) {
  for (int h = 0; h < kTrendHazardCount; ++h) {
    for (int t = firstYear_; t <= 0; ++t) factors_[h][t - firstYear_] = disease.TrendFactor(h, t);
  }
}

void Tdynbasicequations::SetFactors(int t) {
  const int index = t - firstYear_;
  IncidenceFactor_ = factors_[0][index];
  RemissionFactor_ = factors_[1][index];
  CaseFatalityFactor_ = factors_[2][index];
}

void Tdynbasicequations::Step(int a) {
  // The cohort aged a now was at age k in calendar year k - a. Born before the first trend year,
  // it lived its early years at the hazards of that first year.
  int n = trendStart_ + a;
  if (n <= 0) {
    n = 0;
    Reset(disease_.BirthPrevalence[disease_.Sex]);
  } else {
    SetFactors(trendStart_);
    for (int k = 0; k < n; ++k) {
      if (!Advance(k)) return NoteFault();
    }
  }
  for (int k = n; k <= a; ++k) {
    SetFactors(k - a);
    if (!Advance(k)) return NoteFault();
  }
  if (!Derive(a)) NoteFault();
}

}  // namespace kavrel
