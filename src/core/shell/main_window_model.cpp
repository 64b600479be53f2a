#include "core/shell/main_window_model.h"

#include <filesystem>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/exchange/input_editor.h"
#include "core/results/result_table.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "core/store/disease_list.h"
#include "core/store/input_precision_store.h"
#include "core/store/layout.h"
#include "core/store/output_intervals_store.h"

namespace kavrel {

namespace fs = std::filesystem;

MainWindowModel::MainWindowModel(Environment environment) : env_(std::move(environment)) {
  env_.Data.MarkOpenAs("Kavrel (windows)");
}

MainWindowModel::State MainWindowModel::GetState() const {
  if (env_.Data.DatasetIsOpen() && !env_.Settings.CurrentDatasetName.empty()) {
    return State::kDatasetOpen;
  }
  if (env_.Data.CollectionIsOpen()) return State::kCollectionOpen;
  return State::kNothingOpen;
}

std::string MainWindowModel::Caption() const {
  switch (GetState()) {
    case State::kNothingOpen:
      return "Kavrel";
    case State::kCollectionOpen:
      return "Kavrel - " + env_.Settings.CurrentCollectionName;
    case State::kDatasetOpen:
      break;
  }
  return "Kavrel - " + env_.Settings.CurrentCollectionName + ", " +
         env_.Settings.CurrentDatasetName;
}

StartUp MainWindowModel::Start() {
  SettingsState& s = env_.Settings;
  resultButtons_ = false;
  s.CurrentCollectionIndex = -1;
  if (LoadSettings(s, env_.ProgramDir, env_.Data, env_.Dialogs, env_.OpenHelp) ==
      StartUp::kTerminate) {
    return StartUp::kTerminate;
  }
  if (CollectionOpenEnabled() && s.CurrentCollectionIndex >= 0) {
    const auto& entry = s.Collections[static_cast<std::size_t>(s.CurrentCollectionIndex)];
    s.CurrentCollectionName = entry.Name();
    s.CurrentCollectionFile = entry.Path();
    env_.Data.OpenCollection(entry.Path());
  }
  env_.Log.AddMessage("Kavrel started");
  return StartUp::kContinue;
}

int MainWindowModel::ChooseCollection(const char* caption) {
  std::vector<std::string> names;
  for (const auto& c : env_.Settings.Collections) names.push_back(c.Name());
  return env_.Dialogs.ChooseFromList(caption, names);
}

bool MainWindowModel::OpenCollection() {
  const int chosen = ChooseCollection("Kavrel Dataset Collections");
  if (chosen < 0 || chosen >= static_cast<int>(env_.Settings.Collections.size())) return false;
  SettingsState& s = env_.Settings;
  env_.Data.CloseCollection();
  s.CurrentCollectionIndex = chosen;
  const auto& entry = s.Collections[static_cast<std::size_t>(chosen)];
  s.CurrentCollectionName = entry.Name();
  s.CurrentCollectionFile = entry.Path();
  env_.Data.OpenCollection(entry.Path());
  return true;
}

void MainWindowModel::CloseCollection() {
  CloseDataset();
  env_.Data.CloseCollection();
  env_.Settings.CurrentCollectionIndex = -1;
  env_.Settings.CurrentCollectionName.clear();
  env_.Settings.CurrentCollectionFile.clear();
}

namespace {

FileDialogRequest CollectionFileRequest(const SettingsState& s, const std::string& name,
                                        FileDialogRequest::Mode mode) {
  FileDialogRequest request;
  request.mode = mode;
  request.defaultExtension = "mdb";
  request.filter = "Kavrel data set collection (*.mdb)|*.mdb";
  request.directory = s.DataDir;
  request.title = "File name for collection " + name;
  request.defaultName = name + ".mdb";
  return request;
}

}  // namespace

bool MainWindowModel::NewCollection(const std::string& name) {
  SettingsState& s = env_.Settings;
  const auto file =
      env_.Dialogs.ChooseFile(CollectionFileRequest(s, name, FileDialogRequest::Mode::kSave));
  if (!file) return false;
  if (!env_.Data.NewCollectionFile(*file)) {
    env_.Dialogs.ShowError("Could not create new data set collection database");
    return false;
  }
  s.Collections.emplace_back(name, *file);
  s.CurrentCollectionIndex = static_cast<int>(s.Collections.size()) - 1;
  SaveCollections(s);
  s.CurrentCollectionName = name;
  s.CurrentCollectionFile = *file;
  env_.Data.OpenCollection(*file);
  return true;
}

bool MainWindowModel::AddCollection(const std::string& name) {
  SettingsState& s = env_.Settings;
  const auto file =
      env_.Dialogs.ChooseFile(CollectionFileRequest(s, name, FileDialogRequest::Mode::kOpen));
  if (!file) return false;
  env_.Data.CloseCollection();
  s.Collections.emplace_back(name, *file);
  SaveCollections(s);
  s.CurrentCollectionName = name;
  s.CurrentCollectionFile = *file;
  env_.Data.OpenCollection(*file);
  return true;
}

void MainWindowModel::Removed(int k) {
  int& current = env_.Settings.CurrentCollectionIndex;
  if (current == k) {
    current = -1;
  } else if (current > k) {
    --current;
  }
}

void MainWindowModel::RemoveCollection() {
  const int chosen = ChooseCollection("Kavrel Data set collections");
  SettingsState& s = env_.Settings;
  if (chosen < 0 || chosen >= static_cast<int>(s.Collections.size())) return;
  const TDatasetCollection entry = s.Collections[static_cast<std::size_t>(chosen)];
  if (env_.Dialogs.Message(
          "Are you sure you want to remove the data set collection " + entry.Name() + "?",
          DialogKind::kConfirmation,
          DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return;
  }
  if (entry.Name() == s.CurrentCollectionName && entry.Path() == s.CurrentCollectionFile) {
    // Closed as "Close" does, data set included: the window must not go on naming a collection
    // that is no longer open.
    CloseCollection();
  }
  s.Collections.erase(s.Collections.begin() + chosen);
  Removed(chosen);
  SaveCollections(s);
}

void MainWindowModel::DeleteCollection() {
  const int chosen = ChooseCollection("Kavrel Data set collections");
  SettingsState& s = env_.Settings;
  if (chosen < 0 || chosen >= static_cast<int>(s.Collections.size())) return;
  const TDatasetCollection entry = s.Collections[static_cast<std::size_t>(chosen)];
  if (env_.Dialogs.Message(
          "Are you sure you want to delete the data set collection " + entry.Name() + "?",
          DialogKind::kConfirmation,
          DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return;
  }
  if (entry.Name() == s.CurrentCollectionName && entry.Path() == s.CurrentCollectionFile) {
    // Closed as "Close" does, data set included: the window must not go on naming a collection
    // that is no longer open.
    CloseCollection();
  }
  std::error_code error;
  if (!fs::remove(entry.Path(), error) || error) {
    env_.Dialogs.ShowError("Unable to delete the database file " + entry.Path());
    return;
  }
  s.Collections.erase(s.Collections.begin() + chosen);
  Removed(chosen);
  SaveCollections(s);
}

void MainWindowModel::PostPendingEdit() { PostPendingDiseaseEdit(env_.Data); }

void MainWindowModel::Exit() {
  CloseDataset();
  env_.Data.CloseCollection();
  SaveCurrentCollection(env_.Settings);
}

void MainWindowModel::OptionsWindowClosed() { Preferences.TakeFromWindows(Windows()); }

void MainWindowModel::EnableDatasetCommands() {
  UpdateResultButtons();
  Preferences.FitSens.SetMaxAge(env_.Settings.MaxAge);
  PreferenceWindows windows = Windows();
  Preferences.ShowInWindows(windows);
  RebuildTableAgeGroups();
  // The windows go on without the figures when the user declines to give them now.
  const auto provide =
      env_.ProvidePopulation ? env_.ProvidePopulation : std::function<void(bool)>([](bool) {});
  LoadPopulationData(Population, env_.Data, env_.Dialogs, env_.Log, env_.Settings.MaxAge, true,
                     provide);
}

bool MainWindowModel::OpenDataset(const DatasetRow& row) {
  // A data set that cannot be opened leaves the one in use open.
  const std::string previousName = env_.Settings.CurrentDatasetName;
  const std::string previousFile = env_.Data.DatasetIsOpen() ? env_.Data.DatasetFile() : "";
  const int previousMaxAge = env_.Settings.MaxAge;
  const std::int64_t previousKey =
      env_.Data.DatasetIsOpen() && env_.Data.KavrelTable1().RecordCount() > 0
          ? env_.Data.KavrelTable1().Key()
          : 0;
  if (!OpenCurrentDataset(env_.Settings, env_.Data, env_.Dialogs, row)) {
    resultButtons_ = false;
    if (previousFile.empty()) return false;
    try {
      env_.Data.OpenDataset(previousFile);
      env_.Settings.CurrentDatasetName = previousName;
      env_.Settings.CurrentDatasetFile = previousFile;
      env_.Settings.MaxAge = previousMaxAge;
      if (previousKey > 0) env_.Data.KavrelTable1().Locate("InputId", std::to_string(previousKey));
      EnableDatasetCommands();
    } catch (const std::exception& error) {
      env_.Log.AddMessage(std::string("The data set in use could not be opened again: ") +
                          error.what());
    }
    return false;
  }
  EnableDatasetCommands();
  return true;
}

void MainWindowModel::RebuildTableAgeGroups() {
  const int schedule = Preferences.Table.Age[1];
  TableAgeGroups = FiveYearGroups(env_.Settings.MaxAge, "Standard");
  if (schedule == 0 || !env_.Data.CollectionIsOpen()) return;
  try {
    Tagegrouplist groups;
    FillFromSchedule(groups, env_.Data, schedule, env_.Settings.MaxAge);
    if (groups.Groups.empty()) return;
    groups.Name = "Standard";
    TableAgeGroups = std::move(groups);
  } catch (const DatabaseError& error) {
    env_.Log.AddMessage(
        std::string("The preferred age groups of result tables could not be read: ") +
        error.what());
  }
}

void MainWindowModel::CloseDataset() {
  CloseCurrentDataset(env_.Settings, env_.Data);
  resultButtons_ = false;
}

void MainWindowModel::UpdateResultButtons() {
  TableCursor& diseases = env_.Data.KavrelTable1();
  resultButtons_ = false;
  if (!diseases.Active() || diseases.RecordCount() == 0) return;
  try {
    resultButtons_ = diseases.FieldBoolean("MOutput") || diseases.FieldBoolean("FOutput");
  } catch (const std::exception&) {
    resultButtons_ = false;
  }
}

std::unique_ptr<Tdisease> MainWindowModel::DiseaseForEditing(int variable) {
  PostPendingEdit();
  auto disease = std::make_unique<Tdisease>(std::string());
  DiseaseStore store{env_.Data, env_.Dialogs, env_.Settings.MaxAge};
  if (!LoadDiseaseUnderCursor(*disease, store, kMales, kRecordOnly)) return nullptr;
  CurrentDiseaseName = disease->DiseaseName;
  store.LoadInputFlags(*disease, variable);
  return disease;
}

std::unique_ptr<Tdiseaseam> MainWindowModel::DiseaseForProcessing(int sex) {
  PostPendingEdit();
  DiseaseStore store{env_.Data, env_.Dialogs, env_.Settings.MaxAge};
  auto disease = DiseaseUnderCursor(store, sex, kOriginalInputs);
  if (!disease) return nullptr;
  CurrentDiseaseName = disease->DiseaseName;
  TakeOptionsFromWindows(disease->CalcSettings.Records.at(static_cast<std::size_t>(sex)),
                         CalcWindow, SimplexWindow, ProcessingWindowState{});
  return disease;
}

int MainWindowModel::ChooseInputVariable() {
  std::vector<std::string> names;
  for (auto name : kVariableDisplayNames) names.emplace_back(name);
  const int chosen = env_.Dialogs.ChooseFromList("Choose input variable to edit or add", names);
  return chosen >= 0 && chosen < kVariableCount ? chosen : -1;
}

std::unique_ptr<Tdiseaseam> MainWindowModel::DiseaseForAnalysis() {
  PostPendingEdit();
  DiseaseStore store{env_.Data, env_.Dialogs, env_.Settings.MaxAge};
  auto disease = DiseaseUnderCursor(store, kMales, kRecordOnly);
  if (disease) store.LoadProcessedFlags(*disease);
  return disease;
}

void MainWindowModel::Navigate(Navigator button) {
  TableCursor& diseases = env_.Data.KavrelTable1();
  // Moving on stores a typed name or code first, as Post does; a blank name stays unstored.
  if (button != Navigator::kCancel && button != Navigator::kEdit) PostPendingDiseaseEdit(env_.Data);
  switch (button) {
    case Navigator::kFirst:
      diseases.First();
      break;
    case Navigator::kPrior:
      diseases.Prior();
      break;
    case Navigator::kNext:
      diseases.Next();
      break;
    case Navigator::kLast:
      diseases.Last();
      break;
    case Navigator::kInsert:
      InsertDisease();
      break;
    case Navigator::kEdit:
      diseases.Edit();
      break;
    case Navigator::kPost:
      break;  // posted above
    case Navigator::kCancel:
      diseases.Cancel();
      break;
  }
  UpdateResultButtons();
}

MainWindowModel::DiseaseView MainWindowModel::ShownDisease() const {
  DiseaseView view;
  TableCursor& diseases = env_.Data.KavrelTable1();
  view.Present = diseases.Active() &&
                 (diseases.RecordCount() > 0 || diseases.GetState() == TableCursor::State::kInsert);
  if (!view.Present) return view;
  view.Name = diseases.FieldText("DiseaseName");
  view.IcdCode = diseases.FieldText("ICDcode");
  for (int s = 0; s < kSexCount; ++s) {
    for (int v = 0; v < kVariableCount; ++v) {
      view.Inputs[s][v] = diseases.FieldBoolean(kInputFlagColumns[s][v]);
    }
    view.Outputs[s] = diseases.FieldBoolean(kOutputFlagColumns[s]);
  }
  return view;
}

void MainWindowModel::SetDiseaseName(const std::string& name) {
  env_.Data.KavrelTable1().SetText("DiseaseName", name);
}

void MainWindowModel::SetIcdCode(const std::string& code) {
  env_.Data.KavrelTable1().SetText("ICDcode", code);
}

MainWindowModel::NotesView MainWindowModel::DiseaseNotes() const {
  TableCursor& diseases = env_.Data.KavrelTable1();
  if (!diseases.Active() || diseases.RecordCount() == 0) return {};
  return {"Notes on " + diseases.FieldText("DiseaseName"), diseases.FieldText("Remarks")};
}

void MainWindowModel::StoreNotes(const std::string& text) {
  TableCursor& diseases = env_.Data.KavrelTable1();
  if (!diseases.Active() || diseases.RecordCount() == 0) return;
  if (text == diseases.FieldText("Remarks")) return;
  diseases.SetText("Remarks", text);
  diseases.Post();
}

namespace {

// "New disease", or "New disease 2", 3, ... where the data set has that name already.
std::string NewDiseaseName(TDataKavrel& data) {
  std::string name = "New disease";
  for (int k = 2; SimilarDiseaseName(data.Dataset(), name); ++k) {
    name = "New disease " + std::to_string(k);
  }
  return name;
}

}  // namespace

void MainWindowModel::InsertDisease() {
  TableCursor& diseases = env_.Data.KavrelTable1();
  // The new record is offered with a name to type over and stored when the user moves on or
  // posts; Cancel leaves nothing behind.
  PostPendingDiseaseEdit(env_.Data);
  diseases.Insert();
  diseases.SetText("DiseaseName", NewDiseaseName(env_.Data));
  UpdateResultButtons();
}

bool MainWindowModel::DeleteDisease() {
  TableCursor& diseases = env_.Data.KavrelTable1();
  if (!diseases.Active() || diseases.RecordCount() == 0) return false;
  if (env_.Dialogs.Message("Are you sure you want to delete this disease record?",
                           DialogKind::kConfirmation,
                           DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  const std::string id = std::to_string(diseases.Key());
  try {
    Database::Transaction transaction(env_.Data.Dataset());
    diseases.Delete();
    for (int v = 0; v < kVariableCount; ++v) {
      env_.Data.ExecDataset("delete from " + InputTable(v) + " where InputId=" + id);
      env_.Data.ExecDataset("delete from " + IntermTable(v) + " where InputId=" + id);
    }
    for (int v = 0; v < kVariableCount; ++v) {
      env_.Data.ExecDataset("delete from " + OutputTable(v) + " where InputId=" + id);
    }
    DeleteInputPrecision(env_.Data.Dataset(), std::stoll(id));
    DeleteOutputIntervals(env_.Data.Dataset(), std::stoll(id));
    DeleteStoredRatesIndexes(env_.Data, std::stoi(id));
    transaction.Commit();
  } catch (...) {
    diseases.Refresh();
    throw;
  }
  UpdateResultButtons();
  return true;
}

}  // namespace kavrel
