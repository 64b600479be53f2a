#pragma once

// TAgegroupForm "Define age groups": edits the shared list of current age groups, and saves,
// reads and deletes named age-group schedules in the collection.

#include <memory>

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kavrel {

class AgeGroupEditor;
class TDataKavrel;
class Tagegrouplist;
class UserDialogs;

class TAgegroupForm final : public QDialog {
  Q_OBJECT
 public:
  TAgegroupForm(Tagegrouplist& list, TDataKavrel& data, UserDialogs& dialogs,
                QWidget* parent = nullptr);
  ~TAgegroupForm() override;

  // The highest age of the open data set: new groups end after it.
  void SetMaxAge(int maxAge);
  // Runs the editor modally on the list.
  void Run();

  AgeGroupEditor& Editor() { return *editor_; }
  Tagegrouplist& List() { return list_; }
  QListWidget* Ages() const { return ages_; }
  QSpinBox* Width() const { return width_; }
  QLineEdit* NameEdit() const { return nameEdit_; }
  QPushButton* Button(const QString& text) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Closing by the frame or Escape while editing cancels the editing.
  void reject() override;

 private:
  // Takes the controls into the editor, runs a command, shows the editor again.
  template <typename Command>
  void Do(Command&& command);
  void Show();

  Tagegrouplist& list_;
  TDataKavrel& data_;
  UserDialogs& dialogs_;
  std::unique_ptr<AgeGroupEditor> editor_;
  QLabel* shownName_;
  QListWidget* ages_;
  QGroupBox* editBox_;
  QSpinBox* width_;
  QLineEdit* nameEdit_;
  QPushButton* new_;
  QPushButton* edit_;
  QPushButton* read_;
  QPushButton* deleteSaved_;
  QPushButton* close_;
};

}  // namespace kavrel
