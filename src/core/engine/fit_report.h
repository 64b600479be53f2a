#pragma once

// How well a calculation reproduces its inputs: for each available input variable and each of its
// input age groups, the input, the output's mean over the group and the relative deviation. The
// group means are weighted by the number of persons of the sex at each age, so that a published
// group figure (itself a mean over the group's people) is compared with the same kind of mean.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/vocabulary.h"
#include "core/engine/disease.h"

namespace kavrel {

// The mean of a single-year series over ages lage ... hage - 1 (cut at maxAge), weighted by the
// population at each age; the plain mean without a population or where it sums to 0.
double GroupMean(const Series& series, int lage, int hage, int maxAge, const Series* population);

// The input age groups of variable v of the disease's sex, as (first age, first age after):
// the stored input rows, or for an input without rows (taken from output) groups of `width`
// years. Nothing for a variable that is not available.
std::vector<std::pair<int, int>> InputGroups(const Tdisease& disease, int v, int sex, int maxAge,
                                             int width);

// The precision stored with the input row of variable v that covers exactly ages lage ... hage - 1
// (cut at maxAge); nothing known when there is no such row.
InputPrecision StoredPrecision(const Tdisease& disease, int v, int sex, int lage, int hage,
                               int maxAge);

// How many standard errors an output lies from an input of variable v that has the given
// precision, signed as input minus output: the signed root of the group's deviance (binomial for
// prevalence, Poisson for events over person-years) or of the interval's log-normal. countScale
// multiplies the count (an analysis's varied input). The fit over all ages minimises the sum of
// their squares.
double PrecisionResidual(int v, double input, double output, const InputPrecision& precision,
                         double countScale = 1.0);

struct FitReportRow {
  int Variable = 0;
  int Lage = 0;
  int Hage = 0;
  std::string Label;  // "0-4", "85+"
  double Input = 0.0;
  double Output = 0.0;
  std::optional<double> Deviation;  // output / input - 1; none for an input of 0
  double Difference = 0.0;          // output - input, also for an input of 0
  // How many standard errors the input lies from the output (see PrecisionResidual): from the
  // group's precision, or else from the counts the persons of the group imply (the figure taken
  // as measured on all of them); none for a duration or RR mortality without precision, or
  // without persons.
  std::optional<double> Residual;
  InputPrecision Precision;
};

// A fitted hazard that reached its maximum, and where.
struct HazardAtMaximum {
  int Variable = 0;
  double Maximum = 0.0;
  std::vector<std::pair<int, int>> Ages;  // first and last age of each run
};

struct FitReport {
  std::vector<FitReportRow> Rows;
  std::vector<HazardAtMaximum> AtMaximum;
  // How the fit was made, for the messages ("per age group", "all ages at once, smoothness 0.2
  // chosen from the data"); empty when unknown.
  std::string Method;
  // The row that weighs most against the fit: the largest standardised residual, or where no row
  // has one the largest absolute deviation; none when no row has either.
  const FitReportRow* Worst() const;
  // The rows whose deviation exceeds threshold (0.10 for 10 %) in absolute value and, where the
  // row has a standardised residual, lies more than two standard errors from the output; an input
  // of 0 whose output lies more than two standard errors away.
  std::vector<const FitReportRow*> Beyond(double threshold) const;
};

// The fitted hazards of the disease's sex that reach their maximum (0.1 % below it counts), with
// the runs of ages where they do.
std::vector<HazardAtMaximum> HazardsAtMaximum(const Tdisease& disease, int sex, int maxAge,
                                              const std::array<double, 3>& maxima,
                                              const std::array<bool, 3>& exact);

// The report of the disease's sex from its inputs (InputSeries, as calculated: original or
// adjusted) and outputs (OutputSeries), for every variable with own input or input taken from
// output. Incidence given as a rate in the whole population is compared as such.
FitReport BuildFitReport(const Tdisease& disease, int sex, int maxAge,
                         const std::array<Series, kSexCount>* population, int width = 5);

// "Variable,Age group,Input,Output,Deviation,Difference,Standardised residual,Count,Denominator,
// Lower,Upper", then a line per row (17 significant digits; the deviation empty where the input is
// 0, the residual and the precision empty where there are none).
std::string FitReportCsv(const FitReport& report);

// The messages-log line when a group is beyond the threshold or a hazard at its maximum, naming
// the method, the group that weighs most and the hazards at their maximum: "Fit of Asthma, Males
// (per age group): Prevalence 5-9 input 0.0038, output 0.00314 (-17.4 %, 3.1 standard errors);
// 3 groups beyond 10 %; Case fatality at its maximum of 2 at ages 48-54".
std::optional<std::string> FitReportWarning(const FitReport& report, const std::string& disease,
                                            int sex, double threshold);

}  // namespace kavrel
