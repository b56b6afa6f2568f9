// Fuzz target: image frames cut from arbitrary cell grids of a pixel buffer,
// drawn in every way with arbitrary positions, sizes and transforms; text
// of arbitrary 16-bit code units measured and drawn with the default image
// font; pixel buffers over caller memory with any pitch uploaded as textures
// and drawn; overlay rectangles and text anywhere in the int range; all into
// the GL recorder on 2D graphics opened through the fake platform.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/gl_graphics.h"
#include "gfx/gl_image_frame.h"
#include "gfx/gl_recorder.h"
#include "gfx/graphics.h"
#include "gfx/image.h"
#include "gfx/image_font.h"
#include "gfx/overlay.h"
#include "platform/fake_platform.h"
#include "support/error.h"
#include "support/pixmap.h"
#include "system/polled_input.h"
#include "system/startup.h"

namespace {

struct World {
  platform::FakePlatform fake;
  GlRecorder recorder;
  std::shared_ptr<TGraphics> graphics;
  TImageFontPtr font;

  World() {
    platform::Install(fake);
    ApplicationTitle = u"Fuzz";
    StartGLFlat2DModule();
    StartPolledInputModule();
    SelectGraphicsDriver(glFlat2DDriver, BackBufferFlag);
    graphics = OpenGraphics(512, 512, 0, 60, 0);
    font = CurrentImageFont();
  }
};

World& TheWorld() {
  static World* world = new World();  // outlives the exit handlers
  return *world;
}

// Mostly ordinary values; sometimes the values that break conversions.
float ArbitraryFloat(FuzzedDataProvider& in, float range) {
  switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0: return std::numeric_limits<float>::quiet_NaN();
    case 1: return std::numeric_limits<float>::infinity();
    case 2: return -std::numeric_limits<float>::infinity();
    case 3: return std::numeric_limits<float>::max();
    case 4: return in.ConsumeFloatingPoint<float>();
    default: return in.ConsumeFloatingPointInRange<float>(-range, range);
  }
}

int ArbitraryInt(FuzzedDataProvider& in, int small) {
  if (in.ConsumeIntegralInRange(0, 7) == 0) return in.ConsumeIntegral<int>();
  return in.ConsumeIntegralInRange(-2, small);
}

Text ArbitraryText(FuzzedDataProvider& in) {
  Text text;
  const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 40);
  for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
    text.push_back(in.ConsumeBool() ? static_cast<char16_t>(in.ConsumeIntegralInRange(0, 160))
                                    : static_cast<char16_t>(in.ConsumeIntegral<std::uint16_t>()));
  }
  return text;
}

TPixmapPtr ArbitraryPixmap(FuzzedDataProvider& in) {
  const int width = in.ConsumeIntegralInRange(0, 48);
  const int height = in.ConsumeIntegralInRange(0, 48);
  const int format = in.ConsumeIntegralInRange(1, 12);
  TPixmapPtr pixmap = NewPixelBuffer(width, height, format, in.ConsumeIntegralInRange(1, 8));
  for (int y = 0; y < height && in.remaining_bytes() > 0; ++y) {
    const std::vector<std::uint8_t> row = in.ConsumeBytes<std::uint8_t>(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(BytesPerPixel(format)));
    std::memcpy(pixmap->PixelPtr(0, y), row.data(), row.size());
  }
  return pixmap;
}

// A buffer over memory that holds exactly the rows it describes, with any
// pitch (0 repeats one row, a negative one runs bottom-up), uploaded and
// drawn in every way that hands its rows to GL. Reading a byte outside the
// memory is an AddressSanitizer finding.
void UploadWrappedMemory(FuzzedDataProvider& in) {
  const int width = in.ConsumeIntegralInRange(0, 40);
  const int height = in.ConsumeIntegralInRange(0, 40);
  const int format = in.ConsumeIntegralInRange(1, 12);
  const std::int64_t row = std::int64_t{width} * BytesPerPixel(format);
  std::int32_t pitch = 0;
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: pitch = 0; break;
    case 1: pitch = static_cast<std::int32_t>(-row); break;
    case 2: pitch = static_cast<std::int32_t>(row); break;
    case 3: pitch = in.ConsumeIntegral<std::int32_t>(); break;
    default: pitch = in.ConsumeIntegralInRange<std::int32_t>(-300, 300); break;
  }
  // The rows lie between the first row and the last, whichever is lower.
  const std::int64_t last = height > 0 ? std::int64_t{height - 1} * pitch : 0;
  const std::int64_t low = std::min<std::int64_t>(0, last);
  const std::int64_t bytes =
      width > 0 && height > 0 ? std::max<std::int64_t>(0, last) - low + row : 0;
  if (bytes > (1 << 20)) return;
  // Exactly that many bytes, so a byte past the rows is past the allocation.
  const auto size = static_cast<std::size_t>(bytes);
  const std::unique_ptr<std::uint8_t[]> memory(size > 0 ? new std::uint8_t[size] : nullptr);
  const std::vector<std::uint8_t> given = in.ConsumeBytes<std::uint8_t>(size);
  for (std::size_t i = 0; i < size; ++i) memory[i] = i < given.size() ? given[i] : 0;
  std::uint8_t* first = size > 0 ? memory.get() - low : nullptr;
  TPixmapPtr pixmap = WrapPixelBuffer(first, width, height, pitch, format);
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: UploadPixmapTexture(pixmap, in.ConsumeBool() ? 1 : 0); break;
    case 1: TGLImageFrame::CreateFromPixmap(pixmap, in.ConsumeIntegralInRange(0, 15)); break;
    case 2: DrawPixmap(pixmap, ArbitraryInt(in, 600), ArbitraryInt(in, 600)); break;
    case 3: OverlayPixmap(pixmap, ArbitraryInt(in, 600), ArbitraryInt(in, 600)); break;
  }
}

