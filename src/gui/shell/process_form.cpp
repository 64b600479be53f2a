#include "gui/shell/process_form.h"

#include <utility>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/shell/processing_window.h"
#include "gui/agesched/agesched_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"
#include "gui/engine/trend_form.h"
#include "gui/results/graph_form.h"
#include "gui/results/table_form.h"
#include "gui/shell/calc_options_form.h"

namespace kavrel {

TProcessForm::TProcessForm(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      available_(new QListWidget),
      apply_(new QCheckBox("Apply")),
      fromOutput_(new QPushButton("From output")),
      saveResult_(new QPushButton("&Save result")),
      trendForm_(new TTrendForm(dialogs, this)) {
  const auto group = [](const char* title, std::initializer_list<QWidget*> widgets) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    for (QWidget* widget : widgets) layout->addWidget(widget);
    return box;
  };
  auto* original = new QPushButton("&Original");
  auto* adjusted = new QPushButton("Adjusted");
  auto* variable = new QPushButton("&Variable");
  auto* saveChanges = new QPushButton("Save changes");
  auto* setTrends = new QPushButton("Set");
  auto* graph = new QPushButton("Open &graph");
  auto* table = new QPushButton("Open table");
  auto* fit = new QPushButton("Fit report");
  fit->setToolTip("Each input age group against the mean of the output over the group");
  auto* viewOptions = new QPushButton("Options");
  auto* calculate = new QPushButton("Calc&ulate");
  auto* options = new QPushButton("O&ptions");
  auto* close = new QPushButton("&Close");

  auto* left = new QVBoxLayout;
  left->addWidget(group("Input", {original, adjusted, fromOutput_}));
  left->addWidget(group("Available input", {available_}));
  auto* right = new QVBoxLayout;
  right->addWidget(group("Adjust input", {variable, saveChanges}));
  right->addWidget(group("Time trends", {setTrends, apply_}));
  right->addWidget(group("View data", {graph, table, fit, viewOptions}));
  right->addWidget(group("Calculation", {calculate, options}));
  right->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(saveResult_);
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(bottom);
  resize(460, 480);

  connect(original, &QPushButton::clicked, this, &TProcessForm::Original);
  connect(adjusted, &QPushButton::clicked, this, &TProcessForm::Adjusted);
  connect(fromOutput_, &QPushButton::clicked, this, &TProcessForm::FromOutput);
  connect(saveChanges, &QPushButton::clicked, this, &TProcessForm::SaveChanges);
  connect(table, &QPushButton::clicked, this, &TProcessForm::OpenTable);
  connect(fit, &QPushButton::clicked, this, &TProcessForm::OpenFitReport);
  connect(graph, &QPushButton::clicked, this, &TProcessForm::OpenGraph);
  connect(setTrends, &QPushButton::clicked, this, &TProcessForm::SetTrends);
  connect(variable, &QPushButton::clicked, this, &TProcessForm::AdjustVariable);
  connect(available_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    // Variable names only; the two headings start with blanks.
    const std::string text = item->text().toStdString();
    for (int v = 0; v < kVariableCount; ++v) {
      if (text == kVariableDisplayNames[v]) Adjust(v);
    }
  });
  connect(options, &QPushButton::clicked, this, &TProcessForm::ShowOptions);
  connect(viewOptions, &QPushButton::clicked, this, [this] {
    if (showViewOptions_) showViewOptions_();
  });
  connect(calculate, &QPushButton::clicked, this, &TProcessForm::Calculate);
  connect(saveResult_, &QPushButton::clicked, this, &TProcessForm::SaveResult);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(apply_, &QCheckBox::toggled, this, [this](bool checked) {
    if (model_ != nullptr) model_->State.TrendApplyChecked = checked;
  });
  // The pop-up menu: "Stay on top", "Show notes", "Preferences".
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    QAction* top = menu.addAction("Stay on top");
    top->setCheckable(true);
    top->setChecked(stayOnTop_);
    connect(top, &QAction::toggled, this, &TProcessForm::SetStayOnTop);
    QAction* notes = menu.addAction("Show notes");
    notes->setEnabled(static_cast<bool>(showNotes_));
    connect(notes, &QAction::triggered, this, [this] { showNotes_(); });
    QAction* preferences = menu.addAction("Preferences");
    preferences->setEnabled(static_cast<bool>(showPreferences_));
    connect(preferences, &QAction::triggered, this, [this] { showPreferences_(); });
    menu.exec(mapToGlobal(at));
  });
  AddHelp(this, 3700);
}

TProcessForm::~TProcessForm() = default;

QPushButton* TProcessForm::Button(const QString& text) const { return FindButton(this, text); }

std::vector<TGrafForm*> TProcessForm::Graphs() const {
  std::vector<TGrafForm*> open;
  for (const auto& graph : graphs_) {
    if (graph) open.push_back(graph);
  }
  return open;
}

TGrafForm* TProcessForm::OpenGraph() {
  if (model_ == nullptr) return nullptr;
  auto* graph = new TGrafForm(model_->MaxAge(), this);
  graph->SetLines(model_->GraphLines());
  graphs_.emplace_back(graph);
  graph->ShowGraph(model_->GraphCaption(), kProcessingGraphTitle);
  return graph;
}

std::vector<TTableForm*> TProcessForm::Tables() const {
  std::vector<TTableForm*> open;
  for (const auto& table : tables_) {
    if (table) open.push_back(table);
  }
  return open;
}

void TProcessForm::Prepare(ProcessingWindow& model, bool openGraph, bool openTable) {
  model_ = &model;
  setWindowTitle(QString::fromStdString(model.Caption()));
  model.Open();
  Show();
  pendingGraph_ = openGraph;
  pendingTable_ = openTable;
  if (isVisible()) showEvent(nullptr);
}

