#pragma once

// TViewOpForm "Set graph and table options": what every new graph line and result table column
// starts from.

#include <array>
#include <functional>

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace kavrel {

class UserDialogs;
struct ViewOptionsState;

class TViewOpForm final : public QDialog {
  Q_OBJECT
 public:
  // defineAgeGroups: the "Define" button of the tables page (runs the age group editor and takes
  // its groups as the tables' groups).
  TViewOpForm(ViewOptionsState& state, UserDialogs& dialogs, std::function<void()> defineAgeGroups,
              QWidget* parent = nullptr);

  void Show();
  QTabWidget* Pages() const { return pages_; }
  QCheckBox* InputVisible(int v) const { return inputVisible_[static_cast<std::size_t>(v)]; }
  QCheckBox* InputRight(int v) const { return inputRight_[static_cast<std::size_t>(v)]; }
  QPushButton* InputColour(int v) const { return inputColour_[static_cast<std::size_t>(v)]; }
  QCheckBox* TableOutputVisible(int k) const { return tableOutput_[static_cast<std::size_t>(k)]; }
  QComboBox* RatesPer() const { return rates_; }
  QCheckBox* Numbers() const { return numbers_; }
  QCheckBox* IntervalBands() const { return bands_; }
  QCheckBox* IntervalColumns() const { return limits_; }

 private:
  QPushButton* ColourButton(std::uint32_t& colour);

  ViewOptionsState& state_;
  UserDialogs& dialogs_;
  bool showing_ = false;
  QTabWidget* pages_;
  std::array<QCheckBox*, 7> inputVisible_{}, inputRight_{}, outputVisible_{}, outputRight_{};
  std::array<QPushButton*, 7> inputColour_{}, outputColour_{};
  std::array<QPushButton*, 8> uncertaintyColour_{};
  QSpinBox* inputWidth_;
  QSpinBox* outputWidth_;
  QSpinBox* uncertaintyWidth_;
  std::array<QCheckBox*, 7> tableInput_{};
  std::array<QCheckBox*, 8> tableOutput_{};
  QComboBox* rates_;
  QSpinBox* decimals_;
  QCheckBox* numbers_;
  QCheckBox* bands_;
  QCheckBox* limits_;
  QButtonGroup* outputRates_;
};

}  // namespace kavrel
