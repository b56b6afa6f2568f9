#include "support/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Bytes from the system keep every byte that is not part of valid UTF-8 as
// U+DC80 + byte, one byte at a time, also inside sequences that look like
// UTF-8 but are not (cut short, overlong, an encoded surrogate, beyond
// U+10FFFF); valid UTF-8 is decoded as usual.
TEST(SystemBytes, InvalidBytesAreKeptOneByOne) {
  const std::pair<std::string, Text> cases[] = {
      {"caf\xC3\xA9 \xF0\x9F\x99\x82", u"caf\u00E9 \U0001F642"},
      {"caf\xE9", u"caf\xDCE9"},
      {"\xC3", u"\xDCC3"},
      {"\xC0\xAF", u"\xDCC0\xDCAF"},
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
      {"\xFF\x80x", u"\xDCFF\xDC80x"},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(FromSystemBytes(bytes), text) << bytes;
    EXPECT_EQ(ToSystemBytes(text), bytes) << bytes;
  }
}

// Only unpaired U+DC80..U+DCFF are bytes on the way out; other unpaired
// surrogates become U+FFFD, and texts that must be UTF-8 stay strict.
TEST(SystemBytes, OnlyEscapedBytesLeaveAsBytes) {
  EXPECT_EQ(ToSystemBytes(u"\xDC7F\xDD00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ToSystemBytes(u"\xD800\xDC80"), "\xF0\x90\x82\x80");  // a pair, not a byte
  EXPECT_EQ(ToUtf8(u"caf\xDCE9"), "caf\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("caf\xE9"), u"caf\uFFFD");
}

}  // namespace
