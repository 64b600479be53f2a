#pragma once

// Disease inputs from a long comma-delimited file, one value per line:
//   Disease,ICD,Sex,Variable,Age from,Age to,Value[,Incidence as population rate]
//   [,Count,Denominator][,Lower,Upper]
// ("Age to" is the last age of the group; empty for the open top group). Each disease of the file
// is added, or replaces the inputs of the disease of that name, which keeps its number. The same
// checks as the input editor apply, each refusal naming its line; a file with any refusal changes
// nothing, and a file without one is stored in one transaction.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/exchange/csv_table.h"

namespace kavrel {

class TDataKavrel;

// The file's headings, in any order and letter case; the last may be left out.
inline const std::vector<std::string> kImportHeadings = {"Disease",  "ICD",    "Sex",  "Variable",
                                                         "Age from", "Age to", "Value"};
// Optional too: the precision of each group, a count and its denominator (cases among persons for
// prevalence, events over person-years for the rates) or a 95 % interval (Lower, Upper).
inline const std::vector<std::string> kImportOptionalHeadings = {
    "Incidence as population rate", "Count", "Denominator", "Lower", "Upper"};

struct ImportOutcome {
  std::vector<std::string> Refusals;  // "Line 12: ..."; nothing stored when any
  std::vector<std::string> Added;     // disease names, in the file's order
  std::vector<std::string> Replaced;
  int Rows = 0;
};

ImportOutcome ImportInputs(TDataKavrel& data, const CsvTable& table, int maxAge);

// A new data set's all-cause mortality and population by age group, from a file with the
// headings of kPopulationHeadings in any order ("Age to" empty for the open top group). The
// groups follow one another from age 0 to the highest age.
inline const std::vector<std::string> kPopulationHeadings = {
    "Age from",          "Age to",           "Mortality males",
    "Mortality females", "Population males", "Population females"};

struct PopulationGroup {
  int Lage = 0;
  int Hage = 0;                    // one past the group's last age
  std::array<double, 4> Values{};  // mortality males, females; population males, females
};

struct PopulationImport {
  std::vector<std::string> Refusals;  // "Line 3: ..."; no data set is made when any
  std::vector<PopulationGroup> Groups;
};

PopulationImport ReadPopulationGroups(const CsvTable& table, int highestAge);

}  // namespace kavrel
