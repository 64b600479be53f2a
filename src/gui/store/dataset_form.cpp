#include "gui/store/dataset_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/shell/main_window_model.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"
#include "gui/common/background.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/help.h"
#include "gui/common/small_dialogs.h"

namespace kavrel {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string Trimmed(const std::string& text) {
  const auto end = text.find_last_not_of(' ');
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

}  // namespace

template <typename Command>
void TDatasetForm::Run(Command&& command) {
  try {
    BusyCursor busy;
    command();
  } catch (const std::exception& e) {
    env_.Dialogs.ShowError(e.what());
  }
}

TDatasetForm::TDatasetForm(Environment environment, QWidget* parent)
    : QDialog(parent), env_(environment), pages_(new QTabWidget), grid_(new QListWidget) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);

  // Select
  auto* select = new QWidget;
  auto* selectLayout = new QHBoxLayout(select);
  auto* gridBox = new QGroupBox("Data set name");
  (new QVBoxLayout(gridBox))->addWidget(grid_);
  selectLayout->addWidget(gridBox);
  auto* current = new QGroupBox("Current data set");
  auto* currentLayout = new QFormLayout(current);
  currentName_ = new QLabel;
  status_ = new QLabel;
  currentLayout->addRow("Name: ", currentName_);
  currentLayout->addRow("Status: ", status_);
  open_ = new QPushButton("Open");
  close_ = new QPushButton("Close");
  currentLayout->addRow(open_);
  currentLayout->addRow(close_);
  selectLayout->addWidget(current);
  connect(grid_, &QListWidget::currentRowChanged, this, &TDatasetForm::Select);
  connect(open_, &QPushButton::clicked, this, &TDatasetForm::OpenSelected);
  connect(close_, &QPushButton::clicked, this, &TDatasetForm::CloseCurrent);

  // Properties
  auto* properties = new QWidget;
  auto* propertiesLayout = new QFormLayout(properties);
  propertiesHeading_ = new QLabel;
  fileName_ = new QLabel;
  fileName_->setWordWrap(true);
  readOnly_ = new QCheckBox("Read Only");
  highestAge_ = new QLabel;
  country_ = new QLineEdit;
  continent_ = new QLineEdit;
  region_ = new QLineEdit;
  propertiesLayout->addRow(propertiesHeading_);
  propertiesLayout->addRow("File name", fileName_);
  propertiesLayout->addRow(readOnly_);
  propertiesLayout->addRow(highestAge_);
  auto* geography = new QGroupBox("Geographical properties");
  auto* geographyLayout = new QFormLayout(geography);
  geographyLayout->addRow("Country:", country_);
  geographyLayout->addRow("Continent:", continent_);
  geographyLayout->addRow("Region:", region_);
  propertiesLayout->addRow(geography);
  connect(readOnly_, &QCheckBox::toggled, this, [this](bool on) {
    if (loading_) return;
    WriteProperty([&](std::int64_t id) { UpdateDatasetReadOnly(env_.Data, id, on); });
    env_.MainChanged();  // the open data set may have changed its mode
  });
  const std::array<std::pair<QLineEdit*, DatasetProperty>, 3> groups = {
      {{country_, DatasetProperty::kCountry},
       {continent_, DatasetProperty::kContinent},
       {region_, DatasetProperty::kRegion}}};
  for (const auto& [edit, property] : groups) {
    connect(edit, &QLineEdit::editingFinished, this, [this, edit = edit, property = property] {
      if (loading_) return;
      WriteProperty([&](std::int64_t id) {
        UpdateDatasetProperty(env_.Data, id, property, edit->text().toStdString());
      });
    });
  }

  // Notes
  auto* notesPage = new QWidget;
  auto* notesLayout = new QVBoxLayout(notesPage);
  notesHeading_ = new QLabel;
  notes_ = new QPlainTextEdit;
  notesLayout->addWidget(notesHeading_);
  notesLayout->addWidget(notes_);
  connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
    if (loading_) return;
    WriteProperty([&](std::int64_t id) {
      UpdateDatasetProperty(env_.Data, id, DatasetProperty::kNotes,
                            notes_->toPlainText().toStdString());
    });
  });

  // New
  auto* newPage = new QWidget;
  auto* newBox = new QGroupBox("New Data set");
  (new QVBoxLayout(newPage))->addWidget(newBox);
  auto* newLayout = new QFormLayout(newBox);
  newName_ = new QLineEdit;
  newFile_ = new QLineEdit;
  newBrowse_ = new QPushButton("Browse");
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(newFile_);
  fileRow->addWidget(newBrowse_);
  newLayout->addRow("Name:", newName_);
  newLayout->addRow("File", fileRow);
  const std::array<const char*, 3> captions = {"Country", "Continent", "Region"};
  for (int k = 0; k < 3; ++k) {
    newGroups_[static_cast<std::size_t>(k)] = new QLineEdit;
    newLayout->addRow(captions[static_cast<std::size_t>(k)],
                      newGroups_[static_cast<std::size_t>(k)]);
  }
  newAge_ = new QSpinBox;
  newAge_->setRange(kLowestHighestAge, kHighestHighestAge);
  newAge_->setSingleStep(5);
  newAge_->setValue(kDefaultHighestAge);
  newLayout->addRow("Highest age", newAge_);
  newReadOnly_ = new QCheckBox("Read only");
  newLayout->addRow(newReadOnly_);
  newSave_ = new QPushButton("Save");
  newLayout->addRow(newSave_);
  connect(newName_, &QLineEdit::textChanged, this, [this] { ShowNewPage(); });
  connect(newFile_, &QLineEdit::textChanged, this, [this] { ShowNewPage(); });
  connect(newBrowse_, &QPushButton::clicked, this, [this] {
    NewPage.Name = newName_->text().toStdString();
    const std::string file = BrowseNewDatasetFile(env_.Settings, env_.Dialogs, NewPage);
    if (!file.empty()) newFile_->setText(Q(file));
  });
  connect(newSave_, &QPushButton::clicked, this, &TDatasetForm::SaveNew);

  // Add
  auto* addPage = new QWidget;
  auto* addBox = new QGroupBox("Add existing data set");
  (new QVBoxLayout(addPage))->addWidget(addBox);
  auto* addLayout = new QFormLayout(addBox);
  addFile_ = new QLineEdit;
  auto* addBrowse = new QPushButton("Browse");
  auto* addRow = new QHBoxLayout;
  addRow->addWidget(addFile_);
  addRow->addWidget(addBrowse);
  addLayout->addRow("File", addRow);
  addName_ = new QLineEdit;
  addLayout->addRow("Name:", addName_);
  for (int k = 0; k < 3; ++k) {
    addGroups_[static_cast<std::size_t>(k)] = new QLineEdit;
    addLayout->addRow(captions[static_cast<std::size_t>(k)],
                      addGroups_[static_cast<std::size_t>(k)]);
  }
  addAge_ = new QSpinBox;
  addAge_->setRange(kLowestHighestAge, kHighestHighestAge);
  addAge_->setReadOnly(true);
  addAge_->setValue(kDefaultHighestAge);
  addLayout->addRow("Highest age", addAge_);
  addReadOnly_ = new QCheckBox("Read only");
  addLayout->addRow(addReadOnly_);
  addSave_ = new QPushButton("Save");
  addLayout->addRow(addSave_);
  connect(addFile_, &QLineEdit::textChanged, this, [this] { ShowAddPage(); });
  connect(addName_, &QLineEdit::textChanged, this, [this] { ShowAddPage(); });
  connect(addBrowse, &QPushButton::clicked, this, [this] {
    const std::string file = BrowseExistingDatasetFile(env_.Settings, env_.Dialogs);
    if (!file.empty()) addFile_->setText(Q(file));
  });
  connect(addSave_, &QPushButton::clicked, this, &TDatasetForm::SaveAdded);

  // Delete and Tools
  auto* deletePage = new QWidget;
  deleteGroup_ = new QGroupBox;
  (new QVBoxLayout(deletePage))->addWidget(deleteGroup_);
  auto* deleteLayout = new QHBoxLayout(deleteGroup_);
  auto* remove = new QPushButton("Remove");
  auto* erase = new QPushButton("Delete");
  deleteLayout->addWidget(remove);
  deleteLayout->addWidget(erase);
  connect(remove, &QPushButton::clicked, this, &TDatasetForm::RemoveSelected);
  connect(erase, &QPushButton::clicked, this, &TDatasetForm::DeleteSelected);
  auto* toolsPage = new QWidget;
  toolsGroup_ = new QGroupBox;
  (new QVBoxLayout(toolsPage))->addWidget(toolsGroup_);
  auto* toolsLayout = new QHBoxLayout(toolsGroup_);
  auto* compact = new QPushButton("Compact");
  auto* repair = new QPushButton("Repair");
  toolsLayout->addWidget(compact);
  toolsLayout->addWidget(repair);
  connect(compact, &QPushButton::clicked, this, &TDatasetForm::CompactSelected);
  connect(repair, &QPushButton::clicked, this, &TDatasetForm::RepairSelected);

  for (QWidget* page : {select, properties, notesPage, newPage, addPage, deletePage, toolsPage}) {
    pages_->addTab(page, kPages[static_cast<std::size_t>(pages_->count())]);
  }
  connect(pages_, &QTabWidget::currentChanged, this, &TDatasetForm::SetPage);
  auto* bottom = new QHBoxLayout;
  auto* help = new QPushButton("Help");
  SetHelpTopic(this, kHelpTopics[0]);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelpFor(this); });
  auto* done = new QPushButton("&Close");
  connect(done, &QPushButton::clicked, this, &QDialog::accept);
  bottom->addStretch();
  bottom->addWidget(help);
  bottom->addWidget(done);
  layout->addLayout(bottom);
  connect(this, &QDialog::finished, this, [this] {
    NewPage.Reset();
    ShowNewPage();
  });
  resize(560, 420);
  ShowNewPage();
  ShowAddPage();
}

