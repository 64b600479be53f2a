#pragma once

// The multistate model: a birth cohort of 1000 followed through single years of age in the states
// healthy, diseased and dead from the disease. Within a year the hazards incidence i, remission r
// and case fatality f are constant, and the year is solved in closed form. Death from other causes
// is not part of the cohort; it enters only the derived variables.

#include <array>
#include <functional>

#include "core/base/vocabulary.h"

namespace kavrel {

class MessagesLog;

inline constexpr char kBasicEquationsError[] = "Internal error: basic equations";

class Tbasicequations {
 public:
  // The model of one sex over a disease's series: it reads the hazards from `model` at each call
  // and writes prevalence, mortality, RR mortality, the step-level duration and the incidence as
  // a rate in the whole population.
  Tbasicequations(PerVariableAndSex<Series>& model, Series& popRateIncidence, int sex,
                  const std::array<Series, kSexCount>& allCauseMortality, MessagesLog& log,
                  double birthPrevalence);
  virtual ~Tbasicequations() = default;
  Tbasicequations(const Tbasicequations&) = delete;
  Tbasicequations& operator=(const Tbasicequations&) = delete;

  // Puts the cohort at birth: (1 - x) x 1000 healthy, x x 1000 diseased, nobody dead.
  void Reset(double birthPrevalence);

  // l = i + r + f at age a (hazards times the trend factors in force).
  double SumHazard(int a) const;
  // q = sqrt((i + r + f)^2 - 4if), 0 when the radicand is negative.
  double Root(int a) const;
  // Fills the decay coefficients of age a and the cohort at exact age a + 1. False on an
  // arithmetic fault, with what was not yet written left as it was.
  bool Advance(int a);
  // The derived variables of age a from the cohort at a and a + 1. False on an arithmetic fault.
  bool Derive(int a);
  // Advance then Derive; a fault is noted in the log as "Internal error: basic equations" and the
  // caller goes on with the next age. Depends only on the hazards of age a and the cohort at a.
  virtual void Step(int a);

  std::array<double, kAgeCount> HazardSum{};
  std::array<double, kAgeCount> RootTerm{};
  std::array<double, kAgeCount> DecayFast{};
  std::array<double, kAgeCount> DecaySlow{};
  std::array<double, kAgeCount> DiseaseMortality{};
  CohortSeries Healthy{};
  CohortSeries Diseased{};
  CohortSeries DiseaseDeaths{};

 protected:
  void NoteFault();
  // The cohort at exact ages a and a + 1, handed from the advance to the derivation in registers.
  struct Year {
    double S, C, D, S1, C1, D1;
  };
  // The bodies of Advance and Derive, so that a step compiles to one straight run.
  bool AdvanceYear(int a, Year& year);
  bool DeriveYear(int a, const Year& year);

  // The calendar-year factors of the trend model. Always 1 in the plain model, where multiplying
  // by them changes nothing, so both models share one set of equations.
  double IncidenceFactor_ = 1.0;
  double RemissionFactor_ = 1.0;
  double CaseFatalityFactor_ = 1.0;

  PerVariableAndSex<Series>& model_;
  Series& popRateIncidence_;
  int sex_;
  double birthPrevalence_;
  const std::array<Series, kSexCount>& allCauseMortality_;
  MessagesLog& log_;
};

// The model with time trends: each age's cohort is followed from birth through the calendar years
// it lived, every year's hazards scaled by that year's trend factors.
class Tdynbasicequations final : public Tbasicequations {
 public:
  // Takes the earliest trend year and the trends' factors (hazard h, calendar year t) as they
  // stand; a calculation creates its model after the trend check, and the trends do not change
  // while it runs.
  Tdynbasicequations(PerVariableAndSex<Series>& model, Series& popRateIncidence, int sex,
                     const std::array<Series, kSexCount>& allCauseMortality, MessagesLog& log,
                     double birthPrevalence, int trendStart,
                     const std::function<double(int h, int t)>& trendFactor);

  void Step(int a) override;

  double IncidenceFactor() const { return IncidenceFactor_; }
  double RemissionFactor() const { return RemissionFactor_; }
  double CaseFatalityFactor() const { return CaseFatalityFactor_; }

 private:
  void SetFactors(int t);

  int trendStart_;
  int firstYear_;  // earliest calendar year a step can reach
  // Factors of the three hazards by calendar year firstYear_ ... 0, computed once: a trend
  // calculation advances the model a quadratic number of times in the ages.
  std::array<std::array<double, kAgeCount>, kTrendHazardCount> factors_{};
};

}  // namespace kavrel
