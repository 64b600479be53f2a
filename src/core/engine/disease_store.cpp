#include "core/engine/disease_store.h"

#include <algorithm>
#include <string>

#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/disease_list.h"
#include "core/store/input_precision_store.h"
#include "core/store/layout.h"
#include "core/store/output_intervals_store.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace {

std::string SexText(int sex) { return std::string(kSexNames.at(static_cast<size_t>(sex))); }
std::string QuotedSex(int sex) { return Quote(SexText(sex)); }

std::string Trimmed(const std::string& text) {
  const auto begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// A series row of the disease and sex: name, id, sex, then the values of ages 0 ... maxAge,
// inserted as "insert into TABLE values (...)" would insert them.
void InsertSeriesRow(DiseaseStore& store, const std::string& table, const Tdisease& disease,
                     int sex, const Series& series) {
  std::vector<Database::RowValue> values;
  values.reserve(static_cast<std::size_t>(store.MaxAge) + 4);
  values.emplace_back(disease.DiseaseName);
  values.emplace_back(std::int64_t{disease.InputId});
  values.emplace_back(SexText(sex));
  for (int a = 0; a <= store.MaxAge; ++a) values.emplace_back(series[a]);
  store.Data.Dataset().InsertRow(table, values);
}

// A write made of several statements: all of it or nothing. After a failure the diseases cursor
// is read again, so it shows what the file holds.
template <typename Work>
void Atomically(DiseaseStore& store, Work&& work) {
  try {
    Database::Transaction transaction(store.Data.Dataset());
    work();
    transaction.Commit();
  } catch (...) {
    TableCursor& diseases = store.Data.KavrelTable1();
    if (diseases.Active()) {
      diseases.Cancel();
      diseases.Refresh();
    }
    throw;
  }
}

void SetFlag(TableCursor& diseases, std::string_view column, bool value) {
  diseases.SetBoolean(column, value);
  diseases.Post();
}

// The sex a stored Sex text names, however it was written ("Males", "males ", "FEMALES"); -1 for
// a text that names neither.
int SexOfText(const std::string& stored) {
  std::string text = Trimmed(stored);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (text == "males") return kMales;
  if (text == "females") return kFemales;
  return -1;
}

// The single-year row of a series table for one sex: the row whose trimmed Sex is the sex's
// name. False (and no move) when the table holds none for it.
bool FindSexRow(QueryResult& rows, int sex) {
  for (rows.First(); !rows.Eof(); rows.Next()) {
    if (SexOfText(rows.AsText(2)) == sex) return true;
  }
  return false;
}

std::vector<PrecisionRow> PrecisionRows(const std::vector<Tinputdat>& rows) {
  std::vector<PrecisionRow> precision;
  for (const Tinputdat& row : rows) precision.push_back({row.Lage, row.Hage, row.Precision});
  return precision;
}

// A value of the rows that cannot be read is reported with the table it stands in, in the user's
// words: "input Incidence of Asthma for Males: 'about' is not a number (column Waarde, ...)".
void NameTheRows(QueryResult& rows, UserDialogs& dialogs, const std::string& place) {
  rows.ReportErrorsTo(
      [&dialogs, place](const std::string& what) { dialogs.ShowError(place + ": " + what); });
}

}  // namespace

void Tdisease::TakeRecord(const TableCursor& diseases) {
  InputId = static_cast<std::int32_t>(diseases.Key());
  DiseaseName = diseases.FieldText("DiseaseName");
  ICDcode = diseases.FieldText("ICDcode");
}

