#include "core/shell/dataset_session.h"

#include <filesystem>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease_store.h"
#include "core/exchange/population.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/datasets.h"
#include "core/store/open_marker.h"
#include "core/store/settings.h"
#include "core/store/table_cursor.h"

namespace kavrel {

bool DatasetSession::Open(const std::string& datasetFile, const std::string& collectionFile,
                          const std::string& programDir, bool mayConvert) {
  if (!TDataKavrel::CheckEngine(dialogs_)) return false;
  std::string collection = collectionFile;
  if (collection.empty() && Installed(programDir)) {
    SettingsState settings;
    if (LoadSettings(settings, programDir, data_, dialogs_, nullptr) == StartUp::kContinue &&
        settings.CurrentCollectionIndex >= 0) {
      collection =
          settings.Collections[static_cast<size_t>(settings.CurrentCollectionIndex)].Path();
    }
  }
  if (!collection.empty()) data_.OpenCollection(collection);
  if (!std::filesystem::exists(datasetFile)) {
    dialogs_.ShowError("The data set file " + datasetFile + " does not exist");
    return false;
  }
  // A file without the tables of a data set is refused with what it lacks, before anything reads
  // it.
  {
    Database probe = Database::Open(datasetFile, false, !mayConvert);
    if (auto problem = DatasetShapeProblem(probe, datasetFile)) {
      dialogs_.ShowError(*problem);
      return false;
    }
  }
  // The name the collection gives the file, else the file's own; a command that writes stays out
  // of a data set the collection marks read-only, and hears of other programs that have it open.
  name_ = std::filesystem::path(datasetFile).stem().string();
  if (const auto row = ListedRow(data_, datasetFile)) {
    name_ = row->Name;
    if (mayConvert && row->ReadOnly) {
      dialogs_.ShowError(ReadOnlyDatasetMessage(name_));
      return false;
    }
  }
  if (mayConvert) {
    if (const auto holders = OtherHolders(datasetFile); !holders.empty()) {
      log_.AddMessage("Note: " + name_ + " is open for writing in " + HoldersText(holders) +
                      " as well; a save over inputs changed there since they were read here is "
                      "refused.");
    }
  }
  maxAge_ = ProbeHighestAge(data_, datasetFile, mayConvert);
  if (maxAge_ == 0) {
    dialogs_.ShowError(datasetFile +
                       " is not a Kavrel data set: it has no processed-input tables to take its "
                       "highest age from");
    return false;
  }
  // A command that only reads opens the file read-only: it cannot change it by mistake.
  data_.OpenDataset(datasetFile, mayConvert, !mayConvert);
  return true;
}

bool DatasetSession::LoadPopulation(PopulationSeries& population, bool numbers) {
  return LoadPopulationData(population, data_, dialogs_, log_, maxAge_, numbers);
}

std::unique_ptr<Tdiseaseam> DatasetSession::LoadDisease(const std::string& name, int sex,
                                                        unsigned parts) {
  if (!data_.KavrelTable1().Locate("DiseaseName", name)) {
    dialogs_.ShowError("The data set has no disease named " + name);
    return nullptr;
  }
  DiseaseStore store = Store();
  return DiseaseUnderCursor(store, sex, parts);
}

}  // namespace kavrel
