// Every window of the program: its help (a "Help" button, F1 opening its own topic, a page for
// the topic) and its mnemonics (no two controls of one window answer the same Alt key).

#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include "core/results/result_table.h"
#include "gui/agesched/age_group_form.h"
#include "gui/agesched/agesched_form.h"
#include "gui/agesched/fit_options_form.h"
#include "gui/agesched/pattern_form.h"
#include "gui/analysis/sens_options_form.h"
#include "gui/analysis/uncert_form.h"
#include "gui/analysis/uncertspec_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"
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
#include "gui/shell/preferences_form.h"
#include "gui/shell/process_form.h"
#include "gui/store/disease_list_form.h"
#include "gui_fixture.h"

namespace kavrel {

using gui_test::Installation;
using gui_test::OpenedExample;
using gui_test::OpenExample;
using gui_test::Program;

namespace {

// The Alt key of a caption: the character after a single '&', lower case; 0 when none.
QChar Mnemonic(const QString& text) {
  for (int k = 0; k + 1 < text.size(); ++k) {
    if (text[k] != '&') continue;
    if (text[k + 1] == '&') {
      ++k;
      continue;
    }
    return text[k + 1].toLower();
  }
  return QChar();
}

// The mnemonics that one window's controls answer together, with the captions that use each.
std::map<QChar, QStringList> WindowMnemonics(QWidget* window) {
  std::map<QChar, QStringList> used;
  const auto add = [&](const QString& text) {
    const QChar key = Mnemonic(text);
    if (!key.isNull()) used[key] << text;
  };
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (widget->window() != window || !widget->isVisibleTo(window)) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget); group != nullptr && group->isCheckable()) {
      add(group->title());
    }
    if (auto* label = qobject_cast<QLabel*>(widget);
        label != nullptr && label->buddy() != nullptr) {
      add(label->text());
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      for (int k = 0; k < tabs->count(); ++k) add(tabs->tabText(k));
    }
  }
  if (auto* main = qobject_cast<QMainWindow*>(window); main != nullptr && main->menuBar()) {
    for (QAction* menu : main->menuBar()->actions()) add(menu->text());
  }
  return used;
}

QString Clashes(QWidget* window) {
  QString clashes;
  for (const auto& [key, captions] : WindowMnemonics(window)) {
    if (captions.size() > 1) clashes += QString(key) + ": " + captions.join(", ") + "; ";
  }
  return clashes;
}

}  // namespace

class WindowsTest final : public QObject {
  Q_OBJECT

 private slots:
  void everyWindowHasHelpAndUniqueMnemonics() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TMainForm& f = p.form;

    // Windows made for the test alone, as their callers make them.
    TGrafForm graph(100);
    TTableForm table("Table", [](const TableRequest&) { return TableText{}; });
    ListChoiceDialog list;
    CheckListDialog checks;
    SaveAsDialog saveAs;
    NewCollectionDialog collection(p.dialogs);
    OutputItemChooser chooser;
    AboutBox about;
    TMFEditForm maleFemale;
    DiseaseListForm diseases(p.data);

