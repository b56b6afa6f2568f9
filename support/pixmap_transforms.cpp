// Masking, mirroring and resampling of pixel buffers.
#include <cmath>
#include <cstring>
#include <vector>

#include "support/error.h"
#include "support/format.h"
#include "support/pixmap.h"

namespace {

const std::uint8_t* RgbaAt(const TPixmap& p, std::int32_t x, std::int32_t y) {
  return p.pixels + static_cast<std::ptrdiff_t>(y) * p.pitch + static_cast<std::ptrdiff_t>(x) * 4;
}

std::uint8_t* At(const TPixmap& p, std::int32_t x, std::int32_t y) {
  return p.pixels + static_cast<std::ptrdiff_t>(y) * p.pitch +
         static_cast<std::ptrdiff_t>(x) * BytesPerPixel(p.format);
}

TPixmap& Require(const TPixmapPtr& p, const char* function) {
  if (!p) throw RuntimeError(Format("%s of a Null pixel buffer", function));
  return *p;
}

TPixmapPtr AsRgba(const TPixmapPtr& p) {
  return p->format == RGBAFormat ? p : p->Convert(RGBAFormat);
}

// The sample position of result index i along an axis of newSize over
// oldSize source pixels, in single precision: the first source index, the
// weight of the next one, and whether there is a next one.
struct Sample {
  std::int32_t first = 0;
  float weight = 0.0f;
  bool next = false;
};

Sample SampleAt(std::int32_t i, std::int32_t oldSize, std::int32_t newSize) {
  const float scale = static_cast<float>(oldSize) / static_cast<float>(newSize);
  const float s = (static_cast<float>(i) + 0.5f) * scale - 0.5f;
  const float f = std::floor(s);
  Sample sample;
  if (f < 0.0f) return sample;  // before the first pixel: the first pixel alone
  if (f >= static_cast<float>(oldSize - 1)) {
    sample.first = oldSize - 1;  // at or past the last pixel: the last pixel alone
    return sample;
  }
  // 0 <= f < oldSize - 1 in single precision, so the conversion is in range;
  // the integer test catches sizes that a float cannot hold exactly.
  sample.first = static_cast<std::int32_t>(f);
  if (sample.first >= oldSize - 1) {
    sample.first = oldSize - 1;
    return sample;
  }
  sample.weight = s - f;
  sample.next = true;
  return sample;
}

float Mix(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace

TPixmapPtr MaskedPixelBuffer(const TPixmapPtr& p, std::int32_t red, std::int32_t green,
                             std::int32_t blue) {
  Require(p, "MaskedPixelBuffer");
  const TPixmapPtr q = AsRgba(p);
  const std::int32_t w = q->width;
  const std::int32_t h = q->height;
  TPixmapPtr result = TPixmap::Create(w, h, RGBAFormat, 4);
  if (w == 0) return result;
  auto masked = [&](const std::uint8_t* c) { return c[0] == red && c[1] == green && c[2] == blue; };
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint8_t* c = RgbaAt(*q, x, y);
      std::uint8_t* out = At(*result, x, y);
      if (!masked(c)) {
        out[0] = c[0], out[1] = c[1], out[2] = c[2], out[3] = 255;
        continue;
      }
      // A transparent pixel takes the average colour of its visible
      // neighbours, so that filtering does not pull in the mask colour.
      std::int32_t sum[3] = {0, 0, 0};
      std::int32_t count = 0;
      for (std::int32_t ny = y - 1; ny <= y + 1; ++ny) {
        for (std::int32_t nx = x - 1; nx <= x + 1; ++nx) {
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const std::uint8_t* n = RgbaAt(*q, nx, ny);
          if (masked(n)) continue;
          sum[0] += n[0], sum[1] += n[1], sum[2] += n[2];
          ++count;
        }
      }
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<std::uint8_t>(count > 0 ? sum[k] / count : 0);
      out[3] = 0;
    }
  }
  return result;
}

TPixmapPtr MirrorBufferX(const TPixmapPtr& p) {
  const TPixmap& src = Require(p, "MirrorBufferX");
  TPixmapPtr result = TPixmap::Create(src.width, src.height, src.format, 4);
  if (src.width == 0) return result;
  const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel(src.format));
  for (std::int32_t y = 0; y < src.height; ++y) {
    for (std::int32_t i = 0; i < src.width; ++i) {
      std::memcpy(At(*result, i, y), At(src, src.width - 1 - i, y), bpp);
    }
  }
  return result;
}

TPixmapPtr MirrorBufferY(const TPixmapPtr& p) {
  const TPixmap& src = Require(p, "MirrorBufferY");
  TPixmapPtr result = TPixmap::Create(src.width, src.height, src.format, 4);
  const std::size_t row =
      static_cast<std::size_t>(src.width) * static_cast<std::size_t>(BytesPerPixel(src.format));
  if (row == 0) return result;
  for (std::int32_t i = 0; i < src.height; ++i) {
    std::memcpy(At(*result, 0, i), At(src, 0, src.height - 1 - i), row);
  }
  return result;
}

TPixmapPtr ResampledPixelBuffer(const TPixmapPtr& p, std::int32_t width, std::int32_t height) {
  const TPixmap& src = Require(p, "ResampledPixelBuffer");
  if (width < 1 || height < 1) {
    throw RuntimeError(
        Format("ResampledPixelBuffer(%d, %d): the size must be 1 or more", width, height));
  }
  if (src.width < 1 || src.height < 1) {
    throw RuntimeError(Format("ResampledPixelBuffer(%d, %d) of an empty %d by %d pixel buffer",
                              width, height, src.width, src.height));
  }
  const TPixmapPtr q = AsRgba(p);
  TPixmapPtr result = TPixmap::Create(width, height, src.format, 4);
  std::vector<Sample> columns(static_cast<std::size_t>(width));
  for (std::int32_t j = 0; j < width; ++j)
    columns[static_cast<std::size_t>(j)] = SampleAt(j, q->width, width);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 4);
  for (std::int32_t i = 0; i < height; ++i) {
    const Sample sy = SampleAt(i, q->height, height);
    const std::int32_t y0 = sy.first;
    const std::int32_t y1 = sy.next ? y0 + 1 : y0;
    for (std::int32_t j = 0; j < width; ++j) {
      const Sample& sx = columns[static_cast<std::size_t>(j)];
      const std::int32_t x0 = sx.first;
      const std::int32_t x1 = sx.next ? x0 + 1 : x0;
      const std::uint8_t* c00 = RgbaAt(*q, x0, y0);
      const std::uint8_t* c10 = RgbaAt(*q, x1, y0);
      const std::uint8_t* c01 = RgbaAt(*q, x0, y1);
      const std::uint8_t* c11 = RgbaAt(*q, x1, y1);
      std::uint8_t* out = &row[static_cast<std::size_t>(j) * 4];
      for (int k = 0; k < 4; ++k) {
        const float top = Mix(c00[k], c10[k], sx.weight);
        const float bottom = Mix(c01[k], c11[k], sx.weight);
        // Between two bytes with weights in [0, 1): stays within 0..255.
        out[k] = static_cast<std::uint8_t>(static_cast<std::int32_t>(Mix(top, bottom, sy.weight)));
      }
    }
    ConvertPixelRow(row.data(), RGBAFormat, At(*result, 0, i), src.format, width);
  }
  return result;
}
