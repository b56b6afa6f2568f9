#include "support/pixmap.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

#include "support/error.h"
#include "support/format.h"

namespace {

constexpr std::align_val_t kPixelAlignment{16};

// The address of (x, y) for callers that know it lies inside the buffer.
std::uint8_t* At(const TPixmap& p, std::int32_t x, std::int32_t y) {
  return p.pixels + static_cast<std::ptrdiff_t>(y) * p.pitch +
         static_cast<std::ptrdiff_t>(x) * BytesPerPixel(p.format);
}

bool Inside(const TPixmap& p, std::int32_t x, std::int32_t y) {
  return x >= 0 && y >= 0 && x < p.width && y < p.height;
}

void RequirePixel(const TPixmap& p, const char* operation, std::int32_t x, std::int32_t y) {
  if (!Inside(p, x, y)) {
    throw RuntimeError(Format("%s(%d, %d) is outside the %d by %d pixel buffer", operation, x, y,
                              p.width, p.height));
  }
}

// Whether the rectangle x, y, w, h (w, h >= 0) lies inside a width by height
// area, without overflowing.
bool RectInside(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t width,
                std::int32_t height) {
  return x >= 0 && y >= 0 && w >= 0 && h >= 0 && static_cast<std::int64_t>(x) + w <= width &&
         static_cast<std::int64_t>(y) + h <= height;
}

std::size_t RowBytes(const TPixmap& p) {
  return static_cast<std::size_t>(p.width) * static_cast<std::size_t>(BytesPerPixel(p.format));
}

// The span of addresses a buffer's rows cover, for overlap tests; empty
// buffers cover nothing.
struct Span {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
};

Span Covered(const TPixmap& p) {
  if (p.width <= 0 || p.height <= 0) return {};
  const auto first = reinterpret_cast<std::uintptr_t>(p.pixels);
  const auto last = reinterpret_cast<std::uintptr_t>(At(p, 0, p.height - 1));
  const std::uintptr_t low = first < last ? first : last;
  const std::uintptr_t high = first < last ? last : first;
  return {low, high + RowBytes(p)};
}

bool Overlap(const TPixmap& a, const TPixmap& b) {
  const Span sa = Covered(a);
  const Span sb = Covered(b);
  return sa.begin < sb.end && sb.begin < sa.end;
}

// The bytes WritePixel stores for a colour, and how many (0 for formats
// outside 1 to 6).
std::int32_t EncodePixel(std::int32_t format, std::uint32_t argb, std::uint8_t out[4]) {
  const auto a = static_cast<std::uint8_t>(argb >> 24);
  const auto r = static_cast<std::uint8_t>(argb >> 16);
  const auto g = static_cast<std::uint8_t>(argb >> 8);
  const auto b = static_cast<std::uint8_t>(argb);
  switch (format) {
    case IntensityFormat: out[0] = static_cast<std::uint8_t>((r + g + b) / 3); return 1;
    case AlphaFormat: out[0] = a; return 1;
    case BGRFormat: out[0] = b, out[1] = g, out[2] = r; return 3;
    case RGBFormat: out[0] = r, out[1] = g, out[2] = b; return 3;
    case BGRAFormat: out[0] = b, out[1] = g, out[2] = r, out[3] = a; return 4;
    case RGBAFormat: out[0] = r, out[1] = g, out[2] = b, out[3] = a; return 4;
    default: return 0;
  }
}

std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

TPixmap& Require(const TPixmapPtr& p, const char* function) {
  if (!p) throw RuntimeError(Format("%s of a Null pixel buffer", function));
  return *p;
}

}  // namespace

TPixmap::~TPixmap() {
  if (capacity >= 0 && pixels != nullptr) ::operator delete(pixels, kPixelAlignment);
}

std::uint8_t* TPixmap::PixelPtr(std::int32_t x, std::int32_t y) {
  RequirePixel(*this, "PixelPtr", x, y);
  return At(*this, x, y);
}

TPixmapPtr TPixmap::Window(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  if (!RectInside(x, y, w, h, width, height)) {
    throw RuntimeError(Format("Window(%d, %d, %d, %d) is outside the %d by %d pixel buffer", x, y,
                              w, h, width, height));
  }
  TPixmapPtr self = weak_from_this().lock();
  if (!self) throw RuntimeError("Window of a pixel buffer that is not shared");
  // An empty view touches no pixel; its address stays that of the parent so
  // that no pointer is formed past the parent's memory.
  std::uint8_t* origin = (w == 0 || h == 0) ? pixels : At(*this, x, y);
  TPixmapPtr view = CreateStatic(origin, w, h, pitch, format);
  view->_source = std::move(self);
  return view;
}

