#include "core/engine/basic_equations.h"

#include <algorithm>
#include <cmath>

#include "core/base/messages_log.h"

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

// (i - f)^2 + r^2 + 2r(i + f) is the radicand (i + r + f)^2 - 4if of q written so that it cannot
// come out negative by cancellation: for hazards that are not negative q is 0 exactly when r = 0
// and i = f.
inline double Radicand(double i, double r, double f) {
  return (i - f) * (i - f) + r * r + 2.0 * r * (i + f);
}

// q, 0 when the radicand is negative (negative hazards only).
inline double RootOfRadicand(double radicand) { return radicand < 0.0 ? 0.0 : std::sqrt(radicand); }

// Up to this radicand (q <= 0.5) a year is solved from the series of cosh and sinh.
constexpr double kSeriesRadicand = 0.25;

}  // namespace

Tbasicequations::Tbasicequations(PerVariableAndSex<Series>& model, Series& popRateIncidence,
                                 int sex, const std::array<Series, kSexCount>& allCauseMortality,
                                 MessagesLog& log, double birthPrevalence)
    : model_(model),
      popRateIncidence_(popRateIncidence),
      sex_(sex),
      birthPrevalence_(birthPrevalence),
      allCauseMortality_(allCauseMortality),
      log_(log) {
  Reset(birthPrevalence);
}

void Tbasicequations::Reset(double birthPrevalence) {
  Healthy[0] = (1.0 - birthPrevalence) * 1000.0;
  Diseased[0] = birthPrevalence * 1000.0;
  DiseaseDeaths[0] = 0.0;
}

double Tbasicequations::SumHazard(int a) const {
  const auto& m = model_;
  const int s = sex_;
  return m[kIncidence][s][a] * IncidenceFactor_ + m[kRemission][s][a] * RemissionFactor_ +
         m[kCaseFatality][s][a] * CaseFatalityFactor_;
}

double Tbasicequations::Root(int a) const {
  const auto& m = model_;
  const int s = sex_;
  return RootOfRadicand(Radicand(m[kIncidence][s][a] * IncidenceFactor_,
                                 m[kRemission][s][a] * RemissionFactor_,
                                 m[kCaseFatality][s][a] * CaseFatalityFactor_));
}

bool Tbasicequations::Advance(int a) {
  Year year;
  return AdvanceYear(a, year);
}

bool Tbasicequations::Derive(int a) {
  return DeriveYear(a, {Healthy[a], Diseased[a], DiseaseDeaths[a], Healthy[a + 1], Diseased[a + 1],
                        DiseaseDeaths[a + 1]});
}

void Tbasicequations::Step(int a) {
  Year year;
  if (!AdvanceYear(a, year) || !DeriveYear(a, year)) NoteFault();
}

