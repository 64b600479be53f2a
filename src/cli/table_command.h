#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace kavrel::cli {

struct TableOptions : DiseaseTarget {
  bool numbers = false;
  int ratesPer = 1;
  int decimals = 4;
  int schedule = 0;
  std::string input = "adjusted";
  std::string incidence = "rate";  // output incidence: "hazard" or "rate" (whole population)
};

struct ExportOptions : DatasetTarget {
  std::string format;
  std::string out;
  std::string diseases = "all";
  std::string numbers = "both";
  int ratesPer = 1;
  int decimals = 4;
  std::string incidence = "rate";
  std::vector<std::string> include;  // "sensitivity", "uncertainty"
};

// The stored outputs' standard result table of one disease and sex, as CSV.
int RunTable(const TableOptions& options, std::ostream& out, std::ostream& err);
// The export run to a file, overwriting it.
int RunExportCommand(const ExportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
