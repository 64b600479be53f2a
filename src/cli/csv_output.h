#pragma once

// How the command-line tool writes CSV on standard output.

#include <cstdio>
#include <string>

namespace kavrel::cli {

// A field, quoted only when it holds a separator, a quote or a line break.
inline std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// A number with 17 significant digits: every double reads back exactly.
inline std::string CsvNumber(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

}  // namespace kavrel::cli
