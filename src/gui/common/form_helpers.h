#pragma once

// Small pieces the windows share.

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "core/base/clock.h"

class QAbstractItemView;
class QButtonGroup;
class QEvent;
class QGroupBox;
class QPrinter;
class QPushButton;
class QWidget;

namespace kavrel {

class TextGrid;
class UserDialogs;
struct Tagegrouplist;

// The program's dialogs, for the windows made without them (result tables and graphs): set by the
// main window for its lifetime; null before and after.
void SetProgramDialogs(UserDialogs* dialogs);
UserDialogs* ProgramDialogs();

// What else the result windows use of the program, set by the main window for its lifetime (each
// member empty or null when there is no main window, as in tests of a window alone).
struct ProgramServices {
  QPrinter* Printer = nullptr;  // the one printer of "&Printer setup"
  std::function<std::string()> DatasetName;
  // Runs the age group editor modally on a list ("Define").
  std::function<void(Tagegrouplist&)> DefineAgeGroups;
  // Hands a grid with its header lines to the storage grid window and shows it.
  std::function<void(const TextGrid&, const std::vector<std::string>&)> StoreGrid;
};
ProgramServices& Services();

// Runs one of a window's commands: a cell still being typed in one of the grids is handed to its
// grid first, then the command runs (under the hourglass cursor when busy), and an error it raises
// is shown in a message box. The window draws its model again afterwards, also after an error.
void RunCommand(UserDialogs& dialogs, const std::function<void()>& command,
                std::initializer_list<QAbstractItemView*> grids = {}, bool busy = false);

// The date and the time of the clock as the user's locale writes them, short.
struct LocalDateTime {
  std::string Date;
  std::string Time;
};
LocalDateTime LocalDateAndTime(const Clock& clock);

// The decimal separator of the user's locale, as the core reads and writes numbers with it.
char LocaleDecimalSeparator();

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
