#include "support/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FormatText, FormatsUtf8IntoATextOfAnyLength) {
  EXPECT_EQ(FormatText("%s: %d", "Größe", -3), u"Größe: -3");
  const std::string longer(1000, 'x');
  EXPECT_EQ(FormatText("%s!", longer.c_str()), Text(1000, u'x') + u"!");
  EXPECT_EQ(FormatText("%s", ""), u"");
}

}  // namespace
