#include "gui/shell/main_form.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/agesched/age_groups.h"
#include "core/analysis/random.h"
#include "core/analysis/uncertainty.h"
#include "core/base/messages_log.h"
#include "core/base/vocabulary.h"
#include "core/engine/disease.h"
#include "core/exchange/grid.h"
#include "core/results/inspection.h"
#include "core/shell/processing_window.h"
#include "core/store/data_kavrel.h"
#include "core/store/datasets.h"
#include "core/store/layout.h"
#include "core/store/table_cursor.h"
#include "gui/agesched/age_group_form.h"
#include "gui/agesched/agesched_form.h"
#include "gui/agesched/fit_options_form.h"
#include "gui/agesched/pattern_form.h"
#include "gui/analysis/sens_options_form.h"
#include "gui/analysis/uncert_form.h"
#include "gui/analysis/uncertspec_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/grid_editor.h"
#include "gui/common/help.h"
#include "gui/common/small_dialogs.h"
#include "gui/common/storage_form.h"
#include "gui/engine/amoeba_form.h"
#include "gui/exchange/copy_form.h"
#include "gui/exchange/export_form.h"
#include "gui/exchange/input_form.h"
#include "gui/exchange/population_form.h"
#include "gui/results/inspect_form.h"
#include "gui/results/view_options_form.h"
#include "gui/shell/calc_options_form.h"
#include "gui/shell/preferences_form.h"
#include "gui/shell/process_form.h"
#include "gui/store/dataset_form.h"
#include "gui/store/disease_list_form.h"

