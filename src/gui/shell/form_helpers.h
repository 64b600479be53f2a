#pragma once

// Small pieces the windows share.

#include <initializer_list>
#include <string_view>

#include <QString>

class QButtonGroup;
class QEvent;
class QGroupBox;
class QPushButton;
class QWidget;

namespace kavrel {

// A text of the system as Qt shows it.
inline QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// A captioned box of radio buttons, numbered 0, 1, ... in the group, the first one chosen.
QGroupBox* RadioBox(const QString& title, QButtonGroup* group,
                    std::initializer_list<const char*> items, bool horizontal = false);

// The window's own button with this caption (not one of a window it owns), or null.
QPushButton* FindButton(const QWidget* window, const QString& text);

// The clipboard keys a grid window sees before its grids do.
enum class ClipboardKey { kNone, kCopy, kCut, kPaste };
ClipboardKey ClipboardKeyOf(const QEvent* event);
// Runs the command of a clipboard key; true when the event was one.
template <typename Copy, typename Cut, typename Paste>
bool RunClipboardKey(const QEvent* event, Copy copy, Cut cut, Paste paste) {
  switch (ClipboardKeyOf(event)) {
    case ClipboardKey::kCopy:
      copy();
      return true;
    case ClipboardKey::kCut:
      cut();
      return true;
    case ClipboardKey::kPaste:
      paste();
      return true;
    case ClipboardKey::kNone:
      break;
  }
  return false;
}

}  // namespace kavrel
