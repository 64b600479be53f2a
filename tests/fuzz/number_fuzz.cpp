// The reader of numbers as the user types them: any text with either decimal separator gives a
// finite number or nothing, and a number shown with that separator reads back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/base/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const char separator = (data[0] & 1) != 0 ? ',' : '.';
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto value = kavrel::ReadNumberText(text, separator);
  if (value && !std::isfinite(*value)) __builtin_trap();
  if (value) {
    const auto again = kavrel::ReadNumberText(kavrel::NumberText(*value, 17, separator), separator);
    if (!again || *again != *value) __builtin_trap();
  }
  return 0;
}
