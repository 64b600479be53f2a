#pragma once

// CSV fields as the command-line tool and the study summaries write them.

#include <cstdio>
#include <string>

namespace kavrel {

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

}  // namespace kavrel
