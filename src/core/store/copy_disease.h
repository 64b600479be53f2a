#pragma once

// Copying one disease of the open data set, with its inputs, adjusted inputs, outputs, trends and
// calculation options, into other data sets, replacing a disease of the same name there.

#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

class Database;
class TDataKavrel;
class UserDialogs;

inline constexpr std::string_view kSelectSourceMessage = "Select one disease to copy";
inline constexpr std::string_view kSelectDestinationsMessage =
    "Select one or more destination data sets";

struct CopyDestination {
  std::string File;
  std::string DatasetName;  // its name in the collection, for its highest age
  int HighestAge = 0;       // 0: from the collection, else from the width of its tables
};

struct CopyOutcome {
  std::string File;
  int InputId = 0;  // the disease's number in the destination
  bool Copied = false;
  std::string Error;
};

// Copies disease `source` of the open data set (highest age sourceMaxAge) as `destinationName`
// into each destination. Each destination is written in one transaction through a connection
// of its own: one that fails is left as it was, and the copy goes on with the next. collection
// (may be null) gives the destinations' highest ages.
std::vector<CopyOutcome> CopyDisease(TDataKavrel& data, UserDialogs& dialogs, int sourceMaxAge,
                                     const std::string& source, const std::string& destinationName,
                                     const std::vector<CopyDestination>& destinations,
                                     Database* collection);

}  // namespace kavrel
