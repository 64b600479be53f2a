#include "gui/exchange/input_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
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
#include "gui/exchange/male_female_form.h"
#include "gui/exchange/storage_form.h"
#include "gui/exchange/text_grid_model.h"
#include "gui/shell/form_helpers.h"

namespace kavrel {

namespace {

QTableView* NewGridView() {
  auto* view = new QTableView;
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  view->setMinimumWidth(190);
  return view;
}

QPushButton* AddButton(QLayout* layout, const char* text) {
  auto* button = new QPushButton(text);
  layout->addWidget(button);
  return button;
}

}  // namespace

TInputForm::TInputForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      menView_(NewGridView()),
      womenView_(NewGridView()),
      applyTo_(new QButtonGroup(this)),
      rates_(new QComboBox),
      decimals_(new QSpinBox),
      ratesBox_(new QGroupBox("Rates")),
      hazards_(new QButtonGroup(this)),
      applyBox_(new QGroupBox("Apply to:")) {
  auto* grids = new QHBoxLayout;
  for (auto [view, heading] : {std::pair{menView_, "Men"}, std::pair{womenView_, "Women"}}) {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(heading));
    column->addWidget(view);
    grids->addLayout(column);
    view->installEventFilter(this);
  }

  auto* applyLayout = new QVBoxLayout(applyBox_);
  int id = 0;
  for (const char* text : {"Men", "Women", "Both"}) {
    auto* item = new QRadioButton(text);
    applyTo_->addButton(item, id++);
    applyLayout->addWidget(item);
  }
  applyTo_->button(InputEditor::kBoth)->setChecked(true);

  for (auto item : kRatesPerItems) rates_->addItem(QString::fromUtf8(item.data(), item.size()));
  decimals_->setRange(0, 10);
  decimals_->setValue(4);
  auto* display = new QGridLayout;
  display->addWidget(new QLabel("Rates per:"), 0, 0);
  display->addWidget(rates_, 0, 1);
  display->addWidget(new QLabel("Decimals"), 1, 0);
  display->addWidget(decimals_, 1, 1);

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
  options->addLayout(display);
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
  connect(rates_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (display_ != nullptr) display_->RatesIndex = index;
    if (editor_ && index != editor_->RatesIndex) Do([&] { editor_->SetRatesIndex(index); });
  });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    if (display_ != nullptr) display_->Decimals = value;
    if (editor_) editor_->Decimals = value;
    for (TextGridModel* model : {menModel_, womenModel_}) {
      if (model != nullptr) model->SetDecimals(value);
    }
  });
  connect(hazards_, &QButtonGroup::idClicked, this, [this](int id) {
    if (editor_) editor_->SetIncidenceAsHazards(id == 1);
  });
  ChoosePasteGrid = [this] { return TMFEditForm(this).Choose(); };
}

TInputForm::~TInputForm() = default;

void TInputForm::Prepare(const Request& request) {
  const LocalDateTime now = LocalDateAndTime(env_.Now);
  const char separator = LocaleDecimalSeparator();
  env_.AgeGroups.SetMaxAge(request.MaxAge);
  editor_ = std::make_unique<InputEditor>(InputEditor::Environment{
      request.Disease, request.Variable, request.MaxAge, env_.Data, env_.Dialogs, env_.Storage,
      env_.CurrentAgeGroups,
      [this] {
        env_.AgeGroups.Run();
        return true;
      },
      request.DatasetName, now.Date, now.Time, separator, request.PreferredSchedule,
      [this] {
        env_.StorageWindow.Reload();
        env_.StorageWindow.show();
        env_.StorageWindow.raise();
      }});
  display_ = request.Display;
  editor_->RatesIndex = display_ != nullptr ? display_->RatesIndex : request.RatesIndex;
  editor_->Decimals = display_ != nullptr ? display_->Decimals : request.Decimals;
  editor_->Open(request.DataPoints ? InputEditor::Mode::kDataPoints : InputEditor::Mode::kNormal);

  const TextGridModel::Layout layout{.LabelsAsRowHeadings = false,
                                     .Editable = true,
                                     .FirstNumericColumn = 1,
                                     .DecimalSeparator = separator};
  delete menModel_;
  delete womenModel_;
  menModel_ = new TextGridModel(editor_->MenGrid, layout, this);
  womenModel_ = new TextGridModel(editor_->WomenGrid, layout, this);
  menView_->setModel(menModel_);
  womenView_->setModel(womenModel_);
  setWindowTitle(QString::fromStdString(editor_->Caption()));
  rates_->setCurrentIndex(editor_->RatesIndex);
  decimals_->setValue(editor_->Decimals);
  for (TextGridModel* model : {menModel_, womenModel_}) model->SetDecimals(editor_->Decimals);
  Show();
}

void TInputForm::Edit(const Request& request) {
  Prepare(request);
  exec();
  editor_.reset();
  menView_->setModel(nullptr);
  womenView_->setModel(nullptr);
}

template <typename Command>
void TInputForm::Do(Command&& command) {
  if (!editor_) return;
  // A cell still being typed in belongs to the grid before any command reads it.
  RunCommand(env_.Dialogs, command, {menView_, womenView_});
  Show();
}

void TInputForm::Show() {
  if (!editor_) return;
  menModel_->Reload();
  womenModel_->Reload();
  menView_->setEnabled(editor_->MenGrid.Enabled);
  womenView_->setEnabled(editor_->WomenGrid.Enabled);
  applyTo_->button(editor_->ApplyTo)->setChecked(true);
  applyBox_->setEnabled(editor_->ApplyToEnabled);
  ratesBox_->setVisible(editor_->RatesChoiceVisible());
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

void TInputForm::ReadFile() {
  if (env_.StorageWindow.ReadFile()) {
    env_.StorageWindow.show();
    env_.StorageWindow.raise();
  }
}

int TInputForm::FocusedGrid() const {
  // The window's focus child, also while the window itself is not the active one.
  QWidget* focus = focusWidget();
  for (int sex : {0, 1}) {
    if (focus != nullptr && (focus == Grid(sex) || Grid(sex)->isAncestorOf(focus))) return sex;
  }
  return -1;
}

void TInputForm::Copy() {
  if (const int sex = FocusedGrid(); sex >= 0 && GridModel(sex) != nullptr) {
    CopyFromView(*Grid(sex), *GridModel(sex));
  }
}

void TInputForm::Cut() {
  if (const int sex = FocusedGrid(); sex >= 0 && GridModel(sex) != nullptr) {
    CutFromView(*Grid(sex), *GridModel(sex));
  }
}

void TInputForm::Paste() {
  if (!editor_) return;
  const int sex = ChoosePasteGrid ? ChoosePasteGrid() : 1;
  if (sex != 0 && sex != 1) return;
  PasteIntoView(*Grid(sex), *GridModel(sex), false, env_.Dialogs);
}

bool TInputForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == menView_ || watched == womenView_) {
    if (RunClipboardKey(
            event, [this] { Copy(); }, [this] { Cut(); }, [this] { Paste(); })) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TInputForm::done(int result) {
  // Closing the editor also closes the storage grid.
  env_.StorageWindow.close();
  QDialog::done(result);
}

}  // namespace kavrel
