#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "cli_dialogs.h"
#include "engine/disease.h"
#include "exchange/population.h"
#include "shell/messages_log.h"
#include "store/data_kavrel.h"
#include "store/datasets.h"
#include "store/settings.h"

namespace kavrel::cli {

// Exit codes: an error (with its message), bad usage or insufficient input.
inline constexpr int kError = 1;
inline constexpr int kUsage = 2;

// A data set opened as the program opens one: the collection for the conversion of an older
// file (the named one, or the installation's current collection when there is one), then the
// highest age from the width of its processed-input tables.
struct OpenedDataset {
  OpenedDataset(std::ostream& err) : dialogs(err), data(dialogs) {
    log.SetListener([&err](const std::string& line) { err << line << '\n'; });
  }

  bool Open(const std::string& dataset, const std::string& collectionFile) {
    if (!TDataKavrel::CheckEngine(dialogs)) return false;
    std::string collection = collectionFile;
    if (collection.empty()) {
      const std::string programDir = ExecutableDirectory();
      if (std::filesystem::exists(programDir + "Kavrel.ini")) {
        SettingsState settings;
        if (LoadSettings(settings, programDir, data, dialogs, nullptr) == StartUp::kContinue &&
            settings.CurrentCollectionIndex >= 0) {
          collection =
              settings.Collections[static_cast<size_t>(settings.CurrentCollectionIndex)].Path();
        }
      }
    }
    if (!collection.empty()) data.OpenCollection(collection);
    if (!std::filesystem::exists(dataset)) {
      dialogs.ShowError("The data set file " + dataset + " does not exist");
      return false;
    }
    maxAge = ProbeHighestAge(data, dataset);
    if (maxAge == 0) {
      dialogs.ShowError(dataset +
                        " is not a Kavrel data set: it has no processed-input "
                        "tables to take its highest age from");
      return false;
    }
    data.OpenDataset(dataset);
    return true;
  }

  // The all-cause mortality, and with `numbers` the population numbers, as the program loads them
  // when a data set opens; false when either is missing (the message has been shown).
  bool LoadPopulationData(PopulationSeries& population, bool numbers = true) {
    if (LoadMortality(population, data, dialogs, log, maxAge) != PopulationLoad::kLoaded) {
      return false;
    }
    return !numbers || LoadPopulation(population, data, dialogs, maxAge) == PopulationLoad::kLoaded;
  }

  // Puts the diseases cursor on the named disease and gives the disease its record; false, with
  // a message, when the data set has no such disease.
  bool LocateDisease(const std::string& name, Tdisease& disease) {
    TableCursor& diseases = data.KavrelTable1();
    if (!diseases.Locate("DiseaseName", name)) {
      dialogs.ShowError("The data set has no disease named " + name);
      return false;
    }
    disease.TakeRecord(diseases);
    return true;
  }

  CliDialogs dialogs;
  TDataKavrel data;
  MessagesLog log;
  int maxAge = 0;
};

}  // namespace kavrel::cli
