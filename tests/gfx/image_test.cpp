#include "gfx/image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/gl_image_frame.h"
#include "support/error.h"
#include "support/format.h"
#include "tests/gfx/flat2d_fixture.h"

namespace {

// A pixel whose value tells where it came from: red = x, green = y.
std::uint32_t Coded(int x, int y) {
  return 0xFF000000u | (static_cast<std::uint32_t>(x) << 16) | (static_cast<std::uint32_t>(y) << 8);
}

TPixmapPtr CodedPixmap(int width, int height, std::int32_t format = RGBAFormat) {
  TPixmapPtr p = TPixmap::Create(width, height, format, 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p->WritePixel(x, y, Coded(x, y));
  }
  return p;
}

// Red and green of texel (x, y) of a captured RGBA transfer.
std::pair<int, int> TexelAt(const GlRecorder::PixelTransfer& t, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * t.width + x) * 4;
  return {t.bytes[at], t.bytes[at + 1]};
}

class ImageTest : public Flat2DTest {
 protected:
  void SetUp() override {
    Flat2DTest::SetUp();
    deadTextures.clear();
    deadTextureSeq = 0;
    imageMaskColor = {};
    autoCentreHandles = false;
    autoImageFlags = MaskedImageFlag | FilteredImageFlag;
  }

  const GlRecorder::PixelTransfer& OnlyUpload() {
    std::vector<const GlRecorder::PixelTransfer*> subs;
    for (const auto& t : gl_.Transfers()) {
      if (t.call == "TexSubImage2D") subs.push_back(&t);
    }
    EXPECT_EQ(subs.size(), 1u);
    return *subs.at(0);
  }

  // The Vertex2f and TexCoord2f calls of the last draw, joined.
  std::string Quad() {
    std::string out;
    for (const auto& c : gl_.Calls()) {
      if (c.rfind("Vertex2f", 0) == 0 || c.rfind("TexCoord2f", 0) == 0) {
        out += (out.empty() ? "" : " ") + c;
      }
    }
    gl_.ClearCalls();
    return out;
  }
};

TEST_F(ImageTest, OddSizeGetsPowerOfTwoTextureWithOneTexelBorder) {
  auto frame = TGLImageFrame::CreateFromPixmap(CodedPixmap(100, 50), 0);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->uscale, 1.0f / 128);
  EXPECT_EQ(frame->vscale, 1.0f / 64);
  EXPECT_EQ(frame->u1, 100.0f / 128);
  EXPECT_EQ(frame->v1, 50.0f / 64);
  EXPECT_EQ(frame->u0, 0.0f);
  EXPECT_EQ(gl_.CountCalls("TexImage2D(GL_TEXTURE_2D,0,GL_RGBA8,128,64,0,GL_RGBA,"), 1);
  const auto& t = OnlyUpload();
  ASSERT_EQ(t.width, 128);
  ASSERT_EQ(t.height, 64);
  EXPECT_EQ(TexelAt(t, 99, 49), std::make_pair(99, 49));
  for (int y = 0; y < 50; ++y) ASSERT_EQ(TexelAt(t, 100, y), std::make_pair(99, y)) << y;
  for (int x = 0; x < 100; ++x) ASSERT_EQ(TexelAt(t, x, 50), std::make_pair(x, 49)) << x;
  EXPECT_EQ(TexelAt(t, 100, 50), std::make_pair(99, 49));
  // Beyond the border nothing of the picture is repeated.
  EXPECT_EQ(TexelAt(t, 101, 10), std::make_pair(0, 0));
  EXPECT_EQ(TexelAt(t, 10, 51), std::make_pair(0, 0));
}

