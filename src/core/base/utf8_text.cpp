#include "core/base/utf8_text.h"

namespace kavrel {

namespace {

// The length of the valid UTF-8 sequence at text[k], or 0 when none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t k) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(k);
  std::size_t length = 0;
  unsigned int code = 0;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    code = first & 0x1Fu;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    code = first & 0x0Fu;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    code = first & 0x07u;
  } else {
    return 0;
  }
  if (k + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(k + i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(k + i) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points beyond Unicode are not valid.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
  std::string valid;
  valid.reserve(text.size());
  for (std::size_t k = 0; k < text.size();) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (c < 0x80) {
      valid += (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F ? ' ' : text[k];
      ++k;
      continue;
    }
    if (const std::size_t length = SequenceLength(text, k); length > 0) {
      valid.append(text.substr(k, length));
      k += length;
      continue;
    }
    // A Latin-1 byte: U+0080 ... U+00FF in two bytes (the C1 controls become blanks).
    if (c < 0xA0) {
      valid += ' ';
    } else {
      valid += static_cast<char>(0xC0 | (c >> 6));
      valid += static_cast<char>(0x80 | (c & 0x3F));
    }
    ++k;
  }
  return valid;
}

}  // namespace kavrel
