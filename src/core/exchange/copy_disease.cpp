#include "core/exchange/copy_disease.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/input_editor.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/datasets.h"
#include "core/store/disease_list.h"
#include "core/store/input_precision_store.h"
#include "core/store/layout.h"
#include "core/store/output_intervals_store.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace {

// The highest age of a data set file from the width of its processed-input tables.
int ProbeWidth(Database& db) {
  int found = 0;
  for (int n = 65; n <= 110; n += 5) {
    try {
      db.Query("select A" + std::to_string(n) + " from IntermIncidence");
      found = n;
    } catch (const DatabaseError&) {
      break;
    }
  }
  return found;
}

std::string Values(const Series& series, int maxAge) {
  std::string values;
  for (int a = 0; a <= maxAge; ++a) values += ", " + StatementReal(series[a]);
  return values;
}

}  // namespace

std::vector<CopyOutcome> CopyDisease(TDataKavrel& data, UserDialogs& dialogs, int sourceMaxAge,
                                     const std::string& source, const std::string& destinationName,
                                     const std::vector<CopyDestination>& destinations,
                                     Database* collection) {
  if (source.empty()) {
    dialogs.ShowInformation(kSelectSourceMessage);
    return {};
  }
  if (destinations.empty()) {
    dialogs.ShowInformation(kSelectDestinationsMessage);
    return {};
  }
  const std::string& d = destinationName;

  // The source row: the insert of positions 1 ... 34 as stored.
  QueryResult& row =
      data.QueryDataset("select * from InputDiseases where DiseaseName=" + Quote(source));
  if (row.RecordCount() == 0) throw DatabaseError("The data set has no disease named " + source);
  const int sourceId = static_cast<int>(row.AsInteger(0));
  std::string columns =
      "DiseaseName, ICDcode, Remarks, MIncidence,  MPrevalence, MRemission,  MCaseFatality,   "
      "MDuration,   MMortality,  MRRMortality,  MOutput, MIncidenceproc,  MPrevalenceproc, "
      "MRemissionproc,  MCaseFatalityproc,   MDurationproc,   MMortalityproc,  "
      "MRRMortalityproc,    FIncidence,  FPrevalence, FRemission,  FCaseFatality,   FDuration,   "
      "FMortality,  FRRMortality,    FOutput, FIncidenceproc,  FPrevalenceproc, FRemissionproc,  "
      "FCaseFatalityproc,   FDurationproc,   FMortalityproc,  FRRMortalityproc, IncidencePopRate";
  // The texts go over exactly as they are stored.
  std::string values = Quote(d) + ", " + Quote(row.AsText(2)) + ", " + Quote(row.AsText(3));
  for (int k = 4; k <= 34 && k < row.FieldCount(); ++k) values += ", " + row.AsText(k);

  // Everything stored for the source disease. A value that cannot be read stops the copy before
  // any destination is written: a copy never carries zeros in the place of figures.
  const int errorsBefore = dialogs.ErrorsShown();
  TableCursor& diseases = data.KavrelTable1();
  diseases.Locate("InputId", std::to_string(sourceId));
  Tdiseaseam disease(source);
  disease.TakeRecord(diseases);
  DiseaseStore store{data, dialogs, sourceMaxAge};
  std::array<std::array<Ttrendhazard, kTrendHazardCount>, kSexCount> trends;
  std::array<bool, kSexCount> hasResults{};
  std::array<int, kVariableCount> units{};  // "Rates per:" of each variable
  std::string readErrors;
  {
    // All errors of the reading in one box.
    UserDialogs::ErrorGroup errors(dialogs, "Reading the disease " + source);
    store.LoadInputs(disease);
    store.LoadProcessedFlags(disease);
    store.LoadOutputs(disease);
    for (int s = 0; s < kSexCount; ++s) {
      store.LoadTrends(disease, s);
      trends[s] = disease.Trends;
      disease.CalcSettings.LoadFromTable(s, data, sourceId);
    }
    for (int s = 0; s < kSexCount; ++s)
      hasResults[s] = diseases.FieldBoolean(kOutputFlagColumns[s]);
    for (int v = 0; v < kVariableCount; ++v) units[v] = StoredRatesIndex(data, sourceId, v);
  }
  if (const int errors = dialogs.ErrorsShown() - errorsBefore; errors > 0) {
    throw DatabaseError("The disease " + source + " could not be read completely (" +
                        std::to_string(errors) + " error" + (errors == 1 ? "" : "s") +
                        "); nothing was copied." + (readErrors.empty() ? "" : "\n" + readErrors));
  }

  std::vector<CopyOutcome> outcomes;
  for (const CopyDestination& destination : destinations) {
    CopyOutcome outcome;
    outcome.File = destination.File;
    try {
      if (collection != nullptr && !destination.DatasetName.empty()) {
        auto flag = collection->Query("select ReadOnly from datasets where DataSetName=" +
                                      Quote(destination.DatasetName));
        if (flag.RecordCount() > 0 && flag.AsBoolean(0)) {
          throw DatabaseError(ReadOnlyDatasetMessage(destination.DatasetName));
        }
      }
      Database db = Database::Open(destination.File);
      int maxAge = destination.HighestAge;
      if (maxAge <= 0 && collection != nullptr && !destination.DatasetName.empty()) {
        auto highest = collection->Query("select HighestAge from datasets where DataSetName=" +
                                         Quote(destination.DatasetName));
        if (highest.RecordCount() > 0) maxAge = static_cast<int>(highest.AsInteger(0));
      }
      if (maxAge <= 0) maxAge = ProbeWidth(db);
      if (maxAge <= 0 || maxAge > kHighestPossibleAge) {
        throw DatabaseError("the highest age of the data set cannot be found");
      }
      // A disease of the same name is replaced; one whose name differs only in letter case would
      // make two diseases of one name.
      if (auto taken = SimilarDiseaseName(db, d); taken && *taken != d) {
        throw DatabaseError(DiseaseNameTakenMessage(*taken));
      }
      Database::Transaction transaction(db);
      auto existing = db.Query(
          "select InputId, DiseaseName from InputDiseases where DiseaseName=" + Quote(d) + ";");
      int id = 0;
      if (existing.RecordCount() > 0) {
        id = static_cast<int>(existing.AsInteger(0));
        db.Exec("delete from InputDiseases where InputId=" + std::to_string(id) + ";");
        db.Exec("insert into InputDiseases (InputId, " + columns + ") values (" +
                std::to_string(id) + ", " + values + ");");
      } else {
        db.Exec("insert into InputDiseases (" + columns + ") values (" + values + ");");
        id = static_cast<int>(
            db.Query("select InputId from InputDiseases where DiseaseName=" + Quote(d) + ";")
                .AsInteger(0));
      }
      const std::string ids = std::to_string(id);
      const auto head = [&](int s) {
        return Quote(d) + ", " + ids + ", " + Quote(kSexNames[static_cast<std::size_t>(s)]);
      };
      for (int v = 0; v < kVariableCount; ++v) {
        db.Exec("delete from " + InputTable(v) + " where InputId=" + ids + ";");
        for (int s = 0; s < kSexCount; ++s) {
          if (!disease.InputPresent[v][s]) continue;
          for (const Tinputdat& r : disease.InputRows[v][s]) {
            db.Exec("insert into " + InputTable(v) + " values (" + head(s) + ", " +
                    std::to_string(r.Lage) + ", " + std::to_string(r.Hage) + ", " +
                    StatementReal(r.Waarde) + ");");
          }
        }
        for (int s = 0; s < kSexCount; ++s) {
          std::vector<PrecisionRow> precision;
          if (disease.InputPresent[v][s]) {
            for (const Tinputdat& r : disease.InputRows[v][s]) {
              precision.push_back({r.Lage, r.Hage, r.Precision});
            }
          }
          WriteInputPrecision(db, id, v, s, precision);
        }
      }
      for (int v = 0; v < kVariableCount; ++v) {
        db.Exec("delete from " + IntermTable(v) + " where InputId=" + ids + ";");
        for (int s = 0; s < kSexCount; ++s) {
          if (!disease.Processed[v][s]) continue;
          db.Exec("insert into " + IntermTable(v) + " values (" + head(s) +
                  Values(disease.InputSeries[v][s], maxAge) + ");");
        }
      }
      for (int v = 0; v < kVariableCount; ++v) {
        db.Exec("delete from " + OutputTable(v) + " where InputId=" + ids + ";");
        for (int s = 0; s < kSexCount; ++s) {
          if (!hasResults[s]) continue;  // a sex without results gets no result rows
          db.Exec("insert into " + OutputTable(v) + " values (" + head(s) +
                  Values(disease.OutputSeries[v][s], maxAge) + ");");
        }
      }
      for (int s = 0; s < kSexCount; ++s) {
        WriteOutputIntervals(
            db, id, s,
            hasResults[s] ? disease.Intervals[static_cast<std::size_t>(s)] : OutputIntervals{},
            maxAge);
      }
      // Each sex's own trend blocks.
      db.Exec("delete from Trends where InputId=" + ids);
      for (int s = 0; s < kSexCount; ++s) {
        for (int h = 0; h < kTrendHazardCount; ++h) {
          for (const Trendblok& block : trends[s][h].Blocks) {
            db.Exec("insert into Trends values (" + head(s) + ", " +
                    Quote(kTrendHazardNames[static_cast<std::size_t>(h)]) + ", " +
                    std::to_string(block.Startt) + ", " + std::to_string(block.Endt) + ", " +
                    StatementReal(block.Waarde) + ")");
          }
        }
      }
      if (db.HasTable("CalculationOptions")) {
        AddFitMethodColumns(db);
        db.Exec("delete from CalculationOptions where InputId=" + ids + ";");
      } else {
        db.Exec(kCreateCalculationOptions);
        db.Exec(CreateIndexStatement("CalculationOptions", "InputID"));
      }
      for (int s = 0; s < kSexCount; ++s) db.Exec(disease.CalcSettings.InsertStatement(s, id));
      WriteRatesIndexes(db, id, units);
      transaction.Commit();
      outcome.InputId = id;
      outcome.Copied = true;
    } catch (const std::exception& e) {
      outcome.Error = e.what();
    }
    outcomes.push_back(std::move(outcome));
  }
  diseases.Refresh();
  return outcomes;
}