TEST_F(ImageTest, PowerOfTwoSizeIsUploadedAsIsInRgba) {
  auto frame = TGLImageFrame::CreateFromPixmap(CodedPixmap(64, 64, RGBFormat), 0);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->u1, 1.0f);
  EXPECT_EQ(frame->v1, 1.0f);
  const auto& t = OnlyUpload();
  ASSERT_EQ(t.width, 64);
  ASSERT_EQ(t.height, 64);
  EXPECT_EQ(TexelAt(t, 63, 63), std::make_pair(63, 63));
  EXPECT_EQ(t.bytes[3], 0xFF);
  EXPECT_EQ(gl_.CountCalls("PixelStorei(GL_UNPACK_ROW_LENGTH,64)"), 1);
  EXPECT_EQ(gl_.PixelStore(GL_UNPACK_ROW_LENGTH), 0);
}

TEST_F(ImageTest, TooLargeForTheGlIsResizedIntoTheLargestAcceptedTexture) {
  gl_.SetMaxTextureSize(64);
  auto frame = TGLImageFrame::CreateFromPixmap(CodedPixmap(100, 50), 0);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->u1, 1.0f);
  EXPECT_EQ(frame->v1, 1.0f);
  const auto& t = OnlyUpload();
  EXPECT_EQ(t.width, 64);
  EXPECT_EQ(t.height, 32);
}

TEST_F(ImageTest, PixmapWithoutPixelsMakesNoFrame) {
  EXPECT_EQ(TGLImageFrame::CreateFromPixmap(TPixmap::Create(0, 5, RGBAFormat, 4), 0), nullptr);
  EXPECT_EQ(TGLImageFrame::CreateFromPixmap(nullptr, 0), nullptr);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 0);
  // Drawing such an image draws nothing and tries again next time.
  TImagePtr image = NewImage(0, 0, 1, 0);
  DrawImageAt(image, 0, 0, 0);
  EXPECT_EQ(gl_.CountCalls("Begin"), 0);
  EXPECT_EQ(image->seqs[0], 0);
}

