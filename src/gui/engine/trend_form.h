#pragma once

// TTrendForm "Past trends for ...": yearly changes of incidence, remission and case fatality
// over periods going back from the present.

#include <memory>

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kavrel {

class Tdisease;
class TrendWindow;
class UserDialogs;

class TTrendForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TTrendForm(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~TTrendForm() override;

  // Sets the window up on the disease; Edit also shows it modally and returns the check's result
  // on closing: true when any hazard has a period.
  void Prepare(Tdisease& disease);
  bool Edit(Tdisease& disease);

  TrendWindow* Model() const { return model_.get(); }
  QButtonGroup* Hazards() const { return hazards_; }
  QSpinBox* Number() const { return number_; }
  QSpinBox* Start() const { return start_; }
  QSpinBox* End() const { return end_; }
  QLineEdit* Value() const { return value_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }
  QListWidget* Periods() const { return periods_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  void Show();

  UserDialogs& dialogs_;
  std::unique_ptr<TrendWindow> model_;
  QButtonGroup* hazards_;
  QGroupBox* period_;
  QSpinBox* number_;
  QSpinBox* start_;
  QSpinBox* end_;
  QLineEdit* value_;
  QPushButton* add_;
  QPushButton* delete_;
  QListWidget* periods_;
  bool showing_ = false;
};

}  // namespace kavrel
