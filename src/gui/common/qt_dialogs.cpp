#include "gui/common/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include "gui/common/small_dialogs.h"

namespace kavrel {

namespace {

QStringList ToList(const std::vector<std::string>& items) {
  QStringList list;
  for (const auto& item : items) list << QString::fromStdString(item);
  return list;
}

// "Kavrel database (*.mdb)|*.mdb" as Qt writes filters: "Kavrel database (*.mdb)".
// A question asked in the middle of a long command shows the normal cursor while it waits for the
// user, then the hourglass again.
class ArrowWhileAsking {
 public:
  ArrowWhileAsking() : busy_(QApplication::overrideCursor() != nullptr) {
    if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ArrowWhileAsking() {
    if (busy_) QApplication::restoreOverrideCursor();
  }
  ArrowWhileAsking(const ArrowWhileAsking&) = delete;
  ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

 private:
  bool busy_;
};

// "Description|pattern|Description|pattern" as the file dialog takes it: the descriptions, each
// a choice of its own.
QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList descriptions;
  for (int k = 0; k < parts.size(); k += 2) descriptions.append(parts[k]);
  return descriptions.join(";;");
}

}  // namespace

namespace {

// A question asked by background work (a worker thread) is put to the user on the GUI thread,
// which waits for the work in its event loop; the worker waits for the answer.
template <typename Ask>
auto OnGuiThread(Ask&& ask) -> decltype(ask()) {
  decltype(ask()) answer{};
  QMetaObject::invokeMethod(
      qApp, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
  return answer;
}

bool OffGuiThread() { return QThread::currentThread() != qApp->thread(); }

}  // namespace

QWidget* QtUserDialogs::Owner() const {
  // The window the user is working in: a box asked from the processing window opens over it and
  // gives the keyboard back to it, not to the main window behind.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return parent_;
}

DialogButton QtUserDialogs::Message(std::string_view text, DialogKind kind, DialogButtons buttons) {
  if (OffGuiThread()) return OnGuiThread([&] { return Message(text, kind, buttons); });
  const ArrowWhileAsking arrow;
  QMessageBox box(Owner());
  box.setWindowTitle("Kavrel");
  box.setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  switch (kind) {
    case DialogKind::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case DialogKind::kWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case DialogKind::kError:
      box.setIcon(QMessageBox::Critical);
      break;
    case DialogKind::kConfirmation:
      box.setIcon(QMessageBox::Question);
      break;
  }
  QMessageBox::StandardButtons standard;
  if (buttons.Has(DialogButton::kYes)) standard |= QMessageBox::Yes;
  if (buttons.Has(DialogButton::kNo)) standard |= QMessageBox::No;
  if (buttons.Has(DialogButton::kCancel)) standard |= QMessageBox::Cancel;
  if (buttons.Has(DialogButton::kOK)) standard |= QMessageBox::Ok;
  box.setStandardButtons(standard);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return DialogButton::kYes;
    case QMessageBox::No:
      return DialogButton::kNo;
    case QMessageBox::Ok:
      return DialogButton::kOK;
    default:
      return buttons.Has(DialogButton::kCancel) ? DialogButton::kCancel
             : buttons.Has(DialogButton::kNo)   ? DialogButton::kNo
                                                : DialogButton::kOK;
  }
}

int QtUserDialogs::ChooseFromList(std::string_view caption, const std::vector<std::string>& items) {
  if (OffGuiThread()) return OnGuiThread([&] { return ChooseFromList(caption, items); });
  const ArrowWhileAsking arrow;
  ListChoiceDialog dialog(Owner());
  return dialog.Choose(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())),
                       ToList(items));
}

std::optional<std::string> QtUserDialogs::ChooseFile(const FileDialogRequest& request) {
  if (OffGuiThread()) return OnGuiThread([&] { return ChooseFile(request); });
  const ArrowWhileAsking arrow;
  // Without a folder of its own the dialog starts in the user's home, not in the program's folder.
  const QString directory =
      request.directory.empty() ? QDir::homePath() : QString::fromStdString(request.directory);
  QFileDialog dialog(Owner(), QString::fromStdString(request.title), directory,
                     QtFilter(request.filter));
  dialog.setAcceptMode(request.mode == FileDialogRequest::Mode::kSave ? QFileDialog::AcceptSave
                                                                      : QFileDialog::AcceptOpen);
  if (request.mode == FileDialogRequest::Mode::kOpen) dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  // A name typed without an extension takes that of the filter chosen ("SVG drawing (*.svg)"
  // writes name.svg), not the first filter's.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
    static const QRegularExpression extension(R"(\*\.(\w+))");
    const QRegularExpressionMatch match = extension.match(f);
    if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
  });
  // The program asks its own questions about existing files.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.defaultName.empty()) dialog.selectFile(QString::fromStdString(request.defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

std::optional<std::vector<int>> QtUserDialogs::CheckList(std::string_view caption,
                                                         const std::vector<std::string>& items,
                                                         const std::vector<bool>& checked) {
  if (OffGuiThread()) return OnGuiThread([&] { return CheckList(caption, items, checked); });
  const ArrowWhileAsking arrow;
  CheckListDialog dialog(Owner());
  dialog.Fill(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())), ToList(items),
              checked);
  dialog.exec();
  return dialog.CheckedRows();
}

std::optional<std::uint32_t> QtUserDialogs::ChooseColour(std::uint32_t initial) {
  if (OffGuiThread()) return OnGuiThread([&] { return ChooseColour(initial); });
  const ArrowWhileAsking arrow;
  const QColor start(static_cast<int>(initial & 0xff), static_cast<int>((initial >> 8) & 0xff),
                     static_cast<int>((initial >> 16) & 0xff));
  const QColor chosen = QColorDialog::getColor(start, Owner());
  if (!chosen.isValid()) return std::nullopt;
  return static_cast<std::uint32_t>(chosen.red()) |
         (static_cast<std::uint32_t>(chosen.green()) << 8) |
         (static_cast<std::uint32_t>(chosen.blue()) << 16);
}

std::optional<std::string> QtUserDialogs::SaveAsName(std::string_view currentName) {
  if (OffGuiThread()) return OnGuiThread([&] { return SaveAsName(currentName); });
  const ArrowWhileAsking arrow;
  SaveAsDialog dialog(Owner());
  dialog.SetCurrentName(
      QString::fromUtf8(currentName.data(), static_cast<int>(currentName.size())));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.GetNewName().toStdString();
}

}  // namespace kavrel