    const std::vector<std::pair<QWidget*, int>> windows = {
        {&f, 3010},
        {f.DatasetForm(), 4510},
        {f.InputForm(), 3600},
        {f.StorageForm(), 4450},
        {f.AgeGroupForm(), 4400},
        {f.PopulationForm(), 3500},
        {f.PatternForm(), 5350},
        {f.ProcessForm(), 3700},
        {f.ProcessForm()->AgeScheduleForm(), 5300},
        {f.ProcessForm()->TrendForm(), 4700},
        {f.InspectForm(), 4000},
        {f.CopyForm(), 4350},
        {f.PreferencesForm(), 5600},
        {f.ViewOptionsForm(), 5010},
        {f.FitOptionsForm(), 5310},
        {f.AnalysisOptionsForm(), 5500},
        {f.AnalysisForm(), 4800},
        {f.AnalysisForm()->SettingsForm(), 4900},
        {f.ExportForm(), 4200},
        {f.CalcOptionsForm(), 5210},
        {f.SimplexForm(), 5250},
        {f.Notes(), 4300},
        {f.Messages(), 4330},
        {&graph, 5020},
        {&table, 5110},
        {&list, 3410},
        {&checks, 110},
        {&saveAs, 3750},
        {&collection, 4520},
        {&chooser, 4810},
        {&about, 1000},
        {&maleFemale, 3610},
        {&diseases, 3400},
    };
    int asked = 0;
    SetHelpHandler([&](QWidget*, int topic) { asked = topic; });
    QStringList problems;  // all of them at once, window by window
    for (const auto& [window, topic] : windows) {
      QVERIFY(window != nullptr);
      const QString name = window->metaObject()->className();
      if (HelpTopicOf(window) != topic) {
        problems << name + ": topic " + QString::number(HelpTopicOf(window));
      }
      if (!std::filesystem::exists(std::filesystem::path(KAVREL_HELP_DIR) /
                                   (std::to_string(topic) + ".html"))) {
        problems << name + ": no help page " + QString::number(topic);
      }
      // F1 on the window (or on a control in it) asks for its topic; so does its Help button.
      asked = 0;
      QTest::keyClick(window, Qt::Key_F1);
      if (asked != topic) problems << name + ": F1 asked " + QString::number(asked);
      QPushButton* help = FindButton(window, "Help");
      if (help == nullptr) {
        problems << name + ": no Help button";
      } else {
        asked = 0;
        help->click();
        if (asked != topic) problems << name + ": Help asked " + QString::number(asked);
      }
      if (!Clashes(window).isEmpty()) problems << name + ": " + Clashes(window);
      // Shown at its default size, the title fits.
      window->show();
      if (window->width() < window->fontMetrics().horizontalAdvance(window->windowTitle()) + 100) {
        problems << name + ": title clipped at width " + QString::number(window->width());
      }
      window->hide();
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    // Pages with topics of their own.
    auto* pages = f.CalcOptionsForm()->findChild<QTabWidget*>();
    pages->setCurrentIndex(3);
    QCOMPARE(HelpTopicOf(f.CalcOptionsForm()), 5270);
    QVERIFY2(Clashes(f.CalcOptionsForm()).isEmpty(), qPrintable(Clashes(f.CalcOptionsForm())));
    f.ViewOptionsForm()->findChild<QTabWidget*>()->setCurrentIndex(2);
    QCOMPARE(HelpTopicOf(f.ViewOptionsForm()), 5100);
    f.FitOptionsForm()->findChild<QTabWidget*>()->setCurrentIndex(1);
    QCOMPARE(HelpTopicOf(f.FitOptionsForm()), 5320);
    f.DatasetForm()->findChild<QTabWidget*>()->setCurrentIndex(6);
    QCOMPARE(HelpTopicOf(f.DatasetForm()), 4710);
    for (QWidget* window :
         {static_cast<QWidget*>(f.DatasetForm()), static_cast<QWidget*>(f.CalcOptionsForm()),
          static_cast<QWidget*>(f.ViewOptionsForm()), static_cast<QWidget*>(f.FitOptionsForm())}) {
      QTabWidget* tabs = window->findChild<QTabWidget*>();
      for (int k = 0; k < tabs->count(); ++k) {
        tabs->setCurrentIndex(k);
        QVERIFY2(Clashes(window).isEmpty(),
                 qPrintable(QString(window->metaObject()->className()) + " page " +
                            QString::number(k) + ": " + Clashes(window)));
      }
    }
    // Each menu of the main window.
    for (QAction* menu : f.menuBar()->actions()) {
      std::map<QChar, QStringList> used;
      for (QAction* item : menu->menu()->actions()) {
        const QChar key = Mnemonic(item->text());
        if (!key.isNull()) used[key] << item->text();
      }
      for (const auto& [key, captions] : used) {
        QVERIFY2(captions.size() == 1, qPrintable(menu->text() + ": " + captions.join(", ")));
      }
    }
  }

