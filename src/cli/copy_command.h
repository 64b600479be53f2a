#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace kavrel::cli {

struct CopyOptions : DiseaseTarget {
  std::vector<std::string> destinations;
  std::string name;  // empty: the disease's own name
};

// Copies a disease into each destination data set file; one line per destination.
int RunCopy(const CopyOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
