// The main window, the data sets window and the small windows, offscreen.

#include <filesystem>
#include <fstream>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <unistd.h>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "gui/common/small_dialogs.h"
#include "gui/exchange/copy_form.h"
#include "gui/shell/main_form.h"
#include "gui/store/dataset_form.h"
#include "gui/store/disease_list_form.h"
#include "gui_fixture.h"

namespace fs = std::filesystem;

namespace kavrel {

using gui_test::Installation;
using gui_test::OpenedExample;
using gui_test::OpenExample;
using gui_test::Program;

class MainWindowTest final : public QObject {
  Q_OBJECT

 private slots:
  void firstStartAndTheThreeStates() {
    Installation installation;
    Program p(installation);
    QCOMPARE(p.form.windowTitle(), QString("Kavrel"));
    QVERIFY(!p.form.Action("&Data set")->isEnabled());
    QVERIFY(p.form.StartUp());
    QVERIFY(fs::exists(installation.root / "KavrelData" / "Kavrel.ini"));
    QCOMPARE(p.form.Help()->Shown(),
             QString::fromStdString(installation.program + "help/1000.html"));
    QCOMPARE(p.form.windowTitle(), QString("Kavrel - Local"));
    QVERIFY(p.form.Action("&Data set")->isEnabled());
    QVERIFY(!p.form.NameEdit()->isEnabled());
    QVERIFY(!p.form.Action("&Go to")->isEnabled() || !p.form.NameEdit()->isEnabled());
    OpenExample(p);
    QCOMPARE(p.form.windowTitle(), QString("Kavrel - Local, Example"));
    QCOMPARE(p.form.DatasetForm()->Status()->text(), QString("Opened"));
    QVERIFY(p.form.NameEdit()->isEnabled());
    QCOMPARE(p.form.NameEdit()->text(), QString("Asthma"));
    QVERIFY(p.form.InputBoxes()[0]->isChecked());   // incidence, men
    QVERIFY(!p.form.InputBoxes()[1]->isChecked());  // no prevalence
    p.form.DatasetForm()->CloseCurrent();
    QCOMPARE(p.form.windowTitle(), QString("Kavrel - Local"));
    QVERIFY(!p.form.NameEdit()->isEnabled());
    p.form.CloseCollection();
    QCOMPARE(p.form.windowTitle(), QString("Kavrel"));
    QVERIFY(!p.form.Action("&Data set")->isEnabled());
    QVERIFY(p.form.Action("&Open")->isEnabled());
    // The messages window shows the start in its two columns.
    p.form.ShowMessages();
    QTreeWidget* lines = p.form.Messages()->Lines();
    QCOMPARE(lines->topLevelItem(0)->text(0), QString("12:00:00"));
    QCOMPARE(lines->topLevelItem(0)->text(1), QString("Kavrel started"));
    // "Windows" lists the visible windows after its separator, rebuilt on each opening.
    p.form.show();
    auto* windows = qobject_cast<QMenu*>(p.form.Action("&Messages")->parent());
    QVERIFY(windows != nullptr);
    const auto tail = [windows] {
      QStringList titles;
      bool after = false;
      for (QAction* action : windows->actions()) {
        if (after) titles << action->text();
        if (action->isSeparator()) after = true;
      }
      return titles;
    };
    emit windows->aboutToShow();
    emit windows->aboutToShow();
    QCOMPARE(tail().count(QString("Messages")), 1);
    QCOMPARE(tail().count(QString("Kavrel")), 1);
  }

