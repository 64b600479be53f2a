#include "gui/engine/amoeba_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/engine/amoeba.h"
#include "gui/shell/form_helpers.h"
#include "gui/shell/help.h"

namespace kavrel {

namespace {

// The six fields: caption, the input form (Qt input masks: 9 an optional digit, 0 a required
// one, \ before a literal digit), and the text in the state.
struct Field {
  std::string_view Caption;
  const char* Mask;
  std::string AmoebaWindowState::*Text;
};
const std::array<Field, 6> kFields = {{
    {AmoebaWindowState::kMaxIterationsCaption, "999999", &AmoebaWindowState::MaxIterations},
    {AmoebaWindowState::kPrecisionCaption, "1.\\0E-00", &AmoebaWindowState::Precision},
    {AmoebaWindowState::kSimplexCaption, "\\0.00", &AmoebaWindowState::Simplex},
    {AmoebaWindowState::kAlphaCaption, "0.0", &AmoebaWindowState::Alpha},
    {AmoebaWindowState::kBetaCaption, "\\0.0", &AmoebaWindowState::Beta},
    {AmoebaWindowState::kGammaCaption, "0.0", &AmoebaWindowState::Gamma},
}};

}  // namespace

TAmoebeForm::TAmoebeForm(AmoebaWindowState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      warn_(new QCheckBox(Q(AmoebaWindowState::kWarnCaption))),
      ask_(new QCheckBox(Q(AmoebaWindowState::kAskCaption))) {
  setWindowTitle(Q(AmoebaWindowState::kCaption));
  auto* layout = new QVBoxLayout(this);
  for (auto line : {AmoebaWindowState::kWarningLine1, AmoebaWindowState::kWarningLine2}) {
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
  auto* reset = new QPushButton(Q(AmoebaWindowState::kResetCaption));
  auto* close = new QPushButton(Q(AmoebaWindowState::kCloseCaption));
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
  const AmoebaWindowState copy = state_;  // setting a box writes back; show the state as it was
  warn_->setChecked(copy.WarnOnMaxIterations);
  ask_->setChecked(copy.AskMoreIterations);
  for (std::size_t k = 0; k < kFields.size(); ++k) {
    fields_[k]->setText(QString::fromStdString(copy.*kFields[k].Text));
  }
  state_ = copy;
}

}  // namespace kavrel
