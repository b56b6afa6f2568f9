#include "gfx/image_font.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gfx/font_resources.h"
#include "support/error.h"
#include "tests/gfx/flat2d_fixture.h"

namespace {

// A glyph of a font source: a pixmap (or none), an advance and a box.
class StubGlyph : public TGlyph {
 public:
  StubGlyph(ObjectPtr pixels, float advance, int x, int y, int w, int h)
      : pixels_(std::move(pixels)), advance_(advance), rect_{x, y, w, h} {}
  ObjectPtr Pixels() override { return pixels_; }
  float Advance() override { return advance_; }
  void GetRect(int& x, int& y, int& w, int& h) override {
    x = rect_[0];
    y = rect_[1];
    w = rect_[2];
    h = rect_[3];
  }

 private:
  ObjectPtr pixels_;
  float advance_;
  int rect_[4];
};

TPixmapPtr Filled(int w, int h) {
  TPixmapPtr p = TPixmap::Create(w, h, RGBAFormat, 4);
  p->ClearPixels(0xFFFFFFFF);
  return p;
}

// Glyphs for x, y and z: x with a 3 by 5 picture offset by (1, 2), y
// without ink, z with a 2 by 2 picture.
class StubFont : public TFont {
 public:
  int Style() override { return 9; }
  int Height() override { return 11; }
  int CountGlyphs() override { return 3; }
  int CharToGlyph(int c) override { return c >= 'x' && c <= 'z' ? c - 'x' : -1; }
  std::shared_ptr<TGlyph> LoadGlyph(int index) override {
    ++loads;
    switch (index) {
      case 0: return std::make_shared<StubGlyph>(Filled(3, 5), 4.75f, 1, 2, 3, 5);
      case 1:
        return std::make_shared<StubGlyph>(std::make_shared<TextObject>(u"-"), 2.5f, 0, 0, 0, 0);
      default: return std::make_shared<StubGlyph>(Filled(2, 2), 1.5f, 0, 0, 2, 2);
    }
  }
  int loads = 0;
};

class StubLoader : public TFontLoader {
 public:
  explicit StubLoader(bool answers) : answers_(answers) {}
  std::shared_ptr<TFont> LoadFont(const ObjectPtr&, int size, int style) override {
    asked.push_back(size * 100 + style);
    return answers_ ? std::make_shared<StubFont>() : nullptr;
  }
  std::vector<int> asked;

