// Fuzz target: a sequence of pixel-buffer operations (create, view, copy,
// paste, convert, mask, mirror, resample, clear, pixel reads and writes) on a
// few buffers with arbitrary sizes, formats and coordinates. A RuntimeError
// is an accepted answer; memory errors, hangs and undefined behaviour are not.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "support/error.h"
#include "support/pixmap.h"

namespace {

constexpr std::int64_t kMaxBytes = 1 << 20;  // keeps every buffer small

// Mostly small values, sometimes the edges of the 32-bit range.
std::int32_t Coordinate(FuzzedDataProvider& in, std::int32_t small) {
  switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0: return std::numeric_limits<std::int32_t>::max();
    case 1: return std::numeric_limits<std::int32_t>::min();
    case 2: return in.ConsumeIntegral<std::int32_t>();
    case 3: return -in.ConsumeIntegralInRange<std::int32_t>(1, 3);
    default: return in.ConsumeIntegralInRange<std::int32_t>(0, small);
  }
}

std::int32_t FormatCode(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange(0, 15) == 0) return in.ConsumeIntegral<std::int32_t>();
  return in.ConsumeIntegralInRange<std::int32_t>(-1, 13);
}

// False when a request would succeed with more memory than the run allows
// (the sizes the buffers accept reach 2 GiB).
bool SmallEnough(std::int32_t width, std::int32_t height, std::int32_t format, std::int32_t align) {
  const std::int32_t bpp = BytesPerPixel(format);
  if (bpp == 0 || width < 0 || height < 0 || align < 1) return true;  // refused anyway
  const std::int64_t row = static_cast<std::int64_t>(width) * bpp;
  const std::int64_t pitch = (row + align - 1) / align * align;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  if (pitch > kLimit) return true;  // refused as too large
  const std::int64_t bytes = pitch * height;
  if (bytes > kLimit) return true;
  // Row loops run even over rows of no bytes, so an empty buffer of two
  // billion rows is legal but slow: keep the row count small as well.
  return pitch <= kMaxBytes && bytes <= kMaxBytes && height <= 4096;
}

bool SmallEnough(std::int32_t width, std::int32_t height, std::int32_t format) {
  return SmallEnough(width, height, format, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::array<TPixmapPtr, 4> slots;
  auto slot = [&in]() { return in.ConsumeIntegralInRange<std::size_t>(0, 3); };
  int steps = 0;
  while (in.remaining_bytes() > 0 && ++steps < 64) {
    const int op = in.ConsumeIntegralInRange(0, 15);
    const std::size_t a = slot();
    const std::size_t b = slot();
    try {
      switch (op) {
        case 0: {
          const std::int32_t w = Coordinate(in, 40), h = Coordinate(in, 40);
          const std::int32_t f = FormatCode(in);
          const std::int32_t align = in.ConsumeIntegralInRange(0, 9) == 0
                                         ? in.ConsumeIntegral<std::int32_t>()
                                         : in.ConsumeIntegralInRange<std::int32_t>(1, 16);
          if (!SmallEnough(w, h, f, align)) break;
          slots[a] = NewPixelBuffer(w, h, f, align);
          break;
        }
        case 1:
          if (slots[a]) {
            const std::int32_t x = Coordinate(in, 40), y = Coordinate(in, 40);
            const std::int32_t w = Coordinate(in, 40), h = Coordinate(in, 40);
            slots[b] = PixelBufferView(slots[a], x, y, w, h);
          }
          break;
        case 2:
          if (slots[a]) slots[b] = DuplicatePixelBuffer(slots[a]);
          break;
        case 3:
          if (slots[a] && slots[b]) {
            slots[b]->Paste(slots[a], Coordinate(in, 40), Coordinate(in, 40));
          }
          break;
        case 4:
          if (slots[a]) {
            const std::int32_t f = FormatCode(in);
            if (SmallEnough(slots[a]->width, slots[a]->height, f)) {
              slots[b] = ConvertPixelBuffer(slots[a], f);
            }
          }
          break;
        case 5:
          if (slots[a]) (void)GetBufferPixel(slots[a], Coordinate(in, 40), Coordinate(in, 40));
          break;
        case 6:
          if (slots[a]) {
            SetBufferPixel(slots[a], Coordinate(in, 40), Coordinate(in, 40),
                           in.ConsumeIntegral<std::uint32_t>());
          }
          break;
        case 7:
          if (slots[a] && SmallEnough(slots[a]->width, slots[a]->height, RGBAFormat, 4)) {
            slots[b] = MaskedPixelBuffer(slots[a], in.ConsumeIntegralInRange(-1, 256),
                                         in.ConsumeIntegralInRange(-1, 256),
                                         in.ConsumeIntegralInRange(-1, 256));
          }
          break;
        case 8:
          if (slots[a]) slots[b] = MirrorBufferX(slots[a]);
          break;
        case 9:
          if (slots[a]) slots[b] = MirrorBufferY(slots[a]);
          break;
        case 10:
          if (slots[a]) {
            const std::int32_t w = Coordinate(in, 64), h = Coordinate(in, 64);
            if (SmallEnough(w, h, slots[a]->format)) {
              slots[b] = ResampledPixelBuffer(slots[a], w, h);
            }
          }
          break;
        case 11:
          if (slots[a]) FillPixelBuffer(slots[a], in.ConsumeIntegral<std::uint32_t>());
          break;
        case 12:
          if (slots[a]) (void)PixelBufferAddress(slots[a], Coordinate(in, 40), Coordinate(in, 40));
          break;
        case 13:
          // A row converted between two buffers' formats, n within both rows.
          if (slots[a] && slots[b] && slots[a]->height > 0 && slots[b]->height > 0) {
            const std::int32_t n = std::min(slots[a]->width, slots[b]->width);
            ConvertPixelRow(slots[a]->pixels, slots[a]->format, slots[b]->pixels, slots[b]->format,
                            n);
          }
          break;
        case 14:
          slots[a].reset();  // views must keep what they look into alive
          break;
        case 15:
          if (slots[a]) {
            // Every pixel of the buffer is readable, whatever its pitch.
            for (std::int32_t y = 0; y < slots[a]->height; ++y) {
              for (std::int32_t x = 0; x < slots[a]->width; ++x) (void)slots[a]->ReadPixel(x, y);
            }
          }
          break;
      }
    } catch (const RuntimeError&) {
      // refused: an accepted outcome
    }
  }
  return 0;
}
