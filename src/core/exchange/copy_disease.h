#pragma once

// Copying one disease of the open data set, with its inputs, adjusted inputs, outputs, trends and
// calculation options, into other data sets, replacing a disease of the same name there.

#include <memory>
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

// A destination file named by the user (the command line): when the open collection lists it, it
// carries its name there, which gives its highest age.
CopyDestination DestinationInOpenCollection(TDataKavrel& data, const std::string& file);

// A data set as a collection lists it.
struct ListedDataset {
  std::string Name;
  std::string File;
};

// The copy window: the diseases of the open data set, and the data sets of a collection the user
// chooses, read through a connection of the window's own so that the collection the program has
// open stays as it is.
class CopyWindow {
 public:
  CopyWindow(TDataKavrel& data, UserDialogs& dialogs);
  ~CopyWindow();

  std::vector<std::string> Diseases;    // of the open data set, by name
  std::vector<ListedDataset> Datasets;  // of the chosen collection, by name

  // Lists the diseases of the open data set, whose highest age is maxAge.
  void Open(int maxAge);
  // Opens the collection file and lists its data sets. False, with the message shown and the
  // list empty, when the file cannot be read.
  bool ChooseCollection(const std::string& collectionFile);
  // "&Copy": the disease `source` (empty: none chosen) as `destinationName` into the data sets of
  // the rows chosen. True when every destination took it; otherwise the user has been told which
  // did not and why.
  bool Copy(const std::string& source, const std::string& destinationName,
            const std::vector<int>& rows);
  // Closing the window lets go of its connection.
  void Close();

 private:
  TDataKavrel& data_;
  UserDialogs& dialogs_;
  int maxAge_ = 0;
  std::unique_ptr<Database> collection_;
};

}  // namespace kavrel