namespace kavrel {

namespace {

constexpr std::array<const char*, 8> kNavigatorTexts = {"|<", "<",    ">",    ">|",
                                                        "+",  "Edit", "Post", "Cancel"};
constexpr std::array<const char*, 8> kNavigatorHints = {"First disease",
                                                        "Prior disease",
                                                        "Next disease",
                                                        "Last disease",
                                                        "Add disease",
                                                        "Edit name and ICD",
                                                        "Save name and ICD changes",
                                                        "Cancel name and ICD changes"};

}  // namespace

template <typename Command>
void TMainForm::Run(Command&& command) {
  RunCommand(env_.Dialogs, command, {}, true);
  Refresh();
}

TMainForm::TMainForm(Environment environment, QWidget* parent)
    : QMainWindow(parent),
      env_(environment),
      model_({environment.Settings, environment.Data, environment.Dialogs, environment.Log,
              environment.ProgramDir, [this](int topic) { ShowHelp(topic); },
              [this](bool mortality) { ShowPopulation(mortality); }}) {
  setWindowTitle("Kavrel");
  messages_ = new MessagesWindow(env_.Log, this);
  // Lines may be added by the analyses' worker threads: the window is refreshed on this thread,
  // by a queued call.
  // A flood of lines queues one refresh at a time, each appending what came since the last.
  env_.Log.SetListener([this](const std::string&) {
    if (logRefreshQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
          logRefreshQueued_ = false;
          if (messages_ != nullptr) messages_->Refresh();
          if (LogShown) LogShown();
        },
        Qt::QueuedConnection);
  });
  help_ = new HelpViewer(QString::fromStdString(SharedDirectory(env_.ProgramDir) + "help"), this);
  // Help from every window: its button and F1 open its topic here.
  SetHelpHandler([this](QWidget*, int topic) { ShowHelp(topic); });
  SetProgramDialogs(&env_.Dialogs);
  SetStatusHandler([this](const QString& text) { statusBar()->showMessage(text, 20000); });
  qApp->installEventFilter(NewHelpKeyFilter(this));
  about_ = new AboutBox(this);
  notes_ = new NotesWindow(model_, nullptr);
  notes_->OnClosed = [this] { Refresh(); };
  storage_ = std::make_unique<StorageGrid>();
  currentAgeGroups_ = std::make_unique<Tagegrouplist>(NewCurrentAgeGroups());
  storageForm_ = std::make_unique<TCSVForm>(*storage_, env_.Dialogs, nullptr);
  ageGroupForm_ = new TAgegroupForm(*currentAgeGroups_, env_.Data, env_.Dialogs, this);
  gridWindows_ = std::make_unique<GridWindowEnvironment>(
      GridWindowEnvironment{env_.Data, env_.Dialogs, env_.Log, *storage_, *currentAgeGroups_,
                            *ageGroupForm_, *storageForm_, model_.Now});
  inputForm_ = new TInputForm(*gridWindows_, this);
  populationForm_ = new TPopInForm(*gridWindows_, this);
  calcForm_ = new TCalcOpForm(model_.CalcWindow, this);
  amoebaForm_ = new TAmoebeForm(model_.SimplexWindow, this);
  viewForm_ = new TViewOpForm(
      model_.ViewWindow, env_.Dialogs,
      [this] {
        // The tables' age groups from the age group editor.
        currentAgeGroups_->Name = "Standard";
        ageGroupForm_->SetMaxAge(env_.Settings.MaxAge);
        ageGroupForm_->Run();
        model_.TableAgeGroups = currentAgeGroups_->Copy();
      },
      this);
  processForm_ = new TProcessForm(env_.Dialogs, this);
  fitForm_ = new TFitOpForm(model_.FitWindow, processForm_);
  processForm_->SetAgeScheduleWindow(new TAgeschedForm(
      {env_.Data, *fitForm_,
       [this](AgeScheduleWindow& schedule) {
         inputForm_->Edit({schedule.Disease(), schedule.Variable(), env_.Settings.MaxAge,
                           env_.Settings.CurrentDatasetName, true, 0, 0, 4, &model_.InputDisplay});
       }},
      processForm_));
  processForm_->SetViewOptions(&model_.ViewWindow, [this] {
    viewForm_->Show();
    viewForm_->exec();
  });
  inspectForm_ = new TInspectForm(env_.Data, env_.Dialogs, env_.Log, this);
  sensForm_ = new TSensOpForm(model_.AnalysisWindow, this);
  analysisForm_ = new TUncertForm(
      {env_.Dialogs, *sensForm_, model_.ViewWindow, model_.Population, model_.TableAgeGroups,
       [this] {
         viewForm_->Show();
         viewForm_->exec();
       },
       [this] {
         calcForm_->Show();
         calcForm_->exec();
       },
       [this] {
         amoebaForm_->Show();
         amoebaForm_->exec();
       },
       [this] { ToggleNotes(); }, [this] { ShowStorage(); }},
      this);
  analysisForm_->setWindowModality(Qt::WindowModal);
  copyForm_ = new TCopyForm(env_.Settings, env_.Data, env_.Dialogs, this);
  preferencesForm_ =
      new TSetprefForm({model_.Preferences, [this] { return model_.Windows(); }, env_.Data,
                        env_.Dialogs, [this](int topic) { ShowHelp(topic); },
                        [this] {
                          calcForm_->Show();
                          calcForm_->exec();
                        },
                        [this] {
                          amoebaForm_->Show();
                          amoebaForm_->exec();
                        }},
                       this);
  preferencesForm_->setWindowModality(Qt::WindowModal);
  copyForm_->setWindowModality(Qt::WindowModal);
  exportForm_ = new TExportForm(
      {env_.Data, env_.Dialogs, *currentAgeGroups_, *ageGroupForm_, model_.ExportWindow,
       model_.Preferences.Table.Age[2], model_.Now, model_.ViewWindow.HazardsOutput, env_.Log},
      this);
  exportForm_->setWindowModality(Qt::WindowModal);
  for (QDialog* options : std::initializer_list<QDialog*>{calcForm_, amoebaForm_, viewForm_,
                                                          fitForm_, sensForm_, exportForm_}) {
    connect(options, &QDialog::finished, this, [this] { model_.OptionsWindowClosed(); });
  }
  inspectForm_->setWindowModality(Qt::WindowModal);
  processForm_->SetOptionsWindow(calcForm_);
  analysisForm_->SettingsForm()->SetGridWindows(
      gridWindows_.get(), &model_.UncertaintyDisplay,
      [this] { return env_.Settings.CurrentDatasetName; });
  processForm_->SetPopupCommands(
      [this] {
        notes_->ShowDisease();
        notes_->show();
        notes_->raise();
      },
      [this] {
        // Over the processing window, which would otherwise block it.
        const Qt::WindowFlags flags = preferencesForm_->windowFlags();
        preferencesForm_->setParent(processForm_, flags);
        preferencesForm_->exec();
        preferencesForm_->setParent(this, flags);
      });
  // Modal to the main window only, so the storage grid and the notes stay at hand.
  inputForm_->setWindowModality(Qt::WindowModal);
  populationForm_->setWindowModality(Qt::WindowModal);
  patternForm_ = new TAgePatForm(*gridWindows_, this);
  patternForm_->setWindowModality(Qt::WindowModal);
  processForm_->setWindowModality(Qt::WindowModal);
  ageGroupForm_->setWindowModality(Qt::WindowModal);
  datasetForm_ = new TDatasetForm({env_.Settings, env_.Data, env_.Dialogs, model_,
                                   [this](int topic) { ShowHelp(topic); }, [this] { Refresh(); }},
                                  this);
  BuildMenus();
  BuildDiseaseArea();
  Services() = ProgramServices{&printer_, [this] { return env_.Settings.CurrentDatasetName; },
                               [this](Tagegrouplist& groups) {
                                 // Over the table that asked, no window of the main window's.
                                 const Qt::WindowModality modality =
                                     ageGroupForm_->windowModality();
                                 ageGroupForm_->setWindowModality(Qt::ApplicationModal);
                                 currentAgeGroups_->Name = "Standard";
                                 ageGroupForm_->SetMaxAge(env_.Settings.MaxAge);
                                 ageGroupForm_->Run();
                                 ageGroupForm_->setWindowModality(modality);
                                 groups = currentAgeGroups_->Copy();
                               },
                               [this](const TextGrid& grid, const std::vector<std::string>& lines) {
                                 if (storage_->ReceiveGrid(grid, true, lines, true, env_.Dialogs))
                                   ShowStorage();
                               }};
  env_.Data.KavrelTable1().SetListener([this] { ShowDisease(); });
  setMinimumWidth(520);
  resize(640, 520);
  Refresh();
}

