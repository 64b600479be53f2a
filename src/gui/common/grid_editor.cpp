#include "gui/common/grid_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

#include "core/base/text_grid.h"
#include "core/results/result_table.h"
#include "core/results/view_options.h"
#include "gui/common/form_helpers.h"
#include "gui/common/storage_form.h"
#include "gui/common/text_grid_model.h"

namespace kavrel {

void GridWindowEnvironment::ShowStorage() const {
  StorageWindow.Reload();
  StorageWindow.show();
  StorageWindow.raise();
}

void GridWindowEnvironment::ReadStorageFile() const {
  if (!StorageWindow.ReadFile()) return;
  StorageWindow.show();
  StorageWindow.raise();
}

namespace {

// A table view that tells whether a cell editor is open (the view's state is its own).
class EditingAwareView final : public QTableView {
 public:
  bool Editing() const { return state() == QAbstractItemView::EditingState; }
};

bool EditorOpen(const QTableView* view) {
  const auto* aware = dynamic_cast<const EditingAwareView*>(view);
  return aware != nullptr && aware->Editing();
}

}  // namespace

GridEditor::GridEditor(UserDialogs& dialogs, int minimumWidth, QObject* parent)
    : QObject(parent), dialogs_(dialogs), view_(new EditingAwareView) {
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 8);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  view_->setMinimumWidth(minimumWidth);
  view_->installEventFilter(this);
}

void GridEditor::Attach(TextGrid& grid, char decimalSeparator, bool thousands) {
  Attach(grid, {.LabelsAsRowHeadings = false,
                .Editable = true,
                .FirstNumericColumn = 1,
                .DecimalSeparator = decimalSeparator,
                .Thousands = thousands});
}

void GridEditor::Attach(TextGrid& grid, const TextGridModel::Layout& layout) {
  Detach();
  model_ = new TextGridModel(grid, layout, this);
  view_->setModel(model_);
  // A typed cell is taken once its editor has closed: what the window does with it (a message on
  // a refused value, a reload of the grid) must not run while the view is still committing the
  // editor, whose index and widget a reload would pull from under it. A change made otherwise
  // (a paste, a program's own) is taken at once.
  connect(model_, &TextGridModel::CellEdited, this,
          [this, model = QPointer<TextGridModel>(model_)] {
            if (!EditorOpen(view_)) {
              if (MayEdit()) Changed();
              return;
            }
            QMetaObject::invokeMethod(
                this,
                [this, model] {
                  if (model != nullptr && model == model_ && MayEdit()) Changed();
                },
                Qt::QueuedConnection);
          });
  // The grid knows the current cell, so that a reload keeps it and a refusal can move it.
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid() || model_ == nullptr) return;
            model_->Grid().CurrentColumn = model_->GridColumn(current.column());
            model_->Grid().CurrentRow = current.row() + 1;
          });
}

void GridEditor::Detach() {
  view_->setModel(nullptr);
  delete model_;
  model_ = nullptr;
}

void GridEditor::Reload() {
  if (model_ == nullptr) return;
  const TextGrid& grid = model_->Grid();
  const int row = grid.CurrentRow;
  const int column = grid.CurrentColumn;
  model_->Reload();
  const QModelIndex current = model_->index(row - 1, model_->ViewColumn(column));
  if (current.isValid()) {
    view_->setCurrentIndex(current);
    view_->scrollTo(current);
  }
}

void GridEditor::SetDecimals(int decimals) {
  if (model_ != nullptr) model_->SetDecimals(decimals);
}

void GridEditor::TakeCurrentCell() {
  if (model_ != nullptr) TakeSelection(*view_, *model_);
}

std::string GridEditor::ClipboardText() { return QApplication::clipboard()->text().toStdString(); }

void GridEditor::Copy() {
  if (model_ != nullptr) CopyFromView(*view_, *model_);
}

void GridEditor::Cut() {
  if (model_ == nullptr || !MayEdit()) return;
  CutFromView(*view_, *model_);
  Changed();
}

bool GridEditor::Paste() {
  if (model_ == nullptr || !MayEdit()) return false;
  if (!PasteIntoView(*view_, *model_, false, dialogs_)) return false;
  Changed();
  return true;
}

void GridEditor::Changed() {
  if (CellsChanged) CellsChanged();
}

bool GridEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && RunClipboardKey(
                              event, [this] { Copy(); }, [this] { Cut(); },
                              [this] {
                                if (PasteKey) {
                                  PasteKey();
                                } else {
                                  Paste();
                                }
                              })) {
    return true;
  }
  // Enter moves to the next row, as in a spreadsheet; it never reaches the window's buttons
  // (some of which destroy data).
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      const QModelIndex current = view_->currentIndex();
      if (model_ != nullptr && current.isValid() && current.row() + 1 < model_->rowCount()) {
        view_->setCurrentIndex(model_->index(current.row() + 1, current.column()));
      }
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void KeepFromEnter(QWidget* window) {
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

DisplayControls::DisplayControls(QObject* parent)
    : QObject(parent), rates_(new QComboBox), decimals_(new QSpinBox) {
  for (auto item : kRatesPerItems) rates_->addItem(Q(item));
  decimals_->setRange(0, 10);
  decimals_->setValue(4);
  connect(rates_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_) return;
    if (display_ != nullptr && bindRates_) display_->RatesIndex = index;
    if (RatesChanged) RatesChanged(index);
  });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    if (showing_) return;
    if (display_ != nullptr) display_->Decimals = value;
    if (DecimalsChanged) DecimalsChanged(value);
  });
}

QFormLayout* DisplayControls::NewLayout() const {
  auto* layout = new QFormLayout;
  layout->addRow("Rates per:", rates_);
  layout->addRow("Decimals", decimals_);
  return layout;
}

void DisplayControls::Show(int ratesIndex, int decimals) {
  showing_ = true;
  rates_->setCurrentIndex(ratesIndex);
  decimals_->setValue(decimals);
  showing_ = false;
}

void DisplayControls::SetEnabled(bool enabled) {
  rates_->setEnabled(enabled);
  decimals_->setEnabled(enabled);
}

}  // namespace kavrel
