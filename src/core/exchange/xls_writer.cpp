#include "core/exchange/xls_writer.h"

#include <cstring>
#include <stdexcept>

#include "core/base/utf8_text.h"
#include "core/store/database.h"

namespace kavrel {

TwriteXLS::TwriteXLS(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc) {
  if (!out_) throw InOutError("Cannot create " + path);
  for (std::uint16_t word : {0x0809, 8, 0x0000, 0x0010, 0, 0}) Word(word);
}

TwriteXLS::~TwriteXLS() { Finish(); }

bool TwriteXLS::Finish() {
  if (!finished_) {
    Word(0x000A);
    Word(0);
    finished_ = true;
    out_.flush();
  }
  return static_cast<bool>(out_);
}

void TwriteXLS::Word(std::uint16_t value) {
  const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  out_.write(bytes, 2);
}

void TwriteXLS::WriteLabel(std::uint16_t column, std::uint16_t row, std::string_view utf8) {
  // The file's labels are 8-bit text in the Windows Western code page.
  const std::string text = WindowsLatin1(utf8);
  if (text.size() > 65527)
    throw std::out_of_range("A spreadsheet text cell holds at most 65527 bytes");
  const auto length = static_cast<std::uint16_t>(text.size());
  for (std::uint16_t word :
       {static_cast<std::uint16_t>(0x0204), static_cast<std::uint16_t>(8 + length), row, column,
        static_cast<std::uint16_t>(0), length}) {
    Word(word);
  }
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void TwriteXLS::WriteNumber(std::uint16_t column, std::uint16_t row, double value) {
  for (std::uint16_t word : {static_cast<std::uint16_t>(0x0203), static_cast<std::uint16_t>(14),
                             row, column, static_cast<std::uint16_t>(0)}) {
    Word(word);
  }
  // IEEE 754 little-endian, whatever the machine.
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  char bytes[8];
  for (int k = 0; k < 8; ++k) bytes[k] = static_cast<char>((bits >> (8 * k)) & 0xFF);
  out_.write(bytes, 8);
}

}  // namespace kavrel