TEST_F(ImageTest, FlagsChooseFiltersAndMipmapLevels) {
  struct Case {
    int flags;
    const char* mag;
    const char* min;
  };
  const Case cases[] = {
      {0, "GL_NEAREST", "GL_NEAREST"},
      {FilteredImageFlag, "GL_LINEAR", "GL_LINEAR"},
      {MipmappedImageFlag, "GL_NEAREST", "GL_NEAREST_MIPMAP_NEAREST"},
      {FilteredImageFlag | MipmappedImageFlag, "GL_LINEAR", "GL_LINEAR_MIPMAP_LINEAR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    gl_.ClearCalls();
    TGLImageFrame::CreateFromPixmap(CodedPixmap(128, 32), c.flags);
    EXPECT_EQ(
        gl_.CallsStartingWith("TexParameteri"),
        (std::vector<std::string>{
            "TexParameteri(GL_TEXTURE_2D,GL_TEXTURE_WRAP_S,GL_CLAMP_TO_EDGE)",
            "TexParameteri(GL_TEXTURE_2D,GL_TEXTURE_WRAP_T,GL_CLAMP_TO_EDGE)",
            std::string("TexParameteri(GL_TEXTURE_2D,GL_TEXTURE_MAG_FILTER,") + c.mag + ")",
            std::string("TexParameteri(GL_TEXTURE_2D,GL_TEXTURE_MIN_FILTER,") + c.min + ")"}));
    const bool mipmapped = c.flags & MipmappedImageFlag;
    std::vector<std::string> storage, uploads;
    const int sizes[][2] = {{128, 32}, {64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (int level = 0; level < (mipmapped ? 8 : 1); ++level) {
      storage.push_back("TexImage2D(GL_TEXTURE_2D," + std::to_string(level) + ",GL_RGBA8," +
                        std::to_string(sizes[level][0]) + "," + std::to_string(sizes[level][1]) +
                        ",0,GL_RGBA,GL_UNSIGNED_BYTE,null)");
      uploads.push_back("TexSubImage2D(GL_TEXTURE_2D," + std::to_string(level) + ",0,0," +
                        std::to_string(sizes[level][0]) + "," + std::to_string(sizes[level][1]) +
                        ",GL_RGBA,GL_UNSIGNED_BYTE,data)");
    }
    EXPECT_EQ(gl_.CallsStartingWith("TexImage2D(GL_TEXTURE_2D"), storage);
    EXPECT_EQ(gl_.CallsStartingWith("TexSubImage2D"), uploads);
    EXPECT_EQ(gl_.PixelStore(GL_UNPACK_ROW_LENGTH), 0);
  }
}

TEST_F(ImageTest, LoadFramesFromCutsCellsLeftToRightThenDown) {
  TImagePtr image = LoadFramesFrom(CodedPixmap(64, 32), 16, 16, 2, 4, 0);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 16);
  EXPECT_EQ(image->height, 16);
  ASSERT_EQ(image->pixmaps.size(), 4u);
  const int corners[][2] = {{32, 0}, {48, 0}, {0, 16}, {16, 16}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(image->pixmaps[i]->ReadPixel(0, 0), Coded(corners[i][0], corners[i][1]));
    EXPECT_EQ(image->pixmaps[i]->ReadPixel(15, 15), Coded(corners[i][0] + 15, corners[i][1] + 15));
  }

  // Eight cells: first 5 and count 4 asks for nine. Each Null keeps its
  // reason, with the values; a success clears it.
  EXPECT_EQ(LoadFramesFrom(CodedPixmap(64, 32), 16, 16, 5, 4, 0), nullptr);
  EXPECT_EQ(LastImageError(),
            u"The 64 by 32 picture holds 8 cells of 16 by 16, too few for 4 from cell 5");
  EXPECT_TRUE(LoadFramesFrom(CodedPixmap(64, 32), 16, 16, 4, 4, 0));
  EXPECT_EQ(LastImageError(), u"");
  // Cells without size, and negative starts or counts, give no image.
  EXPECT_EQ(LoadFramesFrom(CodedPixmap(64, 32), 0, 16, 0, 1, 0), nullptr);
  EXPECT_EQ(LastImageError(), u"The cell size 0 by 16 is not at least 1 by 1");
  EXPECT_EQ(LoadFramesFrom(CodedPixmap(64, 32), 16, -16, 0, 1, 0), nullptr);
  EXPECT_EQ(LoadFramesFrom(CodedPixmap(64, 32), 16, 16, -1, 2, 0), nullptr);
  EXPECT_EQ(LastImageError(), u"The first cell -1 and the count 2 must not be negative");
  EXPECT_EQ(LoadFramesFrom(CodedPixmap(64, 32), 16, 16, 0, -1, 0), nullptr);
  EXPECT_EQ(LoadFramesFrom(nullptr, 16, 16, 0, 1, 0), nullptr);
  EXPECT_EQ(LastImageError(), u"The image source is Null");
  EXPECT_EQ(LoadImageFrom(std::make_shared<TextObject>(u"no/such.png"), 0), nullptr);
  EXPECT_EQ(LastImageError(), u"No pixel loader could read the image source no/such.png");
}

TEST_F(ImageTest, FrontEndAppliesDefaultFlagsMaskColourAndCentring) {
  SetImageMaskColor(255, 0, 255);
  CentreHandlesOnLoad(true);
  DefaultImageFlags(-1);
  EXPECT_EQ(autoImageFlags, MaskedImageFlag | FilteredImageFlag);

  TPixmapPtr rgb = TPixmap::Create(2, 2, RGBFormat, 4);
  rgb->ClearPixels(0xFFFF00FF);
  rgb->WritePixel(1, 1, 0xFF204060);
  TImagePtr image = LoadImageFrom(rgb, -1);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->flags, MaskedImageFlag | FilteredImageFlag);
  EXPECT_EQ(image->handle_x, 1.0f);
  EXPECT_EQ(image->handle_y, 1.0f);
  // Masked because the pixels have no alpha: the mask colour is transparent
  // and takes its visible neighbour's colour.
  EXPECT_EQ(image->pixmaps[0]->format, RGBAFormat);
  EXPECT_EQ(image->pixmaps[0]->ReadPixel(0, 0), 0x00204060u);
  EXPECT_EQ(image->pixmaps[0]->ReadPixel(1, 1), 0xFF204060u);

  // Pixels with alpha are kept as given, the same buffer.
  TPixmapPtr rgba = CodedPixmap(4, 4);
  EXPECT_EQ(LoadImageFrom(rgba, MaskedImageFlag)->pixmaps[0], rgba);

  TImagePtr made = NewImage(10, 6, 2, -1);
  EXPECT_EQ(made->flags, MaskedImageFlag | FilteredImageFlag | NewImageFlag);
  EXPECT_EQ(made->mask_r, 255);
  EXPECT_EQ(made->handle_x, 5.0f);
  EXPECT_EQ(made->pixmaps.size(), 2u);
  TPixmapPtr locked = LockImageFrame(made, 1, 1, 0);
  EXPECT_EQ(locked->width, 10);
  EXPECT_EQ(locked->format, RGBAFormat);
  EXPECT_EQ(LockImageFrame(made, 1, 1, 1), locked);  // the same pixels each time
}

TEST_F(ImageTest, FrameIndexOutsideTheImageRaisesNamingIndexAndFrames) {
  TImagePtr image = NewImage(4, 4, 2, 0);
  for (int bad : {-1, 2}) {
    try {
      DrawImageAt(image, 0, 0, bad);
      FAIL() << bad;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.what(), Format("Image frame index %d is outside 0..1", bad));
    }
  }
  EXPECT_THROW(image->SetPixmap(5, CodedPixmap(4, 4)), RuntimeError);
  try {
    LockImageFrame(NewImage(4, 4, 0, 0), 0, 1, 1);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_STREQ(e.what(), "Image frame index 0: the image has no frames");
  }
}

