#include "support/pixmap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/error.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes of pixel (x, y).
Bytes PixelBytes(const TPixmapPtr& p, int x, int y) {
  const std::uint8_t* at = p->PixelPtr(x, y);
  return Bytes(at, at + BytesPerPixel(p->format));
}

// A one-pixel-high buffer holding the given bytes.
TPixmapPtr Row(int format, const Bytes& bytes) {
  const int n = static_cast<int>(bytes.size()) / BytesPerPixel(format);
  TPixmapPtr p = TPixmap::Create(n, 1, format, 1);
  std::copy(bytes.begin(), bytes.end(), p->pixels);
  return p;
}

Bytes RowBytes(const TPixmapPtr& p, int y = 0) {
  const std::uint8_t* at = p->PixelPtr(0, y);
  return Bytes(at, at + p->width * BytesPerPixel(p->format));
}

template <typename F>
void ExpectError(F&& f, const char* text) {
  try {
    f();
    ADD_FAILURE() << "no error raised, expected: " << text;
  } catch (const RuntimeError& e) {
    EXPECT_STREQ(e.what(), text);
  }
}

TEST(PixelFormats, TablesAndUnknownCodes) {
  const int bytes[] = {0, 1, 1, 3, 3, 4, 4, 1, 1, 1, 1, 1, 1};
  const int alpha[] = {0, 0, 8, 0, 0, 8, 8, 0, 0, 0, 8, 0, 0};
  for (int f = 0; f <= 12; ++f) {
    EXPECT_EQ(BytesPerPixel(f), bytes[f]) << f;
    EXPECT_EQ(AlphaBits(f), alpha[f]) << f;
  }
  EXPECT_EQ(BytesPerPixel(13), 0);
  EXPECT_EQ(BytesPerPixel(-1), 0);
  EXPECT_EQ(AlphaBits(1000), 0);
}

TEST(TPixmap, CreateRoundsPitchAlignsAndZeroes) {
  TPixmapPtr a = TPixmap::Create(5, 2, RGBFormat, 4);
  EXPECT_EQ(a->pitch, 16);
  EXPECT_EQ(a->capacity, 32);
  EXPECT_EQ(TPixmap::Create(5, 2, RGBAFormat, 4)->pitch, 20);
  EXPECT_EQ(TPixmap::Create(3, 1, IntensityFormat, 1)->pitch, 3);
  EXPECT_EQ(TPixmap::Create(3, 1, IntensityFormat, 3)->pitch, 3);
  EXPECT_EQ(TPixmap::Create(4, 1, IntensityFormat, 3)->pitch, 6);
  for (int f = 1; f <= 12; ++f) {
    TPixmapPtr p = TPixmap::Create(7, 3, f, 1);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p->pixels) % 16, 0u);
    EXPECT_EQ(Bytes(p->pixels, p->pixels + p->capacity), Bytes(p->capacity, 0)) << f;
  }
  TPixmapPtr empty = TPixmap::Create(0, 0, RGBAFormat, 4);
  EXPECT_EQ(empty->capacity, 0);
  EXPECT_NE(empty->pixels, nullptr);
}

TEST(TPixmap, CreateRejectsBadArguments) {
  ExpectError([] { TPixmap::Create(-1, 2, 6, 4); }, "Create(-1, 2, 6, 4): the size is negative");
  ExpectError([] { TPixmap::Create(2, -5, 6, 4); }, "Create(2, -5, 6, 4): the size is negative");
  ExpectError([] { TPixmap::Create(65536, 65536, 6, 4); },
              "Create(65536, 65536, 6, 4): the buffer is too large");
  ExpectError([] { TPixmap::Create(2147483647, 1, 6, 4); },
              "Create(2147483647, 1, 6, 4): the buffer is too large");
  ExpectError([] { TPixmap::Create(1, 1, 6, 0); },
              "Create(1, 1, 6, 0): the alignment must be 1 or more");
  ExpectError([] { TPixmap::Create(1, 1, 13, 4); }, "Create(1, 1, 13, 4): unknown pixel format 13");
  ExpectError([] { TPixmap::Create(1, 1, 0, 4); }, "Create(1, 1, 0, 4): unknown pixel format 0");
  ExpectError([] { TPixmap::Create(1, 1, 6, 4)->Convert(-2); },
              "Convert(-2): unknown pixel format -2");
  std::uint8_t memory[4] = {};
  ExpectError([&] { TPixmap::CreateStatic(memory, 1, 1, 4, 99); },
              "CreateStatic(1, 1, 4, 99): unknown pixel format 99");
}

