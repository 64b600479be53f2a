#include "gui/analysis/uncert_form.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/analysis/analysis_output.h"
#include "core/analysis/analysis_window.h"
#include "core/analysis/distributions.h"
#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "gui/analysis/sens_options_form.h"
#include "gui/analysis/uncertspec_form.h"
#include "gui/common/background.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"
#include "gui/common/small_dialogs.h"
#include "gui/results/graph_form.h"
#include "gui/results/table_form.h"

namespace kavrel {

TUncertForm::TUncertForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      kind_(new QButtonGroup(this)),
      sex_(new QButtonGroup(this)),
      variables_(new QListWidget),
      sensitivityBox_(new QGroupBox("Sensitivity")),
      uncertaintyBox_(new QGroupBox("Uncertainty")),
      stepsLabel_(new QLabel),
      steps_(new QSpinBox),
      stepPercent_(new QSpinBox),
      intervalsLabel_(new QLabel),
      saveResults_(new QButtonGroup(this)),
      start_(new QPushButton("Start")),
      showOutput_(new QPushButton("Show output")),
      save_(new QPushButton("Save")),
      settingsForm_(new TUncertspecForm(
          environment.Dialogs, environment.View,
          [this] {
            env_.Options.Show();
            env_.Options.exec();
          },
          this)) {
  auto* inputs = new QGroupBox("Input variables");
  auto* inputsLayout = new QVBoxLayout(inputs);
  inputsLayout->addWidget(variables_);

  steps_->setRange(0, 100);
  stepPercent_->setRange(1, 100);
  auto* sensitivityLayout = new QGridLayout(sensitivityBox_);
  sensitivityLayout->addWidget(stepsLabel_, 0, 0, 1, 4);
  sensitivityLayout->addWidget(new QLabel("# steps"), 1, 0);
  sensitivityLayout->addWidget(steps_, 1, 1);
  sensitivityLayout->addWidget(new QLabel("Step (%)"), 1, 2);
  sensitivityLayout->addWidget(stepPercent_, 1, 3);
  auto* absolute = new QGroupBox("Absolute steps");
  auto* absoluteLayout = new QHBoxLayout(absolute);
  auto* set = new QPushButton("Set");
  absoluteLayout->addWidget(set);
  sensitivityLayout->addWidget(absolute, 2, 0, 1, 4);

  auto* uncertaintyLayout = new QGridLayout(uncertaintyBox_);
  uncertaintyLayout->addWidget(intervalsLabel_, 0, 0, 1, 2);
  uncertaintyLayout->addWidget(RadioBox("Save results", saveResults_, {"Summary", "Full"}, true), 1,
                               0, 1, 2);
  auto* intervals = new QPushButton("Intervals");
  auto* settings = new QPushButton("Settings");
  uncertaintyLayout->addWidget(intervals, 2, 0);
  uncertaintyLayout->addWidget(settings, 2, 1);
  fromFit_ = new QCheckBox("Uncertainty from the fit");
  fromFit_->setToolTip(
      "Draw the fitted hazards from the fit's own distribution: the fit over all ages gives it "
      "when every input carries its precision (Count and Denominator, or Lower and Upper). No "
      "distributions of the inputs are needed; the checked variables and Settings are not used.");
  uncertaintyLayout->addWidget(fromFit_, 3, 0, 1, 2);

  auto* analyse = new QGroupBox("Analyse");
  auto* analyseLayout = new QHBoxLayout(analyse);
  auto* options = new QPushButton("Options");
  analyseLayout->addWidget(start_);
  analyseLayout->addWidget(options);
  auto* results = new QGroupBox("Results");
  auto* resultsLayout = new QHBoxLayout(results);
  resultsLayout->addWidget(showOutput_);
  resultsLayout->addWidget(save_);
  auto* close = new QPushButton("&Close");

  auto* left = new QVBoxLayout;
  left->addWidget(RadioBox("Analysis", kind_, {"Sensitivity", "Uncertainty"}, true));
  left->addWidget(RadioBox("Sex", sex_, {"Males", "Females"}, true));
  left->addWidget(inputs);
  auto* right = new QVBoxLayout;
  right->addWidget(sensitivityBox_);
  right->addWidget(uncertaintyBox_);
  right->addWidget(analyse);
  right->addWidget(results);
  right->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(bottom);

  const auto command = [this](auto body) {
    return [this, body](auto&&... args) {
      if (model_ == nullptr || showing_) return;
      try {
        body(args...);
      } catch (const std::exception& error) {
        env_.Dialogs.ShowError(error.what());
      }
      Show();
    };
  };
  // The output windows read the results they show: whatever replaces those results closes them
  // first.
  connect(kind_, &QButtonGroup::idClicked, this, command([this](int id) {
            CloseOutputs();
            model_->SetKind(id == 0 ? AnalysisWindow::Kind::kSensitivity
                                    : AnalysisWindow::Kind::kUncertainty);
          }));
  connect(sex_, &QButtonGroup::idClicked, this, command([this](int id) {
            CloseOutputs();
            model_->SetSex(id);
          }));
  connect(variables_, &QListWidget::itemChanged, this, command([this](QListWidgetItem* item) {
            model_->SetChecked(variables_->row(item), item->checkState() == Qt::Checked);
          }));
  connect(steps_, &QSpinBox::valueChanged, this,
          command([this](int value) { model_->SetStepCount(value); }));
  connect(stepPercent_, &QSpinBox::valueChanged, this,
          command([this](int value) { model_->SetStepPercent(value); }));
  connect(saveResults_, &QButtonGroup::idClicked, this,
          command([this](int id) { model_->SaveFull = id == 1; }));
  connect(fromFit_, &QCheckBox::toggled, this, command([this](bool on) {
            CloseOutputs();
            model_->FromFit = on;
          }));
  connect(set, &QPushButton::clicked, this,
          [this] { env_.Dialogs.ShowInformation("Sorry, not yet implemented"); });
  connect(intervals, &QPushButton::clicked, this, &TUncertForm::ChooseIntervals);
  connect(settings, &QPushButton::clicked, this, &TUncertForm::EditSettings);
  connect(options, &QPushButton::clicked, this, [this] {
    env_.Options.Show();
    env_.Options.exec();
  });
  connect(start_, &QPushButton::clicked, this, &TUncertForm::Start);
  connect(save_, &QPushButton::clicked, this, &TUncertForm::Save);
  connect(showOutput_, &QPushButton::clicked, this, &TUncertForm::ShowOutput);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  // The pop-up menu: "Options" and "Windows".
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    QMenu* options = menu.addMenu("Options");
    const auto item = [](QMenu* into, const char* text, const std::function<void()>& open) {
      QAction* action = into->addAction(text);
      action->setEnabled(static_cast<bool>(open));
      if (open) connect(action, &QAction::triggered, into, [open] { open(); });
    };
    item(options, "Graph and table", env_.ViewOptions);
    item(options, "Calculation", env_.CalculationOptions);
    item(options, "Downhill simplex", env_.SimplexOptions);
    QMenu* windows = menu.addMenu("Windows");
    item(windows, "Notes", env_.Notes);
    item(windows, "Storage", env_.Storage);
    item(windows, "Close all output", [this] { CloseOutputs(); });
    menu.exec(mapToGlobal(at));
  });
  ChooseOutput = [this](const std::vector<std::string>& items) {
    OutputItemChooser chooser(this);
    QStringList list;
    for (const std::string& item : items) list << QString::fromStdString(item);
    const int row = chooser.Choose(list);
    return std::make_pair(row, chooser.GraphChosen());
  };
  AddHelp(this, 4800);
}

