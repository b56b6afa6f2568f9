// Pixel buffers: rectangles of pixels in one of twelve byte layouts, with
// pixel access, format conversion, views, masking, mirroring, resampling and
// the loader chain. Used by the 2D drawing layer, the overlay and images.
#pragma once

#include <cstdint>
#include <memory>

#include "support/object.h"
#include "support/stream.h"

// Pixel format codes. Code 0 is "no format" (a new, empty buffer).
constexpr std::int32_t IntensityFormat = 1;        // v           -> (v, v, v, 255)
constexpr std::int32_t AlphaFormat = 2;            // a           -> (255, 255, 255, a)
constexpr std::int32_t BGRFormat = 3;              // b, g, r     -> (r, g, b, 255)
constexpr std::int32_t RGBFormat = 4;              // r, g, b     -> (r, g, b, 255)
constexpr std::int32_t BGRAFormat = 5;             // b, g, r, a  -> (r, g, b, a)
constexpr std::int32_t RGBAFormat = 6;             // r, g, b, a  (the intermediate layout)
constexpr std::int32_t RedFormat = 7;              // v           -> (v, 0, 0, 1)
constexpr std::int32_t GreenFormat = 8;            // v           -> (0, v, 0, 1)
constexpr std::int32_t BlueFormat = 9;             // v           -> (0, 0, v, 1)
constexpr std::int32_t AlphaOnBlackFormat = 10;    // v           -> (0, 0, 0, v)
constexpr std::int32_t IntensityAlphaFormat = 11;  // v           -> (v, v, v, v)
constexpr std::int32_t LuminanceFormat = 12;       // v           -> (v, v, v, 1)

// The format tables: bytes per pixel and alpha bits of a format code. Codes
// outside 1..12 (including 0, no format) give 0.
std::int32_t BytesPerPixel(std::int32_t format);
std::int32_t AlphaBits(std::int32_t format);

// Converts n pixels from format s at src to format d at dst: a byte copy when
// s = d, a straight reduction from RGBAFormat or expansion into it, otherwise
// through RGBAFormat. Raises a RuntimeError for a format outside 1..12.
// Used by pixel buffers, images and textures.
void ConvertPixelRow(const std::uint8_t* src, std::int32_t s, std::uint8_t* dst, std::int32_t d,
                     std::int32_t n);

class TPixmap;
using TPixmapPtr = std::shared_ptr<TPixmap>;

// Pixel (x, y) begins at pixels + y * pitch + x * BytesPerPixel(format);
// rows run from the top down. Colours are 0xAARRGGBB.
class TPixmap : public Object, public std::enable_shared_from_this<TPixmap> {
 public:
  std::uint8_t* pixels = nullptr;  // the first byte of the top row
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pitch = 0;  // bytes from one row to the next
  std::int32_t format = 0;
  std::int32_t capacity = 0;  // bytes owned, or -1 when the memory is someone else's
  ObjectPtr _source;          // the buffer a view looks into, kept alive by the view

  TPixmap() = default;
  // Frees pixels when the buffer owns them (capacity 0 or more).
  ~TPixmap() override;
  TPixmap(const TPixmap&) = delete;
  TPixmap& operator=(const TPixmap&) = delete;