std::optional<std::string> TDatasetForm::AskCollectionName() {
  if (NameProvider) return NameProvider();
  NewCollectionDialog dialog(env_.Dialogs, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Name().toStdString();
}

void TDatasetForm::Bind() {
  setWindowTitle(Q("Data set collection: " + env_.Settings.CurrentCollectionName));
  rows_ = ListDatasets(env_.Data);
  loading_ = true;
  grid_->clear();
  for (const auto& row : rows_) grid_->addItem(Q(row.Name));
  loading_ = false;
  pages_->setCurrentIndex(0);
  if (!rows_.empty()) {
    grid_->setCurrentRow(std::max(0, std::min(selected_, static_cast<int>(rows_.size()) - 1)));
  }
  Select(grid_->currentRow());
}

const DatasetRow* TDatasetForm::Selected() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(rows_.size())) return nullptr;
  return &rows_[static_cast<std::size_t>(selected_)];
}

void TDatasetForm::Select(int row) {
  if (loading_) return;
  selected_ = row;
  ShowRow();
  UpdateStatus();
}

void TDatasetForm::UpdateStatus() {
  const DatasetRow* row = Selected();
  const bool opened = row != nullptr && DatasetStatus(*row, env_.Settings) == "Opened";
  status_->setText(row == nullptr ? "" : (opened ? "Opened" : "Closed"));
  open_->setEnabled(row != nullptr && !opened);
  close_->setEnabled(opened);
}