TEST_F(ImageTest, DrawImageAtCentresOnThePointAndTurnsAboutIt) {
  TImagePtr image = LoadImageFrom(CodedPixmap(10, 20), 0);
  CentreImageHandle(image);
  SetDrawHandle(3, 3);  // the 2D state's handle is not used for images
  DrawImageAt(image, 100, 100, 0);
  EXPECT_EQ(Quad(),
            "TexCoord2f(0,0) Vertex2f(95,90) TexCoord2f(0.625,0) Vertex2f(105,90) "
            "TexCoord2f(0.625,0.625) Vertex2f(105,110) TexCoord2f(0,0.625) Vertex2f(95,110)");

  SetDrawRotation(90);
  SetDrawOrigin(1, 2);
  DrawImageAt(image, 100, 100, 0);
  EXPECT_EQ(Quad(),
            "TexCoord2f(0,0) Vertex2f(111,97) TexCoord2f(0.625,0) Vertex2f(111,107) "
            "TexCoord2f(0.625,0.625) Vertex2f(91,107) TexCoord2f(0,0.625) Vertex2f(91,97)");
}

TEST_F(ImageTest, StretchedAndPartialDrawsMapTheirRectangles) {
  TImagePtr image = LoadImageFrom(CodedPixmap(32, 32), 0);
  DrawImageStretched(image, 10, 10, 64, 16, 0);
  EXPECT_EQ(Quad(),
            "TexCoord2f(0,0) Vertex2f(10,10) TexCoord2f(1,0) Vertex2f(74,10) "
            "TexCoord2f(1,1) Vertex2f(74,26) TexCoord2f(0,1) Vertex2f(10,26)");
  // The handle (4, 2) is in source pixels: scaled by 20/16 and 10/8.
  DrawImagePart(image, 50, 60, 20, 10, 8, 4, 16, 8, 4, 2, 0);
  EXPECT_EQ(Quad(),
            "TexCoord2f(0.25,0.125) Vertex2f(45,57.5) TexCoord2f(0.75,0.125) Vertex2f(65,57.5) "
            "TexCoord2f(0.75,0.375) Vertex2f(65,67.5) TexCoord2f(0.25,0.375) Vertex2f(45,67.5)");
}