TPixmapPtr TPixmap::Copy() {
  TPixmapPtr copy = Create(width, height, format, 4);
  const std::size_t bytes = RowBytes(*this);
  if (bytes > 0) {
    for (std::int32_t y = 0; y < height; ++y) std::memcpy(At(*copy, 0, y), At(*this, 0, y), bytes);
  }
  return copy;
}

void TPixmap::Paste(const TPixmapPtr& source, std::int32_t x, std::int32_t y) {
  if (!source) throw RuntimeError("Paste of a Null pixel buffer");
  if (!RectInside(x, y, source->width, source->height, width, height)) {
    throw RuntimeError(
        Format("Paste of a %d by %d pixel buffer at (%d, %d) is outside the %d by %d pixel buffer",
               source->width, source->height, x, y, width, height));
  }
  // A buffer without columns has rows but nothing in them.
  if (source->width == 0) return;
  // A source that shares memory with the destination (a view of this buffer)
  // would be overwritten while it is read: paste from a copy instead.
  const TPixmapPtr from = Overlap(*source, *this) ? source->Copy() : source;
  for (std::int32_t i = 0; i < from->height; ++i) {
    ConvertPixelRow(At(*from, 0, i), from->format, At(*this, x, y + i), format, from->width);
  }
}

TPixmapPtr TPixmap::Convert(std::int32_t newFormat) {
  if (BytesPerPixel(newFormat) == 0) {
    throw RuntimeError(Format("Convert(%d): unknown pixel format %d", newFormat, newFormat));
  }
  TPixmapPtr result = Create(width, height, newFormat, 4);
  if (width == 0) return result;
  for (std::int32_t y = 0; y < height; ++y) {
    ConvertPixelRow(At(*this, 0, y), format, At(*result, 0, y), newFormat, width);
  }
  return result;
}

std::uint32_t TPixmap::ReadPixel(std::int32_t x, std::int32_t y) {
  RequirePixel(*this, "ReadPixel", x, y);
  const std::uint8_t* p = At(*this, x, y);
  switch (format) {
    case IntensityFormat: return Argb(255, p[0], p[0], p[0]);
    case AlphaFormat: return Argb(p[0], 255, 255, 255);
    case BGRFormat: return Argb(255, p[2], p[1], p[0]);
    case RGBFormat: return Argb(255, p[0], p[1], p[2]);
    case BGRAFormat: return Argb(p[3], p[2], p[1], p[0]);
    case RGBAFormat: return Argb(p[3], p[0], p[1], p[2]);
    default: return 0;
  }
}

void TPixmap::WritePixel(std::int32_t x, std::int32_t y, std::uint32_t argb) {
  RequirePixel(*this, "WritePixel", x, y);
  std::uint8_t bytes[4];
  const std::int32_t n = EncodePixel(format, argb, bytes);
  if (n > 0) std::memcpy(At(*this, x, y), bytes, static_cast<std::size_t>(n));
}

TPixmapPtr TPixmap::Create(std::int32_t width, std::int32_t height, std::int32_t format,
                           std::int32_t align) {
  if (BytesPerPixel(format) == 0) {
    throw RuntimeError(Format("Create(%d, %d, %d, %d): unknown pixel format %d", width, height,
                              format, align, format));
  }
  if (width < 0 || height < 0) {
    throw RuntimeError(
        Format("Create(%d, %d, %d, %d): the size is negative", width, height, format, align));
  }
  if (align < 1) {
    throw RuntimeError(Format("Create(%d, %d, %d, %d): the alignment must be 1 or more", width,
                              height, format, align));
  }
  const std::int64_t row = static_cast<std::int64_t>(width) * BytesPerPixel(format);
  const std::int64_t pitch = (row + align - 1) / align * align;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  // The pitch is checked first: a pitch above 2^31 times a height near 2^31
  // would not fit even in 64 bits.
  const std::int64_t bytes = pitch > kMax ? 0 : pitch * height;
  if (pitch > kMax || bytes > kMax) {
    throw RuntimeError(
        Format("Create(%d, %d, %d, %d): the buffer is too large", width, height, format, align));
  }
  auto p = std::make_shared<TPixmap>();
  // At least one block even for an empty buffer, so that pixels is never
  // Null; new memory starts zeroed so no caller ever sees stale bytes.
  const std::size_t size = bytes > 0 ? static_cast<std::size_t>(bytes) : 16;
  p->pixels = static_cast<std::uint8_t*>(::operator new(size, kPixelAlignment));
  std::memset(p->pixels, 0, size);
  p->width = width;
  p->height = height;
  p->pitch = static_cast<std::int32_t>(pitch);
  p->format = format;
  p->capacity = static_cast<std::int32_t>(bytes);
  return p;
}

