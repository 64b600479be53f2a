#include "gui/common/storage_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "core/base/user_dialogs.h"
#include "core/exchange/grid.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"
#include "gui/common/text_grid_model.h"

namespace kavrel {

TCSVForm::TCSVForm(StorageGrid& storage, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      storage_(storage),
      dialogs_(dialogs),
      model_(new TextGridModel(storage.Grid,
                               {.LabelsAsRowHeadings = true,
                                .Editable = false,
                                .FirstNumericColumn = 2,
                                .DecimalSeparator = '.'},
                               this)),
      view_(new QTableView),
      decimals_(new QSpinBox) {
  view_->setModel(model_);
  view_->installEventFilter(this);
  view_->setWordWrap(true);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  decimals_->setRange(0, 10);
  decimals_->setValue(storage.Decimals);
  model_->SetDecimals(storage.Decimals);
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    storage_.Decimals = value;
    model_->SetDecimals(value);
  });

  auto* read = new QPushButton("&Read file");
  auto* write = new QPushButton("&Write file");
  auto* clear = new QPushButton("C&lear");
  auto* close = new QPushButton("&Close");
  connect(read, &QPushButton::clicked, this, &TCSVForm::ReadFile);
  connect(write, &QPushButton::clicked, this, &TCSVForm::WriteFile);
  connect(clear, &QPushButton::clicked, this, &TCSVForm::ClearGrid);
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(read);
  buttons->addWidget(write);
  buttons->addWidget(clear);
  buttons->addSpacing(12);
  buttons->addWidget(new QLabel("Decimals"));
  buttons->addWidget(decimals_);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_);
  layout->addLayout(buttons);
  resize(640, 420);
  Reload();
  AddHelp(this, 4450);
}

void TCSVForm::Reload() {
  setWindowTitle(QString::fromStdString(storage_.Caption));
  model_->Reload();
}

bool TCSVForm::ReadFile() {
  bool read = false;
  try {
    read = storage_.ReadFile(dialogs_);
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
  Reload();
  return read;
}

void TCSVForm::WriteFile() {
  try {
    SaveGridAsText(storage_.Grid, dialogs_);
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
}

void TCSVForm::ClearGrid() {
  storage_.Clear();
  Reload();
}

void TCSVForm::Copy() { CopyFromView(*view_, *model_); }

void TCSVForm::Cut() { CutFromView(*view_, *model_); }

void TCSVForm::Paste() { PasteIntoView(*view_, *model_, true, dialogs_); }

bool TCSVForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_) {
    if (RunClipboardKey(
            event, [this] { Copy(); }, [this] { Cut(); }, [this] { Paste(); })) {
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kavrel