TEST(TPixmap, WriteAndReadPixelPerFormat) {
  const std::uint32_t colour = 0x80102030;
  struct Case {
    int format;
    Bytes stored;
    std::uint32_t read;
    std::uint32_t zeroes;  // how a pixel of zero bytes reads
  };
  const Case cases[] = {
      {IntensityFormat, {32}, 0xFF202020, 0xFF000000},
      {AlphaFormat, {128}, 0x80FFFFFF, 0x00FFFFFF},
      {BGRFormat, {48, 32, 16}, 0xFF102030, 0xFF000000},
      {RGBFormat, {16, 32, 48}, 0xFF102030, 0xFF000000},
      {BGRAFormat, {48, 32, 16, 128}, colour, 0},
      {RGBAFormat, {16, 32, 48, 128}, colour, 0},
  };
  for (const Case& c : cases) {
    TPixmapPtr p = TPixmap::Create(2, 2, c.format, 4);
    p->WritePixel(1, 1, colour);
    EXPECT_EQ(PixelBytes(p, 1, 1), c.stored) << c.format;
    EXPECT_EQ(p->ReadPixel(1, 1), c.read) << c.format;
    EXPECT_EQ(p->ReadPixel(0, 1), c.zeroes) << c.format;
    EXPECT_EQ(PixelBytes(p, 0, 1), Bytes(c.stored.size(), 0)) << c.format;
  }
  for (int f = RedFormat; f <= LuminanceFormat; ++f) {
    TPixmapPtr p = Row(f, {77});
    p->WritePixel(0, 0, colour);
    EXPECT_EQ(PixelBytes(p, 0, 0), Bytes{77}) << f;
    EXPECT_EQ(p->ReadPixel(0, 0), 0u) << f;
  }
}

TEST(TPixmap, AccessOutsideTheBufferIsAnError) {
  TPixmapPtr p = TPixmap::Create(4, 4, RGBAFormat, 4);
  ExpectError([&] { p->ReadPixel(5, 0); }, "ReadPixel(5, 0) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->ReadPixel(0, 4); }, "ReadPixel(0, 4) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->WritePixel(-1, 0, 0); },
              "WritePixel(-1, 0) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->PixelPtr(4, 3); }, "PixelPtr(4, 3) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->Window(3, 3, 2, 1); },
              "Window(3, 3, 2, 1) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->Window(0, 0, -1, 1); },
              "Window(0, 0, -1, 1) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->Window(2147483647, 0, 2, 1); },
              "Window(2147483647, 0, 2, 1) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->Paste(TPixmap::Create(2, 2, 6, 4), 3, 0); },
              "Paste of a 2 by 2 pixel buffer at (3, 0) is outside the 4 by 4 pixel buffer");
  ExpectError([&] { p->Paste(nullptr, 0, 0); }, "Paste of a Null pixel buffer");
  ExpectError([] { GetBufferPixel(nullptr, 0, 0); }, "GetBufferPixel of a Null pixel buffer");
  EXPECT_EQ(p->Window(4, 4, 0, 0)->width, 0);  // an empty view at the far corner is fine
}

TEST(TPixmap, ConvertDirectAndThroughIntermediate) {
  EXPECT_EQ(RowBytes(Row(RGBAFormat, {10, 20, 31, 0})->Convert(IntensityFormat)), Bytes{20});
  EXPECT_EQ(RowBytes(Row(AlphaFormat, {7})->Convert(RGBAFormat)), (Bytes{255, 255, 255, 7}));
  EXPECT_EQ(RowBytes(Row(RedFormat, {200})->Convert(RGBAFormat)), (Bytes{200, 0, 0, 1}));
  EXPECT_EQ(RowBytes(Row(GreenFormat, {200})->Convert(RGBAFormat)), (Bytes{0, 200, 0, 1}));
  EXPECT_EQ(RowBytes(Row(BlueFormat, {200})->Convert(BGRAFormat)), (Bytes{200, 0, 0, 1}));
  EXPECT_EQ(RowBytes(Row(LuminanceFormat, {90})->Convert(AlphaFormat)), Bytes{1});
  EXPECT_EQ(RowBytes(Row(RedFormat, {90})->Convert(AlphaOnBlackFormat)), Bytes{1});
  EXPECT_EQ(RowBytes(Row(IntensityFormat, {9})->Convert(IntensityAlphaFormat)), Bytes{70});
  EXPECT_EQ(RowBytes(Row(IntensityAlphaFormat, {9})->Convert(BGRAFormat)), (Bytes{9, 9, 9, 9}));
  EXPECT_EQ(RowBytes(Row(AlphaOnBlackFormat, {33})->Convert(RGBAFormat)), (Bytes{0, 0, 0, 33}));
  EXPECT_EQ(RowBytes(Row(BGRFormat, {1, 2, 3, 4, 5, 6})->Convert(RGBFormat)),
            (Bytes{3, 2, 1, 6, 5, 4}));
  EXPECT_EQ(RowBytes(Row(BGRAFormat, {1, 2, 3, 4})->Convert(RGBFormat)), (Bytes{3, 2, 1}));
  EXPECT_EQ(RowBytes(Row(RGBFormat, {10, 20, 31})->Convert(LuminanceFormat)), Bytes{20});
  EXPECT_EQ(RowBytes(Row(RGBFormat, {10, 20, 31})->Convert(GreenFormat)), Bytes{20});

  // Longer rows than the converter's working piece keep every pixel.
  Bytes bgr;
  for (int i = 0; i < 700; ++i) bgr.insert(bgr.end(), {std::uint8_t(i), 0, std::uint8_t(i * 7)});
  const Bytes intensity = RowBytes(Row(BGRFormat, bgr)->Convert(IntensityFormat));
  ASSERT_EQ(intensity.size(), 700u);
  for (int i = 0; i < 700; ++i) ASSERT_EQ(intensity[i], (i % 256 + i * 7 % 256) / 3) << i;
  ExpectError(
      [] {
        std::uint8_t b[4] = {};
        ConvertPixelRow(b, 6, b, 0, 1);
      },
      "ConvertPixelRow(6, 0): unknown pixel format 0");
}

