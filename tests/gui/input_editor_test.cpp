// The input editor, the age group editor and the storage grid, offscreen, opened from the main
// window on the example data set.

#include "core/exchange/input_editor.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "core/agesched/age_groups.h"
#include "core/exchange/grid.h"
#include "gui/agesched/age_group_form.h"
#include "gui/agesched/pattern_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/storage_form.h"
#include "gui/common/text_grid_model.h"
#include "gui/exchange/input_form.h"
#include "gui/exchange/male_female_form.h"
#include "gui/exchange/population_form.h"
#include "gui_fixture.h"

namespace kavrel {

using gui_test::Installation;
using gui_test::NewAgeGroupsWhenShown;
using gui_test::OpenedExample;
using gui_test::OpenExample;
using gui_test::Program;
using gui_test::WhenShown;

namespace {

QString Cell(QTableView* view, int row, int column, int role = Qt::DisplayRole) {
  return view->model()->index(row, column).data(role).toString();
}

double StoredValue(TDataKavrel& data, const char* sex, int lowAge) {
  return data
      .QueryDataset("select Waarde from InputIncidence where InputId=1 and Sex='" +
                    std::string(sex) + "' and Lage=" + std::to_string(lowAge))
      .AsDouble(0);
}

}  // namespace

class InputEditorTest final : public QObject {
  Q_OBJECT

 private slots:
  void gridModelIsSound() {
    TextGrid grid(3, 4);
    grid.SetCell(1, 0, "A");
    grid.SetCell(2, 1, "1234.5");
    TextGridModel model(grid, {.LabelsAsRowHeadings = true, .Editable = false});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("A"));
    QCOMPARE(model.index(0, 1).data().toString(), QString("1,234.5000"));
    QCOMPARE(model.index(0, 1).data(Qt::EditRole).toString(), QString("1234.5"));
    QVERIFY(!model.setData(model.index(0, 1), "2"));  // the storage grid is not editable
  }

