#pragma once

// Text for files that must hold valid UTF-8 (spreadsheet XML): names typed or imported in another
// encoding are converted, not passed on as bytes that break the file.

#include <string>
#include <string_view>

namespace kavrel {

// The text as valid UTF-8 without control characters: valid UTF-8 sequences are kept, every other
// byte is read as Latin-1 (the encoding older files and Windows programs write names in), and
// control characters other than tab and line breaks become blanks.
std::string ValidUtf8(std::string_view text);

// The text in the Windows Western code page (Latin-1 with the typographic signs in 0x80 ... 0x9F),
// as 8-bit spreadsheet and database files of older programs hold names: read as ValidUtf8 reads
// it; a character the code page lacks becomes '?'.
std::string WindowsLatin1(std::string_view text);

}  // namespace kavrel