TEST_F(ImageTest, TileImageOverStartsWithTheColumnCoveringTheViewportEdge) {
  TImagePtr image = LoadImageFrom(CodedPixmap(32, 32), 0);
  SetDrawRotation(30);
  const auto rotated = glFlat2DDriver->driverMatrix;
  for (float x : {-63.0f, 1.0f, 33.0f}) {
    SCOPED_TRACE(x);
    gl_.ClearCalls();
    TileImageOver(image, x, 0, 0);
    const auto vertices = gl_.CallsStartingWith("Vertex2f");
    // 17 columns from -31 to 481, 16 rows from 0 to 480, unrotated.
    ASSERT_EQ(vertices.size(), 17u * 16u * 4u);
    EXPECT_EQ(vertices[0], "Vertex2f(-31,0)");
    EXPECT_EQ(vertices[1], "Vertex2f(1,0)");
    EXPECT_EQ(vertices[2], "Vertex2f(1,32)");
    EXPECT_EQ(vertices[4 * 16], "Vertex2f(481,0)");
    EXPECT_EQ(vertices.back(), "Vertex2f(481,512)");
    EXPECT_EQ(glFlat2DDriver->driverMatrix, rotated);
  }
  // The fraction of the position carries over to every tile.
  gl_.ClearCalls();
  SetViewport(100, 50, 40, 20);
  TileImageOver(image, 1.5f, 0.25f, 0);
  // Two columns (97, 129) by two rows (32, 64) cover the viewport.
  const auto vertices = gl_.CallsStartingWith("Vertex2f");
  ASSERT_EQ(vertices.size(), 16u);
  EXPECT_EQ((std::vector<std::string>(vertices.begin(), vertices.begin() + 5)),
            (std::vector<std::string>{"Vertex2f(97.5,32.25)", "Vertex2f(129.5,32.25)",
                                      "Vertex2f(129.5,64.25)", "Vertex2f(97.5,64.25)",
                                      "Vertex2f(129.5,32.25)"}));
  EXPECT_EQ(vertices[8], "Vertex2f(97.5,64.25)");
}

TEST_F(ImageTest, TileImageOverOfAnEmptyImageDrawsNothing) {
  for (auto size : {std::make_pair(0, 32), std::make_pair(32, 0), std::make_pair(-4, -4)}) {
    TImagePtr image = TImage::Create(size.first, size.second, 1, 0, 0, 0, 0);
    image->SetPixmap(0, CodedPixmap(8, 8));  // pixels that don't match the size
    gl_.ClearCalls();
    TileImageOver(image, 0, 0, 0);
    EXPECT_EQ(gl_.CountCalls("Begin"), 0);
  }
}

TEST_F(ImageTest, DrawableIsKeptPerGenerationAndRemadeAfterWritesOrReopening) {
  TImagePtr image = LoadImageFrom(CodedPixmap(8, 8), 0);
  DrawImageAt(image, 0, 0, 0);
  DrawImageAt(image, 0, 0, 0);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 1);
  EXPECT_EQ(image->seqs[0], graphicsSeq());

  // Locking for reading keeps the texture; for writing remakes it, and the
  // old texture is deleted at the next allocation.
  LockImageFrame(image, 0, 1, 0);
  DrawImageAt(image, 0, 0, 0);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 1);
  LockImageFrame(image, 0, 0, 1)->WritePixel(3, 2, 0xFF0000FFu);
  EXPECT_EQ(deadTextures, std::vector<unsigned>{1});
  gl_.ClearCalls();
  DrawImageAt(image, 0, 0, 0);
  EXPECT_EQ(gl_.CountCalls("DeleteTextures(1,{1})"), 1);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 1);
  EXPECT_EQ(TexelAt(OnlyUpload(), 3, 2), std::make_pair(0, 0));  // the written pixel: blue
  EXPECT_EQ(TexelAt(OnlyUpload(), 2, 3), std::make_pair(2, 3));
  EXPECT_TRUE(deadTextures.empty());

  // Graphics reopened: a new texture, the old name forgotten, not deleted.
  EndOpenedGraphics();
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  gl_.ClearCalls();
  DrawImageAt(image, 0, 0, 0);
  EXPECT_EQ(gl_.CountCalls("GenTextures"), 1);
  EXPECT_EQ(gl_.CountCalls("DeleteTextures"), 0);
  EXPECT_TRUE(deadTextures.empty());
}

