#pragma once

#include <ostream>
#include <string>

#include "cli/command.h"

namespace kavrel::cli {

struct AdjustOptions : DiseaseTarget {
  std::string variable;
  std::string method;
  std::string applyTo;  // "original", "current", or empty for the window's choice
  std::string ages;     // LOW-HIGH
  int period = 5;
  int order = 2;
  bool weightPopulation = false;
  bool meanValues = false;
  bool noLow = false;
  bool noHigh = false;
  // The end points of the polynomial and the spline: ages and values ("default" is 0).
  int lowAge = 0;
  int highAge = -1;  // the highest age + 5
  std::string lowValue = "default";
  std::string highValue = "default";
  bool save = false;
};

// Runs one age schedule procedure on one input variable and prints Age,Original,Current,Adjusted.
int RunAdjust(const AdjustOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