void DiseaseStore::LoadInputRows(Tdisease& d, int v) {
  const int s = d.Sex;
  QueryResult& rows = Data.QueryDataset("select Lage, Hage, Waarde from " + InputTable(v) +
                                        " where inputid=" + std::to_string(d.InputId) +
                                        SexCondition(s) + " order by Lage");
  NameTheRows(rows, Dialogs,
              "input " + std::string(kVariableDisplayNames[v]) + " of " + d.DiseaseName + " for " +
                  SexText(s));
  auto& list = d.InputRows[v][s];
  int index = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    Tinputdat row;
    row.Index = index++;
    row.Sex = static_cast<std::uint8_t>(s);
    row.Lage = static_cast<std::int32_t>(rows.AsInteger(0));
    row.Hage = static_cast<std::int32_t>(rows.AsInteger(1));
    row.Waarde = rows.AsDouble(2);
    if (rows.IsNull(2)) {
      // SQLite keeps a value that was not a number (NaN) as null: missing, not 0.
      Dialogs.ShowError("The value of " + std::string(kVariableDisplayNames[v]) + " of " +
                        d.DiseaseName + " for " + SexText(s) + " at ages " +
                        GroupLabel(row.Lage, row.Hage, MaxAge) + " is missing.");
    }
    list.push_back(row);
    ++d.InputRowCount[v][s];
  }
  for (const PrecisionRow& stored : ReadInputPrecision(Data.Dataset(), d.InputId, v, s)) {
    for (Tinputdat& row : list) {
      if (row.Lage == stored.Lage && row.Hage == stored.Hage) row.Precision = stored.Precision;
    }
  }
}

void DiseaseStore::LoadInputs(Tdisease& d) {
  UserDialogs::ErrorGroup errors(Dialogs, "Reading the inputs of " + d.DiseaseName);
  TableCursor& diseases = Data.KavrelTable1();
  for (int v = 0; v < kVariableCount; ++v) {
    for (int s = 0; s < kSexCount; ++s) {
      d.InputPresent[v][s] = diseases.FieldBoolean(kInputFlagColumns[s][v]);
      d.FromOutput[v][s] = false;
    }
  }
  d.IncidenceIsHazard = !diseases.FieldBoolean("IncidencePopRate");
  for (int v = 0; v < kVariableCount; ++v) {
    for (int s = 0; s < kSexCount; ++s) {
      if (!d.InputPresent[v][s]) continue;
      d.Sex = static_cast<std::uint8_t>(s);
      const auto first = d.InputRows[v][s].size();
      LoadInputRows(d, v);
      // A flag without rows counts as absent. Reading leaves the file as it is: the flag is put
      // right when the input is saved.
      if (d.InputRows[v][s].size() == first) d.InputPresent[v][s] = false;
      for (auto k = first; k < d.InputRows[v][s].size(); ++k) {
        const Tinputdat& row = d.InputRows[v][s][k];
        for (int a = std::max(row.Lage, 0); a < row.Hage && a <= kHighestPossibleAge; ++a) {
          d.InputSeries[v][s][a] = row.Waarde;
        }
      }
    }
  }
  d.ModelSeries = d.InputSeries;
  if (d.InputId > 0) d.StoredInputs = InputsFingerprint(Data.Dataset(), d.InputId);
}

bool DiseaseStore::InputsChangedOnDisk(const Tdisease& d) {
  return d.InputId > 0 && !d.StoredInputs.empty() &&
         InputsFingerprint(Data.Dataset(), d.InputId) != d.StoredInputs;
}

void DiseaseStore::LoadInputFlags(Tdisease& d, int v) {
  TableCursor& diseases = Data.KavrelTable1();
  d.InputId = static_cast<std::int32_t>(diseases.Key());
  for (int w = 0; w < kVariableCount; ++w) {
    for (int s = 0; s < kSexCount; ++s) {
      d.InputPresent[w][s] = diseases.FieldBoolean(kInputFlagColumns[s][w]);
    }
  }
  d.IncidenceIsHazard = !diseases.FieldBoolean("IncidencePopRate");
  for (int s = 0; s < kSexCount; ++s) {
    if (!d.InputPresent[v][s]) continue;
    d.Sex = static_cast<std::uint8_t>(s);
    LoadInputRows(d, v);
  }
  if (d.InputId > 0) d.StoredInputs = InputsFingerprint(Data.Dataset(), d.InputId);
}

