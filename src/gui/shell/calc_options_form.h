#pragma once

// TCalcOpForm "Calculation options": width of the fitting age groups and smoothing, birth
// prevalence, the hazards' maxima, what opens with the processing window, and the weights.

#include <array>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace kavrel {

struct CalcOptionsWindowState;

class TCalcOpForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TCalcOpForm(CalcOptionsWindowState& state, QWidget* parent = nullptr);

  // Shows the state as it stands (the weights page set up by the processing window).
  void Show();
  QTabWidget* Pages() const { return pages_; }
  QCheckBox* Box(const QString& text) const;
  std::array<QCheckBox*, 7> IgnoreBoxes() const { return ignore_; }
  std::array<QCheckBox*, 3> ExactBoxes() const { return exact_; }
  std::array<QLineEdit*, 3> MaximumEdits() const { return maximum_; }
  // Closing with a maximum or smoothness the calculation would refuse: the error, the field
  // selected, the window stays open.
  void done(int result) override;

 private:
  CalcOptionsWindowState& state_;
  bool showing_ = false;
  QTabWidget* pages_;
  QSpinBox* width_;
  QCheckBox* linear_;
  QCheckBox* movingAverage_;
  QCheckBox* cubic_;
  QCheckBox* birth_;
  QCheckBox* age0Only_;
  std::array<QLineEdit*, 3> maximum_{};
  std::array<QSpinBox*, 3> enforced_{};
  QComboBox* fitMethod_;
  QLineEdit* smoothness_;
  QSpinBox* reportPercent_;
  QCheckBox* openGraph_;
  QCheckBox* openTable_;
  std::array<QSlider*, 7> weight_{};
  std::array<QCheckBox*, 7> ignore_{};
  std::array<QCheckBox*, 3> exact_{};
};

}  // namespace kavrel
