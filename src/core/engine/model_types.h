#pragma once

// The engine's vocabulary: the age axis, the sexes, the seven variables and the names by which
// windows, tables and database columns refer to them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavrel {

// Single years of age 0 ... 110. A data set computes ages 0 ... MaxAge (at most 110); entries above
// MaxAge are never written by a calculation and stay 0.
inline constexpr int kAgeCount = 111;
inline constexpr int kHighestPossibleAge = kAgeCount - 1;
using Series = std::array<double, kAgeCount>;

// The model's cohort runs one entry further: a step from age a fills exact age a + 1.
inline constexpr int kCohortCount = kAgeCount + 1;
using CohortSeries = std::array<double, kCohortCount>;

inline constexpr int kSexCount = 2;
enum Sex : std::uint8_t { kMales = 0, kFemales = 1 };
// Database texts and display names of the sexes.
inline constexpr std::array<std::string_view, kSexCount> kSexNames = {"Males", "Females"};

// The seven variables, always in this order. 0, 2 and 3 are the hazards that drive the model; the
// other four are derived from them.
inline constexpr int kVariableCount = 7;
enum Variable : std::uint8_t {
  kIncidence = 0,
  kPrevalence = 1,
  kRemission = 2,
  kCaseFatality = 3,
  kDuration = 4,
  kMortality = 5,
  kRRMortality = 6,
};

using VariableNames = std::array<std::string_view, kVariableCount>;

// Display names as the input and processing windows show them.
inline constexpr VariableNames kVariableDisplayNames = {"Incidence",     "Prevalence", "Remission",
                                                        "Case fatality", "Duration",   "Mortality",
                                                        "RR Mortality"};
// The second spelling, used by output captions.
inline constexpr VariableNames kVariableCaptions = {"Incidence",     "Prevalence", "Remission",
                                                    "Case fatality", "Duration",   "Mortality",
                                                    "RR mortality"};
// The word that follows Input, Interm, Output, Sense, Uncert and UncertSum in table names.
inline constexpr VariableNames kVariableTableWords = {
    "Incidence", "Prevalence", "Remission", "Casefatality", "Duration", "Mortality", "RRMortality"};

// InputDiseases columns. Column names match without regard to case, so the engine's own spelling
// MCasefatality serves the column that the table declares as MCaseFatality.
inline constexpr std::array<VariableNames, kSexCount> kInputFlagColumns = {{
    {"MIncidence", "MPrevalence", "MRemission", "MCasefatality", "MDuration", "MMortality",
     "MRRMortality"},
    {"FIncidence", "FPrevalence", "FRemission", "FCasefatality", "FDuration", "FMortality",
     "FRRMortality"},
}};
inline constexpr std::array<VariableNames, kSexCount> kProcessedFlagColumns = {{
    {"MIncidenceproc", "MPrevalenceproc", "MRemissionproc", "MCasefatalityproc", "MDurationproc",
     "MMortalityproc", "MRRMortalityproc"},
    {"FIncidenceproc", "FPrevalenceproc", "FRemissionproc", "FCasefatalityproc", "FDurationproc",
     "FMortalityproc", "FRRMortalityproc"},
}};
inline constexpr std::array<std::string_view, kSexCount> kOutputFlagColumns = {"Moutput",
                                                                               "Foutput"};

// The hazards that can carry a time trend: trend index 0, 1, 2 stands for variable 0, 2, 3.
inline constexpr int kTrendHazardCount = 3;
inline constexpr std::array<std::string_view, kTrendHazardCount> kTrendHazardNames = {
    "Incidence", "Remission", "Case fatality"};
inline constexpr std::array<Variable, kTrendHazardCount> kTrendHazardVariables = {
    kIncidence, kRemission, kCaseFatality};

// Display multipliers offered for rates; rates themselves are always plain fractions per
// person-year.
inline constexpr std::array<int, 6> kRatesPerTable = {1, 100, 1000, 10000, 100000, 1000000};

constexpr bool IsHazard(int variable) {
  return variable == kIncidence || variable == kRemission || variable == kCaseFatality;
}

// Label of an age group [lage, hage): "0-4", "7", or "85+" for the open top group.
std::string GroupLabel(int lage, int hage, int maxAge);

// Real numbers in database statements: a sign position (blank or minus), one digit, a period,
// 14 digits, E, the exponent's sign and four exponent digits; 23 characters that do not depend on
// the user's decimal separator. 0.0015 is " 1.50000000000000E-0003". A non-finite value has no
// such text and raises std::domain_error rather than reaching a statement.
std::string StatementReal(double value);

// Logical values in statements.
constexpr std::string_view StatementBool(bool value) { return value ? "True" : "False"; }

// A number as the user typed it: blanks around it ignored, the decimal separator of the user's
// locale (a period is then refused), the whole text one finite number. Nothing otherwise.
std::optional<double> ReadNumberText(std::string_view text, char decimalSeparator = '.');

}  // namespace kavrel
