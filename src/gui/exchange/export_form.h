#pragma once

// The export window: stored results of the current, all or selected diseases as a comma-delimited
// text file, a spreadsheet, or rows of a Prevent input database.

#include <QDialog>

#include "core/exchange/export.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

#include "core/base/clock.h"

namespace kavrel {

class MessagesLog;
class TAgegroupForm;
class TDataKavrel;
class Tagegrouplist;
class UserDialogs;
struct PopulationSeries;

class TExportForm final : public QDialog {
  Q_OBJECT
 public:
  struct Environment {
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    Tagegrouplist& CurrentAgeGroups;
    TAgegroupForm& AgeGroups;
    // The window's controls as the program keeps them between openings and the preferences
    // set them, and the preferred age schedule of spreadsheet and text exports (0: none).
    ExportWindowState& State;
    const int& PreferredSchedule;
    const Clock& Now;  // the workspace's clock
    // The view options' "Output rates": the tables' incidence is the one the screen shows.
    const bool& HazardsOutput;
    MessagesLog& Log;  // notes on stored analyses read for "Include"
  };
  TExportForm(Environment environment, QWidget* parent = nullptr);

  // Opens the window for the data set: the current disease, "Rates per:" back at 1.
  void Prepare(const PopulationSeries& population, int maxAge, const std::string& caption);
  void Export(const PopulationSeries& population, int maxAge, const std::string& caption);

  void SetFormat(int format);
  void Select();
  void ChangeAgeGroups();
  // "Choose file": the file, then the run. True when something was written.
  bool ChooseFile();

  ExportWindowState& State() { return state_; }
  QButtonGroup* Formats() const { return formats_; }
  QButtonGroup* Diseases() const { return diseases_; }
  QButtonGroup* Numbers() const { return numbers_; }
  QLabel* AgeGroupName() const { return ageName_; }
  QPushButton* SelectButton() const { return select_; }
  QPushButton* ChangeButton() const { return change_; }

 private:
  void Show();

  Environment env_;
  ExportWindowState& state_;
  const PopulationSeries* population_ = nullptr;
  int maxAge_ = 0;
  QButtonGroup* formats_;
  QButtonGroup* diseases_;
  QButtonGroup* numbers_;
  QComboBox* rates_;
  QSpinBox* decimals_;
  QLabel* ageName_;
  QPushButton* select_;
  QPushButton* change_;
  QCheckBox* sensitivity_;
  QCheckBox* uncertainty_;
};

}  // namespace kavrel
