#pragma once

// TAgePatForm "Standard age patterns": the collection's named shapes of a rate over age.

#include <memory>
#include <string>

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableView;

#include "core/base/clock.h"

namespace kavrel {

class PatternWindow;
class StorageGrid;
class TAgegroupForm;
class TCSVForm;
class TDataKavrel;
class Tagegrouplist;
class TextGridModel;
class UserDialogs;
struct DisplaySettings;

class TAgePatForm final : public QDialog {
  Q_OBJECT
 public:
  struct Environment {
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    StorageGrid& Storage;
    Tagegrouplist& CurrentAgeGroups;
    TAgegroupForm& AgeGroups;
    TCSVForm& StorageWindow;
    const Clock& Now;  // the workspace's clock
  };
  explicit TAgePatForm(Environment environment, QWidget* parent = nullptr);
  ~TAgePatForm() override;

  // display: "Rates per:" and "Decimals" as the preferences keep them (may be null).
  void Prepare(int maxAge, const std::string& datasetName, DisplaySettings* display,
               int preferredSchedule);
  void Edit(int maxAge, const std::string& datasetName, DisplaySettings* display,
            int preferredSchedule);

  void NewItem();
  void SaveItem();
  void DeleteItem();
  void Define();

  PatternWindow* Model() const { return model_.get(); }
  QListWidget* Names() const { return names_; }
  QLineEdit* NameEdit() const { return nameEdit_; }
  QTableView* Grid() const { return view_; }
  QComboBox* RatesPer() const { return rates_; }
  QPushButton* Button(const QString& text) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  template <typename Command>
  void Do(Command&& command);
  void Show();

  Environment env_;
  std::unique_ptr<PatternWindow> model_;
  TextGridModel* grid_ = nullptr;
  DisplaySettings* display_ = nullptr;
  bool showing_ = false;
  QListWidget* names_;
  QLineEdit* nameEdit_;
  QTableView* view_;
  QComboBox* rates_;
  QSpinBox* decimals_;
  QPushButton* define_;
  QPushButton* clear_;
};

}  // namespace kavrel
