#pragma once

// The disease object: one disease of the open data set with both sexes' inputs and results. Every
// operation works on the current sex.

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/base/input_precision.h"
#include "core/base/output_intervals.h"
#include "core/base/vocabulary.h"
#include "core/engine/calc_settings.h"

namespace kavrel {

class MessagesLog;
class Tbasicequations;
struct CalcOptions;
class TDataKavrel;
class TableCursor;
class UserDialogs;

// One age-group input row as read from an Input<Word> table.
struct Tinputdat {
  std::int32_t Index = 0;  // position in its list, in Lage order
  std::uint8_t Sex = kMales;
  std::int32_t Lage = 0;     // first age of the group
  std::int32_t Hage = 0;     // first age after the group; MaxAge + 1 for the open top group
  double Waarde = 0.0;       // the value, in the unit of the variable
  InputPrecision Precision;  // kept in a table of its own, when known

  std::string Label(int maxAge) const { return GroupLabel(Lage, Hage, maxAge); }
};

// One block of a time trend. Calendar years count back from now: 0 is the present year.
struct Trendblok {
  std::int32_t Startt = 0;  // first year of the block, 0 or negative
  std::int32_t Endt = 0;    // last year, >= Startt
  double Waarde = 1.0;      // yearly factor of the hazard during the block (1.02: +2 % a year)
  bool operator==(const Trendblok&) const = default;
};

// The trend of one hazard: its blocks, most recent first (Endt descending), not overlapping.
struct Ttrendhazard {
  std::vector<Trendblok> Blocks;
  void Clear() { Blocks.clear(); }
  bool operator==(const Ttrendhazard&) const = default;
};

// The factor of a hazard in calendar year t relative to the present (1 at t = 0): the present
// hazard is the reference, a past one is divided by the yearly changes between then and now.
double TrendFactor(const Ttrendhazard& trend, int t);

// What a calculation works against besides the disease itself. Passed explicitly so that separate
// calculations (an uncertainty analysis's iterations) can run side by side on separate threads.
struct ModelEnvironment {
  int MaxAge;                                              // highest age of the data set
  const std::array<Series, kSexCount>& AllCauseMortality;  // of the population
  std::array<Series, kSexCount>& OtherCauseMortality;      // left by each calculation
  MessagesLog& Log;                                        // internal-error notes
  // The number of persons by sex and age: the weights of the input groups' means in the fit over
  // all ages and in the fit report (plain means without it).
  const std::array<Series, kSexCount>* PopulationNumbers = nullptr;
};

class Tdisease {
 public:
  explicit Tdisease(std::string name);
  virtual ~Tdisease();
  Tdisease(const Tdisease&) = delete;
  Tdisease& operator=(const Tdisease&) = delete;

  // The calculation of the current sex with the given options; false when it did not run (the
  // user has been told why). Here the plain calculation; the fitting disease overrides it.
  virtual bool Calculate(const ModelEnvironment& env, const CalcOptions& options,
                         UserDialogs& dialogs);
  // The plain calculation of the current sex: the input hazards through the model, then
  // other-cause mortality and duration. prevalenceAtBirth is the "Prevalence at birth" option.
  void CalculatePlain(const ModelEnvironment& env, bool prevalenceAtBirth);
  // The plain calculation when the incidence input is a rate in the whole population: the
  // incidence hazards are found so that the model's population rate equals the input at every
  // age (the hazard is the rate over the share without the disease, which itself depends on
  // the hazards). InputSeries is left as it was.
  void CalculatePlainFromPopulationRate(const ModelEnvironment& env, bool prevalenceAtBirth);
  // OutputSeries of the current sex := the results; incidence as the input gives it (a hazard, or
  // a rate in the whole population).
  void CopyToOutput();

  // Mean duration by age at onset for the current sex, from the hazards in ModelSeries and
  // other-cause mortality; fills ModelSeries[Duration][Sex][0 ... maxAge]. Throws ArithmeticError
  // when a duration comes out non-finite.
  void CalculateDuration(int maxAge, const Series& otherCauseMortality);

