#pragma once

// TSensOpForm "Sensitivity and uncertainty options": the default variation coefficient, the
// default distribution per variable and the random number generator.

#include <array>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace kavrel {

struct AnalysisOptionsState;

class TSensOpForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TSensOpForm(AnalysisOptionsState& state, QWidget* parent = nullptr);
  void Show();
  QLineEdit* DefaultValue() const { return value_; }
  QComboBox* Distribution(int v) const { return distributions_[static_cast<std::size_t>(v)]; }
  QComboBox* Generator() const { return generator_; }

 private:
  AnalysisOptionsState& state_;
  bool showing_ = false;
  QTabWidget* pages_;
  QLineEdit* value_;
  QCheckBox* useAsInput_;
  std::array<QComboBox*, 7> distributions_{};
  QComboBox* generator_;
};

}  // namespace kavrel
