#pragma once

#include <ostream>

namespace kavrel::cli {

struct DemoOptions {
  int maxAge = 100;
  int sex = 0;         // 0 males, 1 females
  int step = 1;        // print every step-th age
  bool trend = false;  // incidence rising 2 % a year over the last 20 years
  bool table = false;  // aligned columns for reading instead of CSV
};

// Runs the model on the synthetic demonstration disease and writes the seven variables by single
// year of age as CSV. Returns the process exit code.
int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
