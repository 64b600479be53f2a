#include "gui/engine/amoeba_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/engine/amoeba.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

namespace {

// The six fields: caption, the input form (Qt input masks: 9 an optional digit, 0 a required
// one, \ before a literal digit), and the text in the state.
struct Field {
  std::string_view Caption;
  const char* Mask;
  std::string SimplexSettings::*Text;
};
const std::array<Field, 6> kFields = {{
    {SimplexSettings::kMaxIterationsCaption, "999999", &SimplexSettings::MaxIterations},
    {SimplexSettings::kPrecisionCaption, "1.\\0E-00", &SimplexSettings::Precision},
    {SimplexSettings::kSimplexCaption, "\\0.00", &SimplexSettings::Simplex},
    {SimplexSettings::kAlphaCaption, "0.0", &SimplexSettings::Alpha},
    {SimplexSettings::kBetaCaption, "\\0.0", &SimplexSettings::Beta},
    {SimplexSettings::kGammaCaption, "0.0", &SimplexSettings::Gamma},
}};

}  // namespace

TAmoebeForm::TAmoebeForm(SimplexSettings& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      warn_(new QCheckBox(Q(SimplexSettings::kWarnCaption))),
      ask_(new QCheckBox(Q(SimplexSettings::kAskCaption))) {
  setWindowTitle(Q(SimplexSettings::kCaption));
  auto* layout = new QVBoxLayout(this);
  for (auto line : {SimplexSettings::kWarningLine1, SimplexSettings::kWarningLine2}) {
    auto* label = new QLabel(Q(line));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    layout->addWidget(label);
  }
  layout->addWidget(warn_);
  layout->addWidget(ask_);
  auto* form = new QFormLayout;
  for (std::size_t k = 0; k < kFields.size(); ++k) {
    auto* edit = new QLineEdit;
    edit->setInputMask(kFields[k].Mask);
    fields_[k] = edit;
    form->addRow(Q(kFields[k].Caption), edit);
    connect(edit, &QLineEdit::textEdited, this, [this, k](const QString& text) {
      state_.*kFields[k].Text = text.trimmed().toStdString();
    });
  }
  layout->addLayout(form);
  auto* reset = new QPushButton(Q(SimplexSettings::kResetCaption));
  auto* close = new QPushButton(Q(SimplexSettings::kCloseCaption));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(reset);
  buttons->addStretch();
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(warn_, &QCheckBox::toggled, this,
          [this](bool checked) { state_.WarnOnMaxIterations = checked; });
  connect(ask_, &QCheckBox::toggled, this,
          [this](bool checked) { state_.AskMoreIterations = checked; });
  connect(reset, &QPushButton::clicked, this, &TAmoebeForm::ResetDefaults);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Show();
  AddHelp(this, 5250);
}

void TAmoebeForm::ResetDefaults() {
  state_.ResetDefaults();
  Show();
}

void TAmoebeForm::Show() {
  const SimplexSettings copy = state_;  // setting a box writes back; show the state as it was
  warn_->setChecked(copy.WarnOnMaxIterations);
  ask_->setChecked(copy.AskMoreIterations);
  for (std::size_t k = 0; k < kFields.size(); ++k) {
    fields_[k]->setText(QString::fromStdString(copy.*kFields[k].Text));
  }
  state_ = copy;
}

}  // namespace kavrel
