#include "gfx/overlay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/font_resources.h"
#include "gfx/gl_image_frame.h"
#include "gfx/gl_recorder.h"
#include "gfx/graphics.h"
#include "support/error.h"
#include "system/module_resets.h"

namespace {

class Overlay : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_only::ResetModules();
    overlayFontTexture = 0;
    overlayFontTextureSeq = 0;
    gl_.SetIntegers(GL_VIEWPORT, {0, 0, 640, 480});
  }
  void TearDown() override { EXPECT_EQ(gl_.Errors(), std::vector<std::string>{}); }

  std::vector<std::string> Texture2DUploads() const {
    std::vector<std::string> out;
    for (const auto& call : gl_.CallsStartingWith("TexImage2D(GL_TEXTURE_2D")) out.push_back(call);
    return out;
  }

  GlRecorder gl_;
};

TEST(PowerOfTwoAtLeast, RoundsUpAndStaysInRange) {
  const std::vector<std::pair<int, int>> cases = {{-5, 1},
                                                  {0, 1},
                                                  {1, 1},
                                                  {2, 2},
                                                  {3, 4},
                                                  {64, 64},
                                                  {65, 128},
                                                  {1000, 1024},
                                                  {(1 << 30) - 1, 1 << 30},
                                                  {1 << 30, 1 << 30},
                                                  {(1 << 30) + 1, 1 << 30}};
  for (const auto& [n, expected] : cases) EXPECT_EQ(PowerOfTwoAtLeast(n), expected) << n;
}

TEST_F(Overlay, FitTextureSizeRoundsUpThenHalvesBothUntilAccepted) {
  int w = 300, h = 20;
  FitTextureSize(w, h);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 32);
  EXPECT_EQ(gl_.CountCalls("TexImage2D(GL_PROXY_TEXTURE_2D,0,4,512,32,0,GL_RGBA,"), 1);

  gl_.ClearCalls();
  gl_.SetMaxTextureSize(256);
  w = 1000;
  h = 20;
  FitTextureSize(w, h);
  // Every dimension above 1 is halved, also the one that already fitted.
  EXPECT_EQ(w, 256);
  EXPECT_EQ(h, 8);
  EXPECT_EQ(gl_.CallsStartingWith("TexImage2D(GL_PROXY_TEXTURE_2D"),
            (std::vector<std::string>{
                "TexImage2D(GL_PROXY_TEXTURE_2D,0,4,1024,32,0,GL_RGBA,GL_UNSIGNED_BYTE,null)",
                "TexImage2D(GL_PROXY_TEXTURE_2D,0,4,512,16,0,GL_RGBA,GL_UNSIGNED_BYTE,null)",
                "TexImage2D(GL_PROXY_TEXTURE_2D,0,4,256,8,0,GL_RGBA,GL_UNSIGNED_BYTE,null)"}));
  EXPECT_EQ(gl_.CountCalls("GetTexLevelParameteriv(GL_PROXY_TEXTURE_2D,0,GL_TEXTURE_WIDTH)"), 3);
}

TEST_F(Overlay, FitTextureSizeFailsOnlyAfterOneByOneIsRefused) {
  gl_.SetMaxTextureSize(0);
  int w = 4, h = 1;
  try {
    FitTextureSize(w, h);
    FAIL() << "no error raised";
  } catch (const RuntimeError& e) {
    EXPECT_STREQ(e.what(), "Unable to calculate tex size");
  }
  EXPECT_EQ(gl_.CountCalls("TexImage2D(GL_PROXY_TEXTURE_2D,0,4,4,1,"), 1);
  EXPECT_EQ(gl_.CountCalls("TexImage2D(GL_PROXY_TEXTURE_2D,0,4,2,1,"), 1);
  EXPECT_EQ(gl_.CountCalls("TexImage2D(GL_PROXY_TEXTURE_2D,0,4,1,1,"), 1);
}

