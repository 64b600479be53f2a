// kavrel: the desktop program. Creates the data module and the windows, runs the start-up of the
// main window and the event loop.

#include <QApplication>

#include "core/base/messages_log.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"
#include "gui/shell/main_form.h"
#include "gui/shell/qt_dialogs.h"

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
