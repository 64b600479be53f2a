#pragma once

// The engine's per-disease calculation options: one record per sex, kept in the data set's
// CalculationOptions table. (The preference sets have a record of their own with the same class
// name; the two are never exchanged.)

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/vocabulary.h"

namespace kavrel {

// The smoothness text that lets the fit choose its smoothness itself.
inline constexpr char kAutomaticSmoothness[] = "Automatic";
// Whether a smoothness text asks for the automatic choice ("Automatic", in any case, or blank).
bool IsAutomaticSmoothness(const std::string& text);

// The range of a hazard's maximum, wherever it is given (windows, stored options, --option).
inline constexpr double kLowestHazardMaximum = 1e-12;
inline constexpr double kHighestHazardMaximum = 1e3;
inline std::string HazardMaximumRangeMessage(const std::string& hazard) {
  return "The hazards maximum of " + hazard + " must lie between 1e-12 and 1000";
}
class TDataKavrel;
class UserDialogs;
}  // namespace kavrel

namespace kavrel {

struct CalcSettingsRecord {
  int Agegroup = 6;               // "Width of age groups"
  bool Linearsmooth = true;       // "Linear interpolation"
  bool MovAvsmooth = true;        // "Moving average"
  bool CuSplinesmooth = false;    // "Cubic spline"
  bool BirthPrev = true;          // "Prevalence at birth"
  bool Only0 = false;             // "Input for age 0 only"
  bool Trends = false;            // processing window "Apply"
  std::string InciValue = "0.1";  // hazards maximum, as typed
  std::string RemiValue = "0.5";
  std::string CfatValue = "2";
  int InciEnforce = 10;
  int RemiEnforce = 10;
  int CfatEnforce = 10;
  // Slider positions 1 ... 20, in the order of the variables.
  int InciWeight = 1, PrevWeight = 1, RemiWeight = 1, CfatWeight = 1, DuraWeight = 1,
      MortWeight = 1, RRMortWeight = 1;
  // Stored inverted: true when the window's "Ignore" box is clear.
  bool InciIgn = true, PrevIgn = true, RemiIgn = true, CfatIgn = true, DuraIgn = true,
       MortIgn = true, RRMortIgn = true;
  bool InciExact = false, RemiExact = false, CfatExact = false;
  // The six fields of "Downhill simplex options", as typed.
  std::string MaxIter = "1000";
  std::string Precision = "1.0E-09";
  std::string Simplex = "0.05";
  std::string Alpha = "1.0";
  std::string Beta = "0.5";
  std::string Gamma = "2.0";
  // The fitting method: 0 per age group, 1 all ages at once (with its smoothness, as typed).
  int FitMethod = 0;
  std::string FitSmoothness = "Automatic";

  bool operator==(const CalcSettingsRecord&) const = default;
};

// The ranges the calculation and downhill simplex option windows allow: a refusal naming the
// column, its value and the range, or nothing when every option is in range.
std::optional<std::string> CheckCalcSettings(const CalcSettingsRecord& record);

// The changes as they would be applied to a record: nothing when every one is COLUMN=VALUE with
// a known column and a value of its type, else the refusal naming the first bad one.
std::optional<std::string> CheckOptionChanges(const std::vector<std::string>& options);
// Applies COLUMN=VALUE changes to a record, then the options' own check; the refusal, if any.
std::optional<std::string> ApplyOptionChanges(CalcSettingsRecord& record,
                                              const std::vector<std::string>& options);

inline constexpr std::string_view kCalcOptionsTableError =
    "Error creating table for calculation options.";

class Tcalcsettings {
 public:
  std::array<CalcSettingsRecord, kSexCount> Records;

  // The defaults are what the option windows show in a fresh installation, so that a disease
  // without stored options is calculated alike by the windows and the command-line tool.
  void SetDefaults(int sex);
  // The disease's stored row for sex, or the defaults when it has none; nothing changes when the
  // data set has no options table. A stored number that is not a number raises DatabaseError.
  // True when a stored row was read.
  bool LoadFromTable(int sex, TDataKavrel& data, int inputId);
  // Replaces the disease's stored row for sex, creating the table on first need. False, after
  // "Error creating table for calculation options.", when the table cannot be made.
  bool SaveToTable(int sex, TDataKavrel& data, int inputId, UserDialogs& dialogs) const;
  // The same inside the caller's transaction; a table that cannot be made raises DatabaseError
  // with kCalcOptionsTableError.
  void WriteToTable(int sex, TDataKavrel& data, int inputId) const;
  // One column by its name (any letter case) set from a text, as the command line gives it; false
  // for an unknown column or a value its type cannot take.
  static bool SetColumn(CalcSettingsRecord& record, std::string_view column,
                        std::string_view value);
  // The insert statement of record sex.
  std::string InsertStatement(int sex, int inputId) const;
};

}  // namespace kavrel
