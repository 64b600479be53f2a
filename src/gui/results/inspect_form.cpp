#include "results/inspect_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/disease.h"
#include "results/graph_form.h"
#include "results/inspection.h"
#include "results/table_form.h"
#include "shell/busy_cursor.h"
#include "shell/disease_list_form.h"
#include "shell/form_helpers.h"

namespace kavrel {

TInspectForm::TInspectForm(TDataKavrel& data, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      data_(data),
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
  // Their windows come with the analyses.
  uncertainty->setEnabled(false);
  sensitivity->setEnabled(false);
  auto* close = new QPushButton("&Close");
  auto* top = new QHBoxLayout;
  top->addWidget(RadioBox("Sex", sex_, {"Males", "Females"}, true));
  top->addWidget(RadioBox("Input", input_, {"Adjusted", "Original"}, true));
  top->addWidget(show);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(uncertainty);
  bottom->addWidget(sensitivity);
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(disease);
  layout->addLayout(bottom);

  connect(choose, &QPushButton::clicked, this, &TInspectForm::Choose);
  connect(sex_, &QButtonGroup::idClicked, this, &TInspectForm::SetSex);
  connect(input_, &QButtonGroup::idClicked, this, [this](int id) { SetOriginal(id == 1); });
  connect(graphBox_, &QCheckBox::toggled, this, &TInspectForm::ShowGraph);
  connect(tableBox_, &QCheckBox::toggled, this, &TInspectForm::ShowTable);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
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
          [model](bool numbers, int decimals, int ratesIndex) {
            return model->Table(numbers, decimals, ratesIndex);
          },
          this);
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

void TInspectForm::Move(int button) {
  if (model_ == nullptr) return;
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

void TInspectForm::done(int result) {
  if (graph_) graph_->close();
  if (table_) table_->close();
  model_ = nullptr;
  QDialog::done(result);
}

}  // namespace kavrel
