#pragma once

#include <algorithm>
#include <cctype>
#include <string>

#include "core/base/vocabulary.h"

namespace kavrel::cli {

// A name as typed on the command line, compared without case, blanks, dashes or underscores.
inline std::string Simplified(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  text.erase(std::remove_if(text.begin(), text.end(),
                            [](char c) { return c == ' ' || c == '-' || c == '_'; }),
             text.end());
  return text;
}

// A variable by its display name or table word ("case fatality", "CaseFatality", "rr-mortality");
// -1 for none of the seven.
inline int VariableByName(const std::string& name) {
  const std::string wanted = Simplified(name);
  for (int v = 0; v < kVariableCount; ++v) {
    if (Simplified(std::string(kVariableDisplayNames[v])) == wanted ||
        Simplified(std::string(kVariableTableWords[v])) == wanted) {
      return v;
    }
  }
  return -1;
}

// The --sex option, checked by the parser to be males or females in any case.
inline int SexByName(const std::string& name) {
  return Simplified(name) == "females" ? kFemales : kMales;
}

}  // namespace kavrel::cli
