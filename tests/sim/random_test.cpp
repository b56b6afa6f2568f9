#include "sim/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

namespace {

// The generator's state is module-wide; each test starts from a known one.
class Random : public testing::Test {
 protected:
  void SetUp() override { SeedRandom(4660); }
};

std::int32_t NextState() {
  RandomFloat();
  return RandomSeed();
}

TEST_F(Random, StepsFromTheInitialState) {
  const std::int32_t expected[] = {224942860, 539475828, 650989866, 1951098782, 1446483090};
  for (const std::int32_t state : expected) EXPECT_EQ(NextState(), state);
}

TEST_F(Random, FloatUsesOneStepAndTheMiddleBits) {
  const float f = RandomFloat();
  EXPECT_EQ(f, 224942848.0f / 268435456.0f);
  EXPECT_EQ(RandomSeed(), 224942860);
  for (int i = 0; i < 1000; ++i) {
    const float g = RandomFloat();
    ASSERT_GE(g, 0.0f);
    ASSERT_LT(g, 1.0f);
    ASSERT_EQ(std::ldexp(static_cast<double>(g), 24),
              std::floor(std::ldexp(static_cast<double>(g), 24)));
  }
}

TEST_F(Random, DoubleUsesTwoStepsAndMasksBitTwentyNineOfTheSecond) {
  const double d = RandomDouble();
  EXPECT_EQ(d, (224942860.0 + 2604912.0 / 134217728.0) / 536870912.0);
  EXPECT_NEAR(d, 0.41898872706928870, 1e-16);
  EXPECT_EQ(RandomSeed(), 539475828);
  for (int i = 0; i < 1000; ++i) {
    const double e = RandomDouble();
    ASSERT_GE(e, 0.0);
    ASSERT_LT(e, 1.0);
    ASSERT_EQ(std::ldexp(e, 53), std::floor(std::ldexp(e, 53)));
  }
}

TEST_F(Random, RangeIgnoresTheOrderOfItsBounds) {
  const double forward = RandomRange(0, 640);
  EXPECT_NEAR(forward, 268.15278532, 1e-8);
  SeedRandom(4660);
  EXPECT_EQ(RandomRange(640, 0), forward);
  EXPECT_EQ(RandomRange(7.5, 7.5), 7.5);
  EXPECT_EQ(RandomSeed(), 1951098782);  // equal bounds still take two steps
}

TEST_F(Random, IntIncludesBothBoundsInEitherOrder) {
  EXPECT_EQ(RandomInt(1, 6), 3);
  SeedRandom(4660);
  EXPECT_EQ(RandomInt(6, 1), 3);
  SeedRandom(4660);
  EXPECT_EQ(RandomInt(3, 3), 3);
  EXPECT_EQ(RandomSeed(), 539475828);

  std::set<std::int32_t> seen;
  for (int i = 0; i < 600; ++i) {
    const std::int32_t v = RandomInt(1, 6);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 6);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 6u);
}

TEST_F(Random, IntStaysBetweenBoundsWhoseDifferenceOverflows) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  bool negative = false;
  bool positive = false;
  for (int i = 0; i < 2000; ++i) {
    const std::int32_t a = RandomInt(lo, hi);
    const std::int32_t b = RandomInt(hi, lo);
    negative = negative || a < 0 || b < 0;
    positive = positive || a > 0 || b > 0;
    const std::int32_t c = RandomInt(-2000000000, 2000000000);
    ASSERT_GE(c, -2000000000);
    ASSERT_LE(c, 2000000000);
  }
  EXPECT_TRUE(negative);
  EXPECT_TRUE(positive);
}

TEST_F(Random, SeedingDropsTheSignBitAndAvoidsTheLockingValues) {
  for (const std::int32_t seed : {0, -1, std::numeric_limits<std::int32_t>::max(),
                                  std::numeric_limits<std::int32_t>::min()}) {
    SeedRandom(seed);
    EXPECT_EQ(RandomSeed(), 4660) << seed;
  }
  SeedRandom(-2);
  EXPECT_EQ(RandomSeed(), 2147483646);
  SeedRandom(12345);
  EXPECT_EQ(RandomSeed(), 12345);
}

TEST_F(Random, ReseedingWithTheReportedStateRepeatsTheSequence) {
  RandomDouble();
  const std::int32_t mark = RandomSeed();
  const double first = RandomDouble();
  const std::int32_t drawn = RandomInt(-50, 50);
  SeedRandom(mark);
  EXPECT_EQ(RandomDouble(), first);
  EXPECT_EQ(RandomInt(-50, 50), drawn);
}

}  // namespace