TMainForm::~TMainForm() {
  if (ProgramDialogs() == &env_.Dialogs) SetProgramDialogs(nullptr);
  if (Services().Printer == &printer_) Services() = ProgramServices{};
  env_.Data.KavrelTable1().SetListener(nullptr);
  env_.Log.SetListener(nullptr);
  SetHelpHandler(nullptr);
  SetStatusHandler(nullptr);
  delete notes_;
}

void TMainForm::EditInput() {
  int variable = -1;
  Run([&] { variable = model_.ChooseInputVariable(); });
  if (variable >= 0) OpenInput(variable);
}

void TMainForm::OpenInput(int variable) {
  if (!model_.DatasetCommandsEnabled()) return;
  std::unique_ptr<Tdisease> disease;
  Run([&] { disease = model_.DiseaseForEditing(variable); });
  if (!disease) return;
  RaiseNotes();
  inputForm_->Edit({*disease, variable, env_.Settings.MaxAge, env_.Settings.CurrentDatasetName,
                    false, model_.Preferences.Table.Age[0], 0, 4, &model_.InputDisplay});
  Refresh();
}

void TMainForm::ShowPopulation(bool mortality) {
  if (!env_.Data.DatasetIsOpen()) return;
  RaiseNotes();
  populationForm_->Edit(model_.Population, mortality, env_.Settings.MaxAge,
                        env_.Settings.CurrentDatasetName, &model_.PopulationDisplay,
                        model_.Preferences.Table.Age[3]);
  Refresh();
}

void TMainForm::StartProcess() {
  if (!model_.DatasetCommandsEnabled()) return;
  const int sex = females_->isChecked() ? kFemales : kMales;
  std::unique_ptr<Tdiseaseam> disease;
  Run([&] { disease = model_.DiseaseForProcessing(sex); });
  if (!disease) return;
  ProcessingWindow window({*disease, env_.Data, env_.Dialogs, env_.Log, model_.Population,
                           env_.Settings.MaxAge, model_.CalcWindow, model_.SimplexWindow,
                           model_.ViewWindow, &model_.TableAgeGroups, &model_.FitWindow});
  if (notes_->isVisible()) notes_->close();
  processForm_->Process(window, model_.CalcWindow.OpenGraph, model_.CalcWindow.OpenTable);
  model_.UpdateResultButtons();  // a saved result enables them
  Refresh();
}

