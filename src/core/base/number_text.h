#pragma once

// Numbers as the user reads and types them: with the decimal separator of the user's locale. The
// windows pass QLocale's separator; files and statements always use a period and never come here.

#include <optional>
#include <string>
#include <string_view>

namespace kavrel {

// A number as the user typed it: blanks around it ignored, the decimal separator of the user's
// locale (a period is then refused), the whole text one finite number. Nothing otherwise.
// The text without the blanks, tabs and line ends around it.
std::string Trim(std::string_view text);

std::optional<double> ReadNumberText(std::string_view text, char decimalSeparator = '.');

// A number shown to the user with at most `significantDigits` significant digits (printf's %g)
// and the locale's decimal separator.
std::string NumberText(double value, int significantDigits, char decimalSeparator = '.');

// A number that must be finite and lie in [low, high]; `what` names it. The refusal gives the
// value and the range with six significant digits.
std::optional<std::string> CheckRange(double value, double low, double high,
                                      const std::string& what);

}  // namespace kavrel
