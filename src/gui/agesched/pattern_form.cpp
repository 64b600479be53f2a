#include "gui/agesched/pattern_form.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "core/agesched/pattern_window.h"
#include "core/base/user_dialogs.h"
#include "core/exchange/grid.h"
#include "core/results/result_table.h"
#include "core/results/view_options.h"
#include "gui/agesched/age_group_form.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/form_helpers.h"
#include "gui/common/grid_editor.h"
#include "gui/common/help.h"
#include "gui/common/storage_form.h"
#include "gui/common/text_grid_model.h"

namespace kavrel {

TAgePatForm::TAgePatForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      grid_(new GridEditor(environment.Dialogs, 240, this)),
      display_(new DisplayControls(this)),
      names_(new QListWidget),
      nameEdit_(new QLineEdit),
      define_(new QPushButton("Define")),
      clear_(new QPushButton("Clear")) {
  setWindowTitle("Standard age patterns");
  auto* current = new QGroupBox("Current standard age patterns");
  auto* currentLayout = new QVBoxLayout(current);
  currentLayout->addWidget(names_);
  names_->setMaximumWidth(220);

  auto* item = new QGroupBox("Age pattern item");
  auto* itemLayout = new QVBoxLayout(item);
  auto* nameRow = new QFormLayout;
  nameRow->addRow("Name:", nameEdit_);
  itemLayout->addLayout(nameRow);
  auto* itemButtons = new QHBoxLayout;
  auto* newItem = new QPushButton("&New item");
  auto* saveItem = new QPushButton("&Save item");
  auto* deleteItem = new QPushButton("&Delete item");
  for (QPushButton* b : {newItem, saveItem, deleteItem}) itemButtons->addWidget(b);
  itemLayout->addLayout(itemButtons);
  auto* ages = new QGroupBox("Age groups");
  auto* agesLayout = new QHBoxLayout(ages);
  agesLayout->addWidget(define_);
  agesLayout->addWidget(clear_);  // no action of its own
  auto* storage = new QGroupBox("Storage grid");
  auto* storageLayout = new QHBoxLayout(storage);
  auto* store = new QPushButton("S&tore data");
  auto* read = new QPushButton("&Read file");
  storageLayout->addWidget(store);
  storageLayout->addWidget(read);
  auto* close = new QPushButton("&Close");

  auto* right = new QVBoxLayout;
  right->addWidget(item);
  right->addWidget(ages);
  right->addWidget(storage);
  right->addLayout(display_->NewLayout());
  right->addStretch();
  right->addWidget(close);
  auto* left = new QVBoxLayout;
  left->addWidget(current);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(grid_->View(), 1);
  layout->addLayout(right);
  resize(820, 480);

  connect(names_, &QListWidget::itemClicked, this, [this](QListWidgetItem* clicked) {
    Do([&] {
      BusyCursor busy;
      model_->Choose(clicked->text().toStdString());
    });
  });
  connect(nameEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (model_) model_->NameEdit = text.toStdString();
  });
  connect(newItem, &QPushButton::clicked, this, &TAgePatForm::NewItem);
  connect(saveItem, &QPushButton::clicked, this, &TAgePatForm::SaveItem);
  connect(deleteItem, &QPushButton::clicked, this, &TAgePatForm::DeleteItem);
  connect(define_, &QPushButton::clicked, this, &TAgePatForm::Define);
  connect(store, &QPushButton::clicked, this, [this] { Do([&] { model_->StoreData(); }); });
  connect(read, &QPushButton::clicked, this, [this] { env_.ReadStorageFile(); });
  display_->RatesChanged = [this](int index) { Do([&] { model_->SetRatesIndex(index); }); };
  display_->DecimalsChanged = [this](int value) {
    if (model_) model_->Decimals = value;
    grid_->SetDecimals(value);
  };
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 5350);
  KeepFromEnter(this);
}

TAgePatForm::~TAgePatForm() = default;

QPushButton* TAgePatForm::Button(const QString& text) const { return FindButton(this, text); }
QTableView* TAgePatForm::Grid() const { return grid_->View(); }
QComboBox* TAgePatForm::RatesPer() const { return display_->Rates(); }

void TAgePatForm::Prepare(int maxAge, const std::string& datasetName, DisplaySettings* display,
                          int preferredSchedule) {
  const LocalDateTime now = LocalDateAndTime(env_.Now);
  const char separator = LocaleDecimalSeparator();
  display_->Bind(display);
  env_.AgeGroups.SetMaxAge(maxAge);
  model_ = std::make_unique<PatternWindow>(PatternWindow::Environment{
      env_.Data, env_.Dialogs,
      [this](const TextGrid& source, bool sideBySide, const std::vector<std::string>& lines,
             bool newContent) {
        if (!env_.Storage.ReceiveGrid(source, sideBySide, lines, newContent, env_.Dialogs)) {
          return false;
        }
        env_.ShowStorage();
        return true;
      },
      env_.CurrentAgeGroups, maxAge, [this] { env_.AgeGroups.Run(); }, datasetName, now.Date,
      now.Time, separator, preferredSchedule});
  if (display != nullptr) {
    model_->RatesIndex = display->RatesIndex;
    model_->Decimals = display->Decimals;
  }
  grid_->Attach(model_->Grid, separator);
  Do([&] { model_->Open(); });
}

void TAgePatForm::Edit(int maxAge, const std::string& datasetName, DisplaySettings* display,
                       int preferredSchedule) {
  Prepare(maxAge, datasetName, display, preferredSchedule);
  exec();
}

template <typename Command>
void TAgePatForm::Do(Command&& command) {
  if (!model_) return;
  RunCommand(env_.Dialogs, command, {grid_->View()});
  Show();
}

void TAgePatForm::Show() {
  if (!model_) return;
  names_->clear();
  for (const std::string& name : model_->Names) names_->addItem(QString::fromStdString(name));
  nameEdit_->setText(QString::fromStdString(model_->NameEdit));
  display_->Show(model_->RatesIndex, model_->Decimals);
  define_->setEnabled(model_->DefineEnabled);
  clear_->setEnabled(model_->DefineEnabled);
  grid_->SetDecimals(model_->Decimals);
  grid_->Reload();
}

void TAgePatForm::NewItem() {
  Do([&] { model_->NewItem(); });
}

void TAgePatForm::Define() {
  Do([&] { model_->Define(); });
}

void TAgePatForm::SaveItem() {
  bool saved = false;
  Do([&] {
    BusyCursor busy;
    saved = model_->SaveItem();
  });
  if (saved) return;
  // A name already in use is selected in the list.
  const auto found = names_->findItems(nameEdit_->text(), Qt::MatchExactly);
  if (!found.isEmpty()) names_->setCurrentItem(found.front());
}

void TAgePatForm::DeleteItem() {
  QListWidgetItem* selected = names_->currentItem();
  const std::string name = selected != nullptr ? selected->text().toStdString() : std::string();
  Do([&] {
    BusyCursor busy;
    model_->DeleteItem(name);
  });
}

void TAgePatForm::done(int result) {
  // A new pattern typed and not saved is not thrown away without a question.
  if (model_) {
    bool mayClose = false;  // stays false when the question or the save fails
    Do([&] { mayClose = model_->MayClose(); });
    if (!mayClose) return;
  }
  env_.StorageWindow.close();
  QDialog::done(result);
}

}  // namespace kavrel
