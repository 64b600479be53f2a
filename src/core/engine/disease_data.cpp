// The disease's inputs, adjusted inputs, trends and outputs in the open data set.

#include <algorithm>
#include <string>

#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/disease_list.h"
#include "core/store/layout.h"
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
void InsertSeriesRow(Tdisease::Store& store, const std::string& table, const Tdisease& disease,
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
void Atomically(Tdisease::Store& store, Work&& work) {
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

void Tdisease::LoadInputRows(Store& store, int v) {
  const int s = Sex;
  QueryResult& rows = store.Data.QueryDataset("select Lage, Hage, Waarde from " + InputTable(v) +
                                              " where inputid=" + std::to_string(InputId) +
                                              SexCondition(s) + " order by Lage");
  NameTheRows(rows, store.Dialogs,
              "input " + std::string(kVariableDisplayNames[v]) + " of " + DiseaseName + " for " +
                  SexText(s));
  auto& list = InputRows[v][s];
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
      store.Dialogs.ShowError("The value of " + std::string(kVariableDisplayNames[v]) + " of " +
                              DiseaseName + " for " + SexText(s) + " at ages " +
                              GroupLabel(row.Lage, row.Hage, store.MaxAge) + " is missing.");
    }
    list.push_back(row);
    ++InputRowCount[v][s];
  }
}

void Tdisease::LoadInputs(Store& store) {
  UserDialogs::ErrorGroup errors(store.Dialogs, "Reading the inputs of " + DiseaseName);
  TableCursor& diseases = store.Data.KavrelTable1();
  for (int v = 0; v < kVariableCount; ++v) {
    for (int s = 0; s < kSexCount; ++s) {
      InputPresent[v][s] = diseases.FieldBoolean(kInputFlagColumns[s][v]);
      FromOutput[v][s] = false;
    }
  }
  IncidenceIsHazard = !diseases.FieldBoolean("IncidencePopRate");
  for (int v = 0; v < kVariableCount; ++v) {
    for (int s = 0; s < kSexCount; ++s) {
      if (!InputPresent[v][s]) continue;
      Sex = static_cast<std::uint8_t>(s);
      const auto first = InputRows[v][s].size();
      LoadInputRows(store, v);
      // A flag without rows counts as absent. Reading leaves the file as it is: the flag is put
      // right when the input is saved.
      if (InputRows[v][s].size() == first) InputPresent[v][s] = false;
      for (auto k = first; k < InputRows[v][s].size(); ++k) {
        const Tinputdat& row = InputRows[v][s][k];
        for (int a = std::max(row.Lage, 0); a < row.Hage && a <= kHighestPossibleAge; ++a) {
          InputSeries[v][s][a] = row.Waarde;
        }
      }
    }
  }
  ModelSeries = InputSeries;
  if (InputId > 0) StoredInputs = InputsFingerprint(store.Data.Dataset(), InputId);
}

bool Tdisease::InputsChangedOnDisk(Store& store) const {
  return InputId > 0 && !StoredInputs.empty() &&
         InputsFingerprint(store.Data.Dataset(), InputId) != StoredInputs;
}

void Tdisease::LoadInputFlags(Store& store, int v) {
  TableCursor& diseases = store.Data.KavrelTable1();
  InputId = static_cast<std::int32_t>(diseases.Key());
  for (int w = 0; w < kVariableCount; ++w) {
    for (int s = 0; s < kSexCount; ++s) {
      InputPresent[w][s] = diseases.FieldBoolean(kInputFlagColumns[s][w]);
    }
  }
  IncidenceIsHazard = !diseases.FieldBoolean("IncidencePopRate");
  for (int s = 0; s < kSexCount; ++s) {
    if (!InputPresent[v][s]) continue;
    Sex = static_cast<std::uint8_t>(s);
    LoadInputRows(store, v);
  }
  if (InputId > 0) StoredInputs = InputsFingerprint(store.Data.Dataset(), InputId);
}

