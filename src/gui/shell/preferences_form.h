#pragma once

// TSetprefForm "Preferences": the current preference set (the option windows' settings and the
// display settings of the editing windows), saved under a name in the open collection, read back,
// deleted, or restored to the defaults.

#include <functional>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kavrel {

class TDataKavrel;
class Tpreferences;
class UserDialogs;
struct PreferenceWindows;

class TSetprefForm final : public QDialog {
  Q_OBJECT
 public:
  struct Environment {
    Tpreferences& Preferences;
    std::function<PreferenceWindows()> Windows;
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    std::function<void(int topic)> ShowHelp;
    // The pop-up menu's option windows (null: not available).
    std::function<void()> CalculationOptions;
    std::function<void()> SimplexOptions;
  };
  explicit TSetprefForm(Environment environment, QWidget* parent = nullptr);

  void Show();
  void Save();
  void Read();
  void Delete();
  void Restore();
  void ChooseAgeGroups(int which);

  QLabel* CurrentName() const { return current_; }
  QLineEdit* NameEdit() const { return name_; }
  QPushButton* Button(const QString& text) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  template <typename Command>
  void Do(Command&& command);

  Environment env_;
  QLabel* current_;
  QLineEdit* name_;
};

}  // namespace kavrel
