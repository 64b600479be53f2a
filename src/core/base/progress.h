#pragma once

// Progress of a long operation (a fit, an analysis, an export, a copy to several data sets). The
// windows show a bar, the command-line tool a line on standard error, the tests a stub.
//
// Threads: an operation may call Advance and CancelRequested from its worker threads (one at a
// time). An implementation that draws must therefore never touch a widget in them: the windows
// give the operation a SharedProgress and let their own thread read it.

#include <atomic>

namespace kavrel {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void Start(int total) = 0;
  virtual void Advance(int units = 1) = 0;
  virtual void Finish() = 0;
  // Checked by the operation between units of work.
  virtual bool CancelRequested() const = 0;
};

// For operations run where nobody watches.
class NoProgress final : public Progress {
 public:
  void Start(int) override {}
  void Advance(int) override {}
  void Finish() override {}
  bool CancelRequested() const override { return false; }
};

// Counted by the workers, read by the thread that shows it, cancelled from there. Every member may
// be called from any thread.
class SharedProgress final : public Progress {
 public:
  void Start(int total) override {
    done_ = 0;
    total_ = total;
  }
  void Advance(int units) override { done_ += units; }
  void Finish() override {}
  bool CancelRequested() const override { return cancel_; }

  void RequestCancel() { cancel_ = true; }
  int Total() const { return total_; }
  int Done() const { return done_; }

 private:
  std::atomic<int> total_{0};
  std::atomic<int> done_{0};
  std::atomic<bool> cancel_{false};
};

}  // namespace kavrel
