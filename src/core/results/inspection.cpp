#include "core/results/inspection.h"

#include "core/agesched/age_groups.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/engine/population_series.h"
#include "core/results/fit_table.h"
#include "core/results/view_options.h"
#include "core/store/data_kavrel.h"

namespace kavrel {

InspectionWindow::InspectionWindow(Environment environment, int sex)
    : env_(std::move(environment)), sex_(sex) {}

InspectionWindow::~InspectionWindow() = default;

std::string InspectionWindow::Caption() const { return "Inspecting data set " + env_.DatasetName; }

int InspectionWindow::Sex() const { return sex_; }

void InspectionWindow::SetSex(int sex) {
  sex_ = sex;
  if (disease_) disease_->Sex = static_cast<std::uint8_t>(sex);
}

void InspectionWindow::Load() {
  disease_.reset();
  DiseaseStore store{env_.Data, env_.Dialogs, env_.MaxAge};
  // ModelSeries then holds the original inputs spread over their ages, InputSeries the adjusted
  // ones.
  disease_ = DiseaseUnderCursor(store, sex_, kOriginalInputs | kAdjustedInputs | kStoredOutputs);
}

void InspectionWindow::UpdateButtons() {
  const TableCursor& diseases = env_.Data.KavrelTable1();
  FirstEnabled = PriorEnabled = NextEnabled = LastEnabled = true;
  if (diseases.Eof()) {
    NextEnabled = LastEnabled = false;
  } else if (diseases.Bof()) {
    PriorEnabled = FirstEnabled = false;
  }
}

void InspectionWindow::First() {
  env_.Data.KavrelTable1().First();
  UpdateButtons();
  Load();
}

void InspectionWindow::Prior() {
  TableCursor& diseases = env_.Data.KavrelTable1();
  diseases.Prior();
  UpdateButtons();
  if (!diseases.Bof()) Load();
}

void InspectionWindow::Next() {
  TableCursor& diseases = env_.Data.KavrelTable1();
  diseases.Next();
  UpdateButtons();
  if (!diseases.Eof()) Load();
}

void InspectionWindow::Last() {
  env_.Data.KavrelTable1().Last();
  UpdateButtons();
  Load();
}

void InspectionWindow::Chosen() {
  UpdateButtons();
  Load();
}

TableText InspectionWindow::Table(const TableRequest& request) const {
  if (!disease_) return {};
  Tkolomlijst list(TableEnvironment{env_.Population.PopulationNumbers,
                                    env_.Population.AllCauseMortality, env_.MaxAge,
                                    disease_->IncidenceIsHazard});
  list.BuildRows(ChooseTableGroups(request, env_.TableGroups, env_.MaxAge), sex_);
  AddStandardColumns(
      list, *disease_, sex_, Original ? InputColumns::kOriginal : InputColumns::kAdjusted,
      ColumnVisibility{env_.View.InputVisible, env_.View.OutputVisible, request.Limits},
      request.Hazards);
  return RecalculateTable(list, request);
}

TableText InspectionWindow::FitTable() const {
  if (!disease_) return {};
  return FitReportTable(*disease_, sex_, env_.MaxAge, &env_.Population.PopulationNumbers,
                        env_.FitReportPercent);
}

std::string InspectionWindow::FitTitle() const {
  return disease_ ? "Fit of " + disease_->DiseaseName + ", " + std::string(kSexNames[sex_])
                  : std::string("Fit");
}

Tagegrouplist InspectionWindow::TableGroups() const {
  if (env_.TableGroups != nullptr && !env_.TableGroups->Groups.empty()) {
    return env_.TableGroups->Copy();
  }
  return FiveYearGroups(env_.MaxAge, "Standard");
}

std::string InspectionWindow::TableTitle() const {
  return disease_ ? "Disease: " + disease_->DiseaseName : std::string("Disease: ");
}

std::vector<PlotLine> InspectionWindow::GraphLines() const {
  if (!disease_) return {};
  return InspectionGraphLines(*disease_, sex_, env_.View, Original);
}

std::string InspectionWindow::GraphCaption() const {
  return disease_ ? kavrel::GraphCaption(*disease_, sex_) : std::string();
}

}  // namespace kavrel
