#include <cstring>

#include "support/error.h"
#include "support/format.h"
#include "support/pixmap.h"

namespace {

// Indexed by format code; code 0 is "no format".
constexpr std::int32_t kBytesPerPixel[13] = {0, 1, 1, 3, 3, 4, 4, 1, 1, 1, 1, 1, 1};
constexpr std::int32_t kAlphaBits[13] = {0, 0, 8, 0, 0, 8, 8, 0, 0, 0, 8, 0, 0};

bool KnownFormat(std::int32_t format) { return format >= 1 && format <= 12; }

// One format's pixels into RGBAFormat. Formats without alpha give 255,
// except the single-channel colour formats and luminance, which give 1.
void Expand(const std::uint8_t* src, std::int32_t s, std::uint8_t* rgba, std::size_t n) {
  auto put = [&rgba](std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    rgba[0] = r;
    rgba[1] = g;
    rgba[2] = b;
    rgba[3] = a;
    rgba += 4;
  };
  switch (s) {
    case IntensityFormat:
      for (std::size_t i = 0; i < n; ++i) put(src[i], src[i], src[i], 255);
      break;
    case AlphaFormat:
      for (std::size_t i = 0; i < n; ++i) put(255, 255, 255, src[i]);
      break;
    case BGRFormat:
      for (std::size_t i = 0; i < n; ++i, src += 3) put(src[2], src[1], src[0], 255);
      break;
    case RGBFormat:
      for (std::size_t i = 0; i < n; ++i, src += 3) put(src[0], src[1], src[2], 255);
      break;
    case BGRAFormat:
      for (std::size_t i = 0; i < n; ++i, src += 4) put(src[2], src[1], src[0], src[3]);
      break;
    case RGBAFormat: std::memmove(rgba, src, n * 4); break;
    case RedFormat:
      for (std::size_t i = 0; i < n; ++i) put(src[i], 0, 0, 1);
      break;
    case GreenFormat:
      for (std::size_t i = 0; i < n; ++i) put(0, src[i], 0, 1);
      break;
    case BlueFormat:
      for (std::size_t i = 0; i < n; ++i) put(0, 0, src[i], 1);
      break;
    case AlphaOnBlackFormat:
      for (std::size_t i = 0; i < n; ++i) put(0, 0, 0, src[i]);
      break;
    case IntensityAlphaFormat:
      for (std::size_t i = 0; i < n; ++i) put(src[i], src[i], src[i], src[i]);
      break;
    case LuminanceFormat:
      for (std::size_t i = 0; i < n; ++i) put(src[i], src[i], src[i], 1);
      break;
  }
}

std::uint8_t Average3(const std::uint8_t* p) {
  return static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
}

// RGBAFormat pixels into one format.
void Reduce(const std::uint8_t* rgba, std::int32_t d, std::uint8_t* dst, std::size_t n) {
  switch (d) {
    case IntensityFormat:
    case LuminanceFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4) dst[i] = Average3(rgba);
      break;
    case AlphaFormat:
    case AlphaOnBlackFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4) dst[i] = rgba[3];
      break;
    case BGRFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4, dst += 3) {
        dst[0] = rgba[2];
        dst[1] = rgba[1];
        dst[2] = rgba[0];
      }
      break;
    case RGBFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4, dst += 3) {
        dst[0] = rgba[0];
        dst[1] = rgba[1];
        dst[2] = rgba[2];
      }
      break;
    case BGRAFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4, dst += 4) {
        dst[0] = rgba[2];
        dst[1] = rgba[1];
        dst[2] = rgba[0];
        dst[3] = rgba[3];
      }
      break;
    case RGBAFormat: std::memmove(dst, rgba, n * 4); break;
    case RedFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4) dst[i] = rgba[0];
      break;
    case GreenFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4) dst[i] = rgba[1];
      break;
    case BlueFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4) dst[i] = rgba[2];
      break;
    case IntensityAlphaFormat:
      for (std::size_t i = 0; i < n; ++i, rgba += 4)
        dst[i] = static_cast<std::uint8_t>((rgba[0] + rgba[1] + rgba[2] + rgba[3]) >> 2);
      break;
  }
}

}  // namespace

std::int32_t BytesPerPixel(std::int32_t format) {
  return KnownFormat(format) ? kBytesPerPixel[format] : 0;
}

std::int32_t AlphaBits(std::int32_t format) { return KnownFormat(format) ? kAlphaBits[format] : 0; }

void ConvertPixelRow(const std::uint8_t* src, std::int32_t s, std::uint8_t* dst, std::int32_t d,
                     std::int32_t n) {
  if (!KnownFormat(s) || !KnownFormat(d)) {
    throw RuntimeError(
        Format("ConvertPixelRow(%d, %d): unknown pixel format %d", s, d, KnownFormat(s) ? d : s));
  }
  if (n <= 0) return;
  const std::size_t count = static_cast<std::size_t>(n);
  if (s == d) {
    std::memmove(dst, src, count * static_cast<std::size_t>(kBytesPerPixel[s]));
  } else if (s == RGBAFormat) {
    Reduce(src, d, dst, count);
  } else if (d == RGBAFormat) {
    Expand(src, s, dst, count);
  } else {
    // Through the intermediate layout, a stack-sized piece at a time.
    constexpr std::size_t kChunk = 256;
    std::uint8_t rgba[kChunk * 4];
    const std::size_t sbpp = static_cast<std::size_t>(kBytesPerPixel[s]);
    const std::size_t dbpp = static_cast<std::size_t>(kBytesPerPixel[d]);
    for (std::size_t done = 0; done < count; done += kChunk) {
      const std::size_t part = count - done < kChunk ? count - done : kChunk;
      Expand(src + done * sbpp, s, rgba, part);
      Reduce(rgba, d, dst + done * dbpp, part);
    }
  }
}
