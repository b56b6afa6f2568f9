// Pixel-buffer size limits at the edges of the 32-bit range, found by
// fuzzing: a refused size must be refused without arithmetic overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "support/error.h"
#include "support/pixmap.h"

namespace {

TEST(PixelBufferLimits, HugePitchTimesHugeHeightIsRefused) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  // The pitch alone passes 2^33 and the height is near 2^31: their product
  // does not fit in 64 bits.
  try {
    TPixmap::Create(kMax, kMax, RGBAFormat, kMax);
    FAIL() << "no error raised";
  } catch (const RuntimeError& error) {
    EXPECT_STREQ(error.what(),
                 "Create(2147483647, 2147483647, 6, 2147483647): the buffer is too large");
  }
  // A pitch just too large with a single row is refused the same way.
  EXPECT_THROW(TPixmap::Create(kMax / 2 + 1, 1, RGBFormat, 1), RuntimeError);
  // An empty buffer of any height is fine.
  EXPECT_EQ(TPixmap::Create(0, kMax, RGBAFormat, kMax)->pitch, 0);
}

// A buffer without columns may still claim two billion rows; every
// operation on it finishes at once instead of visiting each empty row.
TEST(PixelBufferLimits, ABufferWithoutColumnsIsDoneWithAtOnce) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const TPixmapPtr tall = TPixmap::Create(0, kMax, RGBFormat, 4);
  for (const TPixmapPtr& result :
       {tall->Convert(RGBAFormat), tall->Copy(), MaskedPixelBuffer(tall, 1, 2, 3),
        MirrorBufferX(tall), MirrorBufferY(tall)}) {
    EXPECT_EQ(result->width, 0);
    EXPECT_EQ(result->height, kMax);
  }
  const TPixmapPtr target = TPixmap::Create(0, kMax, AlphaFormat, 4);
  target->Paste(tall, 0, 0);
  target->ClearPixels(0x80FFFFFFu);
  EXPECT_EQ(target->height, kMax);
}

}  // namespace
