#pragma once

// TCopyForm "Kavrel - Copy diseases": one disease of the open data set, with everything stored
// for it, into other data sets of any known collection, under a name the user may change.

#include <memory>

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace kavrel {

class CopyWindow;
class TDataKavrel;
class UserDialogs;
struct SettingsState;

class TCopyForm final : public QDialog {
  Q_OBJECT
 public:
  TCopyForm(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
            QWidget* parent = nullptr);
  ~TCopyForm() override;

  // Lists the open data set's diseases and the current collection's data sets.
  void Prepare();
  void Run();
  void ChooseCollection(int index);
  // "Copy": true when every chosen destination took the disease.
  bool Copy();

  QListWidget* Diseases() const { return diseases_; }
  QLineEdit* DestinationName() const { return name_; }
  QComboBox* Collections() const { return collections_; }
  QListWidget* Datasets() const { return datasets_; }

 protected:
  void done(int result) override;

 private:
  SettingsState& settings_;
  UserDialogs& dialogs_;
  TDataKavrel& data_;
  std::unique_ptr<CopyWindow> model_;
  QListWidget* diseases_;
  QLineEdit* name_;
  QComboBox* collections_;
  QListWidget* datasets_;
  bool filling_ = false;
};

}  // namespace kavrel