 private:
  bool answers_;
};

class ImageFontTest : public Flat2DTest {
 protected:
  void SetUp() override {
    Flat2DTest::SetUp();
    testing_only::ResetFontLoaders();
  }
  void TearDown() override {
    testing_only::ResetFontLoaders();
    Flat2DTest::TearDown();
  }
  // The first vertex of each quad drawn since the last look.
  std::vector<std::string> QuadCorners() {
    std::vector<std::string> out;
    const auto calls = gl_.Calls();
    for (std::size_t i = 0; i + 2 < calls.size(); ++i) {
      if (calls[i] == "Begin(GL_QUADS)") out.push_back(calls[i + 2]);
    }
    gl_.ClearCalls();
    return out;
  }
};

TEST(ImageFontAbstract, BaseOperationsRaise) {
  TGlyph glyph;
  TFont font;
  TFontLoader loader;
  int a = 0, b = 0, c = 0, d = 0;
  const std::vector<std::function<void()>> calls = {[&] { glyph.Pixels(); },
                                                    [&] { glyph.Advance(); },
                                                    [&] { glyph.GetRect(a, b, c, d); },
                                                    [&] { font.Style(); },
                                                    [&] { font.Height(); },
                                                    [&] { font.CountGlyphs(); },
                                                    [&] { font.CharToGlyph(65); },
                                                    [&] { font.LoadGlyph(0); },
                                                    [&] { loader.LoadFont(nullptr, 12, 0); }};
  for (std::size_t i = 0; i < calls.size(); ++i) {
    try {
      calls[i]();
      ADD_FAILURE() << "operation " << i << " did not raise";
    } catch (const RuntimeError& e) {
      EXPECT_STREQ(e.what(), "Attempt to call abstract method") << i;
    }
  }
}

TEST(ImageFontDefault, GlyphsAreCutFromTheEmbeddedBitmap) {
  TImageFontPtr font = TImageFont::CreateDefault();
  EXPECT_EQ(font->Style(), 0);
  EXPECT_EQ(font->Height(), 16);
  EXPECT_EQ(font->CountGlyphs(), 96);
  EXPECT_EQ(font->_imageFlags, 0);
  const std::vector<std::pair<int, int>> mapping = {{0, -1},   {9, -1},   {31, -1},  {32, 0},
                                                    {'A', 33}, {127, 95}, {128, -1}, {0xE9, -1}};
  for (const auto& [c, g] : mapping) EXPECT_EQ(font->CharToGlyph(c), g) << c;

  const auto bits = FindResource(u"quillfont.bin");
  ASSERT_EQ(bits.size(), kFontResourceSize);
  int ink = 0;
  for (int g = 0; g < 96; ++g) {
    auto glyph = font->LoadGlyph(g);
    ASSERT_TRUE(glyph && glyph->_image);
    EXPECT_EQ(glyph->_advance, 8.0f);
    EXPECT_EQ(glyph->_x, 0);
    EXPECT_EQ(glyph->_w, 8);
    EXPECT_EQ(glyph->_h, 16);
    const TImage& image = *glyph->_image;
    ASSERT_EQ(image.width, 8);
    ASSERT_EQ(image.height, 16);
    EXPECT_EQ(image.flags, 0);
    for (int r = 0; r < 16; ++r) {
      for (int k = 0; k < 8; ++k) {
        const bool set = bits[96 * r + g] >> k & 1;
        ink += set;
        ASSERT_EQ(image.pixmaps[0]->ReadPixel(k, r), set ? 0xFFFFFFFFu : 0u)
            << "glyph " << g << " row " << r << " column " << k;
      }
    }
  }
  EXPECT_GT(ink, 96 * 8);  // a real font, not a blank table
  EXPECT_EQ(font->LoadGlyph(96), nullptr);
  EXPECT_EQ(font->LoadGlyph(-1), nullptr);
}

TEST_F(ImageFontTest, FirstGraphicsStartWithTheDefaultFont) {
  ASSERT_TRUE(defaultImageFont);
  EXPECT_EQ(graphics_->image_font, defaultImageFont);
  EXPECT_EQ(defaultImageFont->_src_font, nullptr);
  SelectImageFont(nullptr);
  EXPECT_EQ(CurrentImageFont(), defaultImageFont);
}

TEST_F(ImageFontTest, TextIsDrawnGlyphByGlyphEightPixelsApart) {
  DrawTextString(u"AB", 10, 20);
  const std::string calls = gl_.Joined();
  EXPECT_NE(calls.find("Begin(GL_QUADS) TexCoord2f(0,0) Vertex2f(10,20) TexCoord2f(1,0) "
                       "Vertex2f(18,20) TexCoord2f(1,1) Vertex2f(18,36) TexCoord2f(0,1) "
                       "Vertex2f(10,36) End()"),
            std::string::npos)
      << calls;
  EXPECT_NE(calls.find("Begin(GL_QUADS) TexCoord2f(0,0) Vertex2f(18,20) TexCoord2f(1,0) "
                       "Vertex2f(26,20) TexCoord2f(1,1) Vertex2f(26,36) TexCoord2f(0,1) "
                       "Vertex2f(18,36) End()"),
            std::string::npos);
  // Each glyph's texture is the glyph's own picture, made on first use.
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 2);
  std::vector<GlRecorder::PixelTransfer> uploads;
  for (const auto& t : gl_.Transfers()) {
    if (t.call == "TexSubImage2D") uploads.push_back(t);
  }
  ASSERT_EQ(uploads.size(), 2u);
  ASSERT_EQ(uploads[0].bytes.size(), 8u * 16u * 4u);
  const auto bits = FindResource(u"quillfont.bin");
  for (int r = 0; r < 16; ++r) {
    for (int k = 0; k < 8; ++k) {
      const bool set = bits[96 * r + 33] >> k & 1;
      ASSERT_EQ(uploads[0].bytes[static_cast<std::size_t>(r * 8 + k) * 4 + 3], set ? 0xFF : 0);
    }
  }
  gl_.ClearCalls();
  DrawTextString(u"BA", 0, 0);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 0);
}

