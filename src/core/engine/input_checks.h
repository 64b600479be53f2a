#pragma once

// The checks every entrance applies to what a user, a file or another program hands in: the
// windows, the command-line tool and the file readers refuse the same values with the same words.
// A refusal names the value, where it is, and what is allowed.

#include <optional>
#include <string>
#include <vector>

#include "core/base/number_text.h"  // CheckRange, which entrances use with these

namespace kavrel {

class Tdisease;

struct AgeSpan {
  int Lage = 0;
  int Hage = 0;  // first age after the group
};

// Age groups in their stored order: each inside 0 ... maxAge + 1 and not empty, each starting
// where the one before it ended or later. `what` names them ("The age groups of Incidence of
// Asthma for Males").
std::optional<std::string> CheckAgeGroups(const std::vector<AgeSpan>& groups, int maxAge,
                                          const std::string& what);

// One value of a variable: a finite number, not negative, a prevalence at most 1. `where` names it
// ("Prevalence of Asthma for Males at age 40").
std::optional<std::string> CheckInputValue(int variable, double value, const std::string& where);

// A value the model takes but cannot reproduce: an RR mortality below 1 (the diseased die at
// least as often as the healthy in this model) or a duration of 0. Nothing for other values.
std::optional<std::string> InputValueWarning(int variable, double value, const std::string& where);

// The warnings for the own inputs of the sex, one per variable at most (its first group).
std::vector<std::string> InputWarnings(const Tdisease& disease, int sex, int maxAge);

// Every input the calculation of the sex uses: the age groups of the inputs and the single-year
// values of the variables that are available (own inputs or outputs taken as inputs).
std::optional<std::string> CheckInputs(const Tdisease& disease, int sex, int maxAge);

}  // namespace kavrel
