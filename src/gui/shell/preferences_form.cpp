#include "gui/shell/preferences_form.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/user_dialogs.h"
#include "core/shell/preferences.h"
#include "gui/common/form_helpers.h"
#include "gui/common/help.h"

namespace kavrel {

TSetprefForm::TSetprefForm(Environment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment)), current_(new QLabel), name_(new QLineEdit) {
  setWindowTitle("Preferences");
  auto* current = new QGroupBox("Current preferences set");
  auto* currentLayout = new QHBoxLayout(current);
  currentLayout->addWidget(new QLabel("Name:"));
  currentLayout->addWidget(current_, 1);

  auto* ages = new QGroupBox("Age groups");
  auto* agesLayout = new QGridLayout(ages);
  int k = 0;
  for (const char* text : {"Input", "Output", "Export", "Population", "Pattern", "Uncertainty"}) {
    auto* button = new QPushButton(text);
    connect(button, &QPushButton::clicked, this, [this, k] { ChooseAgeGroups(k); });
    agesLayout->addWidget(button, k / 3, k % 3);
    ++k;
  }

  auto* save = new QGroupBox("Save preference set");
  auto* saveLayout = new QHBoxLayout(save);
  saveLayout->addWidget(new QLabel("Name:"));
  saveLayout->addWidget(name_, 1);
  auto* saveButton = new QPushButton("Save");
  saveLayout->addWidget(saveButton);

  auto* saved = new QGroupBox("Saved preferences");
  auto* savedLayout = new QHBoxLayout(saved);
  auto* read = new QPushButton("Read");
  auto* remove = new QPushButton("Delete");
  savedLayout->addWidget(read);
  savedLayout->addWidget(remove);
  auto* defaults = new QGroupBox("Deafult settings");
  auto* defaultsLayout = new QHBoxLayout(defaults);
  auto* restore = new QPushButton("Restore");
  defaultsLayout->addWidget(restore);

  auto* help = new QPushButton("Help");
  auto* close = new QPushButton("&Close");
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(help);
  bottom->addWidget(close);
  auto* row = new QHBoxLayout;
  row->addWidget(saved);
  row->addWidget(defaults);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(current);
  layout->addWidget(ages);
  layout->addWidget(save);
  layout->addLayout(row);
  layout->addLayout(bottom);

  // The option windows from the pop-up menu.
  setContextMenuPolicy(Qt::ActionsContextMenu);
  const auto menuItem = [this](const char* text, const std::function<void()>& open) {
    auto* action = new QAction(text, this);
    action->setEnabled(static_cast<bool>(open));
    if (open) connect(action, &QAction::triggered, this, [open] { open(); });
    addAction(action);
  };
  menuItem("Graph and table options", nullptr);
  menuItem("Calculation options", env_.CalculationOptions);
  menuItem("Smooth and fit options", nullptr);
  menuItem("Downhill simplex options", env_.SimplexOptions);
  menuItem("Sensitivity and uncertainty options", nullptr);

  connect(saveButton, &QPushButton::clicked, this, &TSetprefForm::Save);
  connect(read, &QPushButton::clicked, this, &TSetprefForm::Read);
  connect(remove, &QPushButton::clicked, this, &TSetprefForm::Delete);
  connect(restore, &QPushButton::clicked, this, &TSetprefForm::Restore);
  SetHelpTopic(this, 5600);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelpFor(this); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

QPushButton* TSetprefForm::Button(const QString& text) const { return FindButton(this, text); }

void TSetprefForm::showEvent(QShowEvent* event) {
  Show();
  QDialog::showEvent(event);
}

void TSetprefForm::Show() {
  const QString name = QString::fromStdString(env_.Preferences.Name);
  current_->setText(name);
  name_->setText(name);
}

template <typename Command>
void TSetprefForm::Do(Command&& command) {
  RunCommand(env_.Dialogs, command, {}, true);
  current_->setText(QString::fromStdString(env_.Preferences.Name));
}

void TSetprefForm::Save() {
  Do([this] {
    PreferenceWindows windows = env_.Windows();
    env_.Preferences.Save(name_->text().toStdString(), windows, env_.Data, env_.Dialogs);
  });
}

void TSetprefForm::Read() {
  Do([this] {
    PreferenceWindows windows = env_.Windows();
    if (env_.Preferences.Read(windows, env_.Data, env_.Dialogs)) Show();
  });
}

void TSetprefForm::Delete() {
  Do([this] { env_.Preferences.Delete(env_.Data, env_.Dialogs); });
}

void TSetprefForm::Restore() {
  Do([this] {
    PreferenceWindows windows = env_.Windows();
    env_.Preferences.Restore(windows);
    Show();
  });
}

void TSetprefForm::ChooseAgeGroups(int which) {
  Do([this, which] { env_.Preferences.ChooseAgeGroups(which, env_.Data, env_.Dialogs); });
}

}  // namespace kavrel