  void navigateInsertEditDelete() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    QTest::mouseClick(p.form.NavigatorButton(2), Qt::LeftButton);  // next
    QCOMPARE(p.form.NameEdit()->text(), QString("Ischaemic heart disease"));
    QCOMPARE(p.form.NavigatorButton(2)->toolTip(), QString("Next disease"));
    QTest::mouseClick(p.form.NavigatorButton(3), Qt::LeftButton);  // last
    QCOMPARE(p.form.NameEdit()->text(), QString("Stroke"));
    QTest::mouseClick(p.form.NavigatorButton(4), Qt::LeftButton);  // insert
    QCOMPARE(p.form.NameEdit()->text(), QString("New disease"));
    // Typing a name and code, then Post: stored.
    p.form.NameEdit()->selectAll();
    QTest::keyClicks(p.form.NameEdit(), "Gout");
    QTest::keyClicks(p.form.IcdEdit(), "M10");
    QTest::mouseClick(p.form.NavigatorButton(6), Qt::LeftButton);
    QCOMPARE(
        p.data.QueryDataset("select ICDcode from InputDiseases where DiseaseName='Gout'").AsText(0),
        std::string("M10"));
    // Notes typed into the notes window are stored when it closes.
    QTest::mouseClick(p.form.NotesButton(), Qt::LeftButton);
    QCOMPARE(p.form.NotesButton()->text(), QString("Hide &Notes"));
    QCOMPARE(p.form.Notes()->windowTitle(), QString("Notes on Gout"));
    QTest::keyClicks(p.form.Notes()->Memo(), "Gout is common in men.");
    p.form.Notes()->close();
    QCOMPARE(p.form.NotesButton()->text(), QString("Show &Notes"));
    QCOMPARE(
        p.data.QueryDataset("select Remarks from InputDiseases where DiseaseName='Gout'").AsText(0),
        std::string("Gout is common in men."));
    // Delete with its question.
    p.dialogs.Push(DialogButton::kYes);
    p.form.DeleteDisease();
    QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
             QString("Are you sure you want to delete this disease record?"));
    QCOMPARE(p.data.QueryDataset("select * from InputDiseases").RecordCount(), 5);
    // The disease list goes to the chosen disease.
    DiseaseListForm list(p.data);
    list.Fill();
    QCOMPARE(list.List()->topLevelItemCount(), 5);
    list.SortButton(2)->setChecked(true);                       // by code
    list.List()->setCurrentItem(list.List()->topLevelItem(3));  // C18, E10, I20, I60, J45
    list.LocateChosen();
    QCOMPARE(p.data.KavrelTable1().FieldText("DiseaseName"), std::string("Stroke"));
  }

  void collectionAndDatasetCommands() {
    Installation installation;
    Program p(installation);
    QVERIFY(p.form.StartUp());
    // A new collection: the name, then the file; the data sets window would open (not shown).
    p.form.DatasetForm()->NameProvider = [] { return std::optional<std::string>("Europe"); };
    p.dialogs.PushFile((installation.root / "KavrelData" / "Europe.mdb").string());
    QTimer::singleShot(0, p.form.DatasetForm(), &QDialog::reject);
    p.form.NewCollection();
    QCOMPARE(p.form.windowTitle(), QString("Kavrel - Europe"));
    // A new data set on the New page.
    TDatasetForm* sets = p.form.DatasetForm();
    sets->Bind();
    sets->Pages()->setCurrentIndex(3);
    QVERIFY(!sets->NewFile()->isEnabled());
    QTest::keyClicks(sets->NewName(), "Netherlands");
    QVERIFY(sets->NewFile()->isEnabled());
    sets->NewFile()->setText(QString::fromStdString(
        (installation.root / "KavrelData" / "data" / "Netherlands.mdb").string()));
    sets->NewHighestAge()->setValue(85);
    sets->SaveNew();
    QCOMPARE(sets->Grid()->count(), 1);
    QCOMPARE(sets->NewName()->text(), QString());  // the page is reset
    // Its properties and notes, edited, stored in the collection.
    sets->Pages()->setCurrentIndex(1);
    sets->Country()->setText("Netherlands");
    emit sets->Country()->editingFinished();
    sets->NotesMemo()->setPlainText("Fictitious");
    QCOMPARE(p.data.QueryCollection("select Group1, DatasetNotes from Datasets").AsText(0),
             std::string("Netherlands "));
    QCOMPARE(p.data.QueryCollection("select DatasetNotes from Datasets").AsText(0),
             std::string("Fictitious"));
    // Remove keeps the file.
    p.dialogs.Push(DialogButton::kYes);
    sets->RemoveSelected();
    QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
             QString("Data set Netherlands removed"));
    QCOMPARE(sets->Grid()->count(), 0);
    QVERIFY(fs::exists(installation.root / "KavrelData" / "data" / "Netherlands.mdb"));
    // Open the Local collection again by choice; remove Europe from the list.
    p.dialogs.Push(0);
    QTimer::singleShot(0, p.form.DatasetForm(), &QDialog::reject);
    p.form.OpenCollection();
    QCOMPARE(p.form.windowTitle(), QString("Kavrel - Local"));
    p.dialogs.Push(1);
    p.dialogs.Push(DialogButton::kYes);
    p.form.RemoveCollection();
    QCOMPARE(p.settings.Collections.size(), std::size_t{1});
    QVERIFY(p.dialogs.AllAnswered());
  }

  // Every data set command, succeeding or failing, leaves the main window and the data sets
  // window showing the same data set; a failure keeps what was open; a new or added data set does
  // not close the one in use.
  void datasetCommandsKeepBothWindowsConsistent() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    const Installation& installation = example.installation;
    TDatasetForm* sets = p.form.DatasetForm();
    const auto rowOf = [sets](const char* name) {
      return sets->Grid()->row(sets->Grid()->findItems(name, Qt::MatchStartsWith).value(0));
    };
    // The example stays open, at Stroke, in both windows.
    QVERIFY(p.data.KavrelTable1().Locate("DiseaseName", "Stroke"));
    const auto exampleStillOpen = [&](const char* after) {
      const QString what(after);
      QVERIFY2(p.data.DatasetIsOpen(), qPrintable(what));
      QVERIFY2(p.data.DatasetFile().ends_with("Example.mdb"), qPrintable(what));
      QCOMPARE(p.settings.CurrentDatasetName, std::string("Example"));
      QVERIFY2(p.form.windowTitle().contains("Example"), qPrintable(what));
      QVERIFY2(p.form.NameEdit()->text() == "Stroke",
               qPrintable(what + ": " + p.form.NameEdit()->text()));
      sets->Bind();
      sets->Select(rowOf("Example"));
      QVERIFY2(sets->Status()->text() == "Opened", qPrintable(what));
    };
    exampleStillOpen("opening");

    // New: succeeding, then failing (the name is taken).
    sets->Pages()->setCurrentIndex(3);
    QTest::keyClicks(sets->NewName(), "Netherlands");
    sets->NewFile()->setText(QString::fromStdString(
        (installation.root / "KavrelData" / "data" / "Netherlands.mdb").string()));
    sets->SaveNew();
    exampleStillOpen("a new data set");
    sets->Select(rowOf("Netherlands"));
    QCOMPARE(sets->Status()->text(), QString("Closed"));
    sets->Pages()->setCurrentIndex(3);
    QTest::keyClicks(sets->NewName(), "Netherlands");
    sets->NewFile()->setText(QString::fromStdString((installation.root / "Other.mdb").string()));
    sets->SaveNew();
    exampleStillOpen("a new data set refused");

    // Add: a text file named .mdb, and a database that is not a data set, both refused in the
    // user's words.
    const fs::path text = installation.root / "notes.mdb";
    std::ofstream(text) << "not a database";
    const fs::path foreign = installation.root / "foreign.mdb";
    {
      Database db = Database::Open(foreign.string(), true);
      db.Exec("create table Something (x integer)");
    }
    for (const fs::path& file : {text, foreign}) {
      sets->Pages()->setCurrentIndex(4);
      sets->AddFile()->setText(QString::fromStdString(file.string()));
      QTest::keyClicks(sets->AddName(), "Bad");
      sets->SaveAdded();
      const std::string shown = p.dialogs.Texts().back();
      QVERIFY2(shown.find("Alter table") == std::string::npos &&
                   shown.find("no such table") == std::string::npos,
               shown.c_str());
      exampleStillOpen("a refused addition");
    }
    QVERIFY(p.dialogs.Texts().back().find("is not a Kavrel data set") != std::string::npos);

    // Open: a data set whose file has gone is refused and the example stays.
    fs::remove(installation.root / "KavrelData" / "data" / "Netherlands.mdb");
    sets->Bind();
    sets->Select(rowOf("Netherlands"));
    sets->OpenSelected();
    exampleStillOpen("a failed opening");

    // Compact and repair of the open data set.
    sets->Select(rowOf("Example"));
    sets->CompactSelected();
    exampleStillOpen("compacting");
    sets->Select(rowOf("Example"));
    sets->RepairSelected();
    exampleStillOpen("repairing");

    // Close: both windows show nothing open.
    sets->CloseCurrent();
    QVERIFY(!p.data.DatasetIsOpen());
    QVERIFY(!p.form.windowTitle().contains("Example"));
    sets->Bind();
    sets->Select(rowOf("Example"));
    QCOMPARE(sets->Status()->text(), QString("Closed"));
  }

  void addDeleteCompactRepairDatasets() {
    Installation installation;
    Program p(installation);
    QVERIFY(p.form.StartUp());
    const fs::path copy = installation.root / "Copy.mdb";
    fs::copy_file(installation.root / "KavrelData" / "data" / "Example.mdb", copy);
    TDatasetForm* sets = p.form.DatasetForm();
    sets->Bind();
    // Add an existing file: the name is asked for only once a file is given.
    sets->Pages()->setCurrentIndex(4);
    QVERIFY(!sets->AddName()->isEnabled());
    sets->AddFile()->setText(QString::fromStdString(copy.string()));
    QVERIFY(sets->AddName()->isEnabled());
    QTest::keyClicks(sets->AddName(), "Copy");
    sets->SaveAdded();
    QCOMPARE(sets->Grid()->count(), 2);
    QCOMPARE(sets->AddFile()->text(), QString());
    QCOMPARE(p.data.QueryCollection("select HighestAge from Datasets where DataSetName='Copy'")
                 .AsInteger(0),
             100);
    const auto rowOf = [sets](const char* name) {
      return sets->Grid()->row(sets->Grid()->findItems(name, Qt::MatchStartsWith).value(0));
    };
    // Compact and repair keep the file and leave no working copy behind.
    sets->Select(rowOf("Copy"));
    sets->CompactSelected();
    QVERIFY(fs::exists(copy));
    QVERIFY(!fs::exists(installation.root / "compacted.mdb"));
    sets->RepairSelected();
    QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
             QString::fromStdString("No damage was found in " + copy.string() + "."));
    // A data set marked read-only cannot be deleted; the copy can, file and row.
    sets->Select(rowOf("Example"));
    sets->ReadOnlyBox()->setChecked(true);
    sets->DeleteSelected();
    QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
             QString("You cannot delete Data set Example: it is read only."));
    QCOMPARE(sets->Grid()->count(), 2);
    sets->Select(rowOf("Copy"));
    p.dialogs.Push(DialogButton::kYes);
    sets->DeleteSelected();
    QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()), QString("Data set Copy deleted"));
    QVERIFY(!fs::exists(copy));
    QCOMPARE(sets->Grid()->count(), 1);
    QVERIFY(p.dialogs.AllAnswered());
  }

  void copyADisease() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TCopyForm* copy = p.form.CopyForm();
    gui_test::WhenShown(copy, [&] {
      QCOMPARE(copy->windowTitle(), QString("Kavrel - Copy diseases"));
      QCOMPARE(copy->Diseases()->count(), 5);
      QCOMPARE(copy->Collections()->currentText(), QString("Local"));
      QCOMPARE(copy->Datasets()->count(), 1);
      QVERIFY(!copy->Copy());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Select one disease to copy"));
      copy->Diseases()->setCurrentRow(0);  // Asthma
      QCOMPARE(copy->DestinationName()->text(), QString("Asthma"));
      QVERIFY(!copy->Copy());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Select one or more destination data sets"));
      copy->DestinationName()->setText("Asthma, second source");
      copy->Datasets()->item(0)->setSelected(true);  // the open data set itself
      QVERIFY(copy->Copy());
    });
    p.form.Action("&Copy")->trigger();
    QCOMPARE(p.data
                 .QueryDataset("select * from InputIncidence where DiseaseName='Asthma, second "
                               "source'")
                 .RecordCount(),
             p.data.QueryDataset("select * from InputIncidence where DiseaseName='Asthma'")
                 .RecordCount());
    QCOMPARE(p.data.KavrelTable1().RecordCount(), 6);
  }

  void smallDialogs() {
    ScriptedDialogs dialogs;
    SaveAsDialog saveAs;
    saveAs.SetCurrentName("Asthma");
    saveAs.NewNameEdit()->setText("asthma");  // another letter case is another name
    saveAs.TrySave();
    QCOMPARE(saveAs.result(), int(QDialog::Accepted));
    NewCollectionDialog newCollection(dialogs);
    newCollection.TryAccept();
    QCOMPARE(QString::fromStdString(dialogs.Texts().back()),
             QString("You must give a name to the new database"));
    QVERIFY(newCollection.result() != QDialog::Accepted);
    CheckListDialog check;
    check.Fill("Select intervals", {"50%", "90%"}, {false, true});
    QCOMPARE(check.CheckedRows(), std::vector<int>{1});
    OutputItemChooser chooser;
    QTimer::singleShot(0, &chooser, [&chooser] {
      QListWidget* list = chooser.List();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(1)).center());
    });
    QCOMPARE(chooser.Choose({"Incidence", "Prevalence"}), 1);
    QVERIFY(chooser.GraphChosen());
    QWidget owner;
    int calls = 0;
    new AfterShowNotifier(&owner, [&calls] { ++calls; });
    owner.show();
    QTRY_COMPARE(calls, 1);
    MessagesLog log{[] { return std::string("09:00:00"); }};
    MessagesWindow messages(log);
    log.AddMessage("first");
    log.AddMessage("second");
    messages.Refresh();
    QCOMPARE(messages.Lines()->topLevelItemCount(), 2);
    log.Clear();
    log.AddMessage("third");
    messages.Refresh();
    QCOMPARE(messages.Lines()->topLevelItemCount(), 1);
  }
};

}  // namespace kavrel

QTEST_MAIN(kavrel::MainWindowTest)
#include "main_window_test.moc"
