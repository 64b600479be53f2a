#pragma once

#include <cstddef>
#include <cstdint>

// The shared small dialogs: the list choice, the check list, the save-as name prompt, the about
// box, the messages window, the help viewer.

#include <functional>

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTextBrowser;
class QTimer;
class QTreeWidget;

namespace kavrel {

class UserDialogs;

class MessagesLog;

// TOKRightDlg: a list, "OK" and "Cancel"; the result is the chosen row or -1.
class ListChoiceDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit ListChoiceDialog(QWidget* parent = nullptr);
  int Choose(const QString& caption, const QStringList& items);
  QListWidget* List() const { return list_; }

 private:
  QListWidget* list_;
};

// TDisselectform: a check list; "&Close" keeps the checks, "&Cancel" unchecks every row.
class CheckListDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit CheckListDialog(QWidget* parent = nullptr);
  void Fill(const QString& caption, const QStringList& items, const std::vector<bool>& checked);
  std::vector<int> CheckedRows() const;
  QListWidget* List() const { return list_; }

 private:
  QListWidget* list_;
};

// TSaveAsForm "Save disease as...".
class SaveAsDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit SaveAsDialog(QWidget* parent = nullptr);
  void SetCurrentName(const QString& name);
  QString GetNewName() const;
  QLineEdit* NewNameEdit() const { return newName_; }
  void TrySave();

 private:
  QLabel* current_;
  QLineEdit* newName_;
};

// TNewdbForm "New data set collection": the name of a new collection; OK with an empty name is
// refused and the edit gets the focus again.
class NewCollectionDialog final : public QDialog {
  Q_OBJECT
 public:
  NewCollectionDialog(UserDialogs& dialogs, QWidget* parent = nullptr);
  QString Name() const;
  QLineEdit* Edit() const { return edit_; }
  void TryAccept();

 private:
  UserDialogs& dialogs_;
  QLineEdit* edit_;
};

// TVarlistForm "Choose output item": clicking a row chooses it and closes; "Graph or table" says
// how it is to be shown.
class OutputItemChooser final : public QDialog {
  Q_OBJECT
 public:
  explicit OutputItemChooser(QWidget* parent = nullptr);
  // The chosen row, or -1 when closed without a choice.
  int Choose(const QStringList& items);
  bool GraphChosen() const;
  QListWidget* List() const { return list_; }

 private:
  QListWidget* list_;
  QRadioButton* graph_;
  int chosen_ = -1;
};

// TcaAfterShow: calls its handler once, soon after its owner window is on screen.
class AfterShowNotifier final : public QObject {
  Q_OBJECT
 public:
  AfterShowNotifier(QWidget* owner, std::function<void()> handler);

 private:
  QWidget* owner_;
  std::function<void()> handler_;
  QTimer* timer_;
};

// TAboutBox "About Kavrel".
class AboutBox final : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent = nullptr);
  static constexpr const char* kContact = "kavrel@example.org";
};

// TMessageForm "Messages": the log's lines in two columns.
class MessagesWindow final : public QDialog {
  Q_OBJECT
 public:
  MessagesWindow(MessagesLog& log, QWidget* parent = nullptr);
  // Appends the lines added since the last refresh (all of them after the log was cleared).
  void Refresh();
  QTreeWidget* Lines() const { return lines_; }

 private:
  MessagesLog& log_;
  QTreeWidget* lines_;
  std::uint64_t generation_ = 0;
  std::size_t shown_ = 0;
};

// The help viewer: help/<topic>.html of the program directory.
class HelpViewer final : public QDialog {
  Q_OBJECT
 public:
  HelpViewer(QString helpDir, QWidget* parent = nullptr);
  void ShowTopic(int topic);
  QString Shown() const { return shown_; }

 private:
  QString helpDir_;
  QString shown_;
  QTextBrowser* browser_;
};

}  // namespace kavrel
