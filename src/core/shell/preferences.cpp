#include "core/shell/preferences.h"

#include <algorithm>
#include <stdexcept>

#include "core/agesched/age_groups.h"
#include "core/agesched/age_schedule.h"
#include "core/analysis/analysis_window.h"
#include "core/base/number_text.h"
#include "core/base/user_dialogs.h"
#include "core/engine/amoeba.h"
#include "core/exchange/export.h"
#include "core/shell/calc_windows.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"

namespace kavrel {

namespace prefs {

namespace {

using K = Column::Kind;

Column I(std::string_view name, int& value) { return {name, K::kInteger, &value}; }
Column L(std::string_view name, bool& value) { return {name, K::kLogical, &value}; }
Column T(std::string_view name, std::string& value) { return {name, K::kText, &value}; }
Column C(std::string_view name, Colour& value) { return {name, K::kColour, &value}; }

long long Integer(const std::string& text, std::string_view column) {
  try {
    std::size_t used = 0;
    const long long value = std::stoll(text, &used);
    if (used == text.size()) return value;
  } catch (const std::exception&) {
  }
  throw DatabaseError("The stored preference " + std::string(column) + " (\"" + text +
                      "\") is not a whole number; the preference set was not read");
}

constexpr std::array<std::string_view, kVariableCount> kShort = {"inci", "prev", "remi",  "cfat",
                                                                 "dura", "mort", "RRmort"};

}  // namespace

bool SettingsObject::LoadFromTable(TDataKavrel& data, int prefId) {
  QueryResult& row = data.QueryCollection("select * from " + std::string(Table()) +
                                          " where prefid=" + std::to_string(prefId));
  if (row.RecordCount() == 0) return false;
  for (const Column& c : Columns()) {
    const int field = row.FieldIndex(c.Name);
    if (field < 0) continue;
    switch (c.Type) {
      case K::kInteger:
        *static_cast<int*>(c.Value) = static_cast<int>(Integer(Trim(row.AsText(field)), c.Name));
        break;
      case K::kColour:
        *static_cast<Colour*>(c.Value) =
            static_cast<Colour>(Integer(Trim(row.AsText(field)), c.Name));
        break;
      case K::kLogical:
        *static_cast<bool*>(c.Value) = row.AsBoolean(field);
        break;
      case K::kText:
        *static_cast<std::string*>(c.Value) = Trim(row.AsText(field));
        break;
    }
  }
  return true;
}

void SettingsObject::SaveToTable(TDataKavrel& data, int prefId) {
  // A column added in a later version is added to an older collection's table when it is first
  // written; reading such a table keeps the column's default.
  const std::vector<Column> columns = Columns();
  std::vector<const Column*> missing;
  {
    QueryResult& probe = data.QueryCollection("select * from " + std::string(Table()) + " where 0");
    for (const Column& c : columns) {
      if (probe.FieldIndex(c.Name) < 0) missing.push_back(&c);
    }
  }
  for (const Column* c : missing) {
    const char* type = c->Type == K::kLogical ? "logical"
                       : c->Type == K::kText  ? "char(50)"
                                              : "integer";
    data.ExecCollection("Alter table " + std::string(Table()) + " Add " + std::string(c->Name) +
                        " " + type);
  }
  std::string names = "PrefId";
  for (const Column& c : columns) names += ", " + std::string(c.Name);
  std::string insert =
      "insert into " + std::string(Table()) + " (" + names + ") values (" + std::to_string(prefId);
  for (const Column& c : columns) {
    insert += ", ";
    switch (c.Type) {
      case K::kInteger:
        insert += std::to_string(*static_cast<int*>(c.Value));
        break;
      case K::kColour:
        insert += std::to_string(*static_cast<Colour*>(c.Value));
        break;
      case K::kLogical:
        insert += StatementBool(*static_cast<bool*>(c.Value));
        break;
      case K::kText:
        insert += Quote(*static_cast<std::string*>(c.Value));
        break;
    }
  }
  data.ExecCollection(insert + ")");
}

// Table settings

void Ttablesettings::SetDefaults() {
  Age.fill(0);
  Rates.fill(0);
  Decimals.fill(4);
  ProcessNumbers = false;
  ProcessHazards = true;
  InputVisible.fill(true);
  OutputVisible.fill(true);
  ExportNumbers = 2;
}

std::vector<Column> Ttablesettings::Columns() {
  std::vector<Column> columns;
  static const std::array<std::array<std::string, 3>, 6> names = [] {
    std::array<std::array<std::string, 3>, 6> n;
    const std::array<std::string, 6> p = {"input",      "process", "export",
                                          "population", "pattern", "uncert"};
    for (int k = 0; k < 6; ++k) n[k] = {p[k] + "age", p[k] + "rates", p[k] + "dec"};
    return n;
  }();
  static const std::array<std::string, kVariableCount> inputNames = {
      "procininci", "procinprev", "procinremi",  "procincfat",
      "procindur",  "procinmort", "procinrrmort"};
  static const std::array<std::string, kVariableCount + 1> outputNames = {
      "procuitinci", "procuitprev", "procuitremi",   "procuitcfat",
      "procuitdur",  "procuitmort", "procuitrrmort", "procuitageon"};
  for (int k = 0; k < 2; ++k) {
    columns.push_back(I(names[k][0], Age[k]));
    columns.push_back(I(names[k][1], Rates[k]));
    columns.push_back(I(names[k][2], Decimals[k]));
  }
  columns.push_back(L("processnum", ProcessNumbers));
  columns.push_back(L("processhaz", ProcessHazards));
  for (int v = 0; v < kVariableCount; ++v) columns.push_back(L(inputNames[v], InputVisible[v]));
  for (int v = 0; v <= kVariableCount; ++v) columns.push_back(L(outputNames[v], OutputVisible[v]));
  columns.push_back(I(names[2][0], Age[2]));
  columns.push_back(I(names[2][1], Rates[2]));
  columns.push_back(I(names[2][2], Decimals[2]));
  columns.push_back(I("exportnum", ExportNumbers));
  for (int k = 3; k < 6; ++k) {
    columns.push_back(I(names[k][0], Age[k]));
    columns.push_back(I(names[k][1], Rates[k]));
    columns.push_back(I(names[k][2], Decimals[k]));
  }
  return columns;
}

void Ttablesettings::ShowInWindows(PreferenceWindows& w) const {
  w.Input = {Rates[0], Decimals[0]};
  w.View.RatesIndex = Rates[1];
  w.View.Decimals = Decimals[1];
  w.View.Numbers = ProcessNumbers;
  w.View.HazardsOutput = ProcessHazards;
  w.View.InputVisible = InputVisible;
  w.View.OutputVisible = OutputVisible;
  w.Export.RatesIndex = Rates[2];
  w.Export.Decimals = Decimals[2];
  w.Export.Numbers = static_cast<kavrel::ExportNumbers>(std::clamp(ExportNumbers, 0, 2));
  w.Population = {Rates[3], Decimals[3]};
  w.Pattern = {Rates[4], Decimals[4]};
  w.Uncertainty = {Rates[5], Decimals[5]};
}

void Ttablesettings::TakeFromWindows(const PreferenceWindows& w) {
  Rates = {w.Input.RatesIndex,      w.View.RatesIndex,    w.Export.RatesIndex,
           w.Population.RatesIndex, w.Pattern.RatesIndex, w.Uncertainty.RatesIndex};
  Decimals = {w.Input.Decimals,      w.View.Decimals,    w.Export.Decimals,
              w.Population.Decimals, w.Pattern.Decimals, w.Uncertainty.Decimals};
  ProcessNumbers = w.View.Numbers;
  ProcessHazards = w.View.HazardsOutput;
  InputVisible = w.View.InputVisible;
  OutputVisible = w.View.OutputVisible;
  ExportNumbers = static_cast<int>(w.Export.Numbers);
}

// Graph settings

void Tgraphsettings::SetDefaults() { Graphs = ViewOptionsState(); }

std::vector<Column> Tgraphsettings::Columns() {
  static const std::array<std::array<std::string, kVariableCount>, 6> names = [] {
    std::array<std::array<std::string, kVariableCount>, 6> n;
    for (int v = 0; v < kVariableCount; ++v) {
      const std::string s(kShort[v]);
      n[0][v] = s + "vis";
      n[1][v] = s + "uitvis";
      n[2][v] = s + "ra";
      n[3][v] = s + "uitra";
      n[4][v] = s + "col";
      n[5][v] = s + "uitcol";
    }
    return n;
  }();
  static const std::array<std::string, 8> ci = {"ci0col", "ci5col", "ci6col",  "ci7col",
                                                "ci8col", "ci9col", "ci95col", "ci99col"};
  std::vector<Column> columns{I("inpspin", Graphs.InputLineWidth),
                              I("outpspin", Graphs.OutputLineWidth)};
  for (int v = 0; v < kVariableCount; ++v)
    columns.push_back(L(names[0][v], Graphs.InputLines[v].Visible));
  for (int v = 0; v < kVariableCount; ++v)
    columns.push_back(L(names[1][v], Graphs.OutputLines[v].Visible));
  for (int v = 0; v < kVariableCount; ++v)
    columns.push_back(L(names[2][v], Graphs.InputLines[v].RightAxis));
  for (int v = 0; v < kVariableCount; ++v)
    columns.push_back(L(names[3][v], Graphs.OutputLines[v].RightAxis));
  for (int v = 0; v < kVariableCount; ++v)
    columns.push_back(C(names[4][v], Graphs.InputLines[v].LineColour));
  for (int v = 0; v < kVariableCount; ++v)
    columns.push_back(C(names[5][v], Graphs.OutputLines[v].LineColour));
  columns.push_back(I("uncertspin", Graphs.UncertaintyLineWidth));
  for (int k = 0; k < 8; ++k) columns.push_back(C(ci[k], Graphs.UncertaintyColours[k]));
  return columns;
}

void Tgraphsettings::ShowInWindows(PreferenceWindows& w) const {
  w.View.InputLineWidth = Graphs.InputLineWidth;
  w.View.OutputLineWidth = Graphs.OutputLineWidth;
  w.View.UncertaintyLineWidth = Graphs.UncertaintyLineWidth;
  w.View.InputLines = Graphs.InputLines;
  w.View.OutputLines = Graphs.OutputLines;
  w.View.UncertaintyColours = Graphs.UncertaintyColours;
}

void Tgraphsettings::TakeFromWindows(const PreferenceWindows& w) {
  Graphs.InputLineWidth = w.View.InputLineWidth;
  Graphs.OutputLineWidth = w.View.OutputLineWidth;
  Graphs.UncertaintyLineWidth = w.View.UncertaintyLineWidth;
  Graphs.InputLines = w.View.InputLines;
  Graphs.OutputLines = w.View.OutputLines;
  Graphs.UncertaintyColours = w.View.UncertaintyColours;
}

// Calculation settings

void Tcalcsettings::SetDefaults() {
  Options = CalcSettingsRecord{};
  Options.CfatValue = "2.0";  // as preference sets have always stored it
  Graphopen = true;
  Tableopen = false;
  MaxIterWarn = true;
  AdditIter = false;
  FitReport = 10;
}

std::vector<Column> Tcalcsettings::Columns() {
  CalcSettingsRecord& r = Options;
  std::vector<Column> columns{I("Agegroup", r.Agegroup),
                              L("Linearsmooth", r.Linearsmooth),
                              L("MovAvsmooth", r.MovAvsmooth),
                              L("CuSplinesmooth", r.CuSplinesmooth),
                              L("BirthPrev", r.BirthPrev),
                              L("Only0", r.Only0),
                              T("InciValue", r.InciValue),
                              T("RemiValue", r.RemiValue),
                              T("CfatValue", r.CfatValue),
                              I("InciEnforce", r.InciEnforce),
                              I("RemiEnforce", r.RemiEnforce),
                              I("CfatEnforce", r.CfatEnforce),
                              L("Graphopen", Graphopen),
                              L("Tableopen", Tableopen),
                              I("InciWeight", r.InciWeight),
                              I("PrevWeight", r.PrevWeight),
                              I("RemiWeight", r.RemiWeight),
                              I("CfatWeight", r.CfatWeight),
                              I("DuraWeight", r.DuraWeight),
                              I("MortWeight", r.MortWeight),
                              I("RRMortWeight", r.RRMortWeight),
                              L("InciIgn", r.InciIgn),
                              L("PrevIgn", r.PrevIgn),
                              L("RemiIgn", r.RemiIgn),
                              L("CfatIgn", r.CfatIgn),
                              L("DuraIgn", r.DuraIgn),
                              L("MortIgn", r.MortIgn),
                              L("RRMortIgn", r.RRMortIgn),
                              L("MaxIterWarn", MaxIterWarn),
                              L("InciExact", r.InciExact),
                              L("RemiExact", r.RemiExact),
                              L("CfatExact", r.CfatExact),
                              L("AdditIter", AdditIter),
                              T("MaxIter", r.MaxIter),
                              T("Precision", r.Precision),
                              T("Simplex", r.Simplex),
                              T("Alpha", r.Alpha),
                              T("Beta", r.Beta),
                              T("Gamma", r.Gamma),
                              I("FitMethod", r.FitMethod),
                              T("FitSmoothness", r.FitSmoothness),
                              I("FitReport", FitReport)};
  return columns;
}

void Tcalcsettings::ShowInWindows(PreferenceWindows& w) const {
  ProcessingWindowState processing;  // the trends' "Apply" is no preference
  ShowOptionsInWindows(Options, w.Calc, w.Simplex, processing);
  w.Calc.OpenGraph = Graphopen;
  w.Calc.OpenTable = Tableopen;
  w.Simplex.WarnOnMaxIterations = MaxIterWarn;
  w.Simplex.AskMoreIterations = AdditIter;
  w.Calc.FitReportPercent = FitReport;
}

void Tcalcsettings::TakeFromWindows(const PreferenceWindows& w) {
  TakeOptionsFromWindows(Options, w.Calc, w.Simplex, ProcessingWindowState{});
  Graphopen = w.Calc.OpenGraph;
  Tableopen = w.Calc.OpenTable;
  MaxIterWarn = w.Simplex.WarnOnMaxIterations;
  AdditIter = w.Simplex.AskMoreIterations;
  FitReport = w.Calc.FitReportPercent;
}

// Smooth, fit and sensitivity settings

void Tfitsenssettings::SetDefaults() {
  FitOp = 0;
  PolyOrder = 2;
  AddLow = AddHigh = true;
  AgeLow = 0;
  AgeHigh = 95;
  ValueLow = ValueHigh = "Default";
  MaPeriod = 5;
  AgeRangeLow = 0;
  AgeRangeHigh = maxAge_;
  Varco = "0.1";
  InputVarco = false;
  Rng = 5;
}

std::vector<Column> Tfitsenssettings::Columns() {
  return {I("FitOp", FitOp),
          I("PolyOrder", PolyOrder),
          L("addlow", AddLow),
          L("addhigh", AddHigh),
          I("AgeLow", AgeLow),
          I("AgeHigh", AgeHigh),
          T("ValueLow", ValueLow),
          T("ValueHigh", ValueHigh),
          I("maperiod", MaPeriod),
          I("agerangelow", AgeRangeLow),
          I("agerangeHi", AgeRangeHigh),
          T("varco", Varco),
          L("inputvarco", InputVarco),
          I("RNG", Rng)};
}

void Tfitsenssettings::ShowInWindows(PreferenceWindows& w) const {
  w.Fit.WeightByPopulation = FitOp != 0;
  w.Fit.PolynomialOrder = PolyOrder;
  w.Fit.AddLow = AddLow;
  w.Fit.AddHigh = AddHigh;
  w.Fit.LowAge = AgeLow;
  w.Fit.HighAge = AgeHigh;
  w.Fit.LowValue = ValueLow;
  w.Fit.HighValue = ValueHigh;
  w.Fit.Period = MaPeriod;
  w.Analysis.DefaultValue = Varco;
  w.Analysis.UseAsInput = InputVarco;
  w.Analysis.Generator = Rng;
}

void Tfitsenssettings::TakeFromWindows(const PreferenceWindows& w) {
  FitOp = w.Fit.WeightByPopulation ? 1 : 0;
  PolyOrder = w.Fit.PolynomialOrder;
  AddLow = w.Fit.AddLow;
  AddHigh = w.Fit.AddHigh;
  AgeLow = w.Fit.LowAge;
  AgeHigh = w.Fit.HighAge;
  ValueLow = w.Fit.LowValue;
  ValueHigh = w.Fit.HighValue;
  MaPeriod = w.Fit.Period;
  Varco = w.Analysis.DefaultValue;
  InputVarco = w.Analysis.UseAsInput;
  Rng = w.Analysis.Generator;
}

}  // namespace prefs

void Tpreferences::ShowInWindows(PreferenceWindows& windows) const {
  Table.ShowInWindows(windows);
  Graph.ShowInWindows(windows);
  Calc.ShowInWindows(windows);
  FitSens.ShowInWindows(windows);
}

void Tpreferences::TakeFromWindows(const PreferenceWindows& windows) {
  for (auto* object : Objects()) object->TakeFromWindows(windows);
}

void Tpreferences::DeleteSet(TDataKavrel& data, int prefId) {
  const std::string id = std::to_string(prefId);
  for (const char* table :
       {"Preferences", "Tableprefs", "Graphprefs", "Calcprefs", "fitsensprefs"}) {
    data.ExecCollection("delete from " + std::string(table) + " where prefid=" + id);
  }
}

bool Tpreferences::Save(const std::string& name, PreferenceWindows& windows, TDataKavrel& data,
                        UserDialogs& dialogs) {
  if (name == "Preset") {
    dialogs.ShowInformation(kCannotSaveDefaults);
    return false;
  }
  const bool replacing = name == Name;
  if (replacing) {
    if (dialogs.Message(kOverwriteCurrentSet, DialogKind::kConfirmation,
                        DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
      return false;
    }
  } else if (data.QueryCollection("select prefId from preferences where prefname=" + Quote(name))
                 .RecordCount() > 0) {
    // Another set of this name would make the look-up by name ambiguous.
    dialogs.ShowError(kDuplicatePreferenceName);
    return false;
  }
  Database::Transaction transaction(data.Collection());
  if (replacing) DeleteSet(data, PrefID);
  data.ExecCollection("insert into Preferences (prefname) values (" + Quote(name) + ")");
  const int id = static_cast<int>(
      data.QueryCollection("select prefId from preferences where prefname=" + Quote(name))
          .AsInteger(0));
  TakeFromWindows(windows);
  for (auto* object : Objects()) object->SaveToTable(data, id);
  transaction.Commit();
  PrefID = id;
  Name = name;
  return true;
}

bool Tpreferences::Read(PreferenceWindows& windows, TDataKavrel& data, UserDialogs& dialogs) {
  QueryResult& sets = data.QueryCollection("select distinct prefid, prefname from Preferences");
  std::vector<std::pair<int, std::string>> rows;
  std::vector<std::string> names;
  for (sets.First(); !sets.Eof(); sets.Next()) {
    rows.emplace_back(static_cast<int>(sets.AsInteger(0)), sets.AsText(1));
    names.push_back(rows.back().second);
  }
  const int chosen = dialogs.ChooseFromList("Saved preference sets", names);
  if (chosen < 0 || chosen >= static_cast<int>(rows.size())) return false;
  // Read into copies first: a set that cannot be read leaves the current settings as they were.
  prefs::Ttablesettings table = Table;
  prefs::Tgraphsettings graph = Graph;
  prefs::Tcalcsettings calc = Calc;
  prefs::Tfitsenssettings fitSens = FitSens;
  const int id = rows[static_cast<std::size_t>(chosen)].first;
  try {
    table.LoadFromTable(data, id);
    graph.LoadFromTable(data, id);
    calc.LoadFromTable(data, id);
    fitSens.LoadFromTable(data, id);
  } catch (const DatabaseError& e) {
    dialogs.ShowError(e.what());
    return false;
  }
  PrefID = id;
  Name = rows[static_cast<std::size_t>(chosen)].second;
  Table = table;
  Graph = graph;
  Calc = calc;
  FitSens = fitSens;
  ShowInWindows(windows);
  return true;
}

bool Tpreferences::Delete(TDataKavrel& data, UserDialogs& dialogs) {
  QueryResult& sets = data.QueryCollection("select distinct prefid, prefname from Preferences");
  std::vector<std::pair<int, std::string>> rows;
  std::vector<std::string> names;
  for (sets.First(); !sets.Eof(); sets.Next()) {
    rows.emplace_back(static_cast<int>(sets.AsInteger(0)), sets.AsText(1));
    names.push_back(rows.back().second);
  }
  const int chosen = dialogs.ChooseFromList("Saved preference sets", names);
  if (chosen < 0 || chosen >= static_cast<int>(rows.size())) return false;
  const auto& [id, name] = rows[static_cast<std::size_t>(chosen)];
  if (dialogs.Message("Are you sure you want to delete preference set " + name + "?",
                      DialogKind::kConfirmation,
                      DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return false;
  }
  Database::Transaction transaction(data.Collection());
  DeleteSet(data, id);
  transaction.Commit();
  return true;
}

void Tpreferences::Restore(PreferenceWindows& windows) {
  PrefID = 0;
  Name = "Preset";
  for (auto* object : Objects()) object->SetDefaults();
  ShowInWindows(windows);
}

void Tpreferences::ChooseAgeGroups(int which, TDataKavrel& data, UserDialogs& dialogs) {
  const auto choice = ChooseAgeSchedule(data, dialogs);
  Table.Age.at(static_cast<std::size_t>(which)) = choice ? choice->Number : 0;
}

}  // namespace kavrel
