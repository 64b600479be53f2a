#include "gui/shell/form_helpers.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

namespace kavrel {

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