void TMainForm::InspectResults() {
  if (!model_.DatasetCommandsEnabled()) return;
  bool posted = false;
  Run([&] {
    model_.PostPendingEdit();
    posted = true;
  });
  if (!posted) return;
  InspectionWindow inspection({env_.Data, env_.Dialogs, model_.Population, env_.Settings.MaxAge,
                               model_.ViewWindow, env_.Settings.CurrentDatasetName,
                               &model_.TableAgeGroups, model_.CalcWindow.FitReportPercent},
                              females_->isChecked() ? kFemales : kMales);
  inspectForm_->Inspect(inspection);
  // The window may have moved the cursor to another disease.
  model_.UpdateResultButtons();
  Refresh();
}

void TMainForm::AnalyseResults() {
  if (!model_.DatasetCommandsEnabled()) return;
  std::unique_ptr<Tdiseaseam> disease;
  Run([&] { disease = model_.DiseaseForAnalysis(); });
  if (!disease) return;
  RandomSource random(model_.AnalysisWindow.Generator, ClockSeed());
  AnalysisWindow analysis(
      {env_.Data, env_.Dialogs, env_.Log, env_.Settings.MaxAge, model_.Population.AllCauseMortality,
       model_.AnalysisWindow, random,
       UncertaintyAgeGroups(&env_.Data, model_.Preferences.Table.Age[5], env_.Settings.MaxAge), 0,
       &model_.Population.PopulationNumbers},
      *disease);
  analysisForm_->Analyse(
      analysis, model_.Caption() + ": " + disease->DiseaseName + ", Sensitivity and Uncertainty",
      env_.Settings.MaxAge);
  Refresh();
}

void TMainForm::ExportResults() {
  if (!model_.DatasetCommandsEnabled()) return;
  exportForm_->Export(model_.Population, env_.Settings.MaxAge, model_.Caption());
  Refresh();
}

void TMainForm::RaiseNotes() {
  // The notes stay at hand over the editors while "&Notes" is checked.
  if (notes_->isVisible()) QTimer::singleShot(0, notes_, [this] { notes_->raise(); });
}

void TMainForm::ShowStorage() {
  storageForm_->Reload();
  storageForm_->show();
  storageForm_->raise();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseButtonDblClick) {
    return QMainWindow::eventFilter(watched, event);
  }
  const auto found = std::find(inputBoxes_.begin(), inputBoxes_.end(), watched);
  if (found == inputBoxes_.end()) return QMainWindow::eventFilter(watched, event);
  if (type == QEvent::MouseButtonPress) {
    OpenInput(static_cast<int>(found - inputBoxes_.begin()) % kVariableCount);
  }
  return true;
}