  // TrendFactor of trend h (0 incidence, 1 remission, 2 case fatality) of the current sex.
  double TrendFactor(int h, int t) const { return kavrel::TrendFactor(Trends.at(h), t); }
  // The trend window's check: TrendStart := the earliest year any trend reaches (0 without
  // trends); true when any hazard has a block.
  bool CheckTrends();

  // InputId, DiseaseName and ICDcode from the cursor's current record.
  void TakeRecord(const TableCursor& diseases);

  std::int32_t InputId = 0;
  // The stored original inputs as they were read (InputsFingerprint); empty when not read. A
  // result made from them is not saved over inputs that changed on disk since.
  std::string StoredInputs;
  std::string DiseaseName;
  std::string ICDcode;
  PerVariableAndSex<std::int32_t> InputRowCount{};
  PerVariableAndSex<bool> InputPresent{};
  PerVariableAndSex<bool> Processed{};
  PerVariableAndSex<bool> FromOutput{};
  PerVariableAndSex<std::vector<Tinputdat>> InputRows;
  PerVariableAndSex<Series> InputSeries{};
  PerVariableAndSex<Series> ModelSeries{};
  PerVariableAndSex<Series> OutputSeries{};
  std::uint8_t Sex = kMales;
  std::array<double, kSexCount> BirthPrevalence{};
  std::array<bool, kSexCount> Calculated{};
  bool IncidenceIsHazard = true;
  Series PopRateIncidence{};
  // The smoothness the last fit over all ages of the current sex used; not a number otherwise.
  double FitSmoothness = std::numeric_limits<double>::quiet_NaN();
  // The intervals of each sex's outputs, from its last calculation or as stored with its result.
  std::array<OutputIntervals, kSexCount> Intervals{};
  bool TrendsOn = false;
  // The trend window closed with changes: a save then writes the trends as they are now, also
  // when none are left. Otherwise a save writes them only when they were applied and leaves the
  // stored ones alone, so that processing from the original inputs never loses them.
  bool TrendsEdited = false;
  std::int32_t TrendStart = 0;
  Tcalcsettings CalcSettings;
  std::unique_ptr<Tbasicequations> Equations;  // exists only while a calculation runs
  std::array<Ttrendhazard, kTrendHazardCount> Trends;

  // Creates Equations for the current sex: the trend variant when TrendsOn.
  void CreateEquations(const ModelEnvironment& env);
};

// The disease as processing, inspection and copying use it: it fits the hazards that are not
// given exactly (the fit itself is a Tfitter of the calculation).
class Tdiseaseam : public Tdisease {
 public:
  explicit Tdiseaseam(std::string name) : Tdisease(std::move(name)) {}

  // The fit: group by group the hazards not marked "Exact" are searched as logarithms, then
  // smoothed, then a final pass of the model gives every output. Falls back to the plain
  // calculation when exactly incidence, remission and case fatality are available.
  bool Calculate(const ModelEnvironment& env, const CalcOptions& options,
                 UserDialogs& dialogs) override;

  // In-place smoothings of a single-year series over ages 0 ... maxAge with groups of width w.
  static void SmoothLinear(Series& series, int w, int maxAge);
  static void SmoothMovingAverage(Series& series, int w, int maxAge);
  static void SmoothSpline(Series& series, int w, int maxAge);
};

// The outputs of sex s from a model's series: incidence as the input gives it (a hazard, or a rate
// in the whole population), values within rounding of zero as zero.
void OutputsFromModel(const PerVariableAndSex<Series>& model, const Series& popRateIncidence,
                      bool incidenceIsHazard, int s, PerVariableAndSex<Series>& outputs);

// Mean duration by age at onset for sex s from the hazards in `model` and other-cause mortality;
// fills model[Duration][s][0 ... maxAge]. Throws ArithmeticError when a duration comes out
// non-finite.
void CalculateDuration(PerVariableAndSex<Series>& model, int s, int maxAge,
                       const Series& otherCauseMortality);

// A fitting disease of its own for another calculation (a worker's run, the other sex): what a
// calculation and its fit report read of the original — its record, flags, input rows and
// series, trends and options — and nothing of a calculation's state.
std::unique_ptr<Tdiseaseam> CopyForCalculation(const Tdisease& from);

}  // namespace kavrel
