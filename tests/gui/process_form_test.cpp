// The processing window on the example data set, offscreen: calculate, look at the table, save.

#include "gui/shell/process_form.h"

#include <fstream>
#include <thread>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "core/agesched/age_groups.h"
#include "core/agesched/age_schedule.h"
#include "core/results/view_options.h"
#include "core/store/layout.h"
#include "gui/agesched/agesched_form.h"
#include "gui/analysis/uncert_form.h"
#include "gui/analysis/uncertspec_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/grid_editor.h"
#include "gui/common/storage_form.h"
#include "gui/engine/amoeba_form.h"
#include "gui/engine/trend_form.h"
#include "gui/exchange/export_form.h"
#include "gui/results/graph_form.h"
#include "gui/results/inspect_form.h"
#include "gui/results/table_form.h"
#include "gui/results/view_options_form.h"
#include "gui/shell/calc_options_form.h"
#include "gui/shell/preferences_form.h"
#include "gui_fixture.h"

namespace kavrel {

using gui_test::Installation;
using gui_test::OpenedExample;
using gui_test::OpenExample;
using gui_test::Program;
using gui_test::WhenShown;
namespace fs = std::filesystem;

namespace {

// The pages of a PDF file Qt wrote: its page objects.
int CountPages(const std::string& pdf) {
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1)) {
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  return pages;
}

}  // namespace

class ProcessFormTest final : public QObject {
  Q_OBJECT

