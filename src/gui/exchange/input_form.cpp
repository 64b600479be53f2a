#include "gui/exchange/input_form.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "core/agesched/age_groups.h"
#include "core/base/user_dialogs.h"
#include "core/engine/disease.h"
#include "core/exchange/grid.h"
#include "core/exchange/input_editor.h"
#include "core/results/result_table.h"
#include "core/results/view_options.h"
#include "gui/agesched/age_group_form.h"
#include "gui/common/form_helpers.h"
#include "gui/common/grid_editor.h"
#include "gui/common/help.h"
#include "gui/common/storage_form.h"
#include "gui/common/text_grid_model.h"
#include "gui/exchange/male_female_form.h"

namespace kavrel {

namespace {

QPushButton* AddButton(QLayout* layout, const char* text) {
  auto* button = new QPushButton(text);
  layout->addWidget(button);
  return button;
}

}  // namespace

TInputForm::TInputForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      men_(new GridEditor(environment.Dialogs, 190, this)),
      women_(new GridEditor(environment.Dialogs, 190, this)),
      applyTo_(new QButtonGroup(this)),
      display_(new DisplayControls(this)),
      ratesBox_(new QGroupBox("Rates")),
      hazards_(new QButtonGroup(this)),
      applyBox_(new QGroupBox("Apply to:")) {
  auto* grids = new QHBoxLayout;
  for (auto [editor, heading] : {std::pair{men_, "Men"}, std::pair{women_, "Women"}}) {
    auto* column = new QVBoxLayout;
    headings_.push_back(new QLabel(heading));
    column->addWidget(headings_.back());
    column->addWidget(editor->View());
    grids->addLayout(column);
    editor->PasteKey = [this] { Paste(); };
  }

  auto* applyLayout = new QVBoxLayout(applyBox_);
  int id = 0;
  for (const char* text : {"Men", "Women", "Both"}) {
    auto* item = new QRadioButton(text);
    applyTo_->addButton(item, id++);
    applyLayout->addWidget(item);
  }
  applyTo_->button(InputEditor::kBoth)->setChecked(true);

  auto* hazardsLayout = new QVBoxLayout(ratesBox_);
  auto* asHazards = new QRadioButton("Hazards");
  auto* asPopulation = new QRadioButton("Population");
  hazards_->addButton(asHazards, 1);
  hazards_->addButton(asPopulation, 0);
  hazardsLayout->addWidget(asHazards);
  hazardsLayout->addWidget(asPopulation);
  asHazards->setChecked(true);

  auto* ageBox = new QGroupBox("Age groups");
  auto* ageLayout = new QHBoxLayout(ageBox);
  QPushButton* define = AddButton(ageLayout, "Define");
  QPushButton* clear = AddButton(ageLayout, "Clear");
  auto* storageBox = new QGroupBox("Storage grid");
  auto* storageLayout = new QHBoxLayout(storageBox);
  QPushButton* read = AddButton(storageLayout, "Read file");
  QPushButton* store = AddButton(storageLayout, "Store data");
  auto* dataBox = new QGroupBox("Data");
  auto* dataLayout = new QHBoxLayout(dataBox);
  QPushButton* remove = AddButton(dataLayout, "Delete");
  AddButton(dataLayout, "Cancel");  // no action of its own
  auto* closeRow = new QHBoxLayout;
  QPushButton* save = AddButton(closeRow, "&Save");
  QPushButton* close = AddButton(closeRow, "&Close");

  auto* options = new QVBoxLayout;
  options->addWidget(applyBox_);
  options->addLayout(display_->NewLayout());
  options->addWidget(ratesBox_);
  options->addWidget(ageBox);
  options->addWidget(storageBox);
  options->addWidget(dataBox);
  options->addStretch();
  options->addLayout(closeRow);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grids, 1);
  layout->addLayout(options);
  resize(720, 520);

  connect(save, &QPushButton::clicked, this, &TInputForm::Save);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(define, &QPushButton::clicked, this, &TInputForm::Define);
  connect(clear, &QPushButton::clicked, this, &TInputForm::ClearInput);
  connect(remove, &QPushButton::clicked, this, &TInputForm::DeleteCells);
  connect(store, &QPushButton::clicked, this, &TInputForm::StoreData);
  connect(read, &QPushButton::clicked, this, &TInputForm::ReadFile);
  connect(applyTo_, &QButtonGroup::idClicked, this, [this](int choice) {
    if (editor_) editor_->ApplyTo = choice;
  });
  display_->RatesChanged = [this](int index) {
    if (editor_ && index != editor_->RatesIndex) Do([&] { editor_->SetRatesIndex(index); });
  };
  display_->DecimalsChanged = [this](int value) {
    if (editor_) editor_->Decimals = value;
    men_->SetDecimals(value);
    women_->SetDecimals(value);
  };
  connect(hazards_, &QButtonGroup::idClicked, this, [this](int id) {
    if (editor_) editor_->SetIncidenceAsHazards(id == 1);
  });
  ChoosePasteGrid = [this] { return TMFEditForm(this).Choose(); };
  AddHelp(this, 3600);
  KeepFromEnter(this);
}

TInputForm::~TInputForm() = default;

QTableView* TInputForm::Grid(int sex) const { return Editor(sex).View(); }
QComboBox* TInputForm::RatesPer() const { return display_->Rates(); }
QSpinBox* TInputForm::Decimals() const { return display_->Decimals(); }