QAction* TMainForm::Action(const QString& text) const {
  for (QAction* action : findChildren<QAction*>()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

void TMainForm::BuildMenus() {
  const auto add = [this](QMenu* menu, const QString& text, auto slot) {
    QAction* action = menu->addAction(text);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* data = menuBar()->addMenu("&Data");
  datasetAction_ = add(data, "&Data set", [this] { ShowDatasets(); });
  QMenu* collection = data->addMenu("&Collection");
  openAction_ = add(collection, "&Open", [this] { OpenCollection(); });
  closeAction_ = add(collection, "&Close", [this] { CloseCollection(); });
  add(collection, "&Add", [this] { AddCollection(); });
  add(collection, "&Remove", [this] { RemoveCollection(); });
  add(collection, "&New", [this] { NewCollection(); });
  add(collection, "&Delete", [this] { DeleteCollection(); });
  data->addSeparator();
  add(data, "&Printer setup", [this] {
    // The system's page and printer choice, used by every print of the program.
    QPageSetupDialog(&printer_, this).exec();
  });
  data->addSeparator();
  add(data, "&Exit", [this] { Exit(); });

  QMenu* population = menuBar()->addMenu("&Population");
  add(population, "&Mortality", [this] { ShowPopulation(true); });
  add(population, "&Structure", [this] { ShowPopulation(false); });
  add(population, "&Age patterns", [this] {
    if (!model_.DatasetCommandsEnabled()) return;
    patternForm_->Edit(env_.Settings.MaxAge, env_.Settings.CurrentDatasetName,
                       &model_.PatternDisplay, model_.Preferences.Table.Age[4]);
  });
  QMenu* diseases = menuBar()->addMenu("D&iseases");
  add(diseases, "&Go to", [this] { GoTo(); });
  add(diseases, "&New", [this] { InsertDisease(); });
  add(diseases, "&Delete", [this] { DeleteDisease(); });
  add(diseases, "&Copy", [this] {
    if (!model_.DatasetCommandsEnabled()) return;
    Run([&] { model_.PostPendingEdit(); });
    copyForm_->Run();
    Refresh();
  });
  diseases->addSeparator();
  add(diseases, "&Export", [this] { ExportResults(); });
  windowsMenu_ = menuBar()->addMenu("&Windows");
  notesAction_ = add(windowsMenu_, "&Notes", [this] { ToggleNotes(); });
  notesAction_->setCheckable(true);
  add(windowsMenu_, "&Messages", [this] { ShowMessages(); });
  add(windowsMenu_, "&Storage", [this] { ShowStorage(); });
  windowsMenu_->addSeparator();
  connect(windowsMenu_, &QMenu::aboutToShow, this, [this] {
    // The tail after the separator lists the visible windows, rebuilt each time.
    const auto actions = windowsMenu_->actions();
    bool tail = false;
    for (QAction* action : actions) {
      if (tail) {
        windowsMenu_->removeAction(action);
        action->deleteLater();
      }
      if (action->isSeparator()) tail = true;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && !window->windowTitle().isEmpty()) {
        windowsMenu_->addAction(window->windowTitle());
      }
    }
  });
  QMenu* options = menuBar()->addMenu("&Options");
  add(options, "&Graphs and tables", [this] {
    viewForm_->Show();
    viewForm_->exec();
  });
  add(options, "&Calculation", [this] {
    if (calcForm_->parentWidget() != this) calcForm_->setParent(this, calcForm_->windowFlags());
    calcForm_->Show();
    calcForm_->exec();
  });
  add(options, "&Smooth and fit", [this] {
    if (fitForm_->parentWidget() != this) fitForm_->setParent(this, fitForm_->windowFlags());
    fitForm_->Show();
    fitForm_->exec();
  });
  add(options, "&Downhill simplex", [this] {
    amoebaForm_->Show();
    amoebaForm_->exec();
  });
  add(options, "Sensitivity and &uncertainty", [this] {
    sensForm_->Show();
    sensForm_->exec();
  });
  options->addSeparator();
  add(options, "&Preferences", [this] { preferencesForm_->exec(); });
  QMenu* help = menuBar()->addMenu("&Help");
  add(help, "&Contents", [this] { ShowHelp(1000); });
  help->addSeparator();
  add(help, "&About", [this] { about_->exec(); });
  datasetMenus_ = {population, diseases, windowsMenu_, options};
}

void TMainForm::BuildDiseaseArea() {
  diseaseArea_ = new QWidget;
  auto* layout = new QVBoxLayout(diseaseArea_);
  auto* names = new QGridLayout;
  name_ = new QLineEdit;
  icd_ = new QLineEdit;
  names->addWidget(new QLabel("Name"), 0, 0);
  names->addWidget(name_, 0, 1);
  names->addWidget(new QLabel("ICD codes"), 1, 0);
  names->addWidget(icd_, 1, 1);
  layout->addLayout(names);
  connect(name_, &QLineEdit::textEdited, this,
          [this](const QString& text) { Run([&] { model_.SetDiseaseName(text.toStdString()); }); });
  connect(icd_, &QLineEdit::textEdited, this,
          [this](const QString& text) { Run([&] { model_.SetIcdCode(text.toStdString()); }); });
  auto* navigator = new QHBoxLayout;
  for (int k = 0; k < 8; ++k) {
    auto* button = new QToolButton;
    button->setText(kNavigatorTexts[static_cast<std::size_t>(k)]);
    button->setToolTip(kNavigatorHints[static_cast<std::size_t>(k)]);
    connect(button, &QToolButton::clicked, this, [this, k] { Navigate(k); });
    navigator->addWidget(button);
    navigator_[static_cast<std::size_t>(k)] = button;
  }
  navigator->addStretch();
  layout->addLayout(navigator);

  auto* middle = new QHBoxLayout;
  auto* inputs = new QGroupBox("Input variables");
  auto* grid = new QGridLayout(inputs);
  grid->addWidget(new QLabel("M"), 0, 0);
  grid->addWidget(new QLabel("F"), 0, 1);
  for (int v = 0; v < kVariableCount; ++v) {
    // The men's box, the women's box, then the variable's name.
    auto* male = new QCheckBox;
    auto* female = new QCheckBox;
    for (QCheckBox* box : {male, female}) {
      box->setFocusPolicy(Qt::NoFocus);
      box->setToolTip("Click to edit this input");
      box->installEventFilter(this);
    }
    grid->addWidget(male, v + 1, 0);
    grid->addWidget(female, v + 1, 1);
    grid->addWidget(
        new QLabel(QString::fromUtf8(kVariableDisplayNames[v].data(),
                                     static_cast<int>(kVariableDisplayNames[v].size()))),
        v + 1, 2);
    inputBoxes_[static_cast<std::size_t>(v)] = male;
    inputBoxes_[static_cast<std::size_t>(v + 7)] = female;
  }
  editInput_ = new QPushButton("Edit/Add input");
  connect(editInput_, &QPushButton::clicked, this, [this] { EditInput(); });
  grid->addWidget(editInput_, kVariableCount + 1, 0, 1, 3);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(kVariableCount + 2, 1);
  middle->addWidget(inputs);

  auto* right = new QVBoxLayout;
  auto* process = new QGroupBox("Process inputs");
  auto* processLayout = new QVBoxLayout(process);
  auto* sex = new QGroupBox("Sex");
  auto* sexLayout = new QHBoxLayout(sex);
  males_ = new QRadioButton("Males");
  females_ = new QRadioButton("Females");
  males_->setChecked(true);
  sexLayout->addWidget(males_);
  sexLayout->addWidget(females_);
  processLayout->addWidget(sex);
  startProcess_ = new QPushButton("Start process");
  connect(startProcess_, &QPushButton::clicked, this, [this] { StartProcess(); });
  processLayout->addWidget(startProcess_);
  notesButton_ = new QPushButton("Show &Notes");
  connect(notesButton_, &QPushButton::clicked, this, [this] { ToggleNotes(); });
  processLayout->addWidget(notesButton_);
  right->addWidget(process);
  auto* output = new QGroupBox("Output present");
  auto* outputLayout = new QHBoxLayout(output);
  outputBoxes_ = {new QCheckBox("Males"), new QCheckBox("Females")};
  for (QCheckBox* box : outputBoxes_) {
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    outputLayout->addWidget(box);
  }
  right->addWidget(output);
  const std::array<const char*, 3> results = {"Sensitivity", "Inspect results", "Export results"};
  for (int k = 0; k < 3; ++k) {
    resultButtons_[static_cast<std::size_t>(k)] =
        new QPushButton(results[static_cast<std::size_t>(k)]);
    right->addWidget(resultButtons_[static_cast<std::size_t>(k)]);
  }
  connect(resultButtons_[0], &QPushButton::clicked, this, [this] { AnalyseResults(); });
  connect(resultButtons_[1], &QPushButton::clicked, this, [this] { InspectResults(); });
  connect(resultButtons_[2], &QPushButton::clicked, this, [this] { ExportResults(); });
  right->addStretch();
  middle->addLayout(right);
  layout->addLayout(middle);

  auto* bottom = new QHBoxLayout;
  auto* help = new QPushButton("Help");
  SetHelpTopic(this, 3010);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelpFor(this); });
  auto* exit = new QPushButton("E&xit");
  connect(exit, &QPushButton::clicked, this, [this] { Exit(); });
  bottom->addStretch();
  bottom->addWidget(help);
  bottom->addWidget(exit);
  layout->addLayout(bottom);
  setCentralWidget(diseaseArea_);
}

