#include "gui/shell/calc_options_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/base/user_dialogs.h"
#include "core/shell/calc_windows.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TCalcOpForm::TCalcOpForm(CalcOptionsWindowState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      pages_(new QTabWidget),
      width_(new QSpinBox),
      linear_(new QCheckBox("Linear interpolation")),
      movingAverage_(new QCheckBox("Moving average")),
      cubic_(new QCheckBox("Cubic spline")),
      birth_(new QCheckBox("Prevalence at birth")),
      age0Only_(new QCheckBox("Input for age 0 only")),
      fitMethod_(new QComboBox),
      smoothness_(new QLineEdit),
      reportPercent_(new QSpinBox),
      openGraph_(new QCheckBox("Graph")),
      openTable_(new QCheckBox("Table")) {
  setWindowTitle(Q(CalcOptionsWindowState::kCaption));

  // "Age groups"
  auto* ages = new QWidget;
  auto* agesLayout = new QVBoxLayout(ages);
  auto* groups = new QGroupBox("Age groups");
  auto* groupsLayout = new QFormLayout(groups);
  width_->setRange(1, 20);
  groupsLayout->addRow("Width of age groups", width_);
  auto* smooth = new QGroupBox("Smooth final calculation");
  auto* smoothLayout = new QVBoxLayout(smooth);
  for (QCheckBox* box : {linear_, movingAverage_, cubic_}) smoothLayout->addWidget(box);
  groupsLayout->addRow(smooth);
  auto* birthBox = new QGroupBox("Birth Prevalence");
  auto* birthLayout = new QVBoxLayout(birthBox);
  birthLayout->addWidget(birth_);
  birthLayout->addWidget(age0Only_);
  // How the hazards are fitted: group by group as above, or over all ages at once from there.
  auto* methodBox = new QGroupBox("Fitting method");
  auto* methodLayout = new QFormLayout(methodBox);
  fitMethod_->addItems({"Per age group", "All ages at once"});
  fitMethod_->setToolTip(
      "Per age group: each group of the width above fitted alone, young to old, then smoothed.\n"
      "All ages at once: from there, smooth hazards fitted to every input group together, so "
      "that group means (and durations by age at onset) are reproduced.");
  smoothness_->setToolTip(
      "Automatic: the fit over all ages chooses how smooth the hazards are from the data (for "
      "each disease and sex).\nA number (0 or more) fixes the strength of the smoothness "
      "penalty instead: larger is smoother.");
  smoothness_->setPlaceholderText("Automatic");
  methodLayout->addRow("Method", fitMethod_);
  methodLayout->addRow("Smoothness", smoothness_);
  reportPercent_->setRange(1, 100);
  reportPercent_->setSuffix(" %");
  reportPercent_->setToolTip(
      "The fit report and the messages window name input groups missed by more than this");
  methodLayout->addRow("Report deviations beyond", reportPercent_);
  agesLayout->addWidget(groups);
  agesLayout->addWidget(methodBox);
  agesLayout->addWidget(birthBox);
  agesLayout->addStretch();

  // "Constraints"
  auto* constraints = new QWidget;
  auto* constraintsLayout = new QVBoxLayout(constraints);
  auto* maxima = new QGroupBox("Hazards maximum");
  auto* maximaLayout = new QGridLayout(maxima);
  maximaLayout->addWidget(new QLabel("Value"), 0, 1);
  maximaLayout->addWidget(new QLabel("Enforced"), 0, 2);
  for (int h = 0; h < kHazardCount; ++h) {
    maximum_[h] = new QLineEdit;
    enforced_[h] = new QSpinBox;
    enforced_[h]->setRange(0, 100);
    maximaLayout->addWidget(new QLabel(Q(kVariableDisplayNames[kHazardVariables[h]])), h + 1, 0);
    maximaLayout->addWidget(maximum_[h], h + 1, 1);
    maximaLayout->addWidget(enforced_[h], h + 1, 2);
    connect(maximum_[h], &QLineEdit::textEdited, this,
            [this, h](const QString& text) { state_.MaximumValue[h] = text.toStdString(); });
    connect(enforced_[h], &QSpinBox::valueChanged, this, [this, h](int value) {
      if (!showing_) state_.Enforced[h] = value;
    });
  }
  constraintsLayout->addWidget(maxima);
  constraintsLayout->addStretch();

  // "View"
  auto* view = new QWidget;
  auto* viewLayout = new QVBoxLayout(view);
  auto* open = new QGroupBox("Open when start processing");
  auto* openLayout = new QVBoxLayout(open);
  openLayout->addWidget(openGraph_);
  openLayout->addWidget(openTable_);
  viewLayout->addWidget(open);
  viewLayout->addStretch();

  // "Weights"
  auto* weights = new QWidget;
  auto* weightsLayout = new QGridLayout(weights);
  int column = 0;
  for (const char* heading : {"Variables", "Low", "Weight", "High", "Ignore", "Exact"}) {
    weightsLayout->addWidget(new QLabel(heading), 0, column++);
  }
  for (int v = 0; v < kVariableCount; ++v) {
    weight_[v] = new QSlider(Qt::Horizontal);
    weight_[v]->setRange(1, 20);
    ignore_[v] = new QCheckBox;
    weightsLayout->addWidget(new QLabel(Q(kVariableDisplayNames[v])), v + 1, 0);
    weightsLayout->addWidget(new QLabel("1"), v + 1, 1);
    weightsLayout->addWidget(weight_[v], v + 1, 2);
    weightsLayout->addWidget(new QLabel("20"), v + 1, 3);
    weightsLayout->addWidget(ignore_[v], v + 1, 4);
    connect(weight_[v], &QSlider::valueChanged, this, [this, v](int value) {
      if (!showing_) state_.Weight[v] = value;
    });
    connect(ignore_[v], &QCheckBox::toggled, this, [this, v](bool checked) {
      if (showing_) return;
      if (v == kIncidence) {
        state_.SetIncidenceIgnore(checked);
        Show();
      } else {
        state_.Ignore[v] = checked;
      }
    });
  }
  for (int h = 0; h < kHazardCount; ++h) {
    exact_[h] = new QCheckBox;
    weightsLayout->addWidget(exact_[h], kHazardVariables[h] + 1, 5);
    connect(exact_[h], &QCheckBox::toggled, this, [this, h](bool checked) {
      if (!showing_) state_.Exact[h] = checked;
    });
  }

  weightsLayout->setRowStretch(kVariableCount + 1, 1);
  weightsLayout->setColumnStretch(2, 1);
  pages_->addTab(ages, Q(CalcOptionsWindowState::kPages[0]));
  pages_->addTab(constraints, Q(CalcOptionsWindowState::kPages[1]));
  pages_->addTab(view, Q(CalcOptionsWindowState::kPages[2]));
  pages_->addTab(weights, Q(CalcOptionsWindowState::kPages[3]));
  auto* close = new QPushButton("&Close");
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(closeRow);

  connect(width_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) state_.AgeGroupWidth = value;
  });
  connect(fitMethod_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_) return;
    state_.FitMethod = index;
    Show();
  });
  connect(reportPercent_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) state_.FitReportPercent = value;
  });
  connect(smoothness_, &QLineEdit::textEdited, this,
          [this](const QString& text) { state_.FitSmoothness = text.toStdString(); });
  const auto bind = [this](QCheckBox* box, bool CalcOptionsWindowState::*field) {
    connect(box, &QCheckBox::toggled, this, [this, field](bool checked) {
      if (!showing_) state_.*field = checked;
    });
  };
  bind(linear_, &CalcOptionsWindowState::LinearInterpolation);
  bind(movingAverage_, &CalcOptionsWindowState::MovingAverage);
  bind(cubic_, &CalcOptionsWindowState::CubicSpline);
  bind(openGraph_, &CalcOptionsWindowState::OpenGraph);
  bind(openTable_, &CalcOptionsWindowState::OpenTable);
  // The two birth boxes are coupled: the second cannot stay checked without the first.
  connect(birth_, &QCheckBox::toggled, this, [this](bool checked) {
    if (showing_) return;
    state_.SetPrevalenceAtBirth(checked);
    Show();
  });
  connect(age0Only_, &QCheckBox::toggled, this, [this](bool checked) {
    if (showing_) return;
    state_.SetInputForAge0Only(checked);
    Show();
  });
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    state_.Page = page;
    SetHelpTopic(this, state_.HelpTopic());
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Show();
  AddHelp(this, 5210);
}

