#include "gui/analysis/uncertspec_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "core/analysis/analysis_output.h"
#include "core/analysis/analysis_window.h"
#include "core/analysis/distributions.h"
#include "core/base/user_dialogs.h"
#include "core/results/result_table.h"
#include "gui/exchange/text_grid_model.h"
#include "gui/results/graph_form.h"
#include "gui/shell/form_helpers.h"
#include "gui/shell/help.h"

namespace kavrel {

TUncertspecForm::TUncertspecForm(UserDialogs& dialogs, const ViewOptionsState& view,
                                 std::function<void()> showOptions, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      viewOptions_(view),
      name_(new QLabel),
      left_(new QPushButton("<")),
      right_(new QPushButton(">")),
      distribution_(new QComboBox),
      iterations_(new QSpinBox),
      rates_(new QComboBox),
      decimals_(new QSpinBox),
      view_(new QTableView) {
  setWindowTitle("Uncertainty settings");
  auto* general = new QGroupBox("General settings");
  auto* generalLayout = new QFormLayout(general);
  iterations_->setRange(2, 100000);
  generalLayout->addRow("Number of iterations", iterations_);
  auto* openGraph = new QPushButton("Open graph");
  generalLayout->addRow(openGraph);
  auto* variable = new QGroupBox("Input variable");
  auto* variableLayout = new QVBoxLayout(variable);
  auto* stepping = new QHBoxLayout;
  stepping->addWidget(left_);
  stepping->addWidget(name_, 1);
  stepping->addWidget(right_);
  variableLayout->addLayout(stepping);
  for (auto kind : kDistributionNames) distribution_->addItem(Q(kind));
  auto* distributionRow = new QFormLayout;
  distributionRow->addRow("Distribution", distribution_);
  variableLayout->addLayout(distributionRow);
  for (auto item : kRatesPerItems) rates_->addItem(Q(item));
  decimals_->setRange(0, 10);
  decimals_->setValue(4);
  auto* display = new QFormLayout;
  display->addRow("Rates per:", rates_);
  display->addRow("Decimals", decimals_);
  auto* options = new QPushButton("Options");
  options->setEnabled(static_cast<bool>(showOptions));
  auto* close = new QPushButton("&Close");
  auto* panel = new QVBoxLayout;
  panel->addWidget(general);
  panel->addWidget(variable);
  panel->addLayout(display);
  panel->addWidget(options);
  panel->addStretch();
  panel->addWidget(close);
  view_->verticalHeader()->hide();
  view_->setMinimumWidth(420);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(panel);
  resize(760, 520);

  connect(left_, &QPushButton::clicked, this, &TUncertspecForm::StepLeft);
  connect(right_, &QPushButton::clicked, this, &TUncertspecForm::StepRight);
  connect(distribution_, &QComboBox::currentIndexChanged, this, [this](int kind) {
    if (!showing_) SetDistribution(kind);
  });
  connect(iterations_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_ && analysis_ != nullptr) analysis_->Iterations = value;
  });
  connect(rates_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_ || model_ == nullptr) return;
    model_->SetRatesIndex(index);
    Show();
  });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    if (model_ != nullptr) model_->Decimals = value;
    if (model_grid_ != nullptr) model_grid_->SetDecimals(value);
  });
  connect(openGraph, &QPushButton::clicked, this, &TUncertspecForm::OpenGraph);
  connect(options, &QPushButton::clicked, this, [showOptions] { showOptions(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 4900);
}

TUncertspecForm::~TUncertspecForm() = default;

void TUncertspecForm::Prepare(UncertaintySettingsWindow& model, Tuncertklas& analysis, int maxAge) {
  model_ = &model;
  analysis_ = &analysis;
  maxAge_ = maxAge;
  const char separator = LocaleDecimalSeparator();
  delete model_grid_;
  // "Mean" (column 1) is the saved input: only the spread parameters are typed.
  model_grid_ = new TextGridModel(model.Grid,
                                  {.LabelsAsRowHeadings = false,
                                   .Editable = true,
                                   .FirstNumericColumn = 1,
                                   .DecimalSeparator = separator,
                                   .Thousands = false,
                                   .Reformat = true,
                                   .FirstEditableColumn = 2},
                                  this);
  view_->setModel(model_grid_);
  connect(model_grid_, &QAbstractItemModel::dataChanged, this, [this] {
    if (!showing_) CellsEdited();
  });
  model.ComputeInputIntervals();
  Show();
}

void TUncertspecForm::Edit(UncertaintySettingsWindow& model, Tuncertklas& analysis, int maxAge) {
  Prepare(model, analysis, maxAge);
  exec();
}

void TUncertspecForm::Show() {
  if (model_ == nullptr) return;
  showing_ = true;
  name_->setText(QString::fromStdString(model_->VariableName()));
  left_->setEnabled(model_->CanStepLeft());
  right_->setEnabled(model_->CanStepRight());
  distribution_->setCurrentIndex(model_->Distribution());
  iterations_->setValue(analysis_->Iterations);
  rates_->setCurrentIndex(model_->RatesIndex);
  model_grid_->SetDecimals(model_->Decimals);
  model_grid_->Reload();
  // Only as many parameter columns as the distribution has.
  for (int c = 1; c < model_->Grid.ColumnCount(); ++c) {
    view_->setColumnHidden(c, model_->Grid.Cell(c, 0).empty());
  }
  showing_ = false;
  if (graph_ && graph_->isVisible()) graph_->Refresh();
}

void TUncertspecForm::StepLeft() {
  if (model_ == nullptr) return;
  model_->StepLeft();
  Show();
  if (graph_ && graph_->isVisible()) OpenGraph();
}

void TUncertspecForm::StepRight() {
  if (model_ == nullptr) return;
  model_->StepRight();
  Show();
  if (graph_ && graph_->isVisible()) OpenGraph();
}

void TUncertspecForm::SetDistribution(int kind) {
  if (model_ == nullptr) return;
  model_->SetDistribution(kind);
  model_->ComputeInputIntervals();
  Show();
}

void TUncertspecForm::CellsEdited() {
  if (model_ == nullptr) return;
  const char separator = LocaleDecimalSeparator();
  model_->CellsEdited(separator);
  model_->ComputeInputIntervals();
  Show();
}

TGrafForm* TUncertspecForm::OpenGraph() {
  if (model_ == nullptr || model_->Shown() < 0) return nullptr;
  const int v = model_->Shown();
  if (!graph_) graph_ = new TGrafForm(maxAge_, this);
  graph_->SetLines(UncertaintyInputPlotLines(v, analysis_->SavedInputs[v][model_->Sex()],
                                             analysis_->Summary, viewOptions_));
  graph_->ShowGraph("Uncertainty settings", UncertaintyInputGraphTitle(v));
  return graph_;
}

void TUncertspecForm::done(int result) {
  if (graph_) graph_->close();
  model_ = nullptr;
  QDialog::done(result);
}

}  // namespace kavrel
