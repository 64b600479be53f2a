#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace kavrel::cli {

struct AnalysisOptions : DiseaseTarget {
  std::string variables;  // comma-separated names; empty: every variable with adjusted input
  int threads = 0;
  bool save = false;
  // uncertainty
  int iterations = 50;
  std::vector<std::string> distributions;  // VARIABLE=normal|uniform|triangular|poisson|binomial
  double coefficient = 0.1;
  std::string intervals = "50,60,70,80,90";
  int generator = 5;
  long long seed = -1;   // -1: from the clock
  std::string saveKind;  // summary or full
  bool fromFit = false;  // hazards drawn from the fit's own distribution
  // sensitivity
  int steps = 3;
  int stepPercent = 5;
};

int RunUncertainty(const AnalysisOptions& options, std::ostream& out, std::ostream& err);
int RunSensitivity(const AnalysisOptions& options, std::ostream& out, std::ostream& err);
// The first count numbers of a generator created with the runtime seed.
int RunRandom(int generator, long long seed, int count, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