void DrawSomehow(FuzzedDataProvider& in, const TImagePtr& image) {
  const int frame = ArbitraryInt(in, 6);
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0: DrawImageAt(image, ArbitraryFloat(in, 600), ArbitraryFloat(in, 600), frame); break;
    case 1:
      DrawImageStretched(image, ArbitraryFloat(in, 600), ArbitraryFloat(in, 600),
                         ArbitraryFloat(in, 600), ArbitraryFloat(in, 600), frame);
      break;
    case 2:
      DrawImagePart(image, ArbitraryFloat(in, 600), ArbitraryFloat(in, 600),
                    ArbitraryFloat(in, 600), ArbitraryFloat(in, 600), ArbitraryFloat(in, 64),
                    ArbitraryFloat(in, 64), ArbitraryFloat(in, 64), ArbitraryFloat(in, 64),
                    ArbitraryFloat(in, 64), ArbitraryFloat(in, 64), frame);
      break;
    case 3:
      // A tiny image tiled over the viewport is a quarter of a million
      // recorded quads: legal, but too slow to fuzz.
      // An image of no frames may claim any cell size, so the area is
      // taken in 64 bits.
      if (static_cast<std::int64_t>(ImagePixelWidth(image)) * ImagePixelHeight(image) >= 16) {
        TileImageOver(image, ArbitraryFloat(in, 600), ArbitraryFloat(in, 600), frame);
      }
      break;
    case 4:
      if (TPixmapPtr locked = LockImageFrame(image, frame, in.ConsumeBool(), in.ConsumeBool())) {
        if (locked->width > 0 && locked->height > 0) {
          locked->WritePixel(0, 0, in.ConsumeIntegral<std::uint32_t>());
        }
      }
      UnlockImageFrame(image, frame);
      break;
    case 5: GrabImageFrame(image, ArbitraryInt(in, 600), ArbitraryInt(in, 600), frame); break;
    case 6: PlaceImageHandle(image, ArbitraryFloat(in, 64), ArbitraryFloat(in, 64)); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& world = TheWorld();
  world.recorder.ClearCalls();
  SetDrawRotation(0);
  SetDrawScale(1, 1);
  SetDrawHandle(0, 0);
  SetDrawOrigin(0, 0);
  SetViewport(0, 0, 128, 128);
  SelectImageFont(world.font);
  FuzzedDataProvider in(data, size);
  TImagePtr image;
  int steps = 0;
  while (in.remaining_bytes() > 0 && ++steps < 32) {
    try {
      switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0: {
          TPixmapPtr pixmap = ArbitraryPixmap(in);
          image = LoadFramesFrom(pixmap, ArbitraryInt(in, 20), ArbitraryInt(in, 20),
                                 ArbitraryInt(in, 8), ArbitraryInt(in, 12),
                                 in.ConsumeIntegralInRange(-1, 15));
          break;
        }
        case 1:
          image = LoadImageFrom(ArbitraryPixmap(in), in.ConsumeIntegralInRange(-1, 15));
          break;
        case 2:
        case 3: DrawSomehow(in, image); break;
        case 4: {
          const Text text = ArbitraryText(in);
          (void)TextPixelWidth(text);
          (void)TextPixelHeight(text);
          DrawTextString(text, ArbitraryFloat(in, 600), ArbitraryFloat(in, 600));
          break;
        }
        case 5:
          SetRotationScale(ArbitraryFloat(in, 720), ArbitraryFloat(in, 8), ArbitraryFloat(in, 8));
          break;
        case 6: SetDrawHandle(ArbitraryFloat(in, 64), ArbitraryFloat(in, 64)); break;
        case 7: SetDrawOrigin(ArbitraryFloat(in, 600), ArbitraryFloat(in, 600)); break;
        case 8: UploadWrappedMemory(in); break;
        case 9:
          OverlayRect(ArbitraryInt(in, 600), ArbitraryInt(in, 600), ArbitraryInt(in, 600),
                      ArbitraryInt(in, 600));
          OverlayText(ArbitraryText(in), ArbitraryInt(in, 600), ArbitraryInt(in, 600));
          break;
      }
    } catch (const RuntimeError&) {
      // refused: an accepted outcome
    }
  }
  // Whatever was drawn, the GL calls came in a legal order.
  if (!world.recorder.Errors().empty()) __builtin_trap();
  return 0;
}
