// The Win32 packing of message parameters, which the platforms, the fake's
// scripts and the message translation all use.
#include "platform/message_packing.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace platform {
namespace {

std::uint32_t Bits(std::intptr_t lparam) {
  return static_cast<std::uint32_t>(static_cast<std::uintptr_t>(lparam));
}

TEST(KeyLParam, CarriesRepeatScanExtendedContextAndTransition) {
  EXPECT_EQ(Bits(KeyLParam(0x1E, false, false, false)), 0x001E0001u);
  EXPECT_EQ(Bits(KeyLParam(0x1E, false, true, false)), 0x401E0001u);
  EXPECT_EQ(Bits(KeyLParam(0x1E, false, true, true)), 0xC01E0001u);
  EXPECT_EQ(Bits(KeyLParam(0x1E, false, false, false, true)), 0x201E0001u);
  EXPECT_EQ(Bits(KeyLParam(0x48, true, false, false)), 0x01480001u);
  EXPECT_EQ(Bits(KeyLParam(0x1E, false, false, false, false, 0x12345)), 0x001E2345u);
  // A release is negative, as the 32-bit value sign-extended: every
  // platform hands the window procedure the same lParam.
  EXPECT_LT(KeyLParam(0x1E, false, true, true), 0);
  EXPECT_TRUE(KeyWasDown(KeyLParam(0x1E, false, true, false)));
  EXPECT_FALSE(KeyWasDown(KeyLParam(0x1E, false, false, true)));
}

TEST(WheelWParam, DeltaInTheHighWordFlagsInTheLow) {
  const std::uintptr_t wparam = WheelWParam(-120, 0x0001 | 0x0004);
  EXPECT_EQ(GetWheelDelta(wparam), -120);
  EXPECT_EQ(LowWord(wparam), 0x0005u);
  EXPECT_EQ(GetWheelDelta(WheelWParam(32767)), 32767);
  EXPECT_EQ(GetWheelDelta(WheelWParam(-32768)), -32768);
}

}  // namespace
}  // namespace platform
