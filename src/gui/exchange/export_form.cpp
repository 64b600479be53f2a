#include "gui/exchange/export_form.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/agesched/age_groups.h"
#include "core/analysis/analysis_output.h"
#include "core/base/progress.h"
#include "core/base/user_dialogs.h"
#include "core/exchange/population.h"
#include "core/results/result_table.h"
#include "core/store/data_kavrel.h"
#include "core/store/table_cursor.h"
#include "gui/agesched/age_group_form.h"
#include "gui/common/background.h"
#include "gui/common/busy_cursor.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TExportForm::TExportForm(Environment environment, QWidget* parent)
    : QDialog(parent),
      env_(environment),
      state_(environment.State),
      formats_(new QButtonGroup(this)),
      diseases_(new QButtonGroup(this)),
      numbers_(new QButtonGroup(this)),
      rates_(new QComboBox),
      decimals_(new QSpinBox),
      ageName_(new QLabel),
      select_(new QPushButton("Select")),
      change_(new QPushButton("Change")),
      sensitivity_(new QCheckBox("Sensitivity")),
      uncertainty_(new QCheckBox("Uncertainty")) {
  auto* formatBox = RadioBox("Export format", formats_,
                             {"Prevent (*.mdb)", "MS Access (*.mdb)", "MS Excel (*.xls)",
                              "Comma delimited file (*.csv)", "MS Excel 2007+ (*.xlsx)"});
  auto* diseaseBox =
      RadioBox("Diseases to export", diseases_, {"Current disease", "All diseases", "Selected"});
  diseaseBox->layout()->addWidget(select_);
  auto* numbersBox =
      RadioBox("Rates and numbers", numbers_, {"Output in rates", "Output in numbers", "Both"});
  for (auto item : kRatesPerItems) rates_->addItem(QString::fromUtf8(item.data(), item.size()));
  decimals_->setRange(0, 10);
  auto* display = new QGridLayout;
  display->addWidget(new QLabel("Rates per:"), 0, 0);
  display->addWidget(rates_, 0, 1);
  display->addWidget(new QLabel("Decimals"), 1, 0);
  display->addWidget(decimals_, 1, 1);
  auto* ageBox = new QGroupBox("Age groups schedule");
  auto* ageLayout = new QHBoxLayout(ageBox);
  ageLayout->addWidget(ageName_, 1);
  ageLayout->addWidget(change_);
  auto* target = new QGroupBox("Export target");
  auto* targetLayout = new QHBoxLayout(target);
  auto* file = new QPushButton("Choose file");
  targetLayout->addWidget(file);
  // The stored analyses after each disease and sex's own table (the table formats).
  auto* include = new QGroupBox("Include");
  auto* includeLayout = new QHBoxLayout(include);
  includeLayout->addWidget(sensitivity_);
  includeLayout->addWidget(uncertainty_);
  auto* close = new QPushButton("&Close");

  auto* left = new QVBoxLayout;
  left->addWidget(formatBox);
  left->addWidget(diseaseBox);
  left->addWidget(ageBox);
  auto* right = new QVBoxLayout;
  right->addWidget(numbersBox);
  right->addLayout(display);
  right->addWidget(include);
  right->addWidget(target);
  right->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(bottom);

  connect(formats_, &QButtonGroup::idClicked, this, &TExportForm::SetFormat);
  connect(diseases_, &QButtonGroup::idClicked, this, [this](int id) {
    state_.Diseases = static_cast<ExportDiseases>(id);
    Show();
  });
  connect(numbers_, &QButtonGroup::idClicked, this,
          [this](int id) { state_.Numbers = static_cast<ExportNumbers>(id); });
  connect(rates_, &QComboBox::currentIndexChanged, this,
          [this](int index) { state_.RatesIndex = index; });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) { state_.Decimals = value; });
  connect(sensitivity_, &QCheckBox::toggled, this,
          [this](bool on) { state_.IncludeSensitivity = on; });
  connect(uncertainty_, &QCheckBox::toggled, this,
          [this](bool on) { state_.IncludeUncertainty = on; });
  connect(select_, &QPushButton::clicked, this, &TExportForm::Select);
  connect(change_, &QPushButton::clicked, this, &TExportForm::ChangeAgeGroups);
  connect(file, &QPushButton::clicked, this, &TExportForm::ChooseFile);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 4200);
}

