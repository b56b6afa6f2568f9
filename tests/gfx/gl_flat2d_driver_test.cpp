#include "gfx/gl_flat2d_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/gl_graphics.h"
#include "support/format.h"
#include "tests/gfx/flat2d_fixture.h"

namespace {

// The vertices of each Begin ... End pair in the calls.
std::vector<std::vector<std::string>> Primitives(const std::vector<std::string>& calls) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& c : calls) {
    if (c.rfind("Begin(", 0) == 0) out.emplace_back();
    if (c.rfind("Vertex2f(", 0) == 0 && !out.empty()) out.back().push_back(c);
  }
  return out;
}

class GLFlat2DDriver : public Flat2DTest {
 protected:
  TGLFlat2DDriver& driver() { return *glFlat2DDriver; }
};

TEST_F(GLFlat2DDriver, BlendModesAreSentOnlyWhenTheyChange) {
  struct Case {
    int blend;
    const char* calls;
  };
  const Case cases[] = {
      {MaskedBlend, "Disable(GL_BLEND) Enable(GL_ALPHA_TEST) AlphaFunc(GL_GEQUAL,0.5)"},
      {OpaqueBlend, "Disable(GL_BLEND) Disable(GL_ALPHA_TEST)"},
      {AlphaBlend,
       "Enable(GL_BLEND) BlendFunc(GL_SRC_ALPHA,GL_ONE_MINUS_SRC_ALPHA) Disable(GL_ALPHA_TEST)"},
      {AdditiveBlend, "Enable(GL_BLEND) BlendFunc(GL_SRC_ALPHA,GL_ONE) Disable(GL_ALPHA_TEST)"},
      {MultiplyBlend, "Enable(GL_BLEND) BlendFunc(GL_DST_COLOR,GL_ZERO) Disable(GL_ALPHA_TEST)"},
      {6, "Disable(GL_BLEND) Disable(GL_ALPHA_TEST)"},
      {-1, "Disable(GL_BLEND) Disable(GL_ALPHA_TEST)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blend);
    driver().ResetGLContext(*graphics_);  // stateBlend 0: the next blend reaches GL
    gl_.ClearCalls();
    SetBlend(c.blend);
    EXPECT_EQ(Take(), c.calls);
    SetBlend(c.blend);
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(CurrentBlend(), c.blend);
  }
}

TEST_F(GLFlat2DDriver, TextureSwitchesAreFilteredUntilTheNextReset) {
  driver().EnableTexture(5);
  EXPECT_EQ(Take(), "BindTexture(GL_TEXTURE_2D,5) Enable(GL_TEXTURE_2D)");
  driver().EnableTexture(5);
  driver().BindTexture(5);
  EXPECT_EQ(Take(), "");
  driver().EnableTexture(6);
  EXPECT_EQ(Take(), "BindTexture(GL_TEXTURE_2D,6)");
  Plot(1, 1);  // shapes are drawn untextured
  EXPECT_EQ(Take(), "Disable(GL_TEXTURE_2D) Begin(GL_POINTS) Vertex2f(1.5,1.5) End()");
  driver().DisableTexture();
  EXPECT_EQ(Take(), "");
  EXPECT_EQ(gl_.BoundTexture(), 6u);

  driver().ResetGLContext(*graphics_);
  EXPECT_EQ(
      Take(),
      "Disable(GL_TEXTURE_2D) MatrixMode(GL_PROJECTION) LoadIdentity() "
      "Ortho(0,512,512,0,-1,1) MatrixMode(GL_MODELVIEW) LoadIdentity() Viewport(0,0,512,512)");
  EXPECT_EQ(driver().stateBlend, 0);
  driver().BindTexture(6);
  EXPECT_EQ(Take(), "BindTexture(GL_TEXTURE_2D,6)");
}

TEST_F(GLFlat2DDriver, OvalVertexCountsAndPlacement) {
  struct Case {
    float size;
    std::size_t vertices;
  };
  const Case cases[] = {{10, 12}, {30, 28}, {100, 100}, {101, 100}, {0, 12}, {-30, 28}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    DrawOval(0, 0, c.size, c.size);
    const auto shapes = Primitives(gl_.Calls());
    gl_.ClearCalls();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].size(), c.vertices);
  }
  // Starts at the right end of the box and runs toward smaller y first.
  SetDrawOrigin(100, 200);
  DrawOval(0, 0, 40, 20);
  const auto vertices = Primitives(gl_.Calls()).at(0);
  EXPECT_EQ(vertices[0], "Vertex2f(140,210)");
  float x = 0, y = 0;
  ASSERT_EQ(std::sscanf(vertices[1].c_str(), "Vertex2f(%f,%f)", &x, &y), 2);
  EXPECT_LT(x, 140.0f);
  EXPECT_LT(y, 210.0f);
  EXPECT_EQ(gl_.CallsStartingWith("Begin"), std::vector<std::string>{"Begin(GL_POLYGON)"});
  gl_.ClearCalls();
  DrawOval(10, 10, 0, 0);  // degenerate: every vertex on the centre
  const auto centre = Primitives(gl_.Calls()).at(0);
  for (const std::string& v : centre) EXPECT_EQ(v, "Vertex2f(110,210)");
}

TEST_F(GLFlat2DDriver, PolygonsNeedThreeWholePairs) {
  const std::vector<std::vector<float>> rejected = {{}, {1, 2, 3, 4}, {1, 2, 3, 4, 5, 6, 7}};
  for (const auto& xy : rejected) DrawPoly(xy);
  EXPECT_EQ(Take(), "");
  DrawPoly({0, 0, 4, 0, 4, 4, 0, 4});
  EXPECT_EQ(Primitives(gl_.Calls()).at(0).size(), 4u);
}

