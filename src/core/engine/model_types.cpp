#include "engine/model_types.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace kavrel {

std::string GroupLabel(int lage, int hage, int maxAge) {
  if (hage >= maxAge + 1) return std::to_string(lage) + "+";
  if (hage - lage > 1) return std::to_string(lage) + "-" + std::to_string(hage - 1);
  return std::to_string(lage);
}

std::string StatementReal(double value) {
  if (!std::isfinite(value)) {
    throw std::domain_error("A number that is not finite cannot be stored in the database");
  }
  // printf writes the mantissa in the C locale's form, which is locale independent only for the
  // digits; the period is forced below so that a comma locale cannot leak into a statement.
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.14E", std::fabs(value));
  // buffer: d?dddddddddddddd E sign exponent digits
  std::string text(buffer);
  const auto ePos = text.find('E');
  std::string mantissa = text.substr(0, ePos);
  mantissa[1] = '.';
  const char expSign = text[ePos + 1];
  const int exponent = std::atoi(text.c_str() + ePos + 2);
  char expDigits[8];
  std::snprintf(expDigits, sizeof expDigits, "%04d", exponent);
  std::string result;
  result.reserve(23);
  result += std::signbit(value) && value != 0.0 ? '-' : ' ';
  result += mantissa;
  result += 'E';
  result += expSign;
  result += expDigits;
  return result;
}

}  // namespace kavrel
