#pragma once

// TInspectForm: the stored inputs and results of the data set's diseases, one at a time, as a
// table and a graph; nothing is calculated.

#include <vector>

#include <QDialog>
#include <QPointer>

#include "results/graph_form.h"
#include "results/table_form.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;

namespace kavrel {

class InspectionWindow;
class TDataKavrel;

class TInspectForm final : public QDialog {
  Q_OBJECT
 public:
  TInspectForm(TDataKavrel& data, QWidget* parent = nullptr);
  ~TInspectForm() override;

  // Loads the disease under the cursor and shows the window modally.
  void Prepare(InspectionWindow& model);
  void Inspect(InspectionWindow& model);

  void Move(int button);  // 0 first, 1 previous, 2 next, 3 last
  void Choose();
  void SetSex(int sex);
  void SetOriginal(bool original);
  void ShowGraph(bool shown);
  void ShowTable(bool shown);

  QLabel* DiseaseName() const { return name_; }
  QPushButton* MoveButton(int k) const { return moves_[static_cast<std::size_t>(k)]; }
  QButtonGroup* SexChoice() const { return sex_; }
  QButtonGroup* InputChoice() const { return input_; }
  QCheckBox* GraphBox() const { return graphBox_; }
  QCheckBox* TableBox() const { return tableBox_; }
  TGrafForm* Graph() const { return graph_; }
  TTableForm* Table() const { return table_; }

 protected:
  void done(int result) override;

 private:
  void Reload();
  void Redraw();
  void Show();

  TDataKavrel& data_;
  InspectionWindow* model_ = nullptr;
  QLabel* name_;
  std::array<QPushButton*, 4> moves_{};
  QButtonGroup* sex_;
  QButtonGroup* input_;
  QCheckBox* graphBox_;
  QCheckBox* tableBox_;
  QPointer<TGrafForm> graph_;   // the most recently opened graph
  QPointer<TTableForm> table_;  // and table
};

}  // namespace kavrel