 private slots:
  void calculateTableAndSave() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    const Installation& installation = example.installation;
    QVERIFY(p.form.StartProcessButton()->isEnabled());
    p.form.SexChoice(1)->setChecked(true);
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      QCOMPARE(form->windowTitle(), QString("Processing Asthma, Females"));
      QCOMPARE(form->Available()->count(), 4);  // the heading and three inputs
      QVERIFY(!form->Button("&Save result")->isEnabled());
      QVERIFY(!form->Button("From output")->isEnabled());
      // The graph opens at the start ("Open when start processing": Graph).
      QCOMPARE(form->Graphs().size(), std::size_t{1});
      TGrafForm* graph = form->Graphs().front();
      QCOMPARE(graph->windowTitle(), QString("Disease: Asthma, Females"));
      QCOMPARE(graph->Chart()->title(), QString("Input (i) and output (o) variables"));
      QCOMPARE(graph->Lines().size(), std::size_t{3});
      QCOMPARE(graph->LineSeries(0)->count(), 101);  // ages 0 ... 100
      // The input's published groups as marks at their midpoints, in the line's colour.
      QVERIFY(graph->PointSeries(0) != nullptr);
      QCOMPARE(graph->PointSeries(0)->count(), 21);
      QCOMPARE(graph->PointSeries(0)->at(0).x(), 2.0);  // 0-4
      QCOMPARE(graph->PointSeries(0)->color(), graph->LineSeries(0)->pen().color());
      QVERIFY(form->Tables().empty());
      form->Button("Open table")->click();
      TTableForm* table = form->Tables().front();
      QCOMPARE(table->windowTitle(), QString("Females, Disease: Asthma (Rates)"));
      const int before = table->View()->model()->columnCount();
      form->Button("Calc&ulate")->click();
      QVERIFY(form->Button("&Save result")->isEnabled());
      QVERIFY(table->View()->model()->columnCount() > before);  // the outputs joined
      // "Fit report": each input group against the output's mean over it.
      form->Button("Fit report")->click();
      TTableForm* fit = form->Tables().back();
      QCOMPARE(QString::fromStdString(fit->Grid().Cell(4, 0)), QString("Deviation (%)"));
      QVERIFY(fit->Grid().RowCount() > 20);
      QCOMPARE(QString::fromStdString(fit->Grid().Cell(0, 1)), QString("Incidence"));
      QCOMPARE(QString::fromStdString(fit->Grid().Cell(1, 1)), QString("0-4"));
      fit->close();
      QCOMPARE(graph->Lines().size(), std::size_t{10});  // and the output lines
      QCOMPARE(graph->Lines()[3].Title, std::string("Incidence (o)"));
      // The options panel: a line made invisible and moved to the right axis.
      graph->ToggleOptions();
      QCOMPARE(graph->OptionsButton()->text(), QString("Hide &Options"));
      QVERIFY(!graph->CloseButton()->isEnabled());
      graph->LineList()->setCurrentRow(1);
      graph->VisibleBox()->click();
      QVERIFY(!graph->LineSeries(1)->isVisible());
      graph->ToggleOptions();
      table->Numbers()->setChecked(true);
      QCOMPARE(table->windowTitle(), QString("Females, Disease: Asthma (Numbers)"));
      // Printed (here to PDF files): a landscape chart, and the table's pages.
      for (const char* name : {"graph.pdf", "table.pdf"}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const std::string file = (installation.root / name).string();
        printer.setOutputFileName(QString::fromStdString(file));
        if (std::string(name) == "graph.pdf") {
          graph->PrintChart(printer);
          QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);  // restored
        } else {
          table->PrintTable(printer);
        }
        QVERIFY(fs::file_size(file) > 1000);
        if (qEnvironmentVariableIsSet("KAVREL_TEST_KEEP")) {
          QFile::copy(QString::fromStdString(file),
                      qEnvironmentVariable("KAVREL_TEST_KEEP") + "/" + name);
        }
      }
      form->Button("&Save result")->click();
      form->Button("&Close")->click();
      QVERIFY(!form->isVisible());
      QVERIFY(form->Tables().empty());  // its tables and graphs closed with it
      QVERIFY(form->Graphs().empty());
    });
    p.form.StartProcess();
    QVERIFY(p.data.KavrelTable1().FieldBoolean("FOutput"));
    QVERIFY(p.form.OutputBoxes()[1]->isChecked());  // "Output present", Females
    QVERIFY(!p.form.OutputBoxes()[0]->isChecked());

    // The stored result, inspected: table and graph of the females, then the next disease.
    QVERIFY(p.form.ResultButton(1)->isEnabled());
    TInspectForm* inspect = p.form.InspectForm();
    WhenShown(inspect, [&] {
      QCOMPARE(inspect->windowTitle(), QString("Inspecting data set Example"));
      QCOMPARE(inspect->DiseaseName()->text(), QString("Asthma"));
      QVERIFY(inspect->Graph() != nullptr && inspect->Graph()->isVisible());
      QCOMPARE(inspect->Graph()->Lines().size(), std::size_t{10});  // adjusted inputs, outputs
      QVERIFY(inspect->Table() != nullptr && inspect->Table()->isVisible());
      // The stored result's fit report: its input groups against its outputs.
      inspect->ShowFitReport();
      auto* fit = qobject_cast<TTableForm*>(inspect->Outputs().back());
      QVERIFY(fit != nullptr);
      QCOMPARE(fit->windowTitle().left(22), QString("Fit of Asthma, Females"));
      QVERIFY(fit->Grid().RowCount() > 20);
      QCOMPARE(QString::fromStdString(fit->Grid().Cell(1, 1)), QString("0-4"));
      inspect->MoveButton(2)->click();  // next
      QCOMPARE(inspect->DiseaseName()->text(), QString("Ischaemic heart disease"));
      QCOMPARE(inspect->Graph()->Lines().size(), std::size_t{0});  // nothing stored there
      inspect->InputChoice()->button(1)->click();                  // the original inputs
      QCOMPARE(inspect->Graph()->Lines().size(), std::size_t{3});
      inspect->TableBox()->click();
      QVERIFY(!inspect->Table() || !inspect->Table()->isVisible());  // closed
    });
    p.form.ResultButton(1)->click();
    QCOMPARE(p.data.KavrelTable1().FieldText("DiseaseName"),
             std::string("Ischaemic heart disease"));

    // Exported: the current disease has nothing stored, all diseases as a text file.
    TExportForm* exporting = p.form.ExportForm();
    const std::string file = (installation.root / "results.csv").string();
    WhenShown(exporting, [&] {
      QCOMPARE(exporting->windowTitle(), QString("Kavrel - Local, Example: Export results"));
      QCOMPARE(exporting->Diseases()->button(0)->text(),
               QString("Current: Ischaemic heart disease"));
      QVERIFY(!exporting->SelectButton()->isEnabled());
      exporting->Formats()->button(3)->click();  // comma delimited
      QVERIFY(exporting->ChangeButton()->isEnabled());
      QCOMPARE(exporting->AgeGroupName()->text(), QString("5-year groups"));
      p.dialogs.PushFile(file);
      QVERIFY(!exporting->ChooseFile());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Nothing to export! Choose \"Process\" first."));
      exporting->Diseases()->button(1)->click();  // all diseases
      p.dialogs.PushFile(file);
      QVERIFY(exporting->ChooseFile());
    });
    p.form.Action("&Export")->trigger();
    std::ifstream written(file);
    const std::string text((std::istreambuf_iterator<char>(written)), {});
    QVERIFY(text.find("Disease: Asthma") != std::string::npos);
    QVERIFY(text.find("Females") != std::string::npos);
  }

  // Ctrl+C in a result table copies the selected cells, or the whole table with its two heading
  // rows, as tab-separated text a spreadsheet pastes into cells; the pop-up menu has "Copy".
  void resultTableCopiesForASpreadsheet() {
    TTableForm table("Males, Disease: Asthma", [](const TableRequest&) {
      TableText text;
      text.Groups = {"", "Output", "Output"};
      text.Headers = {"Age", "Incidence (hazard)", "Duration (years)"};
      text.Decimals = {0, 4, 4};
      text.Rows = {{"0-4", "0.0010", "12.5000"}, {"5-9", "0.0020", "11.0000"}};
      return text;
    });
    table.show();
    QTableView* view = table.View();
    QCOMPARE(view->actions().size(), 1);
    QCOMPARE(view->actions().front()->text(), QString("&Copy"));
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QString("\tOutput\tOutput\r\nAge\tIncidence (hazard)\tDuration (years)\r\n"
                     "0-4\t0.0010\t12.5000\r\n5-9\t0.0020\t11.0000\r\n"));
    view->selectionModel()->select(
        QItemSelection(view->model()->index(0, 1), view->model()->index(1, 2)),
        QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("0.0010\t12.5000\r\n0.0020\t11.0000\r\n"));
    // Pasting and cutting are refused: the table is read only.
    ScriptedDialogs dialogs;
    SetProgramDialogs(&dialogs);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    SetProgramDialogs(nullptr);
    QCOMPARE(dialogs.Texts().size(), std::size_t{2});
    QCOMPARE(QString::fromStdString(dialogs.Texts().back()), QString("This table is read only."));
    QCOMPARE(view->model()->index(0, 1).data().toString(), QString("0.0010"));
  }

  // The options panel: "Output rates" and the window's own age groups reach the builder; "S&tore
  // data" hands the table with its header lines to the storage grid; the print has the page header
  // and both blocks.
  void resultTableOptionsStoreAndPrint() {
    Installation installation;
    std::vector<TableRequest> requests;
    ViewOptionsState view;
    view.HazardsOutput = true;
    TTableForm table(
        "Males, Disease: Asthma",
        [&](const TableRequest& request) {
          requests.push_back(request);
          TableText text;
          text.Groups = {"", "Input", "Output"};
          text.Headers = {"Age", "Prevalence (rates)", "Incidence (hazard)"};
          text.Rows = {
              {"0-49", "0.0100", "0.0010"}, {"", "", ""}, {"All ages", "0.0200", "0.0020"}};
          text.Print.Inputs = {"Input variables",
                               {"0-49", "", "All ages"},
                               {{"Prevalence", " (rates)", "0.0100", "", "0.0200"}}};
          text.Print.Outputs = {"Output variables",
                                {"0-49", "", "All ages"},
                                {{"Incidence", " (hazard)", "0.0010", "", "0.0020"}}};
          return text;
        },
        nullptr, &view);
    QVERIFY(requests.back().Hazards);
    QVERIFY(requests.back().Groups == nullptr);
    table.show();
    QVERIFY(!table.OptionsPanel()->isVisible());
    table.Button("&Options")->click();
    QVERIFY(table.OptionsPanel()->isVisible());
    QCOMPARE(table.Button("Hide &Options")->text(), QString("Hide &Options"));
    QVERIFY(!table.Button("&Close")->isEnabled());
    table.OutputRates()->setCurrentIndex(1);  // "Population"
    QVERIFY(!requests.back().Hazards);
    // "Define": the editor's groups become this window's.
    Services().DefineAgeGroups = [](Tagegrouplist& groups) {
      groups.Groups.push_back(std::make_unique<Tagegroup>(0, 50, 100));
      groups.Groups.push_back(std::make_unique<Tagegroup>(50, 100));
    };
    std::vector<std::string> storedLines;
    TextGrid stored(1, 1);
    Services().StoreGrid = [&](const TextGrid& grid, const std::vector<std::string>& lines) {
      stored = grid;
      storedLines = lines;
    };
    Services().DatasetName = [] { return std::string("Example"); };
    table.Button("Define")->click();
    QVERIFY(requests.back().Groups != nullptr);
    QCOMPARE(requests.back().Groups->Groups.size(), std::size_t{2});
    table.Button("Hide &Options")->click();
    QVERIFY(table.Button("&Close")->isEnabled());
    table.Button("S&tore data")->click();
    QCOMPARE(storedLines.size(), std::size_t{3});
    QCOMPARE(QString::fromStdString(storedLines[0]),
             QString("Kavrel input and output, database Example"));
    QCOMPARE(QString::fromStdString(storedLines[1]),
             QString("Males, Disease: Asthma (Rates), sex: Males"));
    QCOMPARE(QString::fromStdString(stored.Cell(1, 0)), QString("Input"));
    QCOMPARE(QString::fromStdString(stored.Cell(2, 1)), QString("Incidence (hazard)"));
    QCOMPARE(QString::fromStdString(stored.Cell(0, 4)), QString("All ages"));
    // Printed to PDF: one page with the header and both blocks.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string file = (installation.root / "table.pdf").string();
    printer.setOutputFileName(QString::fromStdString(file));
    table.PrintTable(printer);
    Services() = ProgramServices{};
    std::ifstream in(file, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), {});
    QVERIFY(pdf.starts_with("%PDF"));
    QCOMPARE(CountPages(pdf), 1);
    if (qEnvironmentVariableIsSet("KAVREL_TEST_KEEP")) {
      QFile::copy(QString::fromStdString(file),
                  qEnvironmentVariable("KAVREL_TEST_KEEP") + "/options-table.pdf");
    }
  }

  // "Save as picture": a PNG at the chosen resolution, an SVG drawing and a PDF page, read back.
  void graphSavedAsPicture() {
    Installation installation;
    Series values{};
    for (int a = 0; a <= 100; ++a) values[a] = 0.001 * a;
    TGrafForm graph(100);
    PlotLine line;
    line.Title = "Prevalence (o)";
    line.Data = &values;
    graph.SetLines({line});
    graph.ShowGraph("Disease: Asthma, Males", "Input (i) and output (o) variables");
    const QString png = QString::fromStdString((installation.root / "graph.png").string());
    const QString pdf = QString::fromStdString((installation.root / "graph.pdf").string());
    std::string error;
    QVERIFY(graph.SavePicture(png.toStdString(), 150, error));
    QImage image(png);
    QCOMPARE(image.size(), QSize(1500, 937));
    QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), 150);
    // The chart was drawn: the picture is not blank.
    int dark = 0;
    for (int y = 0; y < image.height(); y += 4) {
      for (int x = 0; x < image.width(); x += 4) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    QVERIFY(dark > 500);
    graph.ChoosePictureFile = [&] { return std::optional<std::string>(pdf.toStdString()); };
    graph.SaveAsPicture();
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(5), QByteArray("%PDF-"));
    // Printed: a landscape page with the title line over the chart.
    const QString printed = QString::fromStdString((installation.root / "printed.pdf").string());
    {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(printed);
      graph.PrintChart(printer);
    }
    QFile printedFile(printed);
    QVERIFY(printedFile.open(QIODevice::ReadOnly));
    QCOMPARE(printedFile.read(5), QByteArray("%PDF-"));
    if (qEnvironmentVariableIsSet("KAVREL_TEST_KEEP")) {
      QFile::copy(printed, qEnvironmentVariable("KAVREL_TEST_KEEP") + "/printed-graph.pdf");
      QFile::copy(png, qEnvironmentVariable("KAVREL_TEST_KEEP") + "/saved-graph.png");
    }
    // "Colour" recolours the selected line; the pop-up menu offers Copy.
    graph.ToggleOptions();
    graph.LineList()->setCurrentRow(0);
    graph.ChooseLineColour = [](Colour) { return std::optional<Colour>(Rgb(255, 0, 0)); };
    graph.ColourButton()->click();
    QCOMPARE(graph.Lines().front().LineColour, Rgb(255, 0, 0));
    QCOMPARE(graph.LineSeries(0)->pen().color(), QColor(255, 0, 0));
    QCOMPARE(graph.findChildren<QAction*>().size() >= 1, true);
    QVERIFY(!graph.SavePicture((installation.root / "graph.gif").string(), 150, error));
    QCOMPARE(QString::fromStdString(error).left(40),
             QString("A picture is saved as .png, .svg or .pdf"));
    // An SVG drawing of 10 by 6.25 inches with the lines as paths and the title as text.
    const std::string svg = (installation.root / "graph.svg").string();
    Services().DatasetName = [] { return std::string("Example"); };
    QVERIFY(graph.SavePicture(svg, 150, error));
    Services() = ProgramServices{};
    std::ifstream in(svg);
    const std::string drawing((std::istreambuf_iterator<char>(in)), {});
    QVERIFY(drawing.find("<svg") != std::string::npos);
    QVERIFY(drawing.find("width=\"254mm\" height=\"158.75mm\"") != std::string::npos);
    QVERIFY(drawing.find("<path") != std::string::npos ||
            drawing.find("<polyline") != std::string::npos);
    QVERIFY(drawing.find("Dataset: Example, ") != std::string::npos);
    QVERIFY(drawing.find("Prevalence (o)") != std::string::npos);
  }

  void trendsSetInTheTrendWindow() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      QVERIFY(!form->Apply()->isEnabled());
      TTrendForm* trends = form->TrendForm();
      WhenShown(trends, [&] {
        QCOMPARE(trends->windowTitle(), QString("Past trends for Asthma, Males"));
        trends->Hazards()->button(0)->click();
        trends->Number()->setValue(1);  // a new period ending now
        QCOMPARE(trends->End()->value(), 0);
        // Typed as years back: 10 is ten years ago.
        trends->Start()->selectAll();
        QTest::keyClicks(trends->Start(), "10");
        QCOMPARE(trends->Start()->value(), 10);
        QCOMPARE(trends->Start()->text(), QString("10 years ago"));
        trends->Value()->setText("2");
        trends->AddButton()->click();
        QVERIFY(trends->DeleteButton()->isEnabled());
        trends->Number()->setValue(2);         // the next one ends the year before
        QCOMPARE(trends->End()->value(), 11);  // eleven years ago
        QCOMPARE(trends->Periods()->item(0)->text(),
                 QString("Incidence: 10 to 0 years ago, +2 % a year"));
        // A second period typed and not added: closing asks. Cancel stays; No drops it.
        trends->Value()->setText("-1");
        p.dialogs.Push(DialogButton::kCancel);
        trends->accept();
        QVERIFY(trends->isVisible());
        QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
                 QString("Save changes to the trends of Asthma?"));
        p.dialogs.Push(DialogButton::kNo);
        trends->accept();
        QVERIFY(!trends->isVisible());
        QCOMPARE(trends->Periods()->count(), 1);
      });
      form->Button("Set")->click();
      // Again, and Yes adds the typed period before closing.
      WhenShown(trends, [&] {
        trends->Hazards()->button(0)->click();
        trends->Number()->setValue(2);
        trends->Value()->setText("-1");
        p.dialogs.Push(DialogButton::kYes);
        trends->accept();
        QVERIFY(!trends->isVisible());
        QCOMPARE(trends->Periods()->count(), 2);
        QCOMPARE(trends->Periods()->item(1)->text(),
                 QString("Incidence: 11 to 11 years ago, -1 % a year"));
      });
      form->Button("Set")->click();
      QVERIFY(form->Apply()->isEnabled());
      QVERIFY(form->Apply()->isChecked());
      form->Button("Calc&ulate")->click();
      QVERIFY(form->Button("&Save result")->isEnabled());
      // The new trend and the result are not saved: closing asks for each.
      p.dialogs.Push(DialogButton::kNo);
      p.dialogs.Push(DialogButton::kNo);
      form->reject();
      QCOMPARE(QString::fromStdString(p.dialogs.Texts()[p.dialogs.Texts().size() - 2]),
               QString("Save changes to the adjusted inputs of Asthma for Males?"));
    });
    p.form.StartProcess();
  }

  void calculationAndSimplexOptions() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    MainWindowModel& model = p.form.Model();
    TCalcOpForm* options = p.form.CalcOptionsForm();
    WhenShown(options, [&] {
      QCOMPARE(options->windowTitle(), QString("Calculation options"));
      options->Box("Input for age 0 only")->click();
      QVERIFY(model.CalcWindow.InputForAge0Only);
      options->Box("Prevalence at birth")->click();  // clears both
      QVERIFY(!model.CalcWindow.PrevalenceAtBirth);
      QVERIFY(!options->Box("Input for age 0 only")->isChecked());
      options->Box("Table")->click();
      QVERIFY(model.CalcWindow.OpenTable);
    });
    p.form.Action("&Calculation")->trigger();

    TAmoebeForm* simplex = p.form.SimplexForm();
    WhenShown(simplex, [&] {
      QCOMPARE(simplex->Field(1)->text(), QString("1.0E-09"));
      simplex->Field(0)->selectAll();
      QTest::keyClicks(simplex->Field(0), "500");
      QCOMPARE(model.SimplexWindow.MaxIterations, std::string("500"));
      simplex->ResetDefaults();
      QCOMPARE(simplex->Field(0)->text(), QString("1000"));
    });
    p.form.Action("&Downhill simplex")->trigger();

    // From the processing window, beside it: the weights page set up for the disease.
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      form->Button("O&ptions")->click();
      QVERIFY(options->isVisible());
      QVERIFY(options->IgnoreBoxes()[kIncidence]->isEnabled());
      QVERIFY(!options->IgnoreBoxes()[kPrevalence]->isEnabled());  // asthma has no prevalence
      QVERIFY(options->ExactBoxes()[0]->isEnabled());
      options->IgnoreBoxes()[kIncidence]->click();
      QVERIFY(!options->ExactBoxes()[0]->isEnabled());
      form->Button("&Close")->click();
      QVERIFY(!options->isVisible());
    });
    p.form.StartProcess();
  }

  void preferenceSets() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    MainWindowModel& model = p.form.Model();
    TSetprefForm* preferences = p.form.PreferencesForm();
    WhenShown(preferences, [&] {
      QCOMPARE(preferences->CurrentName()->text(), QString("Preset"));
      preferences->Button("Save")->click();
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("You cannot save the default settings"));
      model.CalcWindow.AgeGroupWidth = 4;
      model.InputDisplay.Decimals = 7;
      preferences->NameEdit()->setText("Mine");
      preferences->Button("Save")->click();
      QCOMPARE(preferences->CurrentName()->text(), QString("Mine"));
      preferences->Button("Restore")->click();
      QCOMPARE(preferences->CurrentName()->text(), QString("Preset"));
      QCOMPARE(model.CalcWindow.AgeGroupWidth, 6);
      QCOMPARE(model.InputDisplay.Decimals, 4);
      p.dialogs.Push(0);  // "Mine" from "Saved preference sets"
      preferences->Button("Read")->click();
      QCOMPARE(preferences->CurrentName()->text(), QString("Mine"));
      QCOMPARE(model.CalcWindow.AgeGroupWidth, 4);
      QCOMPARE(model.InputDisplay.Decimals, 7);
    });
    p.form.Action("&Preferences")->trigger();
    // Opening a data set applies the current set to the windows.
    model.CalcWindow.AgeGroupWidth = 9;
    p.form.DatasetForm()->CloseCurrent();
    OpenExample(p);
    QCOMPARE(model.CalcWindow.AgeGroupWidth, 4);
    QVERIFY(p.dialogs.AllAnswered());
  }

  void graphAndTableOptions() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    MainWindowModel& model = p.form.Model();
    TViewOpForm* view = p.form.ViewOptionsForm();
    WhenShown(view, [&] {
      QCOMPARE(view->windowTitle(), QString("Set graph and table options"));
      QVERIFY(!view->InputVisible(kDuration)->isChecked());  // duration starts hidden
      view->InputVisible(kIncidence)->click();
      QVERIFY(!model.ViewWindow.InputLines[kIncidence].Visible);
      p.dialogs.Push(0x0000ff);  // the colour dialog answers red
      view->InputColour(kPrevalence)->click();
      QCOMPARE(model.ViewWindow.InputLines[kPrevalence].LineColour, Colour{0x0000ff});
      view->Numbers()->click();
      view->TableOutputVisible(kVariableCount)->click();  // no "Age of onset"
    });
    p.form.Action("&Graphs and tables")->trigger();
    // New graphs and tables start from these.
    model.CalcWindow.OpenTable = true;
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      QCOMPARE(form->Tables().size(), std::size_t{1});
      TTableForm* table = form->Tables().front();
      QVERIFY(table->Numbers()->isChecked());
      QVERIFY(table->windowTitle().endsWith("(Numbers)"));
      const PlotLine& first = form->Graphs().front()->Lines().front();
      QCOMPARE(first.Title, std::string("Incidence (i)"));
      QVERIFY(!first.Visible);
      form->Button("Calc&ulate")->click();
      const TextGrid& grid = table->Grid();
      QVERIFY(grid.Cell(grid.ColumnCount() - 1, 0).find("onset") == std::string::npos);
      p.dialogs.Push(DialogButton::kNo);  // the result is not saved
    });
    p.form.StartProcess();
  }

  void ageScheduleWindow() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      p.dialogs.Push(0);  // incidence, the first with own input
      form->Button("&Variable")->click();
      TAgeschedForm* schedule = form->AgeScheduleForm();
      QVERIFY(schedule->isVisible());
      QCOMPARE(schedule->windowTitle(), QString("Adjusting Asthma Incidence"));
      QVERIFY(schedule->Line(ScheduleLine::kOriginal)->isVisible());
      QCOMPARE(schedule->Line(ScheduleLine::kCurrent)->count(), 101);
      // Piecewise linear through the group midpoints, kept, then applied to the disease.
      p.dialogs.Push(0);
      schedule->Button("&Interpolation")->click();
      QVERIFY(schedule->Line(ScheduleLine::kAdjusted)->isVisible());
      const double adjusted =
          schedule->Line(ScheduleLine::kAdjusted)->at(4).y();  // between two midpoints
      schedule->Button("&Keep result")->click();
      QCOMPARE(schedule->Line(ScheduleLine::kCurrent)->at(4).y(), adjusted);
      // Manual adjustment leaves only its own button.
      schedule->Button("&Manual adjust")->click();
      QVERIFY(schedule->Button("Stop &Manual") != nullptr);
      QVERIFY(!schedule->Button("&Apply")->isEnabled());
      schedule->Button("Stop &Manual")->click();
      QVERIFY(schedule->Button("&Apply")->isEnabled());
      const double before = form->Graphs().front()->Lines().front().Data->at(4);
      // The manual adjustment's line is on show, not kept: Apply asks. Cancel stays; No applies
      // the kept series.
      p.dialogs.Push(DialogButton::kCancel);
      schedule->Button("&Apply")->click();
      QVERIFY(schedule->isVisible());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Keep the adjusted result and apply it?"));
      p.dialogs.Push(DialogButton::kNo);
      schedule->Button("&Apply")->click();
      QVERIFY(!schedule->isVisible());
      const PlotLine& incidence = form->Graphs().front()->Lines().front();
      QCOMPARE(incidence.Data->at(4), adjusted);
      QVERIFY(incidence.Data->at(4) != before);
      // A click on a variable in the list opens it again; Cancel changes nothing.
      form->Available()->setCurrentRow(2);  // Remission
      emit form->Available()->itemClicked(form->Available()->item(2));
      QCOMPARE(schedule->windowTitle(), QString("Adjusting Asthma Remission"));
      schedule->Button("&Cancel")->click();
      QVERIFY(!schedule->isVisible());
      // The applied series is not saved: closing asks; Cancel stays, Yes saves it and closes.
      p.dialogs.Push(DialogButton::kCancel);
      form->reject();
      QVERIFY(form->isVisible());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Save changes to the adjusted inputs of Asthma for Males?"));
      p.dialogs.Push(DialogButton::kYes);
      form->reject();
      QVERIFY(!form->isVisible());
    });
    p.form.StartProcess();
    // Saved: the adjusted incidence is stored, and closing again asks nothing.
    QVERIFY(p.data.QueryDataset("select * from IntermIncidence where Sex='Males'").RecordCount() >
            0);
    WhenShown(form, [&] {
      const auto asked = p.dialogs.Texts().size();
      form->reject();
      QVERIFY(!form->isVisible());
      QCOMPARE(p.dialogs.Texts().size(), asked);
    });
    p.form.StartProcess();
    QVERIFY(p.dialogs.AllAnswered());
  }

  void sensitivityAndUncertainty() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      form->Button("&Save result")->click();  // asthma, males: the analyses vary around it
    });
    p.form.StartProcess();
    QVERIFY(p.form.ResultButton(0)->isEnabled());
    TUncertForm* analysis = p.form.AnalysisForm();
    WhenShown(analysis, [&] {
      QCOMPARE(analysis->windowTitle(),
               QString("Kavrel - Local, Example: Asthma, Sensitivity and Uncertainty"));
      QCOMPARE(analysis->Variables()->count(), 3);
      QVERIFY(!analysis->Button("Show output")->isEnabled());
      analysis->Steps()->setValue(1);
      QCOMPARE(analysis->StepsLabel()->text(), QString("-5% 0% +5% "));
      analysis->Button("Start")->click();
      QVERIFY(analysis->Button("Show output")->isEnabled());
      analysis->ChooseOutput = [](const std::vector<std::string>& items) {
        return std::make_pair(static_cast<int>(items.size()) - 1, true);  // a graph
      };
      analysis->ShowOutput();
      QCOMPARE(analysis->Outputs().size(), std::size_t{1});
      auto* graph = qobject_cast<TGrafForm*>(analysis->Outputs().front());
      QVERIFY(graph != nullptr);
      QVERIFY(graph->Chart()->title().startsWith("Original (o) and sensitivity (s) results, "));
      analysis->Button("Save")->click();
      QVERIFY(p.data.DatasetHasTable("SenseIncidence"));
      // Uncertainty: a new analysis, no results until it runs. The sensitivity graph read the
      // variants now freed: it is gone with them.
      const QPointer<QWidget> sensitivityGraph = graph;
      analysis->Kind()->button(1)->click();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QVERIFY(sensitivityGraph.isNull());
      QVERIFY(analysis->Outputs().empty());
      QVERIFY(!analysis->Button("Show output")->isEnabled());
      QCOMPARE(analysis->IntervalsLabel()->text(), QString("50% 60% 70% 80% 90% "));
      // The settings of the varied inputs: per age group, a distribution and its parameters.
      TUncertspecForm* settings = analysis->SettingsForm();
      WhenShown(settings, [&] {
        QCOMPARE(settings->windowTitle(), QString("Uncertainty settings"));
        QCOMPARE(settings->VariableName()->text(), QString("Incidence"));
        QAbstractItemModel* grid = settings->Grid()->model();
        QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), QString("Mean"));
        QCOMPARE(grid->index(0, 0).data().toString(), QString("0-4"));
        QVERIFY(!(grid->flags(grid->index(0, 1)) & Qt::ItemIsEditable));  // the saved input
        QVERIFY(grid->flags(grid->index(0, 2)) & Qt::ItemIsEditable);
        settings->Iterations()->setValue(20);
        settings->Distribution()->setCurrentIndex(1);  // uniform
        QVERIFY(grid->headerData(2, Qt::Horizontal).toString() != QString("Stdev"));
        TGrafForm* inputs = settings->OpenGraph();
        QVERIFY(inputs->Chart()->title().endsWith(" input"));
        QCOMPARE(inputs->Lines().size(), std::size_t{11});
        // Pasted parameters are read into the distributions (Ctrl+V in the grid).
        QTableView* cells = settings->Grid();
        cells->setCurrentIndex(grid->index(1, 2));
        QApplication::clipboard()->setText("0.5");
        QTest::keyClick(cells, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(grid->index(1, 2).data(Qt::EditRole).toString().left(3), QString("0.5"));
        // Letters typed into a cell and Enter: the editor closes before the refusal is shown and
        // the grid reloaded, even when the message runs an event loop of its own (as a real
        // message box does, deleting the closed editor): the refused cell is selected, no crash.
        GridEditor* editor = settings->findChild<GridEditor*>();
        QVERIFY(editor != nullptr);
        const auto taken = editor->CellsChanged;
        editor->CellsChanged = [taken] {
          QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
          taken();
          QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        const std::size_t shownBefore = p.dialogs.Texts().size();
        cells->setCurrentIndex(grid->index(4, 2));
        cells->edit(grid->index(4, 2));
        auto* typed = cells->viewport()->findChild<QLineEdit*>();
        QVERIFY(typed != nullptr);
        typed->setText("abc");
        QTest::keyClick(typed, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(p.dialogs.Texts().size() > shownBefore);
        QVERIFY(QString::fromStdString(p.dialogs.Texts().back())
                    .startsWith("This cell does not contain a valid number"));
        QCOMPARE(cells->currentIndex(), grid->index(4, 2));
        editor->CellsChanged = taken;
        grid->setData(grid->index(4, 2), "0.5");
        // "S&tore data" hands the grid to the storage grid under the data set's name.
        settings->Button("S&tore data")->click();
        QVERIFY(p.form.StorageForm()->isVisible());
        QCOMPARE(p.form.StorageForm()->View()->model()->index(0, 0).data().toString(),
                 QString("Kavrel input, database Example"));
        // "Define": other age groups, every distribution made anew for them.
        QVERIFY(settings->Button("Define")->isEnabled());
        // A parameter that is no number is not taken: closing asks; Cancel stays, Yes refuses it
        // by name and stays, No drops it.
        grid->setData(grid->index(2, 2), "wide");
        p.dialogs.Push(DialogButton::kCancel);
        settings->Button("&Close")->click();
        QVERIFY(settings->isVisible());
        QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
                 QString("Save changes to the uncertainty settings of Incidence?"));
        p.dialogs.Push(DialogButton::kYes);
        settings->Button("&Close")->click();
        QVERIFY(settings->isVisible());
        QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()).section("\r\n", 1),
                 QString("Incidence, row 3 (Age 10-14), column Deviation: \"wide\""));
        QCOMPARE(cells->currentIndex(), grid->index(2, 2));
        p.dialogs.Push(DialogButton::kNo);
      });
      analysis->Button("Settings")->click();
      analysis->Button("Start")->click();
      QVERIFY(analysis->Button("Show output")->isEnabled());
      analysis->ChooseOutput = [](const std::vector<std::string>&) {
        return std::make_pair(1, false);  // prevalence, as a table
      };
      analysis->ShowOutput();
      auto* table = qobject_cast<TTableForm*>(analysis->Outputs().back());
      QVERIFY(table != nullptr);
      QVERIFY(table->Grid().ColumnCount() >= 11);  // age, central value, two per interval
      analysis->Button("Save")->click();           // the summary, stored
      // Started again, the run replaces the summary the table reads: the table goes first, and
      // a table of the new run shows it.
      const QPointer<QWidget> oldTable = table;
      analysis->Button("Start")->click();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QVERIFY(oldTable.isNull());
      analysis->ShowOutput();
      table = qobject_cast<TTableForm*>(analysis->Outputs().back());
      QVERIFY(table != nullptr);
      QVERIFY(table->Grid().ColumnCount() >= 11);
    });
    p.form.ResultButton(0)->click();
    QVERIFY(analysis->Outputs().empty());  // closed with the window

    // The stored analyses, seen again in the inspection window.
    TInspectForm* inspect = p.form.InspectForm();
    WhenShown(inspect, [&] {
      inspect->ChooseOutput = [](const std::vector<std::string>& items) {
        return std::make_pair(static_cast<int>(items.size()) - 1, true);
      };
      inspect->ShowUncertainty();  // the last of the seven: RR mortality
      QCOMPARE(inspect->Outputs().size(), std::size_t{1});
      auto* bands = qobject_cast<TGrafForm*>(inspect->Outputs().front());
      QVERIFY(bands->Chart()->title().startsWith("Uncertainty intervals for "));
      QCOMPARE(bands->Lines().size(), std::size_t{11});
      inspect->ShowSensitivity();
      QCOMPARE(inspect->Outputs().size(), std::size_t{2});
      inspect->MoveButton(2)->click();  // another disease: its outputs close
      QVERIFY(inspect->Outputs().empty());
    });
    p.form.ResultButton(1)->click();
  }

  // A long uncertainty analysis runs off the window's thread: Cancel part way keeps nothing and
  // stores nothing, the window stays usable and a second run completes. Log lines added by a
  // worker reach the messages window on the window's thread.
  void analysisCancelledAndRedone() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      form->Button("&Save result")->click();
    });
    p.form.StartProcess();

    int shown = 0;
    bool onGuiThread = true;
    p.form.LogShown = [&] {
      ++shown;
      onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
    };
    std::thread([&p] { p.log.AddMessage("a line from a worker"); }).join();
    QTRY_COMPARE(shown, 1);
    QVERIFY(onGuiThread);

    TUncertForm* analysis = p.form.AnalysisForm();
    WhenShown(analysis, [&] {
      analysis->Kind()->button(1)->click();
      TUncertspecForm* settings = analysis->SettingsForm();
      const auto iterations = [&](int count) {
        WhenShown(settings, [&, count] { settings->Iterations()->setValue(count); });
        analysis->Button("Settings")->click();
      };
      iterations(20000);
      // Cancel as soon as the first runs are counted.
      bool cancelled = false;
      QTimer watch;
      connect(&watch, &QTimer::timeout, analysis, [&] {
        auto* progress = analysis->findChild<QProgressDialog*>();
        if (progress != nullptr && progress->value() > 0 && !cancelled) {
          QVERIFY(!analysis->Button("Start")->isEnabled());  // disabled, not frozen
          cancelled = true;
          progress->findChild<QPushButton*>()->click();  // its Cancel
        }
      });
      watch.start(5);
      analysis->Button("Start")->click();
      watch.stop();
      QVERIFY(cancelled);
      QVERIFY(analysis->Button("Start")->isEnabled());
      QVERIFY(!analysis->Button("Show output")->isEnabled());
      QVERIFY(!p.data.DatasetHasTable("UncertSumIncidence") ||
              p.data.QueryDataset("select count(*) from UncertSumIncidence").AsInteger(0) == 0);

      iterations(30);
      analysis->Button("Start")->click();
      QVERIFY(analysis->Button("Show output")->isEnabled());
      // "Save" keeps the numbers shown: no second run.
      const auto before = p.log.Count();
      analysis->Button("Save")->click();
      QCOMPARE(p.log.Count(), before);
      QVERIFY(p.data.QueryDataset("select count(*) from UncertSumIncidence").AsInteger(0) > 0);
      analysis->SaveResults()->button(1)->click();  // "Full"
    });
    p.form.ResultButton(0)->click();
    // Opened again, the window shows the kind and the saving it was closed with.
    WhenShown(analysis, [&] {
      QVERIFY(analysis->Kind()->button(1)->isChecked());
      QVERIFY(analysis->SaveResults()->button(1)->isChecked());
    });
    p.form.ResultButton(0)->click();
  }

  // An option window's values stay over a data set's reopening; a disease's stored options come
  // back when its processing starts.
  void optionsThatStay() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    MainWindowModel& model = p.form.Model();
    TCalcOpForm* options = p.form.CalcOptionsForm();
    QVERIFY(!model.CalcWindow.OpenTable);
    WhenShown(options, [&] { options->Box("Table")->click(); });
    p.form.Action("&Calculation")->trigger();
    p.form.DatasetForm()->CloseCurrent();
    OpenExample(p);
    QVERIFY(model.CalcWindow.OpenTable);

    p.data.ExecDataset("update CalculationOptions set Agegroup=3, PrevWeight=7 where InputId=5");
    QVERIFY(p.data.KavrelTable1().Locate("DiseaseName", "Stroke"));
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      QCOMPARE(model.CalcWindow.AgeGroupWidth, 3);
      QCOMPARE(model.CalcWindow.Weight[kPrevalence], 7);
      form->Button("&Close")->click();
    });
    p.form.StartProcess();
  }

  // A disease without stored options: the window (with a fresh installation's options) and the
  // command-line tool calculate the same numbers.
  void windowAndCommandLineAgree() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    const Installation& installation = example.installation;
    const std::string file = (installation.root / "KavrelData" / "data" / "Example.mdb").string();
    QProcess cli;
    cli.start(KAVREL_CLI,
              {"calculate", QString::fromStdString(file), "--disease", "Ischaemic heart disease"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    QVERIFY(lines.size() > 86);
    const QStringList age84 = lines[85].split(',');
    QCOMPARE(age84[0], QString("84"));

    QVERIFY(p.data.KavrelTable1().Locate("DiseaseName", "Ischaemic heart disease"));
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      form->Button("&Save result")->click();
    });
    p.form.StartProcess();
    QCOMPARE(p.form.statusBar()->currentMessage(),
             QString("Result of Ischaemic heart disease, Males, saved"));
    for (int v = 0; v < kVariableCount; ++v) {
      const double stored = p.data
                                .QueryDataset("select A84 from " + OutputTable(v) +
                                              " where InputId=2 and Sex='Males'")
                                .AsDouble(0);
      QCOMPARE(stored, age84[v + 1].toDouble());
    }
  }

  // Ischaemic heart disease (prevalence, mortality, remission) with mortality ignored: nothing
  // determines case fatality, so the fit is refused with the reason instead of running.
  void undeterminedFitIsRefused() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    QVERIFY(p.data.KavrelTable1().Locate("DiseaseName", "Ischaemic heart disease"));
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      p.form.Model().CalcWindow.Ignore[kMortality] = true;
      form->Button("Calc&ulate")->click();
      QVERIFY(QString::fromStdString(p.dialogs.Texts().back()).contains("stop ignoring Mortality"));
      QVERIFY(!form->Button("&Save result")->isEnabled());
    });
    p.form.StartProcess();
  }

  // Closing with a calculated, unsaved result asks; after "Save result" nothing is asked.
  void closingWithAnUnsavedResultAsks() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TProcessForm* form = p.form.ProcessForm();
    const QString question("The result of Asthma for Males has not been saved. Save it?");
    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      p.dialogs.Push(DialogButton::kCancel);
      form->Button("&Close")->click();
      QVERIFY(form->isVisible());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()), question);
      p.dialogs.Push(DialogButton::kNo);
      form->Button("&Close")->click();
      QVERIFY(!form->isVisible());
    });
    p.form.StartProcess();
    QVERIFY(!p.form.OutputBoxes()[0]->isChecked());  // nothing stored

    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      p.dialogs.Push(DialogButton::kYes);  // save it
      form->Button("&Close")->click();
      QVERIFY(!form->isVisible());
    });
    p.form.StartProcess();
    QVERIFY(p.form.OutputBoxes()[0]->isChecked());

    const auto shown = p.dialogs.Texts().size();
    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      p.dialogs.Push(DialogButton::kYes);  // replace the stored result
      form->Button("&Save result")->click();
      form->Button("&Close")->click();
      QVERIFY(!form->isVisible());
    });
    p.form.StartProcess();
    QVERIFY(p.dialogs.Texts().size() == shown + 1);  // the replace question only
    QVERIFY(p.dialogs.AllAnswered());
  }

  void insufficientInputIsRefused() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    // A new disease has no input at all.
    p.form.InsertDisease();
    TProcessForm* form = p.form.ProcessForm();
    WhenShown(form, [&] {
      form->Button("Calc&ulate")->click();
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("There is insufficient input to calculate results. Add a variable first"));
      QVERIFY(!form->Button("&Save result")->isEnabled());
    });
    p.form.StartProcess();
  }
};

}  // namespace kavrel

QTEST_MAIN(kavrel::ProcessFormTest)
#include "process_form_test.moc"
