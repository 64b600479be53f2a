#pragma once

// The engine's per-disease calculation options: one record per sex, kept in the data set's
// CalculationOptions table. (The preference sets have a record of their own with the same class
// name; the two are never exchanged.)

#include <array>
#include <string>

#include "engine/model_types.h"

namespace kavrel {

struct CalcSettingsRecord {
  int Agegroup = 6;               // "Width of age groups"
  bool Linearsmooth = true;       // "Linear interpolation"
  bool MovAvsmooth = true;        // "Moving average"
  bool CuSplinesmooth = true;     // "Cubic spline"
  bool BirthPrev = true;          // "Prevalence at birth"
  bool Only0 = false;             // "Input for age 0 only"
  bool Trends = false;            // processing window "Apply"
  std::string InciValue = "0.1";  // hazards maximum, as typed
  std::string RemiValue = "0.5";
  std::string CfatValue = "2.0";
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

  bool operator==(const CalcSettingsRecord&) const = default;
};

class Tcalcsettings {
 public:
  std::array<CalcSettingsRecord, kSexCount> Records;

  void SetDefaults(int sex) { Records.at(sex) = CalcSettingsRecord{}; }
};

}  // namespace kavrel
