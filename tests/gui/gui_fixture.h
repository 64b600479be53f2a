#pragma once

// A fresh installation in a temporary directory and the program's main window on it, with the
// questions answered from a script.

#include <filesystem>
#include <fstream>
#include <string>

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <unistd.h>

#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"
#include "example_data.h"
#include "gui/agesched/age_group_form.h"
#include "gui/shell/main_form.h"
#include "gui/store/dataset_form.h"

namespace kavrel::gui_test {

namespace fs = std::filesystem;

// A fresh installation: program directory with templates and settings, data directory with
// the local collection and the example, no data settings yet (a first start).
struct Installation {
  Installation() {
    root = fs::temp_directory_path() / ("kavrel-gui-" + std::to_string(::getpid()));
    fs::remove_all(root);
    program = (root / "bin").string() + "/";
    install::BuildTemplates(program);
    install::BuildExampleData(program, (root / "KavrelData").string());
    fs::create_directories(root / "bin" / "help");
    std::ofstream(program + "help/1000.html") << "<h1>Kavrel</h1>";
    std::ofstream(program + "Kavrel.ini")
        << "[Filedirs]\nfd1=" << (root / "KavrelData").string() << "\n";
  }
  ~Installation() { fs::remove_all(root); }
  fs::path root;
  std::string program;
};

struct Program {
  explicit Program(const Installation& installation)
      : form({settings, data, dialogs, log, installation.program}) {}
  SettingsState settings;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
  MessagesLog log{[] { return std::string("12:00:00"); }};
  TMainForm form;
};

inline void OpenExample(Program& p) {
  TDatasetForm* sets = p.form.DatasetForm();
  sets->Bind();
  QCOMPARE(sets->Grid()->count(), 1);
  QCOMPARE(sets->Status()->text(), QString("Closed"));
  sets->OpenSelected();
}

// The opening most window tests share: a fresh installation, the program started on it, the
// example data set open.
struct OpenedExample {
  Installation installation;
  Program p{installation};
  // False (the test has failed) when the program did not start or the example did not open.
  bool Open() {
    if (!p.form.StartUp()) return false;
    OpenExample(p);
    return !QTest::currentTestFailed() && p.data.DatasetIsOpen();
  }
};

// Runs the checks once a modal dialog is up, then makes sure it closes, even when a check failed.
template <typename Body>
void WhenShown(QDialog* dialog, Body body) {
  QTimer::singleShot(0, dialog, [dialog, body] {
    body();
    if (dialog->isVisible()) dialog->reject();
    if (dialog->isVisible()) {
      // A closing question left unanswered keeps the window: the test fails rather than hangs.
      dialog->hide();
      QTest::qFail("the window stayed open when closed: a question was not answered", __FILE__,
                   __LINE__);
    }
  });
}

// The age group editor, when it next shows, makes new groups `width` years wide up to the highest
// age and closes: what "Define" then takes.
inline void NewAgeGroupsWhenShown(TAgegroupForm* ages, int width) {
  WhenShown(ages, [ages, width] {
    ages->Button("New")->click();
    ages->Width()->setValue(width);
    ages->Button("Fill schedule")->click();
    ages->Button("Done")->click();
    ages->Button("&Close")->click();
  });
}

}  // namespace kavrel::gui_test
