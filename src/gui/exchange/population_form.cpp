#include "gui/exchange/population_form.h"

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
#include "core/exchange/grid.h"
#include "core/exchange/population_window.h"
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

TPopInForm::TPopInForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      grid_(new GridEditor(environment.Dialogs, 300, this)),
      display_(new DisplayControls(this)),
      viewChoice_(new QButtonGroup(this)),
      viewBox_(new QGroupBox("View")),
      save_(new QPushButton("&Save")) {
  grid_->Editable = [this] { return window_ && window_->GridEditable(); };
  // Every typed, cut or pasted value marks the window changed.
  grid_->CellsChanged = [this] { window_->CellsChanged(); };
  grid_->PasteKey = [this] { Paste(); };
  auto* viewLayout = new QVBoxLayout(viewBox_);
  auto* interpolated = new QRadioButton("Interpolated");
  auto* original = new QRadioButton("Original");
  viewChoice_->addButton(interpolated, PopulationWindow::kInterpolated);
  viewChoice_->addButton(original, PopulationWindow::kOriginal);
  viewLayout->addWidget(interpolated);
  viewLayout->addWidget(original);
  original->setChecked(true);

  const auto box = [](const char* title, std::initializer_list<QPushButton*> buttons) {
    auto* group = new QGroupBox(title);
    auto* layout = new QHBoxLayout(group);
    for (QPushButton* button : buttons) layout->addWidget(button);
    return group;
  };
  auto* define = new QPushButton("Define");
  auto* clear = new QPushButton("Clear");
  auto* store = new QPushButton("S&tore data");
  auto* read = new QPushButton("&Read file");
  auto* deleteAll = new QPushButton("Delete all");
  auto* cancel = new QPushButton("Ca&ncel");
  auto* close = new QPushButton("&Close");
  originalOnly_ = {define, clear, deleteAll, cancel};

  auto* options = new QVBoxLayout;
  options->addWidget(viewBox_);
  options->addLayout(display_->NewLayout());
  options->addWidget(box("Age groups", {define, clear}));
  options->addWidget(box("Storage grid", {store, read}));
  options->addWidget(box("Data", {deleteAll, cancel}));
  options->addStretch();
  auto* closeRow = new QHBoxLayout;
  closeRow->addWidget(save_);
  closeRow->addWidget(close);
  options->addLayout(closeRow);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(grid_->View(), 1);
  layout->addLayout(options);
  resize(560, 560);

  connect(save_, &QPushButton::clicked, this, &TPopInForm::Save);
  connect(close, &QPushButton::clicked, this, &TPopInForm::reject);
  connect(define, &QPushButton::clicked, this, &TPopInForm::Define);
  connect(clear, &QPushButton::clicked, this, &TPopInForm::ClearGroups);
  connect(store, &QPushButton::clicked, this, &TPopInForm::StoreData);
  connect(read, &QPushButton::clicked, this, &TPopInForm::ReadFile);
  connect(deleteAll, &QPushButton::clicked, this, &TPopInForm::DeleteAll);
  connect(cancel, &QPushButton::clicked, this, &TPopInForm::CancelChanges);
  connect(viewChoice_, &QButtonGroup::idClicked, this, &TPopInForm::SetView);
  display_->RatesChanged = [this](int index) {
    if (window_ && index != window_->RatesIndex) Do([&] { window_->SetRatesIndex(index); });
  };
  display_->DecimalsChanged = [this](int value) {
    if (!window_) return;
    window_->Decimals = value;
    Show();
  };
  AddHelp(this, 3500);
  KeepFromEnter(this);
}

TPopInForm::~TPopInForm() = default;

QPushButton* TPopInForm::Button(const QString& text) const { return FindButton(this, text); }
QTableView* TPopInForm::Grid() const { return grid_->View(); }
QComboBox* TPopInForm::RatesPer() const { return display_->Rates(); }
QSpinBox* TPopInForm::Decimals() const { return display_->Decimals(); }

