#pragma once

// The population of the open data set by single year of age and sex: the all-cause mortality the
// model is set against and the numbers of persons that turn rates into numbers, with the stored
// age groups they were made from.

#include <array>
#include <vector>

#include "core/base/vocabulary.h"

namespace kavrel {

// One stored age group of TotalMortality or Population.
struct Tpopinputdat {
  int Index = 0;
  int Lage = 0;
  int Hage = 0;  // first age after the group
  double Males = 0.0;
  double Females = 0.0;
};

struct PopulationSeries {
  std::array<Series, kSexCount> AllCauseMortality{};
  std::array<Series, kSexCount> PopulationNumbers{};
  std::vector<Tpopinputdat> MortalityGroups;
  std::vector<Tpopinputdat> PopulationGroups;
  int LastSplineAge = 0;
};

}  // namespace kavrel
