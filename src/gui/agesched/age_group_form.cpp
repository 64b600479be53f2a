#include "gui/agesched/age_group_form.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/agesched/age_groups.h"
#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TAgegroupForm::TAgegroupForm(Tagegrouplist& list, TDataKavrel& data, UserDialogs& dialogs,
                             QWidget* parent)
    : QDialog(parent),
      list_(list),
      data_(data),
      dialogs_(dialogs),
      editor_(std::make_unique<AgeGroupEditor>(list, data, dialogs, kHighestPossibleAge)),
      shownName_(new QLabel),
      ages_(new QListWidget),
      editBox_(new QGroupBox("Edit age groups")),
      width_(new QSpinBox),
      nameEdit_(new QLineEdit),
      new_(new QPushButton("New")),
      edit_(new QPushButton("Edit")),
      read_(new QPushButton("Read")),
      deleteSaved_(new QPushButton("Delete")),
      close_(new QPushButton("&Close")) {
  setWindowTitle(QString::fromStdString(std::string(AgeGroupEditor::kCaption)));

  auto* current = new QGroupBox("Current age group definition");
  auto* currentLayout = new QGridLayout(current);
  currentLayout->addWidget(new QLabel("Name:"), 0, 0);
  currentLayout->addWidget(shownName_, 0, 1, 1, 2);
  currentLayout->addWidget(new_, 1, 1);
  currentLayout->addWidget(edit_, 1, 2);

  auto* agesBox = new QGroupBox("Age groups");
  auto* agesLayout = new QVBoxLayout(agesBox);
  agesLayout->addWidget(ages_);

  width_->setRange(1, 95);
  width_->setValue(1);
  auto* insert = new QPushButton("Insert");
  auto* remove = new QPushButton("Delete");
  auto* fill = new QPushButton("Fill schedule");
  auto* clearAll = new QPushButton("Clear all");
  auto* save = new QPushButton("Save to disk");
  auto* done = new QPushButton("Done");
  auto* cancel = new QPushButton("Cancel");
  auto* editLayout = new QGridLayout(editBox_);
  editLayout->addWidget(new QLabel("Age group width:"), 0, 0);
  editLayout->addWidget(width_, 0, 1);
  editLayout->addWidget(insert, 1, 0);
  editLayout->addWidget(remove, 1, 1);
  editLayout->addWidget(fill, 2, 0);
  editLayout->addWidget(clearAll, 2, 1);
  editLayout->addWidget(new QLabel("Name:"), 3, 0);
  editLayout->addWidget(nameEdit_, 3, 1);
  editLayout->addWidget(save, 4, 0);
  editLayout->addWidget(done, 4, 1);
  editLayout->addWidget(cancel, 5, 1);

  auto* saved = new QGroupBox("Saved definitions");
  auto* savedLayout = new QHBoxLayout(saved);
  savedLayout->addWidget(read_);
  savedLayout->addWidget(deleteSaved_);

  auto* right = new QVBoxLayout;
  right->addWidget(current);
  right->addWidget(editBox_);
  right->addWidget(saved);
  right->addStretch();
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(close_);
  right->addLayout(closeRow);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(agesBox, 1);
  layout->addLayout(right);

  // Commands reach the editor through the pointer: SetMaxAge may replace it.
  const auto wire = [this](QPushButton* button, void (AgeGroupEditor::*command)()) {
    connect(button, &QPushButton::clicked, this,
            [this, command] { Do([&] { ((*editor_).*command)(); }); });
  };
  wire(new_, &AgeGroupEditor::New);
  wire(edit_, &AgeGroupEditor::Edit);
  wire(insert, &AgeGroupEditor::Insert);
  wire(remove, &AgeGroupEditor::DeleteGroup);
  wire(fill, &AgeGroupEditor::FillSchedule);
  wire(clearAll, &AgeGroupEditor::ClearAll);
  wire(save, &AgeGroupEditor::SaveToDisk);
  wire(done, &AgeGroupEditor::Done);
  wire(cancel, &AgeGroupEditor::Cancel);
  wire(read_, &AgeGroupEditor::Read);
  wire(deleteSaved_, &AgeGroupEditor::DeleteSaved);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  Show();
  AddHelp(this, 4400);
}

TAgegroupForm::~TAgegroupForm() = default;

void TAgegroupForm::SetMaxAge(int maxAge) {
  if (editor_->Editing()) return;
  editor_ = std::make_unique<AgeGroupEditor>(list_, data_, dialogs_, maxAge);
  Show();
}

QPushButton* TAgegroupForm::Button(const QString& text) const { return FindButton(this, text); }

void TAgegroupForm::Run() {
  editor_->Activate();
  Show();
  exec();
}

template <typename Command>
void TAgegroupForm::Do(Command&& command) {
  AgeGroupEditor& e = *editor_;
  e.Width = width_->value();
  e.NameEdit = nameEdit_->text().toStdString();
  e.Selected = ages_->currentRow();
  RunCommand(dialogs_, command);
  Show();
}

void TAgegroupForm::Show() {
  AgeGroupEditor& e = *editor_;
  shownName_->setText(QString::fromStdString(e.ShownName));
  nameEdit_->setText(QString::fromStdString(e.NameEdit));
  const int selected = e.Selected;
  ages_->clear();
  for (const std::string& label : e.Labels()) ages_->addItem(QString::fromStdString(label));
  if (selected >= 0 && selected < ages_->count()) ages_->setCurrentRow(selected);
  const bool editing = e.EditingControlsEnabled();
  editBox_->setEnabled(editing);
  for (QWidget* w : std::initializer_list<QWidget*>{new_, edit_, read_, deleteSaved_, close_}) {
    w->setEnabled(!editing);
  }
}

void TAgegroupForm::reject() {
  // Groups edited and not confirmed: asked; unchanged ones end their editing as Cancel does.
  if (editor_->Editing()) {
    bool mayClose = false;  // stays false when the question or the save fails
    Do([&] { mayClose = editor_->MayClose(); });
    if (!mayClose) return;
    if (editor_->Editing()) Do([this] { editor_->Cancel(); });
  }
  QDialog::reject();
}

void TAgegroupForm::showEvent(QShowEvent* event) {
  editor_->Activate();
  Show();
  QDialog::showEvent(event);
}

void TAgegroupForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    editor_->Activate();
    Show();
  }
  QDialog::changeEvent(event);
}

}  // namespace kavrel
