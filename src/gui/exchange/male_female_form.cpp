#include "gui/exchange/male_female_form.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/common/help.h"

namespace kavrel {

TMFEditForm::TMFEditForm(QWidget* parent)
    : QDialog(parent), males_(new QRadioButton("Males")), females_(new QRadioButton("Females")) {
  setWindowTitle("Choose male or female grid");
  auto* box = new QGroupBox("Choose male or female data grid");
  auto* row = new QHBoxLayout(box);
  row->addWidget(males_);
  row->addWidget(females_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  auto* cancel = new QPushButton("Cancel");
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(males_, &QRadioButton::clicked, this, [this] {
    chosen_ = 0;
    accept();
  });
  connect(females_, &QRadioButton::clicked, this, [this] {
    chosen_ = 1;
    accept();
  });
  AddHelp(this, 3610);
  // Its own size, wide enough for the title.
  setFixedSize(std::max(sizeHint().width(), fontMetrics().horizontalAdvance(windowTitle()) + 140),
               sizeHint().height());
}

int TMFEditForm::Choose() {
  // No item is selected each time the dialog comes up.
  for (QRadioButton* item : {males_, females_}) {
    item->setAutoExclusive(false);
    item->setChecked(false);
    item->setAutoExclusive(true);
  }
  // Cancel, Escape or the title bar's X: no grid, nothing pasted.
  chosen_ = -1;
  exec();
  return chosen_;
}

}  // namespace kavrel