TEST_F(ImageTest, DeadTexturesAreDeletedOnlyInTheirOwnGeneration) {
  auto a = TGLImageFrame::CreateFromPixmap(CodedPixmap(4, 4), 0);
  auto b = TGLImageFrame::CreateFromPixmap(CodedPixmap(4, 4), 0);
  const int first = graphicsSeq();
  a.reset();
  b.reset();
  EXPECT_EQ(deadTextures, (std::vector<unsigned>{1, 2}));
  EXPECT_EQ(deadTextureSeq, first);

  AdvanceGraphicsSeq();
  auto c = TGLImageFrame::CreateFromPixmap(CodedPixmap(4, 4), 0);
  EXPECT_EQ(gl_.CountCalls("DeleteTextures"), 0);
  EXPECT_TRUE(deadTextures.empty());
  EXPECT_EQ(deadTextureSeq, graphicsSeq());
  EXPECT_EQ(c->seq, graphicsSeq());

  // A frame of an older generation discarded now is not queued.
  AdvanceGraphicsSeq();
  auto d = TGLImageFrame::CreateFromPixmap(CodedPixmap(4, 4), 0);
  c.reset();
  EXPECT_TRUE(deadTextures.empty());
  d.reset();
  EXPECT_EQ(deadTextures, std::vector<unsigned>{4});
}

TEST_F(ImageTest, NewTextureReusingADeletedBoundNameIsBound) {
  TImagePtr image = LoadImageFrom(CodedPixmap(8, 8), 0);
  DrawImageAt(image, 0, 0, 0);
  ASSERT_EQ(glFlat2DDriver->boundTexture, 1u);
  LockImageFrame(image, 0, 0, 1);
  // The GL hands out the freed name again, as real drivers do.
  gl_.SetNextTextureName(1);
  gl_.ClearCalls();
  DrawImageAt(image, 0, 0, 0);
  const std::string calls = Take();
  EXPECT_NE(calls.find("DeleteTextures(1,{1}) GenTextures(1) BindTexture(GL_TEXTURE_2D,1) "
                       "TexParameteri"),
            std::string::npos)
      << calls;
  EXPECT_EQ(gl_.BoundTexture(), 1u);
}

TEST_F(ImageTest, GrabImageFrameReadsTheImageSizeAndMasksIt) {
  gl_.SetReadPixel([](GLint x, GLint) -> GlRecorder::Rgba {
    return x == 10 ? GlRecorder::Rgba{0, 0, 0, 255} : GlRecorder::Rgba{200, 100, 50, 255};
  });
  TImagePtr image = NewImage(4, 2, 1, MaskedImageFlag);
  DrawImageAt(image, 0, 0, 0);
  gl_.ClearCalls();
  GrabImageFrame(image, 10, 30, 0);
  EXPECT_EQ(gl_.CountCalls("ReadPixels(10,480,4,2,GL_RGBA,GL_UNSIGNED_BYTE)"), 1);
  EXPECT_EQ(image->pixmaps[0]->ReadPixel(0, 0), 0x00C86432u);  // black became transparent
  EXPECT_EQ(image->pixmaps[0]->ReadPixel(1, 1), 0xFFC86432u);
  EXPECT_EQ(image->seqs[0], 0);
  EXPECT_EQ(image->frames[0], nullptr);
}

}  // namespace
