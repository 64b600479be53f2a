#pragma once

// Long work off the GUI thread: the work runs on a worker thread while the event loop goes on, a
// progress window shows how much is done and offers Cancel, and the window that started it is
// disabled (not frozen) until it ends.
//
// The work must not touch a widget, the dialogs or any object the GUI thread uses meanwhile; it
// counts on the SharedProgress, which this thread reads. Questions are put before it starts and
// results are shown after it ends, both here.

#include <functional>

#include <QString>

class QWidget;

namespace kavrel {

class SharedProgress;
class TableCursor;

// Runs work(progress) on a worker thread and waits for it with the event loop running. Returns
// false when the user cancelled (the work was asked to stop between its units and has ended);
// rethrows here what the work threw. cancellable: whether the window offers Cancel.
bool RunInBackground(QWidget* owner, const QString& title, SharedProgress& progress,
                     const std::function<void(SharedProgress&)>& work, bool cancellable = true);

// For background work that moves the data module's diseases cursor: the windows that follow the
// cursor are told nothing while it runs (they would be told on the worker's thread) and are told
// once when it has ended.
class QuietCursor {
 public:
  explicit QuietCursor(TableCursor& cursor);
  ~QuietCursor();
  QuietCursor(const QuietCursor&) = delete;
  QuietCursor& operator=(const QuietCursor&) = delete;

 private:
  TableCursor& cursor_;
  std::function<void()> listener_;
};

// Whether background work is running now (the program's other commands wait for it).
bool BackgroundWorkRunning();

}  // namespace kavrel
