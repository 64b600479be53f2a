#include "gui/common/background.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include "core/base/progress.h"
#include "core/store/table_cursor.h"

namespace kavrel {

namespace {
std::atomic<int> running{0};
}  // namespace

bool BackgroundWorkRunning() { return running > 0; }

QuietCursor::QuietCursor(TableCursor& cursor) : cursor_(cursor), listener_(cursor.Listener()) {
  cursor_.SetListener(nullptr);
}

QuietCursor::~QuietCursor() {
  cursor_.SetListener(listener_);
  if (listener_) listener_();
}

bool RunInBackground(QWidget* owner, const QString& title, SharedProgress& progress,
                     const std::function<void(SharedProgress&)>& work, bool cancellable) {
  std::atomic<bool> finished{false};
  std::exception_ptr failure;
  QProgressDialog window(title, cancellable ? QString("Cancel") : QString(), 0, 0, owner);
  window.setWindowTitle(title);
  window.setWindowModality(Qt::WindowModal);
  window.setAutoClose(false);
  window.setAutoReset(false);
  window.setMinimumDuration(300);  // short work shows no window
  window.setMinimumWidth(360);
  if (!cancellable) window.setCancelButton(nullptr);
  bool cancelled = false;
  const auto cancel = [&] {
    if (cancelled) return;
    cancelled = true;
    progress.RequestCancel();
    window.setLabelText(title + ": cancelling after the current step...");
    window.show();  // cancelling hides it; it stays until the work has stopped
  };
  QObject::connect(&window, &QProgressDialog::canceled, &window, cancel);
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(50);
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (window.wasCanceled()) cancel();
    // Work that has not counted yet (preparing) shows the window too, with its Cancel.
    if (!finished && !window.isVisible() && clock.elapsed() > 300) window.show();
    const int total = progress.Total();
    const int done = std::min(progress.Done(), total);
    if (total > 0) {
      if (window.maximum() != total) window.setMaximum(total);
      if (!cancelled) window.setLabelText(title + QString(": %1 of %2").arg(done).arg(total));
      window.setValue(done);
    }
    if (finished) loop.quit();
  });
  // The owner's controls are disabled, not the owner itself: that would disable this window too.
  std::vector<QWidget*> disabled;
  if (owner != nullptr) {
    for (QWidget* child : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isWindow() || !child->isEnabled()) continue;
      child->setEnabled(false);
      disabled.push_back(child);
    }
  }
  ++running;
  std::thread worker([&] {
    try {
      work(progress);
    } catch (...) {
      failure = std::current_exception();
    }
    finished = true;
  });
  poll.start();
  loop.exec();
  worker.join();
  --running;
  poll.stop();
  window.hide();
  for (QWidget* child : disabled) child->setEnabled(true);
  if (failure) std::rethrow_exception(failure);
  return !cancelled && !progress.CancelRequested();
}

}  // namespace kavrel