TEST_F(GLFlat2DDriver, DrawPixmapPlacesRowsDownwardAndRestoresTheBlend) {
  TPixmapPtr p = TPixmap::Create(2, 2, BGRFormat, 1);
  p->WritePixel(0, 0, 0xFF102030);
  p->WritePixel(1, 1, 0xFF405060);
  DrawPixmap(p, 30, 40);
  EXPECT_EQ(Take(),
            "Disable(GL_BLEND) Disable(GL_ALPHA_TEST) PixelZoom(1,-1) RasterPos2i(0,0) "
            "Bitmap(0,0,0,0,30,-40,null) PixelStorei(GL_UNPACK_ROW_LENGTH,2) "
            "DrawPixels(2,2,GL_RGBA,GL_UNSIGNED_BYTE,data) PixelStorei(GL_UNPACK_ROW_LENGTH,0) "
            "PixelZoom(1,1) Disable(GL_BLEND) Enable(GL_ALPHA_TEST) AlphaFunc(GL_GEQUAL,0.5)");
  DrawPixmap(p, 0, 0);
  const std::vector<GLubyte> rgba = {0x10, 0x20, 0x30, 255, 0,    0,    0,    255,
                                     0,    0,    0,    255, 0x40, 0x50, 0x60, 255};
  EXPECT_EQ(gl_.Transfers().at(0).bytes, rgba);
}

TEST_F(GLFlat2DDriver, DrawPixmapStepsRowsByThePitch) {
  TPixmapPtr big = TPixmap::Create(8, 4, RGBAFormat, 4);
  big->WritePixel(2, 1, 0xFF0000FF);
  big->WritePixel(3, 2, 0xFF00FF00);
  DrawPixmap(big->Window(2, 1, 2, 2), 0, 0);  // a view: rows 32 bytes apart
  EXPECT_EQ(gl_.CountCalls("PixelStorei(GL_UNPACK_ROW_LENGTH,8)"), 1);
  const std::vector<GLubyte> view = {0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 255};
  EXPECT_EQ(gl_.Transfers().at(0).bytes, view);
  gl_.ClearCalls();

  // A pitch that is no whole number of pixels is drawn from a packed copy.
  std::vector<std::uint8_t> memory(20, 0);
  memory[10] = 9;  // the first byte of row 1
  DrawPixmap(TPixmap::CreateStatic(memory.data(), 2, 2, 10, RGBAFormat), 0, 0);
  EXPECT_EQ(gl_.CountCalls("PixelStorei(GL_UNPACK_ROW_LENGTH,2)"), 1);
  EXPECT_EQ(gl_.Transfers().at(0).bytes.at(8), 9);
}

TEST_F(GLFlat2DDriver, DrawPixmapAfterAResetLeavesBlendingOff) {
  driver().ResetGLContext(*graphics_);
  gl_.ClearCalls();
  DrawPixmap(TPixmap::Create(1, 1, RGBAFormat, 4), 0, 0);
  EXPECT_EQ(gl_.Calls().back(), "Disable(GL_ALPHA_TEST)");
  EXPECT_EQ(driver().stateBlend, 0);
  EXPECT_FALSE(gl_.IsEnabled(GL_BLEND));
  DrawPixmap(nullptr, 0, 0);
}

TEST_F(GLFlat2DDriver, GrabPixmapReturnsTheTopRowFirst) {
  // GL pixel (x, y) reads as red x, green y - 480, blue 7.
  gl_.SetReadPixel([](GLint x, GLint y) {
    return GlRecorder::Rgba{static_cast<GLubyte>(x), static_cast<GLubyte>(y - 480), 7, 255};
  });
  TPixmapPtr p = GrabPixmap(10, 20, 3, 2);
  EXPECT_EQ(
      Take(),
      "Disable(GL_BLEND) Disable(GL_ALPHA_TEST) ReadPixels(10,490,3,2,GL_RGBA,GL_UNSIGNED_BYTE) "
      "Disable(GL_BLEND) Enable(GL_ALPHA_TEST) AlphaFunc(GL_GEQUAL,0.5)");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, RGBAFormat);
  EXPECT_EQ(p->width, 3);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xFF0A0B07u);  // window row 20 is GL row 491
  EXPECT_EQ(p->ReadPixel(2, 1), 0xFF0C0A07u);
}

TEST_F(GLFlat2DDriver, GraphicsDriverHalfWrapsWhatTheGLDriverMakes) {
  EXPECT_EQ(driver().ToString(), u"OpenGL");
  EXPECT_EQ(driver().Create(), glFlat2DDriver);
  EXPECT_EQ(graphics_->Driver(), glFlat2DDriver);
  EXPECT_TRUE(std::dynamic_pointer_cast<TGLGraphics>(graphics_->_graphics));
  EXPECT_EQ(driver().GraphicsModes().size(), glGraphicsDriver->GraphicsModes().size());

  fake_.Fail("CreateWindowEx");
  EXPECT_EQ(driver().CreateGraphics(64, 64, 0, 0, BackBufferFlag), nullptr);
  fake_.Succeed("CreateWindowEx");

  auto saved = glGraphicsDriver;
  glGraphicsDriver = nullptr;
  EXPECT_EQ(driver().Create(), nullptr);
  glGraphicsDriver = saved;
}

}  // namespace