void TProcessForm::SetStayOnTop(bool on) {
  stayOnTop_ = on;
  // On the platform window: changing the widget's flags would hide it, which ends the dialog.
  if (QWindow* window = windowHandle()) {
    window->setFlag(Qt::WindowStaysOnTopHint, on);
  } else {
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
  }
}

void TProcessForm::showEvent(QShowEvent* event) {
  if (event != nullptr) QDialog::showEvent(event);
  const bool graph = std::exchange(pendingGraph_, false);
  const bool table = std::exchange(pendingTable_, false);
  if (graph) OpenGraph();
  if (table) OpenTable();
}

void TProcessForm::Process(ProcessingWindow& model, bool openGraph, bool openTable) {
  Prepare(model, openGraph, openTable);
  exec();
}

template <typename Command>
void TProcessForm::Do(Command&& command) {
  if (model_ == nullptr) return;
  RunCommand(dialogs_, command, {}, true);
  // Also after an error: the buttons follow what was calculated.
  Show();
}

void TProcessForm::Show() {
  if (model_ == nullptr) return;
  available_->clear();
  for (const std::string& line : model_->AvailableInputs()) {
    available_->addItem(QString::fromStdString(line));
  }
  const ProcessingWindowState& state = model_->State;
  apply_->setEnabled(state.TrendApplyEnabled);
  apply_->setChecked(state.TrendApplyChecked);
  fromOutput_->setEnabled(state.FromOutputEnabled);
  saveResult_->setEnabled(state.SaveResultEnabled);
  for (TTableForm* table : Tables()) table->Recompute();
  // New output or input lines join the graphs; the others take the new values.
  for (TGrafForm* graph : Graphs()) graph->SetLines(model_->GraphLines());
  if (options_ != nullptr && options_->isVisible()) options_->Show();
}

void TProcessForm::Calculate() {
  Do([this] { model_->Calculate(); });
}

void TProcessForm::Original() {
  Do([this] { model_->Original(); });
}

void TProcessForm::Adjusted() {
  Do([this] { model_->Adjusted(); });
}

void TProcessForm::FromOutput() {
  Do([this] { model_->FromOutput(); });
}

void TProcessForm::SaveChanges() {
  Do([this] { model_->SaveChanges(); });
}

void TProcessForm::SaveResult() {
  std::string saved;
  Do([&] { saved = model_->SaveResult(); });
  if (saved.empty()) return;
  // Saved under a new name: the window, its tables and graphs say so.
  setWindowTitle(QString::fromStdString(model_->Caption()));
  for (TTableForm* table : Tables()) table->SetTitle(model_->TableTitle());
  for (TGrafForm* graph : Graphs()) graph->ShowGraph(model_->GraphCaption(), kProcessingGraphTitle);
  ShowStatus(QString::fromStdString(saved));
}

void TProcessForm::ShowOptions() {
  if (options_ == nullptr) return;
  // Not modal: the options stay open beside the processing window while the user calculates.
  // It becomes this window's own for the time, or the processing window would block it.
  if (options_->parentWidget() != this) options_->setParent(this, options_->windowFlags());
  options_->Show();
  options_->setWindowModality(Qt::NonModal);
  options_->show();
  options_->raise();
}

void TProcessForm::AdjustVariable() {
  if (model_ == nullptr) return;
  int v = -1;
  Do([&] { v = model_->ChooseVariableToAdjust(); });
  if (v >= 0) Adjust(v);
}

void TProcessForm::Adjust(int variable) {
  if (model_ == nullptr || ageSchedule_ == nullptr) return;
  // One adjustment at a time: a window still open on another variable closes first.
  ageSchedule_->close();
  ageModel_ = model_->AgeSchedule(variable);
  if (!ageModel_) return;
  ageSchedule_->Adjust(*ageModel_, model_->MaxAge(), [this] {
    if (model_ != nullptr) model_->AdjustmentsChanged();
    Show();
  });
}

void TProcessForm::SetTrends() {
  if (model_ == nullptr) return;
  const auto before = model_->Disease().Trends;
  const bool any = trendForm_->Edit(model_->Disease());
  model_->TrendsSet(any);
  if (model_->Disease().Trends != before) model_->AdjustmentsChanged();
  Show();
}

TTableForm* TProcessForm::OpenTable() {
  if (model_ == nullptr) return nullptr;
  ProcessingWindow* model = model_;
  auto* table = new TTableForm(
      model->TableTitle(), [model](const TableRequest& request) { return model->Table(request); },
      this, view_);
  tables_.emplace_back(table);
  table->show();
  return table;
}

TTableForm* TProcessForm::OpenFitReport() {
  if (model_ == nullptr) return nullptr;
  ProcessingWindow* model = model_;
  auto* table = new TTableForm(
      model->FitTitle(), [model](const TableRequest&) { return model->FitTable(); }, this);
  table->ShowAsPlainTable();
  tables_.emplace_back(table);
  table->show();
  return table;
}

void TProcessForm::done(int result) {
  // A calculated result is not thrown away without a question.
  if (model_ != nullptr) {
    bool mayClose = false;  // stays false when the question or the save fails
    Do([&] { mayClose = model_->MayClose(); });
    if (!mayClose) return;
  }
  // Closing ends the processing of the disease: its tables go with it.
  for (TTableForm* table : Tables()) table->close();
  for (TGrafForm* graph : Graphs()) graph->close();
  if (options_ != nullptr) options_->hide();
  if (ageSchedule_ != nullptr) ageSchedule_->close();
  ageModel_.reset();
  tables_.clear();
  graphs_.clear();
  model_ = nullptr;
  QDialog::done(result);
}

}  // namespace kavrel
