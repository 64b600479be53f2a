#pragma once

// The inspection window as a model: the stored inputs and results of the disease under the
// diseases cursor, for one sex, as a table and a graph, stepping through the diseases of the data
// set. Nothing is calculated.

#include <memory>
#include <string>
#include <vector>

#include "core/results/graph_lines.h"
#include "core/results/result_table.h"

namespace kavrel {

class TDataKavrel;
struct Tagegrouplist;
class Tdiseaseam;
class UserDialogs;
struct PopulationSeries;
struct ViewOptionsState;

class InspectionWindow {
 public:
  struct Environment {
    TDataKavrel& Data;
    UserDialogs& Dialogs;
    const PopulationSeries& Population;
    int MaxAge;
    const ViewOptionsState& View;
    std::string DatasetName;
    // The tables' age groups; five-year groups when null.
    const Tagegrouplist* TableGroups = nullptr;
    // The fit report marks input groups missed by more than this many percent (a preference).
    int FitReportPercent = 10;
  };

  InspectionWindow(Environment environment, int sex);
  ~InspectionWindow();

  // "Input": the adjusted inputs (false) or the original ones.
  bool Original = false;
  bool FirstEnabled = true;
  bool PriorEnabled = true;
  bool NextEnabled = true;
  bool LastEnabled = true;

  // The disease under the cursor: inputs, adjusted inputs of both sexes, stored outputs.
  void Load();
  std::string Caption() const;
  const std::string& DatasetName() const { return env_.DatasetName; }
  const ViewOptionsState& View() const { return env_.View; }
  const PopulationSeries& Population() const { return env_.Population; }
  // The tables' age groups: the environment's, or five-year groups.
  Tagegrouplist TableGroups() const;
  TDataKavrel& Data() { return env_.Data; }
  int MaxAge() const { return env_.MaxAge; }
  int Sex() const;
  void SetSex(int sex);
  const Tdiseaseam* Disease() const { return disease_.get(); }

  void First();
  void Prior();
  void Next();
  void Last();
  // After the disease list moved the cursor.
  void Chosen();

  TableText Table(const TableRequest& request) const;
  // The fit report of the stored result: its adjusted inputs against its outputs.
  TableText FitTable() const;
  std::string FitTitle() const;
  std::string TableTitle() const;
  std::vector<PlotLine> GraphLines() const;
  std::string GraphCaption() const;

 private:
  void UpdateButtons();

  Environment env_;
  int sex_;
  std::unique_ptr<Tdiseaseam> disease_;
};

}  // namespace kavrel