TEST_F(ImageFontTest, HandleOriginRotationAndSkippedCharactersPlaceTheGlyphs) {
  DrawTextString(
      u"A\tB\x80"
      u"C",
      10, 20);
  EXPECT_EQ(QuadCorners(),
            (std::vector<std::string>{"Vertex2f(10,20)", "Vertex2f(18,20)", "Vertex2f(26,20)"}));

  SetDrawHandle(4, 8);
  DrawTextString(u"AB", 10, 20);
  EXPECT_EQ(QuadCorners(), (std::vector<std::string>{"Vertex2f(6,12)", "Vertex2f(14,12)"}));

  SetDrawHandle(0, 0);
  SetDrawOrigin(1, 2);
  SetDrawRotation(90);
  DrawTextString(u"AB", 100, 100);
  EXPECT_EQ(QuadCorners(), (std::vector<std::string>{"Vertex2f(101,102)", "Vertex2f(101,110)"}));

  SetDrawRotation(0);
  SetDrawScale(2, 3);
  DrawTextString(u"AB", 0, 0);
  EXPECT_EQ(QuadCorners(), (std::vector<std::string>{"Vertex2f(1,2)", "Vertex2f(17,2)"}));
}

TEST_F(ImageFontTest, MeasuringCountsOnlyCharactersWithGlyphs) {
  EXPECT_EQ(TextPixelWidth(u"Hello"), 40);
  EXPECT_EQ(TextPixelWidth(u"a\tb\n"), 16);
  EXPECT_EQ(TextPixelWidth(u""), 0);
  EXPECT_EQ(TextPixelHeight(u""), 16);
  EXPECT_EQ(TextPixelHeight(u"two\nlines"), 16);
}

TEST_F(ImageFontTest, LoaderChainAsksTheNewestLoaderFirst) {
  EXPECT_EQ(LoadFontFrom(nullptr, 12, 0), nullptr);
  EXPECT_EQ(TImageFont::Load(nullptr, 12, 0), nullptr);

  auto answering = std::make_shared<StubLoader>(true);
  auto declining = std::make_shared<StubLoader>(false);
  AddFontLoader(answering);
  AddFontLoader(declining);
  std::shared_ptr<TFont> font = LoadFontFrom(nullptr, 12, 4);
  ASSERT_TRUE(font);
  EXPECT_EQ(declining->asked, std::vector<int>{1204});
  EXPECT_EQ(answering->asked, std::vector<int>{1204});

  // Adding a loader already in the chain, even the last one, changes nothing.
  AddFontLoader(answering);
  AddFontLoader(declining);
  int length = 0;
  for (auto l = FirstFontLoader(); l && length < 10; l = l->_succ) ++length;
  EXPECT_EQ(length, 2);
  EXPECT_EQ(FirstFontLoader(), declining);
}

TEST_F(ImageFontTest, LoadedFontMakesGlyphImagesOnFirstUse) {
  AddFontLoader(std::make_shared<StubLoader>(true));
  TImageFontPtr smooth = TImageFont::Load(nullptr, 12, SmoothFontStyle);
  ASSERT_TRUE(smooth);
  EXPECT_EQ(smooth->_imageFlags, FilteredImageFlag | MipmappedImageFlag);
  TImageFontPtr font = TImageFont::Load(nullptr, 12, 1);
  ASSERT_TRUE(font);
  auto& source = static_cast<StubFont&>(*font->_src_font);
  EXPECT_EQ(font->_imageFlags, 0);
  EXPECT_EQ(font->Style(), 9);
  EXPECT_EQ(font->Height(), 11);
  EXPECT_EQ(font->CountGlyphs(), 3);
  EXPECT_EQ(source.loads, 0);

  auto x = font->LoadGlyph(0);
  EXPECT_EQ(font->LoadGlyph(0), x);
  EXPECT_EQ(source.loads, 1);
  EXPECT_EQ(x->_advance, 4.75f);
  EXPECT_EQ(x->_y, 2);
  EXPECT_EQ(x->_h, 5);
  ASSERT_TRUE(x->_image);
  EXPECT_EQ(x->_image->width, 3);
  EXPECT_EQ(font->LoadGlyph(1)->_image, nullptr);  // pixels that are no pixel buffer

  // Each advance is truncated as it is added: 4, 6, 7 (not 8.75).
  SelectImageFont(font);
  EXPECT_EQ(TextPixelWidth(u"xqyz"), 7);
  EXPECT_EQ(TextPixelHeight(u"x"), 11);
  // The glyph without ink still moves the pen.
  gl_.ClearCalls();
  DrawTextString(u"xyz", 10, 20);
  EXPECT_EQ(QuadCorners(), (std::vector<std::string>{"Vertex2f(11,22)", "Vertex2f(17.25,20)"}));
}

}  // namespace