void TDatasetForm::ShowRow() {
  const DatasetRow* row = Selected();
  loading_ = true;
  const QString name = row ? Q(row->Name) : QString();
  currentName_->setText(name);
  propertiesHeading_->setText("Properties of data set " + name);
  fileName_->setText(row ? Q(row->File) : QString());
  readOnly_->setChecked(row && row->ReadOnly);
  highestAge_->setText(row ? "Highest age group: " + QString::number(row->HighestAge) + "+"
                           : QString());
  country_->setText(row ? Q(Trimmed(row->Country)) : QString());
  continent_->setText(row ? Q(Trimmed(row->Continent)) : QString());
  region_->setText(row ? Q(Trimmed(row->Region)) : QString());
  notesHeading_->setText("Notes on data set " + name);
  notes_->setPlainText(row ? Q(row->Notes) : QString());
  deleteGroup_->setTitle(row ? Q(DatasetGroupCaption(*row)) : QString());
  toolsGroup_->setTitle(row ? Q(DatasetGroupCaption(*row)) : QString());
  loading_ = false;
}

void TDatasetForm::WriteProperty(const std::function<void(std::int64_t id)>& write) {
  const DatasetRow* row = Selected();
  if (row == nullptr) return;
  const std::int64_t id = row->Id;
  Run([&] { write(id); });
  const int keep = selected_;
  rows_ = ListDatasets(env_.Data);
  selected_ = keep;
}

void TDatasetForm::SetPage(int page) {
  if (page >= 0 && page < static_cast<int>(kHelpTopics.size())) {
    SetHelpTopic(this, kHelpTopics[static_cast<std::size_t>(page)]);
  }
  if (page == 3) {
    NewPage.Reset();
    newAge_->setValue(kDefaultHighestAge);
    newReadOnly_->setChecked(false);
    ShowNewPage();
  }
  if (page == 4) {
    AddPage.Reset();
    ShowAddPage();
  }
  ShowRow();
}

void TDatasetForm::ShowNewPage() {
  if (newName_->text().toStdString() != NewPage.Name && sender() == nullptr) {
    newName_->setText(Q(NewPage.Name));
  }
  NewPage.Name = newName_->text().toStdString();
  NewPage.File = newFile_->text().toStdString();
  newFile_->setEnabled(NewPage.FileEnabled());
  newBrowse_->setEnabled(NewPage.FileEnabled());
  newSave_->setEnabled(NewPage.SaveEnabled());
}

