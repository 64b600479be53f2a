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
#include "core/exchange/grid.h"
#include "core/results/result_table.h"
#include "core/results/view_options.h"
#include "gui/agesched/age_group_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/grid_editor.h"
#include "gui/common/help.h"
#include "gui/common/storage_form.h"
#include "gui/common/text_grid_model.h"
#include "gui/results/graph_form.h"

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
      grid_(new GridEditor(dialogs, 420, this)),
      define_(new QPushButton("Define")),
      store_(new QPushButton("S&tore data")),
      read_(new QPushButton("&Read file")) {
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
  auto* ages = new QGroupBox("Age groups");
  auto* agesLayout = new QHBoxLayout(ages);
  agesLayout->addWidget(define_);
  auto* storage = new QGroupBox("Storage grid");
  auto* storageLayout = new QHBoxLayout(storage);
  storageLayout->addWidget(store_);
  storageLayout->addWidget(read_);
  for (QPushButton* button : {define_, store_, read_}) button->setEnabled(false);
  auto* close = new QPushButton("&Close");
  auto* panel = new QVBoxLayout;
  panel->addWidget(general);
  panel->addWidget(variable);
  panel->addLayout(display);
  panel->addWidget(ages);
  panel->addWidget(storage);
  panel->addWidget(options);
  panel->addStretch();
  panel->addWidget(close);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(grid_->View(), 1);
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
    if (display_ != nullptr) display_->RatesIndex = index;
    model_->SetRatesIndex(index);
    Show();
  });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    if (showing_) return;
    if (display_ != nullptr) display_->Decimals = value;
    if (model_ != nullptr) model_->Decimals = value;
    grid_->SetDecimals(value);
  });
  // Typed, cut or pasted cells are read into the distributions.
  grid_->CellsChanged = [this] {
    if (!showing_) CellsEdited();
  };
  connect(define_, &QPushButton::clicked, this, [this] {
    if (model_ == nullptr || grids_ == nullptr) return;
    grids_->AgeGroups.Run();
    RunCommand(dialogs_, [&] { model_->SetAgeGroups(grids_->CurrentAgeGroups); });
    Show();
  });
  connect(store_, &QPushButton::clicked, this, [this] {
    if (model_ == nullptr || grids_ == nullptr) return;
    const LocalDateTime now = LocalDateAndTime(grids_->Now);
    RunCommand(dialogs_, [&] {
      model_->StoreData(
          [this](const TextGrid& source, bool sideBySide, const std::vector<std::string>& lines,
                 bool newContent) {
            if (!grids_->Storage.ReceiveGrid(source, sideBySide, lines, newContent, dialogs_)) {
              return false;
            }
            grids_->ShowStorage();
            return true;
          },
          datasetName_ ? datasetName_() : std::string(), now.Date, now.Time);
    });
  });
  connect(read_, &QPushButton::clicked, this, [this] {
    if (grids_ != nullptr) grids_->ReadStorageFile();
  });
  connect(openGraph, &QPushButton::clicked, this, &TUncertspecForm::OpenGraph);
  connect(options, &QPushButton::clicked, this, [showOptions] { showOptions(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 4900);
  KeepFromEnter(this);
}

TUncertspecForm::~TUncertspecForm() = default;

QTableView* TUncertspecForm::Grid() const { return grid_->View(); }

QPushButton* TUncertspecForm::Button(const QString& text) const { return FindButton(this, text); }

void TUncertspecForm::SetGridWindows(const GridWindowEnvironment* grids, DisplaySettings* display,
                                     std::function<std::string()> datasetName) {
  grids_ = grids;
  display_ = display;
  datasetName_ = std::move(datasetName);
}

void TUncertspecForm::Prepare(UncertaintySettingsWindow& model, Tuncertklas& analysis, int maxAge) {
  model_ = &model;
  analysis_ = &analysis;
  maxAge_ = maxAge;
  const char separator = LocaleDecimalSeparator();
  // "Mean" (column 1) is the saved input: only the spread parameters are typed.
  grid_->Attach(model.Grid, {.LabelsAsRowHeadings = false,
                             .Editable = true,
                             .FirstNumericColumn = 1,
                             .DecimalSeparator = separator,
                             .Thousands = false,
                             .Reformat = true,
                             .FirstEditableColumn = 2});
  // "Rates per:" and "Decimals" start from the preferences' display settings.
  if (display_ != nullptr) {
    model.Decimals = display_->Decimals;
    model.SetRatesIndex(display_->RatesIndex);
  }
  for (QPushButton* button : {define_, store_, read_}) button->setEnabled(grids_ != nullptr);
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
  decimals_->setValue(model_->Decimals);
  grid_->SetDecimals(model_->Decimals);
  grid_->Reload();
  // Only as many parameter columns as the distribution has.
  for (int c = 1; c < model_->Grid.ColumnCount(); ++c) {
    grid_->View()->setColumnHidden(c, model_->Grid.Cell(c, 0).empty());
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
  if (model_ != nullptr) {
    bool mayClose = false;  // stays false when the question or the save fails
    RunCommand(dialogs_, [&] { mayClose = model_->MayClose(LocaleDecimalSeparator()); },
               {grid_->View()});
    Show();
    if (!mayClose) return;
  }
  if (graph_) graph_->close();
  if (grids_ != nullptr) grids_->StorageWindow.close();
  model_ = nullptr;
  QDialog::done(result);
}

}  // namespace kavrel
