#pragma once

// One way to open a data set file and load what a command needs from it: the data set (an older
// file converted into a collection), its population, and a disease with the parts the command
// reads. The command-line tool's commands all go through it; the windows share its disease and
// population loading.

#include <memory>
#include <string>

#include "core/engine/disease.h"
#include "core/engine/disease_store.h"

namespace kavrel {

class MessagesLog;
class TDataKavrel;
class UserDialogs;
struct PopulationSeries;

class DatasetSession {
 public:
  DatasetSession(TDataKavrel& data, UserDialogs& dialogs, MessagesLog& log)
      : data_(data), dialogs_(dialogs), log_(log) {}

  // Opens the data set file as the program opens one: first the collection that takes over an
  // older file's patterns and schedules (collectionFile, or else the current collection of the
  // installation in programDir when it has one), then the data set with the highest age read
  // from the width of its tables. False, with the message shown, when the file is missing or is
  // not a data set.
  // A command that only reads passes mayConvert false: an older file is then refused, not
  // converted.
  bool Open(const std::string& datasetFile, const std::string& collectionFile,
            const std::string& programDir, bool mayConvert = true);

  // The all-cause mortality and, with `numbers`, the population numbers; false when they are
  // missing (the user has been told).
  bool LoadPopulation(PopulationSeries& population, bool numbers = true);

  // Puts the diseases cursor on the named disease and loads it with `parts` (DiseaseParts) for
  // `sex`. Null, with a message, when the data set has no such disease.
  std::unique_ptr<Tdiseaseam> LoadDisease(const std::string& name, int sex, unsigned parts);

  int MaxAge() const { return maxAge_; }
  // The open data set's name in the collection that lists its file, else the file's name without
  // its folder and extension.
  const std::string& DatasetName() const { return name_; }
  DiseaseStore Store() { return {data_, dialogs_, maxAge_}; }

 private:
  TDataKavrel& data_;
  UserDialogs& dialogs_;
  MessagesLog& log_;
  int maxAge_ = 0;
  std::string name_;
};

}  // namespace kavrel
