#pragma once

// TDislijstform: the diseases of the open data set, to jump to one.

#include <array>

#include <QDialog>

class QRadioButton;
class QTreeWidget;

namespace kavrel {

class TDataKavrel;

class DiseaseListForm final : public QDialog {
  Q_OBJECT
 public:
  DiseaseListForm(TDataKavrel& data, QWidget* parent = nullptr);
  void Fill();
  // Closing: the main window's cursor moves to the chosen disease.
  void LocateChosen();
  QTreeWidget* List() const { return list_; }
  QRadioButton* SortButton(int k) const { return sort_[static_cast<std::size_t>(k)]; }

 private:
  TDataKavrel& data_;
  QTreeWidget* list_;
  std::array<QRadioButton*, 3> sort_{};
};

}  // namespace kavrel
