#pragma once

// TDatasetForm: the data sets of the open collection on seven pages, and TNewdbForm, the name of
// a new collection. The operations are the core's.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "core/store/datasets.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace kavrel {

class MainWindowModel;

class TDatasetForm final : public QDialog {
  Q_OBJECT
 public:
  struct Environment {
    SettingsState& Settings;
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    MainWindowModel& Model;
    std::function<void(int)> ShowHelp;
    std::function<void()> MainChanged;  // the main window's caption and state
  };
  static constexpr std::array<const char*, 7> kPages = {"Select", "Properties", "Notes", "New",
                                                        "Add",    "Delete",     "Tools"};
  static constexpr std::array<int, 7> kHelpTopics = {4510, 4600, 4610, 4620, 4620, 4700, 4710};

  TDatasetForm(Environment environment, QWidget* parent = nullptr);

  // ListDatasets and the controls bound to the selected row.
  void Bind();
  // TNewdbForm: the name of a new collection, or nothing when cancelled.
  std::optional<std::string> AskCollectionName();
  // Replaces the dialog (tests, scripts).
  std::function<std::optional<std::string>()> NameProvider;

  void SetPage(int page);
  void Select(int row);
  void OpenSelected();
  void CloseCurrent();
  void SaveNew();
  void SaveAdded();
  void RemoveSelected();
  void DeleteSelected();
  void CompactSelected();
  void RepairSelected();

  QTabWidget* Pages() const { return pages_; }
  QListWidget* Grid() const { return grid_; }
  QLabel* Status() const { return status_; }
  NewDatasetPage NewPage;
  AddDatasetPage AddPage;
  // The New page's controls, for tests.
  QLineEdit* NewName() const { return newName_; }
  QLineEdit* NewFile() const { return newFile_; }
  QSpinBox* NewHighestAge() const { return newAge_; }
  QLineEdit* AddFile() const { return addFile_; }
  QLineEdit* AddName() const { return addName_; }
  QLineEdit* Country() const { return country_; }
  QCheckBox* ReadOnlyBox() const { return readOnly_; }
  QPlainTextEdit* NotesMemo() const { return notes_; }

 private:
  void ShowRow();
  void UpdateStatus();
  // Writes a property of the selected data set, then lists the data sets again.
  void WriteProperty(const std::function<void(std::int64_t id)>& write);
  void ShowNewPage();
  void ShowAddPage();
  const DatasetRow* Selected() const;
  template <typename Command>
  void Run(Command&& command);

  Environment env_;
  std::vector<DatasetRow> rows_;
  int selected_ = -1;
  QTabWidget* pages_;
  QListWidget* grid_;
  QLabel* currentName_;
  QLabel* status_;
  QPushButton* open_;
  QPushButton* close_;
  QLabel* propertiesHeading_;
  QLabel* fileName_;
  QCheckBox* readOnly_;
  QLabel* highestAge_;
  QLineEdit* country_;
  QLineEdit* continent_;
  QLineEdit* region_;
  QLabel* notesHeading_;
  QPlainTextEdit* notes_;
  QLineEdit* newName_;
  QLineEdit* newFile_;
  QPushButton* newBrowse_;
  std::array<QLineEdit*, 3> newGroups_{};
  QSpinBox* newAge_;
  QCheckBox* newReadOnly_;
  QPushButton* newSave_;
  QLineEdit* addFile_;
  QLineEdit* addName_;
  std::array<QLineEdit*, 3> addGroups_{};
  QSpinBox* addAge_;
  QCheckBox* addReadOnly_;
  QPushButton* addSave_;
  QGroupBox* deleteGroup_;
  QGroupBox* toolsGroup_;
  bool loading_ = false;
};

}  // namespace kavrel
