// Images, image fonts and the overlay on a real window and GL context (SDL2
// platform, Mesa): the pixels text and images put on screen, textures
// remade after the graphics are reopened, GL state left as found.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>

#include "gfx/font_resources.h"
#include "gfx/gl_api.h"
#include "gfx/image.h"
#include "gfx/image_font.h"
#include "gfx/overlay.h"
#include "tests/gfx/real_window_suite.h"

namespace {

class Images : public RealWindowSuite {
 protected:
  static void SetUpTestSuite() { OpenSuiteWindow(u"Vuble images test"); }

  void SetUp() override {
    RealWindowSuite::SetUp();
    if (HasFatalFailure()) return;
    SetDrawRotation(0);
    Cls();
  }

  // The glyph for code c of a font resource covers the 8 × 16 cell at
  // (x, y) of the window: white where its bit is set, black elsewhere.
  static void ExpectGlyphAt(std::span<const std::uint8_t> font, char16_t c, int x, int y) {
    TPixmapPtr p = GrabPixmap(x, y, 8, 16);
    ASSERT_TRUE(p);
    int wrong = 0;
    for (int r = 0; r < 16; ++r) {
      for (int k = 0; k < 8; ++k) {
        const bool ink = font[96 * r + (c - 32)] >> k & 1;
        const std::uint32_t got = p->ReadPixel(k, r) & kRgb;
        if (got != (ink ? 0xFFFFFFu : 0u) && ++wrong <= 5) {
          ADD_FAILURE() << Format("glyph %d: pixel (%d,%d) is %06x", c, k, r, got);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
};

TEST_F(Images, DefaultFontTextLandsGlyphByGlyph) {
  const auto font = FindResource(u"quillfont.bin");
  DrawTextString(u"AB", 10, 20);
  ExpectGlyphAt(font, u'A', 10, 20);
  ExpectGlyphAt(font, u'B', 18, 20);
  EXPECT_EQ(GrabPixmap(26, 20, 1, 16)->ReadPixel(0, 8) & kRgb, 0u);  // nothing after B
}

TEST_F(Images, ImageFromPixelsIsDrawnAndSurvivesReopening) {
  TPixmapPtr pixels = TPixmap::Create(5, 3, RGBFormat, 4);  // odd size: bordered texture
  pixels->ClearPixels(0xFFFF0000);
  pixels->WritePixel(4, 2, 0xFF00FF00);
  TImagePtr image = LoadImageFrom(pixels, 0);
  ASSERT_TRUE(image);
  auto check = [&] {
    Cls();
    DrawImageAt(image, 30, 40, 0);
    TPixmapPtr p = GrabPixmap(29, 39, 7, 5);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ReadPixel(0, 0) & kRgb, 0u);
    EXPECT_EQ(p->ReadPixel(1, 1) & kRgb, 0xFF0000u);
    EXPECT_EQ(p->ReadPixel(4, 3) & kRgb, 0xFF0000u);
    EXPECT_EQ(p->ReadPixel(5, 3) & kRgb, 0x00FF00u);
    EXPECT_EQ(p->ReadPixel(6, 3) & kRgb, 0u);
    EXPECT_EQ(p->ReadPixel(5, 4) & kRgb, 0u);
  };
  check();
  const int seq = image->seqs[0];

  EndOpenedGraphics();
  graphics_ = OpenGraphics(kSize, kSize, 0, 0, 0);
  ASSERT_TRUE(graphics_);
  SetUp();
  check();
  EXPECT_NE(image->seqs[0], seq);
}

TEST_F(Images, OverlayDrawsTheBuiltInFontAndLeavesGlStateAsFound) {
  TImagePtr image = NewImage(2, 2, 1, 0);
  DrawImageAt(image, 0, 0, 0);  // leaves texturing on with the image's texture bound
  Cls();
  auto state = [] {
    std::array<GLint, 5> ints{};
    gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &ints[0]);
    gl.GetIntegerv(GL_TEXTURE_2D, &ints[1]);
    gl.GetIntegerv(GL_ALPHA_TEST, &ints[2]);
    gl.GetIntegerv(GL_MATRIX_MODE, &ints[3]);
    gl.GetIntegerv(GL_UNPACK_ROW_LENGTH, &ints[4]);
    std::array<GLdouble, 32> matrices{};
    gl.GetDoublev(GL_PROJECTION_MATRIX, &matrices[0]);
    gl.GetDoublev(GL_MODELVIEW_MATRIX, &matrices[16]);
    return std::make_pair(ints, matrices);
  };
  const auto before = state();
  EXPECT_NE(before.first[0], 0);
  EXPECT_EQ(before.first[1], 1);
  EXPECT_EQ(before.first[2], 1);

  OverlayText(u"Hi", 3, 5);
  EXPECT_EQ(state(), before);
  TPixmapPtr p = TPixmap::Create(2, 1, RGBAFormat, 4);
  p->WritePixel(0, 0, 0xFF0000FF);
  p->WritePixel(1, 0, 0xFFFFFF00);
  // Drawn untextured, though the image's texture is still enabled.
  OverlayPixmap(p, 40, 50);
  OverlayRect(60, 60, 2, 2);
  EXPECT_EQ(state(), before);

  const auto font = FindResource(u"gldrawtextfont.bin");
  ExpectGlyphAt(font, u'H', 3, 5);
  ExpectGlyphAt(font, u'i', 11, 5);
  TPixmapPtr shot = GrabPixmap(40, 50, 2, 1);
  EXPECT_EQ(shot->ReadPixel(0, 0) & kRgb, 0x0000FFu);
  EXPECT_EQ(shot->ReadPixel(1, 0) & kRgb, 0xFFFF00u);
  EXPECT_EQ(GrabPixmap(61, 61, 1, 1)->ReadPixel(0, 0) & kRgb, 0xFFFFFFu);
}

TEST_F(Images, RotatedTextRunsDownTheScreen) {
  const auto font = FindResource(u"quillfont.bin");
  SetDrawRotation(90);
  DrawTextString(u"I", 40, 10);
  // Turned clockwise: glyph row r lands in column 40 - 1 - r, column k in row 10 + k.
  TPixmapPtr p = GrabPixmap(24, 10, 16, 8);
  ASSERT_TRUE(p);
  int wrong = 0;
  for (int r = 0; r < 16; ++r) {
    for (int k = 0; k < 8; ++k) {
      const bool ink = font[96 * r + ('I' - 32)] >> k & 1;
      const std::uint32_t got = p->ReadPixel(15 - r, k) & kRgb;
      if (got != (ink ? 0xFFFFFFu : 0u)) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
