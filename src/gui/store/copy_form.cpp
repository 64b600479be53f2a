#include "store/copy_form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/busy_cursor.h"
#include "shell/user_dialogs.h"
#include "store/copy_disease.h"
#include "store/data_kavrel.h"
#include "store/database.h"
#include "store/settings.h"
#include "store/table_cursor.h"

namespace kavrel {

TCopyForm::TCopyForm(SettingsState& settings, TDataKavrel& data, UserDialogs& dialogs,
                     QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      data_(data),
      dialogs_(dialogs),
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
}

TCopyForm::~TCopyForm() = default;

void TCopyForm::Prepare() {
  filling_ = true;
  diseases_->clear();
  name_->clear();
  QueryResult& rows =
      data_.QueryDataset("select DiseaseName from InputDiseases order by DiseaseName");
  for (rows.First(); !rows.Eof(); rows.Next()) {
    diseases_->addItem(QString::fromStdString(rows.AsText(0)));
  }
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
  files_.clear();
  collection_.reset();
  if (index < 0 || index >= static_cast<int>(settings_.Collections.size())) return;
  try {
    collection_ = std::make_unique<Database>(
        Database::Open(settings_.Collections[static_cast<std::size_t>(index)].Path()));
    QueryResult rows =
        collection_->Query("select datasetname, databasename from datasets order by datasetname");
    for (rows.First(); !rows.Eof(); rows.Next()) {
      datasets_->addItem(QString::fromStdString(rows.AsText(0)));
      files_.push_back(rows.AsText(1));
    }
  } catch (const std::exception& error) {
    collection_.reset();
    dialogs_.ShowError(error.what());
  }
}

bool TCopyForm::Copy() {
  QListWidgetItem* source = diseases_->currentItem();
  if (source == nullptr) {
    dialogs_.ShowInformation(kSelectSourceMessage);
    return false;
  }
  std::vector<CopyDestination> destinations;
  for (int row = 0; row < datasets_->count(); ++row) {
    if (!datasets_->item(row)->isSelected()) continue;
    destinations.push_back(
        {files_[static_cast<std::size_t>(row)], datasets_->item(row)->text().toStdString(), 0});
  }
  if (destinations.empty()) {
    dialogs_.ShowInformation(kSelectDestinationsMessage);
    return false;
  }
  std::vector<CopyOutcome> outcomes;
  try {
    BusyCursor busy;
    outcomes = CopyDisease(data_, dialogs_, settings_.MaxAge, source->text().toStdString(),
                           name_->text().toStdString(), destinations, collection_.get());
    // A destination may be the open data set itself.
    data_.KavrelTable1().Refresh();
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
    return false;
  }
  std::string failed;
  for (const CopyOutcome& outcome : outcomes) {
    if (!outcome.Copied) failed += "\n" + outcome.File + ": " + outcome.Error;
  }
  if (!failed.empty()) {
    dialogs_.ShowWarning("The disease could not be copied to:" + failed);
    return false;
  }
  return true;
}

void TCopyForm::done(int result) {
  // The window's connections go with it.
  collection_.reset();
  files_.clear();
  QDialog::done(result);
}

}  // namespace kavrel
