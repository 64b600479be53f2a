#include "core/base/input_precision.h"

#include <cmath>

namespace kavrel {

std::optional<std::string> PrecisionProblem(int v, double value, const InputPrecision& precision) {
  using Kind = InputPrecision::Kind;
  switch (precision.Type) {
    case Kind::kNone:
      return std::nullopt;
    case Kind::kCount: {
      if (!CountsDescribe(v)) {
        return std::string("a count and denominator do not describe ") +
               std::string(kVariableDisplayNames[v]) + "; give its 95 % interval instead";
      }
      if (!std::isfinite(precision.Count) || !std::isfinite(precision.Denominator) ||
          precision.Count < 0.0 || precision.Denominator <= 0.0) {
        return std::string("the count must be 0 or more and the denominator more than 0");
      }
      if (v == kPrevalence && precision.Count > precision.Denominator) {
        return std::string("the count of cases exceeds the number of persons");
      }
      return std::nullopt;
    }
    case Kind::kInterval:
      if (!std::isfinite(precision.Lower) || !std::isfinite(precision.Upper) ||
          precision.Lower < 0.0 || !(precision.Upper > precision.Lower)) {
        return std::string("the interval needs a lower limit of 0 or more below its upper limit");
      }
      if (value < precision.Lower || value > precision.Upper) {
        return std::string("the value lies outside its interval");
      }
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace kavrel