TUncertForm::~TUncertForm() = default;

QPushButton* TUncertForm::Button(const QString& text) const { return FindButton(this, text); }

std::vector<QWidget*> TUncertForm::Outputs() const {
  std::vector<QWidget*> open;
  for (const auto& window : outputs_) {
    if (window && window->isVisible()) open.push_back(window);
  }
  return open;
}

void TUncertForm::Prepare(AnalysisWindow& model, const std::string& caption, int maxAge) {
  model_ = &model;
  maxAge_ = maxAge;
  setWindowTitle(QString::fromStdString(caption));
  {
    BusyCursor busy;
    model.Show();
  }
  Show();
}

void TUncertForm::Analyse(AnalysisWindow& model, const std::string& caption, int maxAge) {
  Prepare(model, caption, maxAge);
  exec();
}

void TUncertForm::Show() {
  if (model_ == nullptr) return;
  showing_ = true;
  const bool sensitivity = model_->CurrentKind() == AnalysisWindow::Kind::kSensitivity;
  kind_->button(sensitivity ? 0 : 1)->setChecked(true);
  sex_->button(model_->Sex())->setChecked(true);
  variables_->clear();
  for (std::size_t k = 0; k < model_->Variables.size(); ++k) {
    auto* item =
        new QListWidgetItem(QString::fromUtf8(kVariableDisplayNames[model_->Variables[k]].data()));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(model_->Checked[k] ? Qt::Checked : Qt::Unchecked);
    variables_->addItem(item);
  }
  sensitivityBox_->setEnabled(sensitivity);
  uncertaintyBox_->setEnabled(!sensitivity);
  stepsLabel_->setText(QString::fromStdString(model_->StepsLabel()));
  intervalsLabel_->setText(QString::fromStdString(model_->IntervalsLabel()));
  if (model_->Sensitivity) {
    steps_->setValue(model_->Sensitivity->StepCount);
    stepPercent_->setValue(model_->Sensitivity->StepPercent);
  }
  saveResults_->button(model_->SaveFull ? 1 : 0)->setChecked(true);
  fromFit_->setChecked(model_->FromFit);
  start_->setEnabled(model_->StartEnabled());
  showOutput_->setEnabled(model_->ResultsEnabled());
  save_->setEnabled(model_->ResultsEnabled());
  showing_ = false;
}

