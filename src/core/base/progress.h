#pragma once

// Progress of a long operation (a fit, an analysis, an export, a copy to several data sets). The
// windows show a bar, the command-line tool a line on standard error, the tests a stub.

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

}  // namespace kavrel
