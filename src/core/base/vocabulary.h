#pragma once

// The system's vocabulary: the age axis, the sexes, the seven variables and the names by which
// windows, tables and database tables refer to them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavrel {

// Single years of age 0 ... 110. A data set computes ages 0 ... MaxAge (at most 110); entries above
// MaxAge are never written by a calculation and stay 0.
inline constexpr int kAgeCount = 111;
inline constexpr int kHighestPossibleAge = kAgeCount - 1;
// The end of an open top group as patterns and schedules store it: past every highest age a data
// set can have, so that the group reads back open ("85+") in a data set of any highest age.
inline constexpr int kOpenTopHage = kHighestPossibleAge + 1;
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

// One value per variable and sex: series[variable][sex].
template <typename T>
using PerVariableAndSex = std::array<std::array<T, kSexCount>, kVariableCount>;
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

}  // namespace kavrel
