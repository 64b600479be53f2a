#include "engine/model_types.h"

#include <algorithm>
#include <charconv>
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
  // to_chars is locale independent and exact to the last digit: "1.50000000000000e-03".
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, 14);
  const std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const auto ePos = digits.find('e');
  int exponent = 0;
  std::from_chars(digits.data() + ePos + 2, digits.data() + digits.size(), exponent);
  std::string text(23, '0');
  text[0] = std::signbit(value) && value != 0.0 ? '-' : ' ';
  digits.substr(0, ePos).copy(&text[1], ePos);  // d.dddddddddddddd
  text[17] = 'E';
  text[18] = digits[ePos + 1];  // the exponent's sign
  for (int k = 22; k >= 19 && exponent > 0; --k, exponent /= 10) {
    text[static_cast<std::size_t>(k)] = static_cast<char>('0' + exponent % 10);
  }
  return text;
}

std::optional<double> ReadNumberText(std::string_view text, char decimalSeparator) {
  std::string plain(text);
  plain.erase(0, plain.find_first_not_of(' '));
  plain.erase(plain.find_last_not_of(' ') + 1);
  if (plain.empty()) return std::nullopt;
  if (decimalSeparator != '.') {
    if (plain.find('.') != std::string::npos) return std::nullopt;
    std::replace(plain.begin(), plain.end(), decimalSeparator, '.');
  }
  try {
    std::size_t used = 0;
    const double value = std::stod(plain, &used);
    if (used != plain.size() || !std::isfinite(value)) return std::nullopt;
    return value;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace kavrel
