#pragma once

// TCSVForm, the storage grid: the scratch sheet that the editing windows copy their grids into,
// and the way in and out for comma-delimited text files.

#include <QWidget>

class QSpinBox;
class QTableView;

namespace kavrel {

class StorageGrid;
class TextGridModel;
class UserDialogs;

class TCSVForm final : public QWidget {
  Q_OBJECT
 public:
  TCSVForm(StorageGrid& storage, UserDialogs& dialogs, QWidget* parent = nullptr);

  // Shows what the core holds now (after another window stored a grid here).
  void Reload();
  // "&Read file": true when a file was read.
  bool ReadFile();
  void WriteFile();
  void ClearGrid();
  void Copy();
  void Cut();
  void Paste();

  QTableView* View() const { return view_; }
  TextGridModel* Model() const { return model_; }
  QSpinBox* Decimals() const { return decimals_; }

 protected:
  // The window sees Ctrl+C, Ctrl+X and Ctrl+V before the grid does.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  StorageGrid& storage_;
  UserDialogs& dialogs_;
  TextGridModel* model_;
  QTableView* view_;
  QSpinBox* decimals_;
};

}  // namespace kavrel