  // The generator test of the analysis options draws while "Press" is held down, and stops when
  // it is released; the processing window can stay on top.
  void generatorTestAndStayOnTop() {
    Installation installation;
    Program p(installation);
    QVERIFY(p.form.StartUp());
    TSensOpForm* options = p.form.AnalysisOptionsForm();
    emit options->PressButton()->pressed();
    QTRY_VERIFY(!options->TestNumber()->text().isEmpty());
    const QString first = options->TestNumber()->text();
    QVERIFY(QRegularExpression("^-?\\d\\.\\d{12}$").match(first).hasMatch());
    QTRY_VERIFY(options->TestNumber()->text() != first);  // drawing goes on
    emit options->PressButton()->released();
    const QString last = options->TestNumber()->text();
    QTest::qWait(50);
    QCOMPARE(options->TestNumber()->text(), last);

    TProcessForm* process = p.form.ProcessForm();
    process->SetStayOnTop(true);
    QVERIFY(process->StaysOnTop());
    QVERIFY(process->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    process->SetStayOnTop(false);
    QVERIFY(!process->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  }

  // A graph opens beside the window that opened it and on the screen, also when that window
  // stands near the screen's edge.
  void windowsOpenNearTheirOpenerAndOnScreen() {
    Installation installation;
    Program p(installation);
    QVERIFY(p.form.StartUp());
    p.form.move(60, 50);
    p.form.show();
    const QRect screen = p.form.screen()->availableGeometry();
    auto* graph = new TGrafForm(100, &p.form);
    graph->resize(500, 400);
    graph->show();
    // Beside it where there is room, else toward the side with the most room.
    QVERIFY(graph->x() >= p.form.frameGeometry().right() ||
            graph->x() + graph->width() <= p.form.frameGeometry().left() ||
            graph->x() + graph->width() >= screen.right() - 1 || graph->x() <= screen.left());
    QVERIFY(screen.contains(graph->frameGeometry().topLeft()));
    p.form.move(screen.right() - 100, screen.bottom() - 100);
    auto* table = new TTableForm(
        "Table", [](const TableRequest&) { return TableText{}; }, &p.form);
    table->resize(400, 300);
    table->show();
    QVERIFY(screen.contains(QRect(table->pos(), table->size())));
  }

  // Over a modal window the help opens in front of it and can be used while it stays open.
  void helpOverAModalWindow() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TCalcOpForm* options = p.form.CalcOptionsForm();
    bool checked = false;
    QTimer::singleShot(0, options, [&] {
      QTest::keyClick(options, Qt::Key_F1);
      HelpViewer* viewer = p.form.ShownHelp();
      QVERIFY(viewer != nullptr);
      QVERIFY(viewer->isVisible());
      QCOMPARE(viewer->parentWidget(), options);  // not blocked by the modal window
      QVERIFY(!QApplication::activeModalWidget() || viewer->isWindow());
      checked = true;
      options->reject();
    });
    p.form.Action("&Calculation")->trigger();
    QVERIFY(checked);
  }
  // A maximum the calculation would refuse keeps the options window open on its field, with the
  // message the calculation gives; a valid one lets it close.
  void optionsWindowChecksTheMaximaOnClosing() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TCalcOpForm* options = p.form.CalcOptionsForm();
    bool checked = false;
    QTimer::singleShot(0, options, [&] {
      QLineEdit* caseFatality = options->MaximumEdits()[2];
      for (const char* typed : {"-1", "abc"}) {
        caseFatality->selectAll();
        QTest::keyClicks(caseFatality, typed);
        options->accept();
        QVERIFY(options->isVisible());
        QVERIFY(caseFatality->hasSelectedText());
      }
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("The hazards maximum of Case fatality is not a valid number"));
      caseFatality->selectAll();
      QTest::keyClicks(caseFatality, "1.5");
      checked = true;
      options->accept();
    });
    p.form.Action("&Calculation")->trigger();
    QVERIFY(checked);
    QVERIFY(!options->isVisible());
    QCOMPARE(p.form.Model().CalcWindow.MaximumValue[2], std::string("1.5"));
  }
};

}  // namespace kavrel

QTEST_MAIN(kavrel::WindowsTest)
#include "windows_test.moc"