  // The address of pixel (x, y); raises a RuntimeError outside the buffer.
  std::uint8_t* PixelPtr(std::int32_t x, std::int32_t y);
  // A view of the rectangle that shares this buffer's pixels and keeps this
  // buffer alive. The rectangle must lie inside the buffer (else RuntimeError).
  TPixmapPtr Window(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  // A new buffer of the same size and format with the same pixels.
  TPixmapPtr Copy();
  // Converts every row of source into this buffer at (x, y + row). The source
  // must lie wholly inside this buffer (else RuntimeError); source and
  // destination may share memory.
  void Paste(const TPixmapPtr& source, std::int32_t x, std::int32_t y);
  // A new buffer of the same size in format (1..12, else RuntimeError).
  TPixmapPtr Convert(std::int32_t format);
  // The pixel as 0xAARRGGBB for formats 1 to 6, 0 for the others.
  std::uint32_t ReadPixel(std::int32_t x, std::int32_t y);
  // Stores the colour for formats 1 to 6; the others are left unchanged.
  void WritePixel(std::int32_t x, std::int32_t y, std::uint32_t argb);

  // A new zeroed buffer that owns its memory: pitch = width * bytes per pixel
  // rounded up to a multiple of align, pixels on a 16-byte boundary.
  // Raises a RuntimeError for a negative size, a size too large to address,
  // an align below 1 or an unknown format.
  static TPixmapPtr Create(std::int32_t width, std::int32_t height, std::int32_t format,
                           std::int32_t align);
  // A buffer over memory the caller keeps alive; capacity -1.
  static TPixmapPtr CreateStatic(std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                                 std::int32_t pitch, std::int32_t format);

  // Sets every pixel to the colour (as WritePixel stores it). Colour 0 zeroes
  // the bytes of any format; other colours leave formats 7 to 12 unchanged.
  void ClearPixels(std::uint32_t argb);
};

// Loaders turn a stream into a pixel buffer. Constructing one puts it at the
// head of the process-wide chain (the last made is asked first); destroying
// it takes it out again.
class TPixmapLoader : public Object {
 public:
  TPixmapLoader();
  ~TPixmapLoader() override;
  TPixmapLoader(const TPixmapLoader&) = delete;
  TPixmapLoader& operator=(const TPixmapLoader&) = delete;

  TPixmapLoader* _succ = nullptr;  // the next loader of the chain

  // A buffer read from stream, or Null when the stream holds no picture this
  // loader knows. May raise TStreamError.
  virtual TPixmapPtr LoadPixmap(const TStreamPtr& stream) = 0;
};

// The first loader of the chain, or nullptr when it is empty.
TPixmapLoader* FirstPixmapLoader();

// The free functions of the module. A Null buffer raises a RuntimeError.
TPixmapPtr NewPixelBuffer(std::int32_t width, std::int32_t height, std::int32_t format,
                          std::int32_t align);
TPixmapPtr WrapPixelBuffer(std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                           std::int32_t pitch, std::int32_t format);
TPixmapPtr DuplicatePixelBuffer(const TPixmapPtr& p);
TPixmapPtr ConvertPixelBuffer(const TPixmapPtr& p, std::int32_t format);
TPixmapPtr PixelBufferView(const TPixmapPtr& p, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height);
std::uint8_t* PixelBufferAddress(const TPixmapPtr& p, std::int32_t x, std::int32_t y);
std::uint32_t GetBufferPixel(const TPixmapPtr& p, std::int32_t x, std::int32_t y);
void SetBufferPixel(const TPixmapPtr& p, std::int32_t x, std::int32_t y, std::uint32_t argb);
void FillPixelBuffer(const TPixmapPtr& p, std::uint32_t argb);
std::int32_t BufferWidth(const TPixmapPtr& p);
std::int32_t BufferHeight(const TPixmapPtr& p);
std::int32_t BufferPitch(const TPixmapPtr& p);
std::int32_t BufferFormat(const TPixmapPtr& p);

// A new RGBAFormat buffer (rows aligned to 4) in which every pixel of colour
// (red, green, blue) becomes transparent and takes the average colour of its
// visible neighbours, so filtered textures don't bleed the mask colour.
TPixmapPtr MaskedPixelBuffer(const TPixmapPtr& p, std::int32_t red, std::int32_t green,
                             std::int32_t blue);
// New buffers of the same size and format, mirrored left to right / top to bottom.
TPixmapPtr MirrorBufferX(const TPixmapPtr& p);
TPixmapPtr MirrorBufferY(const TPixmapPtr& p);
// A new buffer of p's format, resampled bilinearly to width by height (both
// above 0, else RuntimeError).
TPixmapPtr ResampledPixelBuffer(const TPixmapPtr& p, std::int32_t width, std::int32_t height);
// A buffer from the first loader of the chain that reads the source (a stream,
// or a TextObject naming a file), or Null. The stream is closed afterwards.
TPixmapPtr LoadPixelBuffer(const ObjectPtr& source);
