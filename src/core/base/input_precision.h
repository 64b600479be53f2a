#pragma once

// The precision of one input age group, as the user may give it beside the value.

#include <cstdint>
#include <optional>
#include <string>

#include "core/base/vocabulary.h"

namespace kavrel {

// How precise one input age group is: the count behind it and its denominator (cases among
// persons for prevalence; events over person-years for incidence, remission, case fatality and
// mortality), or a 95 % interval around the value; or nothing known.
struct InputPrecision {
  enum class Kind : std::uint8_t { kNone = 0, kCount = 1, kInterval = 2 };
  Kind Type = Kind::kNone;
  double Count = 0.0;        // cases or events
  double Denominator = 0.0;  // persons or person-years
  double Lower = 0.0;        // the 95 % interval
  double Upper = 0.0;
  bool Known() const { return Type != Kind::kNone; }
  bool operator==(const InputPrecision&) const = default;
};

// Whether a count over a denominator describes variable v (not so for duration and RR mortality,
// which take an interval).
inline bool CountsDescribe(int v) { return v != kDuration && v != kRRMortality; }

// What is wrong with the precision of an input group of variable v whose value is `value`, in a
// sentence; nothing when it can be used.
std::optional<std::string> PrecisionProblem(int v, double value, const InputPrecision& precision);

}  // namespace kavrel