void TUncertForm::CloseOutputs() {
  for (const QPointer<QWidget>& window : outputs_) {
    if (!window) continue;
    window->close();
    window->deleteLater();
  }
  outputs_.clear();
}

void TUncertForm::Start() {
  if (model_ == nullptr) return;
  CloseOutputs();
  // Prepared and taken in here; the runs themselves on a worker, the window waiting with Cancel.
  try {
    bool begun = false;
    {
      BusyCursor busy;
      begun = model_->BeginRun();
    }
    if (begun) {
      SharedProgress progress;
      bool completed = false;
      try {
        completed = RunInBackground(this, "Analysis", progress,
                                    [this](SharedProgress& shared) { model_->ComputeRun(shared); });
      } catch (...) {
        model_->DiscardRun();
        throw;
      }
      if (completed) {
        model_->EndRun();
      } else {
        model_->DiscardRun();  // cancelled, also when the last runs had just ended
      }
    }
  } catch (const std::exception& error) {
    env_.Dialogs.ShowError(error.what());
  }
  Show();
}

void TUncertForm::Save() {
  if (model_ == nullptr) return;
  try {
    if (model_->BeginSave()) {
      SharedProgress progress;
      RunInBackground(
          this, "Saving the analysis", progress, [this](SharedProgress&) { model_->Store(); },
          false);
      const bool sensitivity = model_->CurrentKind() == AnalysisWindow::Kind::kSensitivity;
      ShowStatus(QString::fromStdString(
          std::string(sensitivity ? "Sensitivity analysis" : "Uncertainty analysis") + " of " +
          model_->Disease().DiseaseName + ", " +
          std::string(kSexNames.at(static_cast<std::size_t>(model_->Sex()))) + ", saved"));
    }
  } catch (const std::exception& error) {
    env_.Dialogs.ShowError(error.what());
  }
  Show();
}

