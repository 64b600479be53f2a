#pragma once

// Disease inputs from a long comma-delimited file, one value per line:
//   Disease,ICD,Sex,Variable,Age from,Age to,Value[,Incidence as population rate]
// ("Age to" is the last age of the group; empty for the open top group). Each disease of the file
// is added, or replaces the inputs of the disease of that name, which keeps its number. The same
// checks as the input editor apply, each refusal naming its line; a file with any refusal changes
// nothing, and a file without one is stored in one transaction.

#include <string>
#include <vector>

namespace kavrel {

class TDataKavrel;

struct ImportOutcome {
  std::vector<std::string> Refusals;  // "Line 12: ..."; nothing stored when any
  std::vector<std::string> Added;     // disease names, in the file's order
  std::vector<std::string> Replaced;
  int Rows = 0;
};

// The file's lines (the first holds the headings, in any order and letter case).
ImportOutcome ImportInputs(TDataKavrel& data, const std::vector<std::vector<std::string>>& lines,
                           int maxAge);

}  // namespace kavrel
