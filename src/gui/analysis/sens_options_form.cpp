#include "gui/analysis/sens_options_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/analysis/analysis_window.h"
#include "core/analysis/distributions.h"
#include "core/analysis/random.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TSensOpForm::~TSensOpForm() = default;

TSensOpForm::TSensOpForm(AnalysisOptionsState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      pages_(new QTabWidget),
      value_(new QLineEdit),
      useAsInput_(new QCheckBox("Use as input")),
      generator_(new QComboBox),
      press_(new QPushButton("Press")),
      testNumber_(new QLabel),
      drawing_(new QTimer(this)) {
  setWindowTitle(Q(AnalysisOptionsState::kCaption));
  auto* uncertainty = new QWidget;
  auto* uncertaintyLayout = new QHBoxLayout(uncertainty);
  auto* coefficient = new QGroupBox("Variation Coefficient");
  auto* coefficientLayout = new QFormLayout(coefficient);
  coefficientLayout->addRow("Default value", value_);
  coefficientLayout->addRow(useAsInput_);
  auto* defaults = new QGroupBox("Default distributions");
  auto* defaultsLayout = new QFormLayout(defaults);
  for (int v = 0; v < kVariableCount; ++v) {
    distributions_[v] = new QComboBox;
    for (auto name : kDistributionNames) distributions_[v]->addItem(Q(name));
    defaultsLayout->addRow(Q(kVariableDisplayNames[v]), distributions_[v]);
    connect(distributions_[v], &QComboBox::currentIndexChanged, this, [this, v](int index) {
      if (!showing_) state_.DefaultDistributions[v] = index;
    });
  }
  uncertaintyLayout->addWidget(coefficient);
  uncertaintyLayout->addWidget(defaults);
  auto* rng = new QWidget;
  auto* rngLayout = new QVBoxLayout(rng);
  auto* available = new QGroupBox("Available random number generators");
  auto* availableLayout = new QVBoxLayout(available);
  for (auto name : kGeneratorNames) generator_->addItem(Q(name));
  availableLayout->addWidget(generator_);
  rngLayout->addWidget(available);
  auto* test = new QGroupBox("Test");
  auto* testLayout = new QHBoxLayout(test);
  testLayout->addWidget(press_);
  testLayout->addWidget(testNumber_, 1);
  rngLayout->addWidget(test);
  rngLayout->addStretch();
  // Held down, "Press" draws from the chosen generator, a number per tick of the event loop, so
  // the window stays responsive; releasing it stops.
  drawing_->setInterval(0);
  connect(press_, &QPushButton::pressed, this, [this] {
    testSource_ = std::make_unique<RandomSource>(state_.Generator, ClockSeed());
    drawing_->start();
  });
  connect(press_, &QPushButton::released, drawing_, &QTimer::stop);
  connect(drawing_, &QTimer::timeout, this, [this] {
    if (testSource_) testNumber_->setText(QString::number(testSource_->Next(), 'f', 12));
  });
  pages_->addTab(new QWidget, "Sensitivity");
  pages_->addTab(uncertainty, "Uncertainty");
  pages_->addTab(rng, "RNG");
  pages_->setCurrentIndex(1);
  auto* close = new QPushButton("&Close");
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(bottom);
  connect(value_, &QLineEdit::textEdited, this,
          [this](const QString& text) { state_.DefaultValue = text.toStdString(); });
  connect(useAsInput_, &QCheckBox::toggled, this, [this](bool on) {
    if (!showing_) state_.UseAsInput = on;
  });
  connect(generator_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_) state_.Generator = index;
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Show();
  AddHelp(this, 5500);
}

void TSensOpForm::Show() {
  showing_ = true;
  value_->setText(QString::fromStdString(state_.DefaultValue));
  useAsInput_->setChecked(state_.UseAsInput);
  for (int v = 0; v < kVariableCount; ++v) {
    distributions_[v]->setCurrentIndex(state_.DefaultDistributions[v]);
  }
  generator_->setCurrentIndex(state_.Generator);
  showing_ = false;
}

}  // namespace kavrel