  void editSaveAndTheFlags() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    QVERIFY(p.form.EditInputButton()->isEnabled());
    TInputForm* form = p.form.InputForm();
    p.dialogs.Push(0);  // Incidence
    WhenShown(form, [&] {
      QCOMPARE(form->windowTitle(), QString("Edit: Asthma Incidence input"));
      QVERIFY(form->RatesBox()->isVisibleTo(form));
      QTableView* men = form->Grid(0);
      QCOMPARE(Cell(men, 0, 0), QString("0-4"));
      QCOMPARE(Cell(men, 20, 0), QString("100+"));
      QCOMPARE(Cell(men, 0, 1, Qt::EditRole), QString("0.00457"));
      form->RatesPer()->setCurrentIndex(4);  // per 100,000
      QCOMPARE(Cell(men, 0, 1, Qt::EditRole), QString("457"));
      QCOMPARE(Cell(men, 0, 1), QString("457.0000"));
      men->model()->setData(men->model()->index(0, 1), "500");
      // A value that is not a number: the message, nothing saved, the editor stays.
      QTableView* women = form->Grid(1);
      women->model()->setData(women->model()->index(1, 1), "high");
      form->Save();
      // The message names the grid, the row and the column, and the cell is selected.
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString::fromStdString(std::string(kInvalidCellMessage)) +
                   "\r\nWomen, row 2 (Age 5-9), column Value: \"high\"");
      QCOMPARE(women->currentIndex(), women->model()->index(1, 1));
      QVERIFY(form->isVisible());
      women->model()->setData(women->model()->index(1, 1), "400");
      p.dialogs.Push(DialogButton::kYes);  // overwrite the men's rows
      p.dialogs.Push(DialogButton::kYes);  // and the women's
      form->Save();
    });
    p.form.EditInput();
    QVERIFY(!form->isVisible());
    QCOMPARE(StoredValue(p.data, "Males", 0), 0.005);
    QCOMPARE(StoredValue(p.data, "Females", 5), 0.004);
    QVERIFY(p.dialogs.AllAnswered());

    // A click on the men's prevalence box opens the editor for prevalence, which has no rows;
    // the box does not toggle.
    QCheckBox* prevalence = p.form.InputBoxes()[kPrevalence];
    QVERIFY(!prevalence->isChecked());
    WhenShown(form, [&] {
      QCOMPARE(form->windowTitle(), QString("Edit: Asthma Prevalence input"));
      QVERIFY(!form->RatesBox()->isVisibleTo(form));
      QCOMPARE(form->Grid(0)->model()->rowCount(), 1);  // one empty row
      form->reject();
    });
    QTest::mouseClick(prevalence, Qt::LeftButton);
    QVERIFY(!prevalence->isChecked());
  }

  // Closing with unsaved edits asks "Save changes to ...?"; each answer does what it says, and
  // nothing is asked when nothing changed.
  void closingWithUnsavedEditsAsks() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TInputForm* form = p.form.InputForm();
    const auto edit = [&](const char* value) {
      QTableView* men = form->Grid(0);
      men->model()->setData(men->model()->index(0, 1), value);
    };
    const auto close = [&] { FindButton(form, "&Close")->click(); };
    const QString question("Save changes to Incidence of Asthma?");

    // Cancel: the editor stays with the edit; No: closed, nothing stored.
    p.dialogs.Push(0);  // Incidence
    WhenShown(form, [&] {
      // Enter in a grid moves down a row; it starts no command ("Define" would destroy data).
      QTableView* men = form->Grid(0);
      const auto before = p.dialogs.Texts().size();
      men->setCurrentIndex(men->model()->index(0, 0));
      QTest::keyClick(men, Qt::Key_Return);
      QCOMPARE(men->currentIndex().row(), 1);
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().size() > before ? p.dialogs.Texts().back()
                                                                        : std::string()),
               QString());
      QVERIFY(form->isVisible());
      edit("0.009");
      p.dialogs.Push(DialogButton::kCancel);
      close();
      QVERIFY(form->isVisible());
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()), question);
      QCOMPARE(Cell(form->Grid(0), 0, 1, Qt::EditRole), QString("0.009"));
      p.dialogs.Push(DialogButton::kNo);
      close();
      QVERIFY(!form->isVisible());
    });
    p.form.EditInput();
    QCOMPARE(StoredValue(p.data, "Males", 0), 0.00457);

    // Yes: stored as "Save" stores (asking before replacing the rows), then closed.
    p.dialogs.Push(0);
    WhenShown(form, [&] {
      edit("0.008");
      p.dialogs.Push(DialogButton::kYes);  // save the changes
      p.dialogs.Push(DialogButton::kYes);  // replace the men's rows
      p.dialogs.Push(DialogButton::kYes);  // and the women's
      close();
      QVERIFY(!form->isVisible());
    });
    p.form.EditInput();
    QCOMPARE(StoredValue(p.data, "Males", 0), 0.008);

    // Nothing changed (a unit change only shows the same values otherwise): no question.
    p.dialogs.Push(0);
    const auto shown = p.dialogs.Texts().size();
    WhenShown(form, [&] {
      form->RatesPer()->setCurrentIndex(4);
      close();
      QVERIFY(!form->isVisible());
    });
    p.form.EditInput();
    QCOMPARE(p.dialogs.Texts().size(), shown);
    QVERIFY(p.dialogs.AllAnswered());
  }

  // A paste goes into the grid that has the keyboard without a question; the question, when it
  // comes, can be cancelled (Escape) and then nothing is pasted.
  void pasteIntoTheFocusedGridAndCancelTheChoice() {
    TMFEditForm chooser;
    QTimer::singleShot(0, &chooser, [&] { QTest::keyClick(&chooser, Qt::Key_Escape); });
    QCOMPARE(chooser.Choose(), -1);

    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TInputForm* form = p.form.InputForm();
    p.dialogs.Push(0);  // Incidence
    WhenShown(form, [&] {
      bool asked = false;
      form->ChoosePasteGrid = [&] {
        asked = true;
        return -1;
      };
      QTableView* women = form->Grid(1);
      women->setFocus();
      women->setCurrentIndex(women->model()->index(2, 1));
      QApplication::clipboard()->setText("0.123");
      form->Paste();
      QVERIFY(!asked);
      QCOMPARE(Cell(women, 2, 1, Qt::EditRole), QString("0.123"));
      form->setFocus();  // no grid has the keyboard: asked, and cancelled
      form->Paste();
      QVERIFY(asked);
      p.dialogs.Push(DialogButton::kNo);  // discard the paste on closing
    });
    p.form.EditInput();

    // Duration is in years: "Rates per:" is not offered, whatever the last unit was.
    p.form.Model().InputDisplay.RatesIndex = 4;
    p.dialogs.Push(4);  // Duration
    WhenShown(form, [&] {
      QVERIFY(!form->RatesPer()->isEnabled());
      QCOMPARE(form->RatesPer()->currentIndex(), 0);
    });
    p.form.EditInput();
    QCOMPARE(p.form.Model().InputDisplay.RatesIndex, 4);  // the setting itself is kept
  }

  // "Rates per:" belongs to each variable of each disease: kept in the data set, shown over the
  // grids, never carried to another variable; a value typed before the unit changes stays what
  // was meant.
  void ratesPerKeptPerVariable() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TInputForm* form = p.form.InputForm();
    const auto open = [&](int variable, const std::function<void()>& body) {
      p.dialogs.Push(variable);
      WhenShown(form, body);
      p.form.EditInput();
    };
    open(0, [&] {  // incidence
      QCOMPARE(form->RatesPer()->currentIndex(), 0);
      QTableView* men = form->Grid(0);
      men->model()->setData(men->model()->index(0, 1), "0.002");  // typed, per person
      form->RatesPer()->setCurrentIndex(4);                       // per 100,000
      QCOMPARE(Cell(men, 0, 1, Qt::EditRole), QString("200"));
      QCOMPARE(form->findChildren<QLabel*>().front()->text(), QString("Men, per 100,000"));
      p.dialogs.Push(DialogButton::kNo);  // the typed value is not saved
    });
    open(1, [&] { QCOMPARE(form->RatesPer()->currentIndex(), 0); });  // prevalence: its own
    open(0, [&] {
      QCOMPARE(form->RatesPer()->currentIndex(), 4);
      QCOMPARE(Cell(form->Grid(0), 0, 1, Qt::EditRole), QString("457"));
    });
    QCOMPARE(StoredRatesIndex(p.data, 1, kIncidence), 4);  // the first disease
    QVERIFY(p.dialogs.AllAnswered());
  }

  // In every grid window Enter moves to the next row and starts nothing; Escape closes the window,
  // without a question when nothing changed and with one when something did.
  void enterAndEscapeInTheGridWindows() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    struct Window {
      QDialog* dialog;
      std::function<QTableView*()> grid;
      std::function<void()> open;
      std::function<void()> prepare;  // inside the window, before the keys
    };
    TAgegroupForm* ages = p.form.AgeGroupForm();
    TInputForm* input = p.form.InputForm();
    TPopInForm* population = p.form.PopulationForm();
    TAgePatForm* patterns = p.form.PatternForm();
    const Window windows[] = {
        {input, [&] { return input->Grid(1); },
         [&] {
           p.dialogs.Push(0);
           p.form.EditInput();
         },
         [] {}},
        {population, [&] { return population->Grid(); }, [&] { p.form.ShowPopulation(true); },
         [] {}},
        {patterns, [&] { return patterns->Grid(); },
         [&] { p.form.Action("&Age patterns")->trigger(); },
         [&] {
           // A new pattern over twenty-year groups.
           patterns->Button("&New item")->click();
           NewAgeGroupsWhenShown(ages, 20);
           patterns->Button("Define")->click();
         }},
    };
    for (const Window& window : windows) {
      for (bool edited : {false, true}) {
        WhenShown(window.dialog, [&] {
          window.prepare();
          QTableView* grid = window.grid();
          grid->setFocus();
          grid->setCurrentIndex(grid->model()->index(0, 0));
          const auto asked = p.dialogs.Texts().size();
          QTest::keyClick(grid, Qt::Key_Return);
          QTest::keyClick(grid, Qt::Key_Enter);
          QVERIFY2(grid->currentIndex().row() == 2, qPrintable(window.dialog->windowTitle()));
          QCOMPARE(p.dialogs.Texts().size(), asked);
          QVERIFY(window.dialog->isVisible());
          if (edited) {
            grid->model()->setData(grid->model()->index(0, 1), "0.5");
            p.dialogs.Push(DialogButton::kNo);
          }
          QTest::keyClick(window.dialog, Qt::Key_Escape);
          QVERIFY(!window.dialog->isVisible());
          QCOMPARE(p.dialogs.Texts().size(), asked + (edited ? 1 : 0));
        });
        window.open();
      }
    }
    QVERIFY(p.dialogs.AllAnswered());
  }

  void pasteASpreadsheetBlockWithAgeLabels() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TInputForm* form = p.form.InputForm();
    p.dialogs.Push(0);  // Incidence: 0-4, 5-9, ... for both sexes
    WhenShown(form, [&] {
      bool asked = false;
      form->ChoosePasteGrid = [&] {
        asked = true;
        return -1;
      };
      QTableView* men = form->Grid(0);
      QTableView* women = form->Grid(1);
      // As a spreadsheet copies it: headings, age labels, women before men, a decimal comma,
      // wherever the user stands, and no question (two columns say where they go).
      men->setFocus();
      men->setCurrentIndex(men->model()->index(7, 0));
      QApplication::clipboard()->setText(
          "Age\tWomen\tMen\r\n0-4\t0.0002\t0,0003\r\n"
          "5 - 9\t0.0004\t0.0005\r\n");
      const auto before = p.dialogs.Texts().size();
      form->Paste();
      QVERIFY(!asked);
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().size() > before ? p.dialogs.Texts().back()
                                                                        : std::string()),
               QString());
      QCOMPARE(Cell(men, 0, 1, Qt::EditRole), QString("0.0003"));
      QCOMPARE(Cell(women, 0, 1, Qt::EditRole), QString("0.0002"));
      QCOMPARE(Cell(men, 1, 1, Qt::EditRole), QString("0.0005"));
      QCOMPARE(Cell(women, 1, 1, Qt::EditRole), QString("0.0004"));
      QCOMPARE(Cell(men, 7, 0), QString("35-39"));  // the labels stay as they were
      // Groups the grid does not have: refused by line, nothing changed.
      QApplication::clipboard()->setText("0-4\t1\t2\n5-14\t3\t4\n");
      form->Paste();
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("Line 2 of the pasted text is for ages 5-14, which is not one of this "
                       "grid's age groups (0-4, 5-9, 10-14, 15-19, 20-24, 25-29, 30-34, 35-39, "
                       "...). Nothing was pasted."));
      QCOMPARE(Cell(men, 0, 1, Qt::EditRole), QString("0.0003"));
      // One column with labels goes to the grid that has the keyboard.
      women->setFocus();
      QApplication::clipboard()->setText("10-14\t0.0001\n");
      form->Paste();
      QVERIFY(!asked);
      QCOMPARE(Cell(women, 2, 1, Qt::EditRole), QString("0.0001"));
      p.dialogs.Push(DialogButton::kNo);  // discard on closing
      form->reject();
    });
    p.form.EditInput();
    QVERIFY(p.dialogs.AllAnswered());

    // The population window: males and females with labels, from any cell.
    TPopInForm* population = p.form.PopulationForm();
    WhenShown(population, [&] {
      QTableView* grid = population->Grid();
      grid->setFocus();
      grid->setCurrentIndex(grid->model()->index(5, 2));
      QApplication::clipboard()->setText("Age\tMales\tFemales\n1-4\t12,000\t11,500\n");
      population->Paste();
      QCOMPARE(Cell(grid, 1, 1, Qt::EditRole), QString("12000"));
      QCOMPARE(Cell(grid, 1, 2, Qt::EditRole), QString("11500"));
      p.dialogs.Push(DialogButton::kNo);
      population->Button("&Close")->click();
    });
    p.form.ShowPopulation(false);
    QVERIFY(p.dialogs.AllAnswered());
  }

  void defineStorePasteAndCopy() {
    OpenedExample example;
    QVERIFY(example.Open());
    Program& p = example.p;
    TInputForm* form = p.form.InputForm();
    TAgegroupForm* ages = p.form.AgeGroupForm();
    WhenShown(form, [&] {
      // "Define" for the men: store first (Yes), then ten-year groups from the age group editor.
      form->ApplyTo()->button(InputEditor::kMen)->click();
      p.dialogs.Push(DialogButton::kYes);
      WhenShown(ages, [&] {
        ages->Button("New")->click();
        QVERIFY(!ages->Button("&Close")->isEnabled());
        ages->Width()->setValue(10);
        ages->Button("Fill schedule")->click();
        QCOMPARE(ages->Ages()->count(), 11);  // 0-9 ... 90-99, 100+
        QCOMPARE(ages->Ages()->item(10)->text(), QString("100+"));
        ages->Button("Done")->click();
        ages->Button("&Close")->click();
      });
      form->Define();
      QCOMPARE(form->Grid(0)->model()->rowCount(), 11);
      QCOMPARE(Cell(form->Grid(0), 1, 0), QString("10-19"));
      QCOMPARE(form->Grid(1)->model()->rowCount(), 21);  // the women's stay
      // The stored copy went to the storage grid, men and women side by side.
      TCSVForm* storage = p.form.StorageForm();
      QVERIFY(storage->isVisible());
      QCOMPARE(Cell(storage->View(), 0, 0), QString("Kavrel input, database Example"));
      QCOMPARE(Cell(storage->View(), 3, 0), QString("Males"));
      // (after the men's value and precision columns)
      QCOMPARE(Cell(storage->View(), 3, 7), QString("Females"));

      // Paste three values into the men's grid; a block that does not fit is refused.
      form->ChoosePasteGrid = [] { return 0; };
      QTableView* men = form->Grid(0);
      men->setCurrentIndex(men->model()->index(0, 1));
      QApplication::clipboard()->setText("0.001\n0.002\n0.003");
      form->Paste();
      QCOMPARE(Cell(men, 2, 1, Qt::EditRole), QString("0.003"));
      men->setCurrentIndex(men->model()->index(9, 1));
      form->Paste();
      QCOMPARE(QString::fromStdString(p.dialogs.Texts().back()),
               QString("The pasted text has 3 rows; from row 10 on the grid has 2. Nothing was "
                       "pasted."));
      QCOMPARE(Cell(men, 9, 1, Qt::EditRole), QString("0"));
      // Copy two rows of the value column.
      men->setFocus();
      men->selectionModel()->select(
          QItemSelection(men->model()->index(0, 1), men->model()->index(1, 1)),
          QItemSelectionModel::ClearAndSelect);
      form->Copy();
      QCOMPARE(QApplication::clipboard()->text(), QString("0.001\r\n0.002\r\n"));
      p.dialogs.Push(DialogButton::kNo);  // the pasted values are not saved
      form->reject();
    });
    p.form.EditInput();  // no variable chosen: nothing opens
    p.dialogs.Push(0);
    p.form.EditInput();
    QVERIFY(!p.form.StorageForm()->isVisible());  // closing the editor closes the storage grid
    // Nothing was saved: the stored men's rows are the example's.
    QCOMPARE(StoredValue(p.data, "Males", 0), 0.00457);
  }

  void storageGridReadsAndWritesFiles() {
    Installation installation;
    Program p(installation);
    QVERIFY(p.form.StartUp());
    const std::string in = (installation.root / "in.csv").string();
    std::ofstream(in) << "Age,Value\n0-4,\"1,5\"\n";
    TCSVForm* storage = p.form.StorageForm();
    p.dialogs.PushFile(in);
    QVERIFY(storage->ReadFile());
    QCOMPARE(storage->windowTitle(), QString::fromStdString("File: " + in));
    QCOMPARE(storage->View()->model()->headerData(1, Qt::Horizontal).toString(), QString("B"));
    QCOMPARE(Cell(storage->View(), 1, 1, Qt::EditRole), QString("1,5"));
    const std::string out = (installation.root / "out.csv").string();
    p.dialogs.PushFile(out);
    storage->WriteFile();
    std::ifstream written(out, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(written)), {});
    QCOMPARE(QString::fromStdString(text), QString("\"Age\",\"Value\"\r\n\"0-4\",\"1,5\"\r\n"));
    storage->ClearGrid();
    QCOMPARE(storage->windowTitle(), QString("Storage grid"));
    QCOMPARE(storage->View()->model()->rowCount(), 1);
  }
};

}  // namespace kavrel

QTEST_MAIN(kavrel::InputEditorTest)
#include "input_editor_test.moc"