TEST(TPixmap, WindowSharesPixelsAndKeepsParentAlive) {
  TPixmapPtr parent = TPixmap::Create(4, 4, RGBAFormat, 4);
  TPixmapPtr view = parent->Window(1, 1, 2, 2);
  EXPECT_EQ(view->pitch, parent->pitch);
  EXPECT_EQ(view->capacity, -1);
  view->WritePixel(0, 0, 0xFFAABBCC);
  EXPECT_EQ(parent->ReadPixel(1, 1), 0xFFAABBCCu);
  TPixmapPtr inner = view->Window(1, 1, 1, 1);
  std::weak_ptr<TPixmap> watch = parent;
  parent.reset();
  view.reset();
  ASSERT_FALSE(watch.expired());
  inner->WritePixel(0, 0, 0x01020304);
  EXPECT_EQ(watch.lock()->ReadPixel(2, 2), 0x01020304u);
  inner.reset();
  EXPECT_TRUE(watch.expired());
}

TEST(TPixmap, ClearPixelsTouchesOnlyTheBuffersOwnBytes) {
  TPixmapPtr parent = TPixmap::Create(4, 4, RGBFormat, 1);
  parent->ClearPixels(0xFFFFFFFF);
  parent->Window(1, 1, 2, 2)->ClearPixels(0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      EXPECT_EQ(parent->ReadPixel(x, y), inside ? 0xFF000000u : 0xFFFFFFFFu) << x << "," << y;
    }
  }
  parent->Window(0, 3, 4, 1)->ClearPixels(0x00112233);  // full-width window: one block
  EXPECT_EQ(RowBytes(parent, 3),
            (Bytes{0x11, 0x22, 0x33, 0x11, 0x22, 0x33, 0x11, 0x22, 0x33, 0x11, 0x22, 0x33}));
  parent->Window(0, 2, 4, 2)->ClearPixels(0);
  EXPECT_EQ(RowBytes(parent, 2), Bytes(12, 0));
  EXPECT_EQ(RowBytes(parent, 1), (Bytes{255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255}));
  TPixmapPtr red = Row(RedFormat, {5, 6});
  red->ClearPixels(0xFFFFFFFF);
  EXPECT_EQ(RowBytes(red), (Bytes{5, 6}));
  red->ClearPixels(0);
  EXPECT_EQ(RowBytes(red), (Bytes{0, 0}));
}

TEST(TPixmap, CopyAndPasteConvertRowByRow) {
  TPixmapPtr src = TPixmap::Create(3, 3, RGBFormat, 4);
  for (int i = 0; i < 9; ++i) src->WritePixel(i % 3, i / 3, 0xFF000000u | (i * 0x10101));
  TPixmapPtr copy = src->Window(1, 1, 2, 2)->Copy();
  EXPECT_EQ(copy->pitch, 8);
  EXPECT_EQ(copy->capacity, 16);
  EXPECT_EQ(copy->ReadPixel(1, 1), 0xFF080808u);
  TPixmapPtr dst = TPixmap::Create(4, 4, BGRAFormat, 4);
  dst->Paste(copy, 2, 2);
  EXPECT_EQ(dst->ReadPixel(2, 2), 0xFF040404u);
  EXPECT_EQ(dst->ReadPixel(3, 3), 0xFF080808u);
  EXPECT_EQ(dst->ReadPixel(1, 2), 0u);
  // A view of the destination pasted over itself reads the old pixels.
  src->Paste(src->Window(0, 0, 3, 2), 0, 1);
  EXPECT_EQ(RowBytes(src, 2), (Bytes{3, 3, 3, 4, 4, 4, 5, 5, 5}));
  EXPECT_EQ(RowBytes(src, 1), (Bytes{0, 0, 0, 1, 1, 1, 2, 2, 2}));
}

