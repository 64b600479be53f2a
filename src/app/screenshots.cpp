// kavrel-screenshots OUTDIR: renders every window of the program to PNG files, offscreen, on a
// fresh installation with the example data set, so anyone can look at them without a desktop.

#include <filesystem>
#include <fstream>
#include <iostream>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <unistd.h>

#include "core/agesched/age_groups.h"
#include "core/analysis/analysis_window.h"
#include "core/analysis/random.h"
#include "core/base/messages_log.h"
#include "core/engine/disease.h"
#include "core/engine/disease_store.h"
#include "core/results/inspection.h"
#include "core/shell/processing_window.h"
#include "core/store/data_kavrel.h"
#include "example_data.h"
#include "gui/agesched/age_group_form.h"
#include "gui/agesched/agesched_form.h"
#include "gui/agesched/fit_options_form.h"
#include "gui/agesched/pattern_form.h"
#include "gui/analysis/sens_options_form.h"
#include "gui/analysis/uncert_form.h"
#include "gui/analysis/uncertspec_form.h"
#include "gui/common/small_dialogs.h"
#include "gui/common/storage_form.h"
#include "gui/engine/amoeba_form.h"
#include "gui/engine/trend_form.h"
#include "gui/exchange/copy_form.h"
#include "gui/exchange/export_form.h"
#include "gui/exchange/input_form.h"
#include "gui/exchange/male_female_form.h"
#include "gui/exchange/population_form.h"
#include "gui/results/graph_form.h"
#include "gui/results/inspect_form.h"
#include "gui/results/table_form.h"
#include "gui/results/view_options_form.h"
#include "gui/shell/calc_options_form.h"
#include "gui/shell/main_form.h"
#include "gui/shell/preferences_form.h"
#include "gui/shell/process_form.h"
#include "gui/store/dataset_form.h"
#include "gui/store/disease_list_form.h"

namespace fs = std::filesystem;