void TMainForm::ShowDisease() {
  if (refreshing_) return;
  refreshing_ = true;
  const MainWindowModel::DiseaseView view = model_.ShownDisease();
  const QString name = QString::fromStdString(view.Name);
  const QString code = QString::fromStdString(view.IcdCode);
  if (name_->text() != name) name_->setText(name);
  if (icd_->text() != code) icd_->setText(code);
  for (int s = 0; s < kSexCount; ++s) {
    for (int v = 0; v < kVariableCount; ++v) {
      inputBoxes_[static_cast<std::size_t>(v + s * kVariableCount)]->setChecked(view.Inputs[s][v]);
    }
    outputBoxes_[static_cast<std::size_t>(s)]->setChecked(view.Outputs[s]);
  }
  if (notes_->isVisible()) notes_->ShowDisease();
  refreshing_ = false;
}

void TMainForm::Refresh() {
  setWindowTitle(QString::fromStdString(model_.Caption() +
                                        (env_.Data.DatasetReadOnly() ? " (read-only)" : "")));
  const bool dataset = model_.DatasetCommandsEnabled();
  datasetAction_->setEnabled(model_.DatasetCommandEnabled());
  openAction_->setEnabled(model_.CollectionOpenEnabled());
  closeAction_->setEnabled(model_.CollectionCloseEnabled());
  for (QMenu* menu : datasetMenus_) {
    // The commands themselves too, so that no shortcut or script reaches one without a data set.
    menu->setEnabled(dataset);
    for (QAction* action : menu->actions()) {
      if (action->menu() == nullptr && !action->isSeparator()) action->setEnabled(dataset);
    }
  }
  for (QWidget* widget :
       std::initializer_list<QWidget*>{name_, icd_, males_, females_, notesButton_}) {
    widget->setEnabled(dataset);
  }
  for (QToolButton* button : navigator_) button->setEnabled(dataset);
  for (QCheckBox* box : inputBoxes_) box->setEnabled(dataset);
  for (QCheckBox* box : outputBoxes_) box->setEnabled(dataset);
  // The three result commands follow the stored results.
  editInput_->setEnabled(dataset);
  startProcess_->setEnabled(dataset);
  resultButtons_[0]->setEnabled(dataset && model_.ResultButtonsEnabled());
  resultButtons_[1]->setEnabled(dataset && model_.ResultButtonsEnabled());
  resultButtons_[2]->setEnabled(dataset && model_.ResultButtonsEnabled());
  notesButton_->setText(notes_->isVisible() ? "Hide &Notes" : "Show &Notes");
  notesAction_->setChecked(notes_->isVisible());
  ShowDisease();
}

