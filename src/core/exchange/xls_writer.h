#pragma once

// A minimal binary spreadsheet: one worksheet as a flat stream of BIFF records (beginning of file,
// text and number cells, end of file), which spreadsheet programs open as a worksheet.

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace kavrel {

class TwriteXLS {
 public:
  // Creates the file (replacing one of that name) and writes the beginning-of-file record.
  explicit TwriteXLS(const std::string& path);
  // Writes the end-of-file record and closes the file.
  ~TwriteXLS();
  TwriteXLS(const TwriteXLS&) = delete;
  TwriteXLS& operator=(const TwriteXLS&) = delete;

  // The column comes before the row, as callers give them; the record stores the row first.
  // A text longer than 65527 bytes raises std::out_of_range.
  void WriteLabel(std::uint16_t column, std::uint16_t row, std::string_view text);
  void WriteNumber(std::uint16_t column, std::uint16_t row, double value);
  // Writes the end-of-file record now; false when the file could not be written completely.
  bool Finish();

 private:
  void Word(std::uint16_t value);
  std::ofstream out_;
  bool finished_ = false;
};

}  // namespace kavrel