bool Tdisease::StoreInput(Store& store, int v, int sex) {
  TableCursor& diseases = store.Data.KavrelTable1();
  if (!diseases.FieldBoolean(kInputFlagColumns[sex][v])) {
    SaveInputRows(store, v, sex);
    return true;
  }
  const std::string question = std::string(kVariableDisplayNames[v]) + " input for " + DiseaseName +
                               ", " + SexText(sex) + " already exists. Overwrite?";
  if (store.Dialogs.Message(question, DialogKind::kConfirmation,
                            DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  Atomically(store, [&] {
    store.Data.ExecDataset("delete from " + InputTable(v) +
                           " where InputId=" + std::to_string(InputId) + SexCondition(sex));
    SaveInputRows(store, v, sex);
  });
  return true;
}

void Tdisease::SaveInputRows(Store& store, int v, int sex) {
  const auto& rows = InputRows[v][sex];
  Atomically(store, [&] {
    for (const Tinputdat& row : rows) {
      store.Data.ExecDataset("insert into " + InputTable(v) + " values (" + Quote(DiseaseName) +
                             ", " + std::to_string(InputId) + ", " + QuotedSex(sex) + ", " +
                             std::to_string(row.Lage) + ", " + std::to_string(row.Hage) + ", " +
                             StatementReal(row.Waarde) + ")");
    }
    TableCursor& diseases = store.Data.KavrelTable1();
    diseases.SetBoolean(kInputFlagColumns[sex][v], !rows.empty());
    diseases.SetBoolean("IncidencePopRate", !IncidenceIsHazard);
    diseases.Post();
  });
  InputPresent[v][sex] = !rows.empty();
  if (!InputPresent[v][kMales] && !InputPresent[v][kFemales]) {
    store.Dialogs.ShowInformation("Nothing to save");
  }
  // What is stored now is this object's own: later saves compare with it.
  if (InputId > 0 && !StoredInputs.empty()) {
    StoredInputs = InputsFingerprint(store.Data.Dataset(), InputId);
  }
}

void Tdisease::LoadProcessedFlags(Store& store) {
  for (int s = 0; s < kSexCount; ++s) {
    std::string select = "select ";
    for (auto column : kProcessedFlagColumns[s]) select += std::string(column) + ", ";
    select += "IncidencePopRate from inputdiseases where inputid=" + std::to_string(InputId);
    QueryResult& row = store.Data.QueryDataset(select);
    if (row.RecordCount() == 0) continue;
    for (int v = 0; v < kVariableCount; ++v) Processed[v][s] = row.AsBoolean(v);
    IncidenceIsHazard = !row.AsBoolean(kVariableCount);
  }
}

void Tdisease::LoadTrends(Store& store, int sex) {
  TrendsOn = false;
  for (int h = 0; h < kTrendHazardCount; ++h) {
    Trends[h].Blocks.clear();
    QueryResult& rows = store.Data.QueryDataset(
        "select * from trends where InputId=" + std::to_string(InputId) + SexCondition(sex) +
        " and VarName=" + Quote(kTrendHazardNames[h]) + " order by endt DESC");
    if (rows.RecordCount() > 0) TrendsOn = true;
    for (rows.First(); !rows.Eof(); rows.Next()) {
      Trendblok block;
      block.Startt = static_cast<std::int32_t>(rows.AsInteger("Startt"));
      block.Endt = static_cast<std::int32_t>(rows.AsInteger("Endt"));
      block.Waarde = rows.AsDouble("Waarde");
      Trends[h].Blocks.push_back(block);
    }
  }
}

bool Tdisease::LoadAdjusted(Store& store, int sex) {
  UserDialogs::ErrorGroup errors(
      store.Dialogs, "Reading the adjusted inputs of " + DiseaseName + " for " + SexText(sex));
  LoadTrends(store, sex);
  bool loaded = false;
  for (int v = 0; v < kVariableCount; ++v) {
    if (!Processed[v][sex]) continue;
    QueryResult& rows = store.Data.QueryDataset("select * from " + IntermTable(v) +
                                                " where InputId=" + std::to_string(InputId));
    // A flag whose row is missing leaves the series as it is.
    if (!FindSexRow(rows, sex)) continue;
    NameTheRows(rows, store.Dialogs,
                "adjusted " + std::string(kVariableDisplayNames[v]) + " of " + DiseaseName +
                    " for " + SexText(sex));
    FromOutput[v][sex] = !InputPresent[v][sex];
    for (int a = 0; a <= store.MaxAge; ++a) InputSeries[v][sex][a] = rows.AsDouble(3 + a);
    loaded = true;
  }
  return loaded;
}

void Tdisease::SaveAdjusted(Store& store) {
  const int s = Sex;
  const Database::RowValue id = std::int64_t{InputId};
  const std::string where = " where InputId=" + std::to_string(InputId) + SexCondition(s);
  const std::string head =
      Quote(DiseaseName) + ", " + std::to_string(InputId) + ", " + QuotedSex(s);
  Atomically(store, [&] {
    for (int v = 0; v < kVariableCount; ++v) {
      store.Data.Dataset().Run(
          "delete from " + IntermTable(v) + " where InputId=?" + SexCondition(s), {id});
    }
    if (TrendsOn || TrendsEdited) {
      store.Data.ExecDataset("delete from Trends" + where);
      for (int h = 0; h < kTrendHazardCount; ++h) {
        for (const Trendblok& block : Trends[h].Blocks) {
          store.Data.ExecDataset("insert into Trends values (" + head + ", " +
                                 Quote(kTrendHazardNames[h]) + ", " + std::to_string(block.Startt) +
                                 ", " + std::to_string(block.Endt) + ", " +
                                 StatementReal(block.Waarde) + ")");
        }
      }
    }
    TableCursor& diseases = store.Data.KavrelTable1();
    for (int v = 0; v < kVariableCount; ++v) {
      const bool keep = InputPresent[v][s] || FromOutput[v][s];
      if (keep) InsertSeriesRow(store, IntermTable(v), *this, s, InputSeries[v][s]);
      Processed[v][s] = keep;
      diseases.SetBoolean(kProcessedFlagColumns[s][v], keep);
    }
    diseases.Post();
  });
}

void Tdisease::LoadOutputs(Store& store) {
  UserDialogs::ErrorGroup errors(store.Dialogs, "Reading the results of " + DiseaseName);
  LoadAdjusted(store, kMales);
  LoadAdjusted(store, kFemales);
  std::array<std::array<bool, kSexCount>, kVariableCount> read{};
  for (int v = 0; v < kVariableCount; ++v) {
    QueryResult& rows = store.Data.QueryDataset("select * from " + OutputTable(v) +
                                                " where InputId=" + std::to_string(InputId));
    for (rows.First(); !rows.Eof(); rows.Next()) {
      const int sex = SexOfText(rows.AsText(2));
      if (sex < 0) continue;
      NameTheRows(rows, store.Dialogs,
                  "result " + std::string(kVariableDisplayNames[v]) + " of " + DiseaseName +
                      " for " + SexText(sex));
      for (int a = 0; a <= store.MaxAge; ++a) OutputSeries[v][sex][a] = rows.AsDouble(3 + a);
      read[static_cast<std::size_t>(v)][static_cast<std::size_t>(sex)] = true;
    }
  }
  // A sex whose result flag is set has a row in every result table: one that is missing is said,
  // never shown as zeros.
  QueryResult& flags = store.Data.QueryDataset("select * from InputDiseases where InputId=" +
                                               std::to_string(InputId));
  if (flags.RecordCount() == 0) return;
  std::array<bool, kSexCount> flagged{};
  for (int sex = 0; sex < kSexCount; ++sex) {
    flagged[static_cast<std::size_t>(sex)] = flags.AsBoolean(kOutputFlagColumns[sex]);
  }
  for (int sex = 0; sex < kSexCount; ++sex) {
    if (!flagged[static_cast<std::size_t>(sex)]) continue;
    for (int v = 0; v < kVariableCount; ++v) {
      if (read[static_cast<std::size_t>(v)][static_cast<std::size_t>(sex)]) continue;
      store.Dialogs.ShowError("The result " + std::string(kVariableDisplayNames[v]) + " of " +
                              DiseaseName + " for " + SexText(sex) + " is missing from " +
                              OutputTable(v) +
                              " although the disease is marked as calculated; calculate and save "
                              "it again");
    }
  }
}

void Tdisease::SaveOutputs(Store& store, bool withAdjusted) {
  const int s = Sex;
  const Database::RowValue id = std::int64_t{InputId};
  Atomically(store, [&] {
    if (withAdjusted) SaveAdjusted(store);
    for (int v = 0; v < kVariableCount; ++v) {
      // Whatever the flags say, the disease keeps one result row per sex: the new one.
      store.Data.Dataset().Run(
          "delete from " + OutputTable(v) + " where InputId=?" + SexCondition(s), {id});
      InsertSeriesRow(store, OutputTable(v), *this, s, OutputSeries[v][s]);
    }
    SetFlag(store.Data.KavrelTable1(), kOutputFlagColumns[s], true);
  });
}

Tdisease::SaveResultOutcome Tdisease::SaveResult(Store& store, bool withOptions,
                                                 bool withAdjusted) {
  const int s = Sex;
  TableCursor& diseases = store.Data.KavrelTable1();
  // The result, its adjusted inputs and trends, the flags and (withOptions) the calculation
  // options it was made with: one transaction, so that an interruption or a failure leaves the old
  // result with its options or the new one with its options, never a mix.
  const auto write = [&] {
    Atomically(store, [&] {
      // Checked in the save's own transaction: no other program can change them in between.
      if (InputsChangedOnDisk(store)) throw DatabaseError(InputsChangedMessage(*this));
      SaveOutputs(store, withAdjusted);
      if (withOptions) CalcSettings.WriteToTable(s, store.Data, InputId);
    });
  };
  if (!diseases.FieldBoolean(kOutputFlagColumns[s])) {
    write();
    return SaveResultOutcome::kSaved;
  }
  const DialogButton answer = store.Dialogs.Message(
      "Output for " + DiseaseName + " for " + SexText(s) + " already exists. Overwrite?",
      DialogKind::kConfirmation, DialogButton::kYes | DialogButton::kNo | DialogButton::kCancel);
  if (answer == DialogButton::kYes) {
    write();
    return SaveResultOutcome::kSaved;
  }
  if (answer != DialogButton::kNo) return SaveResultOutcome::kCancelled;

  const auto name = store.Dialogs.SaveAsName(DiseaseName);
  if (!name) return SaveResultOutcome::kCancelled;
  // A name must be given and must not be another disease's already: refused before anything is
  // written, so no disease ends up with two records.
  if (Trimmed(*name).empty()) {
    store.Dialogs.ShowError("A disease needs a name. Nothing was saved.");
    return SaveResultOutcome::kCancelled;
  }
  if (store.Data.QueryDataset("select InputId from InputDiseases where DiseaseName=" + Quote(*name))
          .RecordCount() > 0) {
    store.Dialogs.ShowError("A disease named " + *name + " already exists. Nothing was saved.");
    return SaveResultOutcome::kCancelled;
  }
  const std::string oldName = DiseaseName;
  const std::int32_t oldId = InputId;
  const std::string oldInputs = StoredInputs;
  try {
    Atomically(store, [&] {
      DiseaseName = *name;
      std::string insert =
          "insert into InputDiseases (DiseaseName, ICDcode, MIncidence,  MPrevalence, "
          "MRemission,  MCaseFatality,   MDuration,   MMortality,  MRRMortality,  "
          "MIncidenceproc,  MPrevalenceproc, MRemissionproc,  MCaseFatalityproc,   "
          "MDurationproc,   MMortalityproc,  MRRMortalityproc,    FIncidence,  FPrevalence, "
          "FRemission,  FCaseFatality,   FDuration,   FMortality,  FRRMortality,  "
          "FIncidenceproc,  FPrevalenceproc, FRemissionproc,  FCaseFatalityproc,   "
          "FDurationproc,   FMortalityproc,  FRRMortalityproc, IncidencePopRate) values (" +
          Quote(DiseaseName) + ", " + Quote(ICDcode + " ");
      for (int sex = 0; sex < kSexCount; ++sex) {
        for (const auto* flags : {&InputPresent, &Processed}) {
          for (int v = 0; v < kVariableCount; ++v) {
            insert += ", " + std::string(StatementBool((*flags)[v][sex]));
          }
        }
      }
      insert += ", " + std::string(StatementBool(!IncidenceIsHazard)) + ")";
      store.Data.ExecDataset(insert);
      InputId = static_cast<std::int32_t>(
          store.Data
              .QueryDataset("select InputId from InputDiseases where DiseaseName=" +
                            Quote(DiseaseName))
              .AsInteger(0));
      diseases.Refresh();
      diseases.Locate("InputID", std::to_string(InputId));
      for (int v = 0; v < kVariableCount; ++v) {
        for (const Tinputdat& row : InputRows[v][s]) {
          store.Data.ExecDataset("insert into " + InputTable(v) + " values (" + Quote(DiseaseName) +
                                 ", " + std::to_string(InputId) + ", " + QuotedSex(s) + ", " +
                                 std::to_string(row.Lage) + ", " + std::to_string(row.Hage) + ", " +
                                 StatementReal(row.Waarde) + ")");
        }
      }
      // The new disease's inputs are those just written.
      StoredInputs = InputsFingerprint(store.Data.Dataset(), InputId);
      write();
    });
  } catch (...) {
    DiseaseName = oldName;
    InputId = oldId;
    StoredInputs = oldInputs;
    diseases.Locate("InputID", std::to_string(InputId));
    throw;
  }
  return SaveResultOutcome::kSavedUnderNewName;
}

bool LoadDiseaseUnderCursor(Tdisease& disease, Tdisease::Store& store, int sex, unsigned parts) {
  TableCursor& diseases = store.Data.KavrelTable1();
  if (!diseases.Active() || diseases.RecordCount() == 0) return false;
  disease.TakeRecord(diseases);
  disease.Sex = static_cast<std::uint8_t>(sex);
  UserDialogs::ErrorGroup errors(store.Dialogs, "Reading the data of " + disease.DiseaseName);
  if ((parts & kOriginalInputs) != 0) disease.LoadInputs(store);
  if ((parts & kAdjustedInputs) != 0) {
    disease.LoadProcessedFlags(store);
    disease.LoadAdjusted(store, 1 - sex);
    disease.LoadAdjusted(store, sex);
  }
  if ((parts & kStoredOutputs) != 0) {
    for (int s = 0; s < kSexCount; ++s) {
      disease.Calculated[s] = diseases.FieldBoolean(kOutputFlagColumns[s]);
    }
    disease.LoadOutputs(store);
  }
  disease.Sex = static_cast<std::uint8_t>(sex);
  return true;
}

std::unique_ptr<Tdiseaseam> DiseaseUnderCursor(Tdisease::Store& store, int sex, unsigned parts) {
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
