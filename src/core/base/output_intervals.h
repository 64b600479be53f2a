#pragma once

// How sure a fit is of its outputs: for every output variable the lower and upper limits by single
// year of age at the level given. Only a fit over all ages whose inputs all carry their precision
// gives them; Present is false otherwise.

#include <array>

#include "core/base/vocabulary.h"

namespace kavrel {

struct OutputIntervals {
  bool Present = false;
  double Level = 0.95;
  std::array<Series, kVariableCount> Lower{};
  std::array<Series, kVariableCount> Upper{};
  // Without intervals after a fit over all ages: the variable whose input carries no precision
  // (-1 when that is not the reason).
  int WithoutPrecision = -1;
};

}  // namespace kavrel
