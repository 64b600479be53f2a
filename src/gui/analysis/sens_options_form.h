#pragma once

// TSensOpForm "Sensitivity and uncertainty options": the default variation coefficient, the
// default distribution per variable and the random number generator.

#include <array>
#include <memory>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kavrel {

class RandomSource;
struct AnalysisOptionsState;

class TSensOpForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TSensOpForm(AnalysisOptionsState& state, QWidget* parent = nullptr);
  ~TSensOpForm() override;
  void Show();
  QLineEdit* DefaultValue() const { return value_; }
  QComboBox* Distribution(int v) const { return distributions_[static_cast<std::size_t>(v)]; }
  QComboBox* Generator() const { return generator_; }
  QPushButton* PressButton() const { return press_; }
  QLabel* TestNumber() const { return testNumber_; }

 private:
  AnalysisOptionsState& state_;
  bool showing_ = false;
  QTabWidget* pages_;
  QLineEdit* value_;
  QCheckBox* useAsInput_;
  std::array<QComboBox*, 7> distributions_{};
  QComboBox* generator_;
  // "Test": numbers drawn from the chosen generator while "Press" is held down.
  QPushButton* press_;
  QLabel* testNumber_;
  QTimer* drawing_;
  std::unique_ptr<RandomSource> testSource_;
};

}  // namespace kavrel