TEST_F(Overlay, UploadResizesToPowersOfTwoAndBuildsEveryMipmapLevel) {
  gl_.BindTexture(GL_TEXTURE_2D, 7);
  gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, 5);
  gl_.SetNextTextureName(40);
  TPixmapPtr pixmap = TPixmap::Create(300, 20, RGBFormat, 4);
  pixmap->ClearPixels(0xFF336699);
  gl_.ClearCalls();

  EXPECT_EQ(UploadPixmapTexture(pixmap, 1), 40u);
  const std::vector<std::string> levels = Texture2DUploads();
  const int sizes[][2] = {{512, 32}, {256, 16}, {128, 8}, {64, 4}, {32, 2},
                          {16, 1},   {8, 1},    {4, 1},   {2, 1},  {1, 1}};
  ASSERT_EQ(levels.size(), std::size(sizes));
  for (std::size_t i = 0; i < levels.size(); ++i) {
    EXPECT_EQ(levels[i], "TexImage2D(GL_TEXTURE_2D," + std::to_string(i) + ",GL_RGBA8," +
                             std::to_string(sizes[i][0]) + "," + std::to_string(sizes[i][1]) +
                             ",0,GL_RGBA,GL_UNSIGNED_BYTE,data)");
  }
  // Resized, not padded: every texel of every level carries the colour.
  for (const auto& t : gl_.Transfers()) {
    ASSERT_EQ(t.bytes.size(), static_cast<std::size_t>(t.width) * t.height * 4);
    for (std::size_t i = 0; i < t.bytes.size(); i += 4) {
      ASSERT_EQ(t.bytes[i], 0x33);
      ASSERT_EQ(t.bytes[i + 3], 0xFF);
    }
  }
  EXPECT_EQ(gl_.BoundTexture(), 7u);
  EXPECT_EQ(gl_.PixelStore(GL_UNPACK_ROW_LENGTH), 5);
  EXPECT_EQ(gl_.CountCalls("TexParameteri"), 0);

  gl_.ClearCalls();
  UploadPixmapTexture(pixmap, 0);
  EXPECT_EQ(Texture2DUploads().size(), 1u);
}

TEST_F(Overlay, UploadPassesTheRowLengthOfAWiderPitch) {
  TPixmapPtr parent = TPixmap::Create(8, 4, RGBAFormat, 4);
  parent->ClearPixels(0);
  parent->WritePixel(2, 1, 0xFF0000FF);
  TPixmapPtr view = parent->Window(2, 1, 4, 2);
  gl_.ClearCalls();
  UploadPixmapTexture(view, 0);
  EXPECT_EQ(gl_.CountCalls("PixelStorei(GL_UNPACK_ROW_LENGTH,8)"), 1);
  ASSERT_EQ(gl_.Transfers().size(), 1u);
  const auto& bytes = gl_.Transfers()[0].bytes;
  ASSERT_EQ(bytes.size(), 4u * 2 * 4);
  EXPECT_EQ(bytes[2], 0xFF);  // the view's first pixel is the parent's (2, 1)
  EXPECT_EQ(bytes[6], 0x00);
}

TEST_F(Overlay, TextureUploadsReadOnlyTheRowsABufferDescribes) {
  // Two 2-pixel rows A and B, then a row the buffers below do not describe.
  std::vector<std::uint8_t> memory(24, 0xEE);
  for (std::uint8_t i = 0; i < 16; ++i) memory[i] = i;
  const std::vector<std::uint8_t> a(memory.begin(), memory.begin() + 8);
  const std::vector<std::uint8_t> b(memory.begin() + 8, memory.begin() + 16);
  struct Case {
    std::size_t offset;
    int pitch;
    std::vector<std::uint8_t> top_row;  // the bottom row is A in both
  };
  const Case cases[] = {{0, 0, a}, {8, -8, b}};  // A repeated; B above A (bottom-up)
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pitch);
    std::vector<std::uint8_t> expected = c.top_row;
    expected.insert(expected.end(), a.begin(), a.end());
    TPixmapPtr pixmap = TPixmap::CreateStatic(memory.data() + c.offset, 2, 2, c.pitch, RGBAFormat);
    gl_.ClearCalls();
    UploadPixmapTexture(pixmap, 0);
    ASSERT_TRUE(TGLImageFrame::CreateFromPixmap(pixmap, 0));
    std::vector<std::vector<GLubyte>> uploaded;
    for (const auto& t : gl_.Transfers()) {
      if (!t.bytes.empty()) uploaded.push_back(t.bytes);
    }
    EXPECT_EQ(uploaded, (std::vector<std::vector<GLubyte>>{expected, expected}));
  }
}