TEST(PixelBufferTransforms, MaskAveragesVisibleNeighbours) {
  TPixmapPtr line = Row(RGBFormat, {255, 0, 0, 0, 0, 0, 0, 0, 255});
  EXPECT_EQ(RowBytes(MaskedPixelBuffer(line, 0, 0, 0)),
            (Bytes{255, 0, 0, 255, 127, 0, 127, 0, 0, 0, 255, 255}));
  // 3 by 2: the corner mask pixel sees only its three neighbours; a mask
  // pixel surrounded by mask pixels becomes transparent black.
  TPixmapPtr grid = TPixmap::Create(3, 2, RGBAFormat, 4);
  grid->ClearPixels(0xFF0000FF);
  grid->WritePixel(1, 0, 0x00102030);
  grid->WritePixel(0, 1, 0x00405060);
  TPixmapPtr masked = MaskedPixelBuffer(grid, 0, 0, 255);
  EXPECT_EQ(masked->format, RGBAFormat);
  EXPECT_EQ(PixelBytes(masked, 0, 0), (Bytes{0x28, 0x38, 0x48, 0}));
  EXPECT_EQ(PixelBytes(masked, 1, 0), (Bytes{0x10, 0x20, 0x30, 255}));
  EXPECT_EQ(PixelBytes(masked, 2, 1), (Bytes{0x10, 0x20, 0x30, 0}));
  EXPECT_EQ(PixelBytes(MaskedPixelBuffer(Row(RGBFormat, {9, 9, 9}), 9, 9, 9), 0, 0),
            (Bytes{0, 0, 0, 0}));
}

TEST(PixelBufferTransforms, MirrorsBothWays) {
  TPixmapPtr p = TPixmap::Create(3, 2, RGBFormat, 4);
  for (int i = 0; i < 6; ++i) p->WritePixel(i % 3, i / 3, 0xFF000000u | (i * 0x10101));
  TPixmapPtr x = MirrorBufferX(p);
  TPixmapPtr y = MirrorBufferY(p);
  EXPECT_EQ(x->format, RGBFormat);
  EXPECT_EQ(RowBytes(x, 0), (Bytes{2, 2, 2, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(RowBytes(x, 1), (Bytes{5, 5, 5, 4, 4, 4, 3, 3, 3}));
  EXPECT_EQ(RowBytes(y, 0), RowBytes(p, 1));
  EXPECT_EQ(RowBytes(y, 1), RowBytes(p, 0));
}

TEST(PixelBufferTransforms, ResampleSamplesAtPixelCentres) {
  // 2 -> 4 samples at -0.25, 0.25, 0.75, 1.25.
  TPixmapPtr wide = ResampledPixelBuffer(Row(RGBFormat, {0, 100, 41, 200, 0, 40}), 4, 1);
  EXPECT_EQ(wide->format, RGBFormat);
  EXPECT_EQ(RowBytes(wide), (Bytes{0, 100, 41, 50, 75, 40, 150, 25, 40, 200, 0, 40}));
  // The same along the rows.
  TPixmapPtr column = TPixmap::Create(1, 2, IntensityFormat, 1);
  column->pixels[0] = 0;
  column->pixels[1] = 200;
  TPixmapPtr tall = ResampledPixelBuffer(column, 1, 4);
  EXPECT_EQ(tall->pitch, 4);
  EXPECT_EQ((Bytes{tall->pixels[0], tall->pixels[4], tall->pixels[8], tall->pixels[12]}),
            (Bytes{0, 50, 150, 200}));
  // 4 -> 2 samples at 0.5 and 2.5.
  EXPECT_EQ(RowBytes(ResampledPixelBuffer(Row(IntensityFormat, {0, 100, 201, 255}), 2, 1)),
            (Bytes{50, 228}));
  TPixmapPtr p = TPixmap::Create(2, 2, RGBAFormat, 4);
  ExpectError([&] { ResampledPixelBuffer(p, 0, 4); },
              "ResampledPixelBuffer(0, 4): the size must be 1 or more");
  ExpectError([] { ResampledPixelBuffer(TPixmap::Create(0, 3, 6, 4), 2, 2); },
              "ResampledPixelBuffer(2, 2) of an empty 0 by 3 pixel buffer");
}

}  // namespace
