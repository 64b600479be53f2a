#pragma once

// TFitOpForm "Smooth and fit options": what the age schedule window's procedures read.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace kavrel {

struct FitOptionsWindowState;

class TFitOpForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TFitOpForm(FitOptionsWindowState& state, QWidget* parent = nullptr);

  void Show();
  QTabWidget* Pages() const { return pages_; }
  QCheckBox* AddLow() const { return addLow_; }
  QSpinBox* LowAge() const { return lowAge_; }
  QLineEdit* LowValue() const { return lowValue_; }
  QSpinBox* Period() const { return period_; }

 private:
  FitOptionsWindowState& state_;
  bool showing_ = false;
  QTabWidget* pages_;
  QCheckBox* weight_;
  QCheckBox* mean_;
  QSpinBox* order_;
  QCheckBox* addLow_;
  QSpinBox* lowAge_;
  QLineEdit* lowValue_;
  QCheckBox* addHigh_;
  QSpinBox* highAge_;
  QLineEdit* highValue_;
  QSpinBox* period_;
  QSpinBox* lower_;
  QSpinBox* higher_;
};

}  // namespace kavrel
