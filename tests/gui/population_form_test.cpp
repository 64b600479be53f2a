// The population window on the example data set, offscreen.

#include "gui/exchange/population_form.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include "core/agesched/age_groups.h"
#include "core/exchange/population_window.h"
#include "gui/agesched/age_group_form.h"
#include "gui/agesched/pattern_form.h"
#include "gui_fixture.h"

namespace kavrel {

using gui_test::Installation;
using gui_test::NewAgeGroupsWhenShown;
using gui_test::OpenedExample;
using gui_test::OpenExample;
using gui_test::Program;
using gui_test::WhenShown;

class PopulationFormTest final : public QObject {
  Q_OBJECT

 private slots:
  void mortalityViewsEditAndSave() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TPopInForm* form = p.form.PopulationForm();
    const double before = p.form.Model().Population.AllCauseMortality[kMales][0];
    WhenShown(form, [&] {
      QCOMPARE(form->windowTitle(), QString("Total mortality"));
      QTableView* grid = form->Grid();
      QAbstractItemModel* model = grid->model();
      QCOMPARE(model->rowCount(), 22);  // 0, 1-4, 5-9, ..., 95-99, 100+
      QCOMPARE(model->index(0, 0).data().toString(), QString("0"));
      QCOMPARE(model->index(21, 0).data().toString(), QString("100+"));
      // Single years: 0 ... 100+, not editable, nothing to save from there.
      form->ViewChoice()->button(PopulationWindow::kInterpolated)->click();
      QCOMPARE(model->rowCount(), 101);
      QVERIFY(!(model->flags(model->index(5, 1)) & Qt::ItemIsEditable));
      QVERIFY(!form->Button("&Save")->isEnabled());
      QVERIFY(!form->Button("Define")->isEnabled());
      form->ViewChoice()->button(PopulationWindow::kOriginal)->click();
      // Per 1000, typed and saved over the stored rows.
      form->RatesPer()->setCurrentIndex(2);
      QVERIFY(model->setData(model->index(0, 1), "5"));
      p.dialogs.Push(DialogButton::kYes);
      form->Save();
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Total mortality data already exists. Overwrite?"));
      form->Button("&Close")->click();  // saved: closes without a question
      QVERIFY(!form->isVisible());
    });
    p.form.ShowPopulation(true);
    QCOMPARE(p.data.QueryDataset("select Males from TotalMortality where Lage=0").AsDouble(0),
             0.005);
    // The series were loaded again from the new rows.
    QVERIFY(p.form.Model().Population.AllCauseMortality[kMales][0] != before);
    QVERIFY(p.dialogs.AllAnswered());
  }

