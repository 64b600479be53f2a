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

struct FitReportRow {
  int Variable = 0;
  int Lage = 0;
  int Hage = 0;
  std::string Label;  // "0-4", "85+"
  double Input = 0.0;
  double Output = 0.0;
  std::optional<double> Deviation;  // output / input - 1; none for an input of 0
};

struct FitReport {
  std::vector<FitReportRow> Rows;
  // The row with the largest absolute deviation; none when no row has one.
  const FitReportRow* Worst() const;
  // The rows whose deviation exceeds threshold (0.10 for 10 %) in absolute value.
  std::vector<const FitReportRow*> Beyond(double threshold) const;
};

// The report of the disease's sex from its inputs (InputSeries, as calculated: original or
// adjusted) and outputs (OutputSeries), for every variable with own input or input taken from
// output. Incidence given as a rate in the whole population is compared as such.
FitReport BuildFitReport(const Tdisease& disease, int sex, int maxAge,
                         const std::array<Series, kSexCount>* population, int width = 5);

// "Variable,Age group,Input,Output,Deviation", then a line per row (17 significant digits; the
// deviation empty where the input is 0).
std::string FitReportCsv(const FitReport& report);

// The messages-log line when a deviation is beyond the threshold, naming the largest:
// "Fit: Prevalence 5-9 input 0.0038, output 0.00314 (-17.4 %); 3 groups beyond 10 %".
std::optional<std::string> FitReportWarning(const FitReport& report, const std::string& disease,
                                            int sex, double threshold);

}  // namespace kavrel