CopyDestination DestinationInOpenCollection(TDataKavrel& data, const std::string& file) {
  CopyDestination destination{file, "", 0};
  if (!data.CollectionIsOpen()) return destination;
  QueryResult& rows = data.QueryCollection("select DataSetName, DataBaseName from Datasets");
  for (rows.First(); !rows.Eof(); rows.Next()) {
    std::error_code error;
    if (std::filesystem::equivalent(rows.AsText(1), file, error)) {
      destination.DatasetName = rows.AsText(0);
    }
  }
  return destination;
}

CopyWindow::CopyWindow(TDataKavrel& data, UserDialogs& dialogs) : data_(data), dialogs_(dialogs) {}

CopyWindow::~CopyWindow() = default;

void CopyWindow::Open(int maxAge) {
  maxAge_ = maxAge;
  Diseases.clear();
  QueryResult& rows =
      data_.QueryDataset("select DiseaseName from InputDiseases order by DiseaseName");
  for (rows.First(); !rows.Eof(); rows.Next()) Diseases.push_back(rows.AsText(0));
}

bool CopyWindow::ChooseCollection(const std::string& collectionFile) {
  Close();
  try {
    collection_ = std::make_unique<Database>(Database::Open(collectionFile));
    QueryResult rows =
        collection_->Query("select datasetname, databasename from datasets order by datasetname");
    for (rows.First(); !rows.Eof(); rows.Next()) {
      Datasets.push_back({rows.AsText(0), rows.AsText(1)});
    }
    return true;
  } catch (const std::exception& error) {
    Close();
    dialogs_.ShowError(error.what());
    return false;
  }
}

