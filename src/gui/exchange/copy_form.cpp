#include "gui/exchange/copy_form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/exchange/copy_disease.h"
#include "core/store/data_kavrel.h"
#include "core/store/settings.h"
#include "gui/common/background.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/help.h"

namespace kavrel {

TCopyForm::TCopyForm(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                     QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      dialogs_(dialogs),
      data_(data),
      model_(std::make_unique<CopyWindow>(data, dialogs)),
      diseases_(new QListWidget),
      name_(new QLineEdit),
      collections_(new QComboBox),
      datasets_(new QListWidget) {
  setWindowTitle("Kavrel - Copy diseases");
  datasets_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* source = new QGroupBox("Source");
  auto* sourceLayout = new QVBoxLayout(source);
  sourceLayout->addWidget(new QLabel("Diseases"));
  sourceLayout->addWidget(diseases_);
  auto* destination = new QGroupBox("Destination");
  auto* destinationLayout = new QVBoxLayout(destination);
  destinationLayout->addWidget(new QLabel("Destination disease name"));
  destinationLayout->addWidget(name_);
  destinationLayout->addWidget(new QLabel("Data set collection"));
  destinationLayout->addWidget(collections_);
  destinationLayout->addWidget(new QLabel("Data sets"));
  destinationLayout->addWidget(datasets_);
  auto* copy = new QPushButton("Copy");
  auto* close = new QPushButton("&Close");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* columns = new QHBoxLayout;
  columns->addWidget(source);
  columns->addWidget(destination);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(buttons);
  resize(560, 420);

  connect(diseases_, &QListWidget::currentTextChanged, this,
          [this](const QString& text) { name_->setText(text); });
  connect(collections_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!filling_) ChooseCollection(index);
  });
  connect(copy, &QPushButton::clicked, this, &TCopyForm::Copy);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 4350);
}

TCopyForm::~TCopyForm() = default;

void TCopyForm::Prepare() {
  filling_ = true;
  diseases_->clear();
  name_->clear();
  model_->Open(settings_.MaxAge);
  for (const std::string& name : model_->Diseases) diseases_->addItem(QString::fromStdString(name));
  collections_->clear();
  int current = 0;
  for (std::size_t k = 0; k < settings_.Collections.size(); ++k) {
    collections_->addItem(QString::fromStdString(settings_.Collections[k].Name()));
    if (settings_.Collections[k].Name() == settings_.CurrentCollectionName) {
      current = static_cast<int>(k);
    }
  }
  collections_->setCurrentIndex(current);
  filling_ = false;
  ChooseCollection(current);
}

void TCopyForm::Run() {
  try {
    Prepare();
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
    return;
  }
  exec();
}

void TCopyForm::ChooseCollection(int index) {
  datasets_->clear();
  model_->Close();
  if (index < 0 || index >= static_cast<int>(settings_.Collections.size())) return;
  model_->ChooseCollection(settings_.Collections[static_cast<std::size_t>(index)].Path());
  for (const ListedDataset& listed : model_->Datasets) {
    datasets_->addItem(QString::fromStdString(listed.Name));
  }
}

bool TCopyForm::Copy() {
  QListWidgetItem* source = diseases_->currentItem();
  std::vector<int> rows;
  for (int row = 0; row < datasets_->count(); ++row) {
    if (datasets_->item(row)->isSelected()) rows.push_back(row);
  }
  const std::string sourceName = source == nullptr ? std::string() : source->text().toStdString();
  const std::string newName = name_->text().toStdString();
  bool copied = false;
  // Off the window's thread: copying into many data sets takes a while.
  SharedProgress progress;
  QuietCursor quiet(data_.KavrelTable1());
  RunInBackground(
      this, "Copying " + QString::fromStdString(sourceName), progress,
      [&](SharedProgress&) { copied = model_->Copy(sourceName, newName, rows); }, false);
  if (copied) {
    ShowStatus(source->text() + " copied to " + QString::number(rows.size()) +
               (rows.size() == 1 ? " data set" : " data sets"));
  }
  return copied;
}

void TCopyForm::done(int result) {
  // The window's connection goes with it.
  model_->Close();
  QDialog::done(result);
}

}  // namespace kavrel
