#include "gui/results/view_options_form.h"

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
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/base/user_dialogs.h"
#include "core/results/result_table.h"
#include "core/results/view_options.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

namespace {

void Paint(QPushButton* button, Colour colour) {
  const QColor c(static_cast<int>(colour & 0xff), static_cast<int>((colour >> 8) & 0xff),
                 static_cast<int>((colour >> 16) & 0xff));
  button->setStyleSheet(QString("background-color: %1; border: 1px solid gray;").arg(c.name()));
}

QSpinBox* WidthSpin() {
  auto* spin = new QSpinBox;
  spin->setRange(1, 10);
  return spin;
}

constexpr std::array<const char*, 8> kUncertaintyLines = {
    "Central value", "50% UI", "60% UI", "70% UI", "80% UI", "90% UI", "95% UI", "99% UI"};

}  // namespace

QPushButton* TViewOpForm::ColourButton(std::uint32_t& colour) {
  auto* button = new QPushButton;
  button->setFixedSize(40, 18);
  connect(button, &QPushButton::clicked, this, [this, &colour, button] {
    if (const auto chosen = dialogs_.ChooseColour(colour)) {
      colour = *chosen;
      Paint(button, colour);
    }
  });
  return button;
}

TViewOpForm::TViewOpForm(ViewOptionsState& state, UserDialogs& dialogs,
                         std::function<void()> defineAgeGroups, QWidget* parent)
    : QDialog(parent),
      state_(state),
      dialogs_(dialogs),
      pages_(new QTabWidget),
      inputWidth_(WidthSpin()),
      outputWidth_(WidthSpin()),
      uncertaintyWidth_(WidthSpin()),
      rates_(new QComboBox),
      decimals_(new QSpinBox),
      numbers_(new QCheckBox("Numbers")),
      bands_(new QCheckBox("Intervals as bands")),
      limits_(new QCheckBox("Lower and upper limits")),
      outputRates_(new QButtonGroup(this)) {
  setWindowTitle("Set graph and table options");

  // "Process and sensitivity graphs"
  auto* graphs = new QWidget;
  auto* graphsLayout = new QHBoxLayout(graphs);
  const auto lineBox = [this](const char* title, std::array<QCheckBox*, 7>& visible,
                              std::array<QCheckBox*, 7>& right,
                              std::array<QPushButton*, 7>& colours,
                              std::array<LineSettings, kVariableCount>& lines, QSpinBox* width) {
    auto* box = new QGroupBox(title);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel("Visible"), 0, 1);
    grid->addWidget(new QLabel("Right axis"), 0, 2);
    grid->addWidget(new QLabel("Colour"), 0, 3);
    for (int v = 0; v < kVariableCount; ++v) {
      visible[v] = new QCheckBox;
      right[v] = new QCheckBox;
      colours[v] = ColourButton(lines[v].LineColour);
      grid->addWidget(new QLabel(Q(kVariableDisplayNames[v])), v + 1, 0);
      grid->addWidget(visible[v], v + 1, 1);
      grid->addWidget(right[v], v + 1, 2);
      grid->addWidget(colours[v], v + 1, 3);
      connect(visible[v], &QCheckBox::toggled, this, [this, &lines, v](bool on) {
        if (!showing_) lines[v].Visible = on;
      });
      connect(right[v], &QCheckBox::toggled, this, [this, &lines, v](bool on) {
        if (!showing_) lines[v].RightAxis = on;
      });
    }
    grid->addWidget(new QLabel("Line width"), kVariableCount + 1, 0);
    grid->addWidget(width, kVariableCount + 1, 1, 1, 2);
    return box;
  };
  graphsLayout->addWidget(lineBox("Input and original lines", inputVisible_, inputRight_,
                                  inputColour_, state_.InputLines, inputWidth_));
  auto* outputBox = lineBox("Output and sensitivity lines", outputVisible_, outputRight_,
                            outputColour_, state_.OutputLines, outputWidth_);
  bands_->setToolTip(
      "Where a result has intervals (a fit over all ages on inputs with their precision), each "
      "output line is drawn inside a light band from its lower to its upper limit");
  static_cast<QGridLayout*>(outputBox->layout())->addWidget(bands_, kVariableCount + 2, 0, 1, 4);
  graphsLayout->addWidget(outputBox);

  // "Uncertainty graphs"
  auto* uncertainty = new QWidget;
  auto* uncertaintyLayout = new QGridLayout(uncertainty);
  for (int k = 0; k < 8; ++k) {
    uncertaintyColour_[k] = ColourButton(state_.UncertaintyColours[k]);
    uncertaintyLayout->addWidget(new QLabel(kUncertaintyLines[k]), k, 0);
    uncertaintyLayout->addWidget(uncertaintyColour_[k], k, 1);
  }
  uncertaintyLayout->addWidget(new QLabel("Line width"), 8, 0);
  uncertaintyLayout->addWidget(uncertaintyWidth_, 8, 1);
  uncertaintyLayout->setRowStretch(9, 1);

  // "Tables"
  auto* tables = new QWidget;
  auto* tablesLayout = new QGridLayout(tables);
  auto* inputData = new QGroupBox("Input data");
  auto* inputLayout = new QVBoxLayout(inputData);
  auto* outputData = new QGroupBox("Output data");
  auto* outputLayout = new QVBoxLayout(outputData);
  for (int v = 0; v < kVariableCount; ++v) {
    tableInput_[v] = new QCheckBox(Q(kVariableDisplayNames[v]));
    inputLayout->addWidget(tableInput_[v]);
    connect(tableInput_[v], &QCheckBox::toggled, this, [this, v](bool on) {
      if (!showing_) state_.InputVisible[v] = on;
    });
  }
  for (int k = 0; k <= kVariableCount; ++k) {
    tableOutput_[k] =
        new QCheckBox(k < kVariableCount ? Q(kVariableDisplayNames[k]) : QString("Age of onset"));
    outputLayout->addWidget(tableOutput_[k]);
    connect(tableOutput_[k], &QCheckBox::toggled, this, [this, k](bool on) {
      if (!showing_) state_.OutputVisible[k] = on;
    });
  }
  limits_->setToolTip(
      "Where a result has intervals, each output column is followed by its lower and upper limit");
  outputLayout->addWidget(limits_);
  auto* appearance = new QGroupBox("Appearance");
  auto* appearanceLayout = new QGridLayout(appearance);
  for (auto item : kRatesPerItems) rates_->addItem(Q(item));
  decimals_->setRange(0, 10);
  appearanceLayout->addWidget(new QLabel("Rates per:"), 0, 0);
  appearanceLayout->addWidget(rates_, 0, 1);
  appearanceLayout->addWidget(new QLabel("Decimals"), 1, 0);
  appearanceLayout->addWidget(decimals_, 1, 1);
  appearanceLayout->addWidget(numbers_, 2, 0, 1, 2);
  auto* ages = new QGroupBox("Age groups");
  auto* agesLayout = new QHBoxLayout(ages);
  auto* define = new QPushButton("Define");
  define->setEnabled(static_cast<bool>(defineAgeGroups));
  agesLayout->addWidget(define);
  auto* outputRates = new QGroupBox("Output rates");
  auto* outputRatesLayout = new QHBoxLayout(outputRates);
  auto* hazards = new QRadioButton("Hazards");
  auto* population = new QRadioButton("Population");
  outputRates_->addButton(hazards, 1);
  outputRates_->addButton(population, 0);
  outputRatesLayout->addWidget(hazards);
  outputRatesLayout->addWidget(population);
  tablesLayout->addWidget(inputData, 0, 0, 3, 1);
  tablesLayout->addWidget(outputData, 0, 1, 3, 1);
  tablesLayout->addWidget(appearance, 0, 2);
  tablesLayout->addWidget(ages, 1, 2);
  tablesLayout->addWidget(outputRates, 2, 2);

  pages_->addTab(graphs, "Process and sensitivity graphs");
  pages_->addTab(uncertainty, "Uncertainty graphs");
  pages_->addTab(tables, "Tables");
  auto* close = new QPushButton("&Close");
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  // The graph pages share a topic; the tables page has its own.
  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int page) { SetHelpTopic(this, page == 2 ? 5100 : 5010); });
  layout->addLayout(bottom);

  connect(inputWidth_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) state_.InputLineWidth = value;
  });
  connect(outputWidth_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) state_.OutputLineWidth = value;
  });
  connect(uncertaintyWidth_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) state_.UncertaintyLineWidth = value;
  });
  connect(rates_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_) state_.RatesIndex = index;
  });
  connect(decimals_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) state_.Decimals = value;
  });
  connect(numbers_, &QCheckBox::toggled, this, [this](bool on) {
    if (!showing_) state_.Numbers = on;
  });
  connect(bands_, &QCheckBox::toggled, this, [this](bool on) {
    if (!showing_) state_.IntervalBands = on;
  });
  connect(limits_, &QCheckBox::toggled, this, [this](bool on) {
    if (!showing_) state_.IntervalColumns = on;
  });
  connect(outputRates_, &QButtonGroup::idClicked, this,
          [this](int id) { state_.HazardsOutput = id == 1; });
  connect(define, &QPushButton::clicked, this, [defineAgeGroups] {
    if (defineAgeGroups) defineAgeGroups();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Show();
  AddHelp(this, 5010);
}

void TViewOpForm::Show() {
  showing_ = true;
  const ViewOptionsState& s = state_;
  for (int v = 0; v < kVariableCount; ++v) {
    inputVisible_[v]->setChecked(s.InputLines[v].Visible);
    inputRight_[v]->setChecked(s.InputLines[v].RightAxis);
    Paint(inputColour_[v], s.InputLines[v].LineColour);
    outputVisible_[v]->setChecked(s.OutputLines[v].Visible);
    outputRight_[v]->setChecked(s.OutputLines[v].RightAxis);
    Paint(outputColour_[v], s.OutputLines[v].LineColour);
    tableInput_[v]->setChecked(s.InputVisible[v]);
  }
  for (int k = 0; k <= kVariableCount; ++k) tableOutput_[k]->setChecked(s.OutputVisible[k]);
  for (int k = 0; k < 8; ++k) Paint(uncertaintyColour_[k], s.UncertaintyColours[k]);
  inputWidth_->setValue(s.InputLineWidth);
  outputWidth_->setValue(s.OutputLineWidth);
  uncertaintyWidth_->setValue(s.UncertaintyLineWidth);
  rates_->setCurrentIndex(s.RatesIndex);
  decimals_->setValue(s.Decimals);
  numbers_->setChecked(s.Numbers);
  bands_->setChecked(s.IntervalBands);
  limits_->setChecked(s.IntervalColumns);
  outputRates_->button(s.HazardsOutput ? 1 : 0)->setChecked(true);
  showing_ = false;
}

}  // namespace kavrel