void TDatasetForm::ShowAddPage() {
  AddPage.File = addFile_->text().toStdString();
  AddPage.Name = addName_->text().toStdString();
  addName_->setEnabled(AddPage.DetailsEnabled());
  for (QLineEdit* edit : addGroups_) edit->setEnabled(AddPage.DetailsEnabled());
  addSave_->setEnabled(AddPage.SaveEnabled());
}

void TDatasetForm::OpenSelected() {
  const DatasetRow* row = Selected();
  if (row == nullptr) return;
  const DatasetRow chosen = *row;
  Run([&] { env_.Model.OpenDataset(chosen); });
  env_.MainChanged();
  Bind();
}

void TDatasetForm::CloseCurrent() {
  Run([&] { env_.Model.CloseDataset(); });
  env_.MainChanged();
  UpdateStatus();
}

void TDatasetForm::SaveNew() {
  NewPage.Name = newName_->text().toStdString();
  NewPage.File = newFile_->text().toStdString();
  NewPage.Country = newGroups_[0]->text().toStdString();
  NewPage.Continent = newGroups_[1]->text().toStdString();
  NewPage.Region = newGroups_[2]->text().toStdString();
  NewPage.HighestAge = newAge_->value();
  NewPage.ReadOnly = newReadOnly_->isChecked();
  Run([&] { SaveNewDataset(env_.Data, env_.Dialogs, NewPage); });
  loading_ = true;
  newName_->clear();
  newFile_->clear();
  for (QLineEdit* edit : newGroups_) edit->clear();
  newAge_->setValue(kDefaultHighestAge);
  newReadOnly_->setChecked(false);
  loading_ = false;
  ShowNewPage();
  env_.MainChanged();
  Bind();
  pages_->setCurrentIndex(3);
}

void TDatasetForm::SaveAdded() {
  AddPage.File = addFile_->text().toStdString();
  AddPage.Name = addName_->text().toStdString();
  AddPage.Country = addGroups_[0]->text().toStdString();
  AddPage.Continent = addGroups_[1]->text().toStdString();
  AddPage.Region = addGroups_[2]->text().toStdString();
  AddPage.ReadOnly = addReadOnly_->isChecked();
  Run([&] { SaveAddedDataset(env_.Data, env_.Dialogs, AddPage); });
  addFile_->clear();
  addName_->clear();
  for (QLineEdit* edit : addGroups_) edit->clear();
  addAge_->setValue(kDefaultHighestAge);
  addReadOnly_->setChecked(false);
  ShowAddPage();
  env_.MainChanged();
  Bind();
  pages_->setCurrentIndex(4);
}

void TDatasetForm::RemoveSelected() {
  const DatasetRow* row = Selected();
  if (row == nullptr) return;
  const DatasetRow chosen = *row;
  Run([&] { RemoveDataset(env_.Settings, env_.Data, env_.Dialogs, chosen); });
  env_.MainChanged();
  Bind();
  pages_->setCurrentIndex(5);
}

void TDatasetForm::DeleteSelected() {
  const DatasetRow* row = Selected();
  if (row == nullptr) return;
  const DatasetRow chosen = *row;
  Run([&] { DeleteDataset(env_.Settings, env_.Data, env_.Dialogs, chosen); });
  env_.MainChanged();
  Bind();
  pages_->setCurrentIndex(5);
}

void TDatasetForm::CompactSelected() {
  if (const DatasetRow* row = Selected()) {
    const std::string file = row->File;
    const QString name = QString::fromStdString(row->Name);
    bool compacted = false;
    Run([&] {
      SharedProgress progress;
      QuietCursor quiet(env_.Data.KavrelTable1());
      RunInBackground(
          this, "Compacting " + name, progress,
          [&](SharedProgress&) { env_.Data.CompactDatabase(file); }, false);
      compacted = true;
    });
    env_.MainChanged();
    if (compacted) ShowStatus("Data set " + name + " compacted");
  }
}

void TDatasetForm::RepairSelected() {
  if (const DatasetRow* row = Selected()) {
    const std::string file = row->File;
    Run([&] {
      SharedProgress progress;
      QuietCursor quiet(env_.Data.KavrelTable1());
      RunInBackground(
          this, "Checking " + QString::fromStdString(file), progress,
          [&](SharedProgress&) { env_.Data.RepairDatabase(file); }, false);
    });
    env_.MainChanged();
  }
}

}  // namespace kavrel
