#include "gui/results/inspect_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/results/inspection.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"
#include "gui/common/small_dialogs.h"
#include "gui/results/graph_form.h"
#include "gui/results/table_form.h"
#include "gui/store/disease_list_form.h"

namespace kavrel {

TInspectForm::TInspectForm(TDataKavrel& data, UserDialogs& dialogs, MessagesLog& log,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      data_(data),
      dialogs_(dialogs),
      log_(log),
      stored_(std::make_unique<StoredAnalyses>()),
      name_(new QLabel),
      sex_(new QButtonGroup(this)),
      input_(new QButtonGroup(this)),
      graphBox_(new QCheckBox("Graph")),
      tableBox_(new QCheckBox("Table")) {
  auto* disease = new QGroupBox("Disease");
  auto* diseaseLayout = new QVBoxLayout(disease);
  diseaseLayout->addWidget(name_);
  auto* moves = new QHBoxLayout;
  int k = 0;
  for (const char* text : {"First disease", "Previous disease", "Next disease", "Last disease"}) {
    moves_[static_cast<std::size_t>(k)] = new QPushButton(text);
    connect(moves_[static_cast<std::size_t>(k)], &QPushButton::clicked, this,
            [this, k] { Move(k); });
    moves->addWidget(moves_[static_cast<std::size_t>(k)]);
    ++k;
  }
  auto* choose = new QPushButton("Choose");
  moves->addWidget(choose);
  diseaseLayout->addLayout(moves);
  auto* show = new QGroupBox("Show");
  auto* showLayout = new QHBoxLayout(show);
  showLayout->addWidget(graphBox_);
  showLayout->addWidget(tableBox_);
  graphBox_->setChecked(true);
  tableBox_->setChecked(true);
  auto* uncertainty = new QPushButton("Uncertainty");
  auto* sensitivity = new QPushButton("Sensitivity");
  auto* fit = new QPushButton("Fit report");
  fit->setToolTip("Each input age group of the stored result against the output's mean over it");
  auto* close = new QPushButton("&Close");
  auto* top = new QHBoxLayout;
  top->addWidget(RadioBox("Sex", sex_, {"Males", "Females"}, true));
  top->addWidget(RadioBox("Input", input_, {"Adjusted", "Original"}, true));
  top->addWidget(show);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(uncertainty);
  bottom->addWidget(sensitivity);
  bottom->addWidget(fit);
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(disease);
  layout->addLayout(bottom);

  connect(choose, &QPushButton::clicked, this, &TInspectForm::Choose);
  connect(uncertainty, &QPushButton::clicked, this, &TInspectForm::ShowUncertainty);
  connect(sensitivity, &QPushButton::clicked, this, &TInspectForm::ShowSensitivity);
  connect(fit, &QPushButton::clicked, this, &TInspectForm::ShowFitReport);
  ChooseOutput = [this](const std::vector<std::string>& items) {
    OutputItemChooser chooser(this);
    QStringList list;
    for (const std::string& item : items) list << QString::fromStdString(item);
    const int row = chooser.Choose(list);
    return std::make_pair(row, chooser.GraphChosen());
  };
  connect(sex_, &QButtonGroup::idClicked, this, &TInspectForm::SetSex);
  connect(input_, &QButtonGroup::idClicked, this, [this](int id) { SetOriginal(id == 1); });
  connect(graphBox_, &QCheckBox::toggled, this, &TInspectForm::ShowGraph);
  connect(tableBox_, &QCheckBox::toggled, this, &TInspectForm::ShowTable);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 4000);
}

TInspectForm::~TInspectForm() = default;

void TInspectForm::Prepare(InspectionWindow& model) {
  model_ = &model;
  sex_->button(model.Sex())->setChecked(true);
  input_->button(model.Original ? 1 : 0)->setChecked(true);
  Reload();
}

void TInspectForm::Inspect(InspectionWindow& model) {
  Prepare(model);
  exec();
}

void TInspectForm::Reload() {
  if (model_ == nullptr) return;
  DropAnalyses();
  {
    setWindowTitle("Retrieving data...");
    BusyCursor busy;
    model_->Load();
  }
  setWindowTitle(QString::fromStdString(model_->Caption()));
  Redraw();
}

void TInspectForm::Redraw() {
  if (model_ == nullptr) return;
  Show();
  if (model_->Disease() == nullptr) return;
  InspectionWindow* model = model_;
  if (tableBox_->isChecked()) {
    if (!table_) {
      table_ = new TTableForm(
          model->TableTitle(),
          [model](const TableRequest& request) { return model->Table(request); }, this,
          &model->View());
    }
    table_->SetTitle(model->TableTitle());
    table_->show();
  }
  if (graphBox_->isChecked()) {
    if (!graph_) graph_ = new TGrafForm(model->MaxAge(), this);
    graph_->SetLines(model->GraphLines());
    graph_->ShowGraph(model->GraphCaption(), kProcessingGraphTitle);
  }
}

void TInspectForm::Show() {
  const Tdiseaseam* disease = model_ != nullptr ? model_->Disease() : nullptr;
  name_->setText(disease != nullptr ? QString::fromStdString(disease->DiseaseName) : QString());
  if (model_ == nullptr) return;
  moves_[0]->setEnabled(model_->FirstEnabled);
  moves_[1]->setEnabled(model_->PriorEnabled);
  moves_[2]->setEnabled(model_->NextEnabled);
  moves_[3]->setEnabled(model_->LastEnabled);
}

void TInspectForm::DropAnalyses() {
  // The analysis outputs read the disease and its summaries: they go with them.
  for (QWidget* window : Outputs()) window->close();
  outputs_.clear();
  stored_->Reset();
}

void TInspectForm::Move(int button) {
  if (model_ == nullptr) return;
  DropAnalyses();
  {
    BusyCursor busy;
    switch (button) {
      case 0:
        model_->First();
        break;
      case 1:
        model_->Prior();
        break;
      case 2:
        model_->Next();
        break;
      default:
        model_->Last();
        break;
    }
  }
  Redraw();
}

void TInspectForm::Choose() {
  if (model_ == nullptr) return;
  DiseaseListForm list(data_, this);
  list.setWindowTitle(QString::fromStdString("Diseases in dataset " + model_->DatasetName()));
  list.Fill();
  list.exec();
  list.LocateChosen();
  DropAnalyses();
  model_->Chosen();
  Redraw();
}

void TInspectForm::SetSex(int sex) {
  if (model_ == nullptr) return;
  model_->SetSex(sex);
  Redraw();
}

void TInspectForm::SetOriginal(bool original) {
  if (model_ == nullptr) return;
  model_->Original = original;
  Redraw();
}

void TInspectForm::ShowGraph(bool shown) {
  if (!shown) {
    if (graph_) graph_->close();
    return;
  }
  Redraw();
}

void TInspectForm::ShowTable(bool shown) {
  if (!shown) {
    if (table_) table_->close();
    return;
  }
  Redraw();
}

std::vector<QWidget*> TInspectForm::Outputs() const {
  std::vector<QWidget*> open;
  for (const auto& window : outputs_) {
    if (window && window->isVisible()) open.push_back(window);
  }
  return open;
}

void TInspectForm::ShowUncertainty() {
  if (model_ == nullptr || model_->Disease() == nullptr || !ChooseOutput) return;
  const Tdiseaseam& disease = *model_->Disease();
  const int sex = model_->Sex();
  Tuncertsummary* summary = nullptr;
  try {
    if (!stored_->SummariesLoaded()) setWindowTitle("Retrieving uncertainty data...");
    BusyCursor busy;
    summary = &stored_->Summary(data_, log_, disease.InputId, sex, model_->MaxAge());
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
  }
  setWindowTitle(QString::fromStdString(model_->Caption()));
  if (summary == nullptr) return;
  const auto [row, graph] = ChooseOutput(UncertaintyOutputItems());
  if (row < 0 || row >= kVariableCount) return;
  if (graph) {
    auto* window = new TGrafForm(model_->MaxAge(), this);
    window->SetLines(UncertaintyPlotLines(row, disease, sex, *summary, model_->View()));
    window->ShowGraph(GraphCaption(disease, sex), UncertaintyGraphTitle(row));
    outputs_.emplace_back(window);
    return;
  }
  InspectionWindow* model = model_;
  auto* window = new TTableForm(
      UncertaintyTableTitle(disease.DiseaseName, row),
      [model, row, &disease, sex, summary](const TableRequest& request) {
        return UncertaintyTable(row, disease, sex, *summary, model->Population(), model->MaxAge(),
                                model->TableGroups(), request);
      },
      this, &model_->View());
  window->show();
  outputs_.emplace_back(window);
}

void TInspectForm::ShowSensitivity() {
  if (model_ == nullptr || model_->Disease() == nullptr || !ChooseOutput) return;
  const Tdiseaseam& disease = *model_->Disease();
  const int sex = model_->Sex();
  const Tsenssum* variants = nullptr;
  try {
    setWindowTitle("Retrieving sensitivity data...");
    BusyCursor busy;
    variants = &stored_->Variants(data_, disease.InputId, sex, model_->MaxAge());
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
  }
  setWindowTitle(QString::fromStdString(model_->Caption()));
  if (variants == nullptr) return;
  const auto items = SensitivityOutputItems(*variants);
  const auto [row, graph] = ChooseOutput(items);
  if (row < 0 || row >= static_cast<int>(items.size())) return;
  const Tsensresultin& variant = variants->Variants[static_cast<std::size_t>(row)];
  if (graph) {
    auto* window = new TGrafForm(model_->MaxAge(), this);
    window->SetLines(SensitivityPlotLines(disease, sex, variant, model_->View()));
    window->ShowGraph(GraphCaption(disease, sex), SensitivityGraphTitle(variant));
    outputs_.emplace_back(window);
    return;
  }
  InspectionWindow* model = model_;
  auto* window = new TTableForm(
      SensitivityTableTitle(variant),
      [model, &variant, &disease, sex](const TableRequest& request) {
        return SensitivityTable(variant, disease, sex, model->Population(), model->MaxAge(),
                                model->TableGroups(), request);
      },
      this, &model_->View());
  window->show();
  outputs_.emplace_back(window);
}

void TInspectForm::ShowFitReport() {
  if (model_ == nullptr || model_->Disease() == nullptr) return;
  InspectionWindow* model = model_;
  auto* window = new TTableForm(
      model->FitTitle(), [model](const TableRequest&) { return model->FitTable(); }, this);
  window->ShowAsPlainTable();
  window->show();
  outputs_.emplace_back(window);
}

void TInspectForm::done(int result) {
  for (QWidget* window : Outputs()) window->close();
  outputs_.clear();
  stored_->Reset();
  if (graph_) graph_->close();
  if (table_) table_->close();
  model_ = nullptr;
  QDialog::done(result);
}

}  // namespace kavrel
