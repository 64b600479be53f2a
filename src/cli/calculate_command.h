#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace kavrel::cli {

struct CalculateOptions : DiseaseTarget {
  bool adjusted = false;
  bool trends = false;
  bool save = false;
  bool intervals = false;       // the outputs' lower and upper limits beside them
  double intervalLevel = 95.0;  // percent
  // --report: the fit report instead of the outputs; --report FILE: the report into FILE, the
  // outputs as usual.
  std::string reportFile;
  const CLI::Option* reportOption = nullptr;
  std::vector<std::string> options;  // COLUMN=VALUE
};

// One CSV line per disease of the data set with its flags. Returns the exit code.
int RunList(const CalculateOptions& options, std::ostream& out, std::ostream& err);
// Calculates one disease for one sex and prints the outputs by single year of age.
int RunCalculate(const CalculateOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
