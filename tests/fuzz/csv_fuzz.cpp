// The delimited-file reader: any bytes, read as the lines of a comma-delimited file, give fields
// without a crash, and a line written from fields reads back as the same fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/exchange/grid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const auto fields = kavrel::ParseCsvLine(text.substr(start, end - start));
    std::string line = kavrel::CsvLine(fields);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.find_first_of("\r\n") == std::string::npos && kavrel::ParseCsvLine(line) != fields) {
      __builtin_trap();
    }
    start = end + 1;
  }
  return 0;
}
