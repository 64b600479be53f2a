#include "core/base/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace kavrel {

std::string Trim(std::string_view text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return "";
  const auto end = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(begin, end - begin + 1));
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

std::string NumberText(double value, int significantDigits, char decimalSeparator) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*g", significantDigits, value);
  std::string text(buffer);
  std::replace(text.begin(), text.end(), '.', decimalSeparator);
  return text;
}

std::optional<std::string> CheckRange(double value, double low, double high,
                                      const std::string& what) {
  const auto shown = [](double number) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", number);
    return std::string(buffer);
  };
  if (std::isfinite(value) && value >= low && value <= high) return std::nullopt;
  return what + " is " + shown(value) + "; it must lie between " + shown(low) + " and " +
         shown(high) + ".";
}

}  // namespace kavrel