QCheckBox* TCalcOpForm::Box(const QString& text) const {
  for (QCheckBox* box : findChildren<QCheckBox*>()) {
    if (box->text() == text) return box;
  }
  return nullptr;
}

void TCalcOpForm::Show() {
  showing_ = true;
  const CalcOptionsWindowState& s = state_;
  width_->setValue(s.AgeGroupWidth);
  fitMethod_->setCurrentIndex(s.FitMethod == 1 ? 1 : 0);
  smoothness_->setText(QString::fromStdString(s.FitSmoothness));
  smoothness_->setEnabled(s.FitMethod == 1);
  reportPercent_->setValue(s.FitReportPercent);
  linear_->setChecked(s.LinearInterpolation);
  movingAverage_->setChecked(s.MovingAverage);
  cubic_->setChecked(s.CubicSpline);
  birth_->setChecked(s.PrevalenceAtBirth);
  age0Only_->setChecked(s.InputForAge0Only);
  for (int h = 0; h < kHazardCount; ++h) {
    maximum_[h]->setText(QString::fromStdString(s.MaximumValue[h]));
    enforced_[h]->setValue(s.Enforced[h]);
    exact_[h]->setChecked(s.Exact[h]);
    exact_[h]->setEnabled(s.ExactEnabled[h]);
  }
  openGraph_->setChecked(s.OpenGraph);
  openTable_->setChecked(s.OpenTable);
  for (int v = 0; v < kVariableCount; ++v) {
    weight_[v]->setValue(s.Weight[v]);
    weight_[v]->setEnabled(s.WeightEnabled[v]);
    ignore_[v]->setChecked(s.Ignore[v]);
    ignore_[v]->setEnabled(s.WeightEnabled[v]);
  }
  pages_->setCurrentIndex(s.Page);
  showing_ = false;
}

void TCalcOpForm::done(int result) {
  if (const auto problem = state_.NumberProblem()) {
    if (UserDialogs* dialogs = ProgramDialogs()) dialogs->ShowError(problem->Message);
    QLineEdit* field = problem->Field == CalcOptions::kSmoothnessField
                           ? smoothness_
                           : maximum_[static_cast<std::size_t>(problem->Field)];
    for (int page = 0; page < pages_->count(); ++page) {
      if (pages_->widget(page)->isAncestorOf(field)) pages_->setCurrentIndex(page);
    }
    // The message may leave another window in front; this one stays open and is worked in.
    raise();
    activateWindow();
    field->setFocus();
    field->selectAll();
    return;
  }
  QDialog::done(result);
}

}  // namespace kavrel