TPixmapPtr TPixmap::CreateStatic(std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                                 std::int32_t pitch, std::int32_t format) {
  if (BytesPerPixel(format) == 0) {
    throw RuntimeError(Format("CreateStatic(%d, %d, %d, %d): unknown pixel format %d", width,
                              height, pitch, format, format));
  }
  if (width < 0 || height < 0) {
    throw RuntimeError(
        Format("CreateStatic(%d, %d, %d, %d): the size is negative", width, height, pitch, format));
  }
  auto p = std::make_shared<TPixmap>();
  p->pixels = pixels;
  p->width = width;
  p->height = height;
  p->pitch = pitch;
  p->format = format;
  p->capacity = -1;
  return p;
}

void TPixmap::ClearPixels(std::uint32_t argb) {
  if (width <= 0 || height <= 0) return;
  const std::size_t row = RowBytes(*this);
  if (argb == 0 && static_cast<std::int64_t>(pitch) == static_cast<std::int64_t>(row)) {
    std::memset(pixels, 0, row * static_cast<std::size_t>(height));
    return;
  }
  if (argb == 0) {
    if (row == 0) return;
    for (std::int32_t y = 0; y < height; ++y) std::memset(At(*this, 0, y), 0, row);
    return;
  }
  std::uint8_t bytes[4];
  const std::int32_t n = EncodePixel(format, argb, bytes);
  if (n == 0 || width == 0) return;
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* p = At(*this, 0, y);
    for (std::int32_t x = 0; x < width; ++x, p += n)
      std::memcpy(p, bytes, static_cast<std::size_t>(n));
  }
}

TPixmapPtr NewPixelBuffer(std::int32_t width, std::int32_t height, std::int32_t format,
                          std::int32_t align) {
  return TPixmap::Create(width, height, format, align);
}

TPixmapPtr WrapPixelBuffer(std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                           std::int32_t pitch, std::int32_t format) {
  return TPixmap::CreateStatic(pixels, width, height, pitch, format);
}

TPixmapPtr DuplicatePixelBuffer(const TPixmapPtr& p) {
  return Require(p, "DuplicatePixelBuffer").Copy();
}

TPixmapPtr ConvertPixelBuffer(const TPixmapPtr& p, std::int32_t format) {
  return Require(p, "ConvertPixelBuffer").Convert(format);
}

TPixmapPtr PixelBufferView(const TPixmapPtr& p, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height) {
  return Require(p, "PixelBufferView").Window(x, y, width, height);
}

std::uint8_t* PixelBufferAddress(const TPixmapPtr& p, std::int32_t x, std::int32_t y) {
  return Require(p, "PixelBufferAddress").PixelPtr(x, y);
}

std::uint32_t GetBufferPixel(const TPixmapPtr& p, std::int32_t x, std::int32_t y) {
  return Require(p, "GetBufferPixel").ReadPixel(x, y);
}

void SetBufferPixel(const TPixmapPtr& p, std::int32_t x, std::int32_t y, std::uint32_t argb) {
  Require(p, "SetBufferPixel").WritePixel(x, y, argb);
}

void FillPixelBuffer(const TPixmapPtr& p, std::uint32_t argb) {
  Require(p, "FillPixelBuffer").ClearPixels(argb);
}

std::int32_t BufferWidth(const TPixmapPtr& p) { return Require(p, "BufferWidth").width; }
std::int32_t BufferHeight(const TPixmapPtr& p) { return Require(p, "BufferHeight").height; }
std::int32_t BufferPitch(const TPixmapPtr& p) { return Require(p, "BufferPitch").pitch; }
std::int32_t BufferFormat(const TPixmapPtr& p) { return Require(p, "BufferFormat").format; }
