#pragma once

// TInspectForm: the stored inputs and results of the data set's diseases, one at a time, as a
// table and a graph; nothing is calculated.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "core/analysis/analysis_output.h"
#include "gui/results/graph_form.h"
#include "gui/results/table_form.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;

namespace kavrel {

class InspectionWindow;
class MessagesLog;
class UserDialogs;
class TDataKavrel;

class TInspectForm final : public QDialog {
  Q_OBJECT
 public:
  TInspectForm(TDataKavrel& data, UserDialogs& dialogs, MessagesLog& log,
               QWidget* parent = nullptr);
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
  // "Uncertainty" and "Sensitivity": the stored results of the disease, loaded on first use, an
  // item chosen and shown as a graph or a table. The chooser can be set by tests.
  void ShowUncertainty();
  void ShowSensitivity();
  // "Fit report": the stored result's input groups against its outputs.
  void ShowFitReport();
  std::function<std::pair<int, bool>(const std::vector<std::string>&)> ChooseOutput;
  std::vector<QWidget*> Outputs() const;

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
  void DropAnalyses();
  void Redraw();
  void Show();

  TDataKavrel& data_;
  UserDialogs& dialogs_;
  MessagesLog& log_;
  std::unique_ptr<StoredAnalyses> stored_;
  std::vector<QPointer<QWidget>> outputs_;  // analysis graphs and tables
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
