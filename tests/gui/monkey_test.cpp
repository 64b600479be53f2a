// A bounded monkey over the windows, offscreen: random clicks on enabled buttons, random menu
// commands, random text typed into the focused field, every question answered at random. It ends
// with no crash and no error escaping a window (an exception leaving a slot ends the program).
// KAVREL_MONKEY_STEPS (1000) and KAVREL_MONKEY_SEED (1) vary the run.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <unistd.h>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"
#include "gui/shell/main_form.h"
#include "gui/store/dataset_form.h"
#include "gui_fixture.h"

namespace kavrel {

namespace {

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::atoi(text) : fallback;
}

// Answers every question at random among what it offers. Files are never chosen, so nothing is
// written outside the test's own installation.
class RandomDialogs final : public UserDialogs {
 public:
  explicit RandomDialogs(std::mt19937& random) : random_(random) {}

  DialogButton Message(std::string_view, DialogKind, DialogButtons buttons) override {
    std::vector<DialogButton> offered;
    for (DialogButton b :
         {DialogButton::kYes, DialogButton::kNo, DialogButton::kCancel, DialogButton::kOK}) {
      if (buttons.Has(b)) offered.push_back(b);
    }
    return offered[Pick(offered.size())];
  }
  int ChooseFromList(std::string_view, const std::vector<std::string>& items) override {
    return static_cast<int>(Pick(items.size() + 1)) - 1;
  }
  std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::vector<int>> CheckList(std::string_view, const std::vector<std::string>& items,
                                            const std::vector<bool>&) override {
    if (Pick(2) == 0 || items.empty()) return std::nullopt;
    return std::vector<int>{static_cast<int>(Pick(items.size()))};
  }
  std::optional<std::string> SaveAsName(std::string_view) override {
    if (Pick(2) == 0) return std::nullopt;
    return "Monkey disease " + std::to_string(Pick(1000));
  }

 private:
  std::size_t Pick(std::size_t count) {
    return count == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  std::mt19937& random_;
};

// Commands the monkey leaves alone: ending the program, and the printer's own dialogs, which are
// not the program's questions.
bool Forbidden(const QString& text) {
  const QString plain = QString(text).remove('&');
  return plain.contains("Exit") || plain.contains("Print") || plain.contains("Quit");
}

}  // namespace

class MonkeyTest : public QObject {
  Q_OBJECT
 private slots:
  void randomUseEndsWithoutACrash() {
    gui_test::Installation installation;
    std::mt19937 random(static_cast<unsigned>(EnvironmentNumber("KAVREL_MONKEY_SEED", 1)));
    const int steps = EnvironmentNumber("KAVREL_MONKEY_STEPS", 1000);
    SettingsState settings;
    RandomDialogs dialogs(random);
    TDataKavrel data(dialogs);
    MessagesLog log([] { return std::string("12:00:00"); });
    TMainForm form({settings, data, dialogs, log, installation.program});
    form.show();
    QVERIFY(form.StartUp());
    TDatasetForm* sets = form.DatasetForm();
    sets->Bind();
    sets->OpenSelected();
    form.Refresh();

    const auto pick = [&](std::size_t count) {
      return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    int done = 0;
    std::function<void()> act;
    QEventLoop loop;
    QTimer monkey;
    monkey.setInterval(1);
    QObject::connect(&monkey, &QTimer::timeout, &monkey, [&] {
      if (done >= steps) {
        // Close whatever is still open, innermost first, then stop.
        if (QWidget* modal = QApplication::activeModalWidget()) {
          if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
          } else {
            modal->close();
          }
          return;
        }
        monkey.stop();
        loop.quit();
        return;
      }
      ++done;
      // The action runs from a timer of its own: a window it opens modally then runs its own
      // event loop, in which the monkey goes on (a timer never interrupts its own slot).
      QTimer::singleShot(0, &monkey, act);
    });
    act = [&] {
      QWidget* window = QApplication::activeModalWidget();
      if (window == nullptr) {
        QList<QWidget*> shown;
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (w->isVisible() && qobject_cast<QMenu*>(w) == nullptr) shown.push_back(w);
        }
        if (shown.isEmpty()) return;
        window = shown[static_cast<qsizetype>(pick(static_cast<std::size_t>(shown.size())))];
      }
      switch (pick(4)) {
        case 0:
        case 1: {
          QList<QAbstractButton*> buttons;
          for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
            if (b->isVisible() && b->isEnabled() && !Forbidden(b->text())) buttons.push_back(b);
          }
          if (!buttons.isEmpty()) {
            buttons[static_cast<qsizetype>(pick(static_cast<std::size_t>(buttons.size())))]
                ->click();
          }
          break;
        }
        case 2: {
          QList<QAction*> actions;
          for (QAction* a : window->findChildren<QAction*>()) {
            if (a->isEnabled() && !a->isSeparator() && a->menu() == nullptr &&
                !a->text().isEmpty() && !Forbidden(a->text())) {
              actions.push_back(a);
            }
          }
          if (!actions.isEmpty()) {
            actions[static_cast<qsizetype>(pick(static_cast<std::size_t>(actions.size())))]
                ->trigger();
          }
          break;
        }
        default: {
          static const char* const kTyped[] = {"0.5",   "-3",  "abc",
                                               "1e308", "",    "0,25",
                                               "12",    "nan", "'; drop table InputDiseases; --"};
          QWidget* focus = QApplication::focusWidget();
          if (focus == nullptr || !focus->isVisible()) break;
          if (auto* edit = qobject_cast<QLineEdit*>(focus)) edit->clear();
          QTest::keyClicks(focus, kTyped[pick(std::size(kTyped))]);
          QTest::keyClick(focus, pick(2) == 0 ? Qt::Key_Return : Qt::Key_Tab);
          break;
        }
      }
    };
    monkey.start();
    loop.exec();
    QCOMPARE(done, steps);
    // The program is still usable: the data set is open or can be opened again.
    form.Refresh();
  }
};

}  // namespace kavrel

QTEST_MAIN(kavrel::MonkeyTest)
#include "monkey_test.moc"