void TExportForm::Prepare(const PopulationSeries& population, int maxAge,
                          const std::string& caption) {
  population_ = &population;
  maxAge_ = maxAge;
  state_.RatesIndex = 0;  // back at "1" whenever the window opens
  setWindowTitle(QString::fromStdString(caption + ": Export results"));
  const TableCursor& cursor = env_.Data.KavrelTable1();
  const std::string name =
      cursor.Active() && cursor.RecordCount() > 0 ? cursor.FieldText("DiseaseName") : "";
  diseases_->button(0)->setText(QString::fromStdString("Current: " + name));
  SetFormat(static_cast<int>(state_.Format));
}

void TExportForm::Export(const PopulationSeries& population, int maxAge,
                         const std::string& caption) {
  Prepare(population, maxAge, caption);
  exec();
}

void TExportForm::SetFormat(int format) {
  state_.Format = static_cast<ExportFormat>(format);
  try {
    env_.CurrentAgeGroups =
        AgeGroupsForFormat(state_.Format, env_.PreferredSchedule, env_.Data, env_.Dialogs, maxAge_);
  } catch (const std::exception& error) {
    env_.Dialogs.ShowError(error.what());
  }
  Show();
}

void TExportForm::Select() {
  try {
    SelectExportDiseases(state_, env_.Data, env_.Dialogs);
  } catch (const std::exception& error) {
    env_.Dialogs.ShowError(error.what());
  }
}

void TExportForm::ChangeAgeGroups() {
  env_.AgeGroups.SetMaxAge(maxAge_);
  env_.AgeGroups.Run();
  Show();
}

bool TExportForm::ChooseFile() {
  if (population_ == nullptr) return false;
  try {
    const auto path = ChooseExportFile(state_, env_.Dialogs);
    if (!path) return false;
    BusyCursor busy;
    const LocalDateTime now = LocalDateAndTime(env_.Now);
    ExportContext context{env_.Data,
                          env_.Dialogs,
                          maxAge_,
                          population_->PopulationNumbers,
                          population_->AllCauseMortality,
                          now.Date,
                          now.Time,
                          env_.HazardsOutput,
                          [&data = env_.Data, &log = env_.Log, maxAge = maxAge_](
                              const Tdisease& disease, int sex, bool sensitivity, bool uncertainty,
                              Tkolomlijst& list, const AnalysisTableWriter& write) {
                            WriteStoredAnalysisTables(data, log, maxAge, disease, sex, sensitivity,
                                                      uncertainty, list, write);
                          }};
    // Off the window's thread; questions and messages are put on it.
    bool exported = false;
    SharedProgress progress;
    {
      QuietCursor quiet(env_.Data.KavrelTable1());
      RunInBackground(
          this, "Exporting", progress,
          [&](SharedProgress&) {
            exported = RunExport(state_, env_.CurrentAgeGroups, *path, context);
          },
          false);
    }
    if (!exported) return false;
    env_.Dialogs.ShowInformation("The results were written to " + *path + ".");
    ShowStatus(QString::fromStdString("Results exported to " + *path));
    return true;
  } catch (const std::exception& error) {
    env_.Dialogs.ShowError(error.what());
    return false;
  }
}

void TExportForm::Show() {
  formats_->button(static_cast<int>(state_.Format))->setChecked(true);
  diseases_->button(static_cast<int>(state_.Diseases))->setChecked(true);
  numbers_->button(static_cast<int>(state_.Numbers))->setChecked(true);
  rates_->setCurrentIndex(state_.RatesIndex);
  decimals_->setValue(state_.Decimals);
  select_->setEnabled(state_.SelectEnabled());
  change_->setEnabled(state_.ChangeAgeGroupsEnabled());
  sensitivity_->setChecked(state_.IncludeSensitivity);
  uncertainty_->setChecked(state_.IncludeUncertainty);
  sensitivity_->setEnabled(state_.IsTableFormat());
  uncertainty_->setEnabled(state_.IsTableFormat());
  ageName_->setText(QString::fromStdString(env_.CurrentAgeGroups.Name));
}

}  // namespace kavrel
