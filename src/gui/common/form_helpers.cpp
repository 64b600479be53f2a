#include "gui/common/form_helpers.h"

#include <optional>

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

#include "core/base/user_dialogs.h"
#include "gui/common/busy_cursor.h"

namespace kavrel {

namespace {

UserDialogs* programDialogs = nullptr;  // touched on the GUI thread only

}  // namespace

void SetProgramDialogs(UserDialogs* dialogs) { programDialogs = dialogs; }

UserDialogs* ProgramDialogs() { return programDialogs; }

ProgramServices& Services() {
  static ProgramServices services;  // touched on the GUI thread only
  return services;
}

void RunCommand(UserDialogs& dialogs, const std::function<void()>& command,
                std::initializer_list<QAbstractItemView*> grids, bool busy) {
  // Taking the focus from a cell editor makes it hand its text to the grid.
  for (QAbstractItemView* grid : grids) {
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus != grid && grid->isAncestorOf(focus)) grid->setFocus();
  }
  try {
    std::optional<BusyCursor> cursor;
    if (busy) cursor.emplace();
    command();
  } catch (const std::exception& error) {
    dialogs.ShowError(error.what());
  }
}

LocalDateTime LocalDateAndTime(const Clock& clock) {
  const QDateTime now = QDateTime::fromMSecsSinceEpoch(
      std::chrono::duration_cast<std::chrono::milliseconds>(clock().time_since_epoch()).count());
  const QLocale locale;
  return {locale.toString(now.date(), QLocale::ShortFormat).toStdString(),
          locale.toString(now.time(), QLocale::ShortFormat).toStdString()};
}

char LocaleDecimalSeparator() { return QLocale().decimalPoint() == "," ? ',' : '.'; }

QGroupBox* RadioBox(const QString& title, QButtonGroup* group,
                    std::initializer_list<const char*> items, bool horizontal) {
  auto* box = new QGroupBox(title);
  QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                  : static_cast<QBoxLayout*>(new QVBoxLayout(box));
  int id = 0;
  for (const char* item : items) {
    auto* button = new QRadioButton(item);
    group->addButton(button, id++);
    layout->addWidget(button);
  }
  if (group->button(0) != nullptr) group->button(0)->setChecked(true);
  return box;
}

QPushButton* FindButton(const QWidget* window, const QString& text) {
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    if (button->text() == text && button->window() == window) return button;
  }
  return nullptr;
}

ClipboardKey ClipboardKeyOf(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return ClipboardKey::kNone;
  const auto* key = static_cast<const QKeyEvent*>(event);
  if (key->matches(QKeySequence::Copy)) return ClipboardKey::kCopy;
  if (key->matches(QKeySequence::Cut)) return ClipboardKey::kCut;
  if (key->matches(QKeySequence::Paste)) return ClipboardKey::kPaste;
  return ClipboardKey::kNone;
}

}  // namespace kavrel