TEST_F(Overlay, GeometryBeyondTheIntRangeIsCutThereInsteadOfWrapping) {
  OverlayRect(2147483642, -2147483647 - 1, 10, -10);
  EXPECT_EQ(gl_.CallsStartingWith("Vertex2i"),
            (std::vector<std::string>{
                "Vertex2i(2147483642,-2147483648)", "Vertex2i(2147483647,-2147483648)",
                "Vertex2i(2147483647,-2147483648)", "Vertex2i(2147483642,-2147483648)"}));
  gl_.ClearCalls();
  // Glyphs that would reach past the range are left out.
  OverlayText(u"abc", 2147483630, 0);
  OverlayText(u"d", 0, 2147483640);
  const auto vertices = gl_.CallsStartingWith("Vertex2i");
  ASSERT_EQ(vertices.size(), 8u);
  EXPECT_EQ(vertices[5], "Vertex2i(2147483646,0)");
  EXPECT_EQ(vertices[6], "Vertex2i(2147483646,16)");
}

TEST_F(Overlay, TextDrawsOneQuadPerGlyphFromTheFontStrip) {
  OverlayText(u"AB", 10, 20);
  const std::string calls = gl_.Joined();
  const std::string quads =
      "Begin(GL_QUADS) TexCoord2f(0.2578125,0) Vertex2i(10,20) "
      "TexCoord2f(0.265625,0) Vertex2i(18,20) TexCoord2f(0.265625,1) Vertex2i(18,36) "
      "TexCoord2f(0.2578125,1) Vertex2i(10,36) End() "
      "Begin(GL_QUADS) TexCoord2f(0.265625,0) Vertex2i(18,20) "
      "TexCoord2f(0.2734375,0) Vertex2i(26,20) TexCoord2f(0.2734375,1) Vertex2i(26,36) "
      "TexCoord2f(0.265625,1) Vertex2i(18,36) End()";
  EXPECT_NE(calls.find("Enable(GL_TEXTURE_2D) BindTexture(GL_TEXTURE_2D,1) " + quads),
            std::string::npos)
      << calls;
  EXPECT_NE(calls.find("Ortho(0,640,480,0,-1,1)"), std::string::npos);

  // The font strip: 1024 by 16 with mipmaps; glyph g's ink at columns 8g..8g+7.
  ASSERT_FALSE(gl_.Transfers().empty());
  const auto& strip = gl_.Transfers()[0];
  ASSERT_EQ(strip.width, 1024);
  ASSERT_EQ(strip.height, 16);
  EXPECT_EQ(Texture2DUploads().size(), 11u);
  const auto font = FindResource(u"gldrawtextfont.bin");
  int ink = 0;
  for (int r = 0; r < 16; ++r) {
    for (int col = 0; col < 1024; ++col) {
      const int g = col / 8;
      const bool set = g < 96 && (font[96 * r + g] >> (col % 8) & 1);
      const std::size_t at = (static_cast<std::size_t>(r) * 1024 + col) * 4;
      ASSERT_EQ(strip.bytes[at + 3], set ? 0xFF : 0x00) << "column " << col << " row " << r;
      ASSERT_EQ(strip.bytes[at], set ? 0xFF : 0x00);
      ink += set;
    }
  }
  EXPECT_GT(ink, 0);

  // Made once per graphics generation.
  gl_.ClearCalls();
  OverlayText(u"A", 0, 0);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 0);
  EXPECT_EQ(gl_.CountCalls("BindTexture(GL_TEXTURE_2D,1)"), 1);
}

TEST_F(Overlay, CodesOutsideTheFontLeaveAGap) {
  OverlayText(std::u16string(u"A\tB") + char16_t(0x80) + u"C" + char16_t(0x1F), 0, 0);
  const auto quads = gl_.CallsStartingWith("Vertex2i(");
  ASSERT_EQ(quads.size(), 12u);
  EXPECT_EQ(quads[0], "Vertex2i(0,0)");
  EXPECT_EQ(quads[4], "Vertex2i(16,0)");
  EXPECT_EQ(quads[8], "Vertex2i(32,0)");
  EXPECT_EQ(gl_.CountCalls("TexCoord2f(0.0078125,0)"), 0);  // nothing drawn as a space
}