bool TMainForm::StartUp() {
  bool go = true;
  Run([&] { go = model_.Start() == StartUp::kContinue; });
  return go;
}

void TMainForm::OpenCollection() {
  bool show = false;
  Run([&] { show = model_.OpenCollection(); });
  if (show) ShowDatasets();
}

void TMainForm::CloseCollection() {
  Run([&] { model_.CloseCollection(); });
}

void TMainForm::NewCollection() {
  const auto name = datasetForm_->AskCollectionName();
  if (!name) return;
  bool show = false;
  Run([&] { show = model_.NewCollection(*name); });
  if (show) ShowDatasets();
}

void TMainForm::AddCollection() {
  const auto name = datasetForm_->AskCollectionName();
  if (!name) return;
  bool show = false;
  Run([&] { show = model_.AddCollection(*name); });
  if (show) ShowDatasets();
}

void TMainForm::RemoveCollection() {
  Run([&] { model_.RemoveCollection(); });
}

void TMainForm::DeleteCollection() {
  Run([&] { model_.DeleteCollection(); });
}

void TMainForm::ShowDatasets() {
  if (!model_.DatasetCommandEnabled()) return;
  Run([&] { datasetForm_->Bind(); });
  datasetForm_->exec();
  Refresh();
}

void TMainForm::Navigate(int button) {
  Run([&] { model_.Navigate(static_cast<MainWindowModel::Navigator>(button)); });
  if (button == static_cast<int>(MainWindowModel::Navigator::kInsert)) {
    // A new disease: its name is typed over the offered one.
    name_->setFocus();
    name_->selectAll();
  }
}