bool DiseaseStore::StoreInput(Tdisease& d, int v, int sex) {
  TableCursor& diseases = Data.KavrelTable1();
  if (!diseases.FieldBoolean(kInputFlagColumns[sex][v])) {
    SaveInputRows(d, v, sex);
    return true;
  }
  const std::string question = std::string(kVariableDisplayNames[v]) + " input for " +
                               d.DiseaseName + ", " + SexText(sex) + " already exists. Overwrite?";
  if (Dialogs.Message(question, DialogKind::kConfirmation,
                      DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  Atomically(*this, [&] {
    Data.ExecDataset("delete from " + InputTable(v) +
                     " where InputId=" + std::to_string(d.InputId) + SexCondition(sex));
    SaveInputRows(d, v, sex);
  });
  return true;
}

void DiseaseStore::SaveInputRows(Tdisease& d, int v, int sex) {
  const auto& rows = d.InputRows[v][sex];
  Atomically(*this, [&] {
    for (const Tinputdat& row : rows) {
      Data.ExecDataset("insert into " + InputTable(v) + " values (" + Quote(d.DiseaseName) + ", " +
                       std::to_string(d.InputId) + ", " + QuotedSex(sex) + ", " +
                       std::to_string(row.Lage) + ", " + std::to_string(row.Hage) + ", " +
                       StatementReal(row.Waarde) + ")");
    }
    WriteInputPrecision(Data.Dataset(), d.InputId, v, sex, PrecisionRows(rows));
    TableCursor& diseases = Data.KavrelTable1();
    diseases.SetBoolean(kInputFlagColumns[sex][v], !rows.empty());
    diseases.SetBoolean("IncidencePopRate", !d.IncidenceIsHazard);
    diseases.Post();
  });
  d.InputPresent[v][sex] = !rows.empty();
  if (!d.InputPresent[v][kMales] && !d.InputPresent[v][kFemales]) {
    Dialogs.ShowInformation("Nothing to save");
  }
  // What is stored now is this object's own: later saves compare with it.
  if (d.InputId > 0 && !d.StoredInputs.empty()) {
    d.StoredInputs = InputsFingerprint(Data.Dataset(), d.InputId);
  }
}

void DiseaseStore::LoadProcessedFlags(Tdisease& d) {
  for (int s = 0; s < kSexCount; ++s) {
    std::string select = "select ";
    for (auto column : kProcessedFlagColumns[s]) select += std::string(column) + ", ";
    select += "IncidencePopRate from inputdiseases where inputid=" + std::to_string(d.InputId);
    QueryResult& row = Data.QueryDataset(select);
    if (row.RecordCount() == 0) continue;
    for (int v = 0; v < kVariableCount; ++v) d.Processed[v][s] = row.AsBoolean(v);
    d.IncidenceIsHazard = !row.AsBoolean(kVariableCount);
  }
}

void DiseaseStore::LoadTrends(Tdisease& d, int sex) {
  d.TrendsOn = false;
  for (int h = 0; h < kTrendHazardCount; ++h) {
    d.Trends[h].Blocks.clear();
    QueryResult& rows = Data.QueryDataset(
        "select * from trends where InputId=" + std::to_string(d.InputId) + SexCondition(sex) +
        " and VarName=" + Quote(kTrendHazardNames[h]) + " order by endt DESC");
    if (rows.RecordCount() > 0) d.TrendsOn = true;
    for (rows.First(); !rows.Eof(); rows.Next()) {
      Trendblok block;
      block.Startt = static_cast<std::int32_t>(rows.AsInteger("Startt"));
      block.Endt = static_cast<std::int32_t>(rows.AsInteger("Endt"));
      block.Waarde = rows.AsDouble("Waarde");
      d.Trends[h].Blocks.push_back(block);
    }
  }
}

bool DiseaseStore::LoadAdjusted(Tdisease& d, int sex) {
  UserDialogs::ErrorGroup errors(
      Dialogs, "Reading the adjusted inputs of " + d.DiseaseName + " for " + SexText(sex));
  LoadTrends(d, sex);
  bool loaded = false;
  for (int v = 0; v < kVariableCount; ++v) {
    if (!d.Processed[v][sex]) continue;
    QueryResult& rows = Data.QueryDataset("select * from " + IntermTable(v) +
                                          " where InputId=" + std::to_string(d.InputId));
    // A flag whose row is missing leaves the series as it is.
    if (!FindSexRow(rows, sex)) continue;
    NameTheRows(rows, Dialogs,
                "adjusted " + std::string(kVariableDisplayNames[v]) + " of " + d.DiseaseName +
                    " for " + SexText(sex));
    d.FromOutput[v][sex] = !d.InputPresent[v][sex];
    for (int a = 0; a <= MaxAge; ++a) d.InputSeries[v][sex][a] = rows.AsDouble(3 + a);
    loaded = true;
  }
  return loaded;
}

void DiseaseStore::SaveAdjusted(Tdisease& d) {
  const int s = d.Sex;
  const Database::RowValue id = std::int64_t{d.InputId};
  const std::string where = " where InputId=" + std::to_string(d.InputId) + SexCondition(s);
  const std::string head =
      Quote(d.DiseaseName) + ", " + std::to_string(d.InputId) + ", " + QuotedSex(s);
  Atomically(*this, [&] {
    for (int v = 0; v < kVariableCount; ++v) {
      Data.Dataset().Run("delete from " + IntermTable(v) + " where InputId=?" + SexCondition(s),
                         {id});
    }
    if (d.TrendsOn || d.TrendsEdited) {
      Data.ExecDataset("delete from Trends" + where);
      for (int h = 0; h < kTrendHazardCount; ++h) {
        for (const Trendblok& block : d.Trends[h].Blocks) {
          Data.ExecDataset("insert into Trends values (" + head + ", " +
                           Quote(kTrendHazardNames[h]) + ", " + std::to_string(block.Startt) +
                           ", " + std::to_string(block.Endt) + ", " + StatementReal(block.Waarde) +
                           ")");
        }
      }
    }
    TableCursor& diseases = Data.KavrelTable1();
    for (int v = 0; v < kVariableCount; ++v) {
      const bool keep = d.InputPresent[v][s] || d.FromOutput[v][s];
      if (keep) InsertSeriesRow(*this, IntermTable(v), d, s, d.InputSeries[v][s]);
      d.Processed[v][s] = keep;
      diseases.SetBoolean(kProcessedFlagColumns[s][v], keep);
    }
    diseases.Post();
  });
}

void DiseaseStore::LoadOutputs(Tdisease& d) {
  UserDialogs::ErrorGroup errors(Dialogs, "Reading the results of " + d.DiseaseName);
  LoadAdjusted(d, kMales);
  LoadAdjusted(d, kFemales);
  std::array<std::array<bool, kSexCount>, kVariableCount> read{};
  for (int v = 0; v < kVariableCount; ++v) {
    QueryResult& rows = Data.QueryDataset("select * from " + OutputTable(v) +
                                          " where InputId=" + std::to_string(d.InputId));
    for (rows.First(); !rows.Eof(); rows.Next()) {
      const int sex = SexOfText(rows.AsText(2));
      if (sex < 0) continue;
      NameTheRows(rows, Dialogs,
                  "result " + std::string(kVariableDisplayNames[v]) + " of " + d.DiseaseName +
                      " for " + SexText(sex));
      for (int a = 0; a <= MaxAge; ++a) d.OutputSeries[v][sex][a] = rows.AsDouble(3 + a);
      read[static_cast<std::size_t>(v)][static_cast<std::size_t>(sex)] = true;
    }
  }
  for (int sex = 0; sex < kSexCount; ++sex) {
    d.Intervals[static_cast<std::size_t>(sex)] =
        ReadOutputIntervals(Data.Dataset(), d.InputId, sex, MaxAge);
  }
  // A sex whose result flag is set has a row in every result table: one that is missing is said,
  // never shown as zeros.
  QueryResult& flags =
      Data.QueryDataset("select * from InputDiseases where InputId=" + std::to_string(d.InputId));
  if (flags.RecordCount() == 0) return;
  std::array<bool, kSexCount> flagged{};
  for (int sex = 0; sex < kSexCount; ++sex) {
    flagged[static_cast<std::size_t>(sex)] = flags.AsBoolean(kOutputFlagColumns[sex]);
  }
  for (int sex = 0; sex < kSexCount; ++sex) {
    if (!flagged[static_cast<std::size_t>(sex)]) continue;
    for (int v = 0; v < kVariableCount; ++v) {
      if (read[static_cast<std::size_t>(v)][static_cast<std::size_t>(sex)]) continue;
      Dialogs.ShowError("The result " + std::string(kVariableDisplayNames[v]) + " of " +
                        d.DiseaseName + " for " + SexText(sex) + " is missing from " +
                        OutputTable(v) +
                        " although the disease is marked as calculated; calculate and save "
                        "it again");
    }
  }
}

void DiseaseStore::SaveOutputs(Tdisease& d, bool withAdjusted) {
  const int s = d.Sex;
  const Database::RowValue id = std::int64_t{d.InputId};
  Atomically(*this, [&] {
    if (withAdjusted) SaveAdjusted(d);
    for (int v = 0; v < kVariableCount; ++v) {
      // Whatever the flags say, the disease keeps one result row per sex: the new one.
      Data.Dataset().Run("delete from " + OutputTable(v) + " where InputId=?" + SexCondition(s),
                         {id});
      InsertSeriesRow(*this, OutputTable(v), d, s, d.OutputSeries[v][s]);
    }
    // A result without intervals leaves none of an older one behind.
    WriteOutputIntervals(Data.Dataset(), d.InputId, s, d.Intervals[static_cast<std::size_t>(s)],
                         MaxAge);
    SetFlag(Data.KavrelTable1(), kOutputFlagColumns[s], true);
  });
}

DiseaseStore::SaveResultOutcome DiseaseStore::SaveResult(Tdisease& d, bool withOptions,
                                                         bool withAdjusted) {
  const int s = d.Sex;
  TableCursor& diseases = Data.KavrelTable1();
  // The result, its adjusted inputs and trends, the flags and (withOptions) the calculation
  // options it was made with: one transaction, so that an interruption or a failure leaves the old
  // result with its options or the new one with its options, never a mix.
  const auto write = [&] {
    Atomically(*this, [&] {
      // Checked in the save's own transaction: no other program can change them in between.
      if (InputsChangedOnDisk(d)) throw DatabaseError(InputsChangedMessage(d));
      SaveOutputs(d, withAdjusted);
      if (withOptions) d.CalcSettings.WriteToTable(s, Data, d.InputId);
    });
  };
  if (!diseases.FieldBoolean(kOutputFlagColumns[s])) {
    write();
    return SaveResultOutcome::kSaved;
  }
  const DialogButton answer = Dialogs.Message(
      "Output for " + d.DiseaseName + " for " + SexText(s) + " already exists. Overwrite?",
      DialogKind::kConfirmation, DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
  if (answer == DialogButton::kYes) {
    write();
    return SaveResultOutcome::kSaved;
  }
  if (answer != DialogButton::kNo) return SaveResultOutcome::kCancelled;

  const auto name = Dialogs.SaveAsName(d.DiseaseName);
  if (!name) return SaveResultOutcome::kCancelled;
  // A name must be given and must not be another disease's already: refused before anything is
  // written, so no disease ends up with two records.
  if (Trimmed(*name).empty()) {
    Dialogs.ShowError("A disease needs a name. Nothing was saved.");
    return SaveResultOutcome::kCancelled;
  }
  if (Data.QueryDataset("select InputId from InputDiseases where DiseaseName=" + Quote(*name))
          .RecordCount() > 0) {
    Dialogs.ShowError("A disease named " + *name + " already exists. Nothing was saved.");
    return SaveResultOutcome::kCancelled;
  }
  const std::string oldName = d.DiseaseName;
  const std::int32_t oldId = d.InputId;
  const std::string oldInputs = d.StoredInputs;
  try {
    Atomically(*this, [&] {
      d.DiseaseName = *name;
      std::string insert =
          "insert into InputDiseases (DiseaseName, ICDcode, MIncidence,  MPrevalence, "
          "MRemission,  MCaseFatality,   MDuration,   MMortality,  MRRMortality,  "
          "MIncidenceproc,  MPrevalenceproc, MRemissionproc,  MCaseFatalityproc,   "
          "MDurationproc,   MMortalityproc,  MRRMortalityproc,    FIncidence,  FPrevalence, "
          "FRemission,  FCaseFatality,   FDuration,   FMortality,  FRRMortality,  "
          "FIncidenceproc,  FPrevalenceproc, FRemissionproc,  FCaseFatalityproc,   "
          "FDurationproc,   FMortalityproc,  FRRMortalityproc, IncidencePopRate) values (" +
          Quote(d.DiseaseName) + ", " + Quote(d.ICDcode + " ");
      for (int sex = 0; sex < kSexCount; ++sex) {
        for (const auto* flags : {&d.InputPresent, &d.Processed}) {
          for (int v = 0; v < kVariableCount; ++v) {
            insert += ", " + std::string(StatementBool((*flags)[v][sex]));
          }
        }
      }
      insert += ", " + std::string(StatementBool(!d.IncidenceIsHazard)) + ")";
      Data.ExecDataset(insert);
      d.InputId = static_cast<std::int32_t>(
          Data.QueryDataset("select InputId from InputDiseases where DiseaseName=" +
                            Quote(d.DiseaseName))
              .AsInteger(0));
      diseases.Refresh();
      diseases.Locate("InputID", std::to_string(d.InputId));
      for (int v = 0; v < kVariableCount; ++v) {
        for (const Tinputdat& row : d.InputRows[v][s]) {
          Data.ExecDataset("insert into " + InputTable(v) + " values (" + Quote(d.DiseaseName) +
                           ", " + std::to_string(d.InputId) + ", " + QuotedSex(s) + ", " +
                           std::to_string(row.Lage) + ", " + std::to_string(row.Hage) + ", " +
                           StatementReal(row.Waarde) + ")");
        }
        WriteInputPrecision(Data.Dataset(), d.InputId, v, s, PrecisionRows(d.InputRows[v][s]));
      }
      // The new disease's inputs are those just written.
      d.StoredInputs = InputsFingerprint(Data.Dataset(), d.InputId);
      write();
    });
  } catch (...) {
    d.DiseaseName = oldName;
    d.InputId = oldId;
    d.StoredInputs = oldInputs;
    diseases.Locate("InputID", std::to_string(d.InputId));
    throw;
  }
  return SaveResultOutcome::kSavedUnderNewName;
}

bool LoadDiseaseUnderCursor(Tdisease& disease, DiseaseStore& store, int sex, unsigned parts) {
  TableCursor& diseases = store.Data.KavrelTable1();
  if (!diseases.Active() || diseases.RecordCount() == 0) return false;
  disease.TakeRecord(diseases);
  disease.Sex = static_cast<std::uint8_t>(sex);
  UserDialogs::ErrorGroup errors(store.Dialogs, "Reading the data of " + disease.DiseaseName);
  if ((parts & kOriginalInputs) != 0) store.LoadInputs(disease);
  if ((parts & kAdjustedInputs) != 0) {
    store.LoadProcessedFlags(disease);
    store.LoadAdjusted(disease, 1 - sex);
    store.LoadAdjusted(disease, sex);
  }
  if ((parts & kStoredOutputs) != 0) {
    for (int s = 0; s < kSexCount; ++s) {
      disease.Calculated[s] = diseases.FieldBoolean(kOutputFlagColumns[s]);
    }
    store.LoadOutputs(disease);
  }
  disease.Sex = static_cast<std::uint8_t>(sex);
  return true;
}

std::unique_ptr<Tdiseaseam> DiseaseUnderCursor(DiseaseStore& store, int sex, unsigned parts) {
  TableCursor& diseases = store.Data.KavrelTable1();
  if (!diseases.Active() || diseases.RecordCount() == 0) return nullptr;
  auto disease = std::make_unique<Tdiseaseam>(diseases.FieldText("DiseaseName"));
  LoadDiseaseUnderCursor(*disease, store, sex, parts);
  return disease;
}

std::string InputsChangedMessage(const Tdisease& disease) {
  return "The inputs of " + disease.DiseaseName +
         " were changed in the data set after they were read here (by another program or "
         "window): the result made from the old ones was not saved. Read the disease again and "
         "calculate anew.";
}

std::unique_ptr<Tdiseaseam> CopyForCalculation(const Tdisease& from) {
  auto copy = std::make_unique<Tdiseaseam>(from.DiseaseName);
  copy->InputId = from.InputId;
  copy->StoredInputs = from.StoredInputs;
  copy->ICDcode = from.ICDcode;
  copy->Sex = from.Sex;
  copy->InputRowCount = from.InputRowCount;
  copy->InputRows = from.InputRows;
  copy->InputPresent = from.InputPresent;
  copy->FromOutput = from.FromOutput;
  copy->Processed = from.Processed;
  copy->InputSeries = from.InputSeries;
  copy->ModelSeries = from.ModelSeries;
  copy->IncidenceIsHazard = from.IncidenceIsHazard;
  copy->TrendsOn = from.TrendsOn;
  copy->TrendStart = from.TrendStart;
  copy->Trends = from.Trends;
  copy->CalcSettings = from.CalcSettings;
  return copy;
}

}  // namespace kavrel