bool CopyWindow::Copy(const std::string& source, const std::string& destinationName,
                      const std::vector<int>& rows) {
  if (source.empty()) {
    dialogs_.ShowInformation(kSelectSourceMessage);
    return false;
  }
  std::vector<CopyDestination> destinations;
  for (int row : rows) {
    if (row < 0 || row >= static_cast<int>(Datasets.size())) continue;
    const ListedDataset& listed = Datasets[static_cast<std::size_t>(row)];
    destinations.push_back({listed.File, listed.Name, 0});
  }
  if (destinations.empty()) {
    dialogs_.ShowInformation(kSelectDestinationsMessage);
    return false;
  }
  std::vector<CopyOutcome> outcomes;
  try {
    outcomes = CopyDisease(data_, dialogs_, maxAge_, source, destinationName, destinations,
                           collection_.get());
    // A destination may be the open data set itself.
    data_.KavrelTable1().Refresh();
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
    return false;
  }
  std::string failed;
  for (const CopyOutcome& outcome : outcomes) {
    if (!outcome.Copied) failed += "\n" + outcome.File + ": " + outcome.Error;
  }
  if (!failed.empty()) {
    dialogs_.ShowWarning("The disease could not be copied to:" + failed);
    return false;
  }
  return true;
}

void CopyWindow::Close() {
  collection_.reset();
  Datasets.clear();
}

}  // namespace kavrel
