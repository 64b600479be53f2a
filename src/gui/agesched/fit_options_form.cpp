#include "gui/agesched/fit_options_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/agesched/age_schedule.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

namespace {

QWidget* Page(std::initializer_list<QWidget*> boxes) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  for (QWidget* box : boxes) layout->addWidget(box);
  layout->addStretch();
  return page;
}

}  // namespace

TFitOpForm::TFitOpForm(FitOptionsWindowState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      pages_(new QTabWidget),
      weight_(new QCheckBox("Weight by population numbers")),
      mean_(new QCheckBox("Use mean values")),
      order_(new QSpinBox),
      addLow_(new QCheckBox("Add low")),
      lowAge_(new QSpinBox),
      lowValue_(new QLineEdit),
      addHigh_(new QCheckBox("Add high")),
      highAge_(new QSpinBox),
      highValue_(new QLineEdit),
      period_(new QSpinBox),
      lower_(new QSpinBox),
      higher_(new QSpinBox) {
  setWindowTitle(Q(FitOptionsWindowState::kCaption));
  auto* fit = new QGroupBox("Fit options");
  auto* fitLayout = new QVBoxLayout(fit);
  fitLayout->addWidget(weight_);
  fitLayout->addWidget(mean_);
  auto* order = new QGroupBox("Polynomial order");
  auto* orderLayout = new QHBoxLayout(order);
  order_->setRange(1, 9);
  orderLayout->addWidget(order_);

  auto* ends = new QGroupBox("End points");
  auto* endsLayout = new QGridLayout(ends);
  for (QSpinBox* age : {lowAge_, highAge_}) age->setRange(0, kHighestPossibleAge + 10);
  endsLayout->addWidget(addLow_, 0, 0);
  endsLayout->addWidget(new QLabel("Age:"), 0, 1);
  endsLayout->addWidget(lowAge_, 0, 2);
  endsLayout->addWidget(new QLabel("Value:"), 0, 3);
  endsLayout->addWidget(lowValue_, 0, 4);
  endsLayout->addWidget(addHigh_, 1, 0);
  endsLayout->addWidget(new QLabel("Age:"), 1, 1);
  endsLayout->addWidget(highAge_, 1, 2);
  endsLayout->addWidget(new QLabel("Value:"), 1, 3);
  endsLayout->addWidget(highValue_, 1, 4);

  auto* smoothing = new QGroupBox("Moving average");
  auto* smoothingLayout = new QFormLayout(smoothing);
  period_->setRange(3, 29);
  period_->setSingleStep(2);
  smoothingLayout->addRow("Period", period_);

  auto* range = new QGroupBox("Age range");
  auto* rangeLayout = new QFormLayout(range);
  lower_->setRange(0, kHighestPossibleAge);
  higher_->setRange(0, kHighestPossibleAge);
  rangeLayout->addRow("Lower", lower_);
  rangeLayout->addRow("Higher", higher_);

  pages_->addTab(Page({fit, order}), Q(FitOptionsWindowState::kPages[0]));
  pages_->addTab(Page({ends}), Q(FitOptionsWindowState::kPages[1]));
  pages_->addTab(Page({smoothing}), Q(FitOptionsWindowState::kPages[2]));
  pages_->addTab(Page({range}), Q(FitOptionsWindowState::kPages[3]));
  auto* close = new QPushButton("&Close");
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(bottom);

  const auto box = [this](QCheckBox* check, bool FitOptionsWindowState::*field) {
    connect(check, &QCheckBox::toggled, this, [this, field](bool on) {
      if (showing_) return;
      state_.*field = on;
      Show();  // a cleared end point disables its age and value
    });
  };
  box(weight_, &FitOptionsWindowState::WeightByPopulation);
  box(mean_, &FitOptionsWindowState::UseMeanValues);
  box(addLow_, &FitOptionsWindowState::AddLow);
  box(addHigh_, &FitOptionsWindowState::AddHigh);
  const auto spin = [this](QSpinBox* edit, int FitOptionsWindowState::*field) {
    connect(edit, &QSpinBox::valueChanged, this, [this, field](int value) {
      if (!showing_) state_.*field = value;
    });
  };
  spin(order_, &FitOptionsWindowState::PolynomialOrder);
  spin(lowAge_, &FitOptionsWindowState::LowAge);
  spin(highAge_, &FitOptionsWindowState::HighAge);
  spin(period_, &FitOptionsWindowState::Period);
  spin(lower_, &FitOptionsWindowState::Lower);
  spin(higher_, &FitOptionsWindowState::Higher);
  connect(lowValue_, &QLineEdit::textEdited, this,
          [this](const QString& text) { state_.LowValue = text.toStdString(); });
  connect(highValue_, &QLineEdit::textEdited, this,
          [this](const QString& text) { state_.HighValue = text.toStdString(); });
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    state_.Page = page;
    SetHelpTopic(this, state_.HelpTopic());
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Show();
  AddHelp(this, 5310);
}

void TFitOpForm::Show() {
  showing_ = true;
  const FitOptionsWindowState& s = state_;
  weight_->setChecked(s.WeightByPopulation);
  mean_->setChecked(s.UseMeanValues);
  order_->setValue(s.PolynomialOrder);
  addLow_->setChecked(s.AddLow);
  lowAge_->setValue(s.LowAge);
  lowValue_->setText(QString::fromStdString(s.LowValue));
  addHigh_->setChecked(s.AddHigh);
  highAge_->setValue(s.HighAge);
  highValue_->setText(QString::fromStdString(s.HighValue));
  lowAge_->setEnabled(s.AddLow);
  lowValue_->setEnabled(s.AddLow);
  highAge_->setEnabled(s.AddHigh);
  highValue_->setEnabled(s.AddHigh);
  period_->setValue(s.Period);
  lower_->setValue(s.Lower);
  higher_->setValue(s.Higher);
  pages_->setCurrentIndex(s.Page);
  showing_ = false;
}

}  // namespace kavrel
