#include "gui/common/help.h"

#include <algorithm>

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace kavrel {

namespace {

constexpr const char* kTopicProperty = "kavrelHelpTopic";

HelpHandler& Handler() {
  static HelpHandler handler;
  return handler;
}

// The box layout that holds the widget, searched from layout down; null when none does.
QBoxLayout* HoldingLayout(QLayout* layout, QWidget* widget, int* index) {
  if (layout == nullptr) return nullptr;
  for (int k = 0; k < layout->count(); ++k) {
    QLayoutItem* item = layout->itemAt(k);
    if (item->widget() == widget) {
      auto* box = qobject_cast<QBoxLayout*>(layout);
      if (box != nullptr) *index = k;
      return box;
    }
    if (QBoxLayout* found = HoldingLayout(item->layout(), widget, index)) return found;
  }
  return nullptr;
}

// A window about to show: one that is not a dialog (graphs, tables, the storage grid, the age
// schedule window) opens beside the window that opened it instead of at a screen corner; every
// window is kept on the screen, its title bar included.
void PlaceOnScreen(QWidget* window) {
  const Qt::WindowType type = window->windowType();
  if (type != Qt::Window && type != Qt::Dialog) return;
  const bool placed = window->property("kavrelPlaced").toBool();
  window->setProperty("kavrelPlaced", true);
  QWidget* opener = window->parentWidget() != nullptr ? window->parentWidget()->window()
                                                      : QApplication::activeWindow();
  if (opener == window) opener = nullptr;
  // An opener that is not on the screen yet (a window opening with its graph) has no place:
  // the window above it has.
  while (opener != nullptr && !opener->isVisible()) {
    opener = opener->parentWidget() != nullptr ? opener->parentWidget()->window() : nullptr;
  }
  QScreen* screen = opener != nullptr ? opener->screen() : window->screen();
  if (screen == nullptr) return;
  const QRect free = screen->availableGeometry();
  constexpr int kTitleBar = 32;
  // Wide enough for its title beside the title bar's buttons.
  const int titleWidth = window->fontMetrics().horizontalAdvance(window->windowTitle()) + 140;
  if (window->width() < titleWidth && titleWidth <= free.width() &&
      window->maximumWidth() >= titleWidth) {
    window->resize(titleWidth, window->height());
  }
  // A window asked for smaller than its layout allows grows to that size when shown.
  const QSize size = window->size().expandedTo(window->minimumSizeHint());
  QPoint at = window->pos();
  if (!placed && qobject_cast<QDialog*>(window) == nullptr && opener != nullptr) {
    // Beside the opener where there is room, else on the side with the most room, so that as
    // little as possible of either is covered.
    const QRect by = opener->frameGeometry();
    constexpr int kGap = 8;
    at.setY(by.top());
    if (by.right() + kGap + size.width() <= free.right()) {
      at.setX(by.right() + kGap);
    } else if (by.left() - kGap - size.width() >= free.left()) {
      at.setX(by.left() - kGap - size.width());
    } else if (free.right() - by.right() >= by.left() - free.left()) {
      at.setX(free.right() - size.width());
    } else {
      at.setX(free.left());
    }
  }
  at.setX(std::max(free.left(), std::min(at.x(), free.right() - size.width())));
  at.setY(std::max(free.top(), std::min(at.y(), free.bottom() - size.height() - kTitleBar)));
  if (at != window->pos()) window->move(at);
}

class HelpKeyFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* widget = qobject_cast<QWidget*>(watched); widget != nullptr && widget->isWindow()) {
        PlaceOnScreen(widget);
      }
      return false;
    }
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) {
      return false;
    }
    // The first widget to receive the key (the one with the keyboard) opens its window's help.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    ShowHelpFor(widget);
    return true;
  }
};

}  // namespace

void SetHelpTopic(QWidget* window, int topic) {
  if (window != nullptr) window->setProperty(kTopicProperty, topic);
}

int HelpTopicOf(const QWidget* widget) {
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    const QVariant topic = w->property(kTopicProperty);
    if (topic.isValid()) return topic.toInt();
  }
  return 0;
}

QPushButton* AddHelp(QWidget* window, int topic) {
  SetHelpTopic(window, topic);
  auto* help = new QPushButton("Help");
  help->setObjectName("kavrelHelpButton");
  QObject::connect(help, &QPushButton::clicked, window, [window] { ShowHelpFor(window); });
  for (QDialogButtonBox* box : window->findChildren<QDialogButtonBox*>()) {
    if (box->window() != window) continue;
    box->addButton(help, QDialogButtonBox::HelpRole);
    return help;
  }
  for (const char* caption : {"&Close", "Close", "E&xit", "&Cancel", "Cancel", "OK", "&OK"}) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
      if (button->text() != caption || button->window() != window) continue;
      int index = 0;
      if (QBoxLayout* row = HoldingLayout(window->layout(), button, &index)) {
        row->insertWidget(index + 1, help);
        return help;
      }
    }
  }
  if (auto* box = qobject_cast<QBoxLayout*>(window->layout())) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(help);
    box->addLayout(row);
  } else if (window->layout() != nullptr) {
    window->layout()->addWidget(help);
  } else {
    help->setParent(window);
  }
  return help;
}

namespace {
std::function<void(const QString&)>& StatusHandler() {
  static std::function<void(const QString&)> handler;
  return handler;
}
}  // namespace

void SetStatusHandler(std::function<void(const QString&)> handler) {
  StatusHandler() = std::move(handler);
}

void ShowStatus(const QString& text) {
  if (StatusHandler()) StatusHandler()(text);
}

void SetHelpHandler(HelpHandler handler) { Handler() = std::move(handler); }

void ShowHelpFor(QWidget* window) {
  const int topic = HelpTopicOf(window);
  if (Handler()) Handler()(window, topic > 0 ? topic : 1000);
}

QObject* NewHelpKeyFilter(QObject* parent) { return new HelpKeyFilter(parent); }

}  // namespace kavrel
