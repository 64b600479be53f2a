#include "core/base/utf8_text.h"

#include <gtest/gtest.h>

namespace kavrel {
namespace {

TEST(Utf8TextTest, ValidKeptOtherBytesAsLatin1) {
  const struct {
    std::string text, valid;
  } cases[] = {
      {"Asthma", "Asthma"},
      {"Maladie \xC3\xA9pid\xC3\xA9mique", "Maladie \xC3\xA9pid\xC3\xA9mique"},  // UTF-8 kept
      {"Maladie \xE9pid\xE9mique", "Maladie \xC3\xA9pid\xC3\xA9mique"},          // Latin-1
      {"M\xFCller's", "M\xC3\xBCller's"},
      {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},  // a three-byte sequence
      {"\xE2\x82", "\xC3\xA2 "},             // cut off: read as Latin-1 (0x82 is a C1 control)
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},      // an overlong form is no UTF-8
      {"a\x01"
       "b\x7F",
       "a b "},  // control characters
      {"tab\there\r\n", "tab\there\r\n"},
      {"\x85", " "},  // a C1 control
  };
  for (const auto& c : cases) EXPECT_EQ(ValidUtf8(c.text), c.valid) << c.text;
}

TEST(Utf8TextTest, WindowsLatin1ForEightBitFiles) {
  const struct {
    std::string text, latin1;
  } cases[] = {
      {"Asthma", "Asthma"},
      {"Maladie \xC3\xA9pid\xC3\xA9mique", "Maladie \xE9pid\xE9mique"},  // UTF-8 converted
      {"M\xFCller's", "M\xFCller's"},                                    // Latin-1 kept
      {"\xE2\x82\xAC 5 \xE2\x80\x93 6", "\x80 5 \x96 6"},  // euro and dash of the code page
      {"\xE4\xB8\xAD\xF0\x9F\x98\x80", "??"},              // outside it
  };
  for (const auto& c : cases) EXPECT_EQ(WindowsLatin1(c.text), c.latin1) << c.text;
}

}  // namespace
}  // namespace kavrel
