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
#include "gui/exchange/storage_form.h"
#include "gui/exchange/text_grid_model.h"
#include "gui/shell/busy_cursor.h"
#include "gui/shell/form_helpers.h"

namespace kavrel {

TAgePatForm::TAgePatForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      names_(new QListWidget),
      nameEdit_(new QLineEdit),
      view_(new QTableView),
      rates_(new QComboBox),
      decimals_(new QSpinBox),
      define_(new QPushButton("Define")),
      clear_(new QPushButton("Clear")) {
  setWindowTitle("Standard age patterns");
  auto* current = new QGroupBox("Current standard age patterns");
  auto* currentLayout = new QVBoxLayout(current);
  currentLayout->addWidget(names_);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  view_->setMinimumWidth(240);
  names_->setMaximumWidth(220);
  view_->installEventFilter(this);

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
  for (auto text : kRatesPerItems) rates_->addItem(Q(text));
  decimals_->setRange(0, 10);
  decimals_->setValue(4);
  auto* display = new QFormLayout;
  display->addRow("Rates per:", rates_);
  display->addRow("Decimals", decimals_);
  auto* close = new QPushButton("&Close");

  auto* right = new QVBoxLayout;
  right->addWidget(item);
  right->addWidget(ages);
  right->addWidget(storage);
  right->addLayout(display);
  right->addStretch();
  right->addWidget(close);
  auto* left = new QVBoxLayout;
  left->addWidget(current);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(view_, 1);
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
  connect(read, &QPushButton::clicked, this, [this] {
    if (env_.StorageWindow.ReadFile()) {
      env_.StorageWindow.show();
      env_.StorageWindow.raise();
    }
  });
  connect(rates_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_) return;
    if (display_ != nullptr) display_->RatesIndex = index;
    Do([&] { model_->SetRatesIndex(index); });
  });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    if (display_ != nullptr && !showing_) display_->Decimals = value;
    if (grid_ != nullptr) grid_->SetDecimals(value);
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

TAgePatForm::~TAgePatForm() = default;

QPushButton* TAgePatForm::Button(const QString& text) const { return FindButton(this, text); }

void TAgePatForm::Prepare(int maxAge, const std::string& datasetName, DisplaySettings* display,
                          int preferredSchedule) {
  const LocalDateTime now = LocalDateAndTime(env_.Now);
  const char separator = LocaleDecimalSeparator();
  display_ = display;
  env_.AgeGroups.SetMaxAge(maxAge);
  model_ = std::make_unique<PatternWindow>(PatternWindow::Environment{
      env_.Data, env_.Dialogs,
      [this](const TextGrid& source, bool sideBySide, const std::vector<std::string>& lines,
             bool newContent) {
        if (!env_.Storage.ReceiveGrid(source, sideBySide, lines, newContent, env_.Dialogs)) {
          return false;
        }
        env_.StorageWindow.Reload();
        env_.StorageWindow.show();
        env_.StorageWindow.raise();
        return true;
      },
      env_.CurrentAgeGroups, maxAge, [this] { env_.AgeGroups.Run(); }, datasetName, now.Date,
      now.Time, separator, preferredSchedule});
  if (display_ != nullptr) {
    model_->RatesIndex = display_->RatesIndex;
    model_->Decimals = display_->Decimals;
  }
  delete grid_;
  grid_ = new TextGridModel(model_->Grid,
                            {.LabelsAsRowHeadings = false,
                             .Editable = true,
                             .FirstNumericColumn = 1,
                             .DecimalSeparator = separator,
                             .Thousands = false},
                            this);
  view_->setModel(grid_);
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
  RunCommand(env_.Dialogs, command, {view_});
  Show();
}

void TAgePatForm::Show() {
  if (!model_) return;
  showing_ = true;
  names_->clear();
  for (const std::string& name : model_->Names) names_->addItem(QString::fromStdString(name));
  nameEdit_->setText(QString::fromStdString(model_->NameEdit));
  rates_->setCurrentIndex(model_->RatesIndex);
  decimals_->setValue(model_->Decimals);
  define_->setEnabled(model_->DefineEnabled);
  clear_->setEnabled(model_->DefineEnabled);
  grid_->SetDecimals(model_->Decimals);
  grid_->Reload();
  showing_ = false;
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

bool TAgePatForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && grid_ != nullptr &&
      RunClipboardKey(
          event, [this] { CopyFromView(*view_, *grid_); }, [this] { CutFromView(*view_, *grid_); },
          [this] { PasteIntoView(*view_, *grid_, false, env_.Dialogs); })) {
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TAgePatForm::done(int result) {
  env_.StorageWindow.close();
  QDialog::done(result);
}

}  // namespace kavrel