void TUncertForm::EditSettings() {
  if (model_ == nullptr) return;
  std::unique_ptr<UncertaintySettingsWindow> settings;
  try {
    settings = model_->Settings();
  } catch (const std::exception& error) {
    env_.Dialogs.ShowError(error.what());
  }
  if (!settings) return;
  CloseOutputs();
  settingsForm_->Edit(*settings, *model_->Uncertainty, maxAge_);
  Show();
}

void TUncertForm::ChooseIntervals() {
  if (model_ == nullptr || !model_->Uncertainty) return;
  std::vector<std::string> labels;
  std::vector<bool> checked;
  for (const IntervalLevel& level : kIntervalTable) {
    labels.push_back(IntervalLabel(level.Level));
    const auto& chosen = model_->Uncertainty->Summary.Intervals;
    checked.push_back(std::any_of(chosen.begin(), chosen.end(), [&](const Tuncertsuminst& i) {
      return i.Number == level.Number;
    }));
  }
  const auto rows = env_.Dialogs.CheckList("Select intervals", labels, checked);
  if (!rows) return;
  std::vector<int> numbers;
  for (int row : *rows) numbers.push_back(kIntervalTable[static_cast<std::size_t>(row)].Number);
  // A finished run's summary is computed anew for the chosen levels.
  CloseOutputs();
  model_->SetIntervals(numbers);
  Show();
}

void TUncertForm::ShowOutput() {
  if (model_ == nullptr || !model_->ResultsEnabled() || !ChooseOutput) return;
  const Tdiseaseam& disease = model_->Disease();
  const int sex = model_->Sex();
  const bool sensitivity = model_->CurrentKind() == AnalysisWindow::Kind::kSensitivity;
  const auto items =
      sensitivity ? SensitivityOutputItems(model_->Sensitivity->Results) : UncertaintyOutputItems();
  const auto [row, graph] = ChooseOutput(items);
  if (row < 0 || row >= static_cast<int>(items.size())) return;
  const std::string caption = GraphCaption(disease, sex);
  const PopulationSeries& population = env_.Population;
  const Tagegrouplist& groups = env_.TableGroups;
  const int maxAge = maxAge_;
  if (sensitivity) {
    const Tsensresultin& variant =
        model_->Sensitivity->Results.Variants[static_cast<std::size_t>(row)];
    if (graph) {
      auto* window = new TGrafForm(maxAge, this);
      window->SetLines(SensitivityPlotLines(disease, sex, variant, env_.View));
      window->ShowGraph(caption, SensitivityGraphTitle(variant));
      outputs_.emplace_back(window);
    } else {
      auto* window = new TTableForm(
          SensitivityTableTitle(variant),
          [&disease, sex, &variant, &population, maxAge, &groups](const TableRequest& request) {
            return SensitivityTable(variant, disease, sex, population, maxAge, groups, request);
          },
          this, &env_.View);
      window->show();
      outputs_.emplace_back(window);
    }
    return;
  }
  Tuncertsummary& summary = model_->Uncertainty->Summary;
  if (graph) {
    auto* window = new TGrafForm(maxAge, this);
    window->SetLines(UncertaintyPlotLines(row, disease, sex, summary, env_.View));
    window->ShowGraph(caption, UncertaintyGraphTitle(row));
    outputs_.emplace_back(window);
  } else {
    auto* window = new TTableForm(
        UncertaintyTableTitle(disease.DiseaseName, row),
        [row, &disease, sex, &summary, &population, maxAge, &groups](const TableRequest& request) {
          return UncertaintyTable(row, disease, sex, summary, population, maxAge, groups, request);
        },
        this, &env_.View);
    window->show();
    outputs_.emplace_back(window);
  }
}

void TUncertForm::done(int result) {
  // The output windows read the analysis: they close with it.
  CloseOutputs();
  if (model_ != nullptr) model_->Close();
  model_ = nullptr;
  QDialog::done(result);
}

}  // namespace kavrel
