#pragma once

// What the grid windows (the input editor, the population window, the standard age pattern window)
// share: an editable grid over a core text grid with its clipboard keys, and the "Rates per:" and
// "Decimals" controls kept in the preferences' display settings.

#include <functional>
#include <string>

#include <QObject>

#include "core/base/clock.h"
#include "gui/common/text_grid_model.h"

class QComboBox;
class QEvent;
class QFormLayout;
class QSpinBox;
class QTableView;

namespace kavrel {

class MessagesLog;
class StorageGrid;
class TAgegroupForm;
class TCSVForm;
class TDataKavrel;
class Tagegrouplist;
class TextGrid;
class UserDialogs;
struct DisplaySettings;

// What the grid windows are given: the data module, the dialogs, the messages log, the storage grid
// and its window, the shared age groups with their editor, and the workspace's clock.
struct GridWindowEnvironment {
  TDataKavrel& Data;
  UserDialogs& Dialogs;
  MessagesLog& Log;
  StorageGrid& Storage;
  Tagegrouplist& CurrentAgeGroups;
  TAgegroupForm& AgeGroups;
  TCSVForm& StorageWindow;
  const Clock& Now;

  // Shows the storage grid window with what the storage grid holds now.
  void ShowStorage() const;
  // "Read file": the storage grid reads a comma-delimited file and shows it.
  void ReadStorageFile() const;
};

// One editable grid of a window: the view (age labels in the first column, columns stretched), its
// table model over the core grid, and Ctrl+C, Ctrl+X and Ctrl+V.
class GridEditor final : public QObject {
  Q_OBJECT
 public:
  GridEditor(UserDialogs& dialogs, int minimumWidth, QObject* parent);

  QTableView* View() const { return view_; }
  TextGridModel* Model() const { return model_; }

  // Shows the grid: value cells as numbers with the locale's separator, with thousands
  // separators where `thousands`.
  void Attach(TextGrid& grid, char decimalSeparator, bool thousands = false);
  // The same with the model's layout given (read-only columns, formatting).
  void Attach(TextGrid& grid, const TextGridModel::Layout& layout);
  void Detach();
  void Reload();
  void SetDecimals(int decimals);

  // The view's current cell and selection into the grid, as a command about to read them.
  void TakeCurrentCell();
  // The system clipboard's text.
  static std::string ClipboardText();

  void Copy();
  // Cut and paste change the grid only while Editable says so (always when it is not set).
  void Cut();
  bool Paste();

  std::function<bool()> Editable;
  // Told of every change the user makes: a typed cell, a cut, a paste.
  std::function<void()> CellsChanged;
  // What Ctrl+V runs instead of Paste (the input editor first asks which grid).
  std::function<void()> PasteKey;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool MayEdit() const { return !Editable || Editable(); }
  void Changed();

  UserDialogs& dialogs_;
  QTableView* view_;
  TextGridModel* model_ = nullptr;
};

// No button of the window is pressed by Enter (the grid windows' buttons include destructive
// ones such as "Define"); the buttons still answer clicks and their Alt keys.
void KeepFromEnter(QWidget* window);

// "Rates per:" and "Decimals". A change the user makes is written to the display settings (when
// bound) and handed on; what the window shows from its model is not.
class DisplayControls final : public QObject {
  Q_OBJECT
 public:
  explicit DisplayControls(QObject* parent);

  QComboBox* Rates() const { return rates_; }
  QSpinBox* Decimals() const { return decimals_; }
  // The two labelled rows, for the window's layout.
  QFormLayout* NewLayout() const;
  // The settings that follow the user's choices (may be null).
  // Without `rates`, only the decimals follow (the unit belongs to what the window shows).
  void Bind(DisplaySettings* display, bool rates = true) {
    display_ = display;
    bindRates_ = rates;
  }
  DisplaySettings* Bound() const { return display_; }
  // Shows the model's choices without writing them anywhere.
  void Show(int ratesIndex, int decimals);
  void SetEnabled(bool enabled);

  std::function<void(int ratesIndex)> RatesChanged;
  std::function<void(int decimals)> DecimalsChanged;

 private:
  QComboBox* rates_;
  QSpinBox* decimals_;
  DisplaySettings* display_ = nullptr;
  bool bindRates_ = true;
  bool showing_ = false;
};

}  // namespace kavrel