void TInputForm::Prepare(const Request& request) {
  const LocalDateTime now = LocalDateAndTime(env_.Now);
  const char separator = LocaleDecimalSeparator();
  env_.AgeGroups.SetMaxAge(request.MaxAge);
  editor_ = std::make_unique<InputEditor>(
      InputEditor::Environment{request.Disease, request.Variable, request.MaxAge, env_.Data,
                               env_.Dialogs, env_.Storage, env_.CurrentAgeGroups,
                               [this] {
                                 env_.AgeGroups.Run();
                                 return true;
                               },
                               request.DatasetName, now.Date, now.Time, separator,
                               request.PreferredSchedule, [this] { env_.ShowStorage(); }});
  // The unit is the variable's own, stored with the disease (Open reads it); the decimals are
  // the program's.
  display_->Bind(request.Display, false);
  editor_->RatesIndex = request.RatesIndex;
  editor_->Decimals = request.Display != nullptr ? request.Display->Decimals : request.Decimals;
  if (!editor_->RatesPerOffered()) editor_->RatesIndex = 0;
  editor_->Open(request.DataPoints ? InputEditor::Mode::kDataPoints : InputEditor::Mode::kNormal);

  // Counts and denominators shown as whole numbers.
  const TextGridModel::Layout layout{.LabelsAsRowHeadings = false,
                                     .Editable = true,
                                     .FirstNumericColumn = 1,
                                     .DecimalSeparator = separator,
                                     .Thousands = true,
                                     .FirstCountColumn = editor_->CountColumn(),
                                     .LastCountColumn = editor_->CountColumn() + 1};
  men_->Attach(editor_->MenGrid, layout);
  women_->Attach(editor_->WomenGrid, layout);
  // Room for the precision columns beside the values.
  for (GridEditor* grid : {men_, women_}) {
    grid->View()->setMinimumWidth(std::max(190, 78 * grid->View()->model()->columnCount()));
  }
  setWindowTitle(QString::fromStdString(editor_->Caption()));
  display_->Show(editor_->RatesIndex, editor_->Decimals);
  men_->SetDecimals(editor_->Decimals);
  women_->SetDecimals(editor_->Decimals);
  Show();
}

void TInputForm::Edit(const Request& request) {
  Prepare(request);
  exec();
  men_->Detach();
  women_->Detach();
  editor_.reset();
}

template <typename Command>
void TInputForm::Do(Command&& command) {
  if (!editor_) return;
  // A cell still being typed in belongs to the grid before any command reads it.
  RunCommand(env_.Dialogs, command, {men_->View(), women_->View()});
  Show();
}

void TInputForm::Show() {
  if (!editor_) return;
  men_->Reload();
  women_->Reload();
  men_->View()->setEnabled(editor_->MenGrid.Enabled);
  women_->View()->setEnabled(editor_->WomenGrid.Enabled);
  applyTo_->button(editor_->ApplyTo)->setChecked(true);
  applyBox_->setEnabled(editor_->ApplyToEnabled);
  ratesBox_->setVisible(editor_->RatesChoiceVisible());
  display_->Rates()->setEnabled(editor_->RatesPerOffered());
  display_->Show(editor_->RatesIndex, editor_->Decimals);
  // The unit stands over the values, so that a value is never read in the wrong one.
  const QString unit = QString::fromStdString(editor_->UnitText());
  headings_[0]->setText("Men, " + unit);
  headings_[1]->setText("Women, " + unit);
  hazards_->button(editor_->IncidenceAsHazards() ? 1 : 0)->setChecked(true);
}

void TInputForm::Save() {
  bool saved = false;
  Do([&] { saved = editor_->Save(); });
  if (saved && editor_->Closed) accept();
}

void TInputForm::Define() {
  Do([&] { editor_->Define(); });
}

void TInputForm::ClearInput() {
  Do([&] { editor_->Clear(); });
}

void TInputForm::DeleteCells() {
  Do([&] { editor_->Delete(); });
}

void TInputForm::StoreData() {
  Do([&] { editor_->StoreData(); });
}

void TInputForm::ReadFile() { env_.ReadStorageFile(); }

int TInputForm::FocusedGrid() const {
  // The window's focus child, also while the window itself is not the active one.
  QWidget* focus = focusWidget();
  for (int sex : {0, 1}) {
    if (focus != nullptr && (focus == Grid(sex) || Grid(sex)->isAncestorOf(focus))) return sex;
  }
  return -1;
}

void TInputForm::Copy() {
  if (const int sex = FocusedGrid(); sex >= 0) Editor(sex).Copy();
}

void TInputForm::Cut() {
  if (const int sex = FocusedGrid(); sex >= 0) Editor(sex).Cut();
}

void TInputForm::Paste() {
  if (!editor_) return;
  // Into the grid that has the keyboard; the question only when that is not clear and the
  // block has one column.
  const int sex = FocusedGrid();
  if (sex >= 0) Editor(sex).TakeCurrentCell();
  const std::string text = GridEditor::ClipboardText();
  if (text.empty()) return;  // nothing on the clipboard: nothing to say
  Do([&] { editor_->Paste(text, sex, ChoosePasteGrid); });
}

void TInputForm::done(int result) {
  // Unsaved edits are not thrown away without a question (Close, the title bar's X, Escape).
  if (editor_) {
    bool mayClose = false;  // stays false when the question or the save fails
    Do([&] { mayClose = editor_->MayClose(); });
    if (!mayClose) return;
  }
  // Closing the editor also closes the storage grid.
  env_.StorageWindow.close();
  QDialog::done(result);
}

}  // namespace kavrel
