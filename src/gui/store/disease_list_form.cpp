#include "gui/store/disease_list_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/store/data_kavrel.h"
#include "core/store/disease_list.h"
#include "gui/common/help.h"

namespace kavrel {

DiseaseListForm::DiseaseListForm(TDataKavrel& data, QWidget* parent)
    : QDialog(parent), data_(data), list_(new QTreeWidget) {
  auto* layout = new QVBoxLayout(this);
  list_->setHeaderLabels({"ID", "Name", "Code"});
  list_->setRootIsDecorated(false);
  list_->setColumnWidth(0, 50);
  list_->setColumnWidth(1, 200);
  layout->addWidget(list_);
  auto* sortBox = new QGroupBox("Sort by");
  auto* sortLayout = new QHBoxLayout(sortBox);
  const std::array<const char*, 3> texts = {"ID", "Name", "Code"};
  for (int k = 0; k < 3; ++k) {
    sort_[static_cast<std::size_t>(k)] = new QRadioButton(texts[static_cast<std::size_t>(k)]);
    sortLayout->addWidget(sort_[static_cast<std::size_t>(k)]);
  }
  // The list is filled by the main window when it shows the window, and again on a new order.
  sort_[1]->setChecked(true);
  for (QRadioButton* button : sort_) {
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
      if (!on) return;
      try {
        Fill();
      } catch (const std::exception&) {
        list_->clear();  // the data set went away under the window: nothing to list
      }
    });
  }
  layout->addWidget(sortBox);
  auto* close = new QPushButton("&Close");
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(380, 360);
  AddHelp(this, 3400);
}

void DiseaseListForm::Fill() {
  const DiseaseSort sort = sort_[0]->isChecked()   ? DiseaseSort::kId
                           : sort_[2]->isChecked() ? DiseaseSort::kCode
                                                   : DiseaseSort::kName;
  list_->clear();
  for (const std::string& row : DiseaseListRows(data_, sort)) {
    const QStringList columns = QString::fromStdString(row).split('#');
    auto* item = new QTreeWidgetItem(list_, columns);
    item->setData(0, Qt::UserRole, QString::fromStdString(row));
  }
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
}

void DiseaseListForm::LocateChosen() {
  const QTreeWidgetItem* item = list_->currentItem();
  if (item == nullptr) return;  // an empty list: nothing to locate
  LocateListedDisease(data_.KavrelTable1(), item->data(0, Qt::UserRole).toString().toStdString());
}

}  // namespace kavrel