TEST_F(Overlay, FontTextureIsMadeAgainForANewGraphicsGeneration) {
  OverlayText(u"x", 0, 0);
  EXPECT_EQ(overlayFontTexture, 1u);
  AdvanceGraphicsSeq();
  gl_.ClearCalls();
  OverlayText(u"x", 0, 0);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 1);
  EXPECT_EQ(overlayFontTexture, 2u);
  EXPECT_EQ(gl_.CountCalls("BindTexture(GL_TEXTURE_2D,2)"), 2);  // the upload, then the draw
}

TEST_F(Overlay, DrawingLeavesMatricesEnablesAndBindingAsFound) {
  gl_.MatrixMode(GL_PROJECTION);
  gl_.Ortho(0, 100, 50, 0, -1, 1);
  gl_.MatrixMode(GL_MODELVIEW);
  gl_.Ortho(-3, 3, -2, 2, -1, 1);  // anything but identity
  gl_.Enable(GL_ALPHA_TEST);
  gl_.Enable(GL_DEPTH_TEST);
  gl_.Enable(GL_BLEND);
  gl_.Enable(GL_TEXTURE_2D);
  gl_.BindTexture(GL_TEXTURE_2D, 9);
  const auto projection = gl_.Matrix(GL_PROJECTION);
  const auto modelview = gl_.Matrix(GL_MODELVIEW);

  TPixmapPtr pixmap = TPixmap::Create(3, 2, RGBFormat, 4);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) pixmap->WritePixel(x, y, 0xFF000000u | (y * 3 + x));
  }
  for (int round = 0; round < 3; ++round) {
    gl_.ClearCalls();
    if (round == 0) {
      OverlayRect(5, 6, 10, 4);
      // Untextured, though a texture is enabled around it.
      EXPECT_NE(
          gl_.Joined().find(
              "Disable(GL_TEXTURE_2D) Begin(GL_QUADS) Vertex2i(5,6) Vertex2i(15,6) Vertex2i(15,10) "
              "Vertex2i(5,10) End()"),
          std::string::npos);
    } else if (round == 1) {
      OverlayPixmap(pixmap, 5, 7);
      EXPECT_NE(gl_.Joined().find("Disable(GL_TEXTURE_2D) RasterPos2i(0,0) "
                                  "Bitmap(0,0,0,0,5,-9,null) "
                                  "DrawPixels(3,2,GL_RGBA,GL_UNSIGNED_BYTE,data)"),
                std::string::npos);
      // Bottom row first, expanded to RGBA.
      ASSERT_EQ(gl_.Transfers().size(), 1u);
      const auto& bytes = gl_.Transfers()[0].bytes;
      EXPECT_EQ((std::vector<int>{bytes[2], bytes[6], bytes[10], bytes[14], bytes[18], bytes[22]}),
                (std::vector<int>{3, 4, 5, 0, 1, 2}));
      EXPECT_EQ(bytes[3], 0xFF);
    } else {
      OverlayText(u"hi", 1, 1);
    }
    const std::string calls = gl_.Joined();
    EXPECT_EQ(gl_.CountCalls("PushAttrib(GL_TRANSFORM_BIT|GL_ENABLE_BIT|GL_TEXTURE_BIT)"), 1)
        << calls;
    EXPECT_NE(calls.find("Disable(GL_CULL_FACE) Disable(GL_ALPHA_TEST) Disable(GL_DEPTH_TEST)"),
              std::string::npos);
    EXPECT_EQ(gl_.Matrix(GL_PROJECTION), projection);
    EXPECT_EQ(gl_.Matrix(GL_MODELVIEW), modelview);
    EXPECT_TRUE(gl_.IsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(gl_.IsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(gl_.IsEnabled(GL_BLEND));
    EXPECT_TRUE(gl_.IsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_.BoundTexture(), 9u);
    EXPECT_EQ(gl_.CallsStartingWith("PopAttrib").size(), 1u);
  }
}

}  // namespace
