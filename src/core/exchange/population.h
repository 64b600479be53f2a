#pragma once

// The population of the open data set by single year of age: all-cause mortality from the
// stored age groups (a cubic spline through the logarithms of the rates, an old-age curve above
// the last group that is wider than a year) and the numbers of persons, spread evenly.

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "core/engine/population_series.h"

namespace kavrel {

class MessagesLog;
class TDataKavrel;
class UserDialogs;
struct SimplexSettings;

inline constexpr std::string_view kMortalityMissingQuestion =
    "Total mortality data is missing.\r\n Do you want to provide it now?";
inline constexpr std::string_view kPopulationMissingQuestion =
    "Population data is missing.\r\n Do you want to provide it now?";

enum class PopulationLoad {
  kLoaded,
  kMissing,     // no rows; the user declined to provide them now
  kProvideNow,  // no rows; the user wants the population window now
  kFailed,      // rows that cannot be converted; the user has been told
};

// Fills AllCauseMortality (ages 0 ... maxAge) from TotalMortality.
PopulationLoad LoadMortality(PopulationSeries& population, TDataKavrel& data, UserDialogs& dialogs,
                             MessagesLog& log, int maxAge);
// Fills PopulationNumbers (ages 0 ... maxAge; 0.1 where no group covers an age) from Population.
PopulationLoad LoadPopulation(PopulationSeries& population, TDataKavrel& data, UserDialogs& dialogs,
                              int maxAge);

// The old-age mortality curve (|p0| e^(|p1| a) + |p2|) / (1 + |p0| |p3| e^(|p1| a)).
double OldAgeMortality(const std::array<double, 4>& p, double age);

// Both, as a data set's opening loads them: the all-cause mortality and, with `numbers`, the
// population numbers. When either is missing and the user wants to give it now, provideNow is
// called with whether it is the mortality; without provideNow the mortality that does not load
// ends the loading. True when what was asked for is loaded.
bool LoadPopulationData(PopulationSeries& population, TDataKavrel& data, UserDialogs& dialogs,
                        MessagesLog& log, int maxAge, bool numbers = true,
                        const std::function<void(bool mortality)>& provideNow = nullptr);

}  // namespace kavrel