void TMainForm::InsertDisease() { Navigate(4); }

void TMainForm::DeleteDisease() {
  Run([&] { model_.DeleteDisease(); });
}

void TMainForm::GoTo() {
  if (!model_.DatasetCommandsEnabled()) return;
  DiseaseListForm list(env_.Data, this);
  list.setWindowTitle(
      QString::fromStdString("Diseases in dataset " + env_.Settings.CurrentDatasetName));
  Run([&] { list.Fill(); });
  list.exec();
  // The result buttons follow the disease chosen here as they follow the navigator.
  Run([&] {
    list.LocateChosen();
    model_.UpdateResultButtons();
  });
}

void TMainForm::ToggleNotes() {
  if (notes_->isVisible()) {
    notes_->close();
  } else {
    notes_->ShowDisease();
    notes_->show();
  }
  Refresh();
}

void TMainForm::ShowMessages() {
  messages_->Refresh();
  messages_->show();
  messages_->raise();
}

void TMainForm::ShowHelp(int topic) {
  // Over a modal window the viewer belongs to that window, which would otherwise block it: it
  // opens in front of it and stays usable while the window is open.
  QWidget* modal = QApplication::activeModalWidget();
  HelpViewer* viewer = help_;
  if (modal != nullptr && modal != this && modal != help_) {
    if (modalHelp_ == nullptr || modalHelp_->parentWidget() != modal) {
      delete modalHelp_;
      modalHelp_ =
          new HelpViewer(QString::fromStdString(SharedDirectory(env_.ProgramDir) + "help"), modal);
      modalHelp_->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer = modalHelp_;
  }
  viewer->ShowTopic(topic);
  viewer->activateWindow();
  shownHelp_ = viewer;
}

bool TMainForm::StoreEdits() {
  bool stored = false;
  Run([&] {
    if (notes_->isVisible()) notes_->Store();
    model_.PostPendingEdit();
    stored = true;
  });
  return stored;
}

void TMainForm::Exit() {
  // What the user typed is stored first; if it cannot be, the program stays open with the edit.
  if (!StoreEdits()) return;
  Run([&] { model_.Exit(); });
  notes_->hide();
  storageForm_->close();
  QApplication::quit();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!StoreEdits()) {
    event->ignore();
    return;
  }
  notes_->hide();
  storageForm_->close();
  QMainWindow::closeEvent(event);
}

NotesWindow::NotesWindow(MainWindowModel& model, QWidget* parent)
    : QWidget(parent), model_(model), memo_(new QPlainTextEdit) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memo_);
  auto* row = new QHBoxLayout;
  auto* close = new QPushButton("&Close");
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  row->addStretch();
  row->addWidget(close);
  layout->addLayout(row);
  resize(420, 300);
  setWindowTitle("Notes");
  AddHelp(this, 4300);
}

void NotesWindow::ShowDisease() {
  const MainWindowModel::NotesView view = model_.DiseaseNotes();
  loading_ = true;
  setWindowTitle(QString::fromStdString(view.Caption));
  const QString remarks = QString::fromStdString(view.Text);
  if (memo_->toPlainText() != remarks) memo_->setPlainText(remarks);
  loading_ = false;
}

void NotesWindow::Store() {
  if (!loading_) model_.StoreNotes(memo_->toPlainText().toStdString());
}

void NotesWindow::closeEvent(QCloseEvent* event) {
  Store();
  QWidget::closeEvent(event);
  hide();  // the main window asks whether the notes are shown
  if (OnClosed) OnClosed();
}

void NotesWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) Store();
  QWidget::changeEvent(event);
}

}  // namespace kavrel
