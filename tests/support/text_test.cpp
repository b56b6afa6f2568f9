#include "support/text.h"

#include <gtest/gtest.h>

namespace {

// Only an unpaired U+DC80..U+DCFF, a byte kept by FromSystemBytes, leaves as
// that byte; other unpaired surrogates become U+FFFD, and the strict
// conversions that texts for the window system use stay strict. An encoded
// surrogate is no UTF-8: its bytes are kept one by one, so they cannot pair
// with a kept byte after them.
TEST(SystemBytes, OnlyKeptBytesLeaveAsBytes) {
  EXPECT_EQ(ToSystemBytes(u"\xDCE9\xDC7F\xDD00\xD800"), "\xE9\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ToSystemBytes(u"\xD800\xDC80"), "\xF0\x90\x82\x80");  // a pair, not a byte
  EXPECT_EQ(FromSystemBytes("\xED\xA0\x80\x80"), u"\xDCED\xDCA0\xDC80\xDC80");
  EXPECT_EQ(ToUtf8(u"caf\xDCE9"), "caf\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("caf\xE9"), u"caf\uFFFD");
}

}  // namespace