namespace {

void Save(QWidget& widget, const fs::path& dir, const std::string& name) {
  widget.adjustSize();
  widget.show();
  QApplication::processEvents();
  widget.grab().save(QString::fromStdString((dir / (name + ".png")).string()));
  std::cout << (dir / (name + ".png")).string() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kavrel-screenshots OUTDIR\n";
    return 2;
  }
  QApplication app(argc, argv);
  const fs::path out = fs::absolute(argv[1]);
  fs::create_directories(out);
  const fs::path root = fs::temp_directory_path() / ("kavrel-shots-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const std::string program = (root / "bin").string() + "/";
  kavrel::install::BuildTemplates(program);
  kavrel::install::BuildExampleData(program, (root / "KavrelData").string());
  fs::copy(fs::path(KAVREL_HELP_DIR), root / "bin" / "help", fs::copy_options::recursive);
  std::ofstream(program + "Kavrel.ini")
      << "[Filedirs]\nfd1=" << (root / "KavrelData").string() << "\n";

  kavrel::ScriptedDialogs dialogs;
  kavrel::TDataKavrel data(dialogs);
  kavrel::MessagesLog log;
  kavrel::SettingsState settings;
  kavrel::TMainForm form({settings, data, dialogs, log, program});
  Save(form, out, "main-nothing-open");
  form.StartUp();
  Save(form, out, "main-collection-open");
  kavrel::TDatasetForm* sets = form.DatasetForm();
  sets->Bind();
  for (int page = 0; page < 7; ++page) {
    sets->Pages()->setCurrentIndex(page);
    Save(*sets, out,
         "datasets-" + std::to_string(page + 1) + "-" +
             std::string(kavrel::TDatasetForm::kPages[static_cast<std::size_t>(page)]));
  }
  sets->Pages()->setCurrentIndex(0);
  sets->OpenSelected();
  sets->hide();
  Save(form, out, "main-dataset-open");
  form.ToggleNotes();
  Save(*form.Notes(), out, "notes");
  form.ToggleNotes();
  {
    // The input editor on the example's asthma incidence, then its copy in the storage grid.
    auto disease = form.Model().DiseaseForEditing(kavrel::kIncidence);
    kavrel::TInputForm* input = form.InputForm();
    input->Prepare({*disease, kavrel::kIncidence, settings.MaxAge, settings.CurrentDatasetName});
    input->resize(720, 560);
    Save(*input, out, "input-editor");
    input->StoreData();
    form.StorageForm()->resize(720, 420);
    Save(*form.StorageForm(), out, "storage-grid");
    form.StorageForm()->hide();
    input->hide();
    kavrel::TMFEditForm paste;
    Save(paste, out, "paste-choice");
    kavrel::TAgegroupForm* ages = form.AgeGroupForm();
    ages->SetMaxAge(settings.MaxAge);
    ages->Editor().New();
    ages->Editor().Width = 5;
    ages->Editor().FillSchedule();
    ages->Editor().Done();
    ages->Editor().NameEdit = "Five-year groups";
    ages->Editor().ShownName = "Five-year groups";
    ages->show();
    Save(*ages, out, "age-groups");
    ages->hide();
    kavrel::TPopInForm* population = form.PopulationForm();
    population->Prepare(form.Model().Population, true, settings.MaxAge, "Example");
    Save(*population, out, "population-mortality");
    population->SetView(0);
    Save(*population, out, "population-mortality-single-years");
    population->Prepare(form.Model().Population, false, settings.MaxAge, "Example");
    Save(*population, out, "population-numbers");
    population->hide();
    kavrel::TAgePatForm* patterns = form.PatternForm();
    patterns->Prepare(settings.MaxAge, "Example", nullptr, 0);
    patterns->NewItem();
    Save(*patterns, out, "age-patterns");
    patterns->hide();
    // The processing window on asthma, females, after a calculation, with its table.
    form.SexChoice(1)->setChecked(true);
    auto processed = form.Model().DiseaseForProcessing(kavrel::kFemales);
    kavrel::ProcessingWindow processing({*processed, data, dialogs, log, form.Model().Population,
                                         settings.MaxAge, form.Model().CalcWindow,
                                         form.Model().SimplexWindow, form.Model().ViewWindow,
                                         &form.Model().TableAgeGroups, &form.Model().FitWindow});
    kavrel::TProcessForm* process = form.ProcessForm();
    process->show();  // the graph and table open beside a shown window
    process->Prepare(processing, true, true);
    process->Calculate();
    process->SaveResult();  // so the analysis window below has adjusted inputs to vary
    Save(*process, out, "processing");
    kavrel::TGrafForm* graph = process->Graphs().front();
    graph->resize(900, 560);
    graph->show();
    QApplication::processEvents();
    graph->grab().save(QString::fromStdString((out / "graph.png").string()));
    std::cout << (out / "graph.png").string() << '\n';
    graph->ToggleOptions();
    QApplication::processEvents();
    graph->grab().save(QString::fromStdString((out / "graph-options.png").string()));
    std::cout << (out / "graph-options.png").string() << '\n';
    kavrel::TTableForm* table = process->Tables().front();
    table->resize(1000, 620);
    table->show();
    QApplication::processEvents();
    table->grab().save(QString::fromStdString((out / "result-table.png").string()));
    std::cout << (out / "result-table.png").string() << '\n';
    auto schedule = processing.AgeSchedule(kavrel::kIncidence);
    kavrel::TAgeschedForm* scheduleForm = process->AgeScheduleForm();
    scheduleForm->Adjust(*schedule, settings.MaxAge, [] {});
    schedule->RunInterpolation(0);
    scheduleForm->resize(820, 480);
    QApplication::processEvents();
    scheduleForm->grab().save(QString::fromStdString((out / "age-schedule.png").string()));
    std::cout << (out / "age-schedule.png").string() << '\n';
    scheduleForm->Cancel();
    kavrel::TFitOpForm* fit = form.FitOptionsForm();
    fit->Show();
    for (int page = 0; page < 4; ++page) {
      fit->Pages()->setCurrentIndex(page);
      Save(*fit, out, "smooth-and-fit-options-" + std::to_string(page + 1));
    }
    fit->hide();
    kavrel::TTrendForm* trends = process->TrendForm();
    processed->Trends[0].Blocks = {{-10, 0, 1.02}, {-30, -11, 1.0 / 1.015}};
    trends->Prepare(*processed);
    trends->Hazards()->button(0)->click();
    Save(*trends, out, "trends");
    trends->hide();
    kavrel::TCalcOpForm* calc = form.CalcOptionsForm();
    calc->Show();
    for (int page = 0; page < 4; ++page) {
      calc->Pages()->setCurrentIndex(page);
      Save(*calc, out, "calculation-options-" + std::to_string(page + 1));
    }
    calc->hide();
    Save(*form.SimplexForm(), out, "downhill-simplex-options");
    form.SimplexForm()->hide();
    process->reject();
    kavrel::InspectionWindow inspection({data, dialogs, form.Model().Population, settings.MaxAge,
                                         form.Model().ViewWindow, "Example"},
                                        kavrel::kFemales);
    kavrel::TInspectForm* inspect = form.InspectForm();
    inspect->Prepare(inspection);
    Save(*inspect, out, "inspect");
    inspect->reject();
    kavrel::TExportForm* exporting = form.ExportForm();
    exporting->Prepare(form.Model().Population, settings.MaxAge, form.Model().Caption());
    Save(*exporting, out, "export");
    exporting->hide();
    kavrel::TCopyForm* copy = form.CopyForm();
    copy->Prepare();
    Save(*copy, out, "copy-diseases");
    copy->hide();
    kavrel::TViewOpForm* view = form.ViewOptionsForm();
    view->Show();
    for (int page = 0; page < 3; ++page) {
      view->Pages()->setCurrentIndex(page);
      Save(*view, out, "view-options-" + std::to_string(page + 1));
    }
    view->hide();
    {
      // The analysis window on asthma, females (calculated and saved above).
      auto analysed = std::make_unique<kavrel::Tdiseaseam>("Asthma");
      data.KavrelTable1().Locate("DiseaseName", "Asthma");
      analysed->TakeRecord(data.KavrelTable1());
      kavrel::RandomSource random(5, 1u);
      kavrel::AnalysisWindow analysis(
          {data, dialogs, log, settings.MaxAge, form.Model().Population.AllCauseMortality,
           form.Model().AnalysisWindow, random,
           kavrel::FiveYearGroups(settings.MaxAge, "Standard")},
          *analysed);
      kavrel::DiseaseStore store{data, dialogs, settings.MaxAge};
      store.LoadProcessedFlags(*analysed);
      kavrel::TUncertForm* analysisForm = form.AnalysisForm();
      analysisForm->Prepare(analysis,
                            "Kavrel - Local, Example: Asthma, Sensitivity and Uncertainty",
                            settings.MaxAge);
      analysisForm->Sex()->button(1)->click();
      Save(*analysisForm, out, "analysis");
      analysisForm->Kind()->button(1)->click();
      if (auto settingsModel = analysis.Settings()) {
        kavrel::TUncertspecForm* settingsForm = analysisForm->SettingsForm();
        settingsForm->Prepare(*settingsModel, *analysis.Uncertainty, settings.MaxAge);
        Save(*settingsForm, out, "uncertainty-settings");
        settingsForm->hide();
      }
      analysisForm->reject();
      Save(*form.AnalysisOptionsForm(), out, "analysis-options");
      form.AnalysisOptionsForm()->hide();
    }
    Save(*form.PreferencesForm(), out, "preferences");
    form.PreferencesForm()->hide();
  }
  form.ShowMessages();
  Save(*form.Messages(), out, "messages");
  form.ShowHelp(1000);
  Save(*form.Help(), out, "help-contents");
  kavrel::DiseaseListForm list(data);
  list.setWindowTitle("Diseases in dataset Example");
  list.Fill();
  Save(list, out, "disease-list");
  kavrel::ListChoiceDialog choice;
  choice.setWindowTitle("Kavrel Dataset Collections");
  choice.List()->addItems({"Local", "Europe"});
  Save(choice, out, "list-choice");
  kavrel::CheckListDialog check;
  check.Fill("Select diseases", {"Asthma", "Stroke"}, {true, false});
  Save(check, out, "check-list");
  kavrel::SaveAsDialog saveAs;
  saveAs.SetCurrentName("Asthma");
  Save(saveAs, out, "save-as");
  kavrel::NewCollectionDialog newCollection(dialogs);
  Save(newCollection, out, "new-collection");
  kavrel::OutputItemChooser chooser;
  chooser.List()->addItems({"Incidence", "Prevalence", "Remission", "Case fatality", "Duration",
                            "Mortality", "Relative risk of mortality"});
  Save(chooser, out, "output-item");
  kavrel::AboutBox about;
  Save(about, out, "about");
  form.Model().Exit();
  fs::remove_all(root);
  return 0;
}
