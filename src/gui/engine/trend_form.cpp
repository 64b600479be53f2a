#include "gui/engine/trend_form.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/engine/disease.h"
#include "core/engine/trend_window.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TTrendForm::TTrendForm(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      hazards_(new QButtonGroup(this)),
      period_(new QGroupBox("Trend period")),
      number_(new QSpinBox),
      start_(new QSpinBox),
      end_(new QSpinBox),
      value_(new QLineEdit),
      add_(new QPushButton("Add")),
      delete_(new QPushButton("Delete")),
      periods_(new QListWidget) {
  auto* hazardBox = new QGroupBox("Hazards");
  auto* hazardLayout = new QVBoxLayout(hazardBox);
  int id = 0;
  for (const char* text : {"Incidence", "Remission", "Case fatality"}) {
    auto* item = new QRadioButton(text);
    hazards_->addButton(item, id++);
    hazardLayout->addWidget(item);
  }
  // Years back as the user counts them (20: twenty years ago); the model counts back negatively.
  start_->setMaximum(110);
  start_->setSuffix(" years ago");
  end_->setRange(0, 110);
  end_->setSuffix(" years ago");
  end_->setEnabled(false);
  auto* form = new QFormLayout(period_);
  form->addRow("Number", number_);
  form->addRow("Start", start_);
  form->addRow("End", end_);
  form->addRow("Value (%)", value_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add_);
  buttons->addWidget(delete_);
  form->addRow(buttons);
  auto* close = new QPushButton("&Close");
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(hazardBox);
  top->addWidget(period_, 1);
  layout->addLayout(top);
  auto* periodsBox = new QGroupBox("Periods entered");
  auto* periodsLayout = new QVBoxLayout(periodsBox);
  periods_->setFocusPolicy(Qt::NoFocus);
  periods_->setMinimumHeight(periods_->fontMetrics().height() * 5);
  periodsLayout->addWidget(periods_);
  layout->addWidget(periodsBox, 1);
  layout->addLayout(closeRow);
  value_->installEventFilter(this);

  connect(hazards_, &QButtonGroup::idClicked, this, [this](int hazard) {
    if (!model_) return;
    model_->ChooseHazard(hazard);
    Show();
  });
  connect(number_, &QSpinBox::valueChanged, this, [this](int number) {
    if (!model_ || showing_) return;
    model_->SetNumber(number);
    Show();
  });
  connect(start_, &QSpinBox::valueChanged, this, [this](int yearsAgo) {
    if (!model_ || showing_) return;
    model_->SetStart(-yearsAgo);
    Show();
  });
  connect(value_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (model_) model_->SetValueText(text.toStdString());
  });
  connect(add_, &QPushButton::clicked, this, [this] {
    if (!model_) return;
    model_->SetValueText(value_->text().toStdString());
    model_->Add();
    Show();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (!model_) return;
    model_->Delete();
    Show();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  AddHelp(this, 4700);
}

TTrendForm::~TTrendForm() = default;

void TTrendForm::Prepare(Tdisease& disease) {
  const char separator = LocaleDecimalSeparator();
  model_ = std::make_unique<TrendWindow>(disease, dialogs_, separator);
  setWindowTitle(QString::fromStdString(model_->Caption()));
  hazards_->setExclusive(false);
  for (QAbstractButton* item : hazards_->buttons()) item->setChecked(false);
  hazards_->setExclusive(true);
  Show();
}

bool TTrendForm::Edit(Tdisease& disease) {
  Prepare(disease);
  exec();
  const bool any = model_->Close();
  model_.reset();
  return any;
}

void TTrendForm::Show() {
  if (!model_) return;
  showing_ = true;
  const TrendWindow& m = *model_;
  period_->setEnabled(m.BlockControlsEnabled);
  number_->setRange(0, m.NumberMax);
  number_->setValue(m.Number);
  start_->setMinimum(-m.StartMax);
  start_->setValue(-m.Start);
  end_->setValue(-m.End);
  value_->setText(QString::fromStdString(m.ValueText));
  start_->setEnabled(m.StartEnabled);
  value_->setEnabled(m.ValueEnabled);
  add_->setEnabled(m.AddEnabled);
  delete_->setEnabled(m.DeleteEnabled);
  periods_->clear();
  const auto periods = m.Periods();
  for (const std::string& line : periods) periods_->addItem(QString::fromStdString(line));
  if (periods.empty()) periods_->addItem("None");
  showing_ = false;
}

void TTrendForm::done(int result) {
  // A new period typed and not added is not dropped without a question.
  if (model_) {
    bool mayClose = false;  // stays false when the question or the save fails
    RunCommand(dialogs_, [&] {
      model_->SetValueText(value_->text().toStdString());
      mayClose = model_->MayClose();
    });
    Show();
    if (!mayClose) return;
  }
  QDialog::done(result);
}

bool TTrendForm::eventFilter(QObject* watched, QEvent* event) {
  // Leaving "Value (%)" changes the period shown.
  // A new period takes its value with "Add".
  if (watched == value_ && event->type() == QEvent::FocusOut && model_ && value_->isEnabled() &&
      !model_->AddEnabled) {
    model_->LeaveValue(value_->text().toStdString());
    Show();
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kavrel