void TPopInForm::Prepare(PopulationSeries& population, bool mortality, int maxAge,
                         const std::string& datasetName, DisplaySettings* display,
                         int preferredSchedule) {
  display_->Bind(display);
  if (display != nullptr) display_->Show(display->RatesIndex, display->Decimals);
  const LocalDateTime now = LocalDateAndTime(env_.Now);
  const char separator = LocaleDecimalSeparator();
  env_.AgeGroups.SetMaxAge(maxAge);
  window_ = std::make_unique<PopulationWindow>(PopulationWindow::Environment{
      population, env_.Data, env_.Dialogs, env_.Log, env_.Storage, env_.CurrentAgeGroups, maxAge,
      [this] { env_.AgeGroups.Run(); }, [this] { env_.ShowStorage(); }, datasetName, now.Date,
      now.Time, separator, preferredSchedule});
  window_->RatesIndex = display_->Rates()->currentIndex();
  window_->Decimals = display_->Decimals()->value();
  window_->Open(mortality ? PopulationWindow::kMortalityMode : PopulationWindow::kPopulationMode);
  grid_->Attach(window_->Grid, separator, !mortality);
  setWindowTitle(QString::fromStdString(window_->Caption()));
  Show();
}

void TPopInForm::Edit(PopulationSeries& population, bool mortality, int maxAge,
                      const std::string& datasetName, DisplaySettings* display,
                      int preferredSchedule) {
  Prepare(population, mortality, maxAge, datasetName, display, preferredSchedule);
  exec();
  grid_->Detach();
  window_.reset();
}

template <typename Command>
void TPopInForm::Do(Command&& command) {
  if (!window_) return;
  RunCommand(env_.Dialogs, command, {grid_->View()});
  Show();
}

void TPopInForm::Show() {
  if (!window_) return;
  const bool mortality = window_->GetMode() == PopulationWindow::kMortalityMode;
  grid_->Model()->SetEditable(window_->GridEditable());
  grid_->SetDecimals(mortality ? window_->Decimals : 0);
  grid_->Reload();
  viewChoice_->button(window_->GetView())->setChecked(true);
  viewBox_->setEnabled(window_->ViewEnabled);
  display_->SetEnabled(mortality);
  for (QPushButton* button : originalOnly_) button->setEnabled(window_->OriginalCommandsEnabled());
  save_->setEnabled(window_->GetView() == PopulationWindow::kOriginal);
}

void TPopInForm::Save() {
  BusyCursor busy;
  Do([&] { window_->Save(); });
}

void TPopInForm::CancelChanges() {
  Do([&] { window_->CancelChanges(); });
}

void TPopInForm::DeleteAll() {
  Do([&] { window_->DeleteAll(); });
}

void TPopInForm::Define() {
  Do([&] { window_->Define(); });
}

void TPopInForm::ClearGroups() {
  Do([&] { window_->Clear(); });
}

void TPopInForm::StoreData() {
  Do([&] { window_->StoreData(); });
}

void TPopInForm::ReadFile() {
  Do([&] { window_->ReadFile(); });
}

void TPopInForm::SetView(int view) {
  Do([&] { window_->SetView(static_cast<PopulationWindow::View>(view)); });
}

void TPopInForm::Copy() { grid_->Copy(); }

void TPopInForm::Cut() { grid_->Cut(); }

void TPopInForm::Paste() {
  if (!window_) return;
  grid_->TakeCurrentCell();
  const std::string text = GridEditor::ClipboardText();
  if (text.empty()) return;  // nothing on the clipboard: nothing to say
  Do([&] { window_->Paste(text); });
}

void TPopInForm::reject() {
  if (window_) {
    bool close = false;  // stays false when the question or the save fails
    Do([&] { close = window_->Close(); });
    if (!close) return;
  }
  env_.StorageWindow.close();
  QDialog::reject();
}

}  // namespace kavrel
