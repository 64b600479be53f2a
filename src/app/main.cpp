// kavrel: the desktop program. Creates the data module and the windows, runs the start-up of the
// main window and the event loop.

#include <iostream>
#include <string_view>

#include <QApplication>

#include "core/base/messages_log.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"
#include "gui/common/qt_dialogs.h"
#include "gui/shell/main_form.h"

namespace {

// Errors a command did not handle are shown, and the program goes on.
class KavrelApplication final : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      kavrel::QtUserDialogs(nullptr).ShowError(e.what());
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Help without a window, a display or a data directory made.
  for (int k = 1; k < argc; ++k) {
    const std::string_view argument(argv[k]);
    if (argument == "--help" || argument == "-h") {
      std::cout
          << "Usage: kavrel\n\n"
             "Kavrel, descriptive epidemiology of one disease at a time: the desktop program.\n"
             "It starts on the current collection of your data directory; choose Data, Data\n"
             "set, select Example and press Open to see the example. Every window has a Help\n"
             "button, and F1 opens the help page of the window in use. The command-line tool\n"
             "is kavrel-cli (kavrel-cli --help).\n";
      return 0;
    }
  }
  KavrelApplication app(argc, argv);
  QApplication::setApplicationName("Kavrel");
  kavrel::QtUserDialogs dialogs;
  if (!kavrel::TDataKavrel::CheckEngine(dialogs)) return 1;
  kavrel::TDataKavrel data(dialogs);
  kavrel::MessagesLog log;
  kavrel::SettingsState settings;
  kavrel::TMainForm main({settings, data, dialogs, log, kavrel::ExecutableDirectory()});
  dialogs.SetParent(&main);
  main.show();
  if (!main.StartUp()) return 1;
  return QApplication::exec();
}