inline bool Tbasicequations::AdvanceYear(int a, Year& year) {
  const auto& m = model_;
  const int s = sex_;
  const double i = m[kIncidence][s][a] * IncidenceFactor_;
  const double r = m[kRemission][s][a] * RemissionFactor_;
  const double f = m[kCaseFatality][s][a] * CaseFatalityFactor_;
  const double l = i + r + f;
  const double radicand = Radicand(i, r, f);

  // The two eigenvalues of the year are -(l + q)/2 and -(l - q)/2, with decays w and v. The year
  // maps (S, C) linearly: S' = aS S + aC C and C' = bS S + bC C, coefficients that depend on the
  // hazards alone, so that one age's cohort depends on the previous one through a product and a
  // sum only.
  double q;
  double w;
  double v;
  double aS;
  double aC;
  double bS;
  double bC;
  if (radicand <= kSeriesRadicand) {
    // With E = exp(-l/2) and y = q/2 the decays are E(cosh y -+ sinh y), and every coefficient is
    // E times cosh y or sinh(y)/y, both series in y^2 = radicand/4. q then cancels from the
    // equations: no square root and no division by q, which would lose all digits as q goes to
    // 0, and the double eigenvalue (r = 0, i = f, q = 0) is the same formula. Over
    // y^2 <= 1/16 the first omitted terms are below 1e-17 of the sums.
    const double e = std::exp(-l / 2.0);
    const double z = radicand / 4.0;
    const double z2 = z * z;
    const double z4 = z2 * z2;
    // Estrin's grouping keeps the two series short in latency.
    const double coshY = (1.0 + z * (1.0 / 2)) + z2 * (1.0 / 24 + z * (1.0 / 720)) +
                         z4 * ((1.0 / 40320 + z * (1.0 / 3628800)) + z2 * (1.0 / 479001600));
    const double sinhYOverY = (1.0 + z * (1.0 / 6)) + z2 * (1.0 / 120 + z * (1.0 / 5040)) +
                              z4 * (1.0 / 362880 + z * (1.0 / 39916800));
    const double eCosh = e * coshY;
    const double eSinh = e * sinhYOverY;  // (v - w) / q
    const double spread = 0.5 * eSinh * (f + r - i);
    aS = eCosh + spread;
    aC = eSinh * r;
    bS = eSinh * i;
    bC = eCosh - spread;
    // The coefficients of the step need no q; the series of coefficients kept per age do.
    q = RootOfRadicand(radicand);
    const double halfQSinh = 0.5 * q * eSinh;
    v = eCosh + halfQSinh;
    w = eCosh - halfQSinh;
  } else {
    // S' = (2(v - w)((f + r)S + rC) + ((q - l)v + (q + l)w)S) / 2q
    // C' = -((v - w)(2((f + r)(S + C) - lS) - lC) - qC(v + w)) / 2q
    q = std::sqrt(radicand);
    w = std::exp(-(l + q) / 2.0);
    v = std::exp(-(l - q) / 2.0);
    const double d = v - w;
    const double h = 0.5 / q;
    const double qSum = q * (v + w);
    const double dSpread = d * (f + r - i);
    aS = h * (qSum + dSpread);
    aC = 2.0 * h * d * r;
    bS = 2.0 * h * d * i;
    bC = h * (qSum - dSpread);
  }
  const double S = Healthy[a];
  const double C = Diseased[a];
  const double D = DiseaseDeaths[a];
  const double S1 = aS * S + aC * C;
  const double C1 = bS * S + bC * C;
  // Whoever left the living states died of the disease: other causes are outside the cohort.
  const double D1 = D + ((1.0 - aS - bS) * S + (1.0 - aC - bC) * C);
  year = {S, C, D, S1, C1, D1};

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

inline bool Tbasicequations::DeriveYear(int a, const Year& year) {
  auto& m = model_;
  const int s = sex_;
  // Derived variables use the present hazards of the age, whatever trend factors the cohort ran
  // with.
  const double i = m[kIncidence][s][a];
  const double r = m[kRemission][s][a];
  const double f = m[kCaseFatality][s][a];
  const double allCause = allCauseMortality_[s][a];
  const auto [S, C, D, S1, C1, D1] = year;
  // One over the mean number alive during the year, and case fatality over all-cause mortality,
  // in one packed division (the divider is what a step waits for most). A cohort with nobody
  // alive, or a zero all-cause mortality, gives an infinity or NaN here, which the store below
  // refuses as a fault.
  using Double2 = double __attribute__((vector_size(16)));
  const Double2 quotients = Double2{2.0, f} / Double2{S + C + S1 + C1, allCause};
  const double perAlive = quotients[0];

  const double mortality = (D1 - D) * perAlive;
  const double rrMortality = quotients[1] + 1.0;
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
  auto& popRateOut = popRateIncidence_[a];
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

Tdynbasicequations::Tdynbasicequations(PerVariableAndSex<Series>& model, Series& popRateIncidence,
                                       int sex,
                                       const std::array<Series, kSexCount>& allCauseMortality,
                                       MessagesLog& log, double birthPrevalence, int trendStart,
                                       const std::function<double(int h, int t)>& trendFactor)
    : Tbasicequations(model, popRateIncidence, sex, allCauseMortality, log, birthPrevalence),
      trendStart_(trendStart),
      firstYear_(std::max(trendStart, -kHighestPossibleAge)) {
  for (int h = 0; h < kTrendHazardCount; ++h) {
    for (int t = firstYear_; t <= 0; ++t) factors_[h][t - firstYear_] = trendFactor(h, t);
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
  Year year{};
  if (n <= 0) {
    n = 0;
    Reset(birthPrevalence_);
  } else {
    SetFactors(trendStart_);
    for (int k = 0; k < n; ++k) {
      if (!AdvanceYear(k, year)) return NoteFault();
    }
  }
  for (int k = n; k <= a; ++k) {
    SetFactors(k - a);
    if (!AdvanceYear(k, year)) return NoteFault();
  }
  if (!DeriveYear(a, year)) NoteFault();
}

}  // namespace kavrel
