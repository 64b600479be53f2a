#pragma once

#include <ostream>
#include <string>

namespace kavrel::cli {

struct StoreOptions {
  std::string collection;           // collection database; empty: the current collection
  std::string dataset = "Example";  // data set name within the collection
};

// The data sets of the collection as CSV. Returns the process exit code.
int RunDatasets(const StoreOptions& options, std::ostream& out, std::ostream& err);
// The diseases of a data set with the inputs stored for each sex, as CSV.
int RunDiseases(const StoreOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kavrel::cli
