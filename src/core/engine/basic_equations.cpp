#include "engine/basic_equations.h"

#include <algorithm>
#include <cmath>

#include "engine/disease.h"
#include "shell/messages_log.h"

namespace kavrel {

namespace {

// Writes values to targets in order and stops at the first value that is not finite, so that a
// fault leaves everything from that point on as it was. The callers' fast path tests the sum of
// the values instead: it is finite when every value is (a sum that overflows merely sends finite
// values down this careful path).
template <std::size_t N>
[[gnu::noinline, gnu::cold]] bool StoreUntilFault(const std::array<double, N>& values,
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

bool Tbasicequations::Advance(int a) { return AdvanceYear(a); }

bool Tbasicequations::Derive(int a) { return DeriveYear(a); }

void Tbasicequations::Step(int a) {
  if (!AdvanceYear(a) || !DeriveYear(a)) NoteFault();
}

inline bool Tbasicequations::AdvanceYear(int a) {
  const auto& m = disease_.ModelSeries;
  const int s = disease_.Sex;
  const double i = m[kIncidence][s][a] * IncidenceFactor_;
  const double r = m[kRemission][s][a] * RemissionFactor_;
  const double f = m[kCaseFatality][s][a] * CaseFatalityFactor_;
  const double q = RootOf(i, r, f);
  const double l = i + r + f;

  // The two eigenvalues of the year are -(l + q)/2 and -(l - q)/2, with decays w and v. As q goes
  // to 0 the plain difference v - w loses its digits and the division by q below would magnify
  // the loss, so for small q the difference is taken as w (e^q - 1) from the series of e^q - 1,
  // whose first omitted term is below 1e-17 of it there.
  const double w = std::exp(-(l + q) / 2.0);
  double v;
  double d;  // v - w
  if (q < 1e-3) {
    d = w * q * (1.0 + q * (1.0 / 2.0 + q * (1.0 / 6.0 + q * (1.0 / 24.0 + q * (1.0 / 120.0)))));
    v = w + d;
  } else {
    v = std::exp(-(l - q) / 2.0);
    d = v - w;
  }

  // The year maps (S, C) linearly: S' = aS S + aC C and C' = bS S + bC C. Written this way the
  // coefficients depend on the hazards alone, and one age's cohort depends on the previous one
  // through a product and a sum only.
  double aS;
  double aC;
  double bS;
  double bC;
  if (q > 0.0) {
    // S' = (2(v - w)((f + r)S + rC) + ((q - l)v + (q + l)w)S) / 2q
    // C' = -((v - w)(2((f + r)(S + C) - lS) - lC) - qC(v + w)) / 2q
    const double h = 0.5 / q;
    const double qSum = q * (v + w);
    const double dSpread = d * (f + r - i);
    aS = h * (qSum + dSpread);
    aC = 2.0 * h * d * r;
    bS = 2.0 * h * d * i;
    bC = h * (qSum - dSpread);
  } else {
    // A double eigenvalue -l/2 (r = 0 and i = f): the limit q -> 0 of the equations above.
    // People still fall ill and die although the two decays coincide; with all three hazards 0
    // the cohort is carried unchanged.
    const double half = l / 2.0;
    aS = w * (1.0 + half - i);
    aC = w * r;
    bS = w * i;
    bC = w * (1.0 + half - r - f);
  }
  const double S = Healthy[a];
  const double C = Diseased[a];
  const double S1 = aS * S + aC * C;
  const double C1 = bS * S + bC * C;
  // Whoever left the living states died of the disease: other causes are outside the cohort.
  const double D1 = DiseaseDeaths[a] + ((1.0 - aS - bS) * S + (1.0 - aC - bC) * C);

  if (std::isfinite(q + l + w + v + S1 + C1 + D1)) [[likely]] {
    RootTerm[a] = q;
    HazardSum[a] = l;
    DecayFast[a] = w;
    DecaySlow[a] = v;
    Healthy[a + 1] = S1;
    Diseased[a + 1] = C1;
    DiseaseDeaths[a + 1] = D1;
    return true;
  }
  return StoreUntilFault<7>({q, l, w, v, S1, C1, D1},
                            {&RootTerm[a], &HazardSum[a], &DecayFast[a], &DecaySlow[a],
                             &Healthy[a + 1], &Diseased[a + 1], &DiseaseDeaths[a + 1]});
}

inline bool Tbasicequations::DeriveYear(int a) {
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
  // One over the mean number alive during the year; a cohort with nobody alive gives an
  // infinity here, which the store below refuses as a fault.
  const double perAlive = 2.0 / (S + C + S1 + C1);

  const double mortality = (DiseaseDeaths[a + 1] - DiseaseDeaths[a]) * perAlive;
  const double rrMortality = f / allCause + 1.0;
  const double prevalence = ((C + C1) / 2.0) * perAlive;
  // Mean time to leaving the diseased state at the hazards of this age: the duration a duration
  // input is fitted against. Every final duration comes from CalculateDuration.
  const double exitHazard = r + f + std::max(0.0, allCause - mortality);
  const double duration = exitHazard > 0.0 ? 1.0 / exitHazard : 0.0;
  const double popRate = i * ((S + S1) / 2.0) * perAlive;

  auto& mortalityOut = m[kMortality][s][a];
  auto& rrOut = m[kRRMortality][s][a];
  auto& prevalenceOut = m[kPrevalence][s][a];
  auto& durationOut = m[kDuration][s][a];
  auto& popRateOut = disease_.PopRateIncidence[a];
  if (std::isfinite(mortality + rrMortality + prevalence + duration + popRate)) [[likely]] {
    DiseaseMortality[a] = mortality;
    mortalityOut = mortality;
    rrOut = rrMortality;
    prevalenceOut = prevalence;
    durationOut = duration;
    popRateOut = popRate;
    return true;
  }
  return StoreUntilFault<6>(
      {mortality, mortality, rrMortality, prevalence, duration, popRate},
      {&DiseaseMortality[a], &mortalityOut, &rrOut, &prevalenceOut, &durationOut, &popRateOut});
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
      if (!AdvanceYear(k)) return NoteFault();
    }
  }
  for (int k = n; k <= a; ++k) {
    SetFactors(k - a);
    if (!AdvanceYear(k)) return NoteFault();
  }
  if (!DeriveYear(a)) NoteFault();
}

}  // namespace kavrel