  void populationNumbersAndUnsavedChanges() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TPopInForm* form = p.form.PopulationForm();
    const double before = p.form.Model().Population.PopulationNumbers[kFemales][3];
    WhenShown(form, [&] {
      QCOMPARE(form->windowTitle(), QString("Population"));
      QVERIFY(!form->RatesPer()->isEnabled());
      QAbstractItemModel* model = form->Grid()->model();
      // Whole persons with thousands separators.
      QVERIFY(model->index(1, 1).data().toString().contains(','));
      QVERIFY(!model->index(1, 1).data().toString().contains('.'));
      // Enter in the grid moves down a row and starts nothing.
      const auto asked = p.dialogs.Texts().size();
      form->Grid()->setCurrentIndex(model->index(0, 0));
      QTest::keyClick(form->Grid(), Qt::Key_Enter);
      QCOMPARE(form->Grid()->currentIndex().row(), 1);
      QCOMPARE(p.dialogs.Texts().size(), asked);
      form->Button("Delete all")->click();
      QCOMPARE(model->index(1, 1).data(Qt::EditRole).toString(), QString());
      QCOMPARE(model->index(1, 0).data().toString(), QString("1-4"));
      // Closing with changes asks "Save changes to Population?": Cancel keeps the window; Yes
      // saves, which the empty cells refuse (the window stays, the first empty cell selected);
      // No closes and the stored numbers come back.
      p.dialogs.Push(DialogButton::kCancel);
      form->Button("&Close")->click();
      QVERIFY(form->isVisible());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Save changes to Population?"));
      p.dialogs.Push(DialogButton::kYes);
      form->Button("&Close")->click();
      QVERIFY(form->isVisible());
      QVERIFY(QString::fromStdString(p.dialogs.Texts().back()).contains("row 1"));
      QCOMPARE(form->Grid()->currentIndex().row(), 0);
      QCOMPARE(form->Grid()->currentIndex().column(), 1);
      p.dialogs.Push(DialogButton::kNo);
      form->Button("&Close")->click();
      QVERIFY(!form->isVisible());
    });
    p.form.ShowPopulation(false);
    QCOMPARE(p.form.Model().Population.PopulationNumbers[kFemales][3], before);
    QVERIFY(p.dialogs.AllAnswered());
  }

  void standardAgePatterns() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TAgePatForm* patterns = p.form.PatternForm();
    TAgegroupForm* ages = p.form.AgeGroupForm();
    WhenShown(patterns, [&] {
      QCOMPARE(patterns->windowTitle(), QString("Standard age patterns"));
      QVERIFY(!patterns->Button("Define")->isEnabled());
      patterns->Button("&New item")->click();
      QCOMPARE(patterns->NameEdit()->text(), QString("New Age Pattern Name"));
      WhenShown(ages, [&] {
        ages->Button("New")->click();
        ages->Width()->setValue(50);
        ages->Button("Fill schedule")->click();  // 0-49, 50-99, 100+
        ages->Button("Done")->click();
        ages->Button("&Close")->click();
      });
      patterns->Button("Define")->click();
      QAbstractItemModel* grid = patterns->Grid()->model();
      QCOMPARE(grid->rowCount(), 3);
      patterns->RatesPer()->setCurrentIndex(2);  // per 1000
      for (int row = 0; row < 3; ++row)
        grid->setData(grid->index(row, 1), QString::number(row + 1));
      patterns->NameEdit()->setText("Rising");
      emit patterns->NameEdit()->textEdited("Rising");
      patterns->Button("&Save item")->click();
      QCOMPARE(patterns->Names()->count(), 1);
      patterns->Button("&Save item")->click();  // the same name again
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("This name is already in use"));
      QCOMPARE(patterns->Names()->currentItem()->text(), QString("Rising"));
    });
    p.form.Action("&Age patterns")->trigger();
    QCOMPARE(
        p.data.QueryCollection("select Waarde from StandardAgePatterns where Lage=50").AsDouble(0),
        0.002);
  }

  // The windows that hold edits ask on closing exactly when something would be lost, and each
  // answer does what it says.
  void closingQuestionsOfPatternsAndAgeGroups() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TAgePatForm* patterns = p.form.PatternForm();
    TAgegroupForm* ages = p.form.AgeGroupForm();
    const auto twoGroups = [&] { NewAgeGroupsWhenShown(ages, 50); };  // 0-49, 50-99, 100+
    WhenShown(patterns, [&] {
      patterns->Button("&New item")->click();
      twoGroups();
      patterns->Button("Define")->click();
      const auto asked = p.dialogs.Texts().size();
      patterns->Button("&Close")->click();  // nothing typed yet: no question
      QCOMPARE(p.dialogs.Texts().size(), asked);
    });
    p.form.Action("&Age patterns")->trigger();
    WhenShown(patterns, [&] {
      patterns->Button("&New item")->click();
      twoGroups();
      patterns->Button("Define")->click();
      QAbstractItemModel* grid = patterns->Grid()->model();
      grid->setData(grid->index(0, 1), "0.001");
      grid->setData(grid->index(1, 1), "0.002");
      // Per 1000: what was typed is kept in the new unit.
      patterns->RatesPer()->setCurrentIndex(2);
      QCOMPARE(grid->index(1, 1).data(Qt::EditRole).toString(), QString("2"));
      p.dialogs.Push(DialogButton::kCancel);
      patterns->Button("&Close")->click();
      QVERIFY(patterns->isVisible());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Save changes to the age pattern New Age Pattern Name?"));
      p.dialogs.Push(DialogButton::kYes);  // saved, then closed
      patterns->Button("&Close")->click();
      QVERIFY(!patterns->isVisible());
    });
    p.form.Action("&Age patterns")->trigger();
    QCOMPARE(
        p.data.QueryCollection("select Waarde from StandardAgePatterns where Lage=50").AsDouble(0),
        0.002);
    WhenShown(patterns, [&] {
      patterns->Button("&New item")->click();
      twoGroups();
      patterns->Button("Define")->click();
      patterns->Grid()->model()->setData(patterns->Grid()->model()->index(0, 1), "5");
      p.dialogs.Push(DialogButton::kNo);  // dropped
      patterns->Button("&Close")->click();
      QVERIFY(!patterns->isVisible());
    });
    p.form.Action("&Age patterns")->trigger();
    // Only the saved pattern is stored: its three groups.
    QCOMPARE(p.data.QueryCollection("select count(*) from StandardAgePatterns").AsInteger(0), 3);

    // Age groups being edited: Escape asks; Cancel goes on editing, No restores the groups, Yes
    // keeps the new ones as "Done" does.
    Tagegrouplist& list = ages->List();
    list.Clear();
    list.Groups.push_back(std::make_unique<Tagegroup>(0, 101, 100));
    for (const auto& [answer, groups] :
         {std::pair{DialogButton::kNo, 1}, {DialogButton::kYes, 3}}) {
      WhenShown(ages, [&, answer = answer] {
        ages->Button("New")->click();
        ages->Width()->setValue(40);
        ages->Button("Fill schedule")->click();
        p.dialogs.Push(DialogButton::kCancel);
        QTest::keyClick(ages, Qt::Key_Escape);
        QVERIFY(ages->isVisible());
        QVERIFY(ages->Editor().Editing());
        p.dialogs.Push(answer);
        QTest::keyClick(ages, Qt::Key_Escape);
        QVERIFY(!ages->isVisible());
      });
      ages->Run();
      QCOMPARE(static_cast<int>(list.Groups.size()), groups);
    }
    QVERIFY(p.dialogs.AllAnswered());
  }
};

}  // namespace kavrel

QTEST_MAIN(kavrel::PopulationFormTest)
#include "population_form_test.moc"
