#pragma once

// TAmoebeForm "Downhill simplex options": the minimiser's settings, as typed.

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace kavrel {

struct SimplexSettings;

class TAmoebeForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TAmoebeForm(SimplexSettings& state, QWidget* parent = nullptr);

  void Show();
  QLineEdit* Field(int k) const { return fields_[static_cast<std::size_t>(k)]; }
  QCheckBox* Warn() const { return warn_; }
  QCheckBox* Ask() const { return ask_; }
  void ResetDefaults();

 private:
  SimplexSettings& state_;
  QCheckBox* warn_;
  QCheckBox* ask_;
  std::array<QLineEdit*, 6> fields_{};
};

}  // namespace kavrel
