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

std::string WindowsLatin1(std::string_view text) {
  // The code page's signs between 0x80 and 0x9F, by their code points.
  static constexpr struct {
    unsigned int code;
    char byte;
  } kSigns[] = {{0x20AC, '\x80'}, {0x201A, '\x82'}, {0x0192, '\x83'}, {0x201E, '\x84'},
                {0x2026, '\x85'}, {0x2020, '\x86'}, {0x2021, '\x87'}, {0x02C6, '\x88'},
                {0x2030, '\x89'}, {0x0160, '\x8A'}, {0x2039, '\x8B'}, {0x0152, '\x8C'},
                {0x017D, '\x8E'}, {0x2018, '\x91'}, {0x2019, '\x92'}, {0x201C, '\x93'},
                {0x201D, '\x94'}, {0x2022, '\x95'}, {0x2013, '\x96'}, {0x2014, '\x97'},
                {0x02DC, '\x98'}, {0x2122, '\x99'}, {0x0161, '\x9A'}, {0x203A, '\x9B'},
                {0x0153, '\x9C'}, {0x017E, '\x9E'}, {0x0178, '\x9F'}};
  const std::string valid = ValidUtf8(text);
  std::string out;
  out.reserve(valid.size());
  for (std::size_t k = 0; k < valid.size();) {
    const std::size_t length = valid[k] & 0x80 ? SequenceLength(valid, k) : 1;
    unsigned int code = static_cast<unsigned char>(valid[k]);
    if (length > 1) {
      code &= 0x7Fu >> length;
      for (std::size_t i = 1; i < length; ++i) {
        code = (code << 6) | (static_cast<unsigned char>(valid[k + i]) & 0x3Fu);
      }
    }
    k += length;
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out += static_cast<char>(code);
      continue;
    }
    char byte = '?';
    for (const auto& sign : kSigns) {
      if (sign.code == code) byte = sign.byte;
    }
    out += byte;
  }
  return out;
}

}  // namespace kavrel
